// korvanne-cli's commands run in process on virtual time against the simulated pedal: exit
// status, what is printed, and the bytes the pedal received.
#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include "cli_harness.h"
#include "device/hex_text.h"
#include "effect/parameter_catalogue.h"
#include "loopback_http_server.h"
#include "operations/local_settings.h"
#include "sim_arguments.h"
#include "test_files.h"
#include "update/update_check.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

// The value a knob position sends.
QByteArray knobValueAt(int position) {
    return QByteArray::number(EncodeKnob(knobAngleFromPosition(position)).value, 16)
        .rightJustified(8, '0');
}

}  // namespace

class CliCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void statusJson_data();
    void statusJson();
    void statusText();
    void bypassChangesThePedal_data();
    void bypassChangesThePedal();
    void rawSendIsLogged();
    void listNamesTheBridge();
    void simulatedPedal();
    void severalBridgesWantASerial();
    void failures_data();
    void failures();
    void onlyWhatTheCommandSends_data();
    void onlyWhatTheCommandSends();
    void setOneParameter_data();
    void setOneParameter();
    void badValuesSendNothing_data();
    void badValuesSendNothing();
    void statusShowsTheParametersAsTheWindowDoes_data();
    void statusShowsTheParametersAsTheWindowDoes();
    void presetRoundTrip();
    void upload();
    void uploadRefusedByThePedal();
    void uploadFromAFile();
    void uploadRefusesAFileThatIsNotAnImage_data();
    void uploadRefusesAFileThatIsNotAnImage();
    void firmwareUpgrade_data();
    void firmwareUpgrade();
    void eraseSettings_data();
    void eraseSettings();
    void confirmationWithoutATerminal();
    void confirmationTyped_data();
    void confirmationTyped();
    void coefficients_data();
    void coefficients();
    void checkUpdate_data();
    void checkUpdate();
    void backupWritesTheStatus();
    void malformedBackupIsRefused_data();
    void malformedBackupIsRefused();
    void backupWithOrWithoutShownValuesRestores_data();
    void backupWithOrWithoutShownValuesRestores();
};

void CliCommandsTest::statusJson_data() {
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QString>("algorithm");
    QTest::addColumn<int>("effect");
    QTest::addColumn<QString>("effectName");

    const QString current = "Korvanne MK3 0014";
    QTest::newRow("current pedal") << QStringList{} << 13 << "0014" << 0 << current;
    // The delivered effect list holds one effect.
    QTest::newRow("unknown effect") << QStringList{"--effect", "2"} << 13 << "0014" << 2 << "";
    // An old pedal is still read and shown.
    QTest::newRow("old firmware") << QStringList{"--firmware", "12"} << 12 << "0014" << 0
                                  << current;
}

void CliCommandsTest::statusJson() {
    QFETCH(QStringList, simArguments);
    QFETCH(int, firmware);
    QFETCH(QString, algorithm);
    QFETCH(int, effect);
    QFETCH(QString, effectName);
    CliHarness cli(simOptions(simArguments));
    const CliRun run = cli.run({"status", "--json"});
    QVERIFY2(run.exitCode == 0, run.describe());
    const QJsonObject o = run.json();
    QCOMPARE(o["firmware"].toInt(), firmware);
    QCOMPARE(o["algorithm"].toString(), algorithm);
    QCOMPARE(o["effect"].toInt(), effect);
    QCOMPARE(o["effect_name"].toString(), effectName);
    QCOMPARE(o["bypass"], QJsonValue(false));
    QCOMPARE(o["store_bypass_status"], QJsonValue(false));
    QCOMPARE(o["instrument_range"], QJsonValue("standard"));
    QCOMPARE(o["midi_channel"], QJsonValue("OMNI"));
    QCOMPARE(o["footswitch_mode"].toInt(), 0);
    QCOMPARE(o["semitones"].toInt(), 0);
}

void CliCommandsTest::statusText() {
    CliHarness cli;
    const CliRun run = cli.run({"status"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY2(run.out.contains("Firmware: 13\n"), run.out);
    QVERIFY2(run.out.contains("Algorithm: 0014\n"), run.out);
    QVERIFY2(run.out.contains("Bypass: off\n"), run.out);
    QVERIFY2(run.out.contains("Control I: Not Assigned\n"), run.out);
    QVERIFY2(run.out.contains("Remote footswitch: Not Assigned\n"), run.out);
}

void CliCommandsTest::bypassChangesThePedal_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("on");
    QTest::newRow("on") << "on" << true;
    QTest::newRow("off") << "off" << false;
}

void CliCommandsTest::bypassChangesThePedal() {
    QFETCH(QString, word);
    QFETCH(bool, on);
    CliHarness cli;
    // Start from the other state, so the change is visible.
    if (!on) QCOMPARE(cli.run({"bypass", "on"}).exitCode, 0);
    const CliRun run = cli.run({"bypass", word});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, ("Bypass " + word + ".\n").toUtf8());
    QCOMPARE(cli.run({"status", "--json"}).json()["bypass"], QJsonValue(on));
}

