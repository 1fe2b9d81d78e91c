#pragma once

#include <array>

namespace korvanne {

// The effect window's controls that carry parameter values, by their names.
enum class Knob {
    dialDry,
    dialSubMix,
    dialMinus1Oct,
    dialMinus2Oct,
    dialLowPass,
    dialHighPass,
    dialRange,
    dial1stHarmonic,
    dialInputLevel,
    dialClipWave,
    dialDryHPF,
    dialNoiseGateThreshold,
};
inline constexpr int KnobCount = 12;

enum class Switch { swtWave, swtSplit, swtBypass, swtLimitRange, swtNoiseGateStatus };
inline constexpr int SwitchCount = 5;

enum class NoteCut { chkDominantNoteCut, chkHighNoteCut };
inline constexpr int NoteCutCount = 2;

// What the effect window's behaviour needs of its controls. `show...` changes what a control
// shows without running any handler: the behaviour decides when a handler runs. The editor
// implements it with widgets; FxControlState holds the same state without any, for tests and
// the command line.
class FxSettingsView {
public:
    virtual ~FxSettingsView() = default;

    // Knob angles in whole degrees, -180 to 180 (minimum -135, maximum -45).
    virtual int knobAngle(Knob knob) const = 0;
    virtual void showKnobAngle(Knob knob, int angle) = 0;
    virtual bool switchOn(Switch s) const = 0;
    virtual void showSwitch(Switch s, bool on) = 0;
    virtual bool noteCutChecked(NoteCut box) const = 0;
    virtual void showNoteCut(NoteCut box, bool checked) = 0;
    // cmbVariableWavePitch: entries "-12" ... "+12" at 0 ... 24; -1 when none is selected.
    virtual int harmonicPitchEntry() const = 0;
    virtual void showHarmonicPitchEntry(int entry) = 0;
    // cmbGuitarTuning: entry 0 is "No Tuning Selected".
    virtual int guitarTuningEntry() const = 0;

    // Every control of the window at once.
    virtual void setControlsEnabled(bool enabled) = 0;
    virtual bool controlsEnabled() const = 0;
    // Shows that the link is busy with an exchange.
    virtual void setBusy(bool /*busy*/) {}
};

// The start-up state of the controls: knobs at their minimum but for four, switches off, the
// harmonic pitch at "0", as the window shows them when first opened.
int initialKnobAngle(Knob knob);
inline constexpr int InitialHarmonicPitchEntry = 12;  // "0"

// The controls' state without widgets.
class FxControlState final : public FxSettingsView {
public:
    FxControlState();

    int knobAngle(Knob knob) const override { return knobs[index(knob)]; }
    void showKnobAngle(Knob knob, int angle) override { knobs[index(knob)] = angle; }
    bool switchOn(Switch s) const override { return switches[index(s)]; }
    void showSwitch(Switch s, bool on) override { switches[index(s)] = on; }
    bool noteCutChecked(NoteCut box) const override { return noteCuts[index(box)]; }
    void showNoteCut(NoteCut box, bool checked) override { noteCuts[index(box)] = checked; }
    int harmonicPitchEntry() const override { return harmonicPitch; }
    void showHarmonicPitchEntry(int entry) override { harmonicPitch = entry; }
    int guitarTuningEntry() const override { return guitarTuning; }
    void setControlsEnabled(bool enabled) override { enabled_ = enabled; }
    bool controlsEnabled() const override { return enabled_; }

    std::array<int, KnobCount> knobs{};
    std::array<bool, SwitchCount> switches{};
    std::array<bool, NoteCutCount> noteCuts{};
    int harmonicPitch = InitialHarmonicPitchEntry;
    int guitarTuning = 0;

private:
    template <typename E>
    static std::size_t index(E e) {
        return static_cast<std::size_t>(e);
    }
    bool enabled_ = false;
};

}  // namespace korvanne
