// The "not yet sent" marks of the effect window: the tuning lists, the assignment lists and the
// footswitch choices are marked from a change until their main-window button has sent them, or
// until the pedal's own state is read back onto them.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

#include "core/clock.h"
#include "device/device_messages.h"
#include "effect/control_assignments.h"
#include "effect/tform_fx_settings.h"
#include "effect/toggle_switch.h"
#include "effect/tunings.h"
#include "linked_editor.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

using Unsent = TformFXsettings::Unsent;

// One group of choices and the main-window button that sends it.
struct Group {
    const char* button;
    QString question;  // what the button asks first; empty when it asks nothing
    QStringList captions;
};

Group group(Unsent g) {
    switch (g) {
        case Unsent::Tuning:
            return {"btnSetTuning", "Set new tuning?", {"lblTrackingFunctions"}};
        case Unsent::Assignments:
            return {"btnAssign", "Upload Assignments?", {"lblAssignControls"}};
        case Unsent::Footswitch:
            return {"btnSetFootswitchMode", {}, {"lblLongPress", "lblShortPress"}};
    }
    return {};
}

struct MarkedEditor : LinkedEditor {
    TformFXsettings& window() { return editor->fxSettings(); }

    bool pending(Unsent g) {
        switch (g) {
            case Unsent::Tuning:
                return operations().tunings().pending();
            case Unsent::Assignments:
                return operations().controlAssignments().assignPending();
            case Unsent::Footswitch:
                return operations().controlAssignments().footswitchPending();
        }
        return false;
    }
    // What the user changes in each group.
    void change(Unsent g) {
        switch (g) {
            case Unsent::Tuning:
                window().findChild<QComboBox*>("cmbGuitarTuning")->setCurrentIndex(2);
                break;
            case Unsent::Assignments:
                window().findChild<QComboBox*>("cmbAssignRemote")->setCurrentIndex(1);
                break;
            case Unsent::Footswitch:
                QTest::mouseClick(window().findChild<QRadioButton*>("chkChangePresetShortPress"),
                                  Qt::LeftButton);
                break;
        }
    }
    // The pedal holds that change.
    bool pedalHasTheChange(Unsent g) {
        const PedalState& s = pedal->state();
        switch (g) {
            case Unsent::Tuning:
                return s.tuning == 2;
            case Unsent::Assignments:
                return s.assignments.flags[4] == 1 && s.assignments.codes[4] == msg::RemoteBypass;
            case Unsent::Footswitch:
                return s.footswitchMode == 2;  // short press Change Preset, long press as it was
        }
        return false;
    }
    void press(Unsent g, bool yes = true) {
        const Group what = group(g);
        if (!what.question.isEmpty()) dialogs.expectConfirm(yes, what.question);
        QTest::mouseClick(main().findChild<QPushButton*>(what.button), Qt::LeftButton);
    }
    // What the window shows: every caption of the group marked, or none; "" when they agree.
    QString markFault(Unsent g, bool marked) {
        for (const QString& name : group(g).captions) {
            const QLabel* caption = window().findChild<QLabel*>(name);
            const bool starred = caption->text().endsWith(" *");
            const QString hint = marked ? TformFXsettings::notYetSentHint(g) : QString();
            if (starred != marked || caption->toolTip() != hint)
                return name + " shows \"" + caption->text() + "\", hint \"" + caption->toolTip() +
                       "\"";
        }
        if (window().notYetSentShown(g) != marked) return "the window says otherwise";
        return {};
    }
};

void addGroups() {
    QTest::addColumn<Unsent>("g");
    QTest::newRow("tuning") << Unsent::Tuning;
    QTest::newRow("assignments") << Unsent::Assignments;
    QTest::newRow("footswitch") << Unsent::Footswitch;
}

}  // namespace

Q_DECLARE_METATYPE(Unsent)

class UnsentMarksTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void markedFromAChangeUntilItsButtonSendsIt_data() { addGroups(); }
    void markedFromAChangeUntilItsButtonSendsIt() {
        QFETCH(Unsent, g);
        MarkedEditor e;
        // The link's read-back marks nothing.
        QVERIFY(!e.pending(g));
        QCOMPARE(e.markFault(g, false), QString());
        e.change(g);
        QVERIFY(e.pending(g));
        QCOMPARE(e.markFault(g, true), QString());
        // Only this group is marked.
        for (Unsent other : {Unsent::Tuning, Unsent::Assignments, Unsent::Footswitch}) {
            if (other != g) QVERIFY(!e.pending(other));
        }
        e.press(g);
        QVERIFY(e.dialogs.scriptDone());
        QVERIFY(e.pedalHasTheChange(g));
        QVERIFY(!e.pending(g));
        QCOMPARE(e.markFault(g, false), QString());
    }

    void aSendThatDidNotHappenKeepsTheMark_data() {
        QTest::addColumn<Unsent>("g");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("shown");  // in the status bar; empty: left as it was
        const QString busy = "Refused: " + Outcome::BusyReason + ".";
        const QString notTaken = "not sent: the pedal's line did not take the message.";
        QTest::newRow("tuning, answered No") << Unsent::Tuning << "No"
                                             << "";
        QTest::newRow("tuning, link busy") << Unsent::Tuning << "busy" << busy;
        QTest::newRow("tuning, cable pulled") << Unsent::Tuning << "pulled" << notTaken;
        QTest::newRow("assignments, answered No") << Unsent::Assignments << "No"
                                                  << "";
        QTest::newRow("assignments, link busy") << Unsent::Assignments << "busy" << busy;
        QTest::newRow("assignments, cable pulled") << Unsent::Assignments << "pulled" << notTaken;
        QTest::newRow("footswitch, link busy") << Unsent::Footswitch << "busy" << busy;
        QTest::newRow("footswitch, cable pulled") << Unsent::Footswitch << "pulled" << notTaken;
    }
    void aSendThatDidNotHappenKeepsTheMark() {
        QFETCH(Unsent, g);
        QFETCH(QString, how);
        QFETCH(QString, shown);
        MarkedEditor e;
        e.change(g);
        const QString before = e.main().statusBar()->currentMessage();
        QString during;
        if (how == "busy") {
            // Pressed while the tuning data upload holds the link.
            std::unique_ptr<Timer> click = e.clock.createTimer();
            click->setSingleShot(true);
            click->onTimeout([&] {
                e.main().findChild<QPushButton*>(group(g).button)->click();
                during = e.main().statusBar()->currentMessage();
            });
            click->start(200);
            e.dialogs.expectConfirm(true, "Upload Tuning Data?");
            e.main().action("menuUploadTuningsData")->trigger();
        } else {
            if (how == "pulled") e.pedal->pullCable();
            // A pulled cable is found only by trying.
            e.press(g, how == "pulled");
            during = e.main().statusBar()->currentMessage();
        }
        QVERIFY(e.dialogs.scriptDone());
        if (shown.isEmpty()) {
            QCOMPARE(during, before);
        } else {
            QVERIFY2(during.endsWith(shown), qPrintable(during));
        }
        QVERIFY(!e.pedalHasTheChange(g));
        QVERIFY(e.pending(g));
        QCOMPARE(e.markFault(g, true), QString());
    }

    void aChangeWhileTheButtonSendsStaysMarked() {
        MarkedEditor e;
        e.change(Unsent::Tuning);
        // A switch's message was just written: "Set Tuning" lets it leave before it purges, and
        // the semitones change meanwhile, after its message was made.
        QTest::mouseClick(e.window().toggle(Switch::swtSplit), Qt::LeftButton);
        std::unique_ptr<Timer> change = e.clock.createTimer();
        change->setSingleShot(true);
        change->onTimeout(
            [&] { e.window().findChild<QComboBox*>("cmbSemitonesVariation")->setCurrentIndex(0); });
        change->start(DeviceMessages::LeaveMarginMs / 2);
        e.press(Unsent::Tuning);
        QVERIFY(e.pedalHasTheChange(Unsent::Tuning));
        QCOMPARE(e.pedal->state().semitones, 0);  // as it was when the message was made
        QCOMPARE(e.operations().tunings().SemitoneVariation, -5);
        QVERIFY(e.pending(Unsent::Tuning));
        QCOMPARE(e.markFault(Unsent::Tuning, true), QString());
    }

    void readingThePedalBackClearsTheMark_data() { addGroups(); }
    void readingThePedalBackClearsTheMark() {
        QFETCH(Unsent, g);
        MarkedEditor e;
        e.change(g);
        QVERIFY(e.pending(g));
        QTest::mouseClick(e.main().findChild<QPushButton*>("btnRequest"), Qt::LeftButton);
        QVERIFY(!e.pending(g));
        QCOMPARE(e.markFault(g, false), QString());
        // The lists show the pedal's state again, which the change never reached.
        QVERIFY(!e.pedalHasTheChange(g));
        QCOMPARE(e.operations().tunings().CurrentTuning, 0);
        QCOMPARE(e.operations().controlAssignments().assignedText(AssignList::Remote),
                 ControlAssignments::NotAssigned);
    }

    void aReadBackThatCannotShowTheTuningKeepsTheMark() {
        MarkedEditor e;
        e.change(Unsent::Tuning);
        std::vector<std::uint8_t> entries(102, 0);
        entries[5] = 9;  // no such tuning
        entries[6] = 0x02;
        e.operations().tunings().ApplyTuning(entries, 5);
        QVERIFY(e.pending(Unsent::Tuning));
        // One the lists can show replaces the choice.
        entries[5] = 4;
        e.operations().tunings().ApplyTuning(entries, 5);
        QVERIFY(!e.pending(Unsent::Tuning));
        QCOMPARE(e.markFault(Unsent::Tuning, false), QString());
    }
};

QTEST_MAIN(UnsentMarksTest)
#include "unsent_marks_test.moc"
