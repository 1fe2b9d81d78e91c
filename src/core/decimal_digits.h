#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvanne {

// Reads text made of decimal digits only ("0014" -> 14). Empty text, any other character
// (a blank, a sign, a hex letter) and numbers beyond 32 bits give nothing. The pedal reports its
// algorithm as four such digits and its effect number as two.
std::optional<std::uint32_t> decimalFromDigits(std::string_view text);

}  // namespace korvanne
