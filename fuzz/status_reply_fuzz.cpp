// The pedal's status reply, as the link collects and parses it.
#include <cstdint>

#include "device/status_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto entries = korvanne::parseStatusReply(data, size);
    const std::size_t complete = korvanne::completeStatusEntries(data, size);
    if (complete != entries.size()) __builtin_trap();
    korvanne::statusReplyLogLines(entries, entries.size());
    return 0;
}
