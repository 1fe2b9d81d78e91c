// Storing the assignable values in the pedal, reading its state back with Request, and the hidden
// "Enable All Parameters" toggle.
#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <set>

#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/message_builders.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/parameter_store.h"
#include "effect/tform_fx_settings.h"
#include "effect/tunings.h"
#include "knob_values.h"
#include "linked_editor.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QPushButton* button(LinkedEditor& e, const char* name) {
    return e.main().findChild<QPushButton*>(name);
}

using Values = std::array<std::uint32_t, param::Count>;

// Every knob parameter between two positions, every switch and check box on, a pitch from the list.
Values betweenPositionsAndOn() {
    Values v{};
    int step = 100;
    for (int p : {param::Dry, param::SubMix, param::Minus1Oct, param::Minus2Oct, param::LowPass,
                  param::HighPass, param::FirstHarmonic, param::Range, param::InputLevel,
                  param::WaveClip, param::DryHpf}) {
        v[std::size_t(p)] = betweenPositions(step);
        step += 80;
    }
    // The Noise Gate Threshold the pedal holds out of the box: 2.5 on the knob's scale.
    v[param::NoiseGateThreshold] = 0x00200000;
    v[param::Wave] = WaveOn;
    v[param::HarmonicPitch] = HarmonicPitchTable[20];
    for (int p : {param::Split, param::DominantNotesCut, param::HighNotesCut, param::LimitRangeUp,
                  param::NoiseGateStatus})
        v[std::size_t(p)] = 1;
    return v;
}

}  // namespace

Q_DECLARE_METATYPE(Values)

