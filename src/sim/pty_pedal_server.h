#pragma once

#include <cstdint>
#include <cstdio>

namespace korvanne {

class PedalModel;
class PtyPort;

struct ServeOptions {
    // The pseudo-terminal cannot tell what baud rate the client set, so pacing uses this one.
    std::uint32_t baud = 115200;
    // Stop when standard input reaches its end (the parent went away).
    bool watchStdin = true;
    // Every byte received is written here as it arrives, when set.
    std::FILE* record = nullptr;
};

// Serves one simulated pedal on a pseudo-terminal in real time until standard input closes or
// the pedal's cable is pulled. Returns the program's exit code.
int servePedal(PedalModel& pedal, PtyPort& port, const ServeOptions& options);

}  // namespace korvanne
