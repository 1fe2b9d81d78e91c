#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>

#include "app/main_view.h"
#include "core/outcome.h"
#include "pedal/pedal_settings_view.h"

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace korvanne {

class MainController;

// The main window: status labels, the six device buttons, the effect list and the menu bar.
// It only shows state and forwards every command to the operations.
class TformMain final : public QMainWindow, public MainView, public PedalSettingsView {
    Q_OBJECT
public:
    explicit TformMain(QWidget* parent = nullptr);

    // Connects the handlers; the controller lives as long as the window.
    void attach(MainController* controller);
    void setEffectWindow(QWidget* window) { effectWindow_ = window; }

    // Every control and menu item by its name, for the operations and for tests.
    QAction* action(const QString& name) const { return actions_.value(name); }
    QMenu* menu(const QString& name) const { return menus_.value(name); }
    // The enabled state a menu item was given; hidden items keep theirs.
    bool itemEnabled(const QString& name) const;
    QList<QAction*> lookItems() const { return lookItems_; }
    QList<QAction*> midiChannelItems() const { return midiItems_; }
    QListWidget* effectList() const { return lstEffects; }

    // MainView.
    using QWidget::isEnabled;
    using QWidget::setEnabled;
    void setEnabled(Control control, bool enabled) override;
    bool isEnabled(Control control) const override;
    void setChecked(Control control, bool checked) override;
    bool isChecked(Control control) const override;
    void setText(Control control, const QString& text) override;
    QString text(Control control) const override;
    void clearEffects() override;
    void addEffect(const QString& name) override;
    int effectCount() const override;
    int effectIndex() const override;
    void setEffectIndex(int index) override;
    QString effectText(int index) const override;
    bool effectWindowShown() const override;
    void OpenEffectWindow(const QString& caption) override;
    void closeEffectWindow() override;
    void SetEffectControlsEnabled(bool enabled) override;
    void BuildLookMenu(int items) override;
    bool applyStyle(const QString& styleName) override;
    void BuildMidiChannelMenu() override;
    void setBusy(bool busy) override;
    void linkShown(bool linked) override { Q_EMIT linkChanged(linked); }

    // PedalSettingsView.
    void setItemChecked(PedalMenuItem item, bool checked) override;
    bool itemChecked(PedalMenuItem item) const override;
    void setMidiChannelChecked(int index, bool checked) override;
    bool midiChannelChecked(int index) const override;

    // Shows what a command did in the status bar at the bottom for a few seconds: `doneText`
    // when it happened (the outcome's own sentence when it has one), why when it was refused
    // or failed; a question answered No leaves the bar as it was.
    void showOutcome(const Outcome& outcome, const QString& doneText);
    static constexpr int OutcomeShownMs = 6000;

    // Effect window controls are enabled through this hook once that window has them.
    std::function<void(bool)> setEffectControlsEnabled;
    // The MIDI channel items' handler (index 0 is OMNI).
    std::function<void(int)> midiChannelClicked;

Q_SIGNALS:
    // The link opened (true) or closed.
    void linkChanged(bool linked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);
    QMenu* addSubmenu(QMenu* parent, const QString& name, const QString& caption);
    QObject* control(Control c) const;
    QAction* pedalItem(PedalMenuItem item) const;
    void setItemEnabled(QAction* item, bool enabled);
    // Fixes the window's size to what its controls need in the current look.
    void fitToContents();
    static constexpr const char* EnabledProperty = "enabledState";

    MainController* controller_ = nullptr;
    QWidget* effectWindow_ = nullptr;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    QList<QAction*> lookItems_;
    QList<QAction*> midiItems_;

    QLabel* lblDeviceName;
    QLabel* lblFirmwareVersion;
    QLabel* lblAlgorithmVersion;
    QLabel* lblStatus;
    QLabel* lblShowNewVersion;
    QPushButton* btnUpload;
    QPushButton* btnRequest;
    QPushButton* btnSaveParameters;
    QPushButton* btnAssign;
    QPushButton* btnSetFootswitchMode;
    QPushButton* btnSetTuning;
    QPushButton* btnGetFXInfo;
    QCheckBox* chkFirmwareUpgradeMode;
    QListWidget* lstEffects;
};

}  // namespace korvanne
