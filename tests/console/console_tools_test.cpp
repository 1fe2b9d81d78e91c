// The debug console's tools against the simulated pedal on virtual time: the settings memory
// erase and read, the raw parameter write and the filter coefficient generator, driven through
// the console's own controls.
#include "console/console_tools.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "device/communication.h"
#include "editor_fixture.h"
#include "transfer/erase_settings.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    return std::vector<std::uint8_t>(list.begin(), list.end());
}

struct LinkedConsole {
    EditorFixture f;
    PedalModel* pedal = nullptr;
    std::size_t linkBytes = 0;
    // What the pedal received after the link.
    std::vector<std::uint8_t> sentAfterLink() const {
        const auto& all = pedal->received();
        return std::vector<std::uint8_t>(all.begin() + std::ptrdiff_t(linkBytes), all.end());
    }
    LinkedConsole() {
        pedal = &f.transport.addPedal();
        f.start();
        f.main().action("menuScan")->trigger();
        // The link's status request and the effect window's echo of the pedal's values.
        f.clock.advance(100);
        linkBytes = pedal->received().size();
        f.log.clear();
        f.dialogs.messages.clear();
    }
    TformPrint& console() { return f.editor->console(); }
    ConsoleTools& tools() { return f.operations().consoleTools(); }
};

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

QStringList workedExample() {
    return {"A2_6db_boost_Q1.41 : array[0..19] of string =",
            "('00', '80', '75', '76', ",
            "'FF', '00', 'F2', 'CE', ",
            "'00', '7E', '9E', '81', ",
            "'00', 'FF', '0D', '32', ",
            "'FF', '80', 'EC', '09');"};
}

}  // namespace

class ConsoleToolsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void everyButtonSaysWhatItDoes() {
        EditorFixture f;
        f.start();
        const QList<QAbstractButton*> buttons =
            f.editor->console().findChildren<QAbstractButton*>();
        // At least the log's own three and the tools' four, the hidden row's included.
        QVERIFY(buttons.size() >= 7);
        for (QAbstractButton* b : buttons) {
            QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->objectName()));
            QVERIFY2(b->toolTip().endsWith('.'), qPrintable(b->objectName()));
        }
    }

    void toolRowAtCreation() {
        EditorFixture f;
        f.start();
        TformPrint& c = f.editor->console();
        QCOMPARE(c.btnEraseEeprom->text(), QString("Erase E2P"));
        QCOMPARE(c.btnReadEEPROM->text(), QString("Read E2P"));
        QCOMPARE(c.Label1->text(), QString("E2P addr"));
        QCOMPARE(c.cmbI2Caddr->count(), 2);
        QCOMPARE(c.cmbI2Caddr->currentText(), QString("50"));
        QCOMPARE(c.cmbI2Caddr->itemText(1), QString("51"));
        QCOMPARE(c.cmbNotePicker->count(), 48);
        QCOMPARE(c.cmbNotePicker->currentText(), QString("A1"));
        QCOMPARE(c.cmbNotePicker->itemText(12), QString("A2"));
        QCOMPARE(c.cmbNotePicker->itemText(47), QString("G#5"));
        QCOMPARE(c.edtAddress->text(), QString("addr"));
        QCOMPARE(c.edtData->text(), QString("data"));
        QCOMPARE(c.edtQ->text(), QString("1.41"));
        QCOMPARE(c.edtBoost->text(), QString("0"));
        QCOMPARE(c.btnGetNoteFrequency->text(), QString("Calc Coeff."));
        c.show();
        QVERIFY(c.btnEraseEeprom->isVisible() && c.cmbI2Caddr->isVisible());
        QVERIFY(!c.btnSend->isVisible() && !c.cmbNotePicker->isVisible());
        // The generator starts from its own values, not from what the edits show.
        ConsoleTools& t = f.operations().consoleTools();
        QCOMPARE(t.NoteOffset, -12);
        QCOMPARE(t.FilterQ, 11.0);
        QCOMPARE(t.FilterBoost, -6.0);
        QCOMPARE(t.NoteFrequency, 0.0);
        if (const QString dir = qEnvironmentVariable("KORVANNE_SCREENSHOT_DIR"); !dir.isEmpty()) {
            c.hiddenTools->show();
            c.ConsoleLog("a log line");
            c.flush();
            c.grab().save(dir + "/console_tools.png");
        }
    }

    void eraseButton_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("address");
        QTest::newRow("No sends nothing") << false << 0;
        QTest::newRow("Yes with 50") << true << 0;
        QTest::newRow("Yes with 51") << true << 1;
    }
    void eraseButton() {
        QFETCH(bool, yes);
        QFETCH(int, address);
        LinkedConsole l;
        l.console().cmbI2Caddr->setCurrentIndex(address);
        l.f.dialogs.expectConfirm(yes, "Erase EEPROM now?");
        const std::int64_t before = l.f.clock.nowMs();
        l.console().btnEraseEeprom->click();
        QVERIFY(l.f.dialogs.scriptDone());
        QCOMPARE(l.f.dialogs.confirmDefaults, QList<Dialogs::Default>{Dialogs::Default::No});
        if (!yes) {
            QVERIFY(l.sentAfterLink().empty());
            QVERIFY(l.f.log.lines.isEmpty());
            return;
        }
        const int aa = address == 0 ? 0x50 : 0x51;
        QCOMPARE(l.sentAfterLink(), bytes({0x0B, aa, 0x00, 0x00, 0x00}));
        QCOMPARE(l.f.log.lines.value(0),
                 "erase message: 0B" + QString(address == 0 ? "50" : "51") + "000000");
        QVERIFY(l.f.clock.nowMs() - before >= ConsoleTools::ErasePauseMs);
        // Only the memory at 50 is the settings memory.
        QCOMPARE(l.pedal->state().settingsMemory[0], std::uint8_t(aa == 0x50 ? 0xFF : 0x00));
    }

    void readButtonSendsTheReadAndKeepsTheWindowLive() {
        LinkedConsole l;
        // Something the user does during the pause: the window runs, the link stays held.
        bool ranDuringPause = false;
        bool busyDuringPause = false;
        auto during = l.f.clock.createTimer();
        during->setSingleShot(true);
        during->onTimeout([&] {
            ranDuringPause = true;
            busyDuringPause = !l.f.operations().messages().linkFree();
            l.f.main().action("menuDisconnect")->trigger();
            l.console().btnEraseEeprom->click();  // refused without a question
        });
        during->start(2000);
        const std::int64_t before = l.f.clock.nowMs();
        l.console().btnReadEEPROM->click();
        QCOMPARE(l.f.clock.nowMs() - before, std::int64_t(ConsoleTools::ReadPauseMs));
        QVERIFY(ranDuringPause && busyDuringPause);
        QVERIFY(l.f.operations().communication().Linked);
        QCOMPARE(l.sentAfterLink(), bytes({0x0C, 0x50, 0x00, 0x00, 0x00, 0x00}));
        QCOMPARE(l.f.log.lines.value(0), QString("Read message: 0C5000000000"));
        // The poll takes the dump, which arrived whole during the pause.
        l.f.clock.advance(100);
        QVERIFY(l.f.log.contains("num of bytes read: 16385"));
        QVERIFY(l.f.log.contains("16383: 00"));
        QCOMPARE(l.f.dialogs.messages, QStringList{EraseSettings::NotEmptyMessage});
    }

    void rawSend() {
        LinkedConsole l;
        l.console().edtAddress->setText("000B");
        l.console().edtData->setText("007FE000");
        l.console().btnSend->click();
        QCOMPARE(l.sentAfterLink(), bytes({0x01, 0x00, 0x0B, 0x00, 0x7F, 0xE0, 0x00}));
        QCOMPARE(l.f.log.lines, QStringList{"01000B007FE000"});
        QCOMPARE(l.f.dialogs.messages, QStringList());
    }

    void rawSendRefusesWhatIsNotItsDigits_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("blamed");
        QTest::newRow("initial texts") << "addr"
                                       << "data"
                                       << "address";
        QTest::newRow("short address") << "00B"
                                       << "007FE000"
                                       << "address";
        QTest::newRow("long address") << "0000B"
                                      << "007FE000"
                                      << "address";
        QTest::newRow("letter in address") << "000G"
                                           << "007FE000"
                                           << "address";
        QTest::newRow("short data") << "000B"
                                    << "7FE000"
                                    << "data";
        QTest::newRow("letter in data") << "000B"
                                        << "007FE00Z"
                                        << "data";
        QTest::newRow("empty data") << "000B"
                                    << ""
                                    << "data";
    }
    void rawSendRefusesWhatIsNotItsDigits() {
        QFETCH(QString, address);
        QFETCH(QString, data);
        QFETCH(QString, blamed);
        LinkedConsole l;
        l.console().edtAddress->setText(address);
        l.console().edtData->setText(data);
        l.console().btnSend->click();
        QVERIFY(l.sentAfterLink().empty());
        QCOMPARE(l.f.dialogs.messages.size(), 1);
        QVERIFY2(l.f.dialogs.messages[0].startsWith("Not sent: the " + blamed),
                 qPrintable(l.f.dialogs.messages[0]));
    }

    void generatorThroughItsControls_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("q");
        QTest::addColumn<QString>("qLine");
        QTest::newRow("point") << "C"
                               << "1.41"
                               << "Q: 1.41";
        QTest::newRow("comma") << "de_DE"
                               << "1,41"
                               << "Q: 1,41";
    }
    void generatorThroughItsControls() {
        QFETCH(QString, locale);
        QFETCH(QString, q);
        QFETCH(QString, qLine);
        QLocale::setDefault(QLocale(locale));
        EditorFixture f;
        f.start();
        TformPrint& c = f.editor->console();
        c.show();
        c.hiddenTools->show();
        c.cmbNotePicker->setCurrentIndex(12);
        typeInto(c.edtQ, q);
        typeInto(c.edtBoost, "6");
        QCOMPARE(f.log.lines.filter(QRegularExpression("^(Q|boost): ")),
                 (QStringList{qLine, "boost: 6"}));
        f.log.clear();
        c.btnGetNoteFrequency->click();
        QStringList expected = workedExample();
        if (locale != "C") expected[0].replace("Q1.41", "Q1,41");
        QCOMPARE(f.log.lines, expected);
        ConsoleTools& t = f.operations().consoleTools();
        QCOMPARE(t.NoteFrequency, 110.0);
        QCOMPARE(t.FilterQ, 1.41);
        QCOMPARE(t.FilterBoost, 6.0);
    }

    void editsLogWhatTheyTake() {
        EditorFixture f;
        f.start();
        ConsoleTools& t = f.operations().consoleTools();
        t.edtQChange("1.41");
        t.edtBoostChange("-3.5");
        QCOMPARE(f.log.lines, (QStringList{"Q: 1.41", "boost: -3.5"}));
    }

    void startValuesWithA2() {
        EditorFixture f;
        f.start();
        f.editor->console().cmbNotePicker->setCurrentIndex(12);
        f.log.clear();
        f.operations().consoleTools().btnGetNoteFrequencyClick();
        QCOMPARE(
            f.log.lines,
            (QStringList{"A2_6db_cut_Q11 : array[0..19] of string =", "('00', '7F', 'F0', 'E7', ",
                         "'FF', '00', '43', '51', ", "'00', '7F', 'D2', '91', ",
                         "'00', 'FF', 'BC', 'AF', ", "'FF', '80', '3C', '88');"}));
    }

    void badEditTextsAreRefused_data() {
        QTest::addColumn<bool>("isQ");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("Q 0") << true << "0"
                             << "Q must be a number above 0; it stays 11.";
        QTest::newRow("Q below 0") << true << "-2"
                                   << "Q must be a number above 0; it stays 11.";
        QTest::newRow("Q not a number") << true << "abc"
                                        << "'abc' is not a valid floating point value";
        QTest::newRow("Q empty") << true << ""
                                 << "'' is not a valid floating point value";
        QTest::newRow("Q other separator") << true << "1,41"
                                           << "'1,41' is not a valid floating point value";
        QTest::newRow("gain not a number") << false << "6dB"
                                           << "'6dB' is not a valid floating point value";
        QTest::newRow("gain infinite") << false << "inf"
                                       << "'inf' is not a valid floating point value";
    }
    void badEditTextsAreRefused() {
        QFETCH(bool, isQ);
        QFETCH(QString, text);
        QFETCH(QString, message);
        EditorFixture f;
        f.start();
        f.log.clear();
        ConsoleTools& t = f.operations().consoleTools();
        if (isQ) {
            t.edtQChange(text);
        } else {
            t.edtBoostChange(text);
        }
        QCOMPARE(f.dialogs.messages, QStringList{message});
        QCOMPARE(t.FilterQ, 11.0);
        QCOMPARE(t.FilterBoost, -6.0);
        QVERIFY(f.log.lines.isEmpty());
    }

    void noteFrequencies_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("hz");
        QTest::newRow("A1") << 0 << 55.0;
        QTest::newRow("G#5") << 47 << 830.6093951598903;
    }
    void noteFrequencies() {
        QFETCH(int, index);
        QFETCH(double, hz);
        EditorFixture f;
        f.start();
        f.editor->console().cmbNotePicker->setCurrentIndex(index);
        ConsoleTools& t = f.operations().consoleTools();
        t.btnGetNoteFrequencyClick();
        QVERIFY(qAbs(t.NoteFrequency - hz) < 1e-9);
        QVERIFY(f.log.lines.filter(" : array[0..19] of string =")
                    .value(0)
                    .startsWith(f.editor->console().cmbNotePicker->currentText() + "_6db_cut_Q11"));
    }
};

QTEST_MAIN(ConsoleToolsTest)
#include "console_tools_test.moc"
