#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "effect/parameter_catalogue.h"

namespace korvanne {

// The effect parameters in the musician's scale, as the effect window's controls show them:
// knobs from 0.0 to 10.0 with one decimal as a knob's face shows it, switches and check boxes
// on or off, the harmonic pitch in semitones ("-12" ... "0" ... "+12"). The effect window, the
// command line and backups all take their shown values from here.
//
// A control's setting is what FxSettings::changeNow takes: a knob's angle, the harmonic pitch
// list's entry (0 to 24), 1 or 0 for a switch or a check box.

// The setting a control takes for a value the pedal reported (or a preset holds), as the effect
// window puts it on the control: knobs decode with the entry's read-back scale, "Wave" and
// "Split" are on or off for their two codes only, the other switches and the check boxes are on
// for 1 and off for anything else, the harmonic pitch is the table's entry. Nothing when the
// control keeps the state it had (another "Wave" or "Split" code, a pitch not in the table).
std::optional<int> controlSettingOf(const CatalogueEntry& entry, std::uint32_t reported);

// What the control shows at `setting`.
std::string shownText(const CatalogueEntry& entry, int setting);

// What the effect window shows for a reported value; nothing when the control keeps its state
// (the value is then not one the window can show).
std::optional<std::string> shownValue(const CatalogueEntry& entry, std::uint32_t reported);

// The setting whose control shows `text`: a knob's "0" to "10" with at most one decimal ("6.5",
// "10.0") at the position nearest to text × 269 / 10 among those whose face shows it; the
// harmonic pitch's semitones "-12" to "+12" (the + may be left out); "on" or "off" for a switch
// or a check box. Nothing for anything else.
std::optional<int> settingFromShown(const CatalogueEntry& entry, std::string_view text);

// The shown values the entry takes, for a sentence: "0.0 to 10.0 with at most one decimal
// (e.g. 6.5)", "semitones from -12 to +12 (e.g. -11)" or "on or off".
std::string shownValueForms(const CatalogueEntry& entry);

// A knob's face at position 0 to 269: position × 10 / 269 with one decimal, "0.0" to "10.0".
std::string knobFaceText(int position);
// The position whose face shows tenths / 10 (0 to 100 tenths), nearest to tenths × 269 / 100;
// of the two equally near positions showing "5.0", the higher (135).
int knobPositionShowing(int tenths);

}  // namespace korvanne
