#include "device/command_exchange.h"

#include "core/clock.h"
#include "core/log_sink.h"
#include "device/d2xx_unit.h"

namespace korvanne {

CommandExchange::CommandExchange(DeviceMessages& messages, const QString& name)
    : messages_(messages), exchange_(messages, name) {}

bool CommandExchange::linkFree(DeviceMessages& messages, const QString& name) {
    if (messages.mayEnter()) return true;
    messages.log().ConsoleLog(
        name + (messages.busy() ? " refused: another exchange with the pedal is in progress"
                                : " refused: the line talks to the pedal's bootloader"));
    return false;
}

void CommandExchange::purgeTransmit() {
    if (!started()) return;
    messages_.letLastWriteLeave();
    messages_.unit().PurgeFTTransmit();
}

std::uint32_t CommandExchange::send(std::string_view hex) {
    return started() ? messages_.SendText(hex) : 0;
}

void CommandExchange::pause(int ms) {
    if (started()) messages_.clock().pause(ms);
}

}  // namespace korvanne
