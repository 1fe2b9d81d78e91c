// Live effect editing over a real pseudo-terminal: the editor links to korvanne-pedal-sim, a knob
// is turned in the effect window, and the pedal's next status reply carries the new value; reading
// the pedal writes no value it does not hold.
#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "app/main_controller.h"
#include "app/tform_main.h"
#include "device/communication.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/tform_fx_settings.h"
#include "effect/toggle_switch.h"
#include "knob_values.h"
#include "pedal_sim_process.h"
#include "pty_editor.h"

using namespace korvanne;
using namespace korvanne::test;

class TestPtyEffect : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aTurnedKnobIsReadBackFromThePedal() {
        PedalSimProcess sim(KORVANNE_PEDAL_SIM_PATH, {"--firmware", "13", "--algorithm", "14"});
        QVERIFY2(sim.path().startsWith("/dev/"), qPrintable(sim.path()));
        PtyEditor pty(sim.path());
        Editor& editor = *pty.editor;
        ScriptedDialogs& dialogs = pty.dialogs;
        RecordingLog& log = pty.log;

        editor.main().action("menuScan")->trigger();
        QCOMPARE(dialogs.messages, QStringList());
        QVERIFY(editor.operations().communication().Linked);
        TformFXsettings& window = editor.fxSettings();
        QVERIFY(window.isVisible());
        FxSettings& fx = editor.operations().fxSettings();
        // Nothing the link read is sent back through the deferred send.
        QTRY_VERIFY_WITH_TIMEOUT(fx.pendingKnobMessage().empty(), 2000);

        // Dry all the way up and Split on, as a user does.
        KnobDial* dry = window.knob(Knob::dialDry);
        QTest::keyClick(dry, Qt::Key_End);
        QCOMPARE(dry->angle(), KnobMaximumAngle);
        const bool split = window.toggle(Switch::swtSplit)->isChecked();
        QTest::mouseClick(window.toggle(Switch::swtSplit), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(fx.pendingKnobMessage().empty(), 2000);
        // Dry down a little by the wheel; the knob's new value goes out on its own.
        QTest::keyClick(dry, Qt::Key_PageDown);
        const std::uint32_t expected = EncodeKnob(dry->angle()).value;
        QTRY_VERIFY_WITH_TIMEOUT(fx.pendingKnobMessage().empty(), 2000);
        // Range (at its maximum after the link), which the pedal reports in steps of 22.
        QCOMPARE(window.knob(Knob::dialRange)->angle(), KnobMaximumAngle);
        QTest::keyClick(window.knob(Knob::dialRange), Qt::Key_Home);
        QTRY_VERIFY_WITH_TIMEOUT(fx.pendingKnobMessage().empty(), 2000);

        editor.operations().communication().ReadDeviceStatus();
        const std::vector<std::uint32_t> block =
            ParameterValueBlock(editor.operations().messages().received_bytes_array);
        QCOMPARE(block.size(), std::size_t(ParameterCount));
        QCOMPARE(block[order(Param::Dry)], expected);
        QCOMPARE(block[order(Param::Split)], std::uint32_t(split ? 0 : 1));
        QCOMPARE(block[order(Param::Range)], std::uint32_t(0));
        QCOMPARE(window.knob(Knob::dialRange)->angle(), KnobMinimumAngle);
        QCOMPARE(window.toggle(Switch::swtSplit)->isChecked(), !split);
        QCOMPARE(dry->angle(), DecodeKnob(expected, KnobScale));
        QVERIFY(log.contains("Dry: \t" + QString::asprintf("%08X", expected)));
    }

