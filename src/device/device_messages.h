#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvanne {

class Clock;
class D2xxUnit;
class LogSink;

// Sending device messages (hex text turned into bytes at the start of the transmit buffer) and
// collecting the pedal's replies, with a time limit on every wait.
class DeviceMessages {
public:
    // How long the pedal may take to start answering a status request or a short reply.
    static constexpr int FirstByteLimitMs = 2000;
    // A reply is complete when the line has been quiet this long (or, for the status reply,
    // when all its entries are in).
    static constexpr int QuietLimitMs = 100;
    static constexpr std::size_t StatusReplyEntries = 102;

    enum class Reply {
        Received,    // an answer arrived and was taken
        NoAnswer,    // nothing arrived within the time limit
        DeviceGone,  // the queue status failed (unplugged, unlinked)
    };

    DeviceMessages(D2xxUnit& unit, Clock& clock, LogSink& log);

    // Converts hex text into TxBuffer and writes `count` bytes (half the text length when
    // count < 0). Returns the count written. Text that is not whole hex pairs, or a count beyond
    // the text, is refused (logged, nothing written, 0): the write would otherwise carry stale
    // bytes of an earlier message. Text from the message builders is always valid.
    std::uint32_t SendText(std::string_view hex, int count = -1);

    // prefix + low 16 bits of word (4 digits) + value (8 digits); logged, converted and written.
    void WriteToDSP(const std::string& prefix, std::uint32_t word, std::uint32_t value);

    // Collects and parses the status reply into received_bytes_array (kept as it was when
    // nothing usable arrived). The reply is taken whole: reading goes on until all 102 entries
    // are in or the line has been quiet for QuietLimitMs. When the device goes away part way,
    // what arrived is still parsed and the result is DeviceGone.
    Reply ReadStatusReply();
    std::vector<std::uint8_t> received_bytes_array;

    // Collects a short reply. In firmware upgrade mode the text is the first byte as two hex
    // digits ("79", "1F"), taken as soon as it arrives; otherwise the bytes as UTF-8 text.
    // Empty when nothing arrived; `result` says why. When the device goes away part way, the
    // bytes that arrived are still returned, with DeviceGone.
    // `firstByteLimitMs` is how long the first byte may take (a bootloader's erase takes long).
    QString ReadReplyText(Reply* result = nullptr, int firstByteLimitMs = FirstByteLimitMs);

    bool FirmwareUpgradeMode = false;

    // One exchange at a time over the whole link.
    bool busy() const { return busy_; }
    class BusyGuard {
    public:
        explicit BusyGuard(DeviceMessages& m) : m_(m), owned_(!m.busy_) {
            if (owned_) m_.setBusy(true);
        }
        ~BusyGuard() {
            if (owned_) m_.setBusy(false);
        }
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        DeviceMessages& m_;
        bool owned_;
    };

    // Told when an exchange starts and ends, so the windows can show it.
    std::function<void(bool)> onBusyChanged;

    D2xxUnit& unit() { return unit_; }
    Clock& clock() { return clock_; }
    LogSink& log() { return log_; }

private:
    void setBusy(bool busy) {
        busy_ = busy;
        if (onBusyChanged) onBusyChanged(busy);
    }
    Reply waitForData(int limitMs);
    Reply waitForFirstByte(int limitMs = FirstByteLimitMs);
    Reply waitForMore(std::int64_t lastDataMs);
    void readInto(std::vector<std::uint8_t>& reply, std::int64_t& lastDataMs);

    D2xxUnit& unit_;
    Clock& clock_;
    LogSink& log_;
    bool busy_ = false;
};

}  // namespace korvanne
