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
    if (status == ft::NO_PERMISSION) {
        return " - No permission to open the pedal's USB bridge. Install the Korvanne Editor "
               "package, whose udev rule gives the user at the computer access, then unplug the "
               "pedal and plug it in again. Or join the \"dialout\" group (sudo adduser $USER "
               "dialout), then log out and log in again.";
    }
    return " - Other error ...";
}

}  // namespace korvanne
