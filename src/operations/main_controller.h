#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/services.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/link_context.h"
#include "operations/local_settings.h"
#include "operations/main_view.h"
#include "transfer/effect_resources.h"
#include "transfer/transfer_context.h"
#include "update/update_context.h"

namespace korvanne {

class AlgorithmUpload;
class Communication;
class ControlAssignments;
class FirmwareUpgrade;
class FxSettings;
class ConsoleTools;
class EraseSettings;
class MainLinkView;
class MainTransferView;
class MainUpdateMenu;
class MainView;
class NoteTrackingFilter;
class ParameterStore;
class PedalSettings;
class Presets;
class Tunings;
class Timer;
class UpdateCheck;
class Updater;

// The main window's behaviour without its widgets: start-up, the enabling rules, Info and Support,
// the look and settings menu items; and the one place the operations are composed. It is the
// context the link (LinkContext), the upload and the firmware upgrade (TransferContext) and the
// version check and updater (UpdateContext) work in; the tunings, assignments, note cut, store
// and pedal-wide settings are built from the collaborators they use.
class MainController : public LinkContext, public TransferContext, public UpdateContext {
public:
    static constexpr int LookMenuItems = 7;

    MainController(Services& services, MainView& view);
    ~MainController() override;

    // The main window's creation step.
    void FormCreate();

    void EnableUSBobjects(bool status) override;
    void EnableEffectButtons(bool status) override;

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
    // Takes the selected item as the picked effect and loads its image; false (after telling the
    // user) when the image cannot be loaded.
    bool GetResourceFile() override;
    // A click on an item of the effect list.
    void effetto_cliccato();
    // A key pressed in the effect list (virtual key codes: 38 up, 40 down).
    void move_up_or_down(int virtualKey);
    // Opens the effect settings window beside the main window, titled with the picked effect.
    void OpenEffectWindow() override;

    static constexpr int VK_UP = 38;
    static constexpr int VK_DOWN = 40;

    // Start-up values.
    StartupSettings startup;
    QString EditorVersion;
    unsigned MostRecentFirmware = MostRecentFirmwareNumber;

    Services& services() override { return services_; }
    MainView& view() { return view_; }
    LocalSettings& settings() { return settings_; }
    D2xxUnit& unit() override { return unit_; }
    DeviceMessages& messages() override { return messages_; }
    Timer& Timer_USB_Read() override { return *usbReadTimer_; }
    LinkView& linkView() override;
    unsigned mostRecentFirmware() const override { return MostRecentFirmware; }
    std::uint32_t latestAlgorithmNumber() const override { return catalogue.LatestAlgorithmNumber; }
    const StatusAppliers& statusAppliers() const override { return appliers; }
    Timer& UploadCheckTimer() override { return *uploadCheckTimer_; }
    Timer& TimerCheckWebVersion() override { return *webVersionTimer_; }
    EffectCatalogue& effectCatalogue() override { return catalogue; }
    TransferView& transferView() override;
    void SendBypass(bool on) override;
    UpdateMenu& updateMenu() override;
    QString editorVersion() const override { return EditorVersion; }
    bool showUpdateMessage() const override { return startup.ShowUpdateMessage; }
    void stopShowingUpdateMessage() override;

    StatusAppliers appliers;
    EffectCatalogue catalogue;
    Communication& communication() { return *communication_; }
    AlgorithmUpload& upload() { return *upload_; }
    FirmwareUpgrade& firmwareUpgrade() { return *firmwareUpgrade_; }
    FxSettings& fxSettings() { return *fxSettings_; }
    Presets& presets() { return *presets_; }
    ConsoleTools& consoleTools() { return *consoleTools_; }
    EraseSettings& eraseSettings() { return *eraseSettings_; }
    PedalSettings& pedalSettings() { return *pedalSettings_; }
    Tunings& tunings() { return *tunings_; }
    void setAssignEnabled(bool enabled);
    void showAllParametersEnabled(bool enabled);
    bool rememberInstrument(const QString& text);
    NoteTrackingFilter& noteTrackingFilter() { return *noteTrackingFilter_; }
    ControlAssignments& controlAssignments() { return *controlAssignments_; }
    ParameterStore& parameterStore() { return *parameterStore_; }
    UpdateCheck& updateCheck() { return *updateCheck_; }
    Updater& updater() { return *updater_; }

private:
    Services& services_;
    MainView& view_;
    LocalSettings settings_;
    D2xxUnit unit_;
    DeviceMessages messages_;
    std::unique_ptr<Timer> usbReadTimer_;
    std::unique_ptr<Timer> uploadCheckTimer_;
    std::unique_ptr<Timer> webVersionTimer_;
    std::unique_ptr<MainLinkView> linkView_;
    std::unique_ptr<MainTransferView> transferView_;
    std::unique_ptr<MainUpdateMenu> updateMenu_;
    std::unique_ptr<Communication> communication_;
    std::unique_ptr<FxSettings> fxSettings_;
    std::unique_ptr<PedalSettings> pedalSettings_;
    std::unique_ptr<Tunings> tunings_;
    std::unique_ptr<NoteTrackingFilter> noteTrackingFilter_;
    std::unique_ptr<ControlAssignments> controlAssignments_;
    std::unique_ptr<ParameterStore> parameterStore_;
    std::unique_ptr<AlgorithmUpload> upload_;
    std::unique_ptr<FirmwareUpgrade> firmwareUpgrade_;
    std::unique_ptr<Presets> presets_;
    std::unique_ptr<ConsoleTools> consoleTools_;
    std::unique_ptr<EraseSettings> eraseSettings_;
    std::unique_ptr<UpdateCheck> updateCheck_;
    std::unique_ptr<Updater> updater_;
};

}  // namespace korvanne
