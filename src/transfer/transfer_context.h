#pragma once

#include <QString>

namespace korvanne {

class D2xxUnit;
class DeviceMessages;
class EffectCatalogue;
class Timer;
struct Services;

// The main window's controls the upload and the firmware upgrade set. The main window's side
// implements it over its controls; tests and a command-line front end can implement it without
// any.
class TransferView {
public:
    virtual ~TransferView() = default;

    // The status label: "Uploading...", the pedal's answer, "Upload Failed".
    virtual void setStatusText(const QString& text) = 0;
    // The check mark of "Upgrade Mode".
    virtual bool upgradeModeChecked() const = 0;
    virtual void setUpgradeModeChecked(bool checked) = 0;
    // "Start Firmware Upgrade".
    virtual void setStartUpgradeEnabled(bool enabled) = 0;
    // Request and Upload Selected, which must not run while the bootloader holds the line.
    virtual void setRequestAndUploadEnabled(bool enabled) = 0;
};

// What the upload and the firmware upgrade need of the program around them: the seams, the
// bridge, the door, the poll timer, the upload check timer, the effect catalogue, the link, the
// main window's controls and the one bypass sender. MainController implements it.
class TransferContext {
public:
    virtual ~TransferContext() = default;

    virtual Services& services() = 0;
    virtual D2xxUnit& unit() = 0;
    virtual DeviceMessages& messages() = 0;
    virtual Timer& Timer_USB_Read() = 0;
    virtual Timer& UploadCheckTimer() = 0;
    virtual EffectCatalogue& effectCatalogue() = 0;
    virtual TransferView& transferView() = 0;

    // 0D 01 (bypass on) or 0D 00 through the effect window's sender, the only one of bypass.
    virtual void SendBypass(bool on) = 0;
};

}  // namespace korvanne
