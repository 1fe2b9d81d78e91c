#pragma once

#include <QString>

namespace korvanne {

class Communication;
class DeviceMessages;
struct Services;

// What the pedal-wide settings need of the program around them: the seams, the door, the link,
// and where the instrument range chosen is remembered for the user. MainController implements it.
class PedalContext {
public:
    virtual ~PedalContext() = default;

    virtual Services& services() = 0;
    virtual DeviceMessages& messages() = 0;
    virtual Communication& communication() = 0;

    // Remembers the instrument chosen ("GUITAR" or "BASS"); false when it cannot be written.
    virtual bool rememberInstrument(const QString& text) = 0;
};

}  // namespace korvanne
