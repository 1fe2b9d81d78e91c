#include "sim/paced_line.h"

#include <algorithm>

namespace korvanne {

namespace {
std::int64_t ceilToUs(std::int64_t ns) {
    return (ns + 999) / 1000;
}
}  // namespace

std::int64_t PacedLine::byteNs() const {
    if (!pacing_ || line_.baud == 0) return 0;
    const std::int64_t bits = bitsPerByte(line_);
    return (bits * 1'000'000'000 + line_.baud / 2) / line_.baud;
}

std::int64_t PacedLine::inboundByte(std::int64_t nowUs) {
    inFreeNs_ = std::max(inFreeNs_, nowUs * 1000) + byteNs();
    return inFreeNs_;
}

void PacedLine::send(const std::uint8_t* data, std::size_t size, std::int64_t earliestNs) {
    const std::int64_t step = byteNs();
    std::int64_t at = std::max(outFreeNs_, earliestNs);
    for (std::size_t i = 0; i < size; ++i) {
        at += step;
        out_.push_back({data[i], ceilToUs(at)});
    }
    outFreeNs_ = at;
}

std::deque<PacedLine::Pending>::const_iterator PacedLine::firstNotReady(std::int64_t nowUs) const {
    // Ready times never decrease along the queue (a line is first in, first out).
    return std::upper_bound(out_.begin(), out_.end(), nowUs,
                            [](std::int64_t t, const Pending& p) { return t < p.readyUs; });
}

std::size_t PacedLine::available(std::int64_t nowUs) const {
    return static_cast<std::size_t>(firstNotReady(nowUs) - out_.begin());
}

std::size_t PacedLine::take(std::uint8_t* buffer, std::size_t max, std::int64_t nowUs) {
    std::size_t n = 0;
    while (n < max && !out_.empty() && out_.front().readyUs <= nowUs) {
        buffer[n++] = out_.front().byte;
        out_.pop_front();
    }
    return n;
}

std::optional<std::int64_t> PacedLine::nextAfter(std::int64_t nowUs) const {
    const auto it = firstNotReady(nowUs);
    if (it == out_.end()) return std::nullopt;
    return it->readyUs;
}

void PacedLine::purgeArrived(std::int64_t nowUs) {
    out_.erase(out_.begin(), firstNotReady(nowUs));
}

void PacedLine::clear() {
    out_.clear();
}

}  // namespace korvanne
