#pragma once

// A link to a pedal whose every answer comes from the fuzzer's input, on virtual time: the
// input is cut into arrivals, each a few milliseconds after the one before, so replies arrive
// whole, in pieces, late or not at all.
#include <QString>
#include <cstdint>

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "scripted_transport.h"

namespace korvanne::fuzz {

class QuietDialogs final : public Dialogs {
public:
    bool confirm(const QString&, Default) override { return true; }
    void inform(const QString&) override {}
    void warn(const QString&) override {}
    QString openFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
};

class DroppingLog final : public LogSink {
public:
    void ConsoleLog(const QString&) override {}
    void ConsoleAppend(const QString&) override {}
};

struct FuzzLink {
    FuzzLink(const std::uint8_t* data, std::size_t size) : transport(&clock) {
        // Every wait here waits for the transport's arrivals, so it may skip the idle
        // milliseconds between them; an input that stops early would otherwise poll through
        // every millisecond of each time limit.
        clock.setWaitsJumpBetweenEvents(true);
        std::int64_t atMs = 0;
        std::size_t at = 0;
        while (at < size) {
            // Each arrival: a header byte (gap in ms, then length), then its bytes.
            const std::uint8_t header = data[at++];
            atMs += header >> 4;
            const std::size_t length = 1 + ((header & 0x0F) << 3);
            const std::size_t take = length < size - at ? length : size - at;
            transport.arrive(atMs, std::vector<std::uint8_t>(data + at, data + at + take));
            at += take;
        }
        unit.Open_USB_Device_By_Serial_Number(test::ScriptedTransport().devices.front().serial);
    }

    VirtualClock clock;
    test::ScriptedTransport transport;
    QuietDialogs dialogs;
    DroppingLog log;
    D2xxUnit unit{transport, dialogs};
    DeviceMessages messages{unit, clock, log};
};

}  // namespace korvanne::fuzz
