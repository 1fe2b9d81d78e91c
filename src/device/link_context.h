#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace korvanne {

class D2xxUnit;
class DeviceMessages;
class Timer;
struct Services;

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

// What the link shows in the main window. The main window's side implements it over its
// controls; tests and a command-line front end can implement it without any.
class LinkView {
public:
    virtual ~LinkView() = default;

    // The device label: "No device found", a bridge's description, "<description> linked".
    virtual QString deviceName() const = 0;
    virtual void setDeviceName(const QString& text) = 0;
    // The "Device Serial: " item, listing the bridges found at start-up.
    virtual QString serialNumbers() const = 0;
    virtual void setSerialNumbers(const QString& text) = 0;
    // "Device Firmware: 13", "Device Algorithm: 0014".
    virtual void setFirmwareText(const QString& text) = 0;
    virtual void setAlgorithmText(const QString& text) = 0;

    // The commands that follow the link: Link succeeded (true) or the link was closed (false).
    virtual void showLinked(bool linked) = 0;
    // The bootloader answered: the upgrade may start; status requests and uploads may not.
    virtual void showBootloaderReached() = 0;
    // The check marks of the pedal-wide settings the status reply carries.
    virtual void showStoreBypassStatus(bool store) = 0;
    virtual void showInstrumentRange(bool low) = 0;

    // The effect list and the effect settings window.
    virtual int effectCount() const = 0;
    virtual void setEffectIndex(int index) = 0;
    virtual bool effectWindowShown() const = 0;
    virtual void closeEffectWindow() = 0;
};

// What the link needs of the program around it: the seams, the bridge, the door, the poll timer,
// the enabling rules, the editor's version numbers and where the status reply's entries go.
// MainController implements it.
class LinkContext {
public:
    virtual ~LinkContext() = default;

    virtual Services& services() = 0;
    virtual D2xxUnit& unit() = 0;
    virtual DeviceMessages& messages() = 0;
    virtual Timer& Timer_USB_Read() = 0;
    virtual LinkView& linkView() = 0;

    virtual void EnableUSBobjects(bool status) = 0;
    virtual void EnableEffectButtons(bool status) = 0;

    // The firmware and algorithm numbers the editor demands of the pedal.
    virtual unsigned mostRecentFirmware() const = 0;
    virtual std::uint32_t latestAlgorithmNumber() const = 0;
    virtual const StatusAppliers& statusAppliers() const = 0;

    // Takes the selected effect as the picked one and loads its image; false (after telling the
    // user) when it cannot be loaded.
    virtual bool GetResourceFile() = 0;
    // Opens the effect settings window for the picked effect.
    virtual void OpenEffectWindow() = 0;
};

}  // namespace korvanne
