#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Firmware images for the pedal's microcontroller: the version a chooser item names, how an
// image splits into 256-byte blocks, and the checks made before anything is erased.
namespace korvanne::firmware {

inline constexpr std::uint32_t StackTop = 0x20005000;  // end of the microcontroller's 20 KB RAM
inline constexpr std::uint32_t RamStart = 0x20000000;
inline constexpr std::size_t ChunkSize = 256;
inline constexpr std::size_t MaxChunks = 512;

// "Firmware_13" gives 13: a text of 10 to 12 characters names the number in its characters from
// the 10th on. Other lengths, or characters there that are not decimal digits, give none.
std::optional<int> versionFromItem(std::string_view itemText);

struct ChunkPlan {
    std::size_t fullChunks = 0;     // whole 256-byte chunks
    std::size_t lastChunkSize = 0;  // size modulo 256
    std::size_t chunkCount = 0;     // blocks written: a short last chunk adds one
    // Bytes in block i (256 but for a short last one).
    std::size_t blockSize(std::size_t i, std::size_t byteCount) const {
        return std::min(ChunkSize, byteCount - i * ChunkSize);
    }
};
ChunkPlan planChunks(std::size_t byteCount);

// Why the image must not be written, or empty when it may: it holds something, ends below the
// version record, and starts with a plausible vector table (stack pointer in RAM, word-aligned;
// reset handler odd, as Thumb code needs, and inside the image).
std::string imageProblem(std::span<const std::uint8_t> image);

// Little-endian 32-bit word at offset (the vector table's byte order).
std::uint32_t wordAt(std::span<const std::uint8_t> image, std::size_t offset);

}  // namespace korvanne::firmware
