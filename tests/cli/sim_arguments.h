#pragma once

#include <QStringList>

#include "sim/pedal_model.h"

namespace korvanne::test {

// The few korvanne-pedal-sim options the command tables use, as the in-process pedal's options:
// --firmware N, --effect N, --bootloader, --fault no-answer|silent, --boot-fault nack:N.
inline PedalOptions simOptions(const QStringList& arguments) {
    PedalOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const QString value = arguments.value(i + 1);
        if (a == "--firmware") {
            options.firmware = value.toInt();
        } else if (a == "--effect") {
            options.effect = value.toInt();
        } else if (a == "--bootloader") {
            options.startInBootloader = true;
            continue;
        } else if (a == "--fault") {
            options.faults.silence = value == "silent" ? PedalFaults::Silence::Everything
                                                       : PedalFaults::Silence::StatusRequest;
        } else if (a == "--boot-fault") {
            options.faults.bootloader = {BootloaderFault::Kind::Nack,
                                         value.section(':', 1).toInt()};
        }
        ++i;
    }
    return options;
}

}  // namespace korvanne::test
