// A preset file as the user picks it: read, and when accepted written back, which must read
// back to the same values.
#include <cstdint>
#include <string_view>

#include "operations/preset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parse =
        korvanne::parsePresetFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parse.content) return 0;
    const auto& content = *parse.content;
    if (content.values.size() > static_cast<std::size_t>(korvanne::ParameterCount) ||
        content.fields.size() != content.values.size())
        __builtin_trap();
    for (const auto& field : content.fields) korvanne::ReverseBytePairs(field);
    return 0;
}
