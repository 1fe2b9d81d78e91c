// The preset list without a window: real files in a temporary settings home, scripted dialogs,
// a recording shell.
#include "operations/preset_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "core/clock.h"
#include "core/services.h"
#include "recording_log.h"
#include "recording_shell.h"
#include "scripted_dialogs.h"
#include "sim/sim_transport.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

const QDateTime Noon(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);

struct LibraryFixture {
    QTemporaryDir home;
    RecordingLog log;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    RecordingShell shell;
    SimTransport transport{clock};
    Services services{log, dialogs, clock, shell, SettingsHome(home.path()), transport};

    QString folder() const { return QDir(home.path()).filePath("TAVRO/Korvanne MK3/Preset"); }
    QString path(const QString& name) const { return QDir(folder()).filePath(name); }
    // A file in the preset folder (made when missing), modified `minutes` after noon.
    void file(const QString& name, int minutes, const QByteArray& bytes = "preset") {
        QDir().mkpath(folder());
        QVERIFY(writeBytes(path(name), bytes + name.toUtf8()));
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(Noon.addSecs(60 * minutes), QFileDevice::FileModificationTime));
    }
    QStringList folderFiles() const {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

QStringList names(const PresetLibrary& library) {
    QStringList n;
    for (const PresetEntry& e : library.entries()) n << e.name;
    return n;
}

// Lets the folder watcher's notices in: the system queues them as each change is made.
void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace

class PresetLibraryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsPresetsNewestFirstAndFollowsTheFolder() {
        LibraryFixture f;
        // Nothing saved yet: not even the folder exists.
        PresetLibrary library(f.services);
        QVERIFY(!QFileInfo::exists(f.folder()));
        QCOMPARE(names(library), QStringList());
        int changes = 0;
        connect(&library, &PresetLibrary::changed, this, [&] { ++changes; });

        // The folder appears with files: the list follows without being asked.
        f.file("old.txt", 0);
        f.file("new.txt", 30);
        f.file("b-same.txt", 10);
        f.file("a-same.txt", 10);
        f.file("CAPS.TXT", 5);
        f.file("notes.md", 40);
        QDir().mkpath(f.path("folder.txt"));
        settle();
        QCOMPARE(names(library),
                 (QStringList{"new.txt", "a-same.txt", "b-same.txt", "CAPS.TXT", "old.txt"}));
        QCOMPARE(library.entries().first().modified, Noon.addSecs(30 * 60));
        QVERIFY(changes > 0);

        // A preset written again moves to the top; one removed leaves the list.
        f.file("old.txt", 60);
        QFile::remove(f.path("new.txt"));
        settle();
        QCOMPARE(names(library), (QStringList{"old.txt", "a-same.txt", "b-same.txt", "CAPS.TXT"}));

        // Reading an unchanged folder again tells nobody.
        changes = 0;
        library.refresh();
        QCOMPARE(changes, 0);

        // The folder goes, and comes back.
        QVERIFY(QDir(f.folder()).removeRecursively());
        settle();
        QCOMPARE(names(library), QStringList());
        f.file("again.txt", 0);
        settle();
        QCOMPARE(names(library), QStringList{"again.txt"});
    }

    void rename_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");   // the file's name afterwards
        QTest::addColumn<QString>("warning");  // empty: none
        const QString cannot = "The preset mine.txt cannot be renamed to ";
        const QString characters =
            QStringLiteral(": a preset name cannot hold any of / \\ : * ? \" < > |.");
        QTest::newRow("name") << "live"
                              << "live.txt"
                              << "";
        QTest::newRow("name.txt") << "live.txt"
                                  << "live.txt"
                                  << "";
        QTest::newRow("blanks around") << "  live set  "
                                       << "live set.txt"
                                       << "";
        QTest::newRow("other extension, as saving") << "live.TXT"
                                                    << "live.TXT.txt"
                                                    << "";
        QTest::newRow("letter case") << "Mine"
                                     << "Mine.txt"
                                     << "";
        QTest::newRow("unchanged") << "mine.txt"
                                   << "mine.txt"
                                   << "";
        QTest::newRow("cancelled") << ""
                                   << "mine.txt"
                                   << "";
        QTest::newRow("existing name")
            << "other"
            << "mine.txt" << cannot + "other.txt: a preset of that name already exists.";
        QTest::newRow("slash") << "../escape"
                               << "mine.txt" << cannot + "../escape.txt" + characters;
        QTest::newRow("backslash") << "a\\b"
                                   << "mine.txt" << cannot + "a\\b.txt" + characters;
        QTest::newRow("colon") << "a:b"
                               << "mine.txt" << cannot + "a:b.txt" + characters;
        QTest::newRow("line end") << "a\nb"
                                  << "mine.txt" << cannot + "a\nb.txt" + characters;
        QTest::newRow("hidden") << ".live"
                                << "mine.txt"
                                << cannot + ".live.txt: a preset name cannot start with a dot.";
        QTest::newRow("extension only") << ".txt"
                                        << "mine.txt" << cannot + ".txt: the name is empty.";
    }
    void rename() {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(QString, warning);
        LibraryFixture f;
        f.file("mine.txt", 0, "MINE");
        f.file("other.txt", 1, "OTHER");
        PresetLibrary library(f.services);
        f.dialogs.expectText(typed);
        QString renamed;
        const Outcome outcome = library.rename("mine.txt", &renamed);
        QVERIFY(f.dialogs.scriptDone());
        QCOMPARE(f.dialogs.textTitles, QStringList{PresetLibrary::RenameTitle});
        QCOMPARE(f.dialogs.textInitials, QStringList{"mine.txt"});
        QCOMPARE(f.dialogs.warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
        QCOMPARE(outcome.ok(), result != "mine.txt");
        QCOMPARE(renamed, outcome.ok() ? result : QString());
        // The file keeps its content under its name; the other preset is untouched.
        QCOMPARE(f.folderFiles(), (QStringList{result, "other.txt"}));
        QCOMPARE(readBytes(f.path(result)), QByteArray("MINEmine.txt"));
        QCOMPARE(readBytes(f.path("other.txt")), QByteArray("OTHERother.txt"));
        QVERIFY(names(library).contains(result));
    }

    void deleteAsksAndRemovesThatFileOnly_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void deleteAsksAndRemovesThatFileOnly() {
        QFETCH(bool, yes);
        LibraryFixture f;
        f.file("mine.txt", 0);
        f.file("mine.txt.bak", 0);
        f.file("Mine.TXT", 1);
        f.file("other.txt", 2);
        PresetLibrary library(f.services);
        f.dialogs.expectConfirm(yes, "Delete the preset mine.txt?");
        const Outcome outcome = library.remove("mine.txt");
        QVERIFY(f.dialogs.scriptDone());
        QCOMPARE(f.dialogs.confirmDefaults, QList<Dialogs::Default>{Dialogs::Default::No});
        QCOMPARE(outcome.kind, yes ? Outcome::Done : Outcome::Cancelled);
        QStringList left{"Mine.TXT", "mine.txt", "mine.txt.bak", "other.txt"};
        if (yes) left.removeAll("mine.txt");
        QCOMPARE(f.folderFiles(), left);
        QCOMPARE(names(library).contains("mine.txt"), !yes);
        QCOMPARE(f.dialogs.warnings, QStringList());
    }

    void aPresetGoneMeanwhileIsSaid_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("rename") << "rename";
        QTest::newRow("delete") << "delete";
        QTest::newRow("a name that leaves the folder") << "escape";
    }
    void aPresetGoneMeanwhileIsSaid() {
        QFETCH(QString, command);
        LibraryFixture f;
        f.file("mine.txt", 0);
        f.file("other.txt", 1);
        PresetLibrary library(f.services);
        QString name = "mine.txt";
        if (command == "escape") {
            // A file above the folder, named through it: never touched.
            name = "../outside.txt";
            QVERIFY(writeBytes(f.path(name), "keep"));
        } else {
            QFile::remove(f.path(name));
        }
        // No question is asked about a file that is not there (the script has none).
        const Outcome outcome = command == "rename" ? library.rename(name) : library.remove(name);
        QCOMPARE(outcome.kind, Outcome::Failed);
        QCOMPARE(f.dialogs.warnings,
                 QStringList{"The preset " + name + " is no longer in the preset folder."});
        if (command == "escape") {
            QCOMPARE(readBytes(f.path(name)), QByteArray("keep"));
            QCOMPARE(names(library), (QStringList{"other.txt", "mine.txt"}));
        } else {
            QCOMPARE(names(library), QStringList{"other.txt"});
        }
    }

    void openFolderShowsItMadeWhenMissing_data() {
        QTest::addColumn<bool>("opens");
        QTest::newRow("file manager") << true;
        QTest::newRow("none") << false;
    }
    void openFolderShowsItMadeWhenMissing() {
        QFETCH(bool, opens);
        LibraryFixture f;
        f.shell.openResult = opens;
        PresetLibrary library(f.services);
        const Outcome outcome = library.openFolder();
        QVERIFY(QFileInfo(f.folder()).isDir());
        QCOMPARE(f.shell.opened, QStringList{"file://" + f.folder()});
        QCOMPARE(outcome.ok(), opens);
        QCOMPARE(f.dialogs.warnings,
                 opens ? QStringList()
                       : QStringList{"No file manager could be started. The preset folder is "
                                     "at:\n" +
                                     QDir::toNativeSeparators(f.folder())});
    }
};

QTEST_GUILESS_MAIN(PresetLibraryTest)
#include "preset_library_test.moc"
