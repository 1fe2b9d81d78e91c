#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace korvanne {

class Clock;
class SimTransport;

// The bytes of a built-in algorithm image ("Korvanne_MK3_0014" and the like); empty when the
// program carries no such image.
std::vector<std::uint8_t> builtInAlgorithmImage(int algorithm);

// One simulated pedal running the newest built-in algorithm, as `--simulate` offers it.
std::unique_ptr<SimTransport> makeBuiltInSimulatedPedal(Clock& clock);

}  // namespace korvanne
