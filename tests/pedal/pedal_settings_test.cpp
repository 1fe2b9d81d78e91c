// The pedal-wide settings of the Settings menu: instrument range, bypass status storing, range
// limit and MIDI channel; what each sends, its check marks, and what the pedal reports back.
#include "pedal/pedal_settings.h"

#include <QAction>
#include <QTest>

#include "linked_editor.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

bool checked(LinkedEditor& e, const char* name) {
    return e.main().action(name)->isChecked();
}

QAction* channelItem(LinkedEditor& e, int index) {
    return e.main().midiChannelItems().value(index);
}

QList<int> checkedChannels(LinkedEditor& e) {
    QList<int> on;
    for (int i = 0; i < e.main().midiChannelItems().size(); ++i) {
        if (channelItem(e, i)->isChecked()) on << i;
    }
    return on;
}

// The message as the log shows it.
QString hexText(const std::vector<std::uint8_t>& message) {
    QString text;
    for (std::uint8_t b : message) text += QString::asprintf("%02X", b);
    return text;
}

}  // namespace

class TestPedalSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void instrumentRange_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("reported");
        QTest::newRow("Low, Yes") << "menuLow" << true
                                  << bytes({0x0F, 0xBA, 0x02, 0x03, 0x04, 0x05, 0x06, 0xB3})
                                  << "BASS" << 186;
        QTest::newRow("Standard, Yes")
            << "menuStandard" << true << bytes({0x0F, 0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF1})
            << "GUITAR" << 255;
        // No changes nothing: no message, no mark, no file.
        QTest::newRow("Low, No") << "menuLow" << false << bytes({}) << "" << 255;
        QTest::newRow("Standard, No") << "menuStandard" << false << bytes({}) << "" << 186;
    }
    void instrumentRange() {
        QFETCH(QString, item);
        QFETCH(bool, yes);
        QFETCH(std::vector<std::uint8_t>, sent);
        QFETCH(QString, file);
        QFETCH(int, reported);
        PedalOptions options;
        LinkedEditor e(options);
        // Start from the other range, so the choice shows whether it reached the pedal.
        const bool low = item == "menuLow";
        e.pedal->state().instrumentRange = low ? 255 : 186;
        e.readStatus();
        e.clock.advance(300);
        e.mark();
        e.dialogs.expectConfirm(yes, "Change current Instrument?");
        e.main().action(item)->trigger();
        QVERIFY(e.dialogs.scriptDone());
        QCOMPARE(e.sent(), sent);
        const QString checksum = low ? "B3" : "F1";
        QCOMPARE(e.log.lines.value(0), "checksum byte: " + checksum);
        QCOMPARE(e.log.lines.contains(low ? "0FBA0203040506B3" : "0FFF0102030405F1"), yes);
        // The mark, the range and the file follow only what the pedal was told.
        const bool shownLow = yes ? low : !low;
        QCOMPARE(checked(e, "menuLow"), shownLow);
        QCOMPARE(checked(e, "menuStandard"), !shownLow);
        QCOMPARE(e.operations().communication().InstrumentRange,
                 std::uint8_t(shownLow ? 186 : 255));
        const QString remembered = e.settingsPath("TAVRO/Korvanne MK3/Instrument.txt");
        if (yes) {
            QCOMPARE(readBytes(remembered), file.toUtf8());
        } else {
            QVERIFY(!QFile::exists(remembered));
        }
        // The pedal's next report shows what it really holds.
        e.readStatus();
        QCOMPARE(int(e.pedal->state().instrumentRange), reported);
        QCOMPARE(checked(e, "menuLow"), reported == 186);
        QCOMPARE(checked(e, "menuStandard"), reported == 255);
    }

    // Each pair of items is one choice: clicking an item twice in a row leaves exactly one mark.
    void eachPairIsOneChoice_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("asks");
        QTest::newRow("instrument range") << "menuStandard"
                                          << "menuLow" << true;
        QTest::newRow("bypass status") << "menuStoreBypassStatus"
                                       << "menuDoNotStoreBypassStatus" << false;
        QTest::newRow("range limit") << "menuRangeLimitON"
                                     << "menuRangeLimitOFF" << false;
    }
    void eachPairIsOneChoice() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, asks);
        LinkedEditor e;
        for (const QString& item : {first, first, second, second, first}) {
            if (asks) e.dialogs.expectConfirm(true);
            e.main().action(item)->trigger();
            QVERIFY2(checked(e, qPrintable(item)), qPrintable(item));
            const QString other = item == first ? second : first;
            QVERIFY2(!checked(e, qPrintable(other)), qPrintable(other));
        }
        QVERIFY(e.dialogs.scriptDone());
    }

    void bypassStoringAndRangeLimit_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::newRow("store bypass status") << "menuStoreBypassStatus" << bytes({0x10, 0x01});
        QTest::newRow("do not store") << "menuDoNotStoreBypassStatus" << bytes({0x10, 0xFF});
        QTest::newRow("range limit on") << "menuRangeLimitON" << bytes({0x11, 0x01});
        QTest::newRow("range limit off") << "menuRangeLimitOFF" << bytes({0x11, 0xFF});
    }
    void bypassStoringAndRangeLimit() {
        QFETCH(QString, item);
        QFETCH(std::vector<std::uint8_t>, sent);
        LinkedEditor e;
        e.pedal->state().storeBypass = item == "menuDoNotStoreBypassStatus";
        e.pedal->state().rangeLimit = item == "menuRangeLimitOFF";
        e.main().action(item)->trigger();
        QCOMPARE(e.sent(), sent);
        QCOMPARE(e.log.lines, QStringList{hexText(sent)});
        const bool on = sent[1] == 0x01;
        if (sent[0] == 0x10) {
            QCOMPARE(e.pedal->state().storeBypass, on);
            e.readStatus();
            QCOMPARE(checked(e, "menuStoreBypassStatus"), on);
            QCOMPARE(checked(e, "menuDoNotStoreBypassStatus"), !on);
        } else {
            QCOMPARE(e.pedal->state().rangeLimit, on);
        }
    }

    // Chosen while another exchange runs, a Bypass Status item is refused: nothing is sent and
    // the marks keep showing what the pedal holds.
    void bypassStoringRefusedKeepsItsMarks_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("store") << "menuStoreBypassStatus";
        QTest::newRow("do not store, already marked") << "menuDoNotStoreBypassStatus";
    }
    void bypassStoringRefusedKeepsItsMarks() {
        QFETCH(QString, item);
        LinkedEditor e;
        QVERIFY(checked(e, "menuDoNotStoreBypassStatus"));
        std::unique_ptr<Timer> click = e.clock.createTimer();
        click->setSingleShot(true);
        click->onTimeout([&] { e.main().action(item)->trigger(); });
        click->start(200);
        e.dialogs.expectConfirm(true);
        e.main().action("menuUploadTuningsData")->trigger();
        QVERIFY(
            e.log.contains("Bypass Status refused: another exchange with the pedal is in "
                           "progress"));
        QCOMPARE(e.sent().size(), std::size_t(2 + 641));
        QVERIFY(!checked(e, "menuStoreBypassStatus"));
        QVERIFY(checked(e, "menuDoNotStoreBypassStatus"));
    }

    void rangeLimitStatusOtherThanOneIsOff_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::newRow("1") << 1 << bytes({0x11, 0x01});
        QTest::newRow("0") << 0 << bytes({0x11, 0xFF});
        QTest::newRow("2") << 2 << bytes({0x11, 0xFF});
    }
    void rangeLimitStatusOtherThanOneIsOff() {
        QFETCH(int, status);
        QFETCH(std::vector<std::uint8_t>, sent);
        LinkedEditor e;
        e.operations().pedalSettings().RangeLimit(std::uint8_t(status));
        QCOMPARE(e.sent(), sent);
    }

    void midiChannel_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::newRow("OMNI") << 0 << "OMNI" << bytes({0x07, 0x00});
        QTest::newRow("9") << 9 << "9" << bytes({0x07, 0x09});
        QTest::newRow("12") << 12 << "12" << bytes({0x07, 0x0C});
        QTest::newRow("16") << 16 << "16" << bytes({0x07, 0x10});
    }
    void midiChannel() {
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(std::vector<std::uint8_t>, sent);
        LinkedEditor e;
        e.pedal->state().midiChannel = index == 0 ? 5 : 0;
        e.readStatus();
        const QList<int> before = checkedChannels(e);
        e.mark();
        QCOMPARE(channelItem(e, index)->text(), caption);
        channelItem(e, index)->trigger();
        QCOMPARE(e.sent(), sent);
        QCOMPARE(e.log.lines, (QStringList{"Midi channel: " + caption, hexText(sent)}));
        QCOMPARE(e.log.scrolled, (QList<bool>{false, true}));
        // The marks wait for the pedal's report.
        QCOMPARE(checkedChannels(e), before);
        e.readStatus();
        QCOMPARE(checkedChannels(e), QList<int>{index});
    }

    void reportedMidiChannel_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QList<int>>("marked");
        QTest::newRow("5") << 5 << QList<int>{5};
        QTest::newRow("0 is OMNI") << 0 << QList<int>{0};
        QTest::newRow("255 is OMNI") << 255 << QList<int>{0};
        QTest::newRow("40 marks none") << 40 << QList<int>{};
    }
    void reportedMidiChannel() {
        QFETCH(int, entry);
        QFETCH(QList<int>, marked);
        LinkedEditor e;
        e.operations().pedalSettings().ShowMidiChannel(std::uint8_t(3));
        e.operations().pedalSettings().ShowMidiChannel(std::uint8_t(entry));
        QCOMPARE(checkedChannels(e), marked);
        QCOMPARE(e.log.lines.last(), "MIDI channel: " + QString::number(entry));
    }

    void settingsAtStart() {
        EditorFixture f;
        f.start();
        QCOMPARE(f.main().midiChannelItems().size(), 17);
        QVERIFY(!f.main().action("menuStandard")->isChecked());
        QVERIFY(!f.main().action("menuLow")->isChecked());
        QVERIFY(f.main().action("menuDoNotStoreBypassStatus")->isChecked());
        QVERIFY(!f.main().action("menuStoreBypassStatus")->isChecked());
        for (QAction* item : f.main().midiChannelItems()) QVERIFY(!item->isChecked());
    }
};

QTEST_MAIN(TestPedalSettings)
#include "pedal_settings_test.moc"
