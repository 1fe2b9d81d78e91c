#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "device/link_context.h"
#include "operations/front_end.h"
#include "transfer/transfer_context.h"
#include "update/update_context.h"

namespace korvanne {

// korvanne-cli's side of the operations: there are no controls to enable and no window to open.
// It keeps only what the operations themselves read back: the bridge the link opens, the effect
// the handshake picks from the effect list, and the upgrade mode's mark. The command line learns
// what happened from the operations' outcomes, not from here.
class CliFrontEnd final : public FrontEnd, public LinkView, public TransferView, public UpdateMenu {
public:
    // `effectList` gives the effect list the operations loaded; `openEffect` does what opening
    // the effect window does for them (reading the picked image's parameter addresses).
    CliFrontEnd(std::function<QStringList()> effectList, std::function<void()> openEffect)
        : effectList_(std::move(effectList)), openEffect_(std::move(openEffect)) {}

    // FrontEnd.
    LinkView& linkView() override { return *this; }
    TransferView& transferView() override { return *this; }
    UpdateMenu& updateMenu() override { return *this; }
    void EnableUSBobjects(bool) override {}
    void EnableEffectButtons(bool) override {}
    void setAssignEnabled(bool) override {}
    void showAllParametersEnabled(bool) override {}
    void setBusy(bool) override {}
    int pickedEffect() const override { return effect_; }
    QString pickedEffectText() const override { return effectList_().value(effect_); }
    void OpenEffectWindow() override {
        effectOpen_ = true;
        if (openEffect_) openEffect_();
    }
    // Reading the pedal never writes to it: a status read shows the reported values only.
    bool echoesWhatItReads() const override { return false; }

    // LinkView: the bridge's description names the one the link opens.
    QString deviceName() const override { return deviceName_; }
    void setDeviceName(const QString& text) override { deviceName_ = text; }
    QString serialNumbers() const override { return serialNumbers_; }
    void setSerialNumbers(const QString& text) override { serialNumbers_ = text; }
    void setFirmwareText(const QString&) override {}
    void setAlgorithmText(const QString&) override {}
    void showLinked(bool linked) override {
        if (!linked) effectOpen_ = false;
    }
    void showBootloaderReached() override {}
    void showStoreBypassStatus(bool) override {}
    void showInstrumentRange(bool) override {}
    int effectCount() const override { return int(effectList_().size()); }
    void setEffectIndex(int index) override {
        effect_ = index >= 0 && index < effectCount() ? index : -1;
    }
    bool effectWindowShown() const override { return effectOpen_; }
    void closeEffectWindow() override { effectOpen_ = false; }

    // TransferView.
    void setStatusText(const QString&) override {}
    bool upgradeModeChecked() const override { return upgradeMode_; }
    void setUpgradeModeChecked(bool checked) override { upgradeMode_ = checked; }
    void setStartUpgradeEnabled(bool) override {}
    void setRequestAndUploadEnabled(bool) override {}

    // UpdateMenu.
    QString newVersionCaption() const override { return newVersionCaption_; }
    void setNewVersionCaption(const QString& text) override { newVersionCaption_ = text; }
    void setUpdateNowEnabled(bool) override {}

private:
    std::function<QStringList()> effectList_;
    std::function<void()> openEffect_;
    QString deviceName_;
    QString serialNumbers_;
    QString newVersionCaption_;
    int effect_ = -1;
    bool effectOpen_ = false;
    bool upgradeMode_ = false;
};

}  // namespace korvanne
