#pragma once

#include <cstdint>
#include <set>

#include "effect/parameter_catalogue.h"

namespace korvanne::test {

// The first knob value from `fromStep` on that no knob position encodes: a knob shows it at a
// position whose encoding is another value.
inline std::uint32_t betweenPositions(int fromStep) {
    std::set<int> encoded;
    for (int p = 0; p < KnobPositions; ++p)
        encoded.insert(EncodeKnob(knobAngleFromPosition(p)).step);
    while (encoded.count(fromStep)) ++fromStep;
    return std::uint32_t(fromStep) << 13;
}

}  // namespace korvanne::test
