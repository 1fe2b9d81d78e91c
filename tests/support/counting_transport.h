#pragma once

#include <map>
#include <set>
#include <string>

#include "device/transport.h"

namespace korvanne::test {

// Passes every call on to another transport, counting the calls by name ("queueStatus", "read",
// ...) and refusing to open the serial numbers in `refuseOpen` (a bridge that is not a pedal, or
// is in use). Reports of a device gone are passed on too.
class CountingTransport final : public Transport {
public:
    explicit CountingTransport(Transport& inner) : inner_(inner) {
        inner_.onDeviceGone([this](FtHandle handle) {
            ++goneReports;
            reportDeviceGone(handle);
        });
    }
    ~CountingTransport() override { inner_.onDeviceGone({}); }
    CountingTransport(const CountingTransport&) = delete;
    CountingTransport& operator=(const CountingTransport&) = delete;

    int count(const std::string& name) const {
        auto it = calls.find(name);
        return it == calls.end() ? 0 : it->second;
    }
    // Calls that read or ask for the receive queue.
    int reads() const { return count("queueStatus") + count("read"); }

    std::map<std::string, int> calls;
    std::set<std::string> refuseOpen;
    int goneReports = 0;

    FtStatus deviceCount(std::uint32_t& n) override {
        ++calls["deviceCount"];
        return inner_.deviceCount(n);
    }
    FtStatus serialNumber(std::uint32_t index, std::string& serial) override {
        ++calls["serialNumber"];
        return inner_.serialNumber(index, serial);
    }
    FtStatus description(std::uint32_t index, std::string& description) override {
        ++calls["description"];
        return inner_.description(index, description);
    }
    FtStatus openBySerialNumber(const std::string& serial, FtHandle& handle) override {
        ++calls["open"];
        if (refuseOpen.count(serial)) return ft::DEVICE_NOT_OPENED;
        return inner_.openBySerialNumber(serial, handle);
    }
    FtStatus close(FtHandle handle) override {
        ++calls["close"];
        return inner_.close(handle);
    }
    FtStatus setBaudRate(FtHandle handle, std::uint32_t baud) override {
        ++calls["setBaudRate"];
        return inner_.setBaudRate(handle, baud);
    }
    FtStatus setDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override {
        ++calls["setDataCharacteristics"];
        return inner_.setDataCharacteristics(handle, wordLength, stopBits, parity);
    }
    FtStatus purge(FtHandle handle, std::uint32_t mask) override {
        ++calls["purge"];
        return inner_.purge(handle, mask);
    }
    FtStatus queueStatus(FtHandle handle, std::uint32_t& waiting) override {
        ++calls["queueStatus"];
        return inner_.queueStatus(handle, waiting);
    }
    FtStatus read(FtHandle handle, std::uint8_t* buffer, std::uint32_t n,
                  std::uint32_t& bytesRead) override {
        ++calls["read"];
        return inner_.read(handle, buffer, n, bytesRead);
    }
    FtStatus write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t n,
                   std::uint32_t& bytesWritten) override {
        ++calls["write"];
        return inner_.write(handle, buffer, n, bytesWritten);
    }

private:
    Transport& inner_;
};

}  // namespace korvanne::test
