#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace korvanne {

class MainController;

// Finding and linking the pedal, the status handshake that brings its state back, unlinking and
// the 50 ms poll.
class Communication {
public:
    static inline const QString NoAnswerMessage = QStringLiteral(
        "The pedal did not answer the status request. Check that it is connected and powered, "
        "then link again.");

    explicit Communication(MainController& main);

    // Lists the bridges without opening any (start-up).
    void ListDevices();
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
    // The poll tick.
    void Timer_USB_ReadTimer();

    void ShowStoreBypassStatus(std::uint8_t entry);
    void ShowInstrumentRange(std::uint8_t entry);

    // State.
    QString DeviceSerial;
    bool Linked = false;
    bool LegacyUpgradeMode = false;
    bool RequestInProgress = false;
    QString DeviceFirmware = QStringLiteral("0");
    QString DeviceAlgorithm;
    QString EffectNumber;
    std::uint8_t InstrumentRange = 0;
    // True once the bootloader answered the synchronisation while linking.
    bool BootloaderReached = false;

    // Provided by the firmware upgrade: runs when the bootloader answers while linking.
    std::function<void()> StartFirmwareUpgrade;
    // Provided by the memory check: receives every chunk the poll reads.
    std::function<void(const std::vector<std::uint8_t>&)> onPolledBytes;

    // The legacy instructions shown when the firmware is too old.
    static QString LegacyInstructions();
    // The notice shown when the pedal's algorithm is older than the editor's.
    static QString AlgorithmNotice(std::uint32_t latest);

private:
    // Reads four or two decimal digits; shows the error naming the text when they are not.
    std::optional<std::uint32_t> readDecimal(const QString& text);
    // Selects the pedal's effect in the list and loads it; false when there is no such entry.
    bool selectPedalEffect(std::uint32_t index);
    void applyEntries(const std::vector<std::uint8_t>& entries);

    MainController& main_;
};

}  // namespace korvanne
