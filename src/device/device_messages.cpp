#include "device/device_messages.h"

#include <QThread>
#include <algorithm>

#include "core/clock.h"
#include "core/log_sink.h"
#include "core/outcome.h"
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

std::uint32_t DeviceMessages::Send(const Message& message) {
    if (talksToBootloader()) {
        log_.ConsoleLog("message not sent, the line talks to the pedal's bootloader: " +
                        QString::fromStdString(hexText(message)));
        return 0;
    }
    if (message.size() > D2xxUnit::BufferSize) {
        log_.ConsoleLog(QStringLiteral("message not sent, %1 bytes do not fit the %2-byte buffer")
                            .arg(message.size())
                            .arg(D2xxUnit::BufferSize));
        return 0;
    }
    if (message.empty()) return 0;
    std::copy(message.begin(), message.end(), unit_.TxBuffer.begin());
    const std::uint32_t written = unit_.WriteFTDevice(static_cast<std::uint32_t>(message.size()));
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

std::uint32_t DeviceMessages::SendRequest(const Message& message) {
    unit_.PurgeFTReceive();
    return Send(message);
}

int DeviceMessages::depth() const {
    // Waits on the program's clock, and event loops such as a modal message box's.
    return clock_.waitDepth() + QThread::currentThread()->loopLevel();
}

bool DeviceMessages::talksToBootloader() const {
    return unit_.Parity == ft::PARITY_EVEN;
}

QString DeviceMessages::refusal(Talk talk) const {
    if (busy_) {
        return depth() == ownerDepth_ ? QString() : Outcome::BusyReason;
    }
    if (talk == Talk::Firmware && talksToBootloader()) {
        return QStringLiteral("the line talks to the pedal's bootloader");
    }
    return {};
}

bool DeviceMessages::linkFree(const QString& name, Talk talk) const {
    const QString why = refusal(talk);
    if (why.isEmpty()) return true;
    if (!name.isEmpty()) log_.ConsoleLog(name + " refused: " + why);
    return false;
}

DeviceMessages::Exchange::Exchange(DeviceMessages& m, const QString& name, Talk talk) : m_(m) {
    if (!m_.linkFree(name, talk)) return;
    entered_ = true;
    if (!m_.busy_) {
        owner_ = true;
        m_.ownerDepth_ = m_.depth();
        m_.setBusy(true);
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

std::uint32_t DeviceMessages::Exchange::send(const Message& message) {
    return entered_ ? m_.Send(message) : 0;
}

void DeviceMessages::Exchange::purgeTransmit() {
    if (!entered_) return;
    m_.letLastWriteLeave();
    m_.unit_.PurgeFTTransmit();
}

void DeviceMessages::Exchange::pause(int ms) {
    if (entered_) m_.clock_.pause(ms);
}

void DeviceMessages::runWhenFree(std::function<void()> command) {
    // Only a running exchange defers it; what it writes is then checked by Send.
    if (linkFree({}, Talk::Bootloader)) {
        command();
    } else {
        whenFree_.push_back(std::move(command));
    }
}

void DeviceMessages::WriteToDSP(std::uint32_t word, std::uint32_t value) {
    const Message message = msg::parameterWrite(std::uint16_t(word & 0xFFFF), value);
    log_.ConsoleLog("write to DSP msg: " + QString::fromStdString(hexText(message)));
    Send(message);
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
