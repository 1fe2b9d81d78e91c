#include "app/main_transfer_view.h"

#include "app/main_view.h"

namespace korvanne {

void MainTransferView::setStatusText(const QString& text) {
    view_.setText(Control::lblStatus, text);
}

bool MainTransferView::upgradeModeChecked() const {
    return view_.isChecked(Control::menuFirmwareUpgradeMode);
}

void MainTransferView::setUpgradeModeChecked(bool checked) {
    view_.setChecked(Control::menuFirmwareUpgradeMode, checked);
}

void MainTransferView::setStartUpgradeEnabled(bool enabled) {
    view_.setEnabled(Control::menuStartFirmwareUpgrade, enabled);
}

void MainTransferView::setRequestAndUploadEnabled(bool enabled) {
    view_.setEnabled(Control::btnRequest, enabled);
    view_.setEnabled(Control::btnUpload, enabled);
}

}  // namespace korvanne
