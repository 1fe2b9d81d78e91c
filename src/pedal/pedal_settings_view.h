#pragma once

namespace korvanne {

// The Settings menu items whose check marks show the pedal-wide settings.
enum class PedalMenuItem {
    menuStandard,
    menuLow,
    menuStoreBypassStatus,
    menuDoNotStoreBypassStatus,
    menuRangeLimitOFF,
    menuRangeLimitON,
};

// What the pedal-wide settings need of the main window's menus. The editor's main window
// implements it; the command-line front end needs none.
class PedalSettingsView {
public:
    static constexpr int MidiChannelItems = 17;  // "OMNI" and "1" to "16"

    virtual ~PedalSettingsView() = default;
    virtual void setItemChecked(PedalMenuItem item, bool checked) = 0;
    virtual bool itemChecked(PedalMenuItem item) const = 0;
    // The channel items by index: 0 is "OMNI", n is channel n.
    virtual void setMidiChannelChecked(int index, bool checked) = 0;
    virtual bool midiChannelChecked(int index) const = 0;
};

}  // namespace korvanne
