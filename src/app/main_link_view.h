#pragma once

#include "device/link_context.h"

namespace korvanne {

class MainView;

// The link's view of the main window: which controls show the device, the versions and the
// link, and which the link enables and disables.
class MainLinkView final : public LinkView {
public:
    explicit MainLinkView(MainView& view) : view_(view) {}

    QString deviceName() const override;
    void setDeviceName(const QString& text) override;
    QString serialNumbers() const override;
    void setSerialNumbers(const QString& text) override;
    void setFirmwareText(const QString& text) override;
    void setAlgorithmText(const QString& text) override;
    void showLinked(bool linked) override;
    void showBootloaderReached() override;
    void showStoreBypassStatus(bool store) override;
    void showInstrumentRange(bool low) override;
    int effectCount() const override;
    void setEffectIndex(int index) override;
    bool effectWindowShown() const override;
    void closeEffectWindow() override;

private:
    MainView& view_;
};

}  // namespace korvanne
