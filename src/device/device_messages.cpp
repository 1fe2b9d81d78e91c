#include "device/device_messages.h"

#include <QThread>
#include <algorithm>

#include "core/clock.h"
#include "core/log_sink.h"
#include "device/d2xx_unit.h"
#include "device/hex_text.h"
#include "device/status_reply.h"

namespace korvanne {

namespace {
constexpr int StatusReadPauseMs = 10;  // after each read of the status reply
constexpr int ReplyReadPauseMs = 100;  // after each read of a short reply
constexpr std::uint8_t CR = 0x0D;
}  // namespace

DeviceMessages::DeviceMessages(D2xxUnit& unit, Clock& clock, LogSink& log)
    : unit_(unit), clock_(clock), log_(log) {}

std::uint32_t DeviceMessages::SendText(std::string_view hex, int count) {
    if (talksToBootloader()) {
        log_.ConsoleLog("message not sent, the line talks to the pedal's bootloader: " +
                        QString::fromUtf8(hex.data(), static_cast<qsizetype>(hex.size())));
        return 0;
    }
    const std::size_t bytes = hex.size() / 2;
    const std::size_t n = count < 0 ? bytes : static_cast<std::size_t>(count);
    // Converting stops at a bad pair and the write would carry stale buffer bytes: refuse.
    if (!isHexText(hex)) {
        log_.ConsoleLog("message not sent, not hexadecimal text: " +
                        QString::fromUtf8(hex.data(), static_cast<qsizetype>(hex.size())));
        return 0;
    }
    if (n > bytes || n > D2xxUnit::BufferSize) {
        log_.ConsoleLog(
            QStringLiteral("message not sent, %1 bytes asked of a %2-byte text: %3")
                .arg(n)
                .arg(bytes)
                .arg(QString::fromUtf8(hex.data(), static_cast<qsizetype>(hex.size()))));
        return 0;
    }
    if (n == 0) return 0;
    hexTextToBytes(hex, unit_.TxBuffer.data(), n);
    const std::uint32_t written = unit_.WriteFTDevice(static_cast<std::uint32_t>(n));
    if (written > 0) {
        lastWriteUs_ = clock_.nowUs();
        lastWriteBytes_ = written;
    }
    return written;
}

void DeviceMessages::letLastWriteLeave() {
    if (lastWriteBytes_ == 0) return;
    // Ten bits a byte: start, eight data bits, stop.
    const std::uint32_t baud = unit_.BaudRate > 0 ? unit_.BaudRate : 115200;
    const std::int64_t lineUs = std::int64_t(lastWriteBytes_) * 10 * 1'000'000 / baud;
    const std::int64_t leftUs = lastWriteUs_ + lineUs + LeaveMarginMs * 1000 - clock_.nowUs();
    lastWriteBytes_ = 0;
    if (leftUs > 0) clock_.pause(int((leftUs + 999) / 1000));
}

std::uint32_t DeviceMessages::SendRequest(std::string_view hex, int count) {
    unit_.PurgeFTReceive();
    return SendText(hex, count);
}

int DeviceMessages::depth() const {
    // Waits on the program's clock, and event loops such as a modal message box's.
    return clock_.waitDepth() + QThread::currentThread()->loopLevel();
}

bool DeviceMessages::talksToBootloader() const {
    return unit_.Parity == ft::PARITY_EVEN;
}

bool DeviceMessages::mayEnter(Talk talk) const {
    if (busy_) return depth() == ownerDepth_;
    return talk == Talk::Bootloader || !talksToBootloader();
}

DeviceMessages::Exchange::Exchange(DeviceMessages& m, const QString& name, Talk talk) : m_(m) {
    if (!m_.busy_ && talk == Talk::Firmware && m_.talksToBootloader()) {
        if (!name.isEmpty()) {
            m_.log_.ConsoleLog(name + " refused: the line talks to the pedal's bootloader");
        }
    } else if (!m_.busy_) {
        owner_ = entered_ = true;
        m_.ownerDepth_ = m_.depth();
        m_.setBusy(true);
    } else if (m_.depth() == m_.ownerDepth_) {
        entered_ = true;
    } else if (!name.isEmpty()) {
        m_.log_.ConsoleLog(name + " refused: another exchange with the pedal is in progress");
    }
}

DeviceMessages::Exchange::~Exchange() {
    if (!owner_) return;
    m_.setBusy(false);
    // Work that waited for the door runs now, in the order it was asked for.
    while (!m_.whenFree_.empty() && !m_.busy_) {
        std::function<void()> next = std::move(m_.whenFree_.front());
        m_.whenFree_.erase(m_.whenFree_.begin());
        next();
    }
}

bool DeviceMessages::runExchange(const QString& name, const std::function<void()>& command) {
    Exchange exchange(*this, name);
    if (!exchange) return false;
    command();
    return true;
}

void DeviceMessages::runWhenFree(std::function<void()> command) {
    // Only a running exchange defers it; what it writes is then checked by SendText.
    if (mayEnter(Talk::Bootloader)) {
        command();
    } else {
        whenFree_.push_back(std::move(command));
    }
}

void DeviceMessages::WriteToDSP(const std::string& prefix, std::uint32_t word,
                                std::uint32_t value) {
    const std::string text = prefix + hex4(word & 0xFFFF) + hex8(value);
    log_.ConsoleLog("write to DSP msg: " + QString::fromStdString(text));
    SendText(text);
}

DeviceMessages::Reply DeviceMessages::waitForData(int limitMs) {
    bool gone = false;
    const bool arrived = clock_.waitUntil(
        [&] {
            if (unit_.GetFTQueueStatus() != ft::OK) {
                gone = true;
                return true;
            }
            return unit_.RxQueueCount > 0;
        },
        limitMs);
    if (gone) return Reply::DeviceGone;
    return arrived ? Reply::Received : Reply::NoAnswer;
}

DeviceMessages::Reply DeviceMessages::waitForFirstByte(int limitMs) {
    const Reply result = waitForData(limitMs);
    if (result == Reply::NoAnswer) {
        log_.ConsoleLog(QStringLiteral("no answer from the pedal within %1 ms").arg(limitMs));
    }
    return result;
}

DeviceMessages::Reply DeviceMessages::waitForMore(std::int64_t lastDataMs) {
    return waitForData(
        static_cast<int>(std::max<std::int64_t>(0, QuietLimitMs - (clock_.nowMs() - lastDataMs))));
}

void DeviceMessages::readInto(std::vector<std::uint8_t>& reply, std::int64_t& lastDataMs) {
    const std::uint32_t n = unit_.ReadFTDevice(D2xxUnit::BufferSize);
    if (n == 0) return;
    reply.insert(reply.end(), unit_.RxBuffer.begin(), unit_.RxBuffer.begin() + n);
    lastDataMs = clock_.nowMs();
}

DeviceMessages::Reply DeviceMessages::ReadStatusReply() {
    Reply result = waitForFirstByte();
    if (result != Reply::Received) return result;
    unit_.PurgeFTTransmit();

    // The reply may come in several pieces: keep reading until all entries are in or the line
    // has been quiet for QuietLimitMs. An empty read alone does not end it.
    std::vector<std::uint8_t> reply;
    std::int64_t lastDataMs = clock_.nowMs();
    for (;;) {
        readInto(reply, lastDataMs);
        if (!FirmwareUpgradeMode) clock_.pause(StatusReadPauseMs);
        if (completeStatusEntries(reply.data(), reply.size()) >= StatusReplyEntries) {
            // Take the LF that may follow the last CR, so it is not left on the line.
            if (reply.back() == CR && unit_.GetFTQueueStatus() == ft::OK && unit_.RxQueueCount > 0)
                readInto(reply, lastDataMs);
            break;
        }
        const Reply more = waitForMore(lastDataMs);
        if (more == Reply::DeviceGone) result = Reply::DeviceGone;
        if (more != Reply::Received) break;
    }

    const std::vector<std::uint8_t> entries = parseStatusReply(reply.data(), reply.size());
    if (!entries.empty()) received_bytes_array = entries;
    for (const std::string& line : statusReplyLogLines(entries, received_bytes_array.size()))
        log_.ConsoleLog(QString::fromStdString(line));
    unit_.PurgeFTReceive();
    return result;
}

QString DeviceMessages::ReadReplyText(Reply* result, int firstByteLimitMs) {
    Reply outcome = waitForFirstByte(firstByteLimitMs);
    if (result) *result = outcome;
    if (outcome != Reply::Received) return {};

    std::vector<std::uint8_t> reply;
    std::int64_t lastDataMs = clock_.nowMs();
    if (FirmwareUpgradeMode) {
        // A bootloader answer is a single byte: take it as soon as it is there.
        readInto(reply, lastDataMs);
    } else {
        for (;;) {
            readInto(reply, lastDataMs);
            clock_.pause(ReplyReadPauseMs);
            const Reply more = waitForMore(lastDataMs);
            if (more == Reply::DeviceGone) outcome = Reply::DeviceGone;
            if (more != Reply::Received) break;
        }
    }
    if (result) *result = outcome;

    log_.ConsoleLog(QStringLiteral("num of bytes received: %1").arg(reply.size()));
    unit_.PurgeFTReceive();
    log_.ConsoleLog(QStringLiteral("firmware_upgrade_mode: ") +
                    (FirmwareUpgradeMode ? "True" : "False"));
    if (FirmwareUpgradeMode) {
        return reply.empty() ? QString() : QString::fromStdString(hex2(reply.front()));
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(reply.data()),
                             static_cast<qsizetype>(reply.size()));
}

}  // namespace korvanne
