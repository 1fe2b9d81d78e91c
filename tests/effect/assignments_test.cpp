// Control assignments and footswitch behaviour: the lists, the tuning rule, "Assign", "Set
// Footswitch Mode", and both read back from the pedal.
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/tform_fx_settings.h"
#include "effect/tunings.h"
#include "linked_editor.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QComboBox* list(LinkedEditor& e, const char* name) {
    return e.editor->fxSettings().findChild<QComboBox*>(name);
}
QRadioButton* radio(LinkedEditor& e, const char* name) {
    return e.editor->fxSettings().findChild<QRadioButton*>(name);
}
QPushButton* button(LinkedEditor& e, const char* name) {
    return e.main().findChild<QPushButton*>(name);
}
// Footswitch choices as "short/long".
QString footswitchShown(LinkedEditor& e) {
    const QString shortPress = radio(e, "chkBypassShortPress")->isChecked() ? "Bypass"
                               : radio(e, "chkChangePresetShortPress")->isChecked()
                                   ? "Change Preset"
                                   : "none";
    const QString longPress = radio(e, "chkBypassLongPress")->isChecked()         ? "Bypass"
                              : radio(e, "chkChangePresetLongPress")->isChecked() ? "Change Preset"
                                                                                  : "none";
    return shortPress + "/" + longPress;
}

const std::vector<std::uint8_t> allUnassigned =
    bytes({0x04, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});

}  // namespace

