#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korvanne {

// The 32 filter records of the tuning data the editor carries, each five 32-bit words in the
// form the console's filter-table generator produces. The pedal decides how it uses them; the
// editor sends them in this order.
inline constexpr std::size_t TuningRecords = 32;
using TuningRecord = std::array<std::uint32_t, 5>;
extern const std::array<TuningRecord, TuningRecords> TuningData;

// The records joined into one hex text, each word as 8 upper-case digits: 1280 characters.
std::string tuningDataText();

}  // namespace korvanne
