#pragma once

#include <QString>
#include <memory>

#include "app/main_view.h"
#include "core/services.h"
#include "operations/front_end.h"
#include "operations/pedal_operations.h"

namespace korvanne {

class MainLinkView;
class MainTransferView;
class MainUpdateMenu;

// The main window's behaviour without its widgets: the creation step, the enabling rules, the
// effect list, Info and Support, the look and settings menu items. It is the desktop's front end
// to the pedal operations, which it composes.
class MainController final : public FrontEnd {
public:
    static constexpr int LookMenuItems = 7;

    MainController(Services& services, MainView& view);
    ~MainController() override;

    PedalOperations& operations() { return ops_; }

    // The main window's creation step.
    void FormCreate();

    void menuInfoClick();
    // Opens the maker's contact page (core/maker_site.h); without a browser, shows its address.
    void menuSupportClick();
    static QString SupportNoBrowserMessage(const QString& url);
    void menuLookClickItem(int position);
    void ApplySavedLook();
    // Called after the item has toggled its own check mark.
    void menuShowUpdateMsgClick();
    void menuReportUSBErrorsClick();
    void chkFirmwareUpgradeModeChange(bool checked);

    // The effect list.
    void FillEffectList();
    // A click on an item of the effect list.
    void effetto_cliccato();
    // A key pressed in the effect list (virtual key codes: 38 up, 40 down).
    void move_up_or_down(int virtualKey);

    static constexpr int VK_UP = 38;
    static constexpr int VK_DOWN = 40;

    // The front end the operations show through.
    LinkView& linkView() override;
    TransferView& transferView() override;
    UpdateMenu& updateMenu() override;
    void EnableUSBobjects(bool status) override;
    void EnableEffectButtons(bool status) override;
    void setAssignEnabled(bool enabled) override;
    void showAllParametersEnabled(bool enabled) override;
    void setBusy(bool busy) override;
    int pickedEffect() const override;
    QString pickedEffectText() const override;
    // Opens the effect settings window beside the main window, titled with the picked effect.
    void OpenEffectWindow() override;
    bool echoesWhatItReads() const override { return true; }

private:
    Services& services_;
    MainView& view_;
    std::unique_ptr<MainLinkView> linkView_;
    std::unique_ptr<MainTransferView> transferView_;
    std::unique_ptr<MainUpdateMenu> updateMenu_;
    PedalOperations ops_;
};

}  // namespace korvanne
