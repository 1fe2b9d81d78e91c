#include "device/ft_error_text.h"

#include <array>

namespace korvanne {

std::string FtErrorSuffix(FtStatus status) {
    // Rows 8 and 9 have no dash, as the pedal's users have always seen them.
    static constexpr std::array<const char*, 17> texts = {
        "",
        " - Invalid handle...",
        " - Device not found...",
        " - Device not opened...",
        " - General IO error...",
        " - Insufficient resources...",
        " - Invalid parameter...",
        " - Invalid baud rate...",
        " Device not opened for erase...",
        " Device not opened for write...",
        " - Failed to write...",
        " - EEPROM read failed...",
        " - EEPROM write failed...",
        " - EEPROM erase failed...",
        " - EEPROM not present...",
        " - EEPROM not programmed...",
        " - Invalid arguments...",
    };
    if (status < texts.size()) return texts[status];
    return " - Other error ...";
}

}  // namespace korvanne
