#pragma once

#include <QString>

#include "effect/fx_settings_view.h"

namespace korvanne {

class FxSettings;

// A step of the sound's history: the effect window's sound controls (knobs, switches, the
// harmonic pitch, the note-cut boxes) before and after one completed change.

// What those controls show now.
FxControlState soundControls(const FxSettingsView& view);
// True when the two show the same sound.
bool sameSound(const FxControlState& a, const FxControlState& b);
// What a step changed, as a person names it: the one parameter ("Dry"), or "Sound" for several.
QString soundStepText(const FxControlState& from, const FxControlState& to);
// Puts every control that differs between `from` and `to` at its `to` state, each through its
// own handler as a user's change, so the pedal follows; the messages go out at once.
void applySoundStep(FxSettings& fx, const FxControlState& from, const FxControlState& to);

}  // namespace korvanne