void CliCommandsTest::rawSendIsLogged() {
    CliHarness cli;
    QTemporaryDir dir;
    const QString log = dir.filePath("cli.log");
    const CliRun run = cli.run({"--log", log, "raw", "000B", "007FE000"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, QByteArray("Sent 01000B007FE000.\n"));
    const QByteArray lines = readBytes(log);
    QVERIFY2(lines.contains("\n01000B007FE000\n"), lines);
    QVERIFY2(lines.contains("received_bytes_array size: 102"), lines);
}

void CliCommandsTest::listNamesTheBridge() {
    CliHarness cli;
    const CliRun run = cli.run({"list"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, QByteArray("KVSIM0001\tKorvanne MK3 (simulated)\n"));
    // Listing opens nothing.
    QCOMPARE(cli.received(), QByteArray());
}

void CliCommandsTest::simulatedPedal() {
    CliHarness cli;
    const CliRun run = cli.run({"--simulate", "status", "--json"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.json()["firmware"].toInt(), 13);
    QCOMPARE(run.json()["algorithm"].toString(), QString("0014"));
    // The built-in pedal, not the harness's own.
    QCOMPARE(cli.received(), QByteArray());
}

void CliCommandsTest::severalBridgesWantASerial() {
    CliHarness cli;
    PedalModel& second = cli.transport.addPedal();
    const CliRun unchosen = cli.run({"status"});
    QCOMPARE(unchosen.exitCode, 2);
    QVERIFY2(unchosen.err.startsWith("Several USB bridges are connected (KVSIM0001, KVSIM0002); "
                                     "choose one with --serial SERIAL."),
             unchosen.describe());
    QCOMPARE(cli.received(), QByteArray());
    // The one named is linked; the other is not touched.
    const CliRun chosen = cli.run({"--serial", "KVSIM0002", "bypass", "on"});
    QVERIFY2(chosen.exitCode == 0, chosen.describe());
    cli.clock.advance(1000);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(second.received().data()),
                        qsizetype(second.received().size()))
                 .toHex(),
             QByteArray("02000d01"));
    QCOMPARE(cli.received(), QByteArray());
}

void CliCommandsTest::failures_data() {
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QStringList>("cliArguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QStringList none;
    QTest::newRow("no such port") << none << QStringList{"--port", "/dev/no-such-port", "status"}
                                  << 3 << "No pedal found";
    QTest::newRow("no answer") << QStringList{"--fault", "no-answer"} << QStringList{"status"} << 1
                               << "did not answer the status request";
    QTest::newRow("no pedal by that serial") << none << QStringList{"--serial", "KV999", "status"}
                                             << 3 << "No pedal found with serial number KV999.";
    QTest::newRow("no command") << none << QStringList{"--simulate"} << 2 << "No command given.";
    QTest::newRow("unknown command")
        << none << QStringList{"--simulate", "fly"} << 2 << "Unknown command 'fly'.";
    QTest::newRow("unknown option")
        << none << QStringList{"--fast", "status"} << 2 << "Unknown option --fast.";
    QTest::newRow("two pedals named")
        << none << QStringList{"--simulate", "--port", "x", "status"} << 2 << "Choose only one of";
    QTest::newRow("bypass maybe") << none << QStringList{"--simulate", "bypass", "maybe"} << 2
                                  << "bypass wants on or off.";
    QTest::newRow("status option")
        << none << QStringList{"--simulate", "status", "--xml"} << 2 << "Unknown option --xml.";
    QTest::newRow("raw short address") << none << QStringList{"--simulate", "raw", "B", "007FE000"}
                                       << 2 << "the address must be four hexadecimal digits";
    QTest::newRow("coefficients unknown note")
        << none << QStringList{"coefficients", "H2", "6", "1.41"} << 2 << "NOTE must be one of";
    QTest::newRow("coefficients Q of 0") << none << QStringList{"coefficients", "A2", "6", "0"} << 2
                                         << "Q must be a number above 0.";
    QTest::newRow("eeprom address")
        << none << QStringList{"--simulate", "eeprom", "read", "--address", "52"} << 2
        << "--address wants 50 or 51.";
    QTest::newRow("raw short data") << none << QStringList{"--simulate", "raw", "000B", "7FE"} << 2
                                    << "the data must be eight hexadecimal digits";
    QTest::newRow("tuning out of range")
        << none << QStringList{"--simulate", "tuning", "9", "0"} << 2 << "TUNING must be";
    QTest::newRow("semitones out of range")
        << none << QStringList{"--simulate", "tuning", "1", "4"} << 2 << "SEMITONES must be";
    QTest::newRow("assign unknown control")
        << none << QStringList{"--simulate", "assign", "control5=Dry"} << 2 << "not 'control5'";
    QTest::newRow("assign a parameter the control does not offer")
        << none << QStringList{"--simulate", "assign", "control1=Dry"} << 2
        << "'Dry' cannot be assigned to control1";
    QTest::newRow("footswitch maybe")
        << none << QStringList{"--simulate", "footswitch", "short=maybe"} << 2
        << "short= wants bypass or preset.";
    QTest::newRow("midi 17") << none << QStringList{"--simulate", "midi", "17"} << 2
                             << "midi wants omni or a channel from 1 to 16.";
    QTest::newRow("note named twice")
        << none << QStringList{"--simulate", "note-filter", "A2", "a2"} << 2 << "named twice";
    QTest::newRow("note outside the filter")
        << none << QStringList{"--simulate", "note-filter", "F3"} << 2 << "'F3' is not a note";
}

void CliCommandsTest::failures() {
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, cliArguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    CliHarness cli(simOptions(simArguments));
    const CliRun run = cli.run(cliArguments);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    QVERIFY2(run.err.contains(message.toUtf8()), run.describe());
    QVERIFY2(run.out.isEmpty(), run.describe());
}

void CliCommandsTest::onlyWhatTheCommandSends_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QByteArray>("sent");  // hex, after the link's status request 02 00

    QTest::newRow("status") << QStringList{"status"} << QByteArray("");
    QTest::newRow("status --json") << QStringList{"status", "--json"} << QByteArray("");
    QTest::newRow("bypass on") << QStringList{"bypass", "on"} << QByteArray("0d01");
    QTest::newRow("bypass off") << QStringList{"bypass", "off"} << QByteArray("0d00");
    QTest::newRow("raw") << QStringList{"raw", "000b", "007fe000"} << QByteArray("01000b007fe000");
    QTest::newRow("erase without check")
        << QStringList{"--yes", "erase-settings"} << QByteArray("0b50000000");
    QTest::newRow("eeprom erase 51")
        << QStringList{"--yes", "eeprom", "erase", "--address", "51"} << QByteArray("0b51000000");
}

void CliCommandsTest::onlyWhatTheCommandSends() {
    QFETCH(QStringList, words);
    QFETCH(QByteArray, sent);
    // Reading the pedal never writes to it: the link puts only the status request on the wire.
    CliHarness cli;
    const CliRun run = cli.run(words);
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(cli.settled().toHex(), QByteArray("0200") + sent);
}

void CliCommandsTest::setOneParameter_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("value");  // hex of the parameter write's value

    QTest::newRow("knob at its maximum")
        << QStringList{"set", "dry", "angle=-45"} << 0 << QByteArray("007fe000");
    QTest::newRow("knob in the dead zone snaps")
        << QStringList{"set", "Noise", "Gate", "Threshold", "angle=-100"} << 0
        << QByteArray("00000000");
    QTest::newRow("switch") << QStringList{"set", "Wave", "off"} << 0 << QByteArray("00600000");
    QTest::newRow("pitch") << QStringList{"set", "1st Harmonic Pitch", "pitch=12"} << 0
                           << QByteArray("00800000");
    QTest::newRow("raw value") << QStringList{"set", "Input Level", "raw=0x00123456"} << 0
                               << QByteArray("00123456");
    // The value as the effect window shows it: a knob goes to the position showing it nearest
    // to value × 269 / 10 (6.5: position 175, angle 49) and sends what that position sends.
    QTest::newRow("knob shown value")
        << QStringList{"set", "Dry", "6.5"} << 0 << QByteArray("00534000");
    QTest::newRow("knob at the 6.5 position's angle")
        << QStringList{"set", "Dry", "angle=49"} << 0 << QByteArray("00534000");
    QTest::newRow("knob shown 0") << QStringList{"set", "Wave Clip", "0"} << 0 << knobValueAt(0);
    QTest::newRow("knob shown 10.0")
        << QStringList{"set", "Dry HPF", "10.0"} << 0 << QByteArray("007fe000");
    // Reported in 24 steps, sent in the knobs' own encoding like the others.
    QTest::newRow("Low Pass shown 5.0")
        << QStringList{"set", "Low Pass", "5.0"} << 0 << knobValueAt(135);
    QTest::newRow("pitch as a bare negative number")
        << QStringList{"set", "1st Harmonic Pitch", "-11"} << 0 << QByteArray("0022aaa8");
    QTest::newRow("pitch 0") << QStringList{"set", "1st Harmonic Pitch", "0"} << 0
                             << QByteArray("00400000");
    QTest::newRow("Wave on") << QStringList{"set", "Wave", "on"} << 0 << QByteArray("00400000");
    QTest::newRow("Noise Gate Status on")
        << QStringList{"set", "Noise Gate Status", "on"} << 0 << QByteArray("00000001");
    // Without a tuning the note cut turns itself off again and sends 0.
    QTest::newRow("note cut without a tuning")
        << QStringList{"set", "Dominant Notes Cut", "on"} << 1 << QByteArray("00000000");
}

