#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

#include "device/transport.h"

class QObject;
class QSerialPort;

namespace korvanne {

// The pedal's FTDI bridge reached through the operating system's serial driver, presented the
// way the D2XX library presents it. A bridge is a serial port with the FTDI USB vendor id; ports
// named by path (e.g. from --port, or a simulated pedal's pseudo-terminal) are listed too, with
// the path as serial number and "Serial port <path>" as description.
class SerialTransport final : public Transport {
public:
    static constexpr quint16 FtdiVendorId = 0x0403;
    // The longest a write may take to leave the program's buffer before it counts as failed.
    static constexpr int WriteLimitMs = 5000;
    void setWriteLimitMs(int ms) { writeLimitMs_ = ms; }
    int writeLimitMs() const { return writeLimitMs_; }

    SerialTransport();
    ~SerialTransport() override;

    void addPortPath(const QString& path);
    // Whether the port behind an open handle is still watched for data; false once its device
    // has gone away (the handle stays until it is closed).
    bool watching(FtHandle handle) const;
    // Whether USB bridges are listed besides the named ports (on by default).
    void setUsbBridgesListed(bool listed) { usbBridgesListed_ = listed; }

    FtStatus deviceCount(std::uint32_t& count) override;
    FtStatus serialNumber(std::uint32_t index, std::string& serial) override;
    FtStatus description(std::uint32_t index, std::string& description) override;

    FtStatus openBySerialNumber(const std::string& serial, FtHandle& handle) override;
    FtStatus close(FtHandle handle) override;

    FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) override;
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus purge(FtHandle handle, std::uint32_t mask) override;
    FtStatus queueStatus(FtHandle handle, std::uint32_t& waiting) override;
    FtStatus read(FtHandle handle, std::uint8_t* buffer, std::uint32_t count,
                  std::uint32_t& bytesRead) override;
    FtStatus write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& bytesWritten) override;

private:
    struct Bridge {
        QString location;  // path of the port's device node
        std::string serial;
        std::string description;
    };
    struct Open {
        std::unique_ptr<QSerialPort> port;
        bool pseudoTerminal = false;
        bool broken = false;    // the device went away; every later call fails until the close
        bool released = false;  // the port of a broken device is closed and no longer watched
    };

    std::vector<Bridge> bridges() const;
    // The open port of a handle, or the status to return when there is none to use.
    FtStatus usable(FtHandle handle, Open*& open);
    // Moves bytes the driver holds into the port's buffer, without waiting.
    void takeWaiting(Open& open);
    bool failed(Open& open, FtHandle handle);
    // The device went away: every later call fails, and soon (from the event loop) the port is
    // closed, so its hang-up is no longer watched, and the program is told once.
    void markBroken(Open& open, FtHandle handle);
    void release(FtHandle handle);

    QStringList paths_;
    bool usbBridgesListed_ = true;
    std::map<FtHandle, Open> open_;
    FtHandle nextHandle_ = 1;
    int writeLimitMs_ = WriteLimitMs;
    std::unique_ptr<QObject> context_;  // for steps deferred to the event loop
};

}  // namespace korvanne
