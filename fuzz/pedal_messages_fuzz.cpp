// Whatever a client sends the simulated pedal, byte by byte, with the time moving on between bytes
// so incomplete commands are given up as they are on the line.
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/pedal_model.h"
#include "sim/stm32_bootloader.h"

namespace {

// The bootloader's 128 KB flash, allocated afresh for every input, cost more than the input
// itself under the address sanitizer (a new mapping each time). One bootloader is kept instead and
// copied back from a pristine one before every input, so each input still starts from the state
// a new pedal has.
class ReusedBootloader final : public korvanne::BootloaderSide {
public:
    explicit ReusedBootloader(korvanne::Stm32Bootloader& shared) : shared_(shared) {}
    void enter() override { shared_.enter(); }
    void receiveByte(std::uint8_t byte, korvanne::BootloaderHost& host) override {
        shared_.receiveByte(byte, host);
    }
    std::optional<int> firmwareNumber() const override { return shared_.firmwareNumber(); }
    bool firmwareRuns() const override { return shared_.firmwareRuns(); }

private:
    korvanne::Stm32Bootloader& shared_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvanne::PedalOptions options;
    options.pacing = false;
    // The first byte picks where the pedal starts, so the bootloader side is reached too.
    if (size > 0) {
        options.startInBootloader = (data[0] & 1) != 0;
        ++data;
        --size;
    }
    // The bootloader a pedal with these options makes for itself.
    static const korvanne::Stm32Bootloader pristine(options.firmware, options.faults.bootloader,
                                                    options.faults.bootloaderRefusesReads);
    static korvanne::Stm32Bootloader shared = pristine;
    shared = pristine;
    korvanne::PedalModel pedal(options, std::make_unique<ReusedBootloader>(shared));

    std::int64_t nowUs = 0;
    static std::vector<std::uint8_t> answer(4096);
    for (std::size_t i = 0; i < size; ++i) {
        pedal.receive(data + i, 1, nowUs);
        nowUs += (data[i] == 0x7F) ? 300'000 : 100;  // a pause now and then
        while (pedal.available(nowUs) > 0) pedal.take(answer.data(), answer.size(), nowUs);
    }
    nowUs += 10'000'000;
    while (pedal.available(nowUs) > 0) pedal.take(answer.data(), answer.size(), nowUs);
    return 0;
}
