#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "device/transport.h"

namespace korvanne {

class Dialogs;

// The one connection to the pedal's USB bridge: listing, opening by serial number, the line
// settings, the shared transmit and receive buffers, and the error report for failed calls.
// Every device message of the program passes through here.
class D2xxUnit {
public:
    static constexpr std::uint32_t BufferSize = 65536;
    static constexpr std::uint32_t SerialOpenLimit = 49;  // characters kept for an open

    D2xxUnit(Transport& transport, Dialogs& dialogs);

    Transport& transport() { return transport_; }

    // Listing.
    FtStatus GetFTDeviceCount();                           // sets FTDeviceCount
    FtStatus GetFTDeviceSerialNo(std::uint32_t index);     // sets FT_Device_String
    FtStatus GetFTDeviceDescription(std::uint32_t index);  // sets FT_Device_String

    // Opening and closing. The handle value stays after a close, as the library leaves it.
    FtStatus Open_USB_Device_By_Serial_Number(const std::string& serial);
    FtStatus CloseFTDevice();
    bool isOpen() const { return open_; }

    // Moving bytes. Reads take exactly what is waiting, at most the buffer; they return the count
    // read (0 when the queue status fails). Writes send `count` bytes from the start of TxBuffer.
    std::uint32_t ReadFTDevice(std::uint32_t requested = BufferSize);
    std::uint32_t WriteFTDevice(std::uint32_t count);

    // Line settings: mode 0 normal (no parity), mode 2 bootloader (even parity); 115200 baud,
    // 8 data bits, 1 stop bit in both. Other modes leave the parity as it is.
    void SetLineParameters(int mode);
    FtStatus SetFTBaudRate();
    FtStatus SetFTDataCharacteristics();

    FtStatus PurgeFTReceive();
    FtStatus PurgeFTTransmit();
    FtStatus GetFTQueueStatus();  // sets RxQueueCount

    // Shows "<tag><status text>" in a message box when reporting is on and status is not 0.
    void ReportFTError(const QString& tag, FtStatus status);

    // Public state, named as the rest of the program knows it.
    FtHandle FTHandle = 0;
    std::array<std::uint8_t, BufferSize> TxBuffer{};
    std::array<std::uint8_t, BufferSize> RxBuffer{};
    std::uint32_t RxQueueCount = 0;
    std::uint32_t FTDeviceCount = 0;
    std::string FT_Device_String;
    std::uint32_t BaudRate = 115200;
    std::uint8_t WordLength = 8;
    std::uint8_t StopBits = 0;
    std::uint8_t Parity = 0;
    bool ErrorReportEnabled = false;

private:
    Transport& transport_;
    Dialogs& dialogs_;
    bool open_ = false;
};

}  // namespace korvanne
