// korvanne-cli's tunings, assignments, store, pedal-wide settings, note filter and restore, run in
// process on virtual time against the simulated pedal.
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

#include "cli_harness.h"
#include "operations/pedal_backup.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

// The nine stored values of a new simulated pedal, in the store message's order.
const QByteArray FactoryStore =
    "03"
    "00400000"   // Input Level
    "00400000"   // 1st Harmonic Pitch
    "007fe000"   // Wave Clip
    "00000000"   // Dominant Notes Cut
    "00000000"   // High Notes Cut
    "00000000"   // Dry HPF
    "00000000"   // Limit Range UP
    "00000000"   // Noise Gate Status
    "00200000";  // Noise Gate Threshold

}  // namespace

class CliSettingsCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void commandSendsOnlyItsMessage_data();
    void commandSendsOnlyItsMessage();
    void tuningDataFollowsTheBypass();
    void noteCutNeedsATuning_data();
    void noteCutNeedsATuning();
    void restoreMovesSettingsToAnotherPedal();
    void simulatedPedal_data();
    void simulatedPedal();

private:
    // A backup and a preset of the built-in simulated pedal, made once for the whole class.
    QTemporaryDir files_;
    QString backup_;
    QString preset_;
};

void CliSettingsCommandsTest::initTestCase() {
    backup_ = files_.filePath("backup.json");
    preset_ = files_.filePath("preset.txt");
    CliHarness cli;
    QCOMPARE(cli.run({"--simulate", "backup", backup_}).exitCode, 0);
    QCOMPARE(cli.run({"--simulate", "preset", "save", preset_}).exitCode, 0);
}

void CliSettingsCommandsTest::commandSendsOnlyItsMessage_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QByteArray>("sent");  // hex, after the link's status request 02 00
    QTest::addColumn<QByteArray>("said");

    QTest::newRow("tuning, negative semitones")
        << QStringList{"tuning", "3", "-2"} << QByteArray("0903fe") << QByteArray("DADGAD");
    QTest::newRow("tuning, plus sign")
        << QStringList{"tuning", "0", "+3"} << QByteArray("090003") << QByteArray("semitones +3");
    QTest::newRow("assign, names of several words and any letter case")
        << QStringList{"assign", "control1=Input Level",    "control2=wave",
                       "clip",   "control3=limit range up", "remote=bypass"}
        << QByteArray(
               "04"
               "0101010001"
               "000b00c6ff00fffffffe")
        << QByteArray("control4: Not Assigned");
    QTest::newRow("assign nothing: every control not assigned")
        << QStringList{"assign"} << QByteArray("040000000000ffffffffffffffffffff")
        << QByteArray("remote: Not Assigned");
    QTest::newRow("footswitch both presses")
        << QStringList{"footswitch", "short=preset", "long=bypass"} << QByteArray("080101")
        << QByteArray("short press preset, long press bypass");
    QTest::newRow("footswitch keeps the press not named")
        << QStringList{"footswitch", "long=bypass"} << QByteArray("080001")
        << QByteArray("short press bypass, long press bypass");
    QTest::newRow("store the values just read")
        << QStringList{"store"} << FactoryStore << QByteArray("Parameters saved");
    QTest::newRow("range low") << QStringList{"range", "low"} << QByteArray("0fba0203040506b3")
                               << QByteArray("Instrument range low.");
    QTest::newRow("range standard") << QStringList{"range", "Standard"}
                                    << QByteArray("0fff0102030405f1") << QByteArray("standard");
    QTest::newRow("bypass storing on") << QStringList{"bypass-storing", "on"} << QByteArray("1001")
                                       << QByteArray("Bypass storing on.");
    QTest::newRow("bypass storing off")
        << QStringList{"bypass-storing", "off"} << QByteArray("10ff") << QByteArray("off");
    QTest::newRow("range limit on")
        << QStringList{"range-limit", "on"} << QByteArray("1101") << QByteArray("Range limit on.");
    QTest::newRow("range limit off")
        << QStringList{"range-limit", "off"} << QByteArray("11ff") << QByteArray("off");
    QTest::newRow("midi omni") << QStringList{"midi", "omni"} << QByteArray("0700")
                               << QByteArray("MIDI channel OMNI.");
    QTest::newRow("midi 16") << QStringList{"midi", "16"} << QByteArray("0710")
                             << QByteArray("MIDI channel 16.");
    QTest::newRow("note filter, notes in code order")
        << QStringList{"note-filter", "E3", "a#2"} << QByteArray("090107")
        << QByteArray("Note filter: A#2, E3.");
    QTest::newRow("note filter cleared")
        << QStringList{"note-filter"} << QByteArray("09ffff") << QByteArray("Note filter cleared.");
}

void CliSettingsCommandsTest::commandSendsOnlyItsMessage() {
    QFETCH(QStringList, words);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, said);
    CliHarness cli;
    const CliRun run = cli.run(QStringList{"--yes"} + words);
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY2(run.out.contains(said), run.describe());
    QCOMPARE(cli.settled().toHex(), QByteArray("0200") + sent);
}