class TestStoreRequest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Save Parameters purges the bridge's transmit queue first; a message written just before
    // (a knob's deferred send) is let leave, or the bridge would drop it and the pedal get it
    // cut short. The simulated line paces the bytes and counts what a purge would drop.
    void saveRightAfterAWriteLetsItLeave_data() {
        QTest::addColumn<int>("baud");
        QTest::newRow("115200 baud") << 115200;
        QTest::newRow("9600 baud") << 9600;
    }
    void saveRightAfterAWriteLetsItLeave() {
        QFETCH(int, baud);
        LinkedEditor e;
        D2xxUnit& unit = e.operations().unit();
        unit.BaudRate = std::uint32_t(baud);
        unit.SetFTBaudRate();
        const Message write = msg::parameterWrite(0x0027, 0x007FE000);
        e.operations().messages().Send(write);
        e.dialogs.expectConfirm(true, "Save Parameters to pedal?");
        button(e, "btnSaveParameters")->click();
        QCOMPARE(e.pedal->bytesAPurgeWouldDrop(), std::size_t(0));
        const std::vector<std::uint8_t> sent = e.sent();
        QCOMPARE(std::vector<std::uint8_t>(sent.begin(), sent.begin() + 7), write);
        QCOMPARE(sent.at(7), std::uint8_t(0x03));
    }

    void saveParameters_data() {
        QTest::addColumn<int>("param");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<int>("at");  // first byte of the value in the message
        QTest::newRow("all zero") << order(Param::InputLevel) << quint32(0) << 1;
        QTest::newRow("Input Level at its maximum")
            << order(Param::InputLevel) << quint32(0x007FE000) << 1;
        QTest::newRow("Dominant Notes Cut on")
            << order(Param::DominantNotesCut) << quint32(1) << 13;
        QTest::newRow("Noise Gate Threshold last")
            << order(Param::NoiseGateThreshold) << quint32(0x00123456) << 33;
    }
    void saveParameters() {
        QFETCH(int, param);
        QFETCH(quint32, value);
        QFETCH(int, at);
        LinkedEditor e;
        ParameterRecords& records = e.operations().fxSettings().records;
        for (int p = 0; p < ParameterCount; ++p) records.setValue(static_cast<Param>(p), 0);
        // Standard values are not part of the message.
        records.setValue(Param::Dry, 0x007FE000);
        records.setValue(static_cast<Param>(param), value);
        std::vector<std::uint8_t> expected(37, 0);
        expected[0] = 0x03;
        for (int i = 0; i < 4; ++i) {
            expected[std::size_t(at + i)] = std::uint8_t(value >> (24 - 8 * i));
        }
        e.dialogs.expectConfirm(true, "Save Parameters to pedal?");
        const std::int64_t before = e.clock.nowUs();
        QTest::mouseClick(button(e, "btnSaveParameters"), Qt::LeftButton);
        QVERIFY(e.dialogs.scriptDone());
        QCOMPARE(e.sent(), expected);
        QVERIFY(e.clock.nowUs() - before >= 100'000);
        QCOMPARE(e.log.lines.value(0).left(30), QString("Store settings message (HEX): "));
        QCOMPARE(e.log.lines.value(0).size(), 30 + 74);
        QCOMPARE(e.log.lines.value(1), QString("37"));
        QVERIFY(e.pedal->state().parametersStored);
        QCOMPARE(e.pedal->state().storedValues[std::size_t(param - order(Param::InputLevel))],
                 std::uint32_t(value));
    }

    // The values come from the controls: a knob turned, a box checked.
    void saveAfterTurningAndChecking() {
        LinkedEditor e;
        FxSettings& fx = e.operations().fxSettings();
        e.editor->fxSettings().findChild<QComboBox*>("cmbGuitarTuning")->setCurrentIndex(1);
        fx.setKnob(Knob::dialInputLevel, KnobMaximumAngle);
        fx.setNoteCut(NoteCut::chkDominantNoteCut, true);
        e.clock.advance(200);
        e.mark();
        e.dialogs.expectConfirm(true);
        QTest::mouseClick(button(e, "btnSaveParameters"), Qt::LeftButton);
        const std::vector<std::uint8_t> sent = e.sent();
        QCOMPARE(sent.size(), std::size_t(37));
        QCOMPARE(std::vector<std::uint8_t>(sent.begin() + 1, sent.begin() + 5),
                 bytes({0x00, 0x7F, 0xE0, 0x00}));
        QCOMPARE(std::vector<std::uint8_t>(sent.begin() + 13, sent.begin() + 17),
                 bytes({0x00, 0x00, 0x00, 0x01}));
    }

    void saveAnsweredNoSendsNothing() {
        LinkedEditor e;
        e.dialogs.expectConfirm(false, "Save Parameters to pedal?");
        QTest::mouseClick(button(e, "btnSaveParameters"), Qt::LeftButton);
        QCOMPARE(e.sent(), bytes({}));
        QVERIFY(!e.pedal->state().parametersStored);
    }

    // Values read back are shown, not sent back; a switch that changes still sends.
    void requestShowsWithoutEchoing() {
        LinkedEditor e;
        FxSettings& fx = e.operations().fxSettings();
        const bool waveWasOn = fx.view().switchOn(Switch::swtWave);
        e.pedal->state().values[param::Dry] = 0x007FE000;
        e.pedal->state().values[param::Wave] = waveWasOn ? 0x00600000 : 0x00400000;
        QTest::mouseClick(button(e, "btnRequest"), Qt::LeftButton);
        QCOMPARE(fx.view().knobAngle(Knob::dialDry), -45);
        QCOMPARE(fx.records.value(Param::Dry), std::uint32_t(0x007FE000));
        QCOMPARE(fx.view().switchOn(Switch::swtWave), !waveWasOn);
        e.clock.advance(300);
        // The status request, then only the Wave switch's echo.
        const std::uint32_t wave = waveWasOn ? 0x00600000 : 0x00400000;
        std::vector<std::uint8_t> expected = bytes({0x02, 0x00, 0x01});
        const std::uint16_t address = fx.records.address(Param::Wave);
        expected.push_back(std::uint8_t(address >> 8));
        expected.push_back(std::uint8_t(address));
        for (int shift = 24; shift >= 0; shift -= 8)
            expected.push_back(std::uint8_t(wave >> shift));
        QCOMPARE(e.sent(), expected);
        QVERIFY(!e.operations().communication().RequestInProgress);
    }

    // A Request whose handshake stops early ends its flag too: the effect window, still enabled,
    // sends what the user turns afterwards.
    void requestEndsWithItsHandshake_data() {
        QTest::addColumn<bool>("unreadableEffect");
        QTest::addColumn<QString>("message");
        QTest::newRow("effect digits not decimal") << true << "'0B' is not a valid integer value";
        QTest::newRow("effect not in the list")
            << false << "which is not in this editor's effect list.";
    }
    void requestEndsWithItsHandshake() {
        QFETCH(bool, unreadableEffect);
        QFETCH(QString, message);
        LinkedEditor e;
        if (unreadableEffect) {
            // The pedal falls silent; the last reply it gave carries the effect digits 0B.
            e.pedal->options().faults.silence = PedalFaults::Silence::StatusRequest;
            std::vector<std::uint8_t>& last = e.operations().messages().received_bytes_array;
            last[3] = 0x0B;
        } else {
            e.pedal->state().effect = e.main().effectList()->count();
        }
        e.dialogs.messages.clear();
        QTest::mouseClick(button(e, "btnRequest"), Qt::LeftButton);
        QVERIFY2(e.dialogs.messages.join('\n').contains(message),
                 qPrintable(e.dialogs.messages.join('\n')));
        QVERIFY(!e.operations().communication().RequestInProgress);
        QVERIFY(e.editor->fxSettings().effectControlsEnabled());
        e.mark();
        e.operations().fxSettings().setKnob(Knob::dialDry, KnobMaximumAngle);
        e.clock.advance(FxSettings::DeferredSendMs + 50);
        QCOMPARE(e.sent(), bytes({0x01, 0x00, 0x27, 0x00, 0x7F, 0xE0, 0x00}));
    }

    void enableAllParametersTwice() {
        LinkedEditor e;
        TformFXsettings& w = e.editor->fxSettings();
        QAction* item = e.main().action("menuEnableAllParameters");
        item->trigger();
        QVERIFY(item->isChecked());
        for (Knob k : {Knob::dialDry, Knob::dialRange, Knob::dialLowPass}) {
            QVERIFY(w.knob(k)->isEnabled());
        }
        item->trigger();
        QVERIFY(!item->isChecked());
        for (Knob k : {Knob::dialDry, Knob::dialSubMix, Knob::dialMinus1Oct, Knob::dialMinus2Oct,
                       Knob::dialRange}) {
            QVERIFY(!w.knob(k)->isEnabled());
        }
        for (Knob k : {Knob::dialLowPass, Knob::dialHighPass, Knob::dial1stHarmonic}) {
            QVERIFY(w.knob(k)->isEnabled());
        }
    }

    // Reading the pedal, at link time or by Request, never writes a value it does not hold. The
    // pedal changes behind the editor's back between the link and the Request (its footswitch,
    // its own knobs).
    void readingThePedalWritesNothingNew_data() {
        QTest::addColumn<int>("tuning");
        QTest::addColumn<Values>("atLink");
        QTest::addColumn<Values>("atRequest");
        const Values on = betweenPositionsAndOn();
        Values moved = on;
        for (int p : {param::Dry, param::LowPass, param::Range, param::NoiseGateThreshold})
            moved[std::size_t(p)] = betweenPositions(int(on[std::size_t(p)] >> 13) + 40);
        moved[param::Wave] = WaveOff;
        moved[param::Split] = 0;
        Values odd = on;
        odd[param::LimitRangeUp] = 2;
        odd[param::NoiseGateStatus] = 7;
        odd[param::HighNotesCut] = 3;
        odd[param::Split] = 2;
        odd[param::Wave] = 0x00123456;
        odd[param::HarmonicPitch] = 0x00412345;
        QTest::newRow("knobs between positions, then moved") << 2 << on << moved;
        QTest::newRow("note cuts reported without a tuning") << 0 << on << on;
        QTest::newRow("codes the controls cannot show") << 2 << on << odd;
    }
    void readingThePedalWritesNothingNew() {
        QFETCH(int, tuning);
        QFETCH(Values, atLink);
        QFETCH(Values, atRequest);
        EditorFixture e;
        PedalModel& pedal = e.transport.addPedal();
        pedal.state().tuning = tuning;
        pedal.state().values = atLink;
        e.start();
        const auto unchanged = [&](const Values& expected, const char* when) {
            e.clock.advance(300);
            for (int p = 0; p < param::Count; ++p) {
                QVERIFY2(pedal.state().values[std::size_t(p)] == expected[std::size_t(p)],
                         qPrintable(QStringLiteral("%1: parameter %2 holds %3, not %4")
                                        .arg(when)
                                        .arg(p)
                                        .arg(pedal.state().values[std::size_t(p)], 8, 16)
                                        .arg(expected[std::size_t(p)], 8, 16)));
            }
            QVERIFY(pedal.state().strayWrites.empty());
        };
        e.main().action("menuScan")->trigger();
        QVERIFY(e.operations().communication().Linked);
        unchanged(atLink, "after the link");
        FxSettings& fx = e.operations().fxSettings();
        // The knobs show the values read; the records keep them as read.
        QCOMPARE(fx.view().knobAngle(Knob::dialNoiseGateThreshold),
                 DecodeKnob(atLink[param::NoiseGateThreshold], KnobScale));
        QCOMPARE(fx.records.value(Param::NoiseGateThreshold), atLink[param::NoiseGateThreshold]);

        pedal.state().values = atRequest;
        QTest::mouseClick(e.main().findChild<QPushButton*>("btnRequest"), Qt::LeftButton);
        unchanged(atRequest, "after the Request");
        QCOMPARE(fx.records.value(Param::Dry), atRequest[param::Dry]);

        // The user's own turn of a knob still goes out, with the value of its new position.
        KnobDial* threshold = e.editor->fxSettings().knob(Knob::dialNoiseGateThreshold);
        threshold->turnTo(threshold->position() + 1);
        e.clock.advance(300);
        QCOMPARE(pedal.state().values[param::NoiseGateThreshold],
                 EncodeKnob(threshold->angle()).value);
        QCOMPARE(fx.records.value(Param::NoiseGateThreshold), EncodeKnob(threshold->angle()).value);
    }

    void requestReadsTheStateBack() {
        LinkedEditor e;
        e.pedal->state().midiChannel = 7;
        e.pedal->state().tuning = 4;
        QTest::mouseClick(button(e, "btnRequest"), Qt::LeftButton);
        QCOMPARE(e.sent(), bytes({0x02, 0x00}));
        QVERIFY(!e.operations().communication().RequestInProgress);
        QVERIFY(e.main().midiChannelItems().value(7)->isChecked());
        QCOMPARE(int(e.operations().tunings().CurrentTuning), 4);
    }
};

QTEST_MAIN(TestStoreRequest)
#include "store_request_test.moc"
