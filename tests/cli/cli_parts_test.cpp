// The command line's grammar and its confirmations on a terminal, without a pedal.
#include <QTest>
#include <cstdio>

#include "cli/command_line.h"
#include "cli/terminal_dialogs.h"
#include "cli/terminal_progress.h"

using namespace korvanne;

namespace {

// A stream that reads `text` and then ends.
struct InputStream {
    explicit InputStream(const QByteArray& text) : bytes(text) {
        // fmemopen cannot open an empty buffer for reading on every C library.
        file = bytes.isEmpty() ? std::fopen("/dev/null", "r")
                               : fmemopen(bytes.data(), size_t(bytes.size()), "r");
    }
    ~InputStream() {
        if (file) std::fclose(file);
    }
    QByteArray bytes;
    std::FILE* file = nullptr;
};

// A stream that collects what is written to it.
struct OutputStream {
    OutputStream() : file(open_memstream(&buffer, &size)) {}
    ~OutputStream() {
        std::fclose(file);
        std::free(buffer);
    }
    QByteArray text() {
        std::fflush(file);
        return QByteArray(buffer, qsizetype(size));
    }
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file;
};

}  // namespace

class CliPartsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void confirmation_data();
    void confirmation();
    void messagesUsePlainLineEnds();
    void progressBar();
    void grammar_data();
    void grammar();
};

void CliPartsTest::confirmation_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("declined");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("questionsShown");

    QTest::newRow("y") << false << true << QByteArray("y\n") << true << false << false << 1;
    QTest::newRow("YES") << false << true << QByteArray("YES\n") << true << false << false << 1;
    QTest::newRow("n") << false << true << QByteArray("n\n") << false << true << false << 1;
    QTest::newRow("asked again") << false << true << QByteArray("maybe\n\ny\n") << true << false
                                 << false << 3;
    QTest::newRow("input ends") << false << true << QByteArray() << false << true << false << 1;
    QTest::newRow("--yes") << true << true << QByteArray("n\n") << true << false << false << 0;
    QTest::newRow("--yes, no terminal")
        << true << false << QByteArray() << true << false << false << 0;
    QTest::newRow("no terminal") << false << false << QByteArray("y\n") << false << false << true
                                 << 0;
}

void CliPartsTest::confirmation() {
    QFETCH(bool, yes);
    QFETCH(bool, terminal);
    QFETCH(QByteArray, typed);
    QFETCH(bool, answer);
    QFETCH(bool, declined);
    QFETCH(bool, refused);
    QFETCH(int, questionsShown);
    InputStream in(typed);
    OutputStream out;
    TerminalDialogs dialogs(yes, terminal, in.file, out.file);
    QCOMPARE(dialogs.confirm("Set new tuning?"), answer);
    QCOMPARE(dialogs.declined(), declined);
    QCOMPARE(dialogs.confirmationRefused(), refused);
    QCOMPARE(out.text().count("Set new tuning? [y/n] "), questionsShown);
}

void CliPartsTest::messagesUsePlainLineEnds() {
    InputStream in({});
    OutputStream out;
    TerminalDialogs dialogs(false, false, in.file, out.file);
    dialogs.inform(
        "Upload the latest version of Korvanne MK3 algorithm:\r\nUpload Korvanne MK3 0014");
    QCOMPARE(out.text(),
             QByteArray("Upload the latest version of Korvanne MK3 algorithm:\nUpload Korvanne MK3 "
                        "0014\n"));
}

void CliPartsTest::progressBar() {
    OutputStream out;
    {
        TerminalProgress bar(out.file, true);
        bar.setMaximum(200);
        bar.setValue(0);
        bar.setValue(1);  // still 0 %: not drawn again
        bar.setValue(100);
        bar.setValue(250);  // beyond the end counts as the end
    }
    const QByteArray drawn = out.text();
    QCOMPARE(drawn.count('\r'), 3);
    QVERIFY2(drawn.contains("\r[" + QByteArray(20, '#') + QByteArray(20, '-') + "]  50%"), drawn);
    QVERIFY2(drawn.endsWith("\r[" + QByteArray(40, '#') + "] 100%\n"), drawn);

    OutputStream piped;
    {
        TerminalProgress bar(piped.file, false);
        bar.setValue(50);
    }
    QCOMPARE(piped.text(), QByteArray());
}

void CliPartsTest::grammar_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("error");

    QTest::newRow("port and command")
        << QStringList{"--port", "/dev/ttyUSB0", "status", "--json"} << "status"
        << QStringList{"--json"} << "/dev/ttyUSB0" << false << "";
    QTest::newRow("option=value") << QStringList{"--port=/dev/pts/4", "list"} << "list"
                                  << QStringList{} << "/dev/pts/4" << false << "";
    // Negative numbers are words, not options.
    QTest::newRow("negative numbers") << QStringList{"--simulate", "tuning", "1", "-1"} << "tuning"
                                      << QStringList{"1", "-1"} << "" << false << "";
    QTest::newRow("negative in a value")
        << QStringList{"--simulate", "set", "Dry", "angle=-45"} << "set"
        << QStringList{"Dry", "angle=-45"} << "" << false << "";
    QTest::newRow("decimal negative")
        << QStringList{"coefficients", "A2", "-6.5", "11"} << "coefficients"
        << QStringList{"A2", "-6.5", "11"} << "" << false << "";
    // A global option after the command still counts.
    QTest::newRow("--yes after the command") << QStringList{"--simulate", "store", "--yes"}
                                             << "store" << QStringList{} << "" << true << "";
    QTest::newRow("short yes") << QStringList{"-y", "--simulate", "store"} << "store"
                               << QStringList{} << "" << true << "";
    QTest::newRow("port without path") << QStringList{"status", "--port"} << "" << QStringList{}
                                       << "" << false << "The option --port needs a value.";
    QTest::newRow("unknown before the command")
        << QStringList{"--colour", "status"} << "" << QStringList{} << "" << false
        << "Unknown option --colour.";
    QTest::newRow("no command") << QStringList{"--yes"} << "" << QStringList{} << "" << false
                                << "No command given.";
    QTest::newRow("two ways to the pedal")
        << QStringList{"--serial", "FT1", "--simulate", "status"} << "" << QStringList{} << ""
        << false << "Choose only one of --port, --serial and --simulate.";
}

void CliPartsTest::grammar() {
    QFETCH(QStringList, words);
    QFETCH(QString, command);
    QFETCH(QStringList, arguments);
    QFETCH(QString, port);
    QFETCH(bool, yes);
    QFETCH(QString, error);
    QString got;
    const std::optional<CommandLine> line = parseCommandLine(words, got);
    QCOMPARE(got, error);
    QCOMPARE(line.has_value(), error.isEmpty());
    if (!line) return;
    QCOMPARE(line->command, command);
    QCOMPARE(line->arguments, arguments);
    QCOMPARE(line->options.port, port);
    QCOMPARE(line->options.yes, yes);
}

QTEST_GUILESS_MAIN(CliPartsTest)
#include "cli_parts_test.moc"
