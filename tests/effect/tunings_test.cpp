// Tunings: the tuning and semitone lists, "Set Tuning", the tuning read back from the pedal, and
// the tuning data upload with its bypass and pause.
#include "effect/tunings.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "effect/tform_fx_settings.h"
#include "effect/tuning_data.h"
#include "linked_editor.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QComboBox* tuningList(LinkedEditor& e) {
    return e.editor->fxSettings().findChild<QComboBox*>("cmbGuitarTuning");
}
QComboBox* semitoneList(LinkedEditor& e) {
    return e.editor->fxSettings().findChild<QComboBox*>("cmbSemitonesVariation");
}
QPushButton* button(LinkedEditor& e, const char* name) {
    return e.main().findChild<QPushButton*>(name);
}

}  // namespace

class TestTunings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsAtStart() {
        LinkedEditor e;
        QCOMPARE(tuningList(e)->count(), 9);
        QCOMPARE(tuningList(e)->itemText(8), QString("Bass Guitar"));
        QCOMPARE(semitoneList(e)->count(), 9);
        QCOMPARE(semitoneList(e)->itemText(0), QString("-5"));
        QCOMPARE(semitoneList(e)->itemText(8), QString("+3"));
        QCOMPARE(tuningList(e)->currentText(), QString("No Tuning Selected"));
        QCOMPARE(semitoneList(e)->currentText(), QString("0"));
    }

    void setTuning_data() {
        QTest::addColumn<int>("tuning");
        QTest::addColumn<QString>("semitones");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::newRow("standard, one half-step down") << 1 << "-1" << bytes({0x09, 0x01, 0xFF});
        QTest::newRow("Open C, +3") << 7 << "+3" << bytes({0x09, 0x07, 0x03});
        QTest::newRow("as at start") << 0 << "0" << bytes({0x09, 0x00, 0x00});
        QTest::newRow("bass, -5") << 8 << "-5" << bytes({0x09, 0x08, 0xFB});
    }
    void setTuning() {
        QFETCH(int, tuning);
        QFETCH(QString, semitones);
        QFETCH(std::vector<std::uint8_t>, sent);
        LinkedEditor e;
        tuningList(e)->setCurrentIndex(tuning);
        semitoneList(e)->setCurrentText(semitones);
        // Choosing sends nothing.
        QCOMPARE(e.sent(), bytes({}));
        e.dialogs.expectConfirm(true, "Set new tuning?");
        const std::int64_t before = e.clock.nowUs();
        QTest::mouseClick(button(e, "btnSetTuning"), Qt::LeftButton);
        QVERIFY(e.dialogs.scriptDone());
        QCOMPARE(e.sent(), sent);
        QVERIFY(e.clock.nowUs() - before >= 100'000);
        QCOMPARE(e.log.lines.value(0).left(16), QString("Tuning Message: "));
        // The pedal keeps it and reports it on the next link.
        e.operations().tunings().CurrentTuning = 0;
        tuningList(e)->setCurrentIndex(0);
        semitoneList(e)->setCurrentIndex(5);
        e.readStatus();
        QCOMPARE(tuningList(e)->currentIndex(), tuning);
        QCOMPARE(semitoneList(e)->currentText(), semitones);
    }

    void setTuningAnsweredNoSendsNothing() {
        LinkedEditor e;
        tuningList(e)->setCurrentIndex(3);
        e.dialogs.expectConfirm(false, "Set new tuning?");
        QTest::mouseClick(button(e, "btnSetTuning"), Qt::LeftButton);
        QCOMPARE(e.sent(), bytes({}));
        QCOMPARE(e.log.lines, QStringList{"Tuning Message: 090300"});
    }

    void reportedTuning_data() {
        QTest::addColumn<int>("tuning");
        QTest::addColumn<int>("semitoneByte");
        QTest::addColumn<QString>("tuningShown");
        QTest::addColumn<QString>("semitonesShown");
        QTest::addColumn<QString>("logged");
        QTest::newRow("Open A, -5") << 6 << 0xFB << "Open A (EAC#EAE)"
                                    << "-5"
                                    << "FB";
        QTest::newRow("Drop D, +3") << 2 << 0x03 << "Drop D (DADGBE)"
                                    << "+3"
                                    << "03";
        // Numbers outside the lists leave them as they were.
        QTest::newRow("tuning 9, semitones +4") << 9 << 0x04 << "DADGAD"
                                                << "+1"
                                                << "04";
    }
    void reportedTuning() {
        QFETCH(int, tuning);
        QFETCH(int, semitoneByte);
        QFETCH(QString, tuningShown);
        QFETCH(QString, semitonesShown);
        QFETCH(QString, logged);
        LinkedEditor e;
        tuningList(e)->setCurrentIndex(3);
        semitoneList(e)->setCurrentText("+1");
        std::vector<std::uint8_t> entries(102, 0);
        entries[5] = std::uint8_t(tuning);
        entries[6] = std::uint8_t(semitoneByte);
        e.operations().tunings().ApplyTuning(entries, 5);
        QCOMPARE(tuningList(e)->currentText(), tuningShown);
        QCOMPARE(semitoneList(e)->currentText(), semitonesShown);
        QCOMPARE(e.log.lines, (QStringList{"Current Tuning: " + QString::number(tuning),
                                           "Semitones variation: " + logged}));
        // "Set Tuning" sends what the lists show, whatever the pedal reported.
        e.dialogs.expectConfirm(true, "Set new tuning?");
        QTest::mouseClick(button(e, "btnSetTuning"), Qt::LeftButton);
        QCOMPARE(e.sent(), bytes({0x09, std::uint8_t(tuningList(e)->currentIndex()),
                                  std::uint8_t(semitoneList(e)->currentText().toInt())}));
    }

    void tuningDataTable_data() {
        // The 32 filter records the pedal is given, each five words.
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("words");
        QTest::newRow("0") << 0 << QString("007FF5EC FF002B70 007FE1AB 00FFD490 FF80286A");
        QTest::newRow("1") << 1 << QString("007FF552 FF002E35 007FDFDD 00FFD1CB FF802AD0");
        QTest::newRow("2") << 2 << QString("007FF4B0 FF00312B 007FDDF4 00FFCED5 FF802D5C");
        QTest::newRow("3") << 3 << QString("007FF404 FF003454 007FDBEF 00FFCBAC FF80300D");
        QTest::newRow("4") << 4 << QString("007FF34E FF0037B5 007FD9CA 00FFC84B FF8032E8");
        QTest::newRow("5") << 5 << QString("007FF28D FF003B52 007FD785 00FFC4AE FF8035EF");
        QTest::newRow("6") << 6 << QString("007FF1C0 FF003F2F 007FD51D 00FFC0D1 FF803923");
        QTest::newRow("7") << 7 << QString("007FF0E7 FF004351 007FD291 00FFBCAF FF803C88");
        QTest::newRow("8") << 8 << QString("007FF002 FF0047BE 007FCFDE 00FFB842 FF804020");
        QTest::newRow("9") << 9 << QString("007FEF0F FF004C7C 007FCD02 00FFB384 FF8043EF");
        QTest::newRow("10") << 10 << QString("007FEE0D FF005191 007FC9FB 00FFAE6F FF8047F8");
        QTest::newRow("11") << 11 << QString("007FECFC FF005704 007FC6C6 00FFA8FC FF804C3E");
        QTest::newRow("12") << 12 << QString("007FEBDB FF005CDC 007FC360 00FFA324 FF8050C5");
        QTest::newRow("13") << 13 << QString("007FEAA9 FF006323 007FBFC6 00FF9CDD FF805591");
        QTest::newRow("14") << 14 << QString("007FE964 FF0069E1 007FBBF6 00FF961F FF805AA6");
        QTest::newRow("15") << 15 << QString("007FE80D FF00711F 007FB7EC 00FF8EE1 FF806007");
        QTest::newRow("16") << 16 << QString("007FE6A1 FF0078EA 007FB3A5 00FF8716 FF8065BB");
        QTest::newRow("17") << 17 << QString("007FE51F FF00814D 007FAF1C 00FF7EB3 FF806BC4");
        QTest::newRow("18") << 18 << QString("007FBD9D FF009D1C 007FAEDD 00FF62E4 FF809386");
        QTest::newRow("19") << 19 << QString("007FB9AD FF00A708 007FAA0D 00FF58F8 FF809C46");
        QTest::newRow("20") << 20 << QString("007FB582 FF00B19D 007FA4F4 00FF4E63 FF80A58A");
        QTest::newRow("21") << 21 << QString("007FB117 FF00BCE8 007F9F8E 00FF4318 FF80AF5B");
        QTest::newRow("22") << 22 << QString("007FAC69 FF00C8F6 007F99D6 00FF370A FF80B9C1");
        QTest::newRow("23") << 23 << QString("007FA775 FF00D5D4 007F93C8 00FF2A2C FF80C4C3");
        QTest::newRow("24") << 24 << QString("007FA236 FF00E394 007F8D5E 00FF1C6C FF80D06C");
        QTest::newRow("25") << 25 << QString("007F9CA7 FF00F245 007F8693 00FF0DBB FF80DCC6");
        QTest::newRow("26") << 26 << QString("007F96C4 FF0101F9 007F7F62 00FEFE07 FF80E9DA");
        QTest::newRow("27") << 27 << QString("007F9089 FF0112C5 007F77C4 00FEED3B FF80F7B3");
        QTest::newRow("28") << 28 << QString("007F89F0 FF0124BE 007F6FB3 00FEDB42 FF81065E");
        QTest::newRow("29") << 29 << QString("007F82F3 FF0137FC 007F6728 00FEC804 FF8115E5");
        QTest::newRow("30") << 30 << QString("007F7B8C FF014C98 007F5E1D 00FEB368 FF812657");
        QTest::newRow("31") << 31 << QString("007F73B6 FF0162AE 007F548A 00FE9D52 FF8137C0");
    }
    void tuningDataTable() {
        QFETCH(int, record);
        QFETCH(QString, words);
        const std::string text = tuningDataText();
        QCOMPARE(text.size(), std::size_t(1280));
        QStringList held;
        for (std::uint32_t word : TuningData[std::size_t(record)])
            held << QString::asprintf("%08X", word);
        QCOMPARE(held.join(' '), words);
        QCOMPARE(QString::fromStdString(text.substr(std::size_t(record) * 40, 40)),
                 QString(words).remove(' '));
    }

    void uploadTuningData() {
        LinkedEditor e;
        e.dialogs.expectConfirm(true, "Upload Tuning Data?");
        const std::int64_t before = e.clock.nowUs();
        e.main().action("menuUploadTuningsData")->trigger();
        QVERIFY(e.dialogs.scriptDone());
        const std::vector<std::uint8_t> sent = e.sent();
        QCOMPARE(sent.size(), std::size_t(2 + 641));
        // Bypass first, then the data.
        QCOMPARE(std::vector<std::uint8_t>(sent.begin(), sent.begin() + 2), bytes({0x0D, 0x01}));
        const std::vector<std::uint8_t> data(sent.begin() + 2, sent.end());
        QCOMPARE(std::vector<std::uint8_t>(data.begin(), data.begin() + 9),
                 bytes({0x0E, 0x00, 0x7F, 0xF5, 0xEC, 0xFF, 0x00, 0x2B, 0x70}));
        QCOMPARE(std::vector<std::uint8_t>(data.end() - 4, data.end()),
                 bytes({0xFF, 0x81, 0x37, 0xC0}));
        QVERIFY(e.clock.nowUs() - before >= 500'000);
        QCOMPARE(e.log.lines.value(0), "tuning data: " + QString::fromStdString(tuningDataText()));
        QVERIFY(e.log.contains("num_of_bytes: 641"));
        QVERIFY(e.pedal->state().tuningDataLoaded);
        QVERIFY(e.pedal->state().bypass);
        QCOMPARE(e.pedal->state().tuningData[0], std::uint8_t(0x00));
        QCOMPARE(e.pedal->state().tuningData[639], std::uint8_t(0xC0));
    }

    // The 400 ms pause lies between the bypass and the data.
    void uploadPausesAfterTheBypass() {
        LinkedEditor e;
        std::vector<std::int64_t> writes;
        std::unique_ptr<Timer> watch = e.clock.createTimer();
        std::size_t seen = e.pedal->received().size();
        watch->setInterval(1);
        watch->onTimeout([&] {
            if (e.pedal->received().size() != seen) {
                seen = e.pedal->received().size();
                writes.push_back(e.clock.nowMs());
            }
        });
        watch->start();
        e.dialogs.expectConfirm(true);
        e.main().action("menuUploadTuningsData")->trigger();
        watch->stop();
        // The bypass is in before the pause; the data only after 400 ms.
        QVERIFY(!writes.empty());
        QVERIFY(e.sent().size() == 643);
        QVERIFY2(writes.back() - writes.front() >= 400,
                 qPrintable(QString::number(writes.back() - writes.front())));
    }

    // A command asked for during the upload's pause is refused; the bytes never interleave.
    void commandDuringTheUploadIsRefused() {
        LinkedEditor e;
        std::unique_ptr<Timer> click = e.clock.createTimer();
        click->setSingleShot(true);
        click->onTimeout([&] { e.main().midiChannelItems().value(9)->trigger(); });
        click->start(200);
        e.dialogs.expectConfirm(true);
        e.main().action("menuUploadTuningsData")->trigger();
        const std::vector<std::uint8_t> sent = e.sent();
        QCOMPARE(sent.size(), std::size_t(2 + 641));
        QCOMPARE(sent[2], std::uint8_t(0x0E));
        QVERIFY(
            e.log.contains("MIDI channel refused: another exchange with the pedal is in progress"));
        QCOMPARE(e.pedal->state().midiChannel, std::uint8_t(0));
    }

    void uploadAnsweredNoSendsNothing() {
        LinkedEditor e;
        e.dialogs.expectConfirm(false, "Upload Tuning Data?");
        e.main().action("menuUploadTuningsData")->trigger();
        QCOMPARE(e.sent(), bytes({}));
        QVERIFY(!e.pedal->state().bypass);
    }
};

QTEST_MAIN(TestTunings)
#include "tunings_test.moc"
