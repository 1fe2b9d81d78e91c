#pragma once

#include <QString>
#include <string>

#include "core/outcome.h"
#include "effect/fx_settings_view.h"

namespace korvanne {

class EffectContext;

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

    explicit ParameterStore(EffectContext& main);
    void setView(KnobLockView* view) { view_ = view; }

    // The 37-byte store message for the records' values now.
    std::string storeMessage() const;

    // Done once sent; Cancelled when the user says No.
    Outcome btnSaveParametersClick();
    void btnRequestClick();
    void OnClickEnableAllParameters();

    bool EnableAllParameters = false;

private:
    EffectContext& main_;
    KnobLockView* view_ = nullptr;
};

}  // namespace korvanne
