#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QString>

#include "core/outcome.h"

namespace korvanne {

class Presets;
struct Services;

// One preset file of the preset folder.
struct PresetEntry {
    QString name;  // the file's name, ".txt" included
    QDateTime modified;
    bool operator==(const PresetEntry&) const = default;
};

// The preset files (*.txt) of the preset folder, newest first, read again whenever the folder
// changes (also once it is made); renaming or deleting one of them, loading one or saving the
// pedal's values as "Load Preset" and "Save Preset" do, and showing the folder. Every failure is
// told with one warning.
class PresetLibrary final : public QObject {
    Q_OBJECT
public:
    static inline const QString RenameTitle = QStringLiteral("Rename Preset");
    static inline const QString LoadNeedsLink = QStringLiteral(
        "Loading a preset needs a linked pedal: link it first (Connection, Scan And Link).");
    static inline const QString SaveNeedsLink = QStringLiteral(
        "Saving a preset needs a linked pedal: link it first (Connection, Scan And Link).");
    // Characters no preset name may hold: folder separators, and those the file systems of the
    // desktops the editor runs on refuse.
    static inline const QString ForbiddenCharacters = QStringLiteral("/\\:*?\"<>|");

    explicit PresetLibrary(Services& services, QObject* parent = nullptr);

    QString folder() const;
    QString pathOf(const QString& name) const;
    // As last read, newest first (names in order when two are as new).
    const QList<PresetEntry>& entries() const { return entries_; }
    // Reads the folder again; `changed` when what it lists differs.
    void refresh();

    // The file name a typed name gives: ".txt" added when it does not end so, as saving does.
    static QString fileNameFor(const QString& typed);
    // Why `fileName` cannot name a preset in the folder; empty when it can.
    static QString nameProblem(const QString& fileName);

    // Asks for the new name of the preset `name`, then renames it.
    Outcome rename(const QString& name, QString* renamedTo = nullptr);
    // Renames the preset `name` to the name `typed` gives; never over another file.
    Outcome renameTo(const QString& name, const QString& typed, QString* renamedTo = nullptr);
    // Asks (default No), then removes that file and nothing else.
    Outcome remove(const QString& name);
    // Loads the preset into the pedal as "Load Preset" does; refused unless `linked`.
    Outcome load(const QString& name, bool linked, Presets& presets);
    // "Save Preset", its dialog included; refused unless `linked`. The list follows at once.
    Outcome saveCurrent(bool linked, Presets& presets);
    // Shows the folder (made when missing) in the desktop's file manager.
    Outcome openFolder();

Q_SIGNALS:
    void changed();

private:
    // Watches the folder, or while it does not exist the nearest folder above it that does.
    void watch();
    // The file of the listed preset `name`; empty when it is gone.
    QString existingFile(const QString& name) const;
    // Tells that the preset `name` is gone, and lists the folder again.
    Outcome gone(const QString& name);
    Outcome warned(Outcome::Kind kind, const QString& message);

    Services& services_;
    QFileSystemWatcher watcher_;
    QList<PresetEntry> entries_;
};

}  // namespace korvanne
