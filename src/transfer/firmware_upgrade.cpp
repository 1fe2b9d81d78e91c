#include "transfer/firmware_upgrade.h"

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/resources.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "transfer/firmware_image.h"
#include "transfer/transfer_context.h"

namespace korvanne {

namespace {

const QString FinishUpgradeText = QStringLiteral(
    "To finish the upgrade, choose Start Firmware Upgrade in the Firmware Upgrade menu and click "
    "Upgrade Firmware again; or power the pedal up with SHIFT held, check Upgrade Mode and link "
    "(the legacy way).");

// Said when the window closes on an upgrade that did not complete: only what the bootloader
// confirmed counts as done.
QString staysInBootloaderMessage(bool eraseConfirmed) {
    const QString what =
        eraseConfirmed ? QStringLiteral(
                             "The pedal's flash was erased and the new firmware was not written "
                             "completely.")
                       : QStringLiteral(
                             "The pedal did not confirm the erase: its flash may be erased in "
                             "whole, in part or not at all.");
    return what + " The pedal stays in its bootloader and was not restarted.\r\n\r\n" +
           FinishUpgradeText;
}

}  // namespace

FirmwareUpgrade::FirmwareUpgrade(TransferContext& main, Communication& link)
    : main_(main), link_(link), protocol_(main.messages(), main.services().log) {
    protocol_.pollRunning = [this] { return main_.Timer_USB_Read().isActive(); };
}

bool FirmwareUpgrade::entersBootloaderOnRequest(const QString& deviceFirmware) {
    bool isNumber = false;
    const int firmware = deviceFirmware.toInt(&isNumber);
    return deviceFirmware != "0" && isNumber && firmware >= 9;
}

Outcome FirmwareUpgrade::menuFirmwareUpgradeModeClick() {
    TransferView& v = main_.transferView();
    DeviceMessages& messages = main_.messages();
    Dialogs& dialogs = main_.services().dialogs;
    Communication& link = link_;
    // Either way the mode changes how answers are read and how the line is set: not in the
    // middle of an exchange (the check mark stays as it was).
    DeviceMessages::Exchange exchange(messages, "Upgrade Mode", DeviceMessages::Talk::Bootloader);
    if (!exchange) return Outcome::busy();
    if (v.upgradeModeChecked()) {
        leaveUpgradeMode();
        return Outcome::done(QStringLiteral("Upgrade Mode off."));
    }
    v.setUpgradeModeChecked(true);
    messages.FirmwareUpgradeMode = true;
    if (!entersBootloaderOnRequest(link.DeviceFirmware)) {
        // The legacy way goes on with linking to a pedal started in its bootloader.
        link.LegacyUpgradeMode = true;
        return Outcome::done();
    }
    main_.SendBypass(true);
    if (!dialogs.confirm("Keep SHIFT button on the pedal pressed and click YES.",
                         Dialogs::Default::No)) {
        messages.FirmwareUpgradeMode = false;
        v.setUpgradeModeChecked(false);
        return Outcome::cancelled();
    }
    messages.Send(msg::firmwareUpgradeEntry());
    main_.services().clock.pause(200);
    main_.Timer_USB_Read().stop();
    protocol_.enterBootloaderLine();
    const BootloaderProtocol::SyncResult sync =
        protocol_.synchronise("received Byte from bootloader: ");
    link.showBootloaderLine(sync.reached);
    if (!sync.reached) {
        dialogs.warn("Connection to bootloader failed");
        return Outcome::failed(QStringLiteral("Connection to bootloader failed"));
    }
    dialogs.inform("Release SHIFT button and click OK.");
    v.setStartUpgradeEnabled(true);
    v.setRequestAndUploadEnabled(false);
    StartFirmwareUpgrade();
    return Outcome::done();
}

bool FirmwareUpgrade::synchroniseWhileLinking() {
    protocol_.enterBootloaderLine();
    return protocol_.synchronise("received Byte: ").reached;
}

void FirmwareUpgrade::leaveUpgradeMode() {
    DeviceMessages& messages = main_.messages();
    Communication& link = link_;
    main_.transferView().setUpgradeModeChecked(false);
    messages.FirmwareUpgradeMode = false;
    link.LegacyUpgradeMode = false;
    if (!messages.talksToBootloader()) return;
    // Bootloader talk (a synchronisation that failed, or an upgrade not started) ends here: the
    // line is the firmware's again.
    main_.services().log.ConsoleLog("upgrade mode left: the line is set for the firmware again");
    main_.transferView().setStartUpgradeEnabled(false);
    view_->hideWindow();
    if (main_.unit().isOpen()) {
        protocol_.leaveBootloaderLine();
    } else {
        main_.unit().SetLineParameters(0);
    }
    link.showFirmwareLine();
}

void FirmwareUpgrade::menuStartFirmwareUpgradeClick() {
    DeviceMessages::Exchange exchange(main_.messages(), "Start Firmware Upgrade",
                                      DeviceMessages::Talk::Bootloader);
    if (!exchange) return;
    StartFirmwareUpgrade();
}

void FirmwareUpgrade::StartFirmwareUpgrade() {
    main_.Timer_USB_Read().stop();
    main_.unit().ErrorReportEnabled = false;
    view_->setUpgradeEnabled(!running_);
    view_->showBelowMainWindow();
    FormShow();
}

void FirmwareUpgrade::FormShow() {
    const int last = view_->itemCount() - 1;
    if (last < 0 || view_->selectedIndex() == last) return;
    view_->selectItem(last);
    FirmwareSelect(view_->itemText(last));
}

void FirmwareUpgrade::FirmwareSelect(const QString& itemText) {
    LogSink& log = main_.services().log;
    FirmwareResourceName = itemText;
    if (const auto version = firmware::versionFromItem(itemText.toStdString())) {
        FirmwareVersion = *version;
    }
    log.ConsoleLog("Firmware Version(DEC): " + QString::number(FirmwareVersion));
    log.ConsoleLog(itemText);
}

bool FirmwareUpgrade::LoadFirmwareImage() {
    Dialogs& dialogs = main_.services().dialogs;
    const auto data = findResource(QStringLiteral("firmware"), FirmwareResourceName);
    if (!data) {
        dialogs.warn("The firmware image \"" + FirmwareResourceName +
                     "\" is not built into this editor. Nothing was sent to the pedal.");
        return false;
    }
    image_ = *data;
    FirmwareByteCount = static_cast<std::size_t>(image_.size());
    main_.services().log.ConsoleLog("Firmware num of bytes: " + QString::number(image_.size()));
    const std::string problem = firmware::imageProblem(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(image_.constData()), FirmwareByteCount));
    if (!problem.empty()) {
        dialogs.warn("The firmware image \"" + FirmwareResourceName + "\" cannot be written: " +
                     QString::fromStdString(problem) + ". Nothing was sent to the pedal.");
        return false;
    }
    FirmwareHexText = QString::fromLatin1(image_.toHex().toUpper());
    return true;
}

