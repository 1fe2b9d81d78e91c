#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvanne {

// The file version a Windows program carries in its version resource: four 16-bit numbers.
struct FileVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
    unsigned revision = 0;
};

// Finds the fixed file information block (signature 0xFEEF04BD, structure version 1.0) in the
// bytes of a program file and reads its file version; nothing when the file carries none.
// Searching for the block works on any platform, without the Windows version API.
std::optional<FileVersion> readFileVersion(std::string_view bytes);

}  // namespace korvanne
