#pragma once

#include <QByteArray>

namespace korvanne::test {

// After a status reply the effect window echoes what changed on its controls, as the pedal
// holds it: the bypass (0D 00 or 0D 01) and the switches, list and check boxes as 7-byte
// parameter writes (01, address, value); knobs send nothing. Drops those from the end of what the pedal received, so a test can check what
// the operation itself sent last.
inline QByteArray withoutParameterEcho(QByteArray bytes) {
    constexpr int WriteSize = 7;
    for (;;) {
        const qsizetype n = bytes.size();
        if (n >= WriteSize && bytes.at(n - WriteSize) == 0x01) {
            bytes.chop(WriteSize);
        } else if (n >= 2 && bytes.at(n - 2) == 0x0D &&
                   (bytes.at(n - 1) == 0 || bytes.at(n - 1) == 1)) {
            bytes.chop(2);
        } else {
            return bytes;
        }
    }
}

}  // namespace korvanne::test
