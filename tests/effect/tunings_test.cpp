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
        e.controller().tunings().CurrentTuning = 0;
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
        e.controller().tunings().ApplyTuning(entries, 5);
        QCOMPARE(tuningList(e)->currentText(), tuningShown);
        QCOMPARE(semitoneList(e)->currentText(), semitonesShown);
        QCOMPARE(e.log.lines, (QStringList{"Current Tuning: " + QString::number(tuning),
                                           "Semitones variation: " + logged}));
        QCOMPARE(int(e.controller().tunings().CurrentTuning), tuning);
        QCOMPARE(int(e.controller().tunings().SemitoneVariation), int(std::int8_t(semitoneByte)));
    }

    void tuningDataTable() {
        const std::string text = tuningDataText();
        QCOMPARE(text.size(), std::size_t(1280));
        QCOMPARE(QString::fromStdString(text.substr(0, 16)), QString("007FF5ECFF002B70"));
        QCOMPARE(QString::fromStdString(text.substr(1272)), QString("FF8137C0"));
        // Record 18 starts the second group of filters.
        QCOMPARE(QString::fromStdString(text.substr(18 * 40, 8)), QString("007FBD9D"));
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
