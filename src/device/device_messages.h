#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/message_builders.h"

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

    // Places the message at the start of TxBuffer and writes it whole. Returns the count
    // written. A message longer than TxBuffer is refused (logged, nothing written, 0).
    std::uint32_t Send(const Message& message);

    // A message that asks for an answer: drops whatever waits on the receive side (a late reply
    // to an earlier request, bytes the pedal sent on its own), then sends as Send. Bytes left
    // from an earlier exchange are never read as the answer to this one.
    std::uint32_t SendRequest(const Message& message);

    // Before the transmit side is purged: waits, in the event loop, until the bytes last written
    // have had the time to leave on the line. A purge drops only what is stuck, never a message
    // written just before that the driver has not passed on yet.
    void letLastWriteLeave();
    // Besides the bytes' own time on the line, for the driver to pass them on.
    static constexpr int LeaveMarginMs = 20;

    // A parameter write of the low 16 bits of word and value, logged ("write to DSP msg: ")
    // and written.
    void WriteToDSP(std::uint32_t word, std::uint32_t value);

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

    // The line is set for the pedal's bootloader (even parity). Only the bootloader's exchanges
    // may use it then: any other message would reach the bootloader as commands, and a torn one
    // leaves it waiting mid-command, so Send writes nothing and says so.
    bool talksToBootloader() const;

    // Which exchanges the door lets in while the line talks to the bootloader: those made for it
    // (the upgrade's, and linking, unlinking and Upgrade Mode, which set the line themselves).
    enum class Talk { Firmware, Bootloader };

    // ---- One exchange at a time: the door every device command goes through ----
    //
    // An exchange is everything a command does with the pedal, from its first byte written to
    // its last byte read. Waits inside it run the event loop, so a click or a timer can ask for
    // another command meanwhile; the door keeps that second command out, so the bytes of two
    // exchanges never interleave. A step called from within the running exchange's own code
    // (Link running the status handshake) joins it. See communication.h for how to use it.
    class Exchange {
    public:
        // Enters the door: owns a new exchange when none runs, joins the running one when asked
        // from its own steps, and is refused (false; logged with `name`) when asked from the
        // event loop during a wait of another, or, unless it talks to the bootloader, while the
        // line does.
        Exchange(DeviceMessages& m, const QString& name, Talk talk = Talk::Firmware);
        ~Exchange();
        Exchange(const Exchange&) = delete;
        Exchange& operator=(const Exchange&) = delete;

        explicit operator bool() const { return entered_; }
        bool entered() const { return entered_; }

        // The exchange's steps; each does nothing when the door refused.
        // Writes the message whole; the count written.
        std::uint32_t send(const Message& message);
        // Drops bytes stuck on their way to the pedal; a message written just before is let
        // leave first.
        void purgeTransmit();
        // A fixed pause inside the exchange (the event loop keeps running).
        void pause(int ms);

    private:
        DeviceMessages& m_;
        bool entered_ = false;
        bool owner_ = false;
    };

    // The one answer to "is the link free": true when an exchange of that kind could start now
    // (none runs, or asked from the running exchange's own steps; a firmware command not while
    // the line talks to the bootloader). Otherwise false, and a non-empty `name` is logged as
    // refused. Asked before a question to the user, so nobody answers a question whose command
    // cannot run; a tick that simply skips asks without a name.
    bool linkFree(const QString& name = {}, Talk talk = Talk::Firmware) const;

    // Runs `command` now when the door is free, otherwise right after the running exchange ends.
    // For work that must not be lost (a deferred parameter send, tidying up after the pedal
    // went away); user commands are refused instead (Exchange).
    void runWhenFree(std::function<void()> command);

    // Told when an exchange starts and ends, so the windows can show it (the busy cursor).
    std::function<void(bool)> onBusyChanged;

    D2xxUnit& unit() { return unit_; }
    Clock& clock() { return clock_; }
    LogSink& log() { return log_; }

private:
    std::int64_t lastWriteUs_ = 0;
    std::uint32_t lastWriteBytes_ = 0;

    // Why the door would refuse an exchange of that kind now; empty when it would not.
    QString refusal(Talk talk) const;
    void setBusy(bool busy) {
        busy_ = busy;
        if (onBusyChanged) onBusyChanged(busy);
    }
    // Where the code asking for the door runs: waits and event loops it is nested in.
    int depth() const;
    Reply waitForData(int limitMs);
    Reply waitForFirstByte(int limitMs = FirstByteLimitMs);
    Reply waitForMore(std::int64_t lastDataMs);
    void readInto(std::vector<std::uint8_t>& reply, std::int64_t& lastDataMs);

    D2xxUnit& unit_;
    Clock& clock_;
    LogSink& log_;
    bool busy_ = false;
    int ownerDepth_ = 0;
    std::vector<std::function<void()>> whenFree_;
};

}  // namespace korvanne
