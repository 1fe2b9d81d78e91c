#pragma once

#include "transfer/transfer_context.h"

namespace korvanne {

class MainView;

// The upload's and the firmware upgrade's view of the main window: the status label and the
// controls of the upgrade.
class MainTransferView final : public TransferView {
public:
    explicit MainTransferView(MainView& view) : view_(view) {}

    void setStatusText(const QString& text) override;
    bool upgradeModeChecked() const override;
    void setUpgradeModeChecked(bool checked) override;
    void setStartUpgradeEnabled(bool enabled) override;
    void setRequestAndUploadEnabled(bool enabled) override;

private:
    MainView& view_;
};

}  // namespace korvanne
