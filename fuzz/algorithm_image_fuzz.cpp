// An algorithm image: one line of hex text, decoded and read field by field.
#include <array>
#include <cstdint>
#include <string_view>

#include "transfer/algorithm_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto image = korvanne::AlgorithmImage::fromLine(line);
    image.command();
    image.lengthField();
    for (std::size_t k = 0; k <= korvanne::AlgorithmImage::AddressWords; ++k) image.addressWord(k);
    image.algorithmNumber();
    image.unreadWord();
    // A destination smaller than the line never overflows.
    std::array<std::uint8_t, 16> small{};
    const auto conversion = korvanne::convertImageLine(line, small);
    if (conversion.converted > small.size()) __builtin_trap();
    // The raw bytes read as an image too (files chosen by the user arrive that way).
    const korvanne::AlgorithmImage raw(std::vector<std::uint8_t>(data, data + size));
    raw.lengthField();
    raw.algorithmNumber();
    for (std::size_t k = 0; k <= korvanne::AlgorithmImage::AddressWords; ++k) raw.addressWord(k);
    return 0;
}
