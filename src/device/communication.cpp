#include "device/communication.h"

#include "core/clock.h"
#include "core/decimal_digits.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/hex_qtext.h"
#include "device/hex_text.h"
#include "device/link_context.h"
#include "device/message_builders.h"
#include "device/status_reply.h"

namespace korvanne {

Communication::Communication(LinkContext& main)
    : main_(main), transport_(main.services().transport) {
    transport_.onDeviceGone([this](FtHandle handle) { deviceGoneReported(handle); });
}

Communication::~Communication() {
    transport_.onDeviceGone({});
}

QString Communication::OpenFailedMessage(const QString& serial) {
    return QStringLiteral(
               "The USB bridge %1 could not be opened, so no pedal is linked. Check that no "
               "other program uses it, then use Scan And Link again.")
        .arg(serial);
}

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
    LinkView& view = main_.linkView();
    const std::optional<std::vector<Bridge>> bridges = listBridges();
    if (!bridges) return;
    for (const Bridge& bridge : *bridges) {
        QString caption = view.serialNumbers();
        // Several bridges are listed one after the other, separated by commas.
        if (!caption.endsWith(": ")) caption += ", ";
        view.setSerialNumbers(caption + bridge.serial);
        DeviceSerial = bridge.serial;
        if (!bridge.description.isEmpty()) view.setDeviceName(bridge.description);
    }
}

std::optional<std::vector<Bridge>> Communication::listBridges() {
    D2xxUnit& unit = main_.unit();
    if (unit.GetFTDeviceCount() != ft::OK) return std::nullopt;
    std::vector<Bridge> bridges;
    const std::uint32_t count = unit.FTDeviceCount;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (unit.GetFTDeviceSerialNo(i) != ft::OK) continue;
        Bridge bridge{QString::fromStdString(unit.FT_Device_String), {}};
        if (unit.GetFTDeviceDescription(i) == ft::OK) {
            bridge.description = QString::fromStdString(unit.FT_Device_String);
        }
        bridges.push_back(std::move(bridge));
    }
    return bridges;
}

bool Communication::firmwareTooOld() const {
    const std::optional<std::uint32_t> firmware = decimalFromDigits(DeviceFirmware.toStdString());
    return !firmware || *firmware < main_.mostRecentFirmware();
}

bool Communication::algorithmTooOld() const {
    const std::optional<std::uint32_t> algorithm = decimalFromDigits(DeviceAlgorithm.toStdString());
    return !algorithm || *algorithm < main_.latestAlgorithmNumber();
}