void CliCommandsTest::setOneParameter() {
    QFETCH(QStringList, words);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, value);
    CliHarness cli;
    const CliRun run = cli.run(words);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    // The status request, then one parameter write: 01, the image's address, the value.
    const QByteArray received = cli.settled();
    QCOMPARE(received.size(), 2 + 7);
    const QByteArray write = received.mid(2);
    QCOMPARE(write.left(1).toHex(), QByteArray("01"));
    QCOMPARE(write.right(4).toHex(), value);
    // The value written is printed with its address.
    QVERIFY2(run.out.endsWith(" = " + value.toUpper() + " (address " +
                              write.mid(1, 2).toHex().toUpper() + ")\n"),
             run.describe());
}

void CliCommandsTest::badValuesSendNothing_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("message");
    const QString knob =
        "Dry wants 0.0 to 10.0 with at most one decimal (e.g. 6.5) as the effect "
        "window shows it, or angle=DEG or raw=0xHHHHHHHH.";
    QTest::newRow("knob above 10") << QStringList{"set", "Dry", "10.5"} << knob;
    QTest::newRow("knob negative") << QStringList{"set", "Dry", "-1"} << knob;
    QTest::newRow("knob two decimals") << QStringList{"set", "Dry", "6.55"} << knob;
    QTest::newRow("knob not a number") << QStringList{"set", "Dry", "loud"} << knob;
    QTest::newRow("pitch beyond -12")
        << QStringList{"set", "1st Harmonic Pitch", "-13"}
        << "1st Harmonic Pitch wants semitones from -12 to +12 (e.g. -11) as the effect window "
           "shows it, or pitch=N or raw=0xHHHHHHHH.";
    QTest::newRow("switch yes")
        << QStringList{"set", "Noise Gate Status", "yes"}
        << "Noise Gate Status wants on or off as the effect window shows it, or raw=0xHHHHHHHH.";
    QTest::newRow("on for a knob")
        << QStringList{"set", "Dry", "on"} << "Dry is not a switch: on and off do not apply.";
}

