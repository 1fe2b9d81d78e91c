#include "app/sound_history.h"

#include "device/device_messages.h"
#include "effect/fx_settings.h"
#include "effect/sound_step.h"
#include "operations/backup_commands.h"

namespace korvanne {

// The effect window's sound controls, from one state to another.
class SoundHistory::ControlsStep final : public QUndoCommand {
public:
    ControlsStep(SoundHistory& history, FxControlState before, FxControlState after,
                 const QString& text)
        : QUndoCommand(text), h_(history), before_(before), after_(after) {}

    void undo() override { applySoundStep(h_.fx_, after_, before_); }
    void redo() override {
        // Pushed after the change was made: the first redo has nothing to do.
        if (first_) {
            first_ = false;
            return;
        }
        applySoundStep(h_.fx_, before_, after_);
    }

private:
    SoundHistory& h_;
    FxControlState before_;
    FxControlState after_;
    bool first_ = true;
};

// A whole restore: undone by bringing the pedal back to what it held, done again by the backup.
class SoundHistory::RestoreStep final : public QUndoCommand {
public:
    RestoreStep(SoundHistory& history, PedalSnapshot before, PedalSnapshot after)
        : QUndoCommand(QStringLiteral("Restore Pedal")),
          h_(history),
          before_(std::move(before)),
          after_(std::move(after)) {}

    void undo() override { h_.last_ = h_.backup_.bringTo(before_); }
    void redo() override {
        if (first_) {
            first_ = false;
            return;
        }
        h_.last_ = h_.backup_.bringTo(after_);
    }

private:
    SoundHistory& h_;
    PedalSnapshot before_;
    PedalSnapshot after_;
    bool first_ = true;
};

SoundHistory::SoundHistory(FxSettings& fx, DeviceMessages& messages, BackupCommands& backup,
                           QObject* parent)
    : QObject(parent), fx_(fx), messages_(messages), backup_(backup), stack_(this) {}

SoundHistory::~SoundHistory() = default;

FxControlState SoundHistory::controls() const {
    return soundControls(fx_.view());
}

void SoundHistory::changed(const FxControlState& before, const QString& text) {
    const FxControlState after = controls();
    if (sameSound(before, after)) return;
    stack_.push(new ControlsStep(*this, before, after,
                                 text.isEmpty() ? soundStepText(before, after) : text));
}

void SoundHistory::restored(const PedalSnapshot& before, const PedalSnapshot& after) {
    stack_.push(new RestoreStep(*this, before, after));
}

void SoundHistory::clear() {
    stack_.clear();
}

Outcome SoundHistory::step(bool canStep, const QString& name, const QString& nothing,
                           bool undoing) {
    if (!canStep) return Outcome::refused(nothing);
    if (!messages_.linkFree(name)) return Outcome::busy();
    const QString text = undoing ? stack_.undoText() : stack_.redoText();
    last_ = Outcome::done();
    undoing ? stack_.undo() : stack_.redo();
    if (!last_.ok()) return last_;
    return Outcome::done(QStringLiteral("%1: %2").arg(undoing ? "Undone" : "Redone", text));
}

Outcome SoundHistory::undo() {
    return step(stack_.canUndo(), QStringLiteral("Undo"), NothingToUndo, true);
}

Outcome SoundHistory::redo() {
    return step(stack_.canRedo(), QStringLiteral("Redo"), NothingToRedo, false);
}

}  // namespace korvanne
