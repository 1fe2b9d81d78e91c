// Live effect editing over a real pseudo-terminal: the editor links to korvanne-pedal-sim, a knob
// is turned in the effect window, and the pedal's next status reply carries the new value.
#include <QAction>
#include <QTest>

#include "app/tform_main.h"
#include "device/communication.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/tform_fx_settings.h"
#include "effect/toggle_switch.h"
#include "app/main_controller.h"
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
        // The link's own deferred message goes out first.
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
};

QTEST_MAIN(TestPtyEffect)
#include "pty_effect_test.moc"