void CliCommandsTest::badValuesSendNothing() {
    QFETCH(QStringList, words);
    QFETCH(QString, message);
    CliHarness cli;
    const CliRun run = cli.run(words);
    QCOMPARE(run.exitCode, 2);
    // One sentence and the pointer to --help, on one line; the pedal is not even linked.
    QCOMPARE(run.err, (message + ' ' + usageHint() + '\n').toUtf8());
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(cli.settled(), QByteArray());
}

void CliCommandsTest::statusShowsTheParametersAsTheWindowDoes_data() {
    QTest::addColumn<int>("parameter");
    QTest::addColumn<qint64>("stored");  // in the simulated pedal
    QTest::addColumn<qint64>("reported");
    QTest::addColumn<QString>("shown");  // empty: null, a value the window does not show
    QTest::addColumn<QString>("line");   // in the status text

    const auto row = [](const char* name, Param p, std::uint32_t reported, const char* shown,
                        const char* line, std::optional<std::uint32_t> stored = {}) {
        QTest::newRow(name) << order(p) << qint64(stored.value_or(reported)) << qint64(reported)
                            << shown << line;
    };
    row("knob", Param::Dry, 0x00534000, "6.5", "Dry: 6.5");
    row("knob at its maximum", Param::NoiseGateThreshold, KnobMaximumValue, "10.0",
        "Noise Gate Threshold: 10.0");
    // The pedal reports Low Pass in 24 steps: the knob's 90 degrees as 12.
    row("Low Pass in its steps", Param::LowPass, 12, "5.0", "Low Pass: 5.0", 0x003FC000);
    row("pitch", Param::HarmonicPitch, 0x0022AAA8, "-11", "1st Harmonic Pitch: -11");
    row("pitch up", Param::HarmonicPitch, 0x00800000, "+12", "1st Harmonic Pitch: +12");
    row("Wave", Param::Wave, WaveOn, "on", "Wave: on");
    row("switch", Param::NoiseGateStatus, 1, "on", "Noise Gate Status: on");
    row("check box", Param::HighNotesCut, 1, "on", "High Notes Cut: on");
    row("Split code 5", Param::Split, 5, "",
        "Split: not a value the effect window shows (00000005)");
}

