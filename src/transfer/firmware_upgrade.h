#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

#include "core/outcome.h"
#include "transfer/bootloader_protocol.h"
#include "transfer/firmware_upgrade_view.h"

namespace korvanne {

class Communication;

class TransferContext;

// Replacing the pedal's firmware through its serial bootloader: the ways into the bootloader
// ("Upgrade Mode"), the upgrade window's steps and the restart. Every step waits for the
// bootloader's acknowledge; the first refusal or missing answer stops the upgrade with the pedal
// left in its bootloader, so the user can try again. Go is sent only when nothing was erased or
// everything was written. Each command is one exchange through the link's door.
class FirmwareUpgrade {
public:
    static constexpr std::size_t MaxChunks = 512;
    static inline const QString CompleteMessage =
        QStringLiteral("Firmware Upgrade Complete, device will now restart");

    // `link` is the link the upgrade takes over and gives back.
    FirmwareUpgrade(TransferContext& main, Communication& link);

    // Until a window is set, a headless one stands in.
    void setView(FirmwareUpgradeView* view) { view_ = view ? view : &headless_; }
    FirmwareUpgradeView& view() { return *view_; }
    BootloaderProtocol& protocol() { return protocol_; }

    // A pedal reporting this firmware enters its bootloader when asked; an older one (below 9,
    // or none reported) must be started in it with SHIFT held (the legacy way).
    static bool entersBootloaderOnRequest(const QString& deviceFirmware);

    // Main window. Done once the bootloader answered and the upgrade window is open, or once the
    // legacy way is chosen (linking then reaches the bootloader).
    Outcome menuFirmwareUpgradeModeClick();
    void menuStartFirmwareUpgradeClick();
    void StartFirmwareUpgrade();
    // Linking in firmware upgrade mode: sets the line for the bootloader and synchronises; true
    // when the bootloader listens.
    bool synchroniseWhileLinking();

    // Upgrade window.
    void FormShow();
    void FirmwareSelect(const QString& itemText);
    // Done once the firmware is written and the pedal restarted.
    Outcome btnUpgradeFirmwareClick();
    // The user closes the window; false keeps it open (an upgrade is running).
    bool FormClose();
    // Sends Go, then puts the line and the main window back to normal operation.
    void RestartDevice();
    // The link was closed (Unlink, or the pedal went away): nothing can reach the bootloader
    // until the next link, so the window cannot start an upgrade.
    void linkClosed();

    // Steps.
    bool LoadFirmwareImage();
    void SplitFirmwareIntoChunks();
    bool WriteFirmwareChunks();

    // State.
    QString FirmwareResourceName;
    int FirmwareVersion = 0;
    std::size_t FirmwareByteCount = 0;
    QString FirmwareHexText;
    std::size_t ChunkCount = 0;
    std::size_t LastChunkSize = 0;
    std::array<QString, MaxChunks> FirmwareChunks;
    std::vector<std::uint8_t> FirmwareBytes;

    bool running() const { return running_; }
    // The flash was (perhaps) erased and the upgrade has not completed since.
    bool flashErased() const { return erased_; }
    // The bootloader acknowledged the erase of the upgrade that has not completed.
    bool eraseConfirmed() const { return eraseConfirmed_; }
    // The last failure's text, empty after a completed upgrade.
    const QString& lastError() const { return lastError_; }

    // Measured by the last upgrade: from the erase command to Go's last acknowledge, and the
    // bytes that crossed the wire in that span.
    std::int64_t eraseToGoUs = 0;
    std::uint64_t eraseToGoBytes = 0;

private:
    // Upgrade Mode unticked: the flags end, and a line left set for the bootloader is the
    // firmware's again.
    void leaveUpgradeMode();
    bool verifyWrittenImage();
    // Bytes in block `chunk` of the loaded image (256 but for a short last one).
    std::size_t blockSize(std::size_t chunk) const;
    // The restart after Go was sent (and acknowledged or not).
    Outcome RestartDevice(bool goAcknowledged);
    void fail(const QString& text);

    TransferContext& main_;
    Communication& link_;
    HeadlessFirmwareView headless_;
    FirmwareUpgradeView* view_ = &headless_;
    BootloaderProtocol protocol_;
    QByteArray image_;
    bool running_ = false;
    bool erased_ = false;
    bool eraseConfirmed_ = false;
    // Steps of the running upgrade done before the current one, for one bar over all of it:
    // the erase, each block written, each block verified, the version record.
    int stepsBefore_ = 0;
    QString lastError_;
};

}  // namespace korvanne
