#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanne {

// Device messages are composed as upper-case hexadecimal text, two digits a byte, most
// significant digit first. These helpers turn such text into bytes and numbers into text.

// Converts the text pair by pair from its start into `buffer`, at most `count` bytes and at most
// half the text length. Either letter case is accepted. Conversion stops at the first pair
// holding a non-hex character; the buffer's bytes from there on are left as they were.
// Returns the number of bytes converted.
std::size_t hexTextToBytes(std::string_view text, std::uint8_t* buffer, std::size_t count);

// One byte per pair (half the text length, rounded down). A pair that is not hexadecimal makes
// the whole conversion fail: the result is empty (std::nullopt) and the caller decides.
std::optional<std::vector<std::uint8_t>> HexToBytes(std::string_view text);

// Half the text length in bytes, filled by hexTextToBytes; bytes after a non-hex pair stay 0.
std::vector<std::uint8_t> HexToByteString(std::string_view text);

// Exclusive-or of the first n bytes the text encodes, starting from 0. Pairs missing from the
// text or after a non-hex pair add nothing.
std::uint8_t XorChecksum(std::string_view text, std::size_t n);

// True when the text is a whole number of hex pairs (even length, every character a hex digit).
bool isHexText(std::string_view text);

// Upper-case hex, zero-filled on the left to at least 2, 4 or 8 digits; wider values keep all
// their digits. hex8 takes the value's 32-bit pattern, so a negative int is two's complement.
std::string hex2(std::uint32_t value);
std::string hex4(std::uint32_t value);
std::string hex8(std::uint32_t value);

// The bytes as upper-case hex text, two digits a byte: how a message is shown in the log.
std::string hexText(const std::vector<std::uint8_t>& bytes);

}  // namespace korvanne