void CliCommandsTest::statusShowsTheParametersAsTheWindowDoes() {
    QFETCH(int, parameter);
    QFETCH(qint64, stored);
    QFETCH(qint64, reported);
    QFETCH(QString, shown);
    QFETCH(QString, line);
    CliHarness cli;
    cli.pedal->state().values[std::size_t(parameter)] = std::uint32_t(stored);
    const QString name = QString::fromLatin1(catalogueEntry(Param(parameter)).name);

    const CliRun json = cli.run({"status", "--json"});
    QVERIFY2(json.exitCode == 0, json.describe());
    // The raw value keeps its key and its meaning; the shown value stands beside it.
    const QJsonObject raw = json.json()["parameters"].toObject();
    const QJsonObject shownValues = json.json()["parameters_shown"].toObject();
    QCOMPARE(raw[name].toString(), QString::fromStdString(hex8(std::uint32_t(reported))));
    QCOMPARE(shownValues[name], shown.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(shown));
    QCOMPARE(shownValues.keys(), raw.keys());
    QCOMPARE(raw.size(), ParameterCount);

    const CliRun text = cli.run({"status"});
    QVERIFY2(text.exitCode == 0, text.describe());
    QVERIFY2(text.out.contains('\n' + line.toUtf8() + '\n'), text.out);
    // After what it printed before, every parameter on a line of its own.
    const QList<QByteArray> lines = text.out.split('\n');
    const qsizetype remote = lines.indexOf("Remote footswitch: Not Assigned");
    QVERIFY2(remote > 0, text.out);
    for (int p = 0; p < ParameterCount; ++p) {
        QVERIFY2(
            lines.value(remote + 1 + p).startsWith(ParameterCatalogue()[p].name + QByteArray(": ")),
            text.out);
    }
}

void CliCommandsTest::presetRoundTrip() {
    CliHarness cli;
    QTemporaryDir dir;
    const QString file = dir.filePath("sound.txt");
    const CliRun save = cli.run({"preset", "save", file});
    QVERIFY2(save.exitCode == 0, save.describe());
    QCOMPARE(readBytes(file).size(), 173);
    // Loading what the pedal already holds changes no control, so nothing is sent.
    const CliRun load = cli.run({"preset", "load", file});
    QVERIFY2(load.exitCode == 0, load.describe());
    QCOMPARE(cli.settled().toHex(), QByteArray("02000200"));
}

void CliCommandsTest::upload() {
    CliHarness cli;
    const CliRun run = cli.run({"--yes", "upload"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, QByteArray("UPLOAD OK 0014\n"));
    // Bypass first, then the image (command 00), then the status is read again.
    const QByteArray bytes = cli.settled();
    QVERIFY(bytes.endsWith(QByteArray::fromHex("0200")));
    QVERIFY2(bytes.startsWith(QByteArray::fromHex("02000d0100")), bytes.left(8).toHex());
}

void CliCommandsTest::uploadRefusedByThePedal() {
    PedalOptions options;
    options.faults.uploadAnswer = "UPLOAD ERROR 14";
    CliHarness cli(options);
    const CliRun run = cli.run({"--yes", "upload"});
    // The pedal's answer is the failure: said once, on the error stream.
    QVERIFY2(run.exitCode == 1, run.describe());
    QCOMPARE(run.err, QByteArray("UPLOAD ERROR 14\n"));
    QCOMPARE(run.out, QByteArray());
}

void CliCommandsTest::uploadFromAFile() {
    QTemporaryDir dir;
    const QString file = dir.filePath("Korvanne_MK3_0014.dat");
    const std::vector<std::uint8_t> image = builtInAlgorithmImage(14);
    QVERIFY(!image.empty());
    QVERIFY(writeBytes(
        file, QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()))));
    CliHarness cli;
    const CliRun run = cli.run({"--yes", "upload", file});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, QByteArray("UPLOAD OK 0014\n"));
    // The bypass, then the file's bytes as they are.
    const QByteArray bytes = cli.settled();
    QVERIFY(bytes.startsWith(QByteArray::fromHex("02000d01")));
    QCOMPARE(bytes.mid(4, qsizetype(image.size())).size(), qsizetype(image.size()));
    QVERIFY(bytes.mid(4).startsWith(QByteArray(reinterpret_cast<const char*>(image.data()), 16)));

    const CliRun missing = cli.run({"--yes", "upload", dir.filePath("none.dat")});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.startsWith("Cannot read "), missing.describe());
}

void CliCommandsTest::uploadRefusesAFileThatIsNotAnImage_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    const std::vector<std::uint8_t> image = builtInAlgorithmImage(14);
    QByteArray shared(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
    // -1 Oct at the address of Sub Mix.
    shared[3 + 2 * 2] = shared[3 + 2 * 1];
    shared[3 + 2 * 2 + 1] = shared[3 + 2 * 1 + 1];
    QTest::newRow("a text file") << QByteArray("Korvanne MK3 effect\r\n")
                                 << "it does not begin with the upload command 00";
    QTest::newRow("two parameters at one address")
        << shared << "its address table gives address 0007 to both word 1 and word 2";
}

