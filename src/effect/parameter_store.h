#pragma once

#include <QString>
#include <functional>
#include <string>

#include "core/outcome.h"
#include "device/message_builders.h"
#include "effect/fx_settings_view.h"

namespace korvanne {

struct Services;
class DeviceMessages;
class Communication;
class ParameterRecords;

// The effect window's knobs that "Enable All Parameters" unlocks.
class KnobLockView {
public:
    virtual ~KnobLockView() = default;
    virtual void setKnobEnabled(Knob knob, bool enabled) = 0;
};

// Storing the nine assignable values in the pedal ("Save Parameters"), reading the pedal's whole
// state back without echoing it ("Request"), and the hidden "Enable All Parameters" toggle.
class ParameterStore {
public:
    static constexpr int AfterWriteMs = 100;

    ParameterStore(Services& services, DeviceMessages& messages, Communication& link,
                   const ParameterRecords& records,
                   std::function<void(bool)> showAllParametersEnabled);
    void setView(KnobLockView* view) { view_ = view; }

    // The 37-byte store message for the records' values now.
    Message storeMessage() const;

    // Done once sent; Cancelled when the user says No.
    Outcome btnSaveParametersClick();
    void btnRequestClick();
    void OnClickEnableAllParameters();

    bool EnableAllParameters = false;

private:
    Services& services_;
    DeviceMessages& messages_;
    Communication& link_;
    const ParameterRecords& records_;
    // The check mark of "Enable All Parameters" in the main window.
    std::function<void(bool)> showAllParametersEnabled_;
    KnobLockView* view_ = nullptr;
};

}  // namespace korvanne