void FirmwareUpgrade::SplitFirmwareIntoChunks() {
    LogSink& log = main_.services().log;
    const firmware::ChunkPlan plan = firmware::planChunks(FirmwareByteCount);
    ChunkCount = plan.fullChunks;
    LastChunkSize = plan.lastChunkSize;
    log.ConsoleLog("num of chunks: " + QString::number(ChunkCount));
    log.ConsoleLog("num of bytes last chunk: " + QString::number(LastChunkSize));
    ChunkCount = plan.chunkCount;
    FirmwareBytes.assign(MaxChunks * firmware::ChunkSize, 0);
    std::copy(image_.begin(), image_.end(), FirmwareBytes.begin());
    for (std::size_t i = 0; i < ChunkCount; ++i) {
        const std::size_t size = plan.blockSize(i, FirmwareByteCount);
        FirmwareChunks[i] = FirmwareHexText.mid(qsizetype(i * 512), qsizetype(size * 2));
        if (i + 1 == ChunkCount) {
            log.ConsoleLog("num of bytes last chunk: " + QString::number(size));
        }
        log.ConsoleAppend("chunk from string " + QString::number(i) + ": ");
        log.ConsoleAppend(FirmwareChunks[i]);
        log.ConsoleLog("chunk " + QString::number(i) + " size: " + QString::number(size));
        log.ConsoleAppend("");
        log.ConsoleAppend("");
    }
}

bool FirmwareUpgrade::WriteFirmwareChunks() {
    LogSink& log = main_.services().log;
    log.ConsoleAppend("Start Write Command");
    log.ConsoleAppend("");
    protocol_.BootloaderAddress = boot::FlashStart;
    view_->setPhase(QStringLiteral("Writing"));
    for (std::size_t i = 0; i < ChunkCount; ++i) {
        const std::size_t size = blockSize(i);
        const std::span<const std::uint8_t> block(FirmwareBytes.data() + i * firmware::ChunkSize,
                                                  size);
        if (!protocol_.writeBlock(block, "writing block " + QString::number(i))) return false;
        view_->setProgress(stepsBefore_ + static_cast<int>(i) + 1);
    }
    stepsBefore_ += static_cast<int>(ChunkCount);
    return true;
}

