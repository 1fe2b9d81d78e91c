#pragma once

// How to talk to the pedal: one exchange at a time, through one door
// --------------------------------------------------------------------
// Every command that writes to the pedal or reads from it (Request, uploads, tunings, the
// firmware upgrade, console tools, ...) runs as one exchange, and every exchange enters through
// the door of DeviceMessages (device/device_messages.h):
//
//     void Uploader::btnUploadClick() {
//         DeviceMessages::Exchange exchange(main_.messages(), "Upload");
//         if (!exchange) return;  // another exchange runs: refused, the busy cursor shows it
//         ... SendRequest / ReadReplyText / clock pauses ...
//     }
//
// or, the same in one call: messages.runExchange("Upload", [&] { ... });
//
// - While an exchange runs, the main window shows the busy cursor. A command asked for meanwhile
//   (a click or a timer during one of its waits) is refused and logged: the bytes of two
//   exchanges never interleave.
// - A step called from the running exchange's own code joins it: Link runs ReadDeviceStatus,
//   an upload may run it afterwards. Such steps open an Exchange too, so they are safe when
//   called on their own.
// - Ask the door, not busy(): busy() is also true for the running exchange's own steps. A tick
//   that should simply skip while another exchange runs tests messages.linkFree().
// - Pause and wait only through the Clock (services().clock or the readers below): that is how
//   the door tells a step of the running exchange from a command the event loop ran meanwhile.
// - Work that must not be lost (a deferred parameter send) uses messages.runWhenFree(...): it
//   runs now, or right after the running exchange ends.
// - A message that expects an answer is written with SendRequest, which first drops whatever
//   waits on the receive side, so a late reply to an earlier question is never taken as the
//   answer to this one. Messages without an answer use SendText / WriteToDSP.
// - Every wait has a time limit and sleeps in the event loop (Clock, ReadReplyText,
//   ReadStatusReply); nothing spins.
// - When a read reports DeviceMessages::Reply::DeviceGone, call Communication::DeviceGone():
//   the link is closed, the window unlinked and the user told once.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "device/ft_status.h"
#include "device/transport.h"

namespace korvanne {

class LinkContext;

// A USB bridge as the driver lists it.
struct Bridge {
    QString serial;
    QString description;  // empty when the driver gives none
};

// Finding and linking the pedal, the status handshake that brings its state back, unlinking and
// the 50 ms poll.
class Communication {
public:
    static inline const QString NoAnswerMessage = QStringLiteral(
        "The pedal did not answer the status request. Check that it is connected and powered, "
        "then link again.");
    static inline const QString DisconnectedMessage = QStringLiteral(
        "The pedal was disconnected. Check its USB cable and power, then use Scan And Link.");

    explicit Communication(LinkContext& main);
    ~Communication();
    Communication(const Communication&) = delete;
    Communication& operator=(const Communication&) = delete;

    // Lists the bridges without opening any (start-up).
    void ListDevices();
    // The bridges connected now, none opened; nothing when they cannot be listed.
    std::optional<std::vector<Bridge>> listBridges();
    // "Scan And Link": lists the bridges and links each in turn; the last one stays linked.
    void ScanAndLink();
    void menuScanClick() { ScanAndLink(); }
    // Links to DeviceSerial ("Link").
    void Link();
    void ConnectOnClick() { Link(); }
    // Opens DeviceSerial; in firmware upgrade mode also checks for the bootloader.
    bool ConnectDevice();
    // The status handshake.
    void ReadDeviceStatus();
    // "Unlink".
    void menuDisconnectClick();
    // The poll timer's tick: runs PeriodicRead.
    void Timer_USB_ReadTimer();
    // The poll: reads what the pedal sent on its own and hands it to the memory check.
    void PeriodicRead();
    // The linked pedal went away (unplugged, the far end closed): closes the bridge, returns the
    // window to the unlinked state and tells the user once. Nothing happens when not linked.
    void DeviceGone();

    // The rules the last status reply is judged by: a firmware older than the newest needs an
    // upgrade before the effect commands; an algorithm older than the newest needs an upload.
    bool firmwareTooOld() const;
    bool algorithmTooOld() const;

    void ShowStoreBypassStatus(std::uint8_t entry);
    void ShowInstrumentRange(std::uint8_t entry);

    // State.
    QString DeviceSerial;
    bool Linked = false;
    bool LegacyUpgradeMode = false;
    bool RequestInProgress = false;
    // Set by a front end that only reads the pedal when it links (korvanne-cli): every status
    // read runs as a Request does, so what it shows is not sent back; the flag ends with the read.
    bool ReadsWithoutEcho = false;
    QString DeviceFirmware = QStringLiteral("0");
    QString DeviceAlgorithm;
    QString EffectNumber;
    std::uint8_t InstrumentRange = 0;
    // True once the bootloader answered the synchronisation while linking.
    bool BootloaderReached = false;

    // Provided by the firmware upgrade: runs when the bootloader answers while linking.
    std::function<void()> StartFirmwareUpgrade;
    // Provided by the firmware upgrade: sets the line for the bootloader and synchronises with
    // it while linking in firmware upgrade mode; true when the bootloader listens.
    std::function<bool()> SynchroniseBootloader;

    // The line is set for the pedal's bootloader: the poll stops and every device control but
    // the upgrade's is disabled; `reached` when the bootloader answered (the upgrade may start).
    void showBootloaderLine(bool reached);
    // The line is the firmware's again (upgrade mode left): a linked pedal's controls and the
    // poll come back.
    void showFirmwareLine();
    // Provided by the firmware upgrade: runs when the link closes (Unlink, a failed open, the
    // pedal gone), so its window follows the link.
    std::function<void()> onUnlinked;
    // Provided by the memory check: receives every chunk the poll reads.
    std::function<void(const std::vector<std::uint8_t>&)> onPolledBytes;

    // The legacy instructions shown when the firmware is too old.
    static QString LegacyInstructions();
    // The notice shown when the pedal's algorithm is older than the editor's.
    static QString AlgorithmNotice(std::uint32_t latest);
    // Told to the user when a bridge cannot be opened.
    static QString OpenFailedMessage(const QString& serial);

private:
    // Reads four or two decimal digits; shows the error naming the text when they are not.
    std::optional<std::uint32_t> readDecimal(const QString& text);
    // Selects the pedal's effect in the list and loads it; false when there is no such entry.
    bool selectPedalEffect(std::uint32_t index);
    void applyEntries(const std::vector<std::uint8_t>& entries);
    // The window's unlinked state, as Unlink leaves it.
    void showUnlinked();
    void deviceGoneReported(FtHandle handle);

    LinkContext& main_;
    Transport& transport_;
};

}  // namespace korvanne
