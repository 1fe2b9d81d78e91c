#pragma once

namespace korvanne {

class Communication;
class DeviceMessages;
class FxSettings;
class Tunings;
struct Services;

// What the tunings, the control assignments, the note cut and the store need of the program
// around them: the seams, the door, the link, the effect records and the tuning chosen, and the
// two main-window items they touch. MainController implements it.
class EffectContext {
public:
    virtual ~EffectContext() = default;

    virtual Services& services() = 0;
    virtual DeviceMessages& messages() = 0;
    virtual Communication& communication() = 0;
    virtual FxSettings& fxSettings() = 0;
    virtual Tunings& tunings() = 0;

    // The "Assign" button rests while the pedal takes the assignments in.
    virtual void setAssignEnabled(bool enabled) = 0;
    // The check mark of "Enable All Parameters".
    virtual void showAllParametersEnabled(bool enabled) = 0;
};

}  // namespace korvanne
