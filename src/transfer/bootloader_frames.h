#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The STM32 USART bootloader protocol as the editor and the simulated pedal speak it: codes,
// checksums, the byte groups of each exchange and how long each answer may take.
namespace korvanne::boot {

inline constexpr std::uint8_t Sync = 0x7F;
inline constexpr std::uint8_t Ack = 0x79;
inline constexpr std::uint8_t Nack = 0x1F;

inline constexpr std::uint8_t CmdGet = 0x00;
inline constexpr std::uint8_t CmdGetVersion = 0x01;
inline constexpr std::uint8_t CmdGetId = 0x02;
inline constexpr std::uint8_t CmdReadMemory = 0x11;
inline constexpr std::uint8_t CmdGo = 0x21;
inline constexpr std::uint8_t CmdWriteMemory = 0x31;
inline constexpr std::uint8_t CmdErase = 0x43;
inline constexpr std::uint8_t CmdExtendedErase = 0x44;

// The pedal's flash: 128 KB from 0x08000000; the firmware version record sits in its last page.
inline constexpr std::uint32_t FlashStart = 0x08000000;
inline constexpr std::uint32_t FlashSize = 128 * 1024;
inline constexpr std::uint32_t VersionRecordAddress = 0x0801FC00;
inline constexpr std::size_t MaxBlock = 256;
// The largest image that ends below the version record.
inline constexpr std::size_t MaxImageSize = VersionRecordAddress - FlashStart;

// Time limits per answer, as stm32flash uses them: a mass erase can take many seconds.
inline constexpr int MassEraseLimitMs = 35'000;
inline constexpr int BlockLimitMs = 1'000;
inline constexpr int StepLimitMs = 1'000;

// A command code followed by its complement.
std::array<std::uint8_t, 2> command(std::uint8_t code);

// A3 ^ A2 ^ A1 ^ A0.
std::uint8_t AddressChecksum(std::uint32_t address);
// A3 A2 A1 A0 and the address checksum.
std::array<std::uint8_t, 5> addressGroup(std::uint32_t address);

// (N-1) ^ D0 ^ ... ^ D(N-1) over a block of 1 to 256 bytes.
std::uint8_t DataChecksum(std::span<const std::uint8_t> data);
// N-1, the data and the data checksum. Empty for a block of 0 or more than 256 bytes.
std::vector<std::uint8_t> dataGroup(std::span<const std::uint8_t> data);

// The Write Memory data group of the firmware version record: N-1 = 7, seven 0x00, the number
// and its checksum (0x07 ^ number).
std::array<std::uint8_t, 10> versionRecordGroup(std::uint8_t firmware);

// Erase Memory's global erase: 0xFF 0x00.
std::array<std::uint8_t, 2> globalEraseGroup();

// Read Memory's count group: N-1 and its complement.
std::array<std::uint8_t, 2> readCountGroup(std::size_t count);

}  // namespace korvanne::boot
