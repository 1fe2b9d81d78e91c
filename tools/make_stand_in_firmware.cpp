// Writes stand-ins for the maker's firmware images FIRMWARE_5 to FIRMWARE_13: the sizes the
// editor knows, a Cortex-M vector table (initial stack pointer 0x20005000, handlers odd and
// inside the image) and deterministic filler. Running it again reproduces the files byte for byte.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include "stand_in_files.h"
#include "transfer/bootloader_frames.h"
#include "transfer/firmware_image.h"

namespace {

struct StandIn {
    unsigned number;
    std::size_t byteCount;
};

constexpr StandIn kImages[] = {{5, 53840},  {6, 53640},  {7, 53700},  {8, 50720}, {9, 51152},
                               {10, 51472}, {11, 52376}, {12, 53136}, {13, 53152}};

// The vector table of a Cortex-M3: the stack pointer, then 15 system handlers and 43 interrupt
// handlers of the STM32F103.
constexpr std::size_t VectorCount = 1 + 15 + 43;

void putWord(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes[offset + std::size_t(i)] = std::uint8_t(word >> (8 * i));
}

std::vector<std::uint8_t> buildImage(const StandIn& image) {
    std::vector<std::uint8_t> bytes(image.byteCount, 0);
    putWord(bytes, 0, korvanne::firmware::StackTop);
    // The code starts after the table; each handler is a Thumb address (odd) in the image.
    const std::uint32_t codeStart = korvanne::boot::FlashStart + VectorCount * 4;
    putWord(bytes, 4, codeStart + 1);
    for (std::size_t v = 2; v < VectorCount; ++v) {
        // Reserved slots stay 0, as a linker leaves them.
        const bool reserved = (v >= 7 && v <= 10) || v == 13;
        putWord(bytes, v * 4, reserved ? 0 : codeStart + 0x40 + std::uint32_t(v) * 4 + 1);
    }
    std::uint32_t state = 0x464D5700u + image.number;
    for (std::size_t i = VectorCount * 4; i < bytes.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const auto folder = korvanne::tools::outputFolder(argc, argv, "firmware");
    if (!folder) return argc != 2 ? 2 : 1;
    bool ok = true;
    for (const StandIn& image : kImages) {
        const std::vector<std::uint8_t> bytes = buildImage(image);
        if (!korvanne::firmware::imageProblem(bytes).empty()) {
            std::cerr << "stand-in " << image.number << " fails the image check\n";
            return 1;
        }
        char name[32];
        std::snprintf(name, sizeof name, "FIRMWARE_%u", image.number);
        const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        ok = korvanne::tools::writeWhole(*folder / name, content, "bytes") && ok;
    }
    return ok ? 0 : 1;
}
