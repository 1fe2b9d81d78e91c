#include "device/command_exchange.h"

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "device/d2xx_unit.h"

namespace korvanne {

CommandExchange::CommandExchange(DeviceMessages& messages, Dialogs& dialogs) : messages_(messages) {
    if (linkFree(messages, dialogs)) guard_.emplace(messages);
}

bool CommandExchange::linkFree(DeviceMessages& messages, Dialogs& dialogs) {
    if (!messages.busy()) return true;
    messages.log().ConsoleLog("link busy: command not sent");
    dialogs.inform(BusyMessage);
    return false;
}

void CommandExchange::purgeTransmit() {
    if (started()) messages_.unit().PurgeFTTransmit();
}

std::uint32_t CommandExchange::send(std::string_view hex) {
    return started() ? messages_.SendText(hex) : 0;
}

void CommandExchange::pause(int ms) {
    if (started()) messages_.clock().pause(ms);
}

}  // namespace korvanne
