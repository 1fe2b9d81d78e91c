// korvanne-cli as a process against korvanne-pedal-sim over a real pseudo-terminal: what only a
// process shows. The exit status from main, the serial code path a user's FTDI bridge takes,
// questions answered on a terminal or refused without one, and --help. The commands themselves
// are tested in process (tests/cli).
#include <QRegularExpression>
#include <QTest>

#include "cli_process.h"
#include "test_files.h"

using namespace korvanne::test;

class CliTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exitStatus_data();
    void exitStatus();
    void serialPathCarriesTheCommand();
    void listNamesThePort();
    void helpDocumentsEveryCommand();
    void confirmationNeedsATerminalOrYes_data();
    void confirmationNeedsATerminalOrYes();
    void confirmationOnATerminal_data();
    void confirmationOnATerminal();
};

void CliTest::exitStatus_data() {
    QTest::addColumn<QStringList>("simArguments");  // empty: no simulated pedal
    QTest::addColumn<QStringList>("cliArguments");  // PORT stands for the pedal's port
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");  // on stdout when it succeeds, on stderr when not

    const QStringList none;
    const QStringList pedal{"--firmware", "12"};
    QTest::newRow("done") << pedal << QStringList{"--port", "PORT", "status", "--json"} << 0
                          << "\"firmware\": 12";
    QTest::newRow("failed: firmware too old")
        << pedal << QStringList{"--port", "PORT", "set", "Dry", "angle=0"} << 1
        << "firmware 12 is too old";
    QTest::newRow("usage: no command")
        << none << QStringList{"--simulate"} << 2 << "No command given.";
    QTest::newRow("usage: unknown option")
        << none << QStringList{"--fast", "status"} << 2 << "Unknown option --fast.";
    QTest::newRow("no pedal: no such port")
        << none << QStringList{"--port", "/dev/no-such-port", "status"} << 3 << "No pedal found";
}

void CliTest::exitStatus() {
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, cliArguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    std::unique_ptr<Pedal> pedal;
    if (!simArguments.isEmpty()) pedal = std::make_unique<Pedal>(simArguments);
    if (pedal) cliArguments.replaceInStrings(QRegularExpression("^PORT$"), pedal->sim.path());
    const CliRun run = runCli(cliArguments);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    QVERIFY2((exitCode == 0 ? run.out : run.err).contains(said.toUtf8()), run.describe());
    if (exitCode != 0) QVERIFY2(run.out.isEmpty(), run.describe());
}

void CliTest::serialPathCarriesTheCommand() {
    Pedal pedal;
    const CliRun run = runCli(pedal.cli({"bypass", "on"}));
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, QByteArray("Bypass on.\n"));
    const CliRun status = runCli(pedal.cli({"status", "--json"}));
    QCOMPARE(status.json()["bypass"], QJsonValue(true));
    // The status request, the bypass, the next run's status request: nothing else.
    QTRY_COMPARE(pedal.received().toHex(), QByteArray("02000d010200"));
}

void CliTest::listNamesThePort() {
    Pedal pedal;
    const CliRun run = runCli(pedal.cli({"list"}));
    QVERIFY2(run.exitCode == 0, run.describe());
    const QByteArray line = (pedal.sim.path() + "\tSerial port " + pedal.sim.path()).toUtf8();
    QVERIFY2(run.out.split('\n').contains(line), run.out);
}

void CliTest::helpDocumentsEveryCommand() {
    const CliRun run = runCli({"--help"});
    QCOMPARE(run.exitCode, 0);
    for (const char* command : {"list",
                                "status [--json]",
                                "set NAME VALUE",
                                "bypass on|off",
                                "upload [FILE]",
                                "tuning TUNING SEMITONES",
                                "tuning-data",
                                "assign ",
                                "footswitch short=",
                                "store",
                                "preset save FILE",
                                "preset load FILE",
                                "range standard|low",
                                "bypass-storing on|off",
                                "range-limit on|off",
                                "midi omni|1..16",
                                "note-filter",
                                "firmware-upgrade",
                                "erase-settings",
                                "eeprom erase|read",
                                "raw ADDRESS DATA",
                                "coefficients NOTE GAIN Q",
                                "check-update",
                                "backup FILE",
                                "restore FILE [--no-store]"}) {
        QVERIFY2(run.out.contains(command), command);
    }
}

void CliTest::confirmationNeedsATerminalOrYes_data() {
    QTest::addColumn<QStringList>("words");
    QTest::newRow("erase-settings") << QStringList{"erase-settings", "--check"};
    QTest::newRow("eeprom erase") << QStringList{"eeprom", "erase"};
    QTest::newRow("tuning") << QStringList{"tuning", "1", "0"};
    QTest::newRow("tuning-data") << QStringList{"tuning-data"};
    QTest::newRow("assign") << QStringList{"assign"};
    QTest::newRow("store") << QStringList{"store"};
    QTest::newRow("range") << QStringList{"range", "low"};
}

void CliTest::confirmationNeedsATerminalOrYes() {
    QFETCH(QStringList, words);
    Pedal pedal({"--fault", "silent"});
    // Standard input is a pipe, not a terminal: nothing can answer, so nothing is sent, not even
    // the status request (the silent pedal would make a link fail with exit 1).
    const CliRun run = runCli(pedal.cli(words), "y\n");
    QVERIFY2(run.exitCode == 2, run.describe());
    QVERIFY2(run.err.contains("needs a confirmation"), run.describe());
    QVERIFY2(run.err.contains("--yes"), run.describe());
    QCOMPARE(pedal.received(), QByteArray());
}

void CliTest::confirmationOnATerminal_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("said");

    // More answers are typed in process (tests/cli); these show the terminal itself.
    QTest::newRow("yes") << QByteArray("y\n") << 0 << QByteArray("Settings memory at 50 erased.");
    QTest::newRow("no") << QByteArray("n\n") << 1 << QByteArray("Cancelled.");
}

void CliTest::confirmationOnATerminal() {
    QFETCH(QByteArray, typed);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, said);
    Pedal pedal;
    const CliRun run = runCli(pedal.cli({"eeprom", "erase"}), typed, true);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    QVERIFY2((run.out + run.err).contains(said), run.describe());
    QVERIFY2(run.err.startsWith("Erase EEPROM now? [y/N] "), run.describe());
}

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
