#include "transfer/bootloader_protocol.h"

#include <algorithm>

#include "core/clock.h"
#include "core/log_sink.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/hex_qtext.h"
#include "device/hex_text.h"
#include "device/message_builders.h"

namespace korvanne {

BootloaderProtocol::BootloaderProtocol(DeviceMessages& messages, LogSink& log)
    : messages_(messages), log_(log) {}

void BootloaderProtocol::enterBootloaderLine() {
    messages_.unit().SetLineParameters(2);
    messages_.unit().SetFTDataCharacteristics();
}

void BootloaderProtocol::leaveBootloaderLine() {
    messages_.unit().SetLineParameters(0);
    messages_.unit().SetFTDataCharacteristics();
}

void BootloaderProtocol::write(std::span<const std::uint8_t> bytes) {
    D2xxUnit& unit = messages_.unit();
    std::copy(bytes.begin(), bytes.end(), unit.TxBuffer.begin());
    unit.WriteFTDevice(static_cast<std::uint32_t>(bytes.size()));
    bytesSent += bytes.size();
}

BootloaderProtocol::Answer BootloaderProtocol::ReadBootloaderAck(int limitMs) {
    DeviceMessages::Reply reply = DeviceMessages::Reply::Received;
    const QString answer = messages_.ReadReplyText(&reply, limitMs);
    log_.ConsoleAppend("received: " + answer);
    if (!answer.isEmpty()) ++bytesReceived;
    if (answer == "79") {
        log_.ConsoleAppend("ACK");
        return Answer::Ack;
    }
    if (answer == "1F") {
        log_.ConsoleAppend("NOT ACK");
        return Answer::Nack;
    }
    if (!answer.isEmpty()) {
        lastOther_ = static_cast<std::uint8_t>(answer.toUInt(nullptr, 16));
        return Answer::Other;
    }
    if (reply == DeviceMessages::Reply::DeviceGone) return Answer::Gone;
    drainLateAnswers();
    return Answer::None;
}

void BootloaderProtocol::drainLateAnswers() {
    D2xxUnit& unit = messages_.unit();
    Clock& clock = messages_.clock();
    unit.PurgeFTReceive();
    std::int64_t quietSinceMs = clock.nowMs();
    std::uint64_t dropped = 0;
    clock.waitUntil(
        [&] {
            if (unit.GetFTQueueStatus() != ft::OK) return true;
            if (unit.RxQueueCount > 0) {
                dropped += unit.ReadFTDevice(unit.RxQueueCount);
                quietSinceMs = clock.nowMs();
            }
            return clock.nowMs() - quietSinceMs >= LateQuietMs;
        },
        LateDrainLimitMs);
    if (dropped == 0) return;
    lateBytesDropped += dropped;
    log_.ConsoleLog(QStringLiteral("dropped %1 late byte(s) from the bootloader").arg(dropped));
}

bool BootloaderProtocol::expectAck(const QString& step, std::optional<std::uint32_t> address,
                                   int limitMs) {
    const Answer answer = ReadBootloaderAck(limitMs);
    if (answer == Answer::Ack) return true;
    framingInDoubt_ = true;
    failure_ = {step, address, answer, limitMs, lastOther_};
    log_.ConsoleLog("stopped: " + describe(failure_));
    return false;
}

QString BootloaderProtocol::describe(const Failure& f) {
    QString text = f.step;
    if (f.address) text += " at 0x" + qhex8(*f.address);
    switch (f.answer) {
        case Answer::Nack:
            return text + ": the bootloader refused it";
        case Answer::None:
            return text + QStringLiteral(": the bootloader did not answer within %1 s")
                              .arg(f.limitMs / 1000.0, 0, 'g', 3);
        case Answer::Gone:
            return text + ": the pedal is no longer connected";
        case Answer::Other:
            return text + ": the bootloader answered 0x" + qhex2(f.other) +
                   " instead of an acknowledge";
        case Answer::Ack:
            break;
    }
    return text;
}

BootloaderProtocol::Answer BootloaderProtocol::readExact(std::size_t count,
                                                         std::vector<std::uint8_t>& out,
                                                         int limitMs) {
    D2xxUnit& unit = messages_.unit();
    out.clear();
    bool gone = false;
    messages_.clock().waitUntil(
        [&] {
            if (unit.GetFTQueueStatus() != ft::OK) {
                gone = true;
                return true;
            }
            if (unit.RxQueueCount > 0) {
                const auto want = static_cast<std::uint32_t>(
                    std::min<std::size_t>(count - out.size(), unit.RxQueueCount));
                const std::uint32_t n = unit.ReadFTDevice(want);
                out.insert(out.end(), unit.RxBuffer.begin(), unit.RxBuffer.begin() + n);
            }
            // A refusal is a single byte: do not wait for the rest.
            return out.size() >= count || (!out.empty() && out.front() == boot::Nack);
        },
        limitMs);
    bytesReceived += out.size();
    if (gone) return Answer::Gone;
    if (out.empty()) {
        drainLateAnswers();
        return Answer::None;
    }
    if (out.front() == boot::Nack) return Answer::Nack;
    if (out.front() != boot::Ack) {
        lastOther_ = out.front();
        return Answer::Other;
    }
    if (out.size() >= count) return Answer::Ack;
    drainLateAnswers();
    return Answer::None;
}

BootloaderProtocol::SyncResult BootloaderProtocol::synchronise(const QString& logPrefix) {
    SyncResult result;
    // A request: whatever waits on the receive side is dropped first, not taken for the answer.
    messages_.unit().PurgeFTReceive();
    write(boot::Sync);
    DeviceMessages::Reply reply = DeviceMessages::Reply::Received;
    result.answer = messages_.ReadReplyText(&reply, boot::StepLimitMs);
    log_.ConsoleAppend(logPrefix + result.answer);
    if (result.answer.isEmpty() && reply != DeviceMessages::Reply::DeviceGone) {
        drainLateAnswers();
        // A bootloader left inside a frame by an earlier attempt takes 0x7F for part of it and
        // stays silent. More 0x7F complete the frame; once it is in step it refuses the next one.
        // Only 0x7F is sent: the pedal may be running its firmware instead, which ignores it but
        // would take a Get's 0x00 for the start of an upload.
        for (int padding = 1; padding <= LargestPadding && result.answer.isEmpty(); padding *= 2) {
            const std::vector<std::uint8_t> pad(std::size_t(padding), boot::Sync);
            write(pad);
            result.answer = messages_.ReadReplyText(&reply, PadAnswerLimitMs);
            if (reply == DeviceMessages::Reply::DeviceGone) break;
        }
        if (result.answer.isEmpty()) return result;
        log_.ConsoleLog("the bootloader answered the padding: " + result.answer);
        drainLateAnswers();
        // It listens, synchronised (a first 0x7F was acknowledged): Get tells it is in step.
        if (getCommands()) {
            log_.ConsoleLog("the bootloader answers in step again");
            result.reached = true;
            result.resumed = true;
        }
        return result;
    }
    if (result.answer == "79") {
        result.reached = true;
    } else if (result.answer == "1F") {
        // A bootloader left synchronised by an earlier attempt refuses a second 0x7F.
        log_.ConsoleLog("the bootloader refused the synchronisation; asking it with Get");
        if (getCommands()) {
            log_.ConsoleLog("the bootloader was already synchronised; going on");
            result.reached = true;
            result.resumed = true;
        }
    }
    return result;
}

bool BootloaderProtocol::getCommands(std::vector<std::uint8_t>* codes) {
    write(boot::command(boot::CmdGet));
    std::vector<std::uint8_t> head;
    Answer answer = readExact(2, head, boot::StepLimitMs);
    if (answer != Answer::Ack) {
        framingInDoubt_ = true;
        failure_ = {"asking the bootloader with Get", std::nullopt, answer, boot::StepLimitMs,
                    lastOther_};
        return false;
    }
    std::vector<std::uint8_t> rest;
    answer = readExact(std::size_t(head[1]) + 2, rest, boot::StepLimitMs);
    // `rest` holds the version, the codes and the closing acknowledge; readExact judged only
    // its first byte (the version), so look at the last one here.
    if (rest.size() != std::size_t(head[1]) + 2 || rest.back() != boot::Ack) {
        framingInDoubt_ = true;
        failure_ = {"asking the bootloader with Get", std::nullopt,
                    answer == Answer::Gone ? Answer::Gone : Answer::None, boot::StepLimitMs, 0};
        return false;
    }
    framingInDoubt_ = false;
    log_.ConsoleLog("bootloader version: " + qhex2(rest.front()));
    if (codes) codes->assign(rest.begin() + 1, rest.end() - 1);
    return true;
}

bool BootloaderProtocol::findFraming() {
    if (!framingInDoubt_) return true;
    log_.ConsoleLog("finding the bootloader's command framing again");
    drainLateAnswers();
    for (int padding = 0; padding <= LargestPadding; padding = padding == 0 ? 1 : padding * 2) {
        if (padding > 0) {
            const std::vector<std::uint8_t> pad(std::size_t(padding), boot::Sync);
            write(pad);
            // Its refusals (or the answer to the frame it completed) are not what Get answers.
            messages_.clock().pause(LateQuietMs);
            drainLateAnswers();
        }
        if (getCommands()) {
            log_.ConsoleLog("the bootloader answers in step again");
            return true;
        }
        if (failure_.answer == Answer::Gone) break;
    }
    failure_.step = QStringLiteral("finding the bootloader's command framing");
    log_.ConsoleLog("stopped: " + describe(failure_));
    return false;
}

bool BootloaderProtocol::SendWriteCommand(const QString& step) {
    log_.ConsoleLog("SEND WRITE COMMAND");
    write(boot::command(boot::CmdWriteMemory));
    if (!expectAck(step, BootloaderAddress)) return false;
    log_.ConsoleLog("SEND ADDRESS + CHECKSUM");
    const auto group = boot::addressGroup(BootloaderAddress);
    log_.ConsoleLog("Address: " + qhex8(BootloaderAddress));
    log_.ConsoleLog("address checksum: " + qhex2(group[4]));
    write(group);
    return expectAck(step, BootloaderAddress);
}

bool BootloaderProtocol::writeBlock(std::span<const std::uint8_t> data, const QString& step) {
    if (!SendWriteCommand(step)) return false;
    log_.ConsoleLog("SEND N BYTE + DATA + CHECKSUM");
    const auto n = static_cast<std::uint8_t>(data.size() - 1);
    log_.ConsoleLog("N_byte: " + qhex2(n));
    log_.ConsoleLog("chunk size: " + QString::number(data.size()));
    const std::uint8_t checksum = boot::DataChecksum(data);
    log_.ConsoleLog("data checksum: " + qhex2(checksum));
    // One write for the whole frame, so the line carries it without a gap.
    std::vector<std::uint8_t> frame;
    frame.reserve(data.size() + 2);
    frame.push_back(n);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(checksum);
    write(frame);
    if (!expectAck(step, BootloaderAddress, boot::BlockLimitMs)) return false;
    BootloaderAddress += static_cast<std::uint32_t>(data.size());
    log_.ConsoleLog("");
    if (pollRunning && pollRunning()) log_.ConsoleLog("TIMER IS ON!!!!!!!!!!!");
    log_.ConsoleLog("");
    return true;
}

bool BootloaderProtocol::WriteFirmwareVersion(std::uint8_t firmware) {
    BootloaderAddress = boot::VersionRecordAddress;
    const QString step = "writing the version record";
    if (!SendWriteCommand(step)) return false;
    for (std::uint8_t b : boot::versionRecordGroup(firmware)) write(b);
    return expectAck(step, BootloaderAddress);
}

bool BootloaderProtocol::EraseFlash() {
    log_.ConsoleAppend("Start Erase Command");
    write(boot::command(boot::CmdErase));
    if (!expectAck("erasing the flash", std::nullopt)) return false;
    write(boot::globalEraseGroup());
    return expectAck("erasing the flash", std::nullopt, boot::MassEraseLimitMs);
}

bool BootloaderProtocol::SendGoCommand() {
    log_.ConsoleLog("");
    log_.ConsoleLog("SEND GO COMMAND");
    BootloaderAddress = boot::FlashStart;
    const QString step = "starting the firmware (Go)";
    write(boot::command(boot::CmdGo));
    if (!expectAck(step, BootloaderAddress)) return false;
    log_.ConsoleLog("SEND ADDRESS + CHECKSUM");
    log_.ConsoleLog("Address: " + qhex8(BootloaderAddress));
    log_.ConsoleLog("address checksum: " + qhex2(boot::AddressChecksum(BootloaderAddress)));
    for (std::uint8_t b : boot::addressGroup(BootloaderAddress)) write(b);
    return expectAck(step, BootloaderAddress);
}

bool BootloaderProtocol::readMemory(std::uint32_t address, std::size_t count,
                                    std::vector<std::uint8_t>& out, bool* refused) {
    const QString step = "reading back";
    if (refused) *refused = false;
    write(boot::command(boot::CmdReadMemory));
    const Answer first = ReadBootloaderAck();
    if (first != Answer::Ack) {
        framingInDoubt_ = true;
        if (refused) *refused = first == Answer::Nack;
        failure_ = {step, address, first, boot::StepLimitMs, lastOther_};
        return false;
    }
    write(boot::addressGroup(address));
    if (!expectAck(step, address)) return false;
    write(boot::readCountGroup(count));
    std::vector<std::uint8_t> answer;
    const Answer data = readExact(count + 1, answer, boot::BlockLimitMs);
    if (data != Answer::Ack) {
        framingInDoubt_ = true;
        failure_ = {step, address, data, boot::BlockLimitMs, lastOther_};
        return false;
    }
    out.assign(answer.begin() + 1, answer.end());
    return true;
}

}  // namespace korvanne