void CliSettingsCommandsTest::tuningDataFollowsTheBypass() {
    CliHarness cli;
    const CliRun run = cli.run({"--yes", "tuning-data"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, QByteArray("Tuning data uploaded.\n"));
    // The status request, the bypass, then command 0E with the 640 bytes of tuning data.
    const QByteArray received = cli.settled();
    QCOMPARE(received.size(), 2 + 2 + 1 + 640);
    QVERIFY(received.startsWith(QByteArray::fromHex("02000d010e")));
}

void CliSettingsCommandsTest::noteCutNeedsATuning_data() {
    QTest::addColumn<QStringList>("tuning");  // a tuning command run first, or none
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("lastSent");  // hex

    const QStringList none;
    const QStringList standard{"--yes", "tuning", "1", "0"};
    QTest::newRow("set with a tuning") << standard << QStringList{"set", "High Notes Cut", "on"}
                                       << 0 << QByteArray("01000e00000001");
    QTest::newRow("set without a tuning")
        << none << QStringList{"set", "High Notes Cut", "on"} << 1 << QByteArray("01000e00000000");
    QTest::newRow("assign with a tuning")
        << standard << QStringList{"--yes", "assign", "control4=Dominant Notes Cut"} << 0
        << QByteArray("040000000100ffffffffffff001dffff");
    // The rule turns the choice back before anything is sent.
    QTest::newRow("assign without a tuning")
        << none << QStringList{"--yes", "assign", "control4=Dominant Notes Cut"} << 1
        << QByteArray("0200");
}

void CliSettingsCommandsTest::noteCutNeedsATuning() {
    QFETCH(QStringList, tuning);
    QFETCH(QStringList, words);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, lastSent);
    CliHarness cli;
    if (!tuning.isEmpty()) QCOMPARE(cli.run(tuning).exitCode, 0);
    const CliRun run = cli.run(words);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    if (exitCode != 0) {
        QVERIFY2(run.err.contains("a tuning before"), run.describe());
        QCOMPARE(run.err.count('\n'), 1);
    }
    const QByteArray received = cli.settled().toHex();
    QVERIFY2(received.endsWith(lastSent), received);
}

void CliSettingsCommandsTest::restoreMovesSettingsToAnotherPedal() {
    // The first pedal gets a sound and settings of its own, each read back from its status.
    CliHarness first;
    for (const QStringList& words :
         {QStringList{"tuning", "3", "-2"},
          {"assign", "control1=Input Level", "control3=Dominant Notes Cut", "remote=preset"},
          {"footswitch", "short=preset", "long=bypass"},
          {"range", "low"},
          {"bypass-storing", "on"},
          {"midi", "12"},
          {"set", "Dry", "angle=-45"},
          {"set", "Low Pass", "angle=90"}}) {
        const CliRun run = first.run(QStringList{"--yes"} + words);
        QVERIFY2(run.exitCode == 0, words.join(' ').toUtf8() + '\n' + run.describe());
    }
    const QJsonObject firstState = first.run({"status", "--json"}).json();
    QCOMPARE(firstState["tuning"].toInt(), 3);
    QCOMPARE(firstState["semitones"].toInt(), -2);
    QCOMPARE(firstState["footswitch_mode"].toInt(), 3);
    QCOMPARE(firstState["instrument_range"], QJsonValue("low"));
    QCOMPARE(firstState["store_bypass_status"], QJsonValue(true));
    QCOMPARE(firstState["midi_channel"].toInt(), 12);
    const QJsonObject assignments = firstState["assignments"].toObject();
    QCOMPARE(assignments["control1"].toString(), QString("Input Level"));
    QCOMPARE(assignments["control2"].toString(), QString("Not Assigned"));
    QCOMPARE(assignments["control3"].toString(), QString("Dominant Notes Cut"));
    QCOMPARE(assignments["remote"].toString(), QString("Preset"));

    QTemporaryDir dir;
    const QString file = dir.filePath("first.json");
    QCOMPARE(first.run({"backup", file}).exitCode, 0);

    // The second pedal starts with other settings.
    CliHarness second;
    for (const QStringList& words :
         {QStringList{"tuning", "1", "1"}, {"midi", "2"}, {"set", "Sub Mix", "angle=0"}}) {
        QCOMPARE(second.run(QStringList{"--yes"} + words).exitCode, 0);
    }
    QVERIFY(second.run({"status", "--json"}).json() != firstState);

    const CliRun restore = second.run({"--yes", "restore", file});
    QVERIFY2(restore.exitCode == 0, restore.describe());
    for (const char* line : {"tuning: 1 -> 3\n", "semitones: 1 -> -2\n",
                             "assignments.control3: Not Assigned -> Dominant Notes Cut\n",
                             "instrument_range: standard -> low\n", "midi_channel: 2 -> 12\n",
                             "parameters.Sub Mix: 006A8000 -> 00400000\n",
                             "parameters.Low Pass: 00000018 -> 0000000C\n"}) {
        QVERIFY2(restore.out.contains(line), line + ('\n' + restore.describe()));
    }
    // Finished with "Save Parameters" of the restored values.
    QVERIFY(second.settled().toHex().contains("0300400000"));
    QCOMPARE(second.run({"status", "--json"}).json(), firstState);

    // Asked on a terminal, Enter answers No: nothing reaches the pedal.
    const qsizetype beforeEnter = second.settled().size();
    const CliRun enter = second.run({"restore", file}, "\n", true);
    QCOMPARE(enter.exitCode, 1);
    QVERIFY2(enter.err.startsWith(PedalBackup::restoreQuestion(file).toUtf8() + " [y/N] "),
             enter.describe());
    QVERIFY2(enter.err.contains("Cancelled."), enter.describe());
    QCOMPARE(second.settled().mid(beforeEnter), QByteArray());

    // Once restored, nothing differs: only the status request goes out.
    const qsizetype before = second.settled().size();
    const CliRun again = second.run({"--yes", "restore", file, "--no-store"});
    QVERIFY2(again.exitCode == 0, again.describe());
    QVERIFY2(again.out.contains("already holds"), again.describe());
    QCOMPARE(second.settled().mid(before).toHex(), QByteArray("0200"));
}

