// "Back Up Pedal..." and "Restore Pedal..." in the editor's File menu, on virtual time against
// the simulated pedal: a backup made in the window restores through korvanne-cli and the other
// way round, the changes are shown before anything is sent, and a bad file sends nothing.
#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QTest>

#include "../cli/cli_harness.h"
#include "app/sound_history.h"
#include "effect/parameter_catalogue.h"
#include "linked_editor.h"
#include "operations/backup_commands.h"
#include "sim/status_reply_text.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

// A pedal set up otherwise than a new one, in every kind of setting a backup holds.
void shapeSound(PedalState& s) {
    s.tuning = 7;
    s.semitones = -2;
    s.midiChannel = 12;
    s.footswitchMode = 2;
    s.storeBypass = true;
    s.values[order(Param::Dry)] = 0x00200000;
    s.values[order(Param::Minus2Oct)] = 0x007FE000;
    s.values[order(Param::Split)] = 1;
    s.values[order(Param::NoiseGateStatus)] = 1;
}

QString statusOf(const PedalModel& pedal) {
    return QString::fromStdString(statusReplyText(statusEntries(pedal.state())));
}

}  // namespace

class BackupWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(files_.isValid()); }

    void theItemsFollowSavePreset() {
        LinkedEditor e;
        const QList<QAction*> items = e.main().findChild<QMenu*>("menuFile")->actions();
        QStringList names;
        for (QAction* a : items) names << a->objectName();
        const qsizetype save = names.indexOf("menuSavePreset");
        QCOMPARE(names.mid(save, 3),
                 (QStringList{"menuSavePreset", "menuBackUpPedal", "menuRestorePedal"}));
        for (const char* name : {"menuBackUpPedal", "menuRestorePedal"}) {
            QCOMPARE(e.main().action(name)->isEnabled(), true);
        }
        e.main().action("menuDisconnect")->trigger();
        for (const char* name : {"menuBackUpPedal", "menuRestorePedal"}) {
            QCOMPARE(e.main().action(name)->isEnabled(), false);
        }
    }

    void aWindowBackupRestoresThroughTheCommandLine() {
        LinkedEditor e;
        shapeSound(e.pedal->state());
        const QString file = files_.filePath("window.json");
        e.dialogs.expectSaveFile(file);
        e.main().action("menuBackUpPedal")->trigger();
        QCOMPARE(e.main().statusBar()->currentMessage(), "Backup written to " + file + ".");
        QCOMPARE(e.dialogs.dialogTitles, QStringList{BackupCommands::BackUpTitle});

        CliHarness cli;
        QVERIFY(statusOf(*cli.pedal) != statusOf(*e.pedal));
        const CliRun run = cli.run({"--yes", "restore", file});
        QVERIFY2(run.exitCode == 0, run.describe());
        cli.settled();
        QCOMPARE(statusOf(*cli.pedal), statusOf(*e.pedal));
    }

    // The pedal's state is read before the question, which shows each change; the answer Yes
    // sends them, the storing question follows, and the whole restore is one undo step.
    void aCommandLineBackupRestoresInTheWindow() {
        CliHarness cli;
        shapeSound(cli.pedal->state());
        const QString file = files_.filePath("cli.json");
        const CliRun run = cli.run({"backup", file});
        QVERIFY2(run.exitCode == 0, run.describe());

        LinkedEditor e;
        // Changed on the pedal after the link: the restore reads it again first.
        e.pedal->state().values[order(Param::Dry)] = 0x00400000;
        const QString beforeRestore = statusOf(*e.pedal);
        e.dialogs.expectOpenFile(file);
        e.dialogs.expectConfirm(true);
        e.dialogs.expectConfirm(true, "Save Parameters to pedal?");
        e.main().action("menuRestorePedal")->trigger();
        QVERIFY(e.dialogs.scriptDone());
        const QString question = e.dialogs.confirmations.first();
        QVERIFY2(question.contains("\nDry: 00400000 -> 00200000\n"), qPrintable(question));
        QVERIFY2(question.contains("\nTuning: "), qPrintable(question));
        QVERIFY2(question.contains("\nMIDI channel: OMNI -> 12"), qPrintable(question));
        QCOMPARE(e.dialogs.confirmDefaults.first(), Dialogs::Default::No);
        QCOMPARE(e.main().statusBar()->currentMessage(),
                 QString("Pedal restored from cli.json and its parameters stored."));
        QCOMPARE(statusOf(*e.pedal), statusOf(*cli.pedal));
        QVERIFY(e.pedal->state().parametersStored);

        // Undone as one step, back to what the pedal held before the restore.
        SoundHistory& history = e.editor->history();
        QCOMPARE(history.stack().count(), 1);
        QCOMPARE(history.undo().kind, Outcome::Done);
        QCOMPARE(statusOf(*e.pedal), beforeRestore);
        QCOMPARE(history.redo().kind, Outcome::Done);
        QCOMPARE(statusOf(*e.pedal), statusOf(*cli.pedal));
    }

    void answeringNoSendsNothing() {
        CliHarness cli;
        shapeSound(cli.pedal->state());
        const QString file = files_.filePath("no.json");
        QCOMPARE(cli.run({"backup", file}).exitCode, 0);
        LinkedEditor e;
        const QString before = statusOf(*e.pedal);
        e.dialogs.expectOpenFile(file);
        e.dialogs.expectConfirm(false);
        e.main().action("menuRestorePedal")->trigger();
        QCOMPARE(statusOf(*e.pedal), before);
        QVERIFY(!e.editor->history().stack().canUndo());
    }

    void aBadFileIsOneMessageAndSendsNothing() {
        LinkedEditor e;
        const QString file = files_.filePath("bad.json");
        QVERIFY(writeBytes(file, "{\"firmware\": 1}"));
        e.dialogs.expectOpenFile(file);
        e.main().action("menuRestorePedal")->trigger();
        QCOMPARE(e.dialogs.warnings.size(), 1);
        QVERIFY2(e.dialogs.warnings.first().startsWith(file + " is not a pedal backup"),
                 qPrintable(e.dialogs.warnings.first()));
        QCOMPARE(e.sent(), bytes({}));
        QVERIFY(e.dialogs.confirmations.isEmpty());
    }

private:
    QTemporaryDir files_;
};

QTEST_MAIN(BackupWindowTest)
#include "backup_window_test.moc"
