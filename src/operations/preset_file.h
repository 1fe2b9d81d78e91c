#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "effect/parameter_catalogue.h"

namespace korvanne {

// The preset file: the nineteen parameter values in catalogue order, each as eight upper-case
// hex digits, separated by single carriage returns (none after the last), UTF-8 with a
// byte-order mark. A file written here is always 173 bytes.
inline constexpr std::string_view PresetByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::size_t PresetFileSize = 173;
inline constexpr int PresetLoggedFields = 17;

// The whole file, mark included.
std::string presetFileBytes(const ParameterValues& values);

// A preset read back: one field per line as read, and its value.
struct PresetContent {
    std::vector<std::string> fields;    // the eight characters of each line
    std::vector<std::uint32_t> values;  // as many as there are lines, in catalogue order
};

// Reads a preset line by line (CR, LF or CR LF; a leading byte-order mark skipped; blanks at the
// end of a line and one line end after the last line tolerated). Every line must hold exactly
// eight hexadecimal digits of either case; lines after the nineteenth are ignored, fewer leave the
// later parameters unchanged (older presets carry seventeen). On a fault `error` names the line.
struct PresetParse {
    std::optional<PresetContent> content;
    std::string error;
};
PresetParse parsePresetFile(std::string_view bytes);

// The four two-character pairs in reverse order ("AABBCCDD" -> "DDCCBBAA"); a shorter text gives
// its whole pairs reversed.
std::string ReverseBytePairs(std::string_view field);

// The label each of the first seventeen fields is logged with while loading ("Dry: ", ...).
std::string presetLoadLabel(int field);

// The name a preset is saved under: ".txt" appended unless the name already ends in it (the
// comparison is case-sensitive, so "preset.TXT" becomes "preset.TXT.txt").
std::string presetSaveName(std::string chosen);

}  // namespace korvanne