    // Linking and Request over the serial line leave the pedal's values as they are, though no
    // knob position encodes them; a knob the user turns afterwards still sends its new value.
    void readingThePedalWritesNothingNew() {
        std::array<std::uint32_t, ParameterCount> seeded{};
        int step = 100;
        for (Knob k :
             {Knob::dialDry, Knob::dialSubMix, Knob::dialMinus1Oct, Knob::dialMinus2Oct,
              Knob::dialLowPass, Knob::dialHighPass, Knob::dial1stHarmonic, Knob::dialRange,
              Knob::dialInputLevel, Knob::dialClipWave, Knob::dialDryHPF}) {
            seeded[order(FxSettings::recordOf(k))] = betweenPositions(step);
            step += 80;
        }
        seeded[order(Param::NoiseGateThreshold)] = 0x00200000;
        seeded[order(Param::Wave)] = WaveOff;
        seeded[order(Param::Split)] = 1;
        seeded[order(Param::HarmonicPitch)] = HarmonicPitchTable[7];
        seeded[order(Param::LimitRangeUp)] = 1;
        QTemporaryDir dir;
        const QString record = dir.filePath("received.bin");
        QStringList arguments{"--no-pacing", "--record", record};
        for (int p = 0; p < ParameterCount; ++p)
            arguments << "--value" << QString::asprintf("%d=%08X", p, seeded[std::size_t(p)]);
        PedalSimProcess sim(KORVANNE_PEDAL_SIM_PATH, arguments);
        QVERIFY2(sim.path().startsWith("/dev/"), qPrintable(sim.path()));
        PtyEditor pty(sim.path());
        Editor& editor = *pty.editor;
        FxSettings& fx = editor.operations().fxSettings();

        editor.main().action("menuScan")->trigger();
        QCOMPARE(pty.dialogs.messages, QStringList());
        QVERIFY(editor.operations().communication().Linked);
        // Nothing waits for the deferred send: no knob sent its reading back.
        QVERIFY(fx.pendingKnobMessage().empty());
        QVERIFY(!fx.Timer1().isActive());
        QTest::mouseClick(editor.main().findChild<QPushButton*>("btnRequest"), Qt::LeftButton);
        QVERIFY(fx.pendingKnobMessage().empty());
        QCOMPARE(fx.records.value(Param::NoiseGateThreshold), std::uint32_t(0x00200000));

        // One more status read: what the pedal holds now. Low Pass, High Pass and Range are
        // reported in steps of their own, the others as held.
        editor.operations().communication().ReadDeviceStatus();
        const std::vector<std::uint32_t> block =
            ParameterValueBlock(editor.operations().messages().received_bytes_array);
        QCOMPARE(block.size(), std::size_t(ParameterCount));
        for (int p = 0; p < ParameterCount; ++p) {
            if (Param(p) == Param::LowPass || Param(p) == Param::HighPass ||
                Param(p) == Param::Range)
                continue;
            QCOMPARE(block[std::size_t(p)], seeded[std::size_t(p)]);
        }
        // Every parameter write the pedal received carries the value it held there.
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray received = file.readAll();
        for (qsizetype at = 0; at < received.size();) {
            const auto byte = [&](qsizetype i) { return std::uint8_t(received.at(at + i)); };
            const int command = byte(0);
            const qsizetype size = command == 0x01 ? 7 : 2;
            QVERIFY2(command == 0x01 || command == 0x02 || command == 0x0D,
                     qPrintable(QStringLiteral("unexpected command %1").arg(command)));
            if (at + size > received.size()) break;
            if (command == 0x01) {
                const std::uint16_t address = std::uint16_t(byte(1) << 8 | byte(2));
                const std::uint32_t value = std::uint32_t(byte(3)) << 24 |
                                            std::uint32_t(byte(4)) << 16 |
                                            std::uint32_t(byte(5)) << 8 | byte(6);
                for (int p = 0; p < ParameterCount; ++p) {
                    if (fx.records.address(Param(p)) != address) continue;
                    QVERIFY2(value == seeded[std::size_t(p)],
                             qPrintable(QStringLiteral("parameter %1 written %2, held %3")
                                            .arg(p)
                                            .arg(value, 8, 16)
                                            .arg(seeded[std::size_t(p)], 8, 16)));
                }
            }
            at += size;
        }

        // The user turns the threshold up one position: that value goes out.
        KnobDial* threshold = editor.fxSettings().knob(Knob::dialNoiseGateThreshold);
        QTest::keyClick(threshold, Qt::Key_Up);
        const std::uint32_t turned = EncodeKnob(threshold->angle()).value;
        QVERIFY(turned != 0x00200000);
        QTRY_VERIFY_WITH_TIMEOUT(fx.pendingKnobMessage().empty(), 2000);
        editor.operations().communication().ReadDeviceStatus();
        QCOMPARE(ParameterValueBlock(editor.operations().messages().received_bytes_array)[order(
                     Param::NoiseGateThreshold)],
                 turned);
    }
};

QTEST_MAIN(TestPtyEffect)
#include "pty_effect_test.moc"
