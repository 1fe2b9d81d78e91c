#pragma once

#include "core/settings_home.h"

namespace korvanne {

class Clock;
class Dialogs;
class LogSink;
class Shell;
class Transport;

// The seams every part of the program reaches the outside world through. The editor wires the
// real ones; tests wire recorders, scripts, virtual time and the simulated pedal.
struct Services {
    LogSink& log;
    Dialogs& dialogs;
    Clock& clock;
    Shell& shell;
    SettingsHome home;
    Transport& transport;
};

}  // namespace korvanne
