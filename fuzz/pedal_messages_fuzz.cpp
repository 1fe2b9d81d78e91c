// Whatever a client sends the simulated pedal, byte by byte, with the time moving on between bytes
// so incomplete commands are given up as they are on the line.
#include <cstdint>
#include <vector>

#include "sim/pedal_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvanne::PedalOptions options;
    options.pacing = false;
    // The first byte picks where the pedal starts, so the bootloader side is reached too.
    if (size > 0) {
        options.startInBootloader = (data[0] & 1) != 0;
        ++data;
        --size;
    }
    korvanne::PedalModel pedal(options);
    std::int64_t nowUs = 0;
    std::vector<std::uint8_t> answer(4096);
    for (std::size_t i = 0; i < size; ++i) {
        pedal.receive(data + i, 1, nowUs);
        nowUs += (data[i] == 0x7F) ? 300'000 : 100;  // a pause now and then
        while (pedal.available(nowUs) > 0) pedal.take(answer.data(), answer.size(), nowUs);
    }
    nowUs += 10'000'000;
    while (pedal.available(nowUs) > 0) pedal.take(answer.data(), answer.size(), nowUs);
    return 0;
}
