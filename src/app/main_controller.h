#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/local_settings.h"
#include "core/services.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "transfer/effect_resources.h"

namespace korvanne {

class Communication;
class ConsoleTools;
class EraseSettings;
class MainView;
class Timer;

// What the status handshake hands the reply's entries to, in this order. Each receives the whole
// reply and the index of its first entry; it is called only when the reply holds that entry.
struct StatusAppliers {
    std::function<void(const std::vector<std::uint8_t>&, std::size_t)> ApplyFootswitchMode;
    std::function<void(const std::vector<std::uint8_t>&, std::size_t)> ApplyTuning;
    std::function<void(const std::vector<std::uint8_t>&, std::size_t)> ApplyAssignments;
    std::function<void(const std::vector<std::uint8_t>&, std::size_t)> getBypassStatus;
    std::function<void(const std::vector<std::uint8_t>&, std::size_t)> ApplyMidiChannel;
    std::function<void(const std::vector<std::uint8_t>&, std::size_t)> LogParameterValues;
};

// The main window's behaviour without its widgets: start-up, the enabling rules, Info and Support,
// the look and settings menu items.
class MainController {
public:
    static inline const QString ContactPageUrl =
        QStringLiteral("https://www.tavro.audio/contact-us/");
    static constexpr int LookMenuItems = 7;

    MainController(Services& services, MainView& view);
    ~MainController();

    // The main window's creation step.
    void FormCreate();

    void EnableUSBobjects(bool status);
    void EnableEffectButtons(bool status);

    void menuInfoClick();
    void menuSupportClick();
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
    bool GetResourceFile();
    // A click on an item of the effect list.
    void effetto_cliccato();
    // A key pressed in the effect list (virtual key codes: 38 up, 40 down).
    void move_up_or_down(int virtualKey);
    // Opens the effect settings window beside the main window, titled with the picked effect.
    void OpenEffectWindow();

    static constexpr int VK_UP = 38;
    static constexpr int VK_DOWN = 40;

    // Start-up values.
    StartupSettings startup;
    QString EditorVersion;
    unsigned MostRecentFirmware = MostRecentFirmwareNumber;

    Services& services() { return services_; }
    MainView& view() { return view_; }
    LocalSettings& settings() { return settings_; }
    D2xxUnit& unit() { return unit_; }
    DeviceMessages& messages() { return messages_; }
    Timer& Timer_USB_Read() { return *usbReadTimer_; }
    Timer& UploadCheckTimer() { return *uploadCheckTimer_; }
    Timer& TimerCheckWebVersion() { return *webVersionTimer_; }

    StatusAppliers appliers;
    EffectCatalogue catalogue;
    Communication& communication() { return *communication_; }
    ConsoleTools& consoleTools() { return *consoleTools_; }
    EraseSettings& eraseSettings() { return *eraseSettings_; }

private:
    Services& services_;
    MainView& view_;
    LocalSettings settings_;
    D2xxUnit unit_;
    DeviceMessages messages_;
    std::unique_ptr<Timer> usbReadTimer_;
    std::unique_ptr<Timer> uploadCheckTimer_;
    std::unique_ptr<Timer> webVersionTimer_;
    std::unique_ptr<Communication> communication_;
    std::unique_ptr<ConsoleTools> consoleTools_;
    std::unique_ptr<EraseSettings> eraseSettings_;
};

}  // namespace korvanne
