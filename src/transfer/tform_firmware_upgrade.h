#pragma once

#include "transfer/firmware_upgrade_view.h"
#include "ui/secondary_window.h"

class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;

namespace korvanne {

class FirmwareUpgrade;

// The "Firmware Upgrade" window: the firmware chooser, the button, the progress bar and the
// verify option. It shows state and forwards every event to the firmware upgrade operation.
class TformFirmwareUpgrade final : public SecondaryWindow, public FirmwareUpgradeView {
    Q_OBJECT
public:
    explicit TformFirmwareUpgrade(QWidget* parent = nullptr);

    // Connects the handlers; `mainWindow` is the window this one is placed below.
    void attach(FirmwareUpgrade* upgrade, QWidget* mainWindow);
    // Shows that an exchange with the pedal is in progress.
    void setBusy(bool busy);

    // FirmwareUpgradeView.
    void showBelowMainWindow() override;
    void hideWindow() override { hide(); }
    bool windowShown() const override { return isVisible(); }
    int itemCount() const override;
    QString itemText(int index) const override;
    int selectedIndex() const override;
    void selectItem(int index) override;
    void setUpgradeEnabled(bool enabled) override;
    void setProgressMaximum(int maximum) override;
    void setProgress(int position) override;
    void setPhase(const QString& phase) override;
    bool verifyAfterWriting() const override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    FirmwareUpgrade* upgrade_ = nullptr;
    QWidget* mainWindow_ = nullptr;
    QComboBox* cmbFirmwareChoose;
    QPushButton* btnUpgradeFirmware;
    QProgressBar* ProgressBar1;
    QCheckBox* chkVerify;
};

}  // namespace korvanne
