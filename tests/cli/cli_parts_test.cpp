// The command line's grammar and its confirmations on a terminal, without a pedal.
#include <QTest>
#include <cstdio>

#include "cli/command_line.h"
#include "cli/terminal_dialogs.h"
#include "cli/terminal_progress.h"
#include "cli/value_parsing.h"
#include "memory_streams.h"

using namespace korvanne;
using namespace korvanne::test;

class CliPartsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void confirmation_data();
    void confirmation();
    void destructiveQuestionDefaultsToNo_data();
    void destructiveQuestionDefaultsToNo();
    void textQuestion_data();
    void textQuestion();
    void messagesUsePlainLineEnds();
    void progressBar();
    void grammar_data();
    void grammar();
    void setRequest_data();
    void setRequest();
    void coefficientRequest_data();
    void coefficientRequest();
    void wordValues();
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

void CliPartsTest::destructiveQuestionDefaultsToNo_data() {
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("questionsShown");
    // Enter alone takes the default, No; only y goes on.
    QTest::newRow("Enter") << QByteArray("\n") << false << 1;
    QTest::newRow("blanks") << QByteArray("  \n") << false << 1;
    QTest::newRow("y") << QByteArray("y\n") << true << 1;
    QTest::newRow("asked again, then Enter") << QByteArray("maybe\n\n") << false << 2;
}

void CliPartsTest::destructiveQuestionDefaultsToNo() {
    QFETCH(QByteArray, typed);
    QFETCH(bool, answer);
    QFETCH(int, questionsShown);
    InputStream in(typed);
    OutputStream out;
    TerminalDialogs dialogs(false, true, in.file, out.file);
    QCOMPARE(dialogs.confirm("Erase EEPROM now?", Dialogs::Default::No), answer);
    QCOMPARE(dialogs.declined(), !answer);
    QCOMPARE(out.text().count("Erase EEPROM now? [y/N] "), questionsShown);
}

void CliPartsTest::textQuestion_data() {
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("asked");
    QTest::newRow("a name") << true << QByteArray("live set\n") << "live set" << true;
    QTest::newRow("CR LF") << true << QByteArray("live\r\n") << "live" << true;
    QTest::newRow("Enter takes the offer") << true << QByteArray("\n") << "mine.txt" << true;
    QTest::newRow("a long line whole") << true << QByteArray(600, 'x') + "\n"
                                       << QString(600, 'x') << true;
    QTest::newRow("input ends") << true << QByteArray() << "" << true;
    QTest::newRow("no terminal") << false << QByteArray("live\n") << "" << false;
}

