#pragma once

#include <QString>

#include "core/outcome.h"

namespace korvanne {

class Communication;
class DeviceMessages;
class FxSettings;
struct Services;

// "Save Preset" and "Load Preset": the nineteen parameter values as a small text file in the
// preset folder (or anywhere the dialogs allow).
class Presets {
public:
    static inline const QString SaveTitle = QStringLiteral("Save Preset File");
    static inline const QString OpenTitle = QStringLiteral("Open Preset File");
    static inline const QString Filter = QStringLiteral("Preset files (*.txt)|*.txt");

    // `link` reads the pedal's state before a save; `fx` holds the values and sends a load's.
    Presets(Services& services, DeviceMessages& messages, Communication& link, FxSettings& fx);

    // Reads the pedal's state, then writes the values under a name the user picks.
    Outcome menuSavePresetClick();
    // Reads a preset and puts its values onto the effect window's controls, which send every
    // changed value at once.
    Outcome menuLoadPresetClick();

    // The steps without the file dialogs: write the values to `path` (".txt" appended when
    // missing) and load `path`. The user is told as the window's commands tell; a failure's
    // outcome carries the message shown.
    Outcome WritePresetFile(const QString& chosenPath);
    Outcome loadPresetFile(const QString& path);

private:
    // Creates the preset folder when missing; the system's reason when it cannot.
    QString ensurePresetFolder();
    void logFields(const QStringList& fields);
    // The labels alone, and the current values put onto the controls again (sending nothing
    // for a control that already shows its value): what a load that read nothing does.
    void reapplyCurrentValues();
    // `asCancelled`: a file that cannot be read ends like a cancelled load (the window's command).
    Outcome loadPreset(const QString& path, bool asCancelled);

    Services& services_;
    DeviceMessages& messages_;
    Communication& link_;
    FxSettings& fx_;
};

}  // namespace korvanne
