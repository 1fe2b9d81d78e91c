#include "sim/pedal_state.h"

namespace korvanne {

namespace param {

std::optional<int> addressWord(int parameter) {
    if (parameter < 0 || parameter >= Count || parameter == Range) return std::nullopt;
    // Words 9 to 11 belong to no parameter, so the assignable ones start at word 12.
    return parameter < Range ? parameter : parameter + 2;
}

std::optional<int> reportedSteps(int parameter) {
    switch (parameter) {
        case LowPass:
            return 24;
        case HighPass:
            return 16;
        case Range:
            return 22;
        default:
            return std::nullopt;
    }
}

}  // namespace param

AddressTable defaultAddressTable() {
    // The words of the most recent algorithm whose table is known (0013).
    static constexpr std::uint16_t used[21] = {
        0x0027, 0x0007, 0x007D, 0x0080, 0x0002, 0x00AF, 0x00BD, 0x007E, 0x00C9, 0x002D, 0x0041,
        0x0037, 0x000B, 0x0052, 0x00C6, 0x001D, 0x000E, 0x0006, 0xFF00, 0x00BC, 0x0003};
    AddressTable table{};
    for (int i = 0; i < 21; ++i) table[i] = used[i];
    return table;
}

PedalState::PedalState() {
    // A plausible factory sound: knobs half way, filters open, switches off.
    using namespace param;
    constexpr std::uint32_t half = 0x00400000, full = 0x007FE000;
    values[Dry] = half;
    values[SubMix] = half;
    values[Minus1Oct] = half;
    values[Minus2Oct] = 0;
    values[Wave] = 0x00400000;
    values[LowPass] = full;
    values[HighPass] = 0;
    values[FirstHarmonic] = 0;
    values[Split] = 0;
    values[Range] = full;
    values[InputLevel] = half;
    values[HarmonicPitch] = 0x00400000;
    values[WaveClip] = full;
    values[NoiseGateThreshold] = 0x00200000;
    // Stored settings are not blank until the memory is erased.
    settingsMemory.fill(0x00);
}

std::optional<std::uint16_t> parameterAddress(const PedalState& state, int parameter) {
    // Range has no word in the table; the editor writes it to address 0000, so it lives there.
    if (parameter == param::Range) return RangeAddress;
    const auto word = param::addressWord(parameter);
    if (!word) return std::nullopt;
    return state.addresses[static_cast<std::size_t>(*word)];
}

}  // namespace korvanne