void CliPartsTest::textQuestion() {
    QFETCH(bool, terminal);
    QFETCH(QByteArray, typed);
    QFETCH(QString, answer);
    QFETCH(bool, asked);
    InputStream in(typed);
    OutputStream out;
    TerminalDialogs dialogs(true, terminal, in.file, out.file);
    QCOMPARE(dialogs.askText("Rename Preset", "New name:", "mine.txt"), answer);
    QCOMPARE(out.text().startsWith("New name [mine.txt]: "), asked);
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
    QTest::newRow("negative value")
        << QStringList{"set", "1st Harmonic Pitch", "-11"} << "set"
        << QStringList{"1st Harmonic Pitch", "-11"} << "" << false << "";
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

void CliPartsTest::setRequest_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("value");  // angle, pitch, raw, or the shown value's setting
    QTest::addColumn<QString>("error");

    using R = SetRequest;
    QTest::newRow("angle") << QStringList{"dry", "angle=-45"} << "Dry" << int(R::Angle)
                           << qint64(-45) << "";
    QTest::newRow("name of several words")
        << QStringList{"Noise", "Gate", "Threshold", "ANGLE=180"} << "Noise Gate Threshold"
        << int(R::Angle) << qint64(180) << "";
    // A quoted name that starts like a negative number is a name, not an option.
    QTest::newRow("quoted name starting with -1")
        << QStringList{"-1 Oct", "angle=30"} << "-1 Oct" << int(R::Angle) << qint64(30) << "";
    QTest::newRow("unquoted name starting with -2")
        << QStringList{"-2", "Oct", "angle=0"} << "-2 Oct" << int(R::Angle) << qint64(0) << "";
    QTest::newRow("pitch") << QStringList{"1st Harmonic Pitch", "pitch=-12"} << "1st Harmonic Pitch"
                           << int(R::Pitch) << qint64(-12) << "";
    QTest::newRow("raw with 0x") << QStringList{"Input Level", "raw=0x00123abc"} << "Input Level"
                                 << int(R::Raw) << qint64(0x00123ABC) << "";
    QTest::newRow("raw without 0x")
        << QStringList{"Wave", "raw=FFFFFFFF"} << "Wave" << int(R::Raw) << qint64(0xFFFFFFFF) << "";
    QTest::newRow("switch") << QStringList{"wave", "on"} << "Wave" << int(R::Shown) << qint64(1)
                            << "";
    QTest::newRow("check box") << QStringList{"High Notes Cut", "off"} << "High Notes Cut"
                               << int(R::Shown) << qint64(0) << "";
    // A knob's shown value: the angle of the position showing it (6.5: position 175).
    QTest::newRow("knob shown") << QStringList{"Dry", "6.5"} << "Dry" << int(R::Shown)
                                << qint64(224 - 175) << "";
    QTest::newRow("knob whole number")
        << QStringList{"Sub", "Mix", "10"} << "Sub Mix" << int(R::Shown) << qint64(-45) << "";
    // The pitch's shown value: the list's entry.
    QTest::newRow("pitch bare negative")
        << QStringList{"1st Harmonic Pitch", "-11"} << "1st Harmonic Pitch" << int(R::Shown)
        << qint64(1) << "";
    QTest::newRow("pitch bare +12") << QStringList{"1st Harmonic Pitch", "+12"}
                                    << "1st Harmonic Pitch" << int(R::Shown) << qint64(24) << "";

    const QString noAngle = "angle= wants whole degrees from -180 to 180.";
    QTest::newRow("angle beyond 180")
        << QStringList{"Dry", "angle=181"} << "" << 0 << qint64(0) << noAngle;
    QTest::newRow("angle empty") << QStringList{"Dry", "angle="} << "" << 0 << qint64(0) << noAngle;
    QTest::newRow("angle with decimals")
        << QStringList{"Dry", "angle=4.5"} << "" << 0 << qint64(0) << noAngle;
    QTest::newRow("angle on a switch") << QStringList{"Split", "angle=10"} << "" << 0 << qint64(0)
                                       << "Split is not a knob: angle= does not apply.";
    QTest::newRow("pitch beyond 12") << QStringList{"1st Harmonic Pitch", "pitch=13"} << "" << 0
                                     << qint64(0) << "pitch= wants semitones from -12 to 12.";
    QTest::newRow("pitch on a knob") << QStringList{"Dry", "pitch=1"} << "" << 0 << qint64(0)
                                     << "pitch= applies to \"1st Harmonic Pitch\" only.";
    QTest::newRow("raw of 7 digits") << QStringList{"Dry", "raw=0x1234567"} << "" << 0 << qint64(0)
                                     << "raw= wants 8 hex digits, e.g. 0x007FE000.";
    QTest::newRow("raw not hex") << QStringList{"Dry", "raw=0x0012345G"} << "" << 0 << qint64(0)
                                 << "raw= wants 8 hex digits, e.g. 0x007FE000.";
    QTest::newRow("on for a knob") << QStringList{"Dry", "on"} << "" << 0 << qint64(0)
                                   << "Dry is not a switch: on and off do not apply.";
    QTest::newRow("ON is not on")
        << QStringList{"Wave", "ON"} << "" << 0 << qint64(0)
        << "Wave wants on or off as the effect window shows it, or raw=0xHHHHHHHH.";
    const QString knobValue =
        "Dry wants 0.0 to 10.0 with at most one decimal (e.g. 6.5) as the effect window shows "
        "it, or angle=DEG or raw=0xHHHHHHHH.";
    QTest::newRow("knob past 10") << QStringList{"Dry", "10.1"} << "" << 0 << qint64(0)
                                  << knobValue;
    QTest::newRow("knob below 0") << QStringList{"Dry", "-0.5"} << "" << 0 << qint64(0)
                                  << knobValue;
    QTest::newRow("knob with two decimals")
        << QStringList{"Dry", "6.55"} << "" << 0 << qint64(0) << knobValue;
    QTest::newRow("pitch bare 13")
        << QStringList{"1st Harmonic Pitch", "13"} << "" << 0 << qint64(0)
        << "1st Harmonic Pitch wants semitones from -12 to +12 (e.g. -11) as the effect window "
           "shows it, or pitch=N or raw=0xHHHHHHHH.";
    QTest::newRow("unknown KIND=")
        << QStringList{"Dry", "level=3"} << "" << 0 << qint64(0)
        << "VALUE must be the value as the effect window shows it (6.5, -11, on, off), "
           "angle=DEG, pitch=N or raw=0xHHHHHHHH.";
    QTest::newRow("unknown name") << QStringList{"Volume", "angle=0"} << "" << 0 << qint64(0)
                                  << "'Volume' is not a parameter name (\"Dry\", \"Noise Gate "
                                     "Threshold\", ... as the effect window names them).";
    QTest::newRow("value only") << QStringList{"angle=0"} << "" << 0 << qint64(0)
                                << "set wants NAME and VALUE.";
}

