#include "transfer/firmware_image.h"

#include "device/hex_text.h"
#include "transfer/bootloader_frames.h"

namespace korvanne::firmware {

std::optional<int> versionFromItem(std::string_view itemText) {
    if (itemText.size() < 10 || itemText.size() > 12) return std::nullopt;
    int value = 0;
    for (char c : itemText.substr(9)) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

ChunkPlan planChunks(std::size_t byteCount) {
    ChunkPlan plan;
    plan.fullChunks = byteCount / ChunkSize;
    plan.lastChunkSize = byteCount % ChunkSize;
    plan.chunkCount = plan.fullChunks + (plan.lastChunkSize > 0 ? 1 : 0);
    return plan;
}

std::uint32_t wordAt(std::span<const std::uint8_t> image, std::size_t offset) {
    return std::uint32_t(image[offset]) | std::uint32_t(image[offset + 1]) << 8 |
           std::uint32_t(image[offset + 2]) << 16 | std::uint32_t(image[offset + 3]) << 24;
}

std::string imageProblem(std::span<const std::uint8_t> image) {
    if (image.size() < 8) {
        return "it holds " + std::to_string(image.size()) + " bytes, too few for a firmware image";
    }
    if (image.size() > boot::MaxImageSize) {
        return "it holds " + std::to_string(image.size()) + " bytes and would overwrite the " +
               "version record at 0x" + hex8(boot::VersionRecordAddress) + " (at most " +
               std::to_string(boot::MaxImageSize) + " bytes fit)";
    }
    const std::uint32_t stack = wordAt(image, 0);
    if (stack <= RamStart || stack > StackTop || stack % 4 != 0) {
        return "its initial stack pointer 0x" + hex8(stack) + " is not inside the RAM";
    }
    const std::uint32_t reset = wordAt(image, 4);
    const std::uint32_t end = boot::FlashStart + static_cast<std::uint32_t>(image.size());
    if (reset % 2 == 0 || reset < boot::FlashStart || reset >= end) {
        return "its reset handler 0x" + hex8(reset) + " is not odd code inside the image";
    }
    return {};
}

}  // namespace korvanne::firmware
