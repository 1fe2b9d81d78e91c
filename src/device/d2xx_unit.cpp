#include "device/d2xx_unit.h"

#include <algorithm>

#include "core/dialogs.h"
#include "device/ft_error_text.h"

namespace korvanne {

namespace {
// The library fills fixed text buffers; what it gives is the text up to the first zero byte.
std::string upToZero(const std::string& text) {
    return text.substr(0, text.find('\0'));
}
}  // namespace

D2xxUnit::D2xxUnit(Transport& transport, Dialogs& dialogs)
    : transport_(transport), dialogs_(dialogs) {}

FtStatus D2xxUnit::GetFTDeviceCount() {
    std::uint32_t count = 0;
    const FtStatus status = transport_.deviceCount(count);
    if (status == ft::OK) {
        FTDeviceCount = count;
    } else {
        ReportFTError("GetFTDeviceCount", status);
    }
    return status;
}

FtStatus D2xxUnit::GetFTDeviceSerialNo(std::uint32_t index) {
    std::string serial;
    const FtStatus status = transport_.serialNumber(index, serial);
    if (status == ft::OK) {
        FT_Device_String = upToZero(serial);
    } else {
        ReportFTError("GetFTDeviceSerialNo", status);
    }
    return status;
}

FtStatus D2xxUnit::GetFTDeviceDescription(std::uint32_t index) {
    std::string description;
    const FtStatus status = transport_.description(index, description);
    if (status == ft::OK) {
        FT_Device_String = upToZero(description);
    } else {
        ReportFTError("GetFTDeviceDescription", status);
    }
    return status;
}

FtStatus D2xxUnit::Open_USB_Device_By_Serial_Number(const std::string& serial) {
    // The open call takes at most 49 characters of the serial number.
    const std::string cut = upToZero(serial).substr(0, SerialOpenLimit);
    FtHandle handle = 0;
    const FtStatus status = transport_.openBySerialNumber(cut, handle);
    if (status == ft::OK) {
        FTHandle = handle;
        open_ = true;
    } else {
        ReportFTError("Open_USB_Device_By_Serial_Number", status);
    }
    return status;
}

FtStatus D2xxUnit::CloseFTDevice() {
    const FtStatus status = transport_.close(FTHandle);
    if (status == ft::OK) {
        open_ = false;
    } else {
        ReportFTError("FT_Close", status);
    }
    return status;
}

std::uint32_t D2xxUnit::ReadFTDevice(std::uint32_t requested) {
    std::uint32_t waiting = 0;
    FtStatus status = transport_.queueStatus(FTHandle, waiting);
    if (status != ft::OK) {
        ReportFTError("FT_Read", status);
        return 0;
    }
    const std::uint32_t count = std::min({waiting, requested, BufferSize});
    if (count == 0) return 0;
    std::uint32_t bytesRead = 0;
    status = transport_.read(FTHandle, RxBuffer.data(), count, bytesRead);
    if (status != ft::OK) ReportFTError("FT_Read", status);
    return std::min(bytesRead, count);
}

std::uint32_t D2xxUnit::WriteFTDevice(std::uint32_t count) {
    std::uint32_t written = 0;
    const FtStatus status =
        transport_.write(FTHandle, TxBuffer.data(), std::min(count, BufferSize), written);
    if (status != ft::OK) ReportFTError("FT_Write", status);
    return written;
}

void D2xxUnit::SetLineParameters(int mode) {
    BaudRate = 115200;
    WordLength = ft::BITS_8;
    StopBits = ft::STOP_BITS_1;
    if (mode == 0) Parity = ft::PARITY_NONE;
    if (mode == 2) Parity = ft::PARITY_EVEN;
}

FtStatus D2xxUnit::SetFTBaudRate() {
    const FtStatus status = transport_.setBaudRate(FTHandle, BaudRate);
    ReportFTError("FT_SetBaudRate", status);
    return status;
}

FtStatus D2xxUnit::SetFTDataCharacteristics() {
    const FtStatus status =
        transport_.setDataCharacteristics(FTHandle, WordLength, StopBits, Parity);
    ReportFTError("FT_SetDataCharacteristics", status);
    return status;
}

FtStatus D2xxUnit::PurgeFTReceive() {
    const FtStatus status = transport_.purge(FTHandle, ft::PURGE_RX);
    ReportFTError("FT_Purge RX", status);
    return status;
}

FtStatus D2xxUnit::PurgeFTTransmit() {
    const FtStatus status = transport_.purge(FTHandle, ft::PURGE_TX);
    ReportFTError("FT_Purge TX", status);
    return status;
}

FtStatus D2xxUnit::GetFTQueueStatus() {
    std::uint32_t waiting = 0;
    const FtStatus status = transport_.queueStatus(FTHandle, waiting);
    if (status == ft::OK) {
        RxQueueCount = waiting;
    } else {
        ReportFTError("FT_GetQueueStatus", status);
    }
    return status;
}

void D2xxUnit::ReportFTError(const QString& tag, FtStatus status) {
    if (!ErrorReportEnabled || status == ft::OK) return;
    dialogs_.inform(tag + QString::fromStdString(FtErrorSuffix(status)));
}

}  // namespace korvanne
