#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "device/device_messages.h"

namespace korvanne {

// One command's exchange with the pedal, through the link's door: while it lives no other
// exchange may start, so the bytes of two commands never interleave. A command that finds another
// exchange running is refused (logged by the door; the busy cursor shows why) and sends nothing.
class CommandExchange {
public:
    CommandExchange(DeviceMessages& messages, const QString& name);
    CommandExchange(const CommandExchange&) = delete;
    CommandExchange& operator=(const CommandExchange&) = delete;

    // False when the door refused: nothing may be sent through this exchange.
    bool started() const { return exchange_.entered(); }
    // Drops bytes stuck on their way to the pedal; a message written just before is let leave
    // first.
    void purgeTransmit();
    // Converts the hex text and writes all its bytes; the count written.
    std::uint32_t send(std::string_view hex);
    // A fixed pause inside the exchange (the event loop keeps running).
    void pause(int ms);

    // True when a command could start now; logs the refusal otherwise. Asked before a question
    // to the user, so nobody answers a question whose command cannot run.
    static bool linkFree(DeviceMessages& messages, const QString& name);

private:
    DeviceMessages& messages_;
    DeviceMessages::Exchange exchange_;
};

}  // namespace korvanne
