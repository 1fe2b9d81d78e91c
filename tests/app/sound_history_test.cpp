// Undo and redo of sound changes in the editor on virtual time: what each step sends, and that
// the simulated pedal ends where the controls show.
#include "app/sound_history.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "core/clock.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/parameter_catalogue.h"
#include "effect/tform_fx_settings.h"
#include "effect/toggle_switch.h"
#include "linked_editor.h"
#include "operations/preset_file.h"
#include "test_files.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

struct HistoryEditor : LinkedEditor {
    TformFXsettings& fxWindow() { return editor->fxSettings(); }
    SoundHistory& history() { return editor->history(); }
    std::uint32_t pedalValue(Param p) const { return pedal->state().values[order(p)]; }
    QString bar() { return main().statusBar()->currentMessage(); }
    // Undo or redo as the keys do it, from either window; the deferred send has gone after.
    void step(const char* action, QWidget* window) {
        window->findChild<QAction*>(action)->trigger();
        clock.advance(FxSettings::DeferredSendMs);
    }
    void undo(QWidget* window) { step("actUndo", window); }
    void redo(QWidget* window) { step("actRedo", window); }
};

void drag(QWidget* w, int dx, int dy) {
    const QPointF from(w->width() / 2.0, w->height() / 2.0);
    const QPointF to = from + QPointF(dx, dy);
    QMouseEvent press(QEvent::MouseButtonPress, from, w->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    for (int i = 1; i <= 4; ++i) {
        const QPointF at = from + (to - from) * i / 4.0;
        QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, to, w->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

}  // namespace

class SoundHistoryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keysUndoAndRedoInBothWindows() {
        HistoryEditor e;
        for (QWidget* window :
             {static_cast<QWidget*>(&e.main()), static_cast<QWidget*>(&e.fxWindow())}) {
            QCOMPARE(window->findChild<QAction*>("actUndo")->shortcuts(),
                     QList<QKeySequence>{QKeySequence("Ctrl+Z")});
            QCOMPARE(window->findChild<QAction*>("actRedo")->shortcuts(),
                     (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
        }
    }

    // A drag from press to release is one step, whatever it passed through; undo sends the value
    // the knob had, redo the one it was left at, and the pedal follows both.
    void aKnobTurnIsOneStep() {
        HistoryEditor e;
        KnobDial* dry = e.fxWindow().knob(Knob::dialDry);
        const int startAngle = dry->angle();
        const std::uint32_t start = e.pedalValue(Param::Dry);
        drag(dry, 40, -20);
        e.clock.advance(FxSettings::DeferredSendMs);
        const int turnedAngle = dry->angle();
        const std::uint32_t turned = e.pedalValue(Param::Dry);
        QVERIFY(turned != start);
        QCOMPARE(e.history().stack().count(), 1);

        e.undo(&e.fxWindow());
        QCOMPARE(dry->angle(), startAngle);
        // Sent as turning the knob back would send it: the pedal's value reads back at that angle.
        QCOMPARE(e.pedalValue(Param::Dry), EncodeKnob(startAngle).value);
        QCOMPARE(DecodeKnob(e.pedalValue(Param::Dry), KnobScale), DecodeKnob(start, KnobScale));
        QCOMPARE(e.bar(), QString("Undone: Dry"));
        e.redo(&e.main());
        QCOMPARE(dry->angle(), turnedAngle);
        QCOMPARE(e.pedalValue(Param::Dry), turned);
        QCOMPARE(e.bar(), QString("Redone: Dry"));
    }

    // Undone before the deferred send went: the turn's message still goes first, so the pedal
    // is left at the value undo put back.
    void anUndoRightAfterAKeyStepWins() {
        HistoryEditor e;
        KnobDial* sub = e.fxWindow().knob(Knob::dialSubMix);
        const int start = sub->angle();
        QTest::keyClick(sub, Qt::Key_PageUp);
        QTest::keyClick(sub, Qt::Key_PageUp);
        QCOMPARE(e.history().stack().count(), 2);
        e.undo(&e.fxWindow());
        e.undo(&e.fxWindow());
        QCOMPARE(sub->angle(), start);
        QCOMPARE(e.pedalValue(Param::SubMix), EncodeKnob(start).value);
        e.clock.advance(1000);
        QCOMPARE(e.pedalValue(Param::SubMix), EncodeKnob(start).value);
    }

    void aSwitchIsOneStep() {
        HistoryEditor e;
        ToggleSwitch* split = e.fxWindow().toggle(Switch::swtSplit);
        const bool was = split->isChecked();
        split->click();
        QCOMPARE(e.pedalValue(Param::Split), std::uint32_t(was ? 0 : 1));
        e.undo(&e.main());
        QCOMPARE(split->isChecked(), was);
        QCOMPARE(e.pedalValue(Param::Split), std::uint32_t(was ? 1 : 0));
        QCOMPARE(e.bar(), QString("Undone: Split"));
        e.redo(&e.fxWindow());
        QCOMPARE(split->isChecked(), !was);
        QCOMPARE(e.pedalValue(Param::Split), std::uint32_t(was ? 0 : 1));
    }

    // A preset load is one step over every value it changed.
    void aPresetLoadIsOneStep() {
        HistoryEditor e;
        ParameterValues before;
        for (int p = 0; p < ParameterCount; ++p) before[std::size_t(p)] = e.pedalValue(Param(p));
        ParameterValues preset = before;
        preset[order(Param::Dry)] = 0x00200000;
        preset[order(Param::Minus1Oct)] = 0x00600000;
        preset[order(Param::Split)] = before[order(Param::Split)] ? 0 : 1;
        const QString path = e.settingsPath("sound.txt");
        QVERIFY(writeBytes(path, QByteArray::fromStdString(presetFileBytes(preset))));
        e.dialogs.expectOpenFile(path);
        e.main().action("menuLoadPreset")->trigger();
        e.clock.advance(FxSettings::DeferredSendMs);
        // Knobs as their read-back angle: undo sends what the knobs' positions encode.
        const auto angle = [](std::uint32_t v) { return DecodeKnob(v, KnobScale); };
        const auto loaded = [&] {
            return std::tuple(angle(e.pedalValue(Param::Dry)),
                              angle(e.pedalValue(Param::Minus1Oct)), e.pedalValue(Param::Split));
        };
        const auto afterLoad = loaded();
        QCOMPARE(std::get<2>(afterLoad), preset[order(Param::Split)]);
        QVERIFY(std::get<0>(afterLoad) != angle(before[order(Param::Dry)]));
        QCOMPARE(e.history().stack().count(), 1);

        e.undo(&e.main());
        QCOMPARE(e.bar(), QString("Undone: Load Preset"));
        QCOMPARE(loaded(),
                 std::tuple(angle(before[order(Param::Dry)]),
                            angle(before[order(Param::Minus1Oct)]), before[order(Param::Split)]));
        e.redo(&e.main());
        QCOMPARE(loaded(), afterLoad);
    }

    // Undo is refused while an exchange holds the link, and nothing is queued for later.
    void undoIsRefusedWhileAnExchangeRuns() {
        HistoryEditor e;
        ToggleSwitch* split = e.fxWindow().toggle(Switch::swtSplit);
        split->click();
        const bool changed = split->isChecked();
        Outcome during;
        std::unique_ptr<Timer> press = e.clock.createTimer();
        press->setSingleShot(true);
        press->onTimeout([&] {
            e.mark();
            during = e.history().undo();
        });
        press->start(200);
        e.dialogs.expectConfirm(true, "Upload Tuning Data?");
        e.main().action("menuUploadTuningsData")->trigger();
        QCOMPARE(during.sentence, "Refused: " + Outcome::BusyReason + ".");
        e.clock.advance(1000);
        QCOMPARE(split->isChecked(), changed);
        QCOMPARE(e.pedalValue(Param::Split), std::uint32_t(changed ? 1 : 0));
        QVERIFY(e.history().stack().canUndo());
    }

    void theHistoryStartsAgainOnRequestAndUnlink_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("Request") << "btnRequest";
        QTest::newRow("Unlink") << "menuDisconnect";
    }
    void theHistoryStartsAgainOnRequestAndUnlink() {
        QFETCH(QString, command);
        HistoryEditor e;
        e.fxWindow().toggle(Switch::swtSplit)->click();
        QVERIFY(e.history().stack().canUndo());
        if (auto* button = e.main().findChild<QPushButton*>(command)) {
            button->click();
        } else {
            e.main().action(command)->trigger();
        }
        QVERIFY(!e.history().stack().canUndo());
        e.undo(&e.main());
        QCOMPARE(e.bar(), SoundHistory::NothingToUndo);
    }
};

QTEST_MAIN(SoundHistoryTest)
#include "sound_history_test.moc"
