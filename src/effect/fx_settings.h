#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/outcome.h"
#include "device/message_builders.h"
#include "effect/fx_settings_view.h"
#include "effect/parameter_catalogue.h"

namespace korvanne {

class Clock;
class DeviceMessages;
class Dialogs;
class EffectCatalogue;
class LogSink;
class Timer;

// The effect settings window's behaviour without its widgets: the nineteen parameter records,
// every control handler, the deferred knob send, putting values read from the pedal or a preset
// onto the controls, and bypass. Every message to the pedal leaves through sendToPedal.
class FxSettings {
public:
    static constexpr int DeferredSendMs = 100;
    static inline const QString NoTuningMessage =
        QStringLiteral("Set a tuning before using this parameter");

    // `requestInProgress` is the link's flag, read by the handlers that pause during a Request.
    FxSettings(LogSink& log, Dialogs& dialogs, Clock& clock, DeviceMessages& messages,
               EffectCatalogue& catalogue, const bool& requestInProgress);
    ~FxSettings();
    FxSettings(const FxSettings&) = delete;
    FxSettings& operator=(const FxSettings&) = delete;

    // The controls: the window's widgets, or (until a window attaches, and in tests and the
    // command line) a state without widgets. nullptr returns to the state without widgets.
    void setView(FxSettingsView* view);
    FxSettingsView& view() { return *view_; }
    FxControlState& headlessControls() { return headless_; }

    // The records, shared with presets, assignments and store/request.
    ParameterRecords records;
    // While set, knob messages go out at once instead of through the deferred send.
    bool SendImmediately = false;
    bool RequestInProgress() const { return requestInProgress_; }
    // Cleared by a front end that only reads the pedal when it links (korvanne-cli): values read
    // from a status reply are shown on the controls and none is sent back, the switches included.
    bool EchoReadValues = true;

    // One parameter changed by a command rather than by its control: `value` is a knob's angle,
    // the harmonic pitch's entry, or 1/0 for a switch or a note cut. The control's own handler
    // runs and its message goes out at once, not through the deferred send. Refused when the
    // note-cut rule turns the box back off.
    Outcome changeNow(Param p, int value);

    // Showing the window: loads the selected effect's image and its parameter addresses.
    void FormShow();
    void SetEffectControlsEnabled(bool state);

    // Setting a control from code: when its state changes, its handler runs as for a user's
    // change; a control already in that state runs nothing.
    void setKnob(Knob knob, int angle);
    void setSwitch(Switch s, bool on);
    void setNoteCut(NoteCut box, bool checked);
    void setHarmonicPitch(int entry);

    // A user changed the control (the widget shows the new state already): runs its handler.
    void knobChanged(Knob knob);
    void switchChanged(Switch s);
    void noteCutChanged(NoteCut box);
    void harmonicPitchChanged();
    // A mouse press on "Dominant Notes Cut".
    void chkDominantNoteCutMouseDown(bool rightButton);

    // The handlers by their names.
    void dialDryChange() { knobChanged(Knob::dialDry); }
    void dialSubMixChange() { knobChanged(Knob::dialSubMix); }
    void dialMinus1OctChange() { knobChanged(Knob::dialMinus1Oct); }
    void dialMinus2OctChange() { knobChanged(Knob::dialMinus2Oct); }
    void dialLPFChange() { knobChanged(Knob::dialLowPass); }
    void dialHPFChange() { knobChanged(Knob::dialHighPass); }
    void dialRangeChange() { knobChanged(Knob::dialRange); }
    void dial1stHarmonicChange() { knobChanged(Knob::dial1stHarmonic); }
    void OnChange_dialInputLevel() { knobChanged(Knob::dialInputLevel); }
    void dialClipWaveChange() { knobChanged(Knob::dialClipWave); }
    void dialDryHPFChange() { knobChanged(Knob::dialDryHPF); }
    void dialNoiseGateThresholdChange() { knobChanged(Knob::dialNoiseGateThreshold); }
    void VariWavePitchOnChange() { harmonicPitchChanged(); }
    void swtWaveSwitch() { switchChanged(Switch::swtWave); }
    void swtSplitSwitch() { switchChanged(Switch::swtSplit); }
    void swtLimitRangeSwitch() { switchChanged(Switch::swtLimitRange); }
    void swtNoiseGateStatusSwitch() { switchChanged(Switch::swtNoiseGateStatus); }
    void swtBypassSwitch() { switchChanged(Switch::swtBypass); }
    void chkDominantNoteCutChange() { noteCutChanged(NoteCut::chkDominantNoteCut); }
    void chkHighNoteCutChange() { noteCutChanged(NoteCut::chkHighNoteCut); }
    void Timer1Timer();
    Timer& Timer1() { return *timer1_; }

    // Senders.
    void SendKnobParameter(Knob knob, Param record);
    void SendSwitchParameter(std::uint32_t value, Param record);
    void SendHarmonicPitch(int entry);
    // 0D 01 (bypass on) or 0D 00, at once and without a log line.
    void SendBypass(bool on);

    // Puts the nineteen record values onto the controls; `immediate` sets SendImmediately
    // meanwhile.
    void ApplyParameterValues(bool immediate);
    // Status reply appliers: the value block from `start` (26) and the bypass entry (22). Reading
    // never writes a different value: knobs show the values read and send nothing, the records
    // keep them, and the switches, lists, check boxes and bypass only echo what was read.
    void LogParameterValues(const std::vector<std::uint8_t>& entries, std::size_t start);
    void getBypassStatus(const std::vector<std::uint8_t>& entries, std::size_t bufferIndex);

    // The message held for the deferred send (empty when none).
    const Message& pendingKnobMessage() const { return pendingKnob_; }

    static Param recordOf(Knob knob);
    static Knob knobOf(Param p);

    // Told when an exchange with the pedal starts and ends.
    void linkBusyChanged(bool busy);

private:
    // Every message of the window leaves here, through the link's door: a message asked for
    // while another exchange holds the link goes out when that exchange ends, never in the
    // middle of it. The window's own steps of a running exchange (the status reply's appliers,
    // a preset load) go in at once.
    void sendToPedal(const Message& text);
    void runNoteCutRule(NoteCut box);
    // While a status reply's values go onto the controls, a control's message goes out only
    // when it carries the value the pedal reported for it (an echo); otherwise the record keeps
    // that value and nothing is sent.
    bool echoes(Param record, std::uint32_t value) const;
    // The record values onto the controls; with `runHandlers` each changed control's handler
    // runs as for a user's change, without it the controls only show the values.
    void putValuesOnControls(bool runHandlers);

    LogSink& log_;
    Dialogs& dialogs_;
    DeviceMessages& messages_;
    EffectCatalogue& catalogue_;
    const bool& requestInProgress_;
    FxControlState headless_;
    FxSettingsView* view_ = &headless_;
    std::unique_ptr<Timer> timer1_;
    Message pendingKnob_;
    // Counts the times the controls were disabled: a message held for the door is dropped when
    // this changed meanwhile.
    int generation_ = 0;
    bool clearingNoteCut_ = false;
    // Set while LogParameterValues puts a status reply's values onto the controls.
    bool applyingStatusReply_ = false;
};

}  // namespace korvanne
