#include "device/communication.h"

#include "core/clock.h"
#include "core/dialogs.h"
#include "app/main_controller.h"
#include "app/main_view.h"
#include "core/log_sink.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "transfer/bootloader_protocol.h"
#include "transfer/effect_catalogue.h"

namespace korvanne {

namespace {

QString qhex2(std::uint8_t b) {
    return QString::fromStdString(hex2(b));
}

}  // namespace

Communication::Communication(MainController& main) : main_(main) {}

QString Communication::LegacyInstructions() {
    return QStringList{
        "If current firmware is below 9 follow legacy firmware upgrade mode:",
        "1) close editor application and disconnect pedal from USB",
        "2) hold shift button while connecting pedal to USB",
        "3) start application, check Firmware Upgrade Mode in Firmware Upgrade menu",
        "4) clink Link under Connection menu",
        "5) go to Firmware Upgrade menu again and select Firmware Upgrade",
        "",
        "If current firmware is 9 or above go to Firmware Upgrade menu and follow instructions.",
    }
        .join("\r\n");
}

QString Communication::AlgorithmNotice(std::uint32_t latest) {
    return QString::fromStdString(algorithmUploadNotice(latest));
}

void Communication::ListDevices() {
    D2xxUnit& unit = main_.unit();
    MainView& view = main_.view();
    if (unit.GetFTDeviceCount() != ft::OK) return;
    const std::uint32_t count = unit.FTDeviceCount;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (unit.GetFTDeviceSerialNo(i) != ft::OK) continue;
        const QString serial = QString::fromStdString(unit.FT_Device_String);
        QString caption = view.text(Control::menuSerialNumber);
        // Several bridges are listed one after the other, separated by commas.
        if (!caption.endsWith(": ")) caption += ", ";
        view.setText(Control::menuSerialNumber, caption + serial);
        DeviceSerial = serial;
        if (unit.GetFTDeviceDescription(i) == ft::OK) {
            view.setText(Control::lblDeviceName, QString::fromStdString(unit.FT_Device_String));
        }
    }
}

void Communication::ScanAndLink() {
    D2xxUnit& unit = main_.unit();
    MainView& view = main_.view();
    LogSink& log = main_.services().log;
    if (main_.messages().busy()) return;

    view.setText(Control::lblDeviceName, "Device Name");
    const FtStatus status = unit.GetFTDeviceCount();
    const std::uint32_t count = status == ft::OK ? unit.FTDeviceCount : 0;
    log.ConsoleLog("FT device count: " + QString::number(count));
    if (count == 0) {
        main_.services().dialogs.inform("No device found");
        view.setText(Control::lblDeviceName, "No device found");
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (unit.GetFTDeviceSerialNo(i) != ft::OK) continue;
        const QString serial = QString::fromStdString(unit.FT_Device_String);
        log.ConsoleLog("FT_Device_String: " + serial);
        DeviceSerial = serial;
        if (unit.GetFTDeviceDescription(i) == ft::OK) {
            view.setText(Control::lblDeviceName, QString::fromStdString(unit.FT_Device_String));
        }
        // Only one bridge is open at a time: close the one linked before.
        if (Linked && unit.isOpen()) {
            main_.Timer_USB_Read().stop();
            unit.CloseFTDevice();
            Linked = false;
        }
        Link();
    }
}

bool Communication::ConnectDevice() {
    D2xxUnit& unit = main_.unit();
    DeviceMessages& messages = main_.messages();
    MainView& view = main_.view();
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;

    BootloaderReached = false;
    log.ConsoleLog("serial number: " + DeviceSerial);
    bool opened = false;
    if (unit.Open_USB_Device_By_Serial_Number(DeviceSerial.toStdString()) == ft::OK) {
        opened = true;
        view.setText(Control::lblDeviceName, view.text(Control::lblDeviceName) + " linked");
        unit.SetFTBaudRate();
        unit.SetFTDataCharacteristics();
        log.ConsoleLog("FT_HANDLE: 0x" + QString::fromStdString(hex8(unit.FTHandle)));
        log.ConsoleAppend("baud rate = " + QString::number(unit.BaudRate));
    }
    if (messages.FirmwareUpgradeMode) {
        BootloaderProtocol bootloader(messages, log);
        bootloader.enterBootloaderLine();
        // A bootloader still synchronised from an earlier attempt counts as reached.
        if (bootloader.synchronise("received Byte: ").reached) {
            BootloaderReached = true;
            dialogs.inform("Connection to bootloader succeeded, ready for firmware upgrade");
            view.setEnabled(Control::menuStartFirmwareUpgrade, true);
            view.setEnabled(Control::btnRequest, false);
            view.setEnabled(Control::btnUpload, false);
            if (StartFirmwareUpgrade) StartFirmwareUpgrade();
        } else {
            dialogs.inform("Connection to bootloader failed");
        }
    }
    return opened;
}

