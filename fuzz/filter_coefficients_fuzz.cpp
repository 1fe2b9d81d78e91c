// The coefficient generator with any note, frequency, Q and gain, however unreasonable.
#include <cstdint>
#include <cstring>

#include "console/filter_coefficients.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double numbers[3] = {440.0, 1.41, 6.0};
    const std::size_t taken = size < sizeof numbers ? size : sizeof numbers;
    if (taken > 0) std::memcpy(numbers, data, taken);
    const auto& names = korvanne::filter::noteNames();
    const std::size_t note = size > taken ? data[taken] % names.size() : 0;
    korvanne::filter::coefficientTable(names[note], numbers[0], numbers[1], numbers[2]);
    korvanne::filter::coefficientTable(names[note],
                                       korvanne::filter::CalcNoteFrequency(static_cast<int>(note)),
                                       numbers[1], numbers[2], ",");
    return 0;
}
