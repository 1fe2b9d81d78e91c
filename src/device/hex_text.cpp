#include "device/hex_text.h"

#include <algorithm>

namespace korvanne {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte of pair `i`, or -1 when the pair is not hexadecimal.
int pairValue(std::string_view text, std::size_t i) {
    const int high = hexDigit(text[2 * i]);
    const int low = hexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return -1;
    return high * 16 + low;
}

std::string hexDigits(std::uint32_t value, int minDigits) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(out.size()) < minDigits) out.insert(0, minDigits - out.size(), '0');
    return out;
}

}  // namespace

std::size_t hexTextToBytes(std::string_view text, std::uint8_t* buffer, std::size_t count) {
    const std::size_t pairs = std::min(text.size() / 2, count);
    for (std::size_t i = 0; i < pairs; ++i) {
        const int value = pairValue(text, i);
        if (value < 0) return i;
        buffer[i] = static_cast<std::uint8_t>(value);
    }
    return pairs;
}

std::optional<std::vector<std::uint8_t>> HexToBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes(text.size() / 2);
    if (hexTextToBytes(text, bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
    return bytes;
}

std::vector<std::uint8_t> HexToByteString(std::string_view text) {
    std::vector<std::uint8_t> bytes(text.size() / 2, 0);
    hexTextToBytes(text, bytes.data(), bytes.size());
    return bytes;
}

std::uint8_t XorChecksum(std::string_view text, std::size_t n) {
    std::vector<std::uint8_t> bytes(std::min(n, text.size() / 2));
    const std::size_t converted = hexTextToBytes(text, bytes.data(), bytes.size());
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < converted; ++i) sum ^= bytes[i];
    return sum;
}

bool isHexText(std::string_view text) {
    return text.size() % 2 == 0 &&
           std::all_of(text.begin(), text.end(), [](char c) { return hexDigit(c) >= 0; });
}

std::string hex2(std::uint32_t value) {
    return hexDigits(value, 2);
}
std::string hex4(std::uint32_t value) {
    return hexDigits(value, 4);
}
std::string hex8(std::uint32_t value) {
    return hexDigits(value, 8);
}

std::string hexText(const std::vector<std::uint8_t>& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

}  // namespace korvanne