class TestAssignments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsAtStart() {
        LinkedEditor e;
        QCOMPARE(list(e, "cmbAssignCtrlUNO")->count(), 6);
        QCOMPARE(list(e, "cmbAssignCtrlUNO")->itemText(5), QString("Noise Gate Threshold"));
        QCOMPARE(list(e, "cmbAssignCtrlQUATTRO")->itemText(4), QString("Noise Gate Status"));
        QCOMPARE(list(e, "cmbAssignRemote")->itemText(2), QString("Preset"));
        for (const char* name : {"cmbAssignCtrlUNO", "cmbAssignCtrlDUE", "cmbAssignCtrlTRE",
                                 "cmbAssignCtrlQUATTRO", "cmbAssignRemote"}) {
            QCOMPARE(list(e, name)->currentText(), QString("Not Assigned"));
        }
        QCOMPARE(footswitchShown(e), QString("Bypass/Change Preset"));
    }

    void assignMessage_data() {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<int>("entry");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::newRow("all unassigned") << "cmbAssignCtrlUNO" << 0 << allUnassigned;
        std::vector<std::uint8_t> preset = allUnassigned;
        preset[5] = 0x01;
        preset[15] = 0xFD;
        QTest::newRow("remote on Preset") << "cmbAssignRemote" << 2 << preset;
        std::vector<std::uint8_t> bypass = allUnassigned;
        bypass[5] = 0x01;
        bypass[15] = 0xFE;
        QTest::newRow("remote on Bypass") << "cmbAssignRemote" << 1 << bypass;
    }
    void assignMessage() {
        QFETCH(QString, listName);
        QFETCH(int, entry);
        QFETCH(std::vector<std::uint8_t>, sent);
        LinkedEditor e;
        list(e, qPrintable(listName))->setCurrentIndex(entry);
        e.dialogs.expectConfirm(true, "Upload Assignments?");
        // The button rests while the pedal takes the assignments in.
        std::unique_ptr<Timer> look = e.clock.createTimer();
        bool enabledMeanwhile = true;
        look->setSingleShot(true);
        look->onTimeout([&] { enabledMeanwhile = button(e, "btnAssign")->isEnabled(); });
        look->start(50);
        QTest::mouseClick(button(e, "btnAssign"), Qt::LeftButton);
        QVERIFY(e.dialogs.scriptDone());
        QCOMPARE(e.sent(), sent);
        QVERIFY(!enabledMeanwhile);
        QVERIFY(button(e, "btnAssign")->isEnabled());
        QCOMPARE(e.log.lines.value(0), QString("lenght of assign message in bytes: 16"));
        QCOMPARE(e.log.lines.value(1).left(16), QString("assign message: "));
        // What the pedal reports comes back onto the lists.
        list(e, qPrintable(listName))->setCurrentIndex(0);
        e.readStatus();
        QCOMPARE(list(e, qPrintable(listName))->currentIndex(), entry);
        QCOMPARE(e.operations().controlAssignments().AssignFlags[4], sent[5] == 1);
    }

    // The addresses come from the picked effect's algorithm image.
    void assignedControlCarriesItsAddress() {
        LinkedEditor e;
        e.operations().catalogue.SelectedEffectName = "Korvanne MK3 0008";
        e.operations().fxSettings().FormShow();
        e.mark();
        list(e, "cmbAssignCtrlUNO")->setCurrentText("Input Level");
        e.dialogs.expectConfirm(true);
        QTest::mouseClick(button(e, "btnAssign"), Qt::LeftButton);
        QCOMPARE(e.sent(), bytes({0x04, 0x01, 0, 0, 0, 0, 0x00, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                  0xFF, 0xFF, 0xFF}));
        QVERIFY(
            e.log.contains("assign message: 0401000000000"
                           "00AFFFFFFFFFFFFFFFF"));
        // The pedal reports it; the list and the record show it.
        list(e, "cmbAssignCtrlUNO")->setCurrentIndex(0);
        std::vector<std::uint8_t> entries(102, 0);
        entries[7] = 1;
        entries[12] = 0x00;
        entries[13] = 0x0A;
        e.operations().controlAssignments().ApplyAssignments(entries, 7);
        QCOMPARE(list(e, "cmbAssignCtrlUNO")->currentText(), QString("Input Level"));
        QVERIFY(e.operations().fxSettings().records.findAssignable("Input Level")->is_assigned);
        QVERIFY(!e.operations().fxSettings().records.findAssignable("Wave Clip")->is_assigned);
    }

    void assignAnsweredNoSendsNothing() {
        LinkedEditor e;
        e.dialogs.expectConfirm(false, "Upload Assignments?");
        QTest::mouseClick(button(e, "btnAssign"), Qt::LeftButton);
        QCOMPARE(e.sent(), bytes({}));
    }

    void trackingParametersNeedATuning_data() {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("tuning");
        QTest::addColumn<bool>("refused");
        QTest::newRow("High Notes Cut, no tuning") << "cmbAssignCtrlQUATTRO"
                                                   << "High Notes Cut" << 0 << true;
        QTest::newRow("Dominant Notes Cut, no tuning") << "cmbAssignCtrlTRE"
                                                       << "Dominant Notes Cut" << 0 << true;
        QTest::newRow("Limit Range UP, no tuning") << "cmbAssignCtrlQUATTRO"
                                                   << "Limit Range UP" << 0 << false;
        QTest::newRow("High Notes Cut, standard tuning") << "cmbAssignCtrlQUATTRO"
                                                         << "High Notes Cut" << 1 << false;
    }
    void trackingParametersNeedATuning() {
        QFETCH(QString, listName);
        QFETCH(QString, choice);
        QFETCH(int, tuning);
        QFETCH(bool, refused);
        LinkedEditor e;
        e.editor->fxSettings().findChild<QComboBox*>("cmbGuitarTuning")->setCurrentIndex(tuning);
        list(e, qPrintable(listName))->setCurrentText(choice);
        const int flag = listName == "cmbAssignCtrlTRE" ? 2 : 3;
        if (refused) {
            QCOMPARE(e.dialogs.messages, QStringList{ControlAssignments::TuningRuleMessage});
            QCOMPARE(list(e, qPrintable(listName))->currentText(), QString("Not Assigned"));
            QVERIFY(!e.operations().controlAssignments().AssignFlags[std::size_t(flag)]);
        } else {
            QCOMPARE(e.dialogs.messages, QStringList());
            QCOMPARE(list(e, qPrintable(listName))->currentText(), choice);
            QVERIFY(e.operations().controlAssignments().AssignFlags[std::size_t(flag)]);
        }
    }

    void reportedFlagZeroShowsNotAssigned() {
        LinkedEditor e;
        list(e, "cmbAssignCtrlDUE")->setCurrentIndex(3);
        std::vector<std::uint8_t> entries(102, 0);
        // Control II: flag 0, address bytes that would match something.
        entries[13] = 0x00;
        entries[14] = 0x0B;
        e.operations().controlAssignments().ApplyAssignments(entries, 7);
        QCOMPARE(list(e, "cmbAssignCtrlDUE")->currentText(), QString("Not Assigned"));
        QVERIFY(!e.operations().controlAssignments().AssignFlags[1]);
    }

    void footswitchMessage_data() {
        QTest::addColumn<QString>("shortButton");
        QTest::addColumn<QString>("longButton");
        QTest::addColumn<std::vector<std::uint8_t>>("sent");
        QTest::addColumn<int>("mode");
        QTest::newRow("as at start")
            << "chkBypassShortPress"
            << "chkChangePresetLongPress" << bytes({0x08, 0x00, 0x00}) << 0;
        QTest::newRow("bypass both") << "chkBypassShortPress"
                                     << "chkBypassLongPress" << bytes({0x08, 0x00, 0x01}) << 1;
        QTest::newRow("change preset both")
            << "chkChangePresetShortPress"
            << "chkChangePresetLongPress" << bytes({0x08, 0x01, 0x00}) << 2;
        QTest::newRow("short change preset, long bypass")
            << "chkChangePresetShortPress"
            << "chkBypassLongPress" << bytes({0x08, 0x01, 0x01}) << 3;
    }
    void footswitchMessage() {
        QFETCH(QString, shortButton);
        QFETCH(QString, longButton);
        QFETCH(std::vector<std::uint8_t>, sent);
        QFETCH(int, mode);
        LinkedEditor e;
        radio(e, qPrintable(shortButton))->click();
        radio(e, qPrintable(longButton))->click();
        const QString shown = footswitchShown(e);
        // Sent at once, without a question.
        QTest::mouseClick(button(e, "btnSetFootswitchMode"), Qt::LeftButton);
        QCOMPARE(e.sent(), sent);
        const QString text = QString::asprintf("08%02X%02X", sent[1], sent[2]);
        QCOMPARE(e.log.lines, (QStringList{"footswitch behaviour message: " + text, text}));
        QCOMPARE(e.pedal->state().footswitchMode, mode);
        // Read back: the other choice first, then the pedal's report.
        radio(e, mode >= 2 ? "chkBypassShortPress" : "chkChangePresetShortPress")->click();
        e.readStatus();
        QCOMPARE(footswitchShown(e), shown);
        QCOMPARE(int(e.operations().controlAssignments().FootswitchMode), mode);
        QVERIFY(e.log.contains("Footswitch Mode: " + QString::number(mode)));
    }

    void reportedFootswitchModeOutOfRangeChangesNothing() {
        LinkedEditor e;
        radio(e, "chkChangePresetShortPress")->click();
        std::vector<std::uint8_t> entries(102, 0);
        entries[4] = 4;
        e.operations().controlAssignments().ApplyFootswitchMode(entries, 4);
        QCOMPARE(footswitchShown(e), QString("Change Preset/Change Preset"));
    }
};

QTEST_MAIN(TestAssignments)
#include "assignments_test.moc"
