#pragma once

#include <cstdint>
#include <string>

namespace korvanne::test {

// A stand-in updater program: some bytes, then the fixed file information block at an aligned
// offset, as a Windows program carries it in its version resource.
inline std::string programWithVersion(unsigned major, unsigned minor, unsigned build = 0,
                                      unsigned revision = 0, std::size_t offset = 64) {
    std::string bytes(offset, 'M');
    auto put32 = [&bytes](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(char((v >> (8 * i)) & 0xFF));
    };
    put32(0xFEEF04BD);
    put32(0x00010000);
    put32((major << 16) | minor);
    put32((build << 16) | revision);
    for (int i = 0; i < 9; ++i) put32(0);
    bytes.append(32, 'Z');
    return bytes;
}

}  // namespace korvanne::test
