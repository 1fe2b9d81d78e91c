#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace korvanne {

// What the pedal offers its bootloader side: a way to answer and a way back to the firmware.
class BootloaderHost {
public:
    virtual ~BootloaderHost() = default;
    // Sends bytes back, timed from the byte that is being handled.
    virtual void answer(const std::vector<std::uint8_t>& bytes) = 0;
    // The same, `delayUs` later than it would go.
    virtual void answerLate(const std::vector<std::uint8_t>& bytes, std::int64_t delayUs) = 0;
    // Leaves the bootloader and starts the firmware again (the bootloader's Go).
    virtual void startFirmware() = 0;
    // The parity the line is set to, when the transport can tell (D2XX codes: 2 is even).
    virtual std::optional<std::uint8_t> lineParity() const { return std::nullopt; }
};

// The pedal's microcontroller while it runs its serial bootloader. Once the pedal has entered
// the bootloader, every byte it receives is handed here, one at a time, in order.
class BootloaderSide {
public:
    virtual ~BootloaderSide() = default;
    // Called each time the pedal enters its bootloader.
    virtual void enter() {}
    virtual void receiveByte(std::uint8_t byte, BootloaderHost& host) = 0;
    // The number the firmware reports once started, when the bootloader side knows it.
    virtual std::optional<int> firmwareNumber() const { return std::nullopt; }
    // False when the flash holds no program that can start (erased, or half written).
    virtual bool firmwareRuns() const { return true; }
};

}  // namespace korvanne
