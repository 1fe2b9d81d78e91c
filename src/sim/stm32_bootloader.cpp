#include "sim/stm32_bootloader.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace korvanne {

namespace {

// The chip's side of the protocol, decoded here with code of its own rather than the editor's
// frame builders, so a framing fault in the editor shows against it instead of being mirrored.
namespace chip {
constexpr std::uint8_t Sync = 0x7F;
constexpr std::uint8_t Ack = 0x79;
constexpr std::uint8_t Nack = 0x1F;
constexpr std::uint8_t CmdGet = 0x00;
constexpr std::uint8_t CmdGetVersion = 0x01;
constexpr std::uint8_t CmdGetId = 0x02;
constexpr std::uint8_t CmdReadMemory = 0x11;
constexpr std::uint8_t CmdGo = 0x21;
constexpr std::uint8_t CmdWriteMemory = 0x31;
constexpr std::uint8_t CmdErase = 0x43;
constexpr std::uint8_t CmdExtendedErase = 0x44;
constexpr std::uint32_t FlashStart = 0x08000000;
constexpr std::size_t FlashSize = 128 * 1024;
// Where the pedal's firmware keeps its version record: seven zero bytes and the number.
constexpr std::uint32_t VersionRecordAddress = 0x0801FC00;
constexpr std::uint32_t StackTop = 0x20005000;

// The XOR of every byte: the checksum of an address (over its four bytes) and of a data block
// (over its count byte and data).
std::uint8_t xorOf(std::span<const std::uint8_t> bytes, std::uint8_t start = 0) {
    for (std::uint8_t b : bytes) start ^= b;
    return start;
}

std::uint32_t littleEndianWord(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
}  // namespace chip

constexpr std::uint32_t RamStart = 0x20000000;
constexpr std::uint32_t RamSize = 20 * 1024;
constexpr std::uint8_t ParityEven = 2;
// The commands Get lists, as an STM32F103's bootloader does (it erases with 0x43).
constexpr std::uint8_t ListedCommands[] = {
    chip::CmdGet, chip::CmdGetVersion,  chip::CmdGetId, chip::CmdReadMemory,
    chip::CmdGo,  chip::CmdWriteMemory, chip::CmdErase};

std::string hex(std::uint32_t v, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, v);
    return text;
}

}  // namespace

Stm32Bootloader::Stm32Bootloader(int firmware, BootloaderFault fault, bool refuseReads)
    : flash_(chip::FlashSize, 0xFF), fault_(fault), refuseReads_(refuseReads) {
    // A running program: its vector table, and the version record it reports.
    const std::uint8_t vectors[8] = {0x00, 0x50, 0x00, 0x20, 0x01, 0x01, 0x00, 0x08};
    std::copy(std::begin(vectors), std::end(vectors), flash_.begin());
    std::fill(flash_.begin() + 8, flash_.begin() + 0x200, 0x00);
    const std::size_t record = chip::VersionRecordAddress - chip::FlashStart;
    std::fill(flash_.begin() + std::ptrdiff_t(record), flash_.begin() + std::ptrdiff_t(record + 7),
              0x00);
    flash_[record + 7] = static_cast<std::uint8_t>(firmware);
}

void Stm32Bootloader::enter() {
    stage_ = Stage::Sync;
    buffer_.clear();
    need_ = 0;
}

std::optional<int> Stm32Bootloader::firmwareNumber() const {
    const std::size_t record = chip::VersionRecordAddress - chip::FlashStart;
    for (std::size_t i = 0; i < 7; ++i) {
        if (flash_[record + i] != 0x00) return std::nullopt;
    }
    return flash_[record + 7];
}

bool Stm32Bootloader::firmwareRuns() const {
    const std::uint32_t stack = chip::littleEndianWord(flash_.data());
    const std::uint32_t reset = chip::littleEndianWord(flash_.data() + 4);
    return stack > RamStart && stack <= chip::StackTop && reset % 2 == 1 &&
           reset >= chip::FlashStart && reset < chip::FlashStart + chip::FlashSize &&
           firmwareNumber().has_value();
}

void Stm32Bootloader::toStage(Stage stage, std::size_t need) {
    stage_ = stage;
    need_ = need;
    buffer_.clear();
}

void Stm32Bootloader::reply(std::vector<std::uint8_t> bytes, BootloaderHost& host) {
    ++answers_;
    if (dead_) return;
    if (fault_.kind != BootloaderFault::Kind::None && answers_ == fault_.step) {
        switch (fault_.kind) {
            case BootloaderFault::Kind::Dead:
                note("answer " + std::to_string(answers_) + " and all after it withheld");
                dead_ = true;
                return;
            case BootloaderFault::Kind::Silent:
                note("answer " + std::to_string(answers_) + " lost, command dropped");
                toStage(Stage::Command, 1);
                return;
            case BootloaderFault::Kind::Nack:
                note("answer " + std::to_string(answers_) + " turned into a NACK");
                toStage(Stage::Command, 1);
                bytes = {chip::Nack};
                break;
            case BootloaderFault::Kind::Late:
                note("answer " + std::to_string(answers_) + " given late");
                host.answerLate(bytes, fault_.lateUs);
                return;
            case BootloaderFault::Kind::None:
            case BootloaderFault::Kind::RefuseRead:
            case BootloaderFault::Kind::LoseByte:
                break;
        }
    }
    host.answer(bytes);
}

