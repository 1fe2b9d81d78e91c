// The note cut window: reached from the Settings menu, at most two notes checked, and "Save".
#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "effect/tform_note_tracking_filter.h"
#include "linked_editor.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

TformNoteTrackingFilter& window(LinkedEditor& e) {
    return e.editor->noteTrackingFilter();
}

QCheckBox* box(LinkedEditor& e, const char* name) {
    return window(e).findChild<QCheckBox*>(name);
}

}  // namespace

class TestNoteCut : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reachedFromTheSettingsMenu() {
        LinkedEditor e;
        QVERIFY(!window(e).isVisible());
        e.main().action("menuNoteCut")->trigger();
        QVERIFY(window(e).isVisible());
        QCOMPARE(window(e).windowTitle(), QString("Note Cut"));
        QCOMPARE(window(e).size(), QSize(222, 115));
        QCOMPARE(box(e, "chkDdiesis3")->text(), QString("D#3"));
        QCOMPARE(box(e, "chkDdiesis3")->pos(), QPoint(65, 44));
    }

    void save_data() {
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::addColumn<QString>("byte1");
        QTest::addColumn<QString>("byte2");
        QTest::newRow("none") << QStringList{} << bytes({0x09, 0xFF, 0xFF}) << "FF"
                              << "FF";
        QTest::newRow("A2 and E3")
            << QStringList{"chkE3", "chkA2"} << bytes({0x09, 0x00, 0x07}) << "00"
            << "07";
        QTest::newRow("D#3 alone")
            << QStringList{"chkDdiesis3"} << bytes({0x09, 0x06, 0xFF}) << "06"
            << "FF";
    }
    void save() {
        QFETCH(QStringList, checked);
        QFETCH(std::vector<std::uint8_t>, sent);
        QFETCH(QString, byte1);
        QFETCH(QString, byte2);
        LinkedEditor e;
        e.main().action("menuNoteCut")->trigger();
        for (const QString& name : checked) box(e, qPrintable(name))->click();
        QCOMPARE(e.sent(), bytes({}));
        const std::int64_t before = e.clock.nowUs();
        // No question is asked.
        QTest::mouseClick(window(e).findChild<QPushButton*>("btnSave"), Qt::LeftButton);
        QCOMPARE(e.sent(), sent);
        QVERIFY(e.clock.nowUs() - before >= 100'000);
        const QString text = "09" + byte1 + byte2;
        QCOMPARE(e.log.lines, (QStringList{"byte 1: " + byte1, "byte 2: " + byte2,
                                           "Set note filters: " + text, "3"}));
        QCOMPARE(e.pedal->state().noteFilter.first, std::uint8_t(sent[1]));
        QCOMPARE(e.pedal->state().noteFilter.second, std::uint8_t(sent[2]));
    }

    void atMostTwoNotes() {
        LinkedEditor e;
        const QStringList names{"chkA2",       "chkAdiesis2", "chkB2",       "chkC3",
                                "chkCdiesis3", "chkD3",       "chkDdiesis3", "chkE3"};
        box(e, "chkB2")->click();
        box(e, "chkD3")->click();
        QCOMPARE(e.operations().noteTrackingFilter().NoteFilterCount, 2);
        for (const QString& name : names) {
            const bool isChecked = name == "chkB2" || name == "chkD3";
            QCOMPARE(box(e, qPrintable(name))->isEnabled(), isChecked);
        }
        // Unchecking one frees all the others.
        box(e, "chkD3")->click();
        QCOMPARE(e.operations().noteTrackingFilter().NoteFilterCount, 1);
        for (const QString& name : names) QVERIFY(box(e, qPrintable(name))->isEnabled());
    }

    void saveWithoutAPedalTellsTheUser() {
        EditorFixture f;
        f.start();
        f.main().action("menuNoteCut")->trigger();
        QTest::mouseClick(f.editor->noteTrackingFilter().findChild<QPushButton*>("btnSave"),
                          Qt::LeftButton);
        QCOMPARE(f.dialogs.messages, QStringList{NoteTrackingFilter::NotLinkedMessage});
    }
};

QTEST_MAIN(TestNoteCut)
#include "note_cut_test.moc"
