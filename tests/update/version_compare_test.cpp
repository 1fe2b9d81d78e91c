#include "update/version_compare.h"

#include <QTest>

#include "core/command_line.h"
#include "fake_updater.h"
#include "update/file_version.h"

using namespace korvanne;

using korvanne::test::programWithVersion;

class VersionCompareTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newerVersion_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("own");
        QTest::addColumn<int>("expected");  // 1 newer, 0 not newer, -1 unreadable
        QTest::newRow("1.20 after 1.19") << "1.20"
                                         << "1.19" << 1;
        QTest::newRow("equal is no update") << "1.19"
                                            << "1.19" << 0;
        QTest::newRow("1.9 before 1.19") << "1.9"
                                         << "1.19" << 0;
        QTest::newRow("2.0 after 1.19") << "2.0"
                                        << "1.19" << 1;
        QTest::newRow("1.10 after 1.9") << "1.10"
                                        << "1.9" << 1;
        QTest::newRow("1.4 after 1.3") << "1.4"
                                       << "1.3" << 1;
        QTest::newRow("missing number counts as 0") << "1.2"
                                                    << "1.2.0" << 0;
        QTest::newRow("third number decides") << "1.2.1"
                                              << "1.2" << 1;
        QTest::newRow("line end trimmed") << "1.20\r\n"
                                          << "1.19" << 1;
        QTest::newRow("blanks trimmed") << "  1.20 \t"
                                        << "1.19" << 1;
        QTest::newRow("no overflow") << "65535.65535"
                                     << "1.4" << 1;
        QTest::newRow("large numbers") << "4294967295.1"
                                       << "4294967294.9" << 1;
        QTest::newRow("empty") << ""
                               << "1.19" << -1;
        QTest::newRow("html page") << "<html>1.20</html>"
                                   << "1.19" << -1;
        QTest::newRow("letters") << "1.2a"
                                 << "1.19" << -1;
        QTest::newRow("double point") << "1..2"
                                      << "1.19" << -1;
        QTest::newRow("trailing point") << "1.2."
                                        << "1.19" << -1;
        QTest::newRow("leading point") << ".2"
                                       << "1.19" << -1;
        QTest::newRow("sign") << "-1.2"
                              << "1.19" << -1;
        QTest::newRow("beyond 32 bits") << "4294967296.0"
                                        << "1.19" << -1;
        QTest::newRow("line end inside") << "1.\n20"
                                         << "1.19" << -1;
        QTest::newRow("own version unknown") << "1.20"
                                             << "Version info not available" << -1;
    }
    void newerVersion() {
        QFETCH(QString, server);
        QFETCH(QString, own);
        QFETCH(int, expected);
        const std::optional<bool> newer = IsNewerVersion(server.toStdString(), own.toStdString());
        QCOMPARE(newer ? int(*newer) : -1, expected);
    }

    void fileVersion_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");  // empty: none
        auto bytes = [](const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); };
        QTest::newRow("1.4") << bytes(programWithVersion(1, 4, 2, 7)) << "1.4.2.7";
        QTest::newRow("at the start") << bytes(programWithVersion(1, 10, 0, 0, 0)) << "1.10.0.0";
        QTest::newRow("largest") << bytes(programWithVersion(65535, 65535)) << "65535.65535.0.0";
        // The block is 32-bit aligned; a signature elsewhere is not one.
        QTest::newRow("unaligned") << bytes(programWithVersion(1, 4, 0, 0, 66)) << "";
        QTest::newRow("no version information") << QByteArray(200, 'M') << "";
        QTest::newRow("cut short") << bytes(programWithVersion(1, 4)).left(64 + 20) << "";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void fileVersion() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const auto v = readFileVersion(std::string_view(bytes.constData(), bytes.size()));
        const QString text = v ? QStringLiteral("%1.%2.%3.%4")
                                     .arg(v->major)
                                     .arg(v->minor)
                                     .arg(v->build)
                                     .arg(v->revision)
                               : QString();
        QCOMPARE(text, expected);
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("updater's two paths")
            << QStringList{"C:\\Users\\Ann\\AppData\\Local\\Temp\\Korvanne_Editor_Update.exe",
                           "C:\\Program Files\\TAVRO\\Korvanne Editor.exe"}
            << "\"C:\\Users\\Ann\\AppData\\Local\\Temp\\Korvanne_Editor_Update.exe\" \"C:\\Program "
               "Files\\TAVRO\\Korvanne Editor.exe\"";
        QTest::newRow("none") << QStringList{} << "";
        QTest::newRow("empty argument") << QStringList{""} << "\"\"";
        QTest::newRow("quote inside") << QStringList{"a\"b"} << "\"a\\\"b\"";
        QTest::newRow("backslashes before a quote")
            << QStringList{"a\\\\\"b"} << "\"a\\\\\\\\\\\"b\"";
        QTest::newRow("folder ending in a backslash")
            << QStringList{"C:\\Temp\\", "x"} << "\"C:\\Temp\\\\\" \"x\"";
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        std::vector<std::string> args;
        for (const QString& a : arguments) args.push_back(a.toStdString());
        QCOMPARE(QString::fromStdString(windowsCommandLine(args)), expected);
    }
};

QTEST_APPLESS_MAIN(VersionCompareTest)
#include "version_compare_test.moc"
