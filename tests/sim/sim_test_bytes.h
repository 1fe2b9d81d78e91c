#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

#include "sim/pedal_model.h"

namespace korvanne::test {

// Bytes from hex text such as "0F BA 02"; blanks are skipped.
inline QByteArray hexBytes(const char* text) {
    return QByteArray::fromHex(QByteArray(text));
}

inline std::size_t feed(PedalModel& pedal, const QByteArray& bytes, std::int64_t nowUs = 0) {
    return pedal.receive(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()), nowUs);
}

// Everything the pedal has sent by nowUs.
inline QByteArray drain(PedalModel& pedal, std::int64_t nowUs = 0) {
    QByteArray out(static_cast<qsizetype>(pedal.available(nowUs)), '\0');
    const std::size_t n = pedal.take(reinterpret_cast<std::uint8_t*>(out.data()),
                                     static_cast<std::size_t>(out.size()), nowUs);
    out.truncate(static_cast<qsizetype>(n));
    return out;
}

// A small algorithm image: 00, length, sixty address words, the number as two bytes whose hex
// digits spell it, two bytes the editor does not read, then some program bytes.
inline QByteArray syntheticImage(const std::array<std::uint16_t, 60>& words,
                                 std::uint16_t numberDigits, int programBytes = 16,
                                 int lengthField = -1) {
    QByteArray image;
    const int size = 127 + programBytes;
    const int length = lengthField < 0 ? size : lengthField;
    image.append(char(0x00));
    image.append(char(length >> 8));
    image.append(char(length & 0xFF));
    for (std::uint16_t w : words) {
        image.append(char(w >> 8));
        image.append(char(w & 0xFF));
    }
    image.append(char(numberDigits >> 8));
    image.append(char(numberDigits & 0xFF));
    image.append(char(0x00));
    image.append(char(0x09));
    for (int i = 0; i < programBytes; ++i) image.append(char(0xA0 + i % 16));
    return image;
}

}  // namespace korvanne::test
