#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "sim/line_settings.h"

namespace korvanne {

// The serial line between the bridge and the pedal, both directions: a byte takes its bits'
// time at the line's baud rate, and bytes leave one after another in order. All times come from
// the caller; the line has no clock of its own. With pacing off, bytes cross in no time.
class PacedLine {
public:
    void setLine(const LineSettings& line) { line_ = line; }
    const LineSettings& line() const { return line_; }
    void setPacing(bool on) { pacing_ = on; }
    bool pacing() const { return pacing_; }

    // Time in ns for one byte on the wire at the current settings (0 with pacing off).
    std::int64_t byteNs() const;

    // Towards the pedal: the moment (ns) the next byte, handed over at nowUs, has fully arrived.
    std::int64_t inboundByte(std::int64_t nowUs);

    // From the pedal: queues bytes that start leaving no earlier than earliestNs.
    void send(const std::uint8_t* data, std::size_t size, std::int64_t earliestNs);
    // The moment (ns) the last queued byte has crossed, or will have.
    std::int64_t outboundFreeNs() const { return outFreeNs_; }

    // Bytes that have crossed by nowUs and not been taken yet.
    std::size_t available(std::int64_t nowUs) const;
    std::size_t take(std::uint8_t* buffer, std::size_t max, std::int64_t nowUs);
    // When the next queued byte will have crossed, if that is after nowUs.
    std::optional<std::int64_t> nextAfter(std::int64_t nowUs) const;
    // Drops what has crossed by nowUs; bytes still on the wire arrive later, as on a real line.
    void purgeArrived(std::int64_t nowUs);
    void clear();

private:
    struct Pending {
        std::uint8_t byte;
        std::int64_t readyUs;
    };
    std::deque<Pending>::const_iterator firstNotReady(std::int64_t nowUs) const;

    LineSettings line_;
    bool pacing_ = true;
    std::int64_t inFreeNs_ = 0;
    std::int64_t outFreeNs_ = 0;
    std::deque<Pending> out_;
};

}  // namespace korvanne