void CliCommandsTest::uploadRefusesAFileThatIsNotAnImage() {
    QFETCH(QByteArray, content);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString file = dir.filePath("effect.dat");
    QVERIFY(writeBytes(file, content));
    CliHarness cli;
    const CliRun run = cli.run({"--yes", "upload", file});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromLocal8Bit(run.err),
             "effect.dat is not an algorithm image: " + why + ".\n");
    QCOMPARE(run.out, QByteArray());
    // Refused before the link: not even the status request reached the pedal.
    QCOMPARE(cli.settled(), QByteArray());
}

void CliCommandsTest::firmwareUpgrade_data() {
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");

    QTest::newRow("current way") << QStringList{"--firmware", "12"}
                                 << QStringList{"--yes", "firmware-upgrade"} << 0
                                 << "Firmware upgraded to 13.";
    QTest::newRow("current way, verified")
        << QStringList{"--firmware", "12"} << QStringList{"--yes", "firmware-upgrade", "--verify"}
        << 0 << "Firmware upgraded to 13.";
    QTest::newRow("legacy way") << QStringList{"--bootloader", "--firmware", "8"}
                                << QStringList{"firmware-upgrade", "--legacy"} << 0
                                << "Firmware upgraded to 13.";
    QTest::newRow("refused write")
        << QStringList{"--firmware", "12", "--boot-fault", "nack:6"}
        << QStringList{"--yes", "firmware-upgrade"} << 1 << "Firmware upgrade failed while";
    QTest::newRow("too old for the current way")
        << QStringList{"--firmware", "8"} << QStringList{"--yes", "firmware-upgrade"} << 1
        << "use --legacy";
    QTest::newRow("no bootloader answers the legacy way")
        << QStringList{"--firmware", "12"} << QStringList{"firmware-upgrade", "--legacy"} << 1
        << "Connection to bootloader failed";
}

void CliCommandsTest::firmwareUpgrade() {
    QFETCH(QStringList, simArguments);
    QFETCH(QStringList, words);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    CliHarness cli(simOptions(simArguments));
    const CliRun run = cli.run(words);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    QVERIFY2((run.out + run.err).contains(said.toUtf8()), run.describe());
    const QByteArray go = QByteArray::fromHex("21de");
    if (exitCode != 0) {
        // A failed upgrade never starts what is in the flash.
        QVERIFY2(!cli.settled().contains(go), run.describe());
        return;
    }
    QVERIFY(cli.settled().contains(go));
    QCOMPARE(cli.run({"status", "--json"}).json()["firmware"].toInt(), 13);
}

void CliCommandsTest::eraseSettings_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("verdict");  // empty: no memory check

    QTest::newRow("erase only") << QStringList{"erase-settings"} << 0 << "";
    QTest::newRow("erase and check")
        << QStringList{"erase-settings", "--check"} << 0 << "Memory is empty";
    QTest::newRow("read the memory") << QStringList{"eeprom", "read"} << 1 << "Memory is not empty";
    QTest::newRow("read where no memory answers")
        << QStringList{"eeprom", "read", "--address", "51"} << 1
        << "The pedal sent no memory dump.";
}

void CliCommandsTest::eraseSettings() {
    QFETCH(QStringList, words);
    QFETCH(int, exitCode);
    QFETCH(QString, verdict);
    // A new simulated pedal's settings memory holds zeros, so only an erase empties it.
    CliHarness cli;
    const CliRun run = cli.run(QStringList{"--yes"} + words);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    if (verdict.isEmpty()) {
        QVERIFY2(!run.err.contains("Memory is"), run.describe());
    } else {
        QVERIFY2(run.err.contains(verdict.toUtf8()), run.describe());
    }
}

void CliCommandsTest::confirmationWithoutATerminal() {
    CliHarness cli;
    const CliRun run = cli.run({"eeprom", "erase"}, "y\n");
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains("needs a confirmation") && run.err.contains("--yes"), run.describe());
    QCOMPARE(cli.received(), QByteArray());
}

void CliCommandsTest::confirmationTyped_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<QByteArray>("sent");  // hex, after the status request

    QTest::newRow("yes") << QByteArray("y\n") << 0 << QByteArray("Settings memory at 50 erased.")
                         << QByteArray("0b50000000");
    QTest::newRow("no") << QByteArray("n\n") << 1 << QByteArray("Cancelled.") << QByteArray();
    QTest::newRow("input ends") << QByteArray() << 1 << QByteArray("Cancelled.") << QByteArray();
    QTest::newRow("asked again") << QByteArray("perhaps\nyes\n") << 0
                                 << QByteArray("Settings memory at 50 erased.")
                                 << QByteArray("0b50000000");
}

