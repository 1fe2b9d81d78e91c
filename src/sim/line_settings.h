#pragma once

#include <cstdint>

namespace korvanne {

// Serial line settings as the bridge is told them, in the D2XX library's own codes
// (stop bits: 0 one, 2 two; parity: 0 none, 1 odd, 2 even, ...).
struct LineSettings {
    std::uint32_t baud = 115200;
    std::uint8_t wordLength = 8;
    std::uint8_t stopBits = 0;
    std::uint8_t parity = 0;

    bool operator==(const LineSettings&) const = default;
};

// Bits one byte takes on the wire: start bit, data bits, parity bit if any, stop bits.
inline int bitsPerByte(const LineSettings& line) {
    return 1 + line.wordLength + (line.parity != 0 ? 1 : 0) + (line.stopBits == 2 ? 2 : 1);
}

}  // namespace korvanne
