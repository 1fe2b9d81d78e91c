#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "core/outcome.h"
#include "device/message_builders.h"
#include "pedal/pedal_settings_view.h"

namespace korvanne {

struct Services;
class DeviceMessages;
class Communication;

// The settings that concern the whole pedal: instrument range, bypass status storing, range limit
// and MIDI channel. Each choice sends one short command at once; the pedal reports all but the
// range limit in its status reply.
class PedalSettings {
public:
    // The instrument range codes, as sent and as the status reply reports them.
    static constexpr std::uint8_t RangeStandard = msg::RangeStandard;
    static constexpr std::uint8_t RangeLow = msg::RangeLow;
    // The MIDI channel a status reply entry reports: 0 for OMNI (reported as 0 or 255), else the
    // channel number.
    static int midiChannelOf(std::uint8_t entry) { return entry == 255 ? 0 : entry; }

    PedalSettings(Services& services, DeviceMessages& messages, Communication& link,
                  std::function<bool(const QString&)> rememberInstrument);
    void setView(PedalSettingsView* view) { view_ = view; }

    // Instrument Range.
    // Done once sent; Cancelled when the user says No.
    Outcome menuStandardClick();
    Outcome menuLowClick();
    // Builds, confirms and sends the command for the current instrument range.
    Outcome ChangeInstrument();

    // Bypass Status: the choice is sent, then the clicked item takes the only check mark. A send
    // the door refuses leaves the marks as they were (the window undoes its own toggle).
    Outcome menuStoreBypassStatusClick();
    Outcome menuDoNotStoreBypassStatusClick();
    Outcome ChangeStoreBypassStatus(bool store);

    // Limit Range (hidden in the menus): sent, then the clicked item takes the only check mark.
    Outcome menuRangeLimitONClick();
    Outcome menuRangeLimitOFFClick();
    Outcome RangeLimit(std::uint8_t status);

    // A MIDI channel item by its caption ("OMNI" or "1" to "16"). The check marks follow the
    // pedal's next status reply, not the click. Refused for any other caption.
    Outcome menuMIDIchannelsClickItem(const QString& caption);
    // Status reply entry 25: checks the reported channel's item only.
    void ShowMidiChannel(std::uint8_t entry);

    // Caption of the channel item at an index (0 "OMNI", n is n).
    static QString midiChannelCaption(int index);

private:
    Outcome chooseRange(std::uint8_t range, const QString& fileText);
    void checkPair(PedalMenuItem on, PedalMenuItem off);
    // Logs the message as hex text and sends it as one exchange; refused while the door is not
    // free.
    Outcome send(const Message& message, const QString& name);
    // Sends, and on success gives `on` the only check mark of its pair.
    Outcome sendAndMark(const Message& message, const QString& name, PedalMenuItem on,
                        PedalMenuItem off);

    Services& services_;
    DeviceMessages& messages_;
    Communication& link_;
    // Remembers the instrument chosen ("GUITAR" or "BASS") for the user; false when it cannot.
    std::function<bool(const QString&)> rememberInstrument_;
    PedalSettingsView* view_ = nullptr;
};

}  // namespace korvanne
