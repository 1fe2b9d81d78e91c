#pragma once

#include <functional>

#include "core/outcome.h"
#include "operations/preset_library.h"
#include "ui/secondary_window.h"

class QAction;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace korvanne {

class Presets;
struct Services;

// The preset list: the preset folder's presets with their dates, newest first, and the buttons
// that load, save, rename and delete them or show the folder. Loading and saving need the link
// as "Load Preset" and "Save Preset" do: their buttons follow those menu items' enabled state.
// It shows the list and forwards every command to the preset library.
class TformPresets final : public SecondaryWindow {
    Q_OBJECT
public:
    TformPresets(Services& services, Presets& presets, QAction* loadPresetItem,
                 QAction* savePresetItem, QWidget* parent = nullptr);

    PresetLibrary& library() { return library_; }
    QTreeWidget* list() const { return lstPresets; }
    // The picked preset's file name, or empty.
    QString pickedName() const;
    void pick(const QString& name);

    static inline const QString DateFormat = QStringLiteral("yyyy-MM-dd HH:mm");

    // Runs a load handed to it (the editor records it as one undo step); by default it only
    // runs it.
    std::function<void(const std::function<Outcome()>& load)> runLoad =
        [](const std::function<Outcome()>& load) { load(); };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showEntries();
    void updateButtons();
    void loadPicked();

    Presets& presets_;
    PresetLibrary library_;
    QAction* loadPresetItem_;
    QAction* savePresetItem_;

    QTreeWidget* lstPresets;
    QLabel* lblEmpty;
    QPushButton* btnLoad;
    QPushButton* btnSaveCurrent;
    QPushButton* btnRename;
    QPushButton* btnDelete;
    QPushButton* btnOpenFolder;
};

}  // namespace korvanne
