#include "update/updater.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "editor_fixture.h"
#include "fake_updater.h"
#include "loopback_http_server.h"
#include "test_files.h"
#include "update/tform_new_version_msg.h"
#include "update/update_check.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

const QString VersionPath = QStringLiteral("/download/update/Korvanne_Win_Updater_Version.php");
const QString DownloadPath = QStringLiteral("/download/update/Korvanne_Win_Updater.exe");
const QByteArray NewUpdater = "MZ new updater program";

QByteArray updaterWithVersion(unsigned major, unsigned minor) {
    const std::string s = programWithVersion(major, minor);
    return QByteArray(s.data(), qsizetype(s.size()));
}

// The editor with its updater working in the test's own folders, against a server on loopback.
struct UpdaterFixture : EditorFixture {
    explicit UpdaterFixture(const QString& site) {
        qputenv("KORVANNE_MAKER_SITE", site.toUtf8());
        start();
        QDir(home.path()).mkpath("program");
        QDir(home.path()).mkpath("temp");
        places = {home.filePath("program"), home.filePath("program/korvanne-editor"),
                  home.filePath("temp")};
        updater().places = places;
        updater().flow = UpdateFlow::WindowsUpdater;
    }
    Updater& updater() { return operations().updater(); }
    QString program(const QString& name) const { return QDir(places.programFolder).filePath(name); }
    QStringList launchWithPaths() const {
        return {program("Korvanne_Win_Updater.exe"),
                QDir::toNativeSeparators(
                    QDir(places.tempFolder).filePath("Korvanne_Editor_Update.exe")),
                QDir::toNativeSeparators(places.editorPath)};
    }
    UpdaterPlaces places;
};

}  // namespace

class UpdaterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(server_.listen());
        server_.answer(DownloadPath, NewUpdater);
    }
    void init() { server_.requested.clear(); }

    void refreshesTheUpdaterWhenOlder_data() {
        QTest::addColumn<QByteArray>("local");  // empty: no local updater
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<bool>("download");
        QTest::addColumn<QStringList>("log");
        // Absent from the table: "download" means beside the local updater.

        const QStringList exists = {"updater version on server: 1.4",
                                    "local updater exists, check version..."};
        const QString found =
            "New version of the updater found on server, downloading the new updater...";
        QTest::newRow("1.3 local, 1.4 on server")
            << updaterWithVersion(1, 3) << QByteArray("1.4") << true
            << exists + QStringList{"currentUpdaterVersion: 1.3", "14", "13", found};
        QTest::newRow("same version")
            << updaterWithVersion(1, 4) << QByteArray("1.4") << false
            << exists + QStringList{"currentUpdaterVersion: 1.4", "14", "14"};
        QTest::newRow("1.10 local is newer than 1.9")
            << updaterWithVersion(1, 10) << QByteArray("1.9") << false
            << QStringList{"updater version on server: 1.9",
                           "local updater exists, check version...", "currentUpdaterVersion: 1.10",
                           "19", "110"};
        QTest::newRow("1.9 local is older than 1.10")
            << updaterWithVersion(1, 9) << QByteArray("1.10") << true
            << QStringList{"updater version on server: 1.10",
                           "local updater exists, check version...",
                           "currentUpdaterVersion: 1.9",
                           "110",
                           "19",
                           found};
        QTest::newRow("server version with line end")
            << updaterWithVersion(1, 3) << QByteArray("1.4\n") << true
            << exists + QStringList{"currentUpdaterVersion: 1.3", "14", "13", found};
        QTest::newRow("local updater without version information")
            << QByteArray("MZ no version resource") << QByteArray("1.4") << true
            << exists + QStringList{"currentUpdaterVersion: unknown", "14", "", found};
    }
    void refreshesTheUpdaterWhenOlder() {
        QFETCH(QByteArray, local);
        QFETCH(QByteArray, server);
        QFETCH(bool, download);
        server_.answer(VersionPath, server);
        UpdaterFixture f(server_.site());
        if (!local.isEmpty()) QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), local));

        f.dialogs.expectConfirm(true, Updater::ConfirmText);
        f.updater().UpdateNow();

        QVERIFY(f.dialogs.scriptDone());
        QTEST(f.log.lines, "log");
        QList<QStringList> launches;
        if (download) {
            QCOMPARE(server_.requested, (QStringList{VersionPath, DownloadPath}));
            QCOMPARE(readBytes(f.program("Korvanne_Win_Updater_Update.exe")), NewUpdater);
            QCOMPARE(f.dialogs.messages,
                     QStringList{"New updater downloaded! Click OK to proceed with the update."});
            // First the local updater alone, then with the two paths.
            launches << QStringList{f.program("Korvanne_Win_Updater.exe")};
        } else {
            QCOMPARE(server_.requested, QStringList{VersionPath});
            QVERIFY(!QFile::exists(f.program("Korvanne_Win_Updater_Update.exe")));
            QCOMPARE(f.dialogs.messages, QStringList{});
        }
        launches << f.launchWithPaths();
        QCOMPARE(f.shell.started, launches);
        // The local updater file itself is left to the updater.
        QCOMPARE(readBytes(f.program("Korvanne_Win_Updater.exe")),
                 local.isEmpty() ? QByteArray("<missing>") : local);
        QVERIFY(!f.main().isVisible());  // the editor ends after the launch
    }

    // With no updater installed, the download becomes the updater and is started once, with the
    // editor's paths.
    void firstInstallStartsTheDownloadOnce() {
        server_.answer(VersionPath, "1.4");
        UpdaterFixture f(server_.site());
        f.dialogs.expectConfirm(true, Updater::ConfirmText);
        f.updater().UpdateNow();
        QVERIFY(f.dialogs.scriptDone());
        QCOMPARE(f.log.lines, (QStringList{"updater version on server: 1.4",
                                           "Local updater not found, proceed with download..."}));
        QCOMPARE(server_.requested, (QStringList{VersionPath, DownloadPath}));
        QCOMPARE(readBytes(f.program("Korvanne_Win_Updater.exe")), NewUpdater);
        QVERIFY(!QFile::exists(f.program("Korvanne_Win_Updater_Update.exe")));
        QCOMPARE(f.dialogs.messages,
                 QStringList{"New updater downloaded! Click OK to proceed with the update."});
        QCOMPARE(f.shell.started, QList<QStringList>{f.launchWithPaths()});
        QVERIFY(!f.main().isVisible());
    }

    // A first install whose download fails has no updater to start: the editor keeps running.
    void failedFirstInstallStartsNothing() {
        server_.answer(VersionPath, "1.4");
        server_.answer(DownloadPath, "<html>404</html>", 404, "Not Found");
        UpdaterFixture f(server_.site());
        f.dialogs.expectConfirm(true, Updater::ConfirmText);
        f.updater().UpdateNow();
        server_.answer(DownloadPath, NewUpdater);
        QCOMPARE(f.dialogs.messages,
                 QStringList{"Download failed: the server answered 404 Not Found"});
        QVERIFY(!QFile::exists(f.program("Korvanne_Win_Updater.exe")));
        QVERIFY(f.shell.started.isEmpty());
        QVERIFY(f.main().isVisible());
    }

    // Outside Windows the package manager updates the editor: "Update Now" names the version and
    // opens the download page; nothing is downloaded or started.
    void elsewhereUpdateNowOpensTheDownloadPage_data() {
        QTest::addColumn<bool>("opened");
        QTest::newRow("page opened") << true;
        QTest::newRow("no browser") << false;
    }
    void elsewhereUpdateNowOpensTheDownloadPage() {
        QFETCH(bool, opened);
        server_.answer(VersionPath, "1.4");
        UpdaterFixture f(server_.site());
        f.updater().flow = UpdateFlow::DownloadPage;
        f.operations().updateCheck().NewAppVersion = "1.20";
        f.shell.openResult = opened;
        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), updaterWithVersion(1, 3)));
        f.updater().UpdateNow();
        QVERIFY(f.dialogs.scriptDone());  // no question: nothing is changed
        const QString page = server_.site() + "/download/";
        QStringList messages{
            "Version 1.20 of the Korvanne Editor is available. Update it with your system's "
            "package manager, or get it from the download page, which opens now."};
        if (!opened) messages << "The download page could not be opened. Its address is " + page;
        QCOMPARE(f.dialogs.messages, messages);
        QCOMPARE(f.dialogs.warnings, opened ? QStringList{} : messages.mid(1));
        QCOMPARE(f.shell.opened, QStringList{page});
        QVERIFY(server_.requested.isEmpty());
        QVERIFY(f.shell.started.isEmpty());
        QCOMPARE(QDir(f.places.programFolder).entryList(QDir::Files),
                 QStringList{"Korvanne_Win_Updater.exe"});
        QVERIFY(f.main().isVisible());
    }

    void updateFlowOfThisSystem() {
#ifdef Q_OS_WIN
        QCOMPARE(korvanne::updateFlowOfThisSystem(), UpdateFlow::WindowsUpdater);
#else
        QCOMPARE(korvanne::updateFlowOfThisSystem(), UpdateFlow::DownloadPage);
#endif
    }

    void noToTheQuestionDoesNothing() {
        server_.answer(VersionPath, "1.4");
        UpdaterFixture f(server_.site());
        f.dialogs.expectConfirm(false, Updater::ConfirmText);
        f.updater().UpdateNow();
        QVERIFY(f.dialogs.scriptDone());
        QVERIFY(server_.requested.isEmpty());
        QVERIFY(f.log.lines.isEmpty());
        QVERIFY(f.shell.started.isEmpty());
        QVERIFY(f.main().isVisible());
    }

    void failedDownloadKeepsTheOldFiles_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("not found") << 404 << QByteArray("<html>404</html>")
                                   << "Download failed: the server answered 404 Not Found";
        QTest::newRow("empty body")
            << 200 << QByteArray() << "Download failed: the server sent an empty file";
    }
    void failedDownloadKeepsTheOldFiles() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        server_.answer(VersionPath, "1.4");
        server_.answer(DownloadPath, body, status, status == 200 ? "OK" : "Not Found");
        UpdaterFixture f(server_.site());
        const QByteArray old = updaterWithVersion(1, 3);
        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), old));
        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater_Update.exe"), "earlier download"));

        f.dialogs.expectConfirm(true);
        f.updater().UpdateNow();

        QTEST(f.dialogs.messages.value(0), "message");
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(readBytes(f.program("Korvanne_Win_Updater.exe")), old);
        QCOMPARE(readBytes(f.program("Korvanne_Win_Updater_Update.exe")), "earlier download");
        QCOMPARE(QDir(f.places.programFolder).entryList(QDir::Files).size(), 2);
        // The old updater still does the update.
        QCOMPARE(f.shell.started, QList<QStringList>{f.launchWithPaths()});
        server_.answer(DownloadPath, NewUpdater);
    }

    void unusableVersionAnswerStopsTheUpdate_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("not found") << 404 << QByteArray() << "Error: Not Found";
        QTest::newRow("unreadable")
            << 200 << QByteArray("<html/>") << "The update server sent an unreadable version";
    }
    void unusableVersionAnswerStopsTheUpdate() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        server_.answer(VersionPath, body, status, status == 200 ? "OK" : "Not Found");
        UpdaterFixture f(server_.site());
        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), updaterWithVersion(1, 3)));
        f.dialogs.expectConfirm(true);
        f.updater().UpdateNow();
        QFETCH(QString, message);
        QCOMPARE(f.dialogs.messages, QStringList{message});
        QVERIFY(f.shell.started.isEmpty());
        QVERIFY(f.main().isVisible());
    }

    void noServerStopsTheUpdate() {
        UpdaterFixture f("http://127.0.0.1:9");
        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), updaterWithVersion(1, 3)));
        f.dialogs.expectConfirm(true);
        f.updater().UpdateNow();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].startsWith("Could not check the updater's version: "),
                 qPrintable(f.dialogs.messages[0]));
        QVERIFY(f.shell.started.isEmpty());
        QVERIFY(f.main().isVisible());
    }

    void closingDuringTheDownloadStartsNothing() {
        server_.answer(VersionPath, "1.4");
        server_.answer(DownloadPath, NewUpdater, 200, "OK", 5000);
        UpdaterFixture f(server_.site());
        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), updaterWithVersion(1, 3)));
        f.dialogs.expectConfirm(true);
        // The program is asked to end while the download runs (inside the program's own event
        // loop, which also clears the request to end for the tests that follow).
        QTimer::singleShot(0, [&f] { f.updater().UpdateNow(); });
        QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QVERIFY(f.dialogs.scriptDone());
        QCOMPARE(f.dialogs.messages, QStringList{});
        QVERIFY(f.shell.started.isEmpty());
        QVERIFY(!QFile::exists(f.program("Korvanne_Win_Updater_Update.exe")));
        server_.answer(DownloadPath, NewUpdater);
    }

    void failedLaunchKeepsTheEditorRunning() {
        server_.answer(VersionPath, "1.4");
        UpdaterFixture f(server_.site());
        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), updaterWithVersion(1, 4)));
        f.shell.startResult = false;
        f.dialogs.expectConfirm(true);
        f.updater().UpdateNow();
        QCOMPARE(f.dialogs.messages,
                 QStringList{"Failed to launch updater. Please run as administrator."});
        QCOMPARE(f.shell.started, QList<QStringList>{f.launchWithPaths()});
        QVERIFY(f.main().isVisible());
    }

    void noticeShowsTheVersionsAndStartsTheUpdate() {
        server_.answer("/download/korvanne-editor-version.php", "1.20");
        server_.answer(VersionPath, "1.4");
        UpdaterFixture f(server_.site());
        f.operations().EditorVersion = "1.19";
        f.operations().updateCheck().checkmostrecentversiononwebsite();
        TformNewVersionMsg& notice = f.editor->newVersionMsg();
        QVERIFY(notice.isVisible());
        QCOMPARE(notice.windowTitle(), "New Version");
        QCOMPARE(notice.Label1->text(), "A new version of the Korvanne Editor is available");
        QCOMPARE(notice.Label2->text(), "Your version: 1.19     New version: 1.20");
        QCOMPARE(notice.btnLaunchUpdate->text(), "Update Now");
        QCOMPARE(notice.btnSeeWhatsNew->text(), "What's New?");
        QCOMPARE(notice.CheckBox1->text(), "Don't Show This Message Again");
        QVERIFY(!notice.CheckBox1->isChecked());

        QTest::mouseClick(notice.btnSeeWhatsNew, Qt::LeftButton);
        QCOMPARE(f.shell.opened, QStringList{server_.site() + "/download/update/whatsnew.html"});

        QVERIFY(writeBytes(f.program("Korvanne_Win_Updater.exe"), updaterWithVersion(1, 4)));
        f.dialogs.expectConfirm(true, Updater::ConfirmText);
        QTest::mouseClick(notice.btnLaunchUpdate, Qt::LeftButton);
        QVERIFY(f.dialogs.scriptDone());
        QCOMPARE(f.shell.started, QList<QStringList>{f.launchWithPaths()});
    }

    void dontShowAgainWritesNo() {
        UpdaterFixture f(server_.site());
        const QString file = f.settingsPath("TAVRO/Korvanne MK3/ShowMessageVersionAtStartup.txt");
        QCOMPARE(readBytes(file), "YES");
        TformNewVersionMsg& notice = f.editor->newVersionMsg();
        notice.show();
        QTest::mouseClick(notice.CheckBox1, Qt::LeftButton);
        QVERIFY(notice.CheckBox1->isChecked());
        QCOMPARE(readBytes(file), "NO");
        QTest::mouseClick(notice.CheckBox1, Qt::LeftButton);
        QVERIFY(!notice.CheckBox1->isChecked());
        QCOMPARE(readBytes(file), "NO");
    }

    void noticeLayout() {
        UpdaterFixture f(server_.site());
        f.operations().EditorVersion = "1.19";
        f.operations().updateCheck().NewAppVersion = "1.20";
        TformNewVersionMsg& notice = f.editor->newVersionMsg();
        notice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&notice));
        QCOMPARE(notice.size(), QSize(268, 151));
        QCOMPARE(notice.minimumSize(), notice.maximumSize());
        const Qt::WindowFlags flags = notice.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

        // Top to bottom: headline, versions, the two buttons side by side, the check box; every
        // control whole inside the client area, none overlapping, texts not cut.
        const QList<QWidget*> controls = {notice.Label1, notice.Label2, notice.btnLaunchUpdate,
                                          notice.btnSeeWhatsNew, notice.CheckBox1};
        for (QWidget* w : controls) {
            QVERIFY2(notice.rect().contains(w->geometry()), qPrintable(w->objectName()));
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
            for (QWidget* other : controls) {
                if (other != w)
                    QVERIFY2(!w->geometry().intersects(other->geometry()),
                             qPrintable(w->objectName() + " " + other->objectName()));
            }
        }
        QVERIFY(notice.Label1->geometry().bottom() < notice.Label2->geometry().top());
        QVERIFY(notice.Label2->geometry().bottom() < notice.btnLaunchUpdate->geometry().top());
        QCOMPARE(notice.btnLaunchUpdate->y(), notice.btnSeeWhatsNew->y());
        QVERIFY(notice.btnLaunchUpdate->x() < notice.btnSeeWhatsNew->x());
        QVERIFY(notice.btnLaunchUpdate->geometry().bottom() < notice.CheckBox1->geometry().top());
        QVERIFY(notice.Label1->alignment() & Qt::AlignHCenter);
        const QFontMetrics fm(notice.Label2->font());
        QVERIFY(fm.horizontalAdvance(notice.Label2->text()) <= notice.Label2->width());

        const QString png = QDir(QCoreApplication::applicationDirPath()).filePath("notice.png");
        QVERIFY(notice.grab().save(png));
    }

private:
    LoopbackHttpServer server_;
};

QTEST_MAIN(UpdaterTest)
#include "updater_test.moc"