bool FirmwareUpgrade::verifyWrittenImage() {
    LogSink& log = main_.services().log;
    log.ConsoleLog("verifying the written image");
    view_->setPhase(QStringLiteral("Verifying"));
    for (std::size_t i = 0; i < ChunkCount; ++i) {
        if (i > 0) view_->setProgress(stepsBefore_ + static_cast<int>(i));
        const std::size_t size = blockSize(i);
        const auto address = boot::FlashStart + static_cast<std::uint32_t>(i * firmware::ChunkSize);
        std::vector<std::uint8_t> read;
        bool refused = false;
        if (!protocol_.readMemory(address, size, read, &refused)) {
            if (refused && i == 0) {
                log.ConsoleLog("the bootloader refuses to read its flash; verify skipped");
                stepsBefore_ += static_cast<int>(ChunkCount);
                view_->setProgress(stepsBefore_);
                return true;
            }
            fail(BootloaderProtocol::describe(protocol_.failure()));
            return false;
        }
        if (!std::equal(read.begin(), read.end(),
                        FirmwareBytes.begin() + std::ptrdiff_t(address - boot::FlashStart))) {
            fail("verifying block " + QString::number(i) + " at 0x" +
                 QString::fromStdString(hex8(address)) +
                 ": the flash holds other bytes than the image");
            return false;
        }
    }
    log.ConsoleLog("verify: the flash holds the image");
    stepsBefore_ += static_cast<int>(ChunkCount);
    view_->setProgress(stepsBefore_);
    return true;
}

std::size_t FirmwareUpgrade::blockSize(std::size_t chunk) const {
    return std::min(firmware::ChunkSize, FirmwareByteCount - chunk * firmware::ChunkSize);
}

void FirmwareUpgrade::fail(const QString& text) {
    lastError_ = "Firmware upgrade failed while " + text +
                 ".\r\n\r\nThe pedal stays in its bootloader. Click Upgrade Firmware to try "
                 "again.";
    main_.services().log.ConsoleLog("Firmware upgrade failed while " + text);
    running_ = false;
    view_->setPhase(QStringLiteral("Failed"));
    view_->setUpgradeEnabled(main_.unit().isOpen());
    main_.services().dialogs.warn(lastError_);
}

Outcome FirmwareUpgrade::btnUpgradeFirmwareClick() {
    if (running_) return Outcome::refused(QStringLiteral("The upgrade is running."));
    if (!main_.unit().isOpen()) {
        view_->setUpgradeEnabled(false);
        return Outcome::refused(
            QStringLiteral("The pedal is not linked. Link to its bootloader to upgrade."));
    }
    DeviceMessages::Exchange exchange(main_.messages(), "Upgrade Firmware",
                                      DeviceMessages::Talk::Bootloader);
    if (!exchange) return Outcome::busy();
    running_ = true;
    lastError_.clear();
    view_->setUpgradeEnabled(false);
    main_.unit().ErrorReportEnabled = false;
    if (!LoadFirmwareImage()) {
        running_ = false;
        view_->setUpgradeEnabled(true);
        return Outcome::failed(
            QStringLiteral("The firmware image could not be loaded; nothing "
                           "was sent to the pedal."));
    }
    SplitFirmwareIntoChunks();
    Clock& clock = main_.services().clock;
    const std::int64_t startUs = clock.nowUs();
    const std::uint64_t startBytes = protocol_.bytesSent + protocol_.bytesReceived;
    // One bar over the whole upgrade: the erase, the blocks written, the blocks verified, the
    // version record. It reaches its end only when all of them are done.
    const bool verify = view_->verifyAfterWriting();
    const int blocks = static_cast<int>(ChunkCount);
    stepsBefore_ = 0;
    view_->setProgressMaximum(1 + blocks + (verify ? blocks : 0) + 1);
    view_->setProgress(0);
    view_->setPhase(QStringLiteral("Erasing"));
    // A failed attempt may have left the bootloader out of step: find it before the erase.
    if (!protocol_.findFraming()) {
        fail(BootloaderProtocol::describe(protocol_.failure()));
        return Outcome::failed(lastError_);
    }
    // From here on the flash may be erased: closing the window must not start what is there.
    erased_ = true;
    eraseConfirmed_ = false;
    if (!protocol_.EraseFlash()) {
        fail(BootloaderProtocol::describe(protocol_.failure()));
        return Outcome::failed(lastError_);
    }
    eraseConfirmed_ = true;
    stepsBefore_ = 1;
    view_->setProgress(stepsBefore_);
    if (!WriteFirmwareChunks()) {
        fail(BootloaderProtocol::describe(protocol_.failure()));
        return Outcome::failed(lastError_);
    }
    if (verify && !verifyWrittenImage()) return Outcome::failed(lastError_);
    if (!protocol_.WriteFirmwareVersion(static_cast<std::uint8_t>(FirmwareVersion))) {
        fail(BootloaderProtocol::describe(protocol_.failure()));
        return Outcome::failed(lastError_);
    }
    view_->setPhase(QStringLiteral("Done"));
    view_->setProgress(stepsBefore_ + 1);
    clock.pause(10);
    erased_ = false;
    eraseConfirmed_ = false;
    running_ = false;
    main_.services().dialogs.inform(CompleteMessage);
    const bool restarted = [&] {
        const bool ok = protocol_.SendGoCommand();
        eraseToGoUs = clock.nowUs() - startUs;
        eraseToGoBytes = protocol_.bytesSent + protocol_.bytesReceived - startBytes;
        return ok;
    }();
    return RestartDevice(restarted);
}