void Stm32Bootloader::refuse(BootloaderHost& host) {
    toStage(Stage::Command, 1);
    reply({chip::Nack}, host);
}

bool Stm32Bootloader::inFlash(std::uint32_t address, std::size_t size) const {
    return address >= chip::FlashStart && size <= chip::FlashSize &&
           address - chip::FlashStart <= chip::FlashSize - size;
}

void Stm32Bootloader::erasePage(std::size_t page) {
    const auto first = flash_.begin() + std::ptrdiff_t(page * PageSize);
    std::fill(first, first + std::ptrdiff_t(PageSize), 0xFF);
}

void Stm32Bootloader::receiveByte(std::uint8_t byte, BootloaderHost& host) {
    // A byte framed without even parity fails the USART's parity check and is dropped.
    if (const auto parity = host.lineParity(); parity && *parity != ParityEven) {
        note("byte " + hex(byte, 2) + " without even parity dropped");
        return;
    }
    switch (stage_) {
        case Stage::Sync:
            if (byte == chip::Sync) {
                toStage(Stage::Command, 1);
                reply({chip::Ack}, host);
            }
            return;
        case Stage::Command:
            // Already synchronised: a further 0x7F is refused.
            if (byte == chip::Sync) {
                reply({chip::Nack}, host);
                return;
            }
            command_ = byte;
            toStage(Stage::Complement, 1);
            return;
        default:
            break;
    }
    if (fault_.kind == BootloaderFault::Kind::LoseByte && !byteLost_ &&
        answers_ + 1 == fault_.step && need_ > 1 && buffer_.size() + 1 == need_) {
        byteLost_ = true;
        note("byte " + hex(byte, 2) + " lost on the line; still waiting for it");
        return;
    }
    buffer_.push_back(byte);
    if (buffer_.size() < need_) return;
    switch (stage_) {
        case Stage::Complement:
            onComplement(host);
            break;
        case Stage::Address:
            onAddress(host);
            break;
        case Stage::ReadCount:
            onReadCount(host);
            break;
        case Stage::WriteCount:
            toStage(Stage::WriteData, std::size_t(byte) + 2);
            break;
        case Stage::WriteData:
            onWriteData(host);
            break;
        case Stage::EraseCount:
            // 0xFF asks for the global erase, followed by 0x00; otherwise N+1 pages and a checksum.
            address_ = byte;
            toStage(Stage::ErasePages, byte == 0xFF ? 1 : std::size_t(byte) + 2);
            break;
        case Stage::ErasePages:
            onErasePages(host, false);
            break;
        case Stage::ExtEraseCount: {
            const std::uint32_t n = std::uint32_t(buffer_[0]) << 8 | buffer_[1];
            address_ = n;
            toStage(Stage::ExtErasePages, n >= 0xFFF0 ? 1 : (n + 1) * 2 + 1);
            break;
        }
        case Stage::ExtErasePages:
            onErasePages(host, true);
            break;
        case Stage::Sync:
        case Stage::Command:
            break;
    }
}

void Stm32Bootloader::onComplement(BootloaderHost& host) {
    if (buffer_[0] != static_cast<std::uint8_t>(command_ ^ 0xFF)) {
        note("command " + hex(command_, 2) + " with a wrong complement refused");
        refuse(host);
        return;
    }
    switch (command_) {
        case chip::CmdGet: {
            std::vector<std::uint8_t> answer{chip::Ack, std::size(ListedCommands), Version};
            answer.insert(answer.end(), std::begin(ListedCommands), std::end(ListedCommands));
            answer.push_back(chip::Ack);
            toStage(Stage::Command, 1);
            reply(answer, host);
            return;
        }
        case chip::CmdGetVersion:
            toStage(Stage::Command, 1);
            reply({chip::Ack, Version, 0x00, 0x00, chip::Ack}, host);
            return;
        case chip::CmdGetId:
            toStage(Stage::Command, 1);
            reply({chip::Ack, 0x01, std::uint8_t(ProductId >> 8), std::uint8_t(ProductId & 0xFF),
                   chip::Ack},
                  host);
            return;
        case chip::CmdReadMemory:
            ++reads_;
            if (refuseReads_) {
                note("read refused: the flash is read-protected");
                refuse(host);
                return;
            }
            if (fault_.kind == BootloaderFault::Kind::RefuseRead && reads_ >= fault_.step) {
                note("read " + std::to_string(reads_) + " refused");
                refuse(host);
                return;
            }
            [[fallthrough]];
        case chip::CmdGo:
        case chip::CmdWriteMemory:
            toStage(Stage::Address, 5);
            reply({chip::Ack}, host);
            return;
        case chip::CmdErase:
            toStage(Stage::EraseCount, 1);
            reply({chip::Ack}, host);
            return;
        case chip::CmdExtendedErase:
            toStage(Stage::ExtEraseCount, 2);
            reply({chip::Ack}, host);
            return;
        default:
            note("unknown command " + hex(command_, 2) + " refused");
            refuse(host);
            return;
    }
}

