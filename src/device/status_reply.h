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