void FirmwareUpgrade::RestartDevice() {
    DeviceMessages::Exchange exchange(main_.messages(), "Restart",
                                      DeviceMessages::Talk::Bootloader);
    if (!exchange) return;
    RestartDevice(protocol_.SendGoCommand());
}

Outcome FirmwareUpgrade::RestartDevice(bool goAcknowledged) {
    TransferView& v = main_.transferView();
    DeviceMessages& messages = main_.messages();
    DeviceMessages::Exchange exchange(messages, QStringLiteral("Restart"),
                                      DeviceMessages::Talk::Bootloader);
    main_.unit().ErrorReportEnabled = true;
    protocol_.leaveBootloaderLine();
    // The upgrade ends here, whichever way: later links ask for the status again.
    link_.LegacyUpgradeMode = false;
    link_.showFirmwareLine();
    Outcome outcome = Outcome::done(CompleteMessage);
    if (goAcknowledged) {
        link_.ReadDeviceStatus();
    } else {
        const QString text = "The pedal did not confirm the restart (" +
                             BootloaderProtocol::describe(protocol_.failure()) +
                             "). Power it off and on again, then link.";
        main_.services().log.ConsoleLog(text);
        main_.services().dialogs.warn(text);
        outcome = Outcome::failed(text);
    }
    main_.Timer_USB_Read().start();
    view_->setUpgradeEnabled(true);
    view_->setPhase({});
    view_->setProgress(0);
    view_->hideWindow();
    v.setUpgradeModeChecked(false);
    v.setStartUpgradeEnabled(false);
    messages.FirmwareUpgradeMode = false;
    v.setRequestAndUploadEnabled(true);
    return outcome;
}

bool FirmwareUpgrade::FormClose() {
    LogSink& log = main_.services().log;
    if (running_ || !main_.messages().linkFree({}, DeviceMessages::Talk::Bootloader)) {
        log.ConsoleLog("the upgrade window stays open while an exchange with the pedal runs");
        return false;
    }
    if (erased_) {
        // Go would start a half-written firmware.
        log.ConsoleLog(eraseConfirmed_
                           ? "upgrade window closed with the flash erased: no Go, the pedal "
                             "stays in its bootloader"
                           : "upgrade window closed after an erase that was not confirmed: no "
                             "Go, the pedal stays in its bootloader");
        view_->hideWindow();
        main_.transferView().setStartUpgradeEnabled(main_.unit().isOpen());
        main_.services().dialogs.warn(staysInBootloaderMessage(eraseConfirmed_));
        return true;
    }
    if (!main_.unit().isOpen()) {
        // Unlinked: Go cannot reach the pedal; the next link in upgrade mode reopens the window.
        log.ConsoleLog("upgrade window closed while unlinked: nothing sent");
        view_->hideWindow();
        return true;
    }
    RestartDevice();
    return true;
}

void FirmwareUpgrade::linkClosed() {
    if (running_) return;
    view_->setUpgradeEnabled(false);
    main_.transferView().setStartUpgradeEnabled(false);
}

}  // namespace korvanne
