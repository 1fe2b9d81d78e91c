// The one-line settings files, their folders and the start-up values read from them.
#include "operations/local_settings.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

class TestLocalSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstRunCreatesFoldersAndDefaults() {
        QTemporaryDir home;
        LocalSettings settings{SettingsHome(home.path())};
        QVERIFY(settings.CreateSettingsFolder().isEmpty());
        QVERIFY(settings.CreateSettingsSubfolder().isEmpty());
        const StartupSettings s = LoadStartupSettings(settings);
        QVERIFY(s.ShowUpdateMessage);
        QVERIFY(s.ReportUSBErrors);
        const QString product = home.filePath("TAVRO/Korvanne MK3");
        QCOMPARE(readBytes(product + "/ShowMessageVersionAtStartup.txt"), QByteArray("YES"));
        QCOMPARE(readBytes(product + "/ReportUSBErrors.txt"), QByteArray("YES"));
        QVERIFY(!QFile::exists(home.filePath("TAVRO/style.txt")));
        QCOMPARE(settings.readLookNumber(), std::nullopt);
    }

    void settingsValues_data() {
        QTest::addColumn<QByteArray>("showContent");
        QTest::addColumn<QByteArray>("reportContent");
        QTest::addColumn<bool>("showUpdate");
        QTest::addColumn<bool>("reportErrors");
        // Values compare exactly; anything unknown keeps the initial value (show on, report off).
        auto both = [](const char* name, const QByteArray& content, bool show, bool report) {
            QTest::newRow(name) << content << content << show << report;
        };
        both("YES", "YES", true, true);
        both("NO", "NO", false, false);
        both("lower-case yes", "yes", true, false);
        both("YES with line end", "YES\r\n", true, false);
        both("garbage", QByteArray("\xff\xfe\x00garbage", 10), true, false);
        both("empty", QByteArray(), true, false);
        both("UTF-8 mark then NO", "\xEF\xBB\xBFNO", false, false);
        both("UTF-16 mark then YES", QByteArray("\xFF\xFEY\0E\0S\0", 8), true, true);
        // Each file reaches its own flag.
        QTest::newRow("show YES, report NO")
            << QByteArray("YES") << QByteArray("NO") << true << false;
        QTest::newRow("show NO, report YES")
            << QByteArray("NO") << QByteArray("YES") << false << true;
    }
    void settingsValues() {
        QFETCH(QByteArray, showContent);
        QFETCH(QByteArray, reportContent);
        QFETCH(bool, showUpdate);
        QFETCH(bool, reportErrors);
        QTemporaryDir home;
        LocalSettings settings{SettingsHome(home.path())};
        QVERIFY(settings.CreateSettingsSubfolder().isEmpty());
        const QString product = home.filePath("TAVRO/Korvanne MK3");
        writeBytes(product + "/ShowMessageVersionAtStartup.txt", showContent);
        writeBytes(product + "/ReportUSBErrors.txt", reportContent);
        const StartupSettings s = LoadStartupSettings(settings);
        QCOMPARE(s.ShowUpdateMessage, showUpdate);
        QCOMPARE(s.ReportUSBErrors, reportErrors);
        // Reading never rewrites a file it does not understand.
        QCOMPARE(readBytes(product + "/ShowMessageVersionAtStartup.txt"), showContent);
        QCOMPARE(readBytes(product + "/ReportUSBErrors.txt"), reportContent);
    }

    void lookNumber_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("number");
        QTest::newRow("3") << QByteArray("3") << 3;
        QTest::newRow("7") << QByteArray("7") << 7;
        QTest::newRow("9") << QByteArray("9") << 9;
        QTest::newRow("not a number") << QByteArray("dark") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("overflow") << QByteArray("99999999999999999999") << 0;
    }
    void lookNumber() {
        QFETCH(QByteArray, content);
        QFETCH(int, number);
        QTemporaryDir home;
        LocalSettings settings{SettingsHome(home.path())};
        QVERIFY(settings.CreateSettingsFolder().isEmpty());
        writeBytes(home.filePath("TAVRO/style.txt"), content);
        QCOMPARE(settings.readLookNumber(), std::optional<int>(number));
    }

    void rewritesOnlyExistingFiles() {
        QTemporaryDir home;
        LocalSettings settings{SettingsHome(home.path())};
        QVERIFY(settings.CreateSettingsSubfolder().isEmpty());
        const QString path = home.filePath("TAVRO/Korvanne MK3/ReportUSBErrors.txt");
        QVERIFY(!settings.rewriteIfExists(LocalSettings::ReportUsbErrorsFile, "NO"));
        QVERIFY(!QFile::exists(path));
        writeBytes(path, "YES");
        QVERIFY(settings.rewriteIfExists(LocalSettings::ReportUsbErrorsFile, "NO"));
        QCOMPARE(readBytes(path), QByteArray("NO"));
    }

    void folderCreationFailureIsReported_data() {
        QTest::addColumn<QString>("blocker");  // what stands in the way
        QTest::addColumn<QString>("reason");
        QTest::newRow("a file named TAVRO") << "file TAVRO"
                                            << "Not a directory";
        QTest::newRow("Documents is a file") << "file ."
                                             << "Not a directory";
        QTest::newRow("read-only Documents") << "read-only ."
                                             << "Permission denied";
    }
    void folderCreationFailureIsReported() {
        QFETCH(QString, blocker);
        QFETCH(QString, reason);
        QTemporaryDir root;
        QString documents = root.filePath("Documents");
        QDir().mkpath(documents);
        const auto [kind, where] = std::pair(blocker.section(' ', 0, 0), blocker.section(' ', 1));
        if (kind == "file" && where == ".") {
            QDir(documents).removeRecursively();
            writeBytes(documents, "x");
        } else if (kind == "file") {
            writeBytes(QDir(documents).filePath(where), "x");
        } else {
            if (::geteuid() == 0) QSKIP("the administrator may write anywhere");
            QFile::setPermissions(documents, QFile::ReadOwner | QFile::ExeOwner);
        }
        LocalSettings settings{SettingsHome(documents)};
        const QString folder = settings.CreateSettingsFolder();
        QVERIFY2(folder.startsWith("Error creating folder: " + reason + "\n"), qPrintable(folder));
        QVERIFY(folder.endsWith(QDir::toNativeSeparators(QDir(documents).filePath("TAVRO"))));
        const QString subfolder = settings.CreateSettingsSubfolder();
        QVERIFY2(subfolder.startsWith("Error creating subfolder: " + reason + "\n"),
                 qPrintable(subfolder));
        // Reading still works with the built-in defaults.
        const StartupSettings s = LoadStartupSettings(settings);
        QVERIFY(s.ShowUpdateMessage);
        QFile::setPermissions(documents, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void documentsFolderComesFromEnvironment() {
        const QByteArray saved = qgetenv("KORVANNE_DOCUMENTS");
        QTemporaryDir dir;
        qputenv("KORVANNE_DOCUMENTS", dir.path().toUtf8());
        QCOMPARE(SettingsHome().documents(), QDir(dir.path()).absolutePath());
        qunsetenv("KORVANNE_DOCUMENTS");
        // Without it the home folder is the last resort, never a relative path.
        QVERIFY(QDir::isAbsolutePath(SettingsHome().documents()));
        qputenv("KORVANNE_DOCUMENTS", saved);
    }

    void editorVersion() { QCOMPARE(GetEditorVersion(), QString("1.19")); }
};

QTEST_GUILESS_MAIN(TestLocalSettings)
#include "local_settings_test.moc"
