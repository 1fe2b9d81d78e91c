#pragma once

#include <cstdint>
#include <vector>

namespace korvanne {

// What the pedal offers its bootloader side: a way to answer and a way back to the firmware.
class BootloaderHost {
public:
    virtual ~BootloaderHost() = default;
    // Sends bytes back, timed from the byte that is being handled.
    virtual void answer(const std::vector<std::uint8_t>& bytes) = 0;
    // Leaves the bootloader and starts the firmware again (the bootloader's Go).
    virtual void startFirmware() = 0;
};

// The pedal's microcontroller while it runs its serial bootloader. Once the pedal has entered
// the bootloader, every byte it receives is handed here, one at a time, in order.
class BootloaderSide {
public:
    virtual ~BootloaderSide() = default;
    // Called each time the pedal enters its bootloader.
    virtual void enter() {}
    virtual void receiveByte(std::uint8_t byte, BootloaderHost& host) = 0;
};

// Just enough bootloader to link to: acknowledges the synchronisation byte and refuses
// everything else.
class MinimalBootloader final : public BootloaderSide {
public:
    static constexpr std::uint8_t Sync = 0x7F;
    static constexpr std::uint8_t Ack = 0x79;
    static constexpr std::uint8_t Nack = 0x1F;

    void receiveByte(std::uint8_t byte, BootloaderHost& host) override {
        host.answer({byte == Sync ? Ack : Nack});
    }
};

}  // namespace korvanne