void CliSettingsCommandsTest::simulatedPedal_data() {
    QTest::addColumn<QStringList>("words");  // BACKUP and PRESET stand for files
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");  // what the command says, as it says it
    QTest::newRow("status") << QStringList{"status"} << 0
                            << "Effect: 0 (Korvanne MK3 0014)\nFootswitch mode: 0";
    QTest::newRow("set") << QStringList{"set", "Dry", "angle=10"} << 0
                         << "Dry: 8.0 = 0065C000 (address 0027)\n";
    QTest::newRow("bypass") << QStringList{"bypass", "on"} << 0 << "Bypass on.\n";
    QTest::newRow("upload") << QStringList{"upload"} << 0 << "UPLOAD OK 0014\n";
    QTest::newRow("tuning") << QStringList{"tuning", "1", "-1"} << 0
                            << "Tuning 1 (Standard (EADGBE)), semitones -1.\n";
    QTest::newRow("tuning-data") << QStringList{"tuning-data"} << 0 << "Tuning data uploaded.\n";
    QTest::newRow("assign") << QStringList{"assign", "control2=Dry HPF"} << 0
                            << "control2: Dry HPF\n";
    QTest::newRow("footswitch") << QStringList{"footswitch", "short=preset"} << 0
                                << "Footswitch: short press preset, long press preset.\n";
    QTest::newRow("store") << QStringList{"store"} << 0 << "Parameters saved in the pedal.\n";
    QTest::newRow("preset save") << QStringList{"preset", "save", "PRESET"} << 0
                                 << "File saved successfully: ";
    QTest::newRow("preset load") << QStringList{"preset", "load", "PRESET"} << 0
                                 << "File loaded successfully: ";
    QTest::newRow("range") << QStringList{"range", "low"} << 0 << "Instrument range low.\n";
    QTest::newRow("bypass-storing")
        << QStringList{"bypass-storing", "on"} << 0 << "Bypass storing on.\n";
    QTest::newRow("range-limit") << QStringList{"range-limit", "on"} << 0 << "Range limit on.\n";
    QTest::newRow("midi") << QStringList{"midi", "1"} << 0 << "MIDI channel 1.\n";
    QTest::newRow("note-filter") << QStringList{"note-filter", "C3"} << 0 << "Note filter: C3.\n";
    QTest::newRow("firmware-upgrade")
        << QStringList{"firmware-upgrade"} << 0 << "Firmware upgraded to 13.\n";
    QTest::newRow("erase-settings")
        << QStringList{"erase-settings", "--check"} << 0 << "Settings memory erased.\n";
    // A new simulated pedal's settings memory holds zeros, which the check calls not empty.
    QTest::newRow("eeprom read") << QStringList{"eeprom", "read"} << 1 << "Memory is not empty\n";
    QTest::newRow("raw") << QStringList{"raw", "000B", "007FE000"} << 0 << "Sent 01000B007FE000.\n";
    QTest::newRow("list") << QStringList{"list"} << 0 << "KVSIM0001\tKorvanne MK3 (simulated)\n";
    QTest::newRow("restore")
        << QStringList{"restore", "BACKUP"} << 0
        << "The pedal already holds the backup's settings.\nParameters saved in the pedal.\n";
}

void CliSettingsCommandsTest::simulatedPedal() {
    QFETCH(QStringList, words);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    words.replaceInStrings(QRegularExpression("^BACKUP$"), backup_);
    words.replaceInStrings(QRegularExpression("^PRESET$"), preset_);
    CliHarness cli;
    const CliRun run = cli.run(QStringList{"--simulate", "--yes"} + words);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    QVERIFY2((run.out + run.err).contains(printed.toUtf8()), run.describe());
}

QTEST_GUILESS_MAIN(CliSettingsCommandsTest)
#include "cli_settings_commands_test.moc"