void Communication::ScanAndLink() {
    D2xxUnit& unit = main_.unit();
    LinkView& view = main_.linkView();
    LogSink& log = main_.services().log;
    DeviceMessages::Exchange exchange(main_.messages(), "Scan And Link",
                                      DeviceMessages::Talk::Bootloader);
    if (!exchange) return;

    view.setDeviceName("Device Name");
    const FtStatus status = unit.GetFTDeviceCount();
    const std::uint32_t count = status == ft::OK ? unit.FTDeviceCount : 0;
    log.ConsoleLog("FT device count: " + QString::number(count));
    if (count == 0) {
        main_.services().dialogs.inform("No device found");
        view.setDeviceName("No device found");
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (unit.GetFTDeviceSerialNo(i) != ft::OK) continue;
        const QString serial = QString::fromStdString(unit.FT_Device_String);
        log.ConsoleLog("FT_Device_String: " + serial);
        DeviceSerial = serial;
        if (unit.GetFTDeviceDescription(i) == ft::OK) {
            view.setDeviceName(QString::fromStdString(unit.FT_Device_String));
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
    LinkView& view = main_.linkView();
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;

    BootloaderReached = false;
    log.ConsoleLog("serial number: " + DeviceSerial);
    bool opened = false;
    if (unit.Open_USB_Device_By_Serial_Number(DeviceSerial.toStdString()) == ft::OK) {
        opened = true;
        view.setDeviceName(view.deviceName() + " linked");
        // The firmware's line, whatever an earlier bootloader talk left set.
        unit.SetLineParameters(0);
        unit.SetFTBaudRate();
        unit.SetFTDataCharacteristics();
        log.ConsoleLog("FT_HANDLE: 0x" + QString::fromStdString(hex8(unit.FTHandle)));
        log.ConsoleAppend("baud rate = " + QString::number(unit.BaudRate));
    }
    if (messages.FirmwareUpgradeMode) {
        // Nothing is written on a bridge that did not open; the check simply fails.
        bool reached = false;
        // A bootloader still synchronised from an earlier attempt counts as reached.
        if (opened && SynchroniseBootloader) reached = SynchroniseBootloader();
        if (reached) {
            BootloaderReached = true;
            dialogs.inform("Connection to bootloader succeeded, ready for firmware upgrade");
            view.showBootloaderReached();
            if (StartFirmwareUpgrade) StartFirmwareUpgrade();
        } else {
            dialogs.warn("Connection to bootloader failed");
        }
    }
    return opened;
}

void Communication::Link() {
    DeviceMessages& messages = main_.messages();
    DeviceMessages::Exchange exchange(messages, "Link", DeviceMessages::Talk::Bootloader);
    if (!exchange) return;

    if (!ConnectDevice()) {
        // Nothing is open now, whatever was linked before: the window says so.
        showUnlinked();
        if (!main_.unit().ErrorReportEnabled) {
            main_.services().dialogs.inform(OpenFailedMessage(DeviceSerial));
        }
        return;
    }
    Linked = true;
    main_.linkView().showLinked(true);
    if (messages.talksToBootloader()) {
        // Only the upgrade may use the line now: status requests, uploads and parameter writes
        // would reach the bootloader as commands.
        showBootloaderLine(BootloaderReached);
    } else {
        main_.EnableUSBobjects(true);
    }
    main_.services().log.ConsoleLog(QStringLiteral("firmware upgrade mode: ") +
                                    (messages.FirmwareUpgradeMode ? "True" : "False"));
    if (messages.FirmwareUpgradeMode) {
        main_.Timer_USB_Read().stop();
    } else {
        main_.Timer_USB_Read().start();
    }
    if (!LegacyUpgradeMode && !messages.talksToBootloader()) ReadDeviceStatus();
}

void Communication::showBootloaderLine(bool reached) {
    main_.Timer_USB_Read().stop();
    main_.EnableUSBobjects(false);
    if (reached) main_.linkView().showBootloaderReached();
}

void Communication::showFirmwareLine() {
    if (!Linked) return;
    main_.linkView().showLinked(true);
    main_.EnableUSBobjects(true);
    main_.Timer_USB_Read().start();
}

std::optional<std::uint32_t> Communication::readDecimal(const QString& text) {
    if (auto value = decimalFromDigits(text.toStdString())) return value;
    main_.services().dialogs.inform("'" + text + "' is not a valid integer value");
    return std::nullopt;
}

bool Communication::selectPedalEffect(std::uint32_t index) {
    LinkView& view = main_.linkView();
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
    LinkView& view = main_.linkView();
    DeviceMessages& messages = main_.messages();
    D2xxUnit& unit = main_.unit();
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;
    DeviceMessages::Exchange exchange(messages, "Status request");
    if (!exchange) return;
    struct EndsWithTheRead {
        bool& flag;
        bool set;
        ~EndsWithTheRead() {
            if (set) flag = false;
        }
    } echoless{RequestInProgress, ReadsWithoutEcho};
    if (ReadsWithoutEcho) RequestInProgress = true;

    main_.Timer_USB_Read().stop();
    const Message request = msg::statusRequest();
    unit.PurgeFTTransmit();
    messages.SendRequest(request);
    main_.services().clock.pause(200);
    const DeviceMessages::Reply reply = messages.ReadStatusReply();
    if (reply == DeviceMessages::Reply::DeviceGone) {
        DeviceGone();
        return;
    }
    const std::vector<std::uint8_t> entries = messages.received_bytes_array;
    if (reply == DeviceMessages::Reply::NoAnswer) {
        log.ConsoleLog("no answer to the status request");
        dialogs.inform(NoAnswerMessage);
    }
    if (entries.size() < 4) return;

    DeviceFirmware = QString::number(entries[0]);
    view.setFirmwareText("Device Firmware: " + DeviceFirmware);
    log.ConsoleLog("Firmware Version: " + DeviceFirmware);
    DeviceAlgorithm = qhex2(entries[1]) + qhex2(entries[2]);
    log.ConsoleLog("Algorithm version: " + DeviceAlgorithm);
    view.setAlgorithmText("Device Algorithm: " + DeviceAlgorithm);
    log.ConsoleLog("Current device firmware: " + DeviceFirmware);
    log.ConsoleLog("Most recent firmware: " + QString::number(main_.mostRecentFirmware()));
    EffectNumber = qhex2(entries[3]);
    log.ConsoleLog("Effect Number: " + EffectNumber);

    if (firmwareTooOld()) {
        view.closeEffectWindow();
        dialogs.inform("A firmware upgrade is required. Upgrade to Firmware " +
                       QString::number(main_.mostRecentFirmware()));
        dialogs.inform(LegacyInstructions());
        main_.EnableUSBobjects(false);
        return;
    }
    main_.EnableUSBobjects(true);

    const std::optional<std::uint32_t> algorithm = readDecimal(DeviceAlgorithm);
    if (!algorithm) return;
    const std::uint32_t latest = main_.latestAlgorithmNumber();

    // The effect number is read where each branch selects the effect, after the algorithm rule.
    if (!algorithmTooOld()) {
        const std::optional<std::uint32_t> effect = readDecimal(EffectNumber);
        if (!effect) return;
        if (!selectPedalEffect(*effect)) return;
        if (!view.effectWindowShown()) main_.OpenEffectWindow();
        applyEntries(entries);
        main_.EnableUSBobjects(true);
        RequestInProgress = false;
        main_.Timer_USB_Read().start();
    } else {
        view.closeEffectWindow();
        dialogs.inform(AlgorithmNotice(latest));
        if (const std::optional<std::uint32_t> effect = readDecimal(EffectNumber))
            selectPedalEffect(*effect);
        // The pedal runs an older algorithm whatever its effect digits say.
        main_.EnableEffectButtons(false);
    }
}

void Communication::applyEntries(const std::vector<std::uint8_t>& entries) {
    const StatusAppliers& a = main_.statusAppliers();
    // Each applier runs only when the reply holds every entry it reads.
    auto apply = [&](const auto& applier, std::size_t first, std::size_t width) {
        if (applier && entries.size() >= first + width) applier(entries, first);
    };
    namespace at = status_entry;
    apply(a.ApplyFootswitchMode, at::FootswitchMode, 1);
    apply(a.ApplyTuning, at::Tuning, 2);
    apply(a.ApplyAssignments, at::Assignments, 15);
    apply(a.getBypassStatus, at::Bypass, 1);
    if (entries.size() > at::StoreBypassStatus) {
        ShowStoreBypassStatus(entries[at::StoreBypassStatus]);
    }
    if (entries.size() > at::InstrumentRange) ShowInstrumentRange(entries[at::InstrumentRange]);
    apply(a.ApplyMidiChannel, at::MidiChannel, 1);
    apply(a.LogParameterValues, at::ParameterValues, 4);
}

void Communication::ShowStoreBypassStatus(std::uint8_t entry) {
    if (entry == 1) main_.linkView().showStoreBypassStatus(true);
    if (entry == 0) main_.linkView().showStoreBypassStatus(false);
}

void Communication::ShowInstrumentRange(std::uint8_t entry) {
    InstrumentRange = entry;
    if (entry == msg::RangeStandard) main_.linkView().showInstrumentRange(false);
    if (entry == msg::RangeLow) main_.linkView().showInstrumentRange(true);
}

void Communication::showUnlinked() {
    main_.linkView().showLinked(false);
    Linked = false;
    // Nothing is open: the next link starts on the firmware's line.
    main_.unit().SetLineParameters(0);
    main_.Timer_USB_Read().stop();
    if (onUnlinked) onUnlinked();
}

void Communication::menuDisconnectClick() {
    DeviceMessages::Exchange exchange(main_.messages(), "Unlink", DeviceMessages::Talk::Bootloader);
    if (!exchange) return;
    if (main_.unit().CloseFTDevice() != ft::OK) return;
    LinkView& view = main_.linkView();
    view.setDeviceName(view.deviceName().remove("linked"));
    showUnlinked();
}

void Communication::DeviceGone() {
    if (!Linked) return;
    D2xxUnit& unit = main_.unit();
    main_.services().log.ConsoleLog("the pedal went away: the link is closed");
    main_.Timer_USB_Read().stop();
    // Closing a bridge that is gone frees its handle; a failure to do so is no news to the user.
    const bool report = unit.ErrorReportEnabled;
    unit.ErrorReportEnabled = false;
    unit.CloseFTDevice();
    unit.ErrorReportEnabled = report;
    LinkView& view = main_.linkView();
    view.setDeviceName(view.deviceName().remove("linked"));
    showUnlinked();
    main_.services().dialogs.inform(DisconnectedMessage);
}

void Communication::deviceGoneReported(FtHandle handle) {
    // A running exchange finds out by itself; what is left is done once it has ended.
    main_.messages().runWhenFree([this, handle] {
        if (main_.unit().isOpen() && main_.unit().FTHandle == handle) DeviceGone();
    });
}

void Communication::Timer_USB_ReadTimer() {
    PeriodicRead();
}

void Communication::PeriodicRead() {
    DeviceMessages& messages = main_.messages();
    // A tick that falls into an exchange leaves the bytes to it.
    if (!messages.linkFree()) return;
    D2xxUnit& unit = main_.unit();
    unit.ErrorReportEnabled = false;
    const FtStatus status = unit.GetFTQueueStatus();
    if (status == ft::OK) {
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
    // The queue status fails only when the bridge is gone.
    if (status != ft::OK) DeviceGone();
}

}  // namespace korvanne
