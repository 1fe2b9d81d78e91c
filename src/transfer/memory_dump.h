#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvanne {

// Collects the pedal's settings memory dump (the marker 0xAB, then 16,384 bytes in address order)
// from the reads of the poll. A read that starts with the marker begins a dump; the reads after
// it continue the dump until every byte is in. The content holds only bytes that were received.
class MemoryDumpCollector {
public:
    static constexpr std::uint8_t Marker = 0xAB;
    static constexpr std::size_t MemorySize = 16384;
    static constexpr std::uint8_t ErasedByte = 0xFF;

    enum class Step {
        Ignored,     // not part of a dump: nothing was collecting and the read had no marker
        Collecting,  // part of a dump; more bytes are due
        Complete,    // the dump's last byte came with this read
    };

    // Takes one read. Bytes after a completed dump are not part of it (see surplus()).
    Step feed(const std::uint8_t* data, std::size_t size);
    Step feed(const std::vector<std::uint8_t>& read) { return feed(read.data(), read.size()); }

    bool collecting() const { return collecting_; }
    // The memory's bytes received so far (all of them once complete).
    const std::vector<std::uint8_t>& content() const { return content_; }
    // Bytes that followed the dump in the read that completed it.
    std::size_t surplus() const { return surplus_; }
    // True when the whole memory arrived and every byte reads 0xFF.
    bool erased() const;
    // Forgets the dump (given up, or judged).
    void reset();

private:
    bool collecting_ = false;
    std::vector<std::uint8_t> content_;
    std::size_t surplus_ = 0;
};

}  // namespace korvanne
