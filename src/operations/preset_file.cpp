#include "operations/preset_file.h"

#include <algorithm>
#include <array>

#include "device/hex_text.h"

namespace korvanne {

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string printable(std::string_view text) {
    std::string shown;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            shown += c;
        } else {
            shown += "\\x" + hex2(u);
        }
    }
    return shown;
}

}  // namespace

std::string presetFileBytes(const ParameterValues& values) {
    std::string text(PresetByteOrderMark);
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) text += '\r';
        text += hex8(values[k]);
    }
    return text;
}

PresetParse parsePresetFile(std::string_view bytes) {
    if (bytes.substr(0, PresetByteOrderMark.size()) == PresetByteOrderMark)
        bytes.remove_prefix(PresetByteOrderMark.size());

    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    // Text after the last line end is a last line; a line end closing the file is not.
    if (start < bytes.size()) lines.push_back(bytes.substr(start));

    PresetParse result;
    if (lines.empty()) {
        result.error = "the file holds no parameter values";
        return result;
    }
    PresetContent content;
    // Only the first nineteen lines are read; anything after them is ignored.
    const std::size_t checked = std::min(lines.size(), static_cast<std::size_t>(ParameterCount));
    for (std::size_t n = 0; n < checked; ++n) {
        std::string_view line = lines[n];
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        bool ok = line.size() == 8;
        for (char c : line) ok = ok && isHexDigit(c);
        if (!ok) {
            result.error = "line " + std::to_string(n + 1) +
                           " is not eight hexadecimal digits (\"" + printable(lines[n]) + "\")";
            return result;
        }
        content.fields.emplace_back(line);
        // The pairs reversed are the value's bytes from the least significant up.
        const std::string reversed = ReverseBytePairs(line);
        std::array<std::uint8_t, 4> bytesLowFirst{};
        hexTextToBytes(reversed, bytesLowFirst.data(), bytesLowFirst.size());
        std::uint32_t value = 0;
        for (int b = 3; b >= 0; --b)
            value = value << 8 | bytesLowFirst[static_cast<std::size_t>(b)];
        content.values.push_back(value);
    }
    result.content = std::move(content);
    return result;
}

std::string ReverseBytePairs(std::string_view field) {
    std::string reversed;
    for (std::size_t pairs = field.size() / 2; pairs > 0; --pairs)
        reversed += field.substr(2 * (pairs - 1), 2);
    return reversed;
}

std::string presetLoadLabel(int field) {
    static constexpr std::array<const char*, PresetLoggedFields> labels{
        "Dry: ",         "SubMix: ",        "Minus1oct: ",     "Minus2oct: ",       "Wave: ",
        "LowPass: ",     "HighPass: ",      "FirstHarmonic: ", "Split: ",           "Range: ",
        "input_level: ", "Wave2_Pitch: ",   "Clip: ",          "DominantNoteCut: ", "HighNoteCut: ",
        "DryHPF: ",      "Limit Range UP: "};
    if (field < 0 || field >= PresetLoggedFields) return {};
    return labels[static_cast<std::size_t>(field)];
}

std::string presetSaveName(std::string chosen) {
    constexpr std::string_view ext = ".txt";
    if (chosen.size() < ext.size() ||
        chosen.compare(chosen.size() - ext.size(), ext.size(), ext) != 0)
        chosen += ext;
    return chosen;
}

}  // namespace korvanne
