#include "transfer/effect_catalogue.h"

namespace korvanne {

namespace {

void replaceAll(std::string& text, char from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == from) {
            out.append(to);
        } else {
            out.push_back(c);
        }
    }
    text = std::move(out);
}

}  // namespace

std::string EffectResourceName(std::string_view effectName) {
    std::string name(effectName);
    replaceAll(name, ' ', "_");
    replaceAll(name, '-', "_");
    replaceAll(name, '+', "plus");
    replaceAll(name, 'X', "mult");
    return name;
}

std::optional<std::uint32_t> LatestAlgorithmNumberFrom(std::string_view firstItem) {
    constexpr std::size_t first = 12;  // character 13, counting from 1
    constexpr std::size_t count = 5;
    if (firstItem.size() <= first) return std::nullopt;
    std::string_view digits = firstItem.substr(first, count);
    while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
    return decimalFromDigits(digits);
}

AlgorithmCheck checkDeviceAlgorithm(std::string_view deviceAlgorithm,
                                    std::uint32_t latestAlgorithmNumber) {
    const auto device = decimalFromDigits(deviceAlgorithm);
    if (!device) return AlgorithmCheck::NotANumber;
    return *device >= latestAlgorithmNumber ? AlgorithmCheck::Current : AlgorithmCheck::Older;
}

}  // namespace korvanne
