#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace korvanne {
// One message to the pedal, as the bytes that go on the line.
using Message = std::vector<std::uint8_t>;
}  // namespace korvanne

namespace korvanne::msg {

// The bytes of every command the editor sends to the pedal: the only place a message is laid
// out. Each message is sent whole. Fields are cut to their width, so a builder never produces a
// message of the wrong length. hexText (device/hex_text.h) shows one in the log.

inline constexpr std::uint16_t NoAddress = 0xFFFF;   // control not assigned
inline constexpr std::uint16_t RemoteNone = 0xFFFF;  // remote footswitch not assigned
inline constexpr std::uint16_t RemoteBypass = 0xFFFE;
inline constexpr std::uint16_t RemotePreset = 0xFFFD;
inline constexpr std::uint8_t NoNote = 0xFF;             // note filter slot unused
inline constexpr std::uint8_t RangeStandard = 0xFF;      // instrument range: guitar
inline constexpr std::uint8_t RangeLow = 0xBA;           // instrument range: bass
inline constexpr std::uint8_t SettingsMemoryI2c = 0x50;  // the pedal's settings EEPROM

// 02 00: ask for the 102-entry status reply.
Message statusRequest();
// 01, address (16-bit), value (32-bit, negative as two's complement): 7 bytes.
Message parameterWrite(std::uint16_t address, std::uint32_t value);
// 03, nine 32-bit values in catalogue order: 37 bytes.
Message storeParameters(const std::array<std::uint32_t, 9>& values);
// 04, five flags (00/01), the addresses for controls UNO, DUE, TRE, QUATTRO (NoAddress for none),
// the remote code (RemoteNone, RemoteBypass, RemotePreset): 16 bytes.
Message assign(const std::array<bool, 5>& flags, const std::array<std::uint16_t, 4>& addresses,
               std::uint16_t remoteCode);
// 05 00 01 02 03 04 05 06: the pedal restarts into its bootloader.
Message firmwareUpgradeEntry();
// 07, channel: 0 for OMNI, 1 to 16 written 01 to 10.
Message midiChannel(std::uint8_t channel);
// 08, short-press byte, long-press byte (00 or 01 each).
Message footswitchMode(std::uint8_t shortPress, std::uint8_t longPress);
// 09, tuning index, semitone variation as its byte (-1 is FF).
Message setTuning(std::uint8_t index, int semitones);
// 09, first and second filtered note (0 to 7, NoNote for none).
Message noteFilter(std::uint8_t first, std::uint8_t second);
// 0B, I2C address, 00 00 00: erase the settings memory.
Message eepromErase(std::uint8_t i2c = SettingsMemoryI2c);
// 0C, I2C address, 00 00 00 00: read the settings memory (answered through the poll).
Message eepromRead(std::uint8_t i2c = SettingsMemoryI2c);
// 0D 01 (bypass on) or 0D 00.
Message bypass(bool on);
// 0E followed by the tuning data table's words, most significant byte first (640 bytes for
// the full table).
Message tuningData(std::span<const std::uint32_t> words);
// 0F, range, five fixed bytes, XOR checksum of the seven before it: 0FFF0102030405F1 for
// RangeStandard, 0FBA0203040506B3 for RangeLow; empty for any other range value.
Message instrumentRange(std::uint8_t range);
// 10 01 (store the bypass state in the pedal) or 10 FF (do not).
Message bypassStoring(bool store);
// 11 01 when status is 1 (range limit on), 11 FF for any other status.
Message rangeLimit(std::uint8_t status);

}  // namespace korvanne::msg
