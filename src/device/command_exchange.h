#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "device/device_messages.h"

namespace korvanne {

class Dialogs;

// One command exchange with the pedal: while it lives no other exchange may start, so the bytes of
// two commands never interleave, and the windows show the link busy. A command that finds the link
// busy is not sent; the user is told, so no click is lost without a word.
class CommandExchange {
public:
    static inline const QString BusyMessage = QStringLiteral(
        "The editor is still exchanging data with the pedal. Try again when it has finished.");

    CommandExchange(DeviceMessages& messages, Dialogs& dialogs);
    CommandExchange(const CommandExchange&) = delete;
    CommandExchange& operator=(const CommandExchange&) = delete;

    // False when another exchange held the link: nothing may be sent through this one.
    bool started() const { return guard_.has_value(); }
    // Drops bytes still queued for the pedal.
    void purgeTransmit();
    // Converts the hex text and writes all its bytes; the count written.
    std::uint32_t send(std::string_view hex);
    // A fixed pause inside the exchange (the event loop keeps running).
    void pause(int ms);

    // True when a command could start now; tells the user when it cannot.
    static bool linkFree(DeviceMessages& messages, Dialogs& dialogs);

private:
    DeviceMessages& messages_;
    std::optional<DeviceMessages::BusyGuard> guard_;
};

}  // namespace korvanne
