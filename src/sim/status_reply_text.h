#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/pedal_state.h"

namespace korvanne {

inline constexpr std::size_t StatusEntryCount = 102;
using StatusEntries = std::array<std::uint8_t, StatusEntryCount>;

// The 102 entries of the status reply, built from the pedal's state.
StatusEntries statusEntries(const PedalState& state);

// The wire form: each entry in ASCII decimal, ended by CR LF.
std::string statusReplyText(const StatusEntries& entries);

// The byte whose two hex digits spell a decimal number 0 to 99 (10 gives 0x10).
std::uint8_t decimalAsHexDigits(int decimal);

// The value the pedal reports for a parameter: Low Pass, High Pass and Range as small step
// numbers, the others as they were written.
std::uint32_t reportedValue(int parameter, std::uint32_t value);

}  // namespace korvanne
