#include "sim/status_reply_text.h"

#include <algorithm>

namespace korvanne {

std::uint8_t decimalAsHexDigits(int decimal) {
    decimal = std::clamp(decimal, 0, 99);
    return static_cast<std::uint8_t>((decimal / 10) << 4 | (decimal % 10));
}

std::uint32_t reportedValue(int parameter, std::uint32_t value) {
    const auto steps = param::reportedSteps(parameter);
    if (!steps) return value;
    // The knob encoding holds a 10-bit step in bits 13 and up; scale it to the step count,
    // rounding to the nearest, so the knob's maximum reports the full count.
    const std::uint32_t knobStep = std::min<std::uint32_t>(value >> 13, 1023);
    return (knobStep * std::uint32_t(*steps) * 2 + 1023) / 2046;
}

StatusEntries statusEntries(const PedalState& s) {
    StatusEntries e{};
    e[0] = static_cast<std::uint8_t>(s.firmware);
    e[1] = decimalAsHexDigits(s.algorithm / 100);
    e[2] = decimalAsHexDigits(s.algorithm % 100);
    e[3] = decimalAsHexDigits(s.effect);
    e[4] = static_cast<std::uint8_t>(s.footswitchMode);
    e[5] = static_cast<std::uint8_t>(s.tuning);
    e[6] = static_cast<std::uint8_t>(s.semitones);  // two's complement
    for (std::size_t i = 0; i < 5; ++i) {
        e[7 + i] = s.assignments.flags[i];
        e[12 + 2 * i] = static_cast<std::uint8_t>(s.assignments.codes[i] >> 8);
        e[13 + 2 * i] = static_cast<std::uint8_t>(s.assignments.codes[i]);
    }
    e[22] = s.bypass ? 1 : 0;
    e[23] = s.storeBypass ? 1 : 0;
    e[24] = s.instrumentRange;
    e[25] = s.midiChannel;
    for (int p = 0; p < param::Count; ++p) {
        const std::uint32_t v = reportedValue(p, s.values[static_cast<std::size_t>(p)]);
        const std::size_t at = 26 + 4 * static_cast<std::size_t>(p);
        e[at] = static_cast<std::uint8_t>(v >> 24);
        e[at + 1] = static_cast<std::uint8_t>(v >> 16);
        e[at + 2] = static_cast<std::uint8_t>(v >> 8);
        e[at + 3] = static_cast<std::uint8_t>(v);
    }
    return e;
}

std::string statusReplyText(const StatusEntries& entries) {
    std::string text;
    text.reserve(entries.size() * 5);
    for (std::uint8_t entry : entries) {
        text += std::to_string(entry);
        text += "\r\n";
    }
    return text;
}

}  // namespace korvanne
