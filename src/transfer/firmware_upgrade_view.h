#pragma once

#include <QString>

namespace korvanne {

// What the firmware upgrade needs of its window: the chooser, the button, the progress bar and
// the verify option. The editor's window implements it with widgets; HeadlessFirmwareView
// (the command line, benchmarks) without.
class FirmwareUpgradeView {
public:
    virtual ~FirmwareUpgradeView() = default;

    // Places the window below the main window (left edges aligned) and shows it, not modal.
    virtual void showBelowMainWindow() = 0;
    virtual void hideWindow() = 0;
    virtual bool windowShown() const = 0;

    // The chooser's items and selection (-1 for none).
    virtual int itemCount() const = 0;
    virtual QString itemText(int index) const = 0;
    virtual int selectedIndex() const = 0;
    virtual void selectItem(int index) = 0;

    virtual void setUpgradeEnabled(bool enabled) = 0;
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgress(int position) = 0;
    // What the upgrade is doing, shown with the progress ("Erasing", "Writing", "Verifying",
    // "Done"); empty when idle.
    virtual void setPhase(const QString& phase) = 0;
    virtual bool verifyAfterWriting() const = 0;
};

// The window's state without widgets.
class HeadlessFirmwareView final : public FirmwareUpgradeView {
public:
    void showBelowMainWindow() override { shown = true; }
    void hideWindow() override { shown = false; }
    bool windowShown() const override { return shown; }
    int itemCount() const override { return 1; }
    QString itemText(int) const override { return QStringLiteral("Firmware_13"); }
    int selectedIndex() const override { return selected; }
    void selectItem(int index) override { selected = index; }
    void setUpgradeEnabled(bool enabled) override { upgradeEnabled = enabled; }
    void setProgressMaximum(int maximum) override { progressMaximum = maximum; }
    void setProgress(int position) override { progress = position; }
    void setPhase(const QString& text) override { phase = text; }
    bool verifyAfterWriting() const override { return verify; }

    bool shown = false;
    int selected = -1;
    bool upgradeEnabled = true;
    int progressMaximum = 100;
    int progress = 0;
    QString phase;
    bool verify = false;
};

}  // namespace korvanne
