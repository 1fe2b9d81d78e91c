#include "transfer/memory_dump.h"

#include <algorithm>

namespace korvanne {

MemoryDumpCollector::Step MemoryDumpCollector::feed(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return collecting_ ? Step::Collecting : Step::Ignored;
    if (!collecting_) {
        if (data[0] != Marker) return Step::Ignored;
        reset();
        collecting_ = true;
        content_.reserve(MemorySize);
        ++data;
        --size;
    }
    const std::size_t take = std::min(size, MemorySize - content_.size());
    content_.insert(content_.end(), data, data + take);
    if (content_.size() < MemorySize) return Step::Collecting;
    surplus_ = size - take;
    collecting_ = false;
    return Step::Complete;
}

bool MemoryDumpCollector::erased() const {
    return content_.size() == MemorySize &&
           std::all_of(content_.begin(), content_.end(),
                       [](std::uint8_t b) { return b == ErasedByte; });
}

void MemoryDumpCollector::reset() {
    collecting_ = false;
    content_.clear();
    surplus_ = 0;
}

}  // namespace korvanne
