#include "update/file_version.h"

namespace korvanne {

namespace {

std::uint32_t le32(std::string_view bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

}  // namespace

std::optional<FileVersion> readFileVersion(std::string_view bytes) {
    // VS_FIXEDFILEINFO: signature, structure version, file version MS, file version LS, ...
    constexpr std::uint32_t Signature = 0xFEEF04BD;
    constexpr std::size_t BlockSize = 52;
    if (bytes.size() < BlockSize) return std::nullopt;
    // The block is 32-bit aligned inside the resource.
    for (std::size_t at = 0; at + BlockSize <= bytes.size(); at += 4) {
        if (le32(bytes, at) != Signature) continue;
        const std::uint32_t structVersion = le32(bytes, at + 4);
        if ((structVersion >> 16) != 1) continue;
        const std::uint32_t ms = le32(bytes, at + 8);
        const std::uint32_t ls = le32(bytes, at + 12);
        return FileVersion{ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF};
    }
    return std::nullopt;
}

}  // namespace korvanne
