// The settings memory dump as the poll collects it: the input is cut into reads of varying sizes,
// so a dump arriving in pieces, cut short or followed by other bytes is covered.
#include <cstdint>

#include "transfer/memory_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvanne::MemoryDumpCollector collector;
    std::size_t at = 0;
    std::size_t round = 0;
    while (at < size) {
        // Read sizes come from the input itself: 1 to 8,192 bytes, the larger the later.
        const std::size_t piece = 1 + (static_cast<std::size_t>(data[at]) << (round % 6));
        const std::size_t take = piece < size - at ? piece : size - at;
        const auto step = collector.feed(data + at, take);
        if (collector.content().size() > korvanne::MemoryDumpCollector::MemorySize)
            __builtin_trap();
        if (step == korvanne::MemoryDumpCollector::Step::Complete) {
            collector.erased();
            collector.reset();
        }
        at += take;
        ++round;
    }
    collector.erased();
    return 0;
}
