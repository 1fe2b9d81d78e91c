#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/transport.h"

namespace korvanne {
class VirtualClock;
}

namespace korvanne::test {

// A bridge whose answers follow a script: bytes reach the receive queue at given virtual times.
// Registered with the VirtualClock, so a wait jumps straight to the next arrival. Records what
// the program wrote, purged and set.
class ScriptedTransport final : public Transport {
public:
    struct Device {
        std::string serial;
        std::string description;
    };
    static constexpr FtHandle OpenHandle = 7;

    explicit ScriptedTransport(VirtualClock* clock = nullptr);
    ~ScriptedTransport() override;
    ScriptedTransport(const ScriptedTransport&) = delete;
    ScriptedTransport& operator=(const ScriptedTransport&) = delete;

    void arrive(std::int64_t atMs, std::vector<std::uint8_t> bytes);
    void arrive(std::int64_t atMs, std::string_view bytes);

    std::vector<Device> devices{{"KV000001", "Korvanne MK3"}};
    // Forces a status onto every call of an operation: "deviceCount", "serialNumber",
    // "description", "open", "close", "setBaudRate", "setDataCharacteristics", "purge",
    // "queueStatus", "read", "write".
    std::map<std::string, FtStatus> failing;
    // From this virtual time on the bridge is unplugged: queue status, read and write fail.
    std::optional<std::int64_t> goneFromMs;

    std::vector<std::uint8_t> written;
    std::vector<std::uint32_t> purges;  // masks in call order
    std::string openedSerial;
    std::uint32_t baud = 0;
    std::uint8_t wordLength = 0, stopBits = 0, parity = 0;
    bool open = false;

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
    std::int64_t nowUs() const;
    void settle();  // moves arrivals that are due into the receive queue
    FtStatus check(const char* operation, FtHandle handle, bool needsLine = false) const;

    VirtualClock* clock_;
    int sourceId_ = 0;
    // By time, in µs; a deque, so arrivals leave from the front in constant time.
    std::deque<std::pair<std::int64_t, std::vector<std::uint8_t>>> pending_;
    std::deque<std::uint8_t> queue_;
};

}  // namespace korvanne::test
