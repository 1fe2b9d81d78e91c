#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/bootloader_side.h"

namespace korvanne {

// A fault of the simulated bootloader at answer number `step` (counted from 1 over every answer
// it gives): a negative acknowledge instead of the answer, that one answer lost (the command is
// dropped, as if a byte was lost on the line), or no answer at all from then on. RefuseRead
// counts Read Memory commands instead: the `step`th and every later one is refused. Late gives
// that answer `lateUs` after it was due, as a chip busy elsewhere might. LoseByte loses the last
// byte of the multi-byte frame that answer `step` would close, as a cable hiccup does: the chip
// keeps waiting for it and takes the next byte written as that one.
struct BootloaderFault {
    enum class Kind { None, Nack, Silent, Dead, RefuseRead, Late, LoseByte };
    Kind kind = Kind::None;
    int step = 0;
    std::int64_t lateUs = 1'050'000;
};

// The pedal's STM32F103-class microcontroller in its USART bootloader (ST application note
// AN3155), over a 128 KB flash at 0x08000000. It stays silent until its first 0x7F; once
// synchronised it refuses a further 0x7F. It knows Get, Get Version, Get ID, Read Memory, Write
// Memory, Erase (global and pages, 1 KB each), Extended Erase and Go. Flash writes can only clear
// bits, as on the chip, so a block written twice without an erase reads back wrong.
class Stm32Bootloader final : public BootloaderSide {
public:
    static constexpr std::uint16_t ProductId = 0x0410;
    static constexpr std::uint8_t Version = 0x22;
    static constexpr std::size_t PageSize = 1024;

    // `firmware` is the number the version record holds at first, with a small program in front
    // of it, so Go works before any upgrade.
    explicit Stm32Bootloader(int firmware = 13, BootloaderFault fault = {},
                             bool refuseReads = false);

    void enter() override;
    void receiveByte(std::uint8_t byte, BootloaderHost& host) override;
    std::optional<int> firmwareNumber() const override;
    bool firmwareRuns() const override;

    const std::vector<std::uint8_t>& flash() const { return flash_; }
    std::vector<std::uint8_t>& flash() { return flash_; }
    bool synchronised() const { return stage_ != Stage::Sync; }
    int answersGiven() const { return answers_; }
    const std::vector<std::string>& events() const { return events_; }

private:
    enum class Stage {
        Sync,
        Command,
        Complement,
        Address,
        ReadCount,
        WriteCount,
        WriteData,
        EraseCount,
        ErasePages,
        ExtEraseCount,
        ExtErasePages,
    };

    void reply(std::vector<std::uint8_t> bytes, BootloaderHost& host);
    void refuse(BootloaderHost& host);
    void toStage(Stage stage, std::size_t need);
    void onComplement(BootloaderHost& host);
    void onAddress(BootloaderHost& host);
    void onReadCount(BootloaderHost& host);
    void onWriteData(BootloaderHost& host);
    void onErasePages(BootloaderHost& host, bool extended);
    bool inFlash(std::uint32_t address, std::size_t size) const;
    void erasePage(std::size_t page);
    void note(std::string event) { events_.push_back(std::move(event)); }

    std::vector<std::uint8_t> flash_;
    BootloaderFault fault_;
    bool refuseReads_;
    Stage stage_ = Stage::Sync;
    std::uint8_t command_ = 0;
    std::uint32_t address_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t need_ = 0;
    int answers_ = 0;
    int reads_ = 0;
    bool dead_ = false;
    bool byteLost_ = false;
    std::vector<std::string> events_;
};

}  // namespace korvanne
