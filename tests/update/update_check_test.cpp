#include "update/update_check.h"

#include <QAction>
#include <QTest>
#include <QTimer>

#include "editor_fixture.h"
#include "loopback_http_server.h"
#include "test_files.h"
#include "update/tform_new_version_msg.h"
#include "update/updater.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

const QString VersionPath = QStringLiteral("/download/korvanne-editor-version.php");

// The editor on virtual time with the start-up check on, pointed at a server on loopback.
struct CheckFixture : EditorFixture {
    explicit CheckFixture(const QString& site, const QString& showMessage = "YES") {
        qputenv("KORVANNE_MAKER_SITE", site.toUtf8());
        webVersionCheck = true;
        QDir(home.path()).mkpath("TAVRO/Korvanne MK3");
        writeBytes(settingsPath("TAVRO/Korvanne MK3/ShowMessageVersionAtStartup.txt"),
                   showMessage.toUtf8());
        start();
        operations().EditorVersion = "1.19";
    }
    QString caption() const { return editor->main().action("menuNewAppVersion")->text(); }
    bool updateNowEnabled() const { return editor->main().itemEnabled("menuUpdateNow"); }
    bool noticeShown() { return editor->newVersionMsg().isVisible(); }
};

}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(server_.listen()); }

    void answers_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("showMessage");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("updateNow");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("messages");

        const QString before = "New version available:";
        const QStringList newer = {"currentAppVersion: 1.19", "newAppVersion: 1.20"};
        QTest::newRow("newer, notice on") << 200 << QByteArray("1.20") << "YES" << before + " 1.20"
                                          << true << true << newer << QStringList{};
        QTest::newRow("newer, notice off") << 200 << QByteArray("1.20") << "NO" << before + " 1.20"
                                           << true << false << newer << QStringList{};
        QTest::newRow("same version")
            << 200 << QByteArray("1.19") << "YES"
            << "No update available" << false << false
            << QStringList{"currentAppVersion: 1.19", "newAppVersion: 1.19"} << QStringList{};
        QTest::newRow("older by number")
            << 200 << QByteArray("1.9") << "YES"
            << "No update available" << false << false
            << QStringList{"currentAppVersion: 1.19", "newAppVersion: 1.9"} << QStringList{};
        QTest::newRow("2.0 is newer than 1.19")
            << 200 << QByteArray("2.0") << "YES" << before + " 2.0" << true << true
            << QStringList{"currentAppVersion: 1.19", "newAppVersion: 2.0"} << QStringList{};
        QTest::newRow("line end trimmed")
            << 200 << QByteArray("1.20\r\n") << "YES" << before + " 1.20" << true << true << newer
            << QStringList{};
        QTest::newRow("not found")
            << 404 << QByteArray("<html>gone</html>") << "YES" << before << false << false
            << QStringList{} << QStringList{"Error: Not Found"};
        QTest::newRow("unreadable body")
            << 200 << QByteArray("<html>1.20</html>") << "YES" << before << false << false
            << QStringList{"currentAppVersion: 1.19", "newAppVersion: <html>1.20</html>"}
            << QStringList{"The update server sent an unreadable version"};
        QTest::newRow("empty body") << 200 << QByteArray() << "YES" << before << false << false
                                    << QStringList{"currentAppVersion: 1.19", "newAppVersion: "}
                                    << QStringList{"The update server sent an unreadable version"};
    }
    void answers() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, showMessage);
        server_.answer(VersionPath, body, status, status == 200 ? "OK" : "Not Found");
        server_.requested.clear();

        CheckFixture f(server_.site(), showMessage);
        QCOMPARE(f.caption(), "New version available:");
        QVERIFY(!f.updateNowEnabled());
        f.clock.advance(999);
        QVERIFY(server_.requested.isEmpty());
        f.clock.advance(1);

        QTEST(f.caption(), "caption");
        QTEST(f.updateNowEnabled(), "updateNow");
        QTEST(f.noticeShown(), "notice");
        QTEST(f.log.lines, "log");
        QTEST(f.dialogs.messages, "messages");
        // "Update Now" in the Info menu starts the update, which first asks.
        if (f.updateNowEnabled()) {
            f.operations().updater().flow = UpdateFlow::WindowsUpdater;
            f.dialogs.expectConfirm(false,
                                    "This action will update the Korvanne Editor to the "
                                    "latest version. Do you want to continue?");
            f.main().action("menuUpdateNow")->trigger();
            QVERIFY(f.dialogs.scriptDone());
        }
        // Once per run.
        f.clock.advance(5000);
        QCOMPARE(server_.requested, QStringList{VersionPath});
        QVERIFY(f.main().isVisible());
    }

    void noServerEndsTheCheckWithAClearMessage() {
        CheckFixture f("http://127.0.0.1:9");
        f.clock.advance(1000);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].startsWith("Could not check for a new version: "),
                 qPrintable(f.dialogs.messages[0]));
        QVERIFY(f.dialogs.messages[0].size() >
                QString("Could not check for a new version: ").size());
        QCOMPARE(f.caption(), "New version available:");
        QVERIFY(!f.updateNowEnabled());
        QVERIFY(f.log.lines.isEmpty());
    }

    void unknownOwnVersionSkipsTheCheck() {
        server_.answer(VersionPath, "1.20");
        CheckFixture f(server_.site());
        f.operations().EditorVersion = "Version info not available";
        f.clock.advance(1000);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages[0].contains("own version is unknown"));
        QCOMPARE(f.caption(), "New version available:");
        QVERIFY(!f.updateNowEnabled());
    }

    void windowStaysLiveWhileTheServerAnswers() {
        // Events keep running during the request, and the result is applied only after it.
        server_.answer(VersionPath, "1.20", 200, "OK", 300);
        CheckFixture f(server_.site(), "NO");
        bool ranDuringRequest = false;
        QString captionDuringRequest;
        QTimer::singleShot(20, [&] {
            ranDuringRequest = true;
            captionDuringRequest = f.caption();
        });
        f.clock.advance(1000);
        QVERIFY(ranDuringRequest);
        QCOMPARE(captionDuringRequest, "New version available:");
        QCOMPARE(f.caption(), "New version available: 1.20");
    }

private:
    LoopbackHttpServer server_;
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
