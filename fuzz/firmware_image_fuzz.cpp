// A firmware image and the chooser item naming it, checked and planned as before an upgrade.
#include <cstdint>
#include <span>
#include <string_view>

#include "transfer/firmware_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    const std::string problem = korvanne::firmware::imageProblem(image);
    if (problem.empty()) {
        const auto plan = korvanne::firmware::planChunks(size);
        std::size_t total = 0;
        for (std::size_t i = 0; i < plan.chunkCount; ++i) total += plan.blockSize(i, size);
        if (total != size) __builtin_trap();
    }
    korvanne::firmware::versionFromItem(
        std::string_view(reinterpret_cast<const char*>(data), size < 16 ? size : 16));
    return 0;
}
