#include "effect/shown_values.h"

#include <algorithm>

namespace korvanne {

namespace {

constexpr int MaximumTenths = 100;  // "10.0"

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "6", "6.5", "10", "10.0": tenths 0 to 100; nothing for anything else.
std::optional<int> knobTenths(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 2 || !std::all_of(whole.begin(), whole.end(), isDigit)) {
        return std::nullopt;
    }
    if (point != std::string_view::npos && (decimals.size() != 1 || !isDigit(decimals[0]))) {
        return std::nullopt;
    }
    int tenths = 0;
    for (char c : whole) tenths = tenths * 10 + (c - '0');
    tenths = tenths * 10 + (decimals.empty() ? 0 : decimals[0] - '0');
    if (tenths > MaximumTenths) return std::nullopt;
    return tenths;
}

// "-12" to "+12", the + optional: the list's entry 0 to 24.
std::optional<int> pitchEntry(std::string_view text) {
    int sign = 1;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        sign = text[0] == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), isDigit)) {
        return std::nullopt;
    }
    int semitones = 0;
    for (char c : text) semitones = semitones * 10 + (c - '0');
    semitones *= sign;
    if (semitones < -12 || semitones > 12) return std::nullopt;
    return semitones + 12;
}

}  // namespace

std::optional<int> controlSettingOf(const CatalogueEntry& entry, std::uint32_t reported) {
    switch (entry.encoding) {
        case Encoding::Knob:
            return DecodeKnob(reported, entry.readBackScale);
        case Encoding::WaveSwitch:
            if (reported != WaveOn && reported != WaveOff) return std::nullopt;
            return reported == WaveOn ? 1 : 0;
        case Encoding::Switch:
            // Split keeps its state for codes other than 1 and 0; the others show off.
            if (entry.param == Param::Split && reported > 1) return std::nullopt;
            return reported == 1 ? 1 : 0;
        case Encoding::PitchTable:
            return harmonicPitchEntry(reported);
        case Encoding::CheckBox:
            return reported == 1 ? 1 : 0;
    }
    return std::nullopt;
}

std::string shownText(const CatalogueEntry& entry, int setting) {
    switch (entry.encoding) {
        case Encoding::Knob:
            return knobFaceText(knobPositionFromAngle(setting));
        case Encoding::PitchTable:
            return harmonicPitchText(setting);
        case Encoding::WaveSwitch:
        case Encoding::Switch:
        case Encoding::CheckBox:
            break;
    }
    return setting != 0 ? "on" : "off";
}

std::optional<std::string> shownValue(const CatalogueEntry& entry, std::uint32_t reported) {
    const std::optional<int> setting = controlSettingOf(entry, reported);
    if (!setting) return std::nullopt;
    return shownText(entry, *setting);
}

std::optional<int> settingFromShown(const CatalogueEntry& entry, std::string_view text) {
    switch (entry.encoding) {
        case Encoding::Knob:
            if (const std::optional<int> tenths = knobTenths(text)) {
                return knobAngleFromPosition(knobPositionShowing(*tenths));
            }
            return std::nullopt;
        case Encoding::PitchTable:
            return pitchEntry(text);
        case Encoding::WaveSwitch:
        case Encoding::Switch:
        case Encoding::CheckBox:
            break;
    }
    if (text == "on") return 1;
    if (text == "off") return 0;
    return std::nullopt;
}

std::string shownValueForms(const CatalogueEntry& entry) {
    switch (entry.encoding) {
        case Encoding::Knob:
            return "0.0 to 10.0 with at most one decimal (e.g. 6.5)";
        case Encoding::PitchTable:
            return "semitones from -12 to +12 (e.g. -11)";
        case Encoding::WaveSwitch:
        case Encoding::Switch:
        case Encoding::CheckBox:
            break;
    }
    return "on or off";
}

std::string knobFaceText(int position) {
    position = std::clamp(position, 0, KnobPositions - 1);
    // position × 100 / 269 tenths, rounded to the nearest: never exactly half way, since 269 is
    // prime and above 200.
    const int tenths = (position * 200 + (KnobPositions - 1)) / (2 * (KnobPositions - 1));
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

int knobPositionShowing(int tenths) {
    tenths = std::clamp(tenths, 0, MaximumTenths);
    // tenths × 269 / 100 rounded, a half up: "5.0" lies half way between 134 and 135, both of
    // which show it; 135 is the one whose value the pedal reports back as 5.0.
    return (tenths * (KnobPositions - 1) * 2 + 100) / 200;
}

}  // namespace korvanne
