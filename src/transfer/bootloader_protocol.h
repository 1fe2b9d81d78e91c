#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "transfer/bootloader_frames.h"

namespace korvanne {

class DeviceMessages;
class LogSink;

// The exchanges with the pedal's serial bootloader, byte by byte, with their grouping into
// writes and their log lines. Every answer is awaited with its own time limit; the first answer
// that is not an acknowledge ends the exchange, and `failure()` says which step it was.
// The caller holds the link's busy guard and has FirmwareUpgradeMode on.
class BootloaderProtocol {
public:
    enum class Answer { Ack, Nack, Other, None, Gone };

    struct Failure {
        QString step;  // "writing block 57", "erasing the flash", ...
        std::optional<std::uint32_t> address;
        Answer answer = Answer::None;
        int limitMs = 0;
        std::uint8_t other = 0;  // the byte that came instead of an acknowledge
    };

    struct SyncResult {
        QString answer;        // the answer to 0x7F as text ("79", "1F", "" for none)
        bool reached = false;  // the bootloader listens
        bool resumed = false;  // it was already synchronised (it refused 0x7F but answered Get)
    };

    BootloaderProtocol(DeviceMessages& messages, LogSink& log);

    // Line modes: bootloader (even parity) and normal (no parity); the baud rate stays.
    void enterBootloaderLine();
    void leaveBootloaderLine();

    // Writes 0x7F and reads the answer; logs `logPrefix` and the answer (append). A bootloader
    // that refuses it may be synchronised already: Get tells, as stm32flash's resume does. One
    // that stays silent may wait inside a frame: more 0x7F (never anything else) find it.
    SyncResult synchronise(const QString& logPrefix);

    // Reads one answer and logs the verdict ("received: 79", "ACK" / "NOT ACK").
    Answer ReadBootloaderAck(int limitMs = boot::StepLimitMs);

    // The first two groups of Write Memory, to BootloaderAddress.
    bool SendWriteCommand(const QString& step);
    // Write Memory with a block of 1 to 256 bytes at BootloaderAddress, which then advances.
    bool writeBlock(std::span<const std::uint8_t> data, const QString& step);
    // Write Memory with the version record at 0x0801FC00.
    bool WriteFirmwareVersion(std::uint8_t firmware);
    // Erase Memory with global erase.
    bool EraseFlash();
    // Go to 0x08000000.
    bool SendGoCommand();
    // Read Memory of 1 to 256 bytes; `refused` tells a bootloader that does not allow reads.
    bool readMemory(std::uint32_t address, std::size_t count, std::vector<std::uint8_t>& out,
                    bool* refused = nullptr);
    // Get: the bootloader's version and command codes.
    bool getCommands(std::vector<std::uint8_t>* codes = nullptr);
    // After a step went wrong the bootloader may have lost its place: it may wait for the rest
    // of a frame, or pair bytes off by one. Asks with Get until a clean answer comes back,
    // padding with 0x7F before each new try (1, 2, 4 ... bytes): a bootloader in step refuses
    // each (it is synchronised already), one out of step takes them as what it waits for. 0x7F
    // can never complete an address (four equal bytes XOR to 0, not 0x7F), so nothing is written
    // or started by it. True at once when no step has gone wrong since the last clean answer.
    bool findFraming();
    bool framingInDoubt() const { return framingInDoubt_; }

    const Failure& failure() const { return failure_; }
    // "writing block 57 at 0x08003900: the bootloader refused it".
    static QString describe(const Failure& failure);

    std::uint32_t BootloaderAddress = boot::FlashStart;
    // Set when the periodic reader runs, which would steal answers ("TIMER IS ON" line).
    std::function<bool()> pollRunning;

    // Bytes written and answer bytes taken, for measuring against the wire.
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
    // Late bytes dropped after a time limit.
    std::uint64_t lateBytesDropped = 0;

    static constexpr int LateQuietMs = 250;
    static constexpr int LateDrainLimitMs = 3'000;
    // The largest frame is a write of 256 bytes with its count and checksum.
    static constexpr int LargestPadding = 512;
    // A bootloader answers 0x7F at once; padding that gets nothing this long is not answered.
    static constexpr int PadAnswerLimitMs = 250;

private:
    // The one place bytes leave for the bootloader: the transmit buffer and one write.
    void write(std::span<const std::uint8_t> bytes);
    void write(std::uint8_t byte) { write(std::span<const std::uint8_t>(&byte, 1)); }
    bool expectAck(const QString& step, std::optional<std::uint32_t> address,
                   int limitMs = boot::StepLimitMs);
    // Waits for exactly `count` bytes (multi-byte answers of Get and Read Memory).
    Answer readExact(std::size_t count, std::vector<std::uint8_t>& out, int limitMs);
    // After a time limit passed: an answer may still be on its way, and would be taken for the
    // answer of whatever is written next. Drops what has arrived, then what arrives until the
    // line has been quiet for LateQuietMs (for at most LateDrainLimitMs).
    void drainLateAnswers();

    DeviceMessages& messages_;
    LogSink& log_;
    Failure failure_;
    std::uint8_t lastOther_ = 0;
    bool framingInDoubt_ = false;
};

}  // namespace korvanne
