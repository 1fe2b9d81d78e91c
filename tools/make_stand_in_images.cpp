// Writes stand-ins for the maker's effect list and algorithm images: the fields the editor and
// the pedal rely on are right, the processor program is filler. Deterministic, so running it
// again reproduces the committed files byte for byte.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "stand_in_files.h"
#include "transfer/algorithm_image.h"

namespace {

using korvanne::AlgorithmImage;
using Words = std::array<std::uint16_t, AlgorithmImage::ParameterWords>;

struct StandIn {
    unsigned number;        // algorithm number, also in the resource name
    std::size_t byteCount;  // total image length
    std::uint16_t unreadWord;
    Words words;  // address words 0..20; the rest of the table is 0x0000
};

// Words 0-8: Dry, Sub Mix, -1 Oct, -2 Oct, Wave, Low Pass, High Pass, 1st Harmonic, Split;
// 9-11 unassigned; 12-20: Input Level, 1st Harmonic Pitch, Wave Clip, Dominant Notes Cut,
// High Notes Cut, Dry HPF, Limit Range UP, Noise Gate Status, Noise Gate Threshold.
// 0008 and 0013 are the maker's published tables; 0009-0012 are made up, with the parameters
// that came later (Dry HPF, Limit Range UP, the noise gate) still at 0x0000 in the older ones.
const std::array<StandIn, 7> kImages{{
    {8, 4640, 0x0005, {0x000B, 0x00E8, 0x0077, 0x0073, 0x0003, 0x00CC, 0x00DE,
                       0x00A0, 0x00E9, 0x004C, 0x005B, 0x0051, 0x000A, 0x006E,
                       0x00E7, 0x001B, 0x000C, 0x0000, 0x0000, 0x0000, 0x0000}},
    {9, 4672, 0x0005, {0x000D, 0x00EA, 0x0079, 0x0075, 0x0004, 0x00CE, 0x00E0,
                       0x00A2, 0x00EB, 0x004E, 0x005D, 0x0053, 0x000C, 0x0070,
                       0x00E6, 0x001C, 0x000E, 0x0000, 0x0000, 0x0000, 0x0000}},
    {10, 4544, 0x0005, {0x0011, 0x00E2, 0x0071, 0x0074, 0x0003, 0x00C4, 0x00D6,
                        0x009A, 0x00E3, 0x0046, 0x0055, 0x004B, 0x0010, 0x0068,
                        0x00E1, 0x0019, 0x000A, 0x0008, 0x0000, 0x0000, 0x0000}},
    {11, 4544, 0x0007, {0x001F, 0x00DA, 0x0069, 0x006C, 0x0002, 0x00BC, 0x00CA,
                        0x0090, 0x00DB, 0x003C, 0x004D, 0x0043, 0x0012, 0x0060,
                        0x00D9, 0x0018, 0x000B, 0x0007, 0x0000, 0x00C8, 0x0004}},
    {12, 4512, 0x0006, {0x0023, 0x000A, 0x0078, 0x007B, 0x0002, 0x00B3, 0x00C1,
                        0x0082, 0x00CD, 0x0031, 0x0045, 0x003B, 0x000E, 0x0056,
                        0x00CA, 0x001A, 0x000F, 0x0006, 0x0000, 0x00C0, 0x0003}},
    {13, 4352, 0x0009, {0x0027, 0x0007, 0x007D, 0x0080, 0x0002, 0x00AF, 0x00BD,
                        0x007E, 0x00C9, 0x002D, 0x0041, 0x0037, 0x000B, 0x0052,
                        0x00C6, 0x001D, 0x000E, 0x0006, 0xFF00, 0x00BC, 0x0003}},
    {14, 4352, 0x0009, {0x0027, 0x0007, 0x007D, 0x0080, 0x0002, 0x00AF, 0x00BD,
                        0x007E, 0x00C9, 0x002D, 0x0041, 0x0037, 0x000B, 0x0052,
                        0x00C6, 0x001D, 0x000E, 0x0006, 0xFF00, 0x00BC, 0x0003}},
}};

void putWord(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t word) {
    bytes[offset] = static_cast<std::uint8_t>(word >> 8);
    bytes[offset + 1] = static_cast<std::uint8_t>(word & 0xFF);
}

// The algorithm number as two bytes whose hex digits spell it in decimal: 14 -> 0x00 0x14.
std::uint16_t decimalDigitsWord(unsigned number) {
    std::uint16_t word = 0;
    for (int shift = 0; shift < 16; shift += 4, number /= 10) {
        word = static_cast<std::uint16_t>(word | (number % 10) << shift);
    }
    return word;
}

std::vector<std::uint8_t> buildImage(const StandIn& image) {
    std::vector<std::uint8_t> bytes(image.byteCount, 0);
    bytes[0] = AlgorithmImage::UploadCommand;
    putWord(bytes, AlgorithmImage::LengthOffset, static_cast<std::uint16_t>(image.byteCount));
    for (std::size_t k = 0; k < image.words.size(); ++k) {
        putWord(bytes, AlgorithmImage::AddressTableOffset + 2 * k, image.words[k]);
    }
    putWord(bytes, AlgorithmImage::AlgorithmNumberOffset, decimalDigitsWord(image.number));
    putWord(bytes, AlgorithmImage::UnreadWordOffset, image.unreadWord);
    // Filler for the processor program: a fixed linear congruential sequence per image.
    std::uint32_t state = 0x4B4D3300u + image.number;
    for (std::size_t i = AlgorithmImage::ProgramOffset; i < bytes.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

std::string toHexLine(const std::vector<std::uint8_t>& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string line;
    line.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        line.push_back(digits[b >> 4]);
        line.push_back(digits[b & 0xF]);
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    const auto folder = korvanne::tools::outputFolder(argc, argv, "effects");
    if (!folder) return argc != 2 ? 2 : 1;
    using korvanne::tools::writeWhole;
    bool ok = writeWhole(*folder / "OCTAVE", "Korvanne MK3 0014\r\n", "characters");
    for (const StandIn& image : kImages) {
        char name[32];
        std::snprintf(name, sizeof name, "KORVANNE_MK3_%04u", image.number);
        ok = writeWhole(*folder / name, toHexLine(buildImage(image)), "characters") && ok;
    }
    return ok ? 0 : 1;
}