void CliPartsTest::setRequest() {
    QFETCH(QStringList, words);
    QFETCH(QString, parameter);
    QFETCH(int, kind);
    QFETCH(qint64, value);
    QFETCH(QString, error);
    // The words come to the command as its arguments do.
    QString got;
    const QStringList positionals = CommandArguments(words).positionals(got);
    QCOMPARE(got, QString());
    const std::optional<SetRequest> request = parseSetRequest(positionals, got);
    QCOMPARE(got, error);
    QCOMPARE(request.has_value(), error.isEmpty());
    if (!request) return;
    QCOMPARE(QString::fromLatin1(request->entry->name), parameter);
    QCOMPARE(int(request->kind), kind);
    const qint64 taken = request->kind == SetRequest::Angle   ? request->angle
                         : request->kind == SetRequest::Pitch ? request->pitch
                         : request->kind == SetRequest::Raw   ? qint64(request->raw)
                                                              : qint64(request->setting);
    QCOMPARE(taken, value);
}

void CliPartsTest::coefficientRequest_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("note");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("q");
    QTest::addColumn<QString>("error");

    QTest::newRow("A2") << QStringList{"A2", "-6", "11"} << 12 << -6.0 << 11.0 << "";
    QTest::newRow("lower case, decimals")
        << QStringList{"g#5", "6.5", "0.7"} << 47 << 6.5 << 0.7 << "";
    QTest::newRow("first note") << QStringList{"A1", "0", "1e-3"} << 0 << 0.0 << 0.001 << "";
    QTest::newRow("unknown note") << QStringList{"H2", "6", "1"} << 0 << 0.0 << 0.0
                                  << "NOTE must be one of A1, A#1, ... G#5.";
    // A decimal comma is not a number, whatever the user's locale.
    QTest::newRow("decimal comma")
        << QStringList{"A2", "6,5", "1"} << 0 << 0.0 << 0.0 << "GAIN must be a number of dB.";
    QTest::newRow("infinite gain")
        << QStringList{"A2", "inf", "1"} << 0 << 0.0 << 0.0 << "GAIN must be a number of dB.";
    QTest::newRow("Q of 0") << QStringList{"A2", "6", "0"} << 0 << 0.0 << 0.0
                            << "Q must be a number above 0.";
    QTest::newRow("Q not a number")
        << QStringList{"A2", "6", "nan"} << 0 << 0.0 << 0.0 << "Q must be a number above 0.";
    QTest::newRow("two words") << QStringList{"A2", "6"} << 0 << 0.0 << 0.0
                               << "coefficients wants NOTE GAIN Q.";
}

void CliPartsTest::coefficientRequest() {
    QFETCH(QStringList, words);
    QFETCH(int, note);
    QFETCH(double, gain);
    QFETCH(double, q);
    QFETCH(QString, error);
    QString got;
    const std::optional<CoefficientRequest> request = parseCoefficientRequest(words, got);
    QCOMPARE(got, error);
    QCOMPARE(request.has_value(), error.isEmpty());
    if (!request) return;
    QCOMPARE(request->note, note);
    QCOMPARE(request->gain, gain);
    QCOMPARE(request->q, q);
}

void CliPartsTest::wordValues() {
    // Hex digits: exactly so many, 0x optional, given back in upper case.
    QCOMPARE(hexDigits("000b", 4), std::optional<QString>("000B"));
    QCOMPARE(hexDigits("0X007fe000", 8), std::optional<QString>("007FE000"));
    for (const QString& word :
         QStringList{"B", "0x", "00B", "0000B", "00 B", "+00B", "0x0x0B", "\u00B9000"})
        QVERIFY2(!hexDigits(word, 4), qPrintable(word));

    // Whole numbers in a range; negative ones too.
    QCOMPARE(wholeNumber("-5", -5, 3), std::optional<int>(-5));
    QCOMPARE(wholeNumber("3", -5, 3), std::optional<int>(3));
    for (const QString& word : QStringList{"-6", "4", "", "1.0", "0x1", "99999999999"})
        QVERIFY2(!wholeNumber(word, -5, 3), qPrintable(word));

    // Note cut notes by their names, letter case ignored.
    QCOMPARE(noteCutCode("A2"), std::optional<int>(0));
    QCOMPARE(noteCutCode("a#2"), std::optional<int>(1));
    QCOMPARE(noteCutCode("E3"), std::optional<int>(7));
    for (const QString& word : QStringList{"F3", "A1", "", "Bb2"})
        QVERIFY2(!noteCutCode(word), qPrintable(word));

    // MIDI channels as their menu captions.
    QCOMPARE(midiChannelCaption("omni"), std::optional<QString>("OMNI"));
    QCOMPARE(midiChannelCaption("16"), std::optional<QString>("16"));
    QCOMPARE(midiChannelCaption("1"), std::optional<QString>("1"));
    for (const QString& word : QStringList{"0", "17", "-1", "all", ""})
        QVERIFY2(!midiChannelCaption(word), qPrintable(word));
}

QTEST_GUILESS_MAIN(CliPartsTest)
#include "cli_parts_test.moc"