void Communication::Link() {
    MainView& view = main_.view();
    DeviceMessages& messages = main_.messages();
    if (messages.busy()) return;
    DeviceMessages::BusyGuard guard(messages);

    if (!ConnectDevice()) return;
    Linked = true;
    view.setEnabled(Control::menuFirmwareUpgradeMode, true);
    view.setEnabled(Control::chkFirmwareUpgradeMode, false);
    view.setEnabled(Control::menuScan, false);
    view.setEnabled(Control::menuConnect, false);
    view.setEnabled(Control::menuDisconnect, true);
    view.setEnabled(Control::menuEraseSettings, true);
    main_.EnableUSBobjects(true);
    if (BootloaderReached) {
        // The pedal talks bootloader now: status requests and uploads would only confuse it.
        view.setEnabled(Control::btnRequest, false);
        view.setEnabled(Control::btnUpload, false);
    }
    main_.services().log.ConsoleLog(QStringLiteral("firmware upgrade mode: ") +
                                    (messages.FirmwareUpgradeMode ? "True" : "False"));
    if (messages.FirmwareUpgradeMode) {
        main_.Timer_USB_Read().stop();
    } else {
        main_.Timer_USB_Read().start();
    }
    if (!LegacyUpgradeMode) ReadDeviceStatus();
}

std::optional<std::uint32_t> Communication::readDecimal(const QString& text) {
    if (auto value = decimalFromDigits(text.toStdString())) return value;
    main_.services().dialogs.inform("'" + text + "' is not a valid integer value");
    return std::nullopt;
}

bool Communication::selectPedalEffect(std::uint32_t index) {
    MainView& view = main_.view();
    if (index >= static_cast<std::uint32_t>(view.effectCount())) {
        main_.services().dialogs.inform(
            QStringLiteral("The pedal runs effect %1, which is not in this editor's effect list.")
                .arg(index));
        return false;
    }
    view.setEffectIndex(static_cast<int>(index));
    return main_.GetResourceFile();
}

void Communication::ReadDeviceStatus() {
    MainView& view = main_.view();
    DeviceMessages& messages = main_.messages();
    D2xxUnit& unit = main_.unit();
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;
    DeviceMessages::BusyGuard guard(messages);

    main_.Timer_USB_Read().stop();
    const std::string request = msg::statusRequest();
    unit.PurgeFTTransmit();
    messages.SendText(request, 2);
    main_.services().clock.pause(200);
    const DeviceMessages::Reply reply = messages.ReadStatusReply();
    const std::vector<std::uint8_t> entries = messages.received_bytes_array;
    if (reply == DeviceMessages::Reply::NoAnswer) {
        log.ConsoleLog("no answer to the status request");
        dialogs.inform(NoAnswerMessage);
    }
    if (entries.size() < 4) return;

    DeviceFirmware = QString::number(entries[0]);
    view.setText(Control::lblFirmwareVersion, "Device Firmware: " + DeviceFirmware);
    log.ConsoleLog("Firmware Version: " + DeviceFirmware);
    DeviceAlgorithm = qhex2(entries[1]) + qhex2(entries[2]);
    log.ConsoleLog("Algorithm version: " + DeviceAlgorithm);
    view.setText(Control::lblAlgorithmVersion, "Device Algorithm: " + DeviceAlgorithm);
    log.ConsoleLog("Current device firmware: " + DeviceFirmware);
    log.ConsoleLog("Most recent firmware: " + QString::number(main_.MostRecentFirmware));
    EffectNumber = qhex2(entries[3]);
    log.ConsoleLog("Effect Number: " + EffectNumber);

    if (entries[0] < main_.MostRecentFirmware) {
        view.closeEffectWindow();
        dialogs.inform("A firmware upgrade is required. Upgrade to Firmware " +
                       QString::number(main_.MostRecentFirmware));
        dialogs.inform(LegacyInstructions());
        main_.EnableUSBobjects(false);
        return;
    }
    main_.EnableUSBobjects(true);

    const std::optional<std::uint32_t> algorithm = readDecimal(DeviceAlgorithm);
    if (!algorithm) return;
    const std::optional<std::uint32_t> effect = readDecimal(EffectNumber);
    if (!effect) return;

    if (*algorithm >= main_.catalogue.LatestAlgorithmNumber) {
        if (!selectPedalEffect(*effect)) return;
        if (!view.effectWindowShown()) main_.OpenEffectWindow();
        applyEntries(entries);
        main_.EnableUSBobjects(true);
        RequestInProgress = false;
        main_.Timer_USB_Read().start();
    } else {
        view.closeEffectWindow();
        dialogs.inform(AlgorithmNotice(main_.catalogue.LatestAlgorithmNumber));
        selectPedalEffect(*effect);
        main_.EnableEffectButtons(false);
    }
}

