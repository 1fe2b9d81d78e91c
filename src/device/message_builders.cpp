#include "device/message_builders.h"

namespace korvanne::msg {

namespace {
void putWord(Message& m, std::uint32_t value) {
    m.push_back(std::uint8_t(value >> 8));
    m.push_back(std::uint8_t(value));
}
void putLong(Message& m, std::uint32_t value) {
    putWord(m, value >> 16);
    putWord(m, value);
}
}  // namespace

Message statusRequest() {
    return {0x02, 0x00};
}

Message parameterWrite(std::uint16_t address, std::uint32_t value) {
    Message m{0x01};
    putWord(m, address);
    putLong(m, value);
    return m;
}

Message storeParameters(const std::array<std::uint32_t, 9>& values) {
    Message m{0x03};
    for (std::uint32_t v : values) putLong(m, v);
    return m;
}

Message assign(const std::array<bool, 5>& flags, const std::array<std::uint16_t, 4>& addresses,
               std::uint16_t remoteCode) {
    Message m{0x04};
    for (bool f : flags) m.push_back(f ? 0x01 : 0x00);
    for (std::uint16_t a : addresses) putWord(m, a);
    putWord(m, remoteCode);
    return m;
}

Message firmwareUpgradeEntry() {
    return {0x05, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
}

Message midiChannel(std::uint8_t channel) {
    return {0x07, channel};
}

Message footswitchMode(std::uint8_t shortPress, std::uint8_t longPress) {
    return {0x08, shortPress, longPress};
}

Message setTuning(std::uint8_t index, int semitones) {
    return {0x09, index, std::uint8_t(semitones)};
}

Message noteFilter(std::uint8_t first, std::uint8_t second) {
    return {0x09, first, second};
}

Message eepromErase(std::uint8_t i2c) {
    return {0x0B, i2c, 0x00, 0x00, 0x00};
}

Message eepromRead(std::uint8_t i2c) {
    return {0x0C, i2c, 0x00, 0x00, 0x00, 0x00};
}

Message bypass(bool on) {
    return {0x0D, std::uint8_t(on ? 0x01 : 0x00)};
}

Message tuningData(std::span<const std::uint32_t> words) {
    Message m{0x0E};
    m.reserve(1 + words.size() * 4);
    for (std::uint32_t w : words) putLong(m, w);
    return m;
}

Message instrumentRange(std::uint8_t range) {
    Message m;
    if (range == RangeStandard) {
        m = {0x0F, RangeStandard, 0x01, 0x02, 0x03, 0x04, 0x05};
    } else if (range == RangeLow) {
        m = {0x0F, RangeLow, 0x02, 0x03, 0x04, 0x05, 0x06};
    } else {
        return {};
    }
    std::uint8_t sum = 0;
    for (std::uint8_t b : m) sum ^= b;
    m.push_back(sum);
    return m;
}

Message bypassStoring(bool store) {
    return {0x10, std::uint8_t(store ? 0x01 : 0xFF)};
}

Message rangeLimit(std::uint8_t status) {
    return {0x11, std::uint8_t(status == 1 ? 0x01 : 0xFF)};
}

}  // namespace korvanne::msg
