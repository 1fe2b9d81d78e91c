#pragma once

#include <QString>
#include <cstdint>

#include "device/hex_text.h"

namespace korvanne {

// hex2 and hex8 (device/hex_text.h) as QString, for log lines and labels.
inline QString qhex2(std::uint32_t value) {
    return QString::fromStdString(hex2(value));
}
inline QString qhex8(std::uint32_t value) {
    return QString::fromStdString(hex8(value));
}

}  // namespace korvanne
