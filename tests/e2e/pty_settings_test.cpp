// Settings made in the editor reach korvanne-pedal-sim over a real pseudo-terminal and come back
// with the pedal's status reply when the editor links again.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "app/tform_main.h"
#include "device/communication.h"
#include "effect/tform_fx_settings.h"
#include "app/main_controller.h"
#include "pedal_sim_process.h"
#include "pty_editor.h"

using namespace korvanne;
using namespace korvanne::test;

class TestPtySettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsReadBackAfterANewLink() {
        PedalSimProcess sim(KORVANNE_PEDAL_SIM_PATH, {});
        QVERIFY2(sim.path().startsWith("/dev/"), qPrintable(sim.path()));
        PtyEditor pty(sim.path());
        Editor& editor = *pty.editor;
        ScriptedDialogs& dialogs = pty.dialogs;
        RecordingLog& log = pty.log;
        TformMain& main = editor.main();
        auto combo = [&](const char* name) {
            return editor.fxSettings().findChild<QComboBox*>(name);
        };
        auto click = [&](const char* name) {
            QTest::mouseClick(main.findChild<QPushButton*>(name), Qt::LeftButton);
        };

        main.action("menuScan")->trigger();
        QVERIFY(editor.operations().communication().Linked);
        QCOMPARE(combo("cmbGuitarTuning")->currentIndex(), 0);

        // Tuning "Drop D" two semitones down.
        combo("cmbGuitarTuning")->setCurrentIndex(2);
        combo("cmbSemitonesVariation")->setCurrentText("-2");
        dialogs.expectConfirm(true, "Set new tuning?");
        click("btnSetTuning");
        // Control I turns Wave Clip; the remote footswitch changes preset.
        combo("cmbAssignCtrlUNO")->setCurrentText("Wave Clip");
        combo("cmbAssignRemote")->setCurrentText("Preset");
        dialogs.expectConfirm(true, "Upload Assignments?");
        click("btnAssign");
        // MIDI channel 12.
        main.midiChannelItems().value(12)->trigger();
        QVERIFY(dialogs.scriptDone());
        QCOMPARE(dialogs.messages, QStringList());

        // Unlink, put the controls elsewhere, link again: the pedal's report wins.
        main.action("menuDisconnect")->trigger();
        combo("cmbGuitarTuning")->setCurrentIndex(5);
        combo("cmbSemitonesVariation")->setCurrentText("+1");
        combo("cmbAssignCtrlUNO")->setCurrentIndex(0);
        combo("cmbAssignRemote")->setCurrentIndex(0);
        main.action("menuScan")->trigger();
        QVERIFY(editor.operations().communication().Linked);
        QCOMPARE(combo("cmbGuitarTuning")->currentText(), QString("Drop D (DADGBE)"));
        QCOMPARE(combo("cmbSemitonesVariation")->currentText(), QString("-2"));
        QCOMPARE(combo("cmbAssignCtrlUNO")->currentText(), QString("Wave Clip"));
        QCOMPARE(combo("cmbAssignRemote")->currentText(), QString("Preset"));
        QVERIFY(main.midiChannelItems().value(12)->isChecked());
        QVERIFY(log.contains("MIDI channel: 12"));
        QCOMPARE(dialogs.messages, QStringList());
    }
};

QTEST_MAIN(TestPtySettings)
#include "pty_settings_test.moc"