void CliCommandsTest::confirmationTyped() {
    QFETCH(QByteArray, typed);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, said);
    QFETCH(QByteArray, sent);
    CliHarness cli;
    const CliRun run = cli.run({"eeprom", "erase"}, typed, true);
    QVERIFY2(run.exitCode == exitCode, run.describe());
    QVERIFY2((run.out + run.err).contains(said), run.describe());
    QVERIFY2(run.err.startsWith("Erase EEPROM now? [y/N] "), run.describe());
    QCOMPARE(cli.settled().toHex(), QByteArray("0200") + sent);
}

void CliCommandsTest::coefficients_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QByteArray>("table");

    QTest::newRow("boost") << QStringList{"A2", "6", "1.41"}
                           << QByteArray(
                                  "A2_6db_boost_Q1.41 : array[0..19] of string =\n"
                                  "('00', '80', '75', '76', \n"
                                  "'FF', '00', 'F2', 'CE', \n"
                                  "'00', '7E', '9E', '81', \n"
                                  "'00', 'FF', '0D', '32', \n"
                                  "'FF', '80', 'EC', '09');\n");
    QTest::newRow("cut, negative gain") << QStringList{"a2", "-6", "11"}
                                        << QByteArray(
                                               "A2_6db_cut_Q11 : array[0..19] of string =\n"
                                               "('00', '7F', 'F0', 'E7', \n"
                                               "'FF', '00', '43', '51', \n"
                                               "'00', '7F', 'D2', '91', \n"
                                               "'00', 'FF', 'BC', 'AF', \n"
                                               "'FF', '80', '3C', '88');\n");
}

void CliCommandsTest::coefficients() {
    QFETCH(QStringList, words);
    QFETCH(QByteArray, table);
    // No pedal is needed: there is none at that port.
    CliHarness cli;
    const CliRun run = cli.run(QStringList{"--port", "/dev/no-such-port", "coefficients"} + words);
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, table);
}

void CliCommandsTest::checkUpdate_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");  // on stdout when it succeeds, on stderr when not

    const QString version = GetEditorVersion();
    QTest::newRow("newer") << 200 << QByteArray("99.0\r\n") << 0
                           << "New version available: 99.0 (this is " + version + ").";
    QTest::newRow("same") << 200 << version.toUtf8() << 0
                          << "No update available (this is " + version + ").";
    QTest::newRow("not found") << 404 << QByteArray("<html>gone</html>") << 1 << "Error: Not Found";
    QTest::newRow("unreadable") << 200 << QByteArray("<html>1.20</html>") << 1
                                << "The update server sent an unreadable version";
}

void CliCommandsTest::checkUpdate() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    LoopbackHttpServer server;
    QVERIFY(server.listen());
    server.answer(UpdateCheck::VersionPath, body, status, status == 200 ? "OK" : "Not Found");
    CliHarness cli;
    const CliRun run = cli.run({"--server", server.site(), "check-update"});
    QVERIFY2(run.exitCode == exitCode, run.describe());
    QCOMPARE(exitCode == 0 ? run.out : run.err, (said + '\n').toUtf8());
    QCOMPARE(server.requested, QStringList{UpdateCheck::VersionPath});
    // The pedal is not needed for this.
    QCOMPARE(cli.received(), QByteArray());
}

void CliCommandsTest::backupWritesTheStatus() {
    CliHarness cli(simOptions({"--effect", "0"}));
    QTemporaryDir dir;
    const QString file = dir.filePath("pedal.json");
    QVERIFY(writeBytes(file, "an older backup"));
    const CliRun run = cli.run({"backup", file});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, ("Backup written to " + file + ".\n").toUtf8());
    const CliRun status = cli.run({"status", "--json"});
    QCOMPARE(QJsonDocument::fromJson(readBytes(file)).object(), status.json());
    // Written whole and in place of the old one; no temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"pedal.json"});
}

