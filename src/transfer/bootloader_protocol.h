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
    // that refuses it may be synchronised already: Get tells, as stm32flash's resume does.
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

    const Failure& failure() const { return failure_; }
    // "writing block 57 at 0x08003900: the bootloader refused it".
    static QString describe(const Failure& failure);

    std::uint32_t BootloaderAddress = boot::FlashStart;
    // Set when the periodic reader runs, which would steal answers ("TIMER IS ON" line).
    std::function<bool()> pollRunning;

    // Bytes written and answer bytes taken, for measuring against the wire.
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;

private:
    // The one place bytes leave for the bootloader: the transmit buffer and one write.
    void write(std::span<const std::uint8_t> bytes);
    void write(std::uint8_t byte) { write(std::span<const std::uint8_t>(&byte, 1)); }
    bool expectAck(const QString& step, std::optional<std::uint32_t> address,
                   int limitMs = boot::StepLimitMs);
    // Waits for exactly `count` bytes (multi-byte answers of Get and Read Memory).
    Answer readExact(std::size_t count, std::vector<std::uint8_t>& out, int limitMs);

    DeviceMessages& messages_;
    LogSink& log_;
    Failure failure_;
    std::uint8_t lastOther_ = 0;
};

}  // namespace korvanne
