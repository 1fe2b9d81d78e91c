#pragma once

#include <QObject>
#include <QUndoStack>

#include "core/outcome.h"
#include "effect/fx_settings_view.h"
#include "operations/pedal_snapshot.h"

namespace korvanne {

class BackupCommands;
class DeviceMessages;
class FxSettings;

// Undo and redo of sound changes: one step per completed change (a knob turn from press to
// release, a wheel notch or key press, a switch, the harmonic pitch, a note-cut box, a preset
// load, a restore). Undoing puts the controls back through their handlers, as a user's change
// would, so the pedal follows. Undo and redo are refused, not queued, while an exchange runs.
class SoundHistory final : public QObject {
    Q_OBJECT
public:
    static inline const QString NothingToUndo = QStringLiteral("Nothing to undo.");
    static inline const QString NothingToRedo = QStringLiteral("Nothing to redo.");

    SoundHistory(FxSettings& fx, DeviceMessages& messages, BackupCommands& backup,
                 QObject* parent = nullptr);
    ~SoundHistory() override;

    QUndoStack& stack() { return stack_; }

    // The sound controls now, for a step's `before`.
    FxControlState controls() const;
    // A change ended; the sound controls showed `before` and show now what it made. Nothing is
    // recorded when they show the same sound. An empty `text` names what changed.
    void changed(const FxControlState& before, const QString& text);
    // Runs `change` (a preset load) and records what it did to the controls as one step.
    template <typename Change>
    auto recorded(const QString& text, Change change) {
        const FxControlState before = controls();
        auto result = change();
        changed(before, text);
        return result;
    }
    // A restore brought the pedal from `before` to `after`.
    void restored(const PedalSnapshot& before, const PedalSnapshot& after);
    // Link, unlink and Request: what the controls show now is the pedal's, not a step.
    void clear();

    Outcome undo();
    Outcome redo();

private:
    class ControlsStep;
    class RestoreStep;
    // Refuses while the link is busy; otherwise runs `step` (the stack's undo or redo).
    Outcome step(bool canStep, const QString& name, const QString& nothing, bool undoing);

    FxSettings& fx_;
    DeviceMessages& messages_;
    BackupCommands& backup_;
    QUndoStack stack_;
    Outcome last_;  // what the restore a step ran said
};

}  // namespace korvanne
