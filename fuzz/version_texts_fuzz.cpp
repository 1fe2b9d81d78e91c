// What the web server answers: the version body, compared both ways with the editor's own, and
// the downloaded updater program's version resource.
#include <cstdint>
#include <string_view>

#include "update/file_version.h"
#include "update/version_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto version = korvanne::parseVersion(text);
    const auto newer = korvanne::IsNewerVersion(text, "1.19");
    const auto older = korvanne::IsNewerVersion("1.19", text);
    if (version.has_value() != newer.has_value() || newer.has_value() != older.has_value())
        __builtin_trap();
    if (newer && older && *newer && *older) __builtin_trap();  // never both newer and older
    korvanne::readFileVersion(text);
    return 0;
}