void CliCommandsTest::malformedBackupIsRefused_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    QTest::newRow("not JSON") << QByteArray("Dry=007FE000") << "is not a pedal backup";
    QTest::newRow("a list") << QByteArray("[1, 2]") << "is not a pedal backup";
    QTest::newRow("empty object") << QByteArray("{}") << "\"footswitch_mode\" must be";
    QTest::newRow("tuning out of range")
        << QByteArray(R"({"footswitch_mode": 1, "tuning": 9})") << "\"tuning\" must be";
    // Whole backups but for one thing.
    const QByteArray valid = R"({"footswitch_mode": 0, "tuning": 0, "semitones": 0,
        "store_bypass_status": false, "instrument_range": "standard", "midi_channel": "OMNI",
        "assignments": {"control1": "Not Assigned", "control2": "Not Assigned",
                        "control3": "Not Assigned", "control4": "Not Assigned",
                        "remote": "Not Assigned"},
        "parameters": {"Dry": "007FE000"}})";
    QTest::newRow("unknown parameter") << QByteArray(valid).replace("\"Dry\"", "\"Loudness\"")
                                       << "\"Loudness\" is not a parameter name";
    QTest::newRow("half a tuning") << QByteArray(valid).replace("\"tuning\": 0", "\"tuning\": 1.5")
                                   << "\"tuning\" must be a whole number from 0 to 8";
    QTest::newRow("semitones past +3")
        << QByteArray(valid).replace("\"semitones\": 0", "\"semitones\": 4")
        << "\"semitones\" must be a whole number from -5 to 3";
    QTest::newRow("MIDI channel 17")
        << QByteArray(valid).replace("\"OMNI\"", "17")
        << "\"midi_channel\" must be \"OMNI\" or a number from 1 to 16";
    QTest::newRow("value not 8 hex digits") << QByteArray(valid).replace("007FE000", "7FE000")
                                            << "the value of \"Dry\" must be 8 hex digits";
    const QByteArray shown = QByteArray(valid).replace(
        "\"parameters\":", "\"parameters_shown\": {\"Dry\": \"10.0\"}, \"parameters\":");
    QTest::newRow("shown value saying otherwise")
        << QByteArray(shown).replace("\"10.0\"", "\"8.0\"")
        << "\"parameters_shown\" gives Dry as \"8.0\" but its value 007FE000 in \"parameters\" "
           "shows \"10.0\"; a restore works from the value in \"parameters\", so change that "
           "one or take Dry out of \"parameters_shown\"";
    QTest::newRow("shown value of a parameter not given")
        << QByteArray(shown).replace("{\"Dry\": \"10.0\"}", "{\"Wave\": \"on\"}")
        << "\"parameters_shown\" gives \"Wave\", which \"parameters\" lacks";
    QTest::newRow("shown values not an object")
        << QByteArray(shown).replace("{\"Dry\": \"10.0\"}", "[\"10.0\"]")
        << "\"parameters_shown\" must be an object";
    QTest::newRow("assignment the control does not offer")
        << QByteArray(valid).replace("{\"control1\": \"Not Assigned\"", "{\"control1\": \"Bypass\"")
        << "\"Bypass\" cannot be assigned to control1";
}

void CliCommandsTest::malformedBackupIsRefused() {
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    CliHarness cli;
    QTemporaryDir dir;
    const QString file = dir.filePath("backup.json");
    QVERIFY(writeBytes(file, content));
    const CliRun run = cli.run({"--yes", "restore", file});
    QVERIFY2(run.exitCode == 1, run.describe());
    QVERIFY2(run.err.contains(message.toUtf8()), run.describe());
    QCOMPARE(run.err.count('\n'), 1);
    QCOMPARE(cli.received(), QByteArray());
}

void CliCommandsTest::backupWithOrWithoutShownValuesRestores_data() {
    QTest::addColumn<QByteArray>("shown");  // the "parameters_shown" part of the file

    // Backups written before the shown values existed carry none.
    QTest::newRow("without shown values") << QByteArray();
    QTest::newRow("with shown values")
        << QByteArray(R"("parameters_shown": {"Dry": "6.5", "Wave": "on", "Low Pass": "5.0",
                        "1st Harmonic Pitch": "-11", "Noise Gate Status": "on"},)");
}

void CliCommandsTest::backupWithOrWithoutShownValuesRestores() {
    QFETCH(QByteArray, shown);
    const QByteArray content = R"({"firmware": 13, "algorithm": "0014", "effect": 0,
        "effect_name": "Korvanne MK3 0014", "footswitch_mode": 0, "tuning": 0, "semitones": 0,
        "bypass": false, "store_bypass_status": false, "instrument_range": "standard",
        "midi_channel": "OMNI",
        "assignments": {"control1": "Not Assigned", "control2": "Not Assigned",
                        "control3": "Not Assigned", "control4": "Not Assigned",
                        "remote": "Not Assigned"},)" +
                               shown + R"(
        "parameters": {"Dry": "00534000", "Wave": "00400000", "Low Pass": "0000000C",
                       "1st Harmonic Pitch": "0022AAA8", "Noise Gate Status": "00000001"}})";
    CliHarness cli;
    QTemporaryDir dir;
    const QString file = dir.filePath("backup.json");
    QVERIFY(writeBytes(file, content));
    const CliRun run = cli.run({"--yes", "restore", file, "--no-store"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY2(run.out.contains("parameters.Dry: 00400000 -> 00534000\n"), run.describe());
    // The raw values that differ (a new pedal's Wave is on already), each through its
    // parameter's own write; Low Pass's 12 of 24 steps through its knob's decoding and encoding,
    // as a preset's values go.
    QCOMPARE(cli.settled().toHex(), QByteArray("0200"
                                               "01002700534000"
                                               "0100af003fc000"
                                               "0100520022aaa8"
                                               "0100bc00000001"));
}

QTEST_GUILESS_MAIN(CliCommandsTest)
#include "cli_commands_test.moc"
