#pragma once

#include <QString>

namespace korvanne {

class MainController;

// "Save Preset" and "Load Preset": the nineteen parameter values as a small text file in the
// preset folder (or anywhere the dialogs allow).
class Presets {
public:
    static inline const QString SaveTitle = QStringLiteral("Save Preset File");
    static inline const QString OpenTitle = QStringLiteral("Open Preset File");
    static inline const QString Filter = QStringLiteral("Preset files (*.txt)|*.txt");

    explicit Presets(MainController& main);

    // Reads the pedal's state, then writes the values under a name the user picks.
    void menuSavePresetClick();
    // Reads a preset and puts its values onto the effect window's controls, which send every
    // changed value at once.
    void menuLoadPresetClick();

    // The steps, for the command line: write the values to `path` (".txt" appended when
    // missing) and load `path`. Empty on success, otherwise the message shown.
    QString WritePresetFile(const QString& chosenPath);
    QString loadPresetFile(const QString& path);

private:
    // Creates the preset folder when missing; the system's reason when it cannot.
    QString ensurePresetFolder();
    void logFields(const QStringList& fields);
    // The labels alone, and the current values put onto the controls again (sending nothing
    // for a control that already shows its value): what a load that read nothing does.
    void reapplyCurrentValues();
    // `asCancelled`: a file that cannot be read ends like a cancelled load (the window's command).
    QString loadPreset(const QString& path, bool asCancelled);

    MainController& main_;
};

}  // namespace korvanne
