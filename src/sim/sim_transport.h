#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/transport.h"
#include "sim/pedal_model.h"

namespace korvanne {

class Clock;
class VirtualClock;

// Simulated pedals behind the transport seam, in process. Each pedal is listed as a bridge with
// a serial number and description of its own; every call takes its time from the clock, and with
// a virtual clock a wait jumps straight to the next byte a pedal sends. A pedal whose cable is
// pulled vanishes from the listing and fails every call on its handle with an IO error.
class SimTransport final : public Transport {
public:
    static constexpr const char* DefaultDescription = "Korvanne MK3 (simulated)";

    explicit SimTransport(Clock& clock);
    ~SimTransport() override;
    SimTransport(const SimTransport&) = delete;
    SimTransport& operator=(const SimTransport&) = delete;

    // Adds a pedal; an empty serial number gives KVSIM0001, KVSIM0002, ... in order.
    PedalModel& addPedal(PedalOptions options = {}, std::string serial = {},
                         std::string description = DefaultDescription);
    std::size_t pedalCount() const { return pedals_.size(); }
    PedalModel& pedal(std::size_t index) { return *pedals_.at(index)->model; }
    PedalModel* pedalBySerial(const std::string& serial);
    // The pedal behind an open handle, if any.
    PedalModel* pedalByHandle(FtHandle handle);

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
        std::string serial;
        std::string description;
        std::unique_ptr<PedalModel> model;
        LineSettings line;
        FtHandle handle = 0;  // 0 while closed
    };

    Bridge* visible(std::uint32_t index);
    // The bridge behind an open handle and the status a call on it gets.
    FtStatus lookUp(FtHandle handle, Bridge*& bridge);
    std::optional<std::int64_t> nextEvent();

    Clock& clock_;
    VirtualClock* virtualClock_ = nullptr;
    int eventSourceId_ = 0;
    std::vector<std::unique_ptr<Bridge>> pedals_;
    FtHandle nextHandle_ = 0x5100;
};

}  // namespace korvanne
