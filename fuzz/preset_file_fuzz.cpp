// A preset file as the user picks it: read, and when accepted written back, which must read
// back to the same values.
#include <cstdint>
#include <string>
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

    // Lines the file lacks keep the records' values; zero stands for them here.
    korvanne::ParameterValues values{};
    for (std::size_t i = 0; i < content.values.size(); ++i) values[i] = content.values[i];
    const std::string written = korvanne::presetFileBytes(values);
    if (written.size() != korvanne::PresetFileSize) __builtin_trap();
    const auto back = korvanne::parsePresetFile(written);
    if (!back.content ||
        back.content->values.size() != static_cast<std::size_t>(korvanne::ParameterCount))
        __builtin_trap();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (back.content->values[i] != values[i]) __builtin_trap();
    }
    return 0;
}