void Stm32Bootloader::onAddress(BootloaderHost& host) {
    const std::uint32_t address = std::uint32_t(buffer_[0]) << 24 |
                                  std::uint32_t(buffer_[1]) << 16 | std::uint32_t(buffer_[2]) << 8 |
                                  buffer_[3];
    if (buffer_[4] != chip::xorOf(std::span(buffer_.data(), 4))) {
        note("address " + hex(address, 8) + " with a wrong checksum refused");
        refuse(host);
        return;
    }
    const bool inRam = address >= RamStart && address < RamStart + RamSize;
    if (!inFlash(address, 1) && !(command_ == chip::CmdGo && inRam)) {
        note("address " + hex(address, 8) + " outside the flash refused");
        refuse(host);
        return;
    }
    address_ = address;
    if (command_ == chip::CmdGo) {
        toStage(Stage::Sync, 0);
        reply({chip::Ack}, host);
        note("go " + hex(address, 8));
        host.startFirmware();
        return;
    }
    toStage(command_ == chip::CmdReadMemory ? Stage::ReadCount : Stage::WriteCount,
            command_ == chip::CmdReadMemory ? 2 : 1);
    reply({chip::Ack}, host);
}

void Stm32Bootloader::onReadCount(BootloaderHost& host) {
    const std::size_t count = std::size_t(buffer_[0]) + 1;
    if (buffer_[1] != static_cast<std::uint8_t>(buffer_[0] ^ 0xFF) || !inFlash(address_, count)) {
        refuse(host);
        return;
    }
    std::vector<std::uint8_t> answer{chip::Ack};
    const auto first = flash_.begin() + std::ptrdiff_t(address_ - chip::FlashStart);
    answer.insert(answer.end(), first, first + std::ptrdiff_t(count));
    toStage(Stage::Command, 1);
    reply(answer, host);
}

void Stm32Bootloader::onWriteData(BootloaderHost& host) {
    // buffer_: N+1 data bytes, then the checksum; the count byte came before.
    const std::size_t count = buffer_.size() - 1;
    const std::span<const std::uint8_t> data(buffer_.data(), count);
    // The count byte (N-1) is part of the checksum.
    if (buffer_.back() != chip::xorOf(data, static_cast<std::uint8_t>(count - 1))) {
        note("block at " + hex(address_, 8) + " with a wrong checksum refused");
        refuse(host);
        return;
    }
    if (!inFlash(address_, count)) {
        note("block at " + hex(address_, 8) + " beyond the flash refused");
        refuse(host);
        return;
    }
    // Programming can only clear bits.
    const std::size_t at = address_ - chip::FlashStart;
    for (std::size_t i = 0; i < count; ++i) flash_[at + i] &= data[i];
    toStage(Stage::Command, 1);
    reply({chip::Ack}, host);
}

void Stm32Bootloader::onErasePages(BootloaderHost& host, bool extended) {
    const std::uint32_t n = address_;  // the count field, kept there by its stage
    const bool special = extended ? n >= 0xFFF0 : n == 0xFF;
    std::uint8_t sum = 0;
    if (special) {
        // Global erase: 0xFF then 0x00; extended: the two count bytes and their XOR.
        sum = extended ? static_cast<std::uint8_t>((n >> 8) ^ (n & 0xFF)) : 0x00;
        if (buffer_[0] != sum) {
            refuse(host);
            return;
        }
        std::fill(flash_.begin(), flash_.end(), 0xFF);
        note("flash erased");
        toStage(Stage::Command, 1);
        reply({chip::Ack}, host);
        return;
    }
    sum =
        extended ? static_cast<std::uint8_t>((n >> 8) ^ (n & 0xFF)) : static_cast<std::uint8_t>(n);
    for (std::size_t i = 0; i + 1 < buffer_.size(); ++i) sum ^= buffer_[i];
    if (sum != buffer_.back()) {
        refuse(host);
        return;
    }
    std::vector<std::size_t> pages;
    const std::size_t width = extended ? 2 : 1;
    for (std::size_t i = 0; i + width < buffer_.size(); i += width) {
        pages.push_back(extended ? std::size_t(buffer_[i]) << 8 | buffer_[i + 1] : buffer_[i]);
    }
    for (std::size_t page : pages) {
        if (page >= chip::FlashSize / PageSize) {
            refuse(host);
            return;
        }
    }
    for (std::size_t page : pages) erasePage(page);
    note("erased " + std::to_string(pages.size()) + " pages");
    toStage(Stage::Command, 1);
    reply({chip::Ack}, host);
}

}  // namespace korvanne