void Communication::applyEntries(const std::vector<std::uint8_t>& entries) {
    const StatusAppliers& a = main_.appliers;
    // Each applier runs only when the reply holds every entry it reads.
    auto apply = [&](const auto& applier, std::size_t first, std::size_t width) {
        if (applier && entries.size() >= first + width) applier(entries, first);
    };
    apply(a.ApplyFootswitchMode, 4, 1);
    apply(a.ApplyTuning, 5, 2);
    apply(a.ApplyAssignments, 7, 15);
    apply(a.getBypassStatus, 22, 1);
    if (entries.size() > 23) ShowStoreBypassStatus(entries[23]);
    if (entries.size() > 24) ShowInstrumentRange(entries[24]);
    apply(a.ApplyMidiChannel, 25, 1);
    apply(a.LogParameterValues, 26, 4);
}

void Communication::ShowStoreBypassStatus(std::uint8_t entry) {
    MainView& view = main_.view();
    if (entry == 1) {
        view.setChecked(Control::menuStoreBypassStatus, true);
        view.setChecked(Control::menuDoNotStoreBypassStatus, false);
    } else if (entry == 0) {
        view.setChecked(Control::menuStoreBypassStatus, false);
        view.setChecked(Control::menuDoNotStoreBypassStatus, true);
    }
}

void Communication::ShowInstrumentRange(std::uint8_t entry) {
    MainView& view = main_.view();
    InstrumentRange = entry;
    if (entry == 255) {
        view.setChecked(Control::menuStandard, true);
        view.setChecked(Control::menuLow, false);
    } else if (entry == 186) {
        view.setChecked(Control::menuStandard, false);
        view.setChecked(Control::menuLow, true);
    }
}

void Communication::menuDisconnectClick() {
    MainView& view = main_.view();
    if (main_.messages().busy()) return;
    if (main_.unit().CloseFTDevice() != ft::OK) return;
    view.setText(Control::lblDeviceName, view.text(Control::lblDeviceName).remove("linked"));
    view.setEnabled(Control::menuScan, true);
    view.setEnabled(Control::menuConnect, true);
    for (Control c : {Control::menuDisconnect, Control::btnUpload, Control::btnRequest,
                      Control::btnAssign, Control::btnSaveParameters, Control::btnSetFootswitchMode,
                      Control::btnSetTuning, Control::menuMIDI, Control::menuUploadTuningsData}) {
        view.setEnabled(c, false);
    }
    view.SetEffectControlsEnabled(false);
    for (Control c : {Control::menuEraseSettings, Control::menuLoadPreset, Control::menuSavePreset,
                      Control::menuLoadAlgorithmFromFile, Control::menuInstrumentRange,
                      Control::menuRangeLimit}) {
        view.setEnabled(c, false);
    }
    Linked = false;
    main_.Timer_USB_Read().stop();
}

void Communication::Timer_USB_ReadTimer() {
    DeviceMessages& messages = main_.messages();
    // A tick that falls into an exchange leaves the bytes to it.
    if (messages.busy()) return;
    D2xxUnit& unit = main_.unit();
    unit.ErrorReportEnabled = false;
    if (unit.GetFTQueueStatus() == ft::OK) {
        const std::uint32_t count = unit.ReadFTDevice(D2xxUnit::BufferSize);
        if (count > 0) {
            main_.services().log.ConsoleLog("num of bytes read: " + QString::number(count));
            if (onPolledBytes) {
                onPolledBytes(std::vector<std::uint8_t>(unit.RxBuffer.begin(),
                                                        unit.RxBuffer.begin() + count));
            }
        }
    }
    unit.ErrorReportEnabled = true;
}

}  // namespace korvanne
