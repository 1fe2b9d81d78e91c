#include "device/message_builders.h"

#include "device/hex_text.h"

namespace korvanne::msg {

namespace {
std::string byteText(std::uint32_t value) {
    return hex2(value & 0xFF);
}
std::string wordText(std::uint32_t value) {
    return hex4(value & 0xFFFF);
}
}  // namespace

std::string statusRequest() {
    return "0200";
}

std::string parameterWrite(std::uint16_t address, std::uint32_t value) {
    return "01" + wordText(address) + hex8(value);
}

std::string storeParameters(const std::array<std::uint32_t, 9>& values) {
    std::string text = "03";
    for (std::uint32_t v : values) text += hex8(v);
    return text;
}

std::string assign(const std::array<bool, 5>& flags, const std::array<std::uint16_t, 4>& addresses,
                   std::uint16_t remoteCode) {
    std::string text = "04";
    for (bool f : flags) text += f ? "01" : "00";
    for (std::uint16_t a : addresses) text += wordText(a);
    return text + wordText(remoteCode);
}

std::string firmwareUpgradeEntry() {
    return "0500010203040506";
}

std::string midiChannel(std::uint8_t channel) {
    return "07" + byteText(channel);
}

std::string footswitchMode(std::uint8_t shortPress, std::uint8_t longPress) {
    return "08" + byteText(shortPress) + byteText(longPress);
}

std::string setTuning(std::uint8_t index, int semitones) {
    return "09" + byteText(index) + byteText(static_cast<std::uint32_t>(semitones));
}

std::string noteFilter(std::uint8_t first, std::uint8_t second) {
    return "09" + byteText(first) + byteText(second);
}

std::string eepromErase(std::uint8_t i2c) {
    return "0B" + byteText(i2c) + "00" + "0000";
}

std::string eepromRead(std::uint8_t i2c) {
    return "0C" + byteText(i2c) + "0000" + "0000";
}

std::string bypass(bool on) {
    return on ? "0D01" : "0D00";
}

std::string tuningData(std::string_view tableHex) {
    return "0E" + std::string(tableHex);
}

std::string instrumentRange(std::uint8_t range) {
    std::string text;
    if (range == RangeStandard) {
        text = "0FFF0102030405";
    } else if (range == RangeLow) {
        text = "0FBA0203040506";
    } else {
        return {};
    }
    return text + hex2(XorChecksum(text, 7));
}

std::string bypassStoring(bool store) {
    return store ? "1001" : "10FF";
}

std::string rangeLimit(std::uint8_t status) {
    return status == 1 ? "1101" : "11FF";
}

std::string bootloaderSync() {
    return "7F";
}

}  // namespace korvanne::msg
