#pragma once

#include <cstdint>
#include <string>

namespace korvanne {

// Status codes of the FTDI D2XX library; every transport call returns one.
using FtStatus = std::uint32_t;

namespace ft {
inline constexpr FtStatus OK = 0;
inline constexpr FtStatus INVALID_HANDLE = 1;
inline constexpr FtStatus DEVICE_NOT_FOUND = 2;
inline constexpr FtStatus DEVICE_NOT_OPENED = 3;
inline constexpr FtStatus IO_ERROR = 4;
inline constexpr FtStatus INSUFFICIENT_RESOURCES = 5;
inline constexpr FtStatus INVALID_PARAMETER = 6;
inline constexpr FtStatus INVALID_BAUD_RATE = 7;
inline constexpr FtStatus OTHER_ERROR = 18;
// Not a library status: the serial backend's own, for a bridge the user has no right to open, so
// the report can say how to get that right instead of a bare "not opened".
inline constexpr FtStatus NO_PERMISSION = 0x100;

// Purge masks.
inline constexpr std::uint32_t PURGE_RX = 1;
inline constexpr std::uint32_t PURGE_TX = 2;

// Data characteristics in the library's own codes.
inline constexpr std::uint8_t BITS_8 = 8;
inline constexpr std::uint8_t STOP_BITS_1 = 0;
inline constexpr std::uint8_t STOP_BITS_2 = 2;
inline constexpr std::uint8_t PARITY_NONE = 0;
inline constexpr std::uint8_t PARITY_ODD = 1;
inline constexpr std::uint8_t PARITY_EVEN = 2;
}  // namespace ft

}  // namespace korvanne
