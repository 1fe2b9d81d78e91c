#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvanne {

// The pedal's status reply: numbers of one to three ASCII decimal digits, each ended by CR, a LF
// after the CR allowed. Every CR gives one entry: its digits' value modulo 256, or, when the
// item is not one to three digits, the previous entry again (0 for the first). Bytes after the
// last CR belong to no entry.
std::vector<std::uint8_t> parseStatusReply(const std::uint8_t* data, std::size_t size);

// Where each setting sits among the reply's entries.
namespace status_entry {
inline constexpr std::size_t Firmware = 0;
inline constexpr std::size_t Algorithm = 1;  // two entries, high then low
inline constexpr std::size_t Effect = 3;
inline constexpr std::size_t FootswitchMode = 4;
inline constexpr std::size_t Tuning = 5;
inline constexpr std::size_t Semitones = 6;
inline constexpr std::size_t Assignments = 7;  // fifteen entries
inline constexpr std::size_t Bypass = 22;
inline constexpr std::size_t StoreBypassStatus = 23;
inline constexpr std::size_t InstrumentRange = 24;
inline constexpr std::size_t MidiChannel = 25;
inline constexpr std::size_t ParameterValues = 26;  // four entries a value
}  // namespace status_entry

// How many entries the bytes received so far already hold (the reply is whole at 102).
std::size_t completeStatusEntries(const std::uint8_t* data, std::size_t size);

// The trace of a parse: "num of bytes received: <entries>", "received_bytes_array size:
// <arraySize>", then "<index>:    <XX>" for each entry.
std::vector<std::string> statusReplyLogLines(const std::vector<std::uint8_t>& entries,
                                             std::size_t arraySize);

// The notice shown when the pedal runs an older algorithm; two lines joined by CR LF
// ("... Upload Korvanne MK3 0014" for 14).
std::string algorithmUploadNotice(std::uint32_t latestAlgorithmNumber);

}  // namespace korvanne
