#include "transfer/bootloader_frames.h"

namespace korvanne::boot {

std::array<std::uint8_t, 2> command(std::uint8_t code) {
    return {code, static_cast<std::uint8_t>(code ^ 0xFF)};
}

std::uint8_t AddressChecksum(std::uint32_t address) {
    return static_cast<std::uint8_t>((address >> 24) ^ (address >> 16) ^ (address >> 8) ^ address);
}

std::array<std::uint8_t, 5> addressGroup(std::uint32_t address) {
    return {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
            AddressChecksum(address)};
}

std::uint8_t DataChecksum(std::span<const std::uint8_t> data) {
    auto sum = static_cast<std::uint8_t>(data.size() - 1);
    for (std::uint8_t b : data) sum ^= b;
    return sum;
}

std::vector<std::uint8_t> dataGroup(std::span<const std::uint8_t> data) {
    if (data.empty() || data.size() > MaxBlock) return {};
    std::vector<std::uint8_t> group;
    group.reserve(data.size() + 2);
    group.push_back(static_cast<std::uint8_t>(data.size() - 1));
    group.insert(group.end(), data.begin(), data.end());
    group.push_back(DataChecksum(data));
    return group;
}

std::array<std::uint8_t, 10> versionRecordGroup(std::uint8_t firmware) {
    return {0x07, 0, 0, 0, 0, 0, 0, 0, firmware, static_cast<std::uint8_t>(0x07 ^ firmware)};
}

std::array<std::uint8_t, 2> globalEraseGroup() {
    return {0xFF, 0x00};
}

std::array<std::uint8_t, 2> readCountGroup(std::size_t count) {
    const auto n = static_cast<std::uint8_t>(count - 1);
    return {n, static_cast<std::uint8_t>(n ^ 0xFF)};
}

}  // namespace korvanne::boot
