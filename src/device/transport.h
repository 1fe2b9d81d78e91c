#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "device/ft_status.h"

namespace korvanne {

using FtHandle = std::uint32_t;

// The USB bridge as the D2XX library presents it: list, open by serial number, line settings,
// purge, queue status, read and write. Implemented by the serial-port backend (FTDI bridges
// through the operating system's driver, or named ports) and by the in-process simulated pedal.
// Every call returns a D2XX status code; reads never block, they take what is waiting.
class Transport {
public:
    virtual ~Transport() = default;

    virtual FtStatus deviceCount(std::uint32_t& count) = 0;
    virtual FtStatus serialNumber(std::uint32_t index, std::string& serial) = 0;
    virtual FtStatus description(std::uint32_t index, std::string& description) = 0;

    virtual FtStatus openBySerialNumber(const std::string& serial, FtHandle& handle) = 0;
    virtual FtStatus close(FtHandle handle) = 0;

    virtual FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) = 0;
    virtual FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                            std::uint8_t stopBits, std::uint8_t parity) = 0;
    virtual FtStatus purge(FtHandle handle, std::uint32_t mask) = 0;
    virtual FtStatus queueStatus(FtHandle handle, std::uint32_t& waiting) = 0;
    virtual FtStatus read(FtHandle handle, std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t& bytesRead) = 0;
    virtual FtStatus write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t& bytesWritten) = 0;

    // Told when an open device goes away by itself (unplugged, or the far end of a port closed)
    // while nothing asks, so the program need not find out by polling. Called from the event
    // loop, never from inside a call of this transport. Transports that cannot tell stay quiet;
    // their calls on the handle fail instead.
    void onDeviceGone(std::function<void(FtHandle)> handler) { deviceGone_ = std::move(handler); }

protected:
    void reportDeviceGone(FtHandle handle) {
        if (deviceGone_) deviceGone_(handle);
    }

private:
    std::function<void(FtHandle)> deviceGone_;
};

}  // namespace korvanne
