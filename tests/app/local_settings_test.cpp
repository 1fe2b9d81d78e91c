// The one-line settings files, their folders and the start-up values read from them.
#include "app/local_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("showUpdate");
        QTest::addColumn<bool>("reportErrors");
        // Values compare exactly; anything unknown keeps the initial value (show on, report off).
        QTest::newRow("YES") << QByteArray("YES") << true << true;
        QTest::newRow("NO") << QByteArray("NO") << false << false;
        QTest::newRow("lower-case yes") << QByteArray("yes") << true << false;
        QTest::newRow("YES with line end") << QByteArray("YES\r\n") << true << false;
        QTest::newRow("garbage") << QByteArray("\xff\xfe\x00garbage", 10) << true << false;
        QTest::newRow("empty") << QByteArray() << true << false;
        QTest::newRow("UTF-8 mark then NO") << QByteArray("\xEF\xBB\xBFNO") << false << false;
        QTest::newRow("UTF-16 mark then YES") << QByteArray("\xFF\xFEY\0E\0S\0", 8) << true << true;
    }
    void settingsValues() {
        QFETCH(QByteArray, content);
        QFETCH(bool, showUpdate);
        QFETCH(bool, reportErrors);
        QTemporaryDir home;
        LocalSettings settings{SettingsHome(home.path())};
        QVERIFY(settings.CreateSettingsSubfolder().isEmpty());
        const QString product = home.filePath("TAVRO/Korvanne MK3");
        writeBytes(product + "/ShowMessageVersionAtStartup.txt", content);
        writeBytes(product + "/ReportUSBErrors.txt", content);
        const StartupSettings s = LoadStartupSettings(settings);
        QCOMPARE(s.ShowUpdateMessage, showUpdate);
        QCOMPARE(s.ReportUSBErrors, reportErrors);
        // Reading never rewrites a file it does not understand.
        QCOMPARE(readBytes(product + "/ReportUSBErrors.txt"), content);
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

    void folderCreationFailureIsReported() {
        QTemporaryDir home;
        // A file where the settings folder should be.
        writeBytes(home.filePath("TAVRO"), "x");
        LocalSettings settings{SettingsHome(home.path())};
        QVERIFY(settings.CreateSettingsFolder().startsWith("Error creating folder: "));
        QVERIFY(settings.CreateSettingsSubfolder().startsWith("Error creating subfolder: "));
        // Reading still works with the built-in defaults.
        const StartupSettings s = LoadStartupSettings(settings);
        QVERIFY(s.ShowUpdateMessage);
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
