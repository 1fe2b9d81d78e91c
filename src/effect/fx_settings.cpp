#include "effect/fx_settings.h"

#include <algorithm>

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "effect/shown_values.h"
#include "transfer/effect_resources.h"

namespace korvanne {

namespace {

// The order the controls take loaded values in, and so the order their messages leave: the
// catalogue's, except that Wave Clip comes before the harmonic pitch list.
constexpr Param ApplyOrder[ParameterCount] = {Param::Dry,
                                              Param::SubMix,
                                              Param::Minus1Oct,
                                              Param::Minus2Oct,
                                              Param::Wave,
                                              Param::LowPass,
                                              Param::HighPass,
                                              Param::FirstHarmonic,
                                              Param::Split,
                                              Param::Range,
                                              Param::InputLevel,
                                              Param::WaveClip,
                                              Param::HarmonicPitch,
                                              Param::DominantNotesCut,
                                              Param::HighNotesCut,
                                              Param::DryHpf,
                                              Param::LimitRangeUp,
                                              Param::NoiseGateStatus,
                                              Param::NoiseGateThreshold};

struct KnobRecord {
    Knob knob;
    Param record;
};
constexpr KnobRecord knobRecords[KnobCount] = {
    {Knob::dialDry, Param::Dry},
    {Knob::dialSubMix, Param::SubMix},
    {Knob::dialMinus1Oct, Param::Minus1Oct},
    {Knob::dialMinus2Oct, Param::Minus2Oct},
    {Knob::dialLowPass, Param::LowPass},
    {Knob::dialHighPass, Param::HighPass},
    {Knob::dialRange, Param::Range},
    {Knob::dial1stHarmonic, Param::FirstHarmonic},
    {Knob::dialInputLevel, Param::InputLevel},
    {Knob::dialClipWave, Param::WaveClip},
    {Knob::dialDryHPF, Param::DryHpf},
    {Knob::dialNoiseGateThreshold, Param::NoiseGateThreshold},
};

Switch switchOf(Param p) {
    switch (p) {
        case Param::Wave:
            return Switch::swtWave;
        case Param::Split:
            return Switch::swtSplit;
        case Param::LimitRangeUp:
            return Switch::swtLimitRange;
        default:
            return Switch::swtNoiseGateStatus;
    }
}

Param noteCutRecord(NoteCut box) {
    return box == NoteCut::chkDominantNoteCut ? Param::DominantNotesCut : Param::HighNotesCut;
}

NoteCut noteCutOf(Param p) {
    return p == Param::DominantNotesCut ? NoteCut::chkDominantNoteCut : NoteCut::chkHighNoteCut;
}

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

int initialKnobAngle(Knob knob) {
    switch (knob) {
        case Knob::dialLowPass:
            return -138;
        case Knob::dialHighPass:
            return -128;
        case Knob::dialRange:
        case Knob::dialDryHPF:
            return -126;
        default:
            return KnobMinimumAngle;
    }
}

FxControlState::FxControlState() {
    for (int k = 0; k < KnobCount; ++k) knobs[std::size_t(k)] = initialKnobAngle(Knob(k));
}

Param FxSettings::recordOf(Knob knob) {
    return knobRecords[static_cast<std::size_t>(knob)].record;
}

Knob FxSettings::knobOf(Param p) {
    for (const KnobRecord& k : knobRecords) {
        if (k.record == p) return k.knob;
    }
    return Knob::dialDry;
}

FxSettings::FxSettings(LogSink& log, Dialogs& dialogs, Clock& clock, DeviceMessages& messages,
                       EffectCatalogue& catalogue, const bool& requestInProgress)
    : log_(log),
      dialogs_(dialogs),
      messages_(messages),
      catalogue_(catalogue),
      requestInProgress_(requestInProgress),
      timer1_(clock.createTimer()) {
    timer1_->setInterval(DeferredSendMs);
    timer1_->setSingleShot(true);
    timer1_->onTimeout([this] { Timer1Timer(); });
}

FxSettings::~FxSettings() = default;

void FxSettings::setView(FxSettingsView* view) {
    view_ = view ? view : &headless_;
}

void FxSettings::FormShow() {
    // The image's load logs "resource name: " and its first characters.
    if (ResourceLoad load = catalogue_.loadSelectedEffectImage(log_); !load.ok()) {
        dialogs_.inform(load.error);
        return;
    }
    const std::string error = LoadParameterAddresses(catalogue_.imageLine().toStdString(), records);
    if (!error.empty()) dialogs_.inform(qs(error));
}

void FxSettings::SetEffectControlsEnabled(bool state) {
    view_->setControlsEnabled(state);
    if (state) return;
    // Unlinked (or unusable): what has not gone out yet has nowhere to go.
    timer1_->stop();
    pendingKnob_.clear();
    ++generation_;
}

// Setting controls from code.

void FxSettings::setKnob(Knob knob, int angle) {
    if (view_->knobAngle(knob) == angle) return;
    view_->showKnobAngle(knob, angle);
    knobChanged(knob);
}

void FxSettings::setSwitch(Switch s, bool on) {
    if (view_->switchOn(s) == on) return;
    view_->showSwitch(s, on);
    switchChanged(s);
}

void FxSettings::setNoteCut(NoteCut box, bool checked) {
    if (view_->noteCutChecked(box) == checked) return;
    view_->showNoteCut(box, checked);
    noteCutChanged(box);
}

void FxSettings::setHarmonicPitch(int entry) {
    if (view_->harmonicPitchEntry() == entry) return;
    view_->showHarmonicPitchEntry(entry);
    harmonicPitchChanged();
}

// Handlers.

void FxSettings::knobChanged(Knob knob) {
    // A knob shows a value read from the pedal at its nearest position; re-encoding that
    // position would give a different value, so the record keeps what was read and nothing goes.
    if (requestInProgress_ || applyingStatusReply_) return;
    SendKnobParameter(knob, recordOf(knob));
}

void FxSettings::switchChanged(Switch s) {
    const bool on = view_->switchOn(s);
    switch (s) {
        case Switch::swtWave:
            SendSwitchParameter(on ? WaveOn : WaveOff, Param::Wave);
            break;
        case Switch::swtSplit:
            SendSwitchParameter(on ? 1 : 0, Param::Split);
            break;
        case Switch::swtLimitRange:
            SendSwitchParameter(on ? 1 : 0, Param::LimitRangeUp);
            break;
        case Switch::swtNoiseGateStatus:
            SendSwitchParameter(on ? 1 : 0, Param::NoiseGateStatus);
            break;
        case Switch::swtBypass:
            if (!requestInProgress_) SendBypass(on);
            break;
    }
}

void FxSettings::noteCutChanged(NoteCut box) {
    if (requestInProgress_) return;
    runNoteCutRule(box);
}

void FxSettings::runNoteCutRule(NoteCut box) {
    // The rule guards a user's change; a box showing what the pedal reported is left as it is.
    if (view_->guitarTuningEntry() == 0 && !clearingNoteCut_ && !applyingStatusReply_) {
        dialogs_.inform(NoTuningMessage);
        if (view_->noteCutChecked(box)) {
            // Clearing the box runs this handler again, which sends the 0; the message is not
            // shown a second time.
            clearingNoteCut_ = true;
            setNoteCut(box, false);
            clearingNoteCut_ = false;
            return;
        }
    }
    const Param p = noteCutRecord(box);
    const std::uint32_t value = view_->noteCutChecked(box) ? 1 : 0;
    if (!echoes(p, value)) return;
    records.setValue(p, value);
    const Message text = msg::parameterWrite(records.address(p), value);
    log_.ConsoleLog("write to DSP msg: " + qs(hexText(text)));
    sendToPedal(text);
}

void FxSettings::harmonicPitchChanged() {
    if (requestInProgress_) return;
    const int entry = view_->harmonicPitchEntry();
    if (entry < 0 || entry >= static_cast<int>(HarmonicPitchTable.size())) return;
    SendHarmonicPitch(entry);
}

void FxSettings::chkDominantNoteCutMouseDown(bool rightButton) {
    if (rightButton) log_.ConsoleLog("Right mouse button clicked!");
}

// Senders.

void FxSettings::SendKnobParameter(Knob knob, Param record) {
    const EncodedKnob encoded = EncodeKnob(view_->knobAngle(knob));
    // Out of the dead zone first; the snapped angle is what the user then sees.
    if (encoded.angle != view_->knobAngle(knob)) view_->showKnobAngle(knob, encoded.angle);
    records.setValue(record, encoded.value);
    const Message text = msg::parameterWrite(records.address(record), encoded.value);
    log_.ConsoleLog("Send " + qs(records.name(record)) + " string (" +
                    (records.isAssignable(record) ? "assignable" : "standard") +
                    " par): " + qs(hexText(text)));
    if (SendImmediately) {
        sendToPedal(text);
        return;
    }
    pendingKnob_ = text;
    if (!timer1_->isActive()) timer1_->start(DeferredSendMs);
}

void FxSettings::Timer1Timer() {
    timer1_->stop();
    if (pendingKnob_.empty()) return;
    // Another exchange holds the link: try again later, so only the latest message waits. On
    // the bootloader's line the door refuses the message (logged) rather than keep it for later.
    if (!messages_.linkFree({}, DeviceMessages::Talk::Bootloader)) {
        timer1_->start(DeferredSendMs);
        return;
    }
    const Message text = std::move(pendingKnob_);
    pendingKnob_.clear();
    sendToPedal(text);
}

void FxSettings::SendSwitchParameter(std::uint32_t value, Param record) {
    if (!echoes(record, value)) return;
    records.setValue(record, value);
    const Message text = msg::parameterWrite(records.address(record), value);
    log_.ConsoleLog("Send " + qs(records.name(record)) + " string (" +
                    (records.isAssignable(record) ? "assignable" : "standard") +
                    " par): " + qs(hexText(text)));
    sendToPedal(text);
}

void FxSettings::SendHarmonicPitch(int entry) {
    const std::uint32_t value = HarmonicPitchTable[static_cast<std::size_t>(entry)];
    const Message text = msg::parameterWrite(records.address(Param::HarmonicPitch), value);
    log_.ConsoleLog("Send Harmonic Pitch string: " + qs(hexText(text)));
    sendToPedal(text);
    records.setValue(Param::HarmonicPitch, value);
}

void FxSettings::SendBypass(bool on) {
    sendToPedal(msg::bypass(on));
}

// Values onto the controls.

void FxSettings::ApplyParameterValues(bool immediate) {
    SendImmediately = immediate;
    putValuesOnControls(true);
    SendImmediately = false;
}

void FxSettings::putValuesOnControls(bool runHandlers) {
    const auto knob = [&](Knob k, int angle) {
        runHandlers ? setKnob(k, angle) : view_->showKnobAngle(k, angle);
    };
    const auto toggle = [&](Switch s, bool on) {
        runHandlers ? setSwitch(s, on) : view_->showSwitch(s, on);
    };
    const auto pitch = [&](int entry) {
        runHandlers ? setHarmonicPitch(entry) : view_->showHarmonicPitchEntry(entry);
    };
    const auto noteCut = [&](NoteCut box, bool checked) {
        runHandlers ? setNoteCut(box, checked) : view_->showNoteCut(box, checked);
    };
    for (Param p : ApplyOrder) {
        const CatalogueEntry& e = catalogueEntry(p);
        // Nothing for a value the control does not show: it keeps its state.
        const std::optional<int> setting = controlSettingOf(e, records.value(p));
        if (!setting) continue;
        switch (e.encoding) {
            case Encoding::Knob:
                knob(knobOf(p), *setting);
                break;
            case Encoding::WaveSwitch:
            case Encoding::Switch:
                toggle(switchOf(p), *setting == 1);
                break;
            case Encoding::PitchTable:
                pitch(*setting);
                break;
            case Encoding::CheckBox:
                noteCut(noteCutOf(p), *setting == 1);
                break;
        }
    }
}

Outcome FxSettings::changeNow(Param p, int value) {
    const auto& catalogue = ParameterCatalogue();
    const auto entry = std::find_if(catalogue.begin(), catalogue.end(),
                                    [p](const CatalogueEntry& e) { return e.param == p; });
    if (entry == catalogue.end()) return Outcome::refused(QStringLiteral("No such parameter."));
    Outcome outcome;
    SendImmediately = true;
    switch (entry->encoding) {
        case Encoding::Knob:
            view_->showKnobAngle(knobOf(p), value);
            knobChanged(knobOf(p));
            break;
        case Encoding::PitchTable:
            view_->showHarmonicPitchEntry(value);
            harmonicPitchChanged();
            break;
        case Encoding::WaveSwitch:
        case Encoding::Switch:
            view_->showSwitch(switchOf(p), value != 0);
            switchChanged(switchOf(p));
            break;
        case Encoding::CheckBox:
            view_->showNoteCut(noteCutOf(p), value != 0);
            noteCutChanged(noteCutOf(p));
            if (view_->noteCutChecked(noteCutOf(p)) != (value != 0)) {
                outcome = Outcome::refused(NoTuningMessage);
            }
            break;
    }
    SendImmediately = false;
    return outcome;
}

void FxSettings::LogParameterValues(const std::vector<std::uint8_t>& entries, std::size_t start) {
    const std::vector<std::uint32_t> block = ParameterValueBlock(entries, start);
    // A reply cut short leaves the records it does not reach as they were.
    for (std::size_t i = 0; i < block.size(); ++i) records.setValue(Param(i), block[i]);
    for (const CatalogueEntry& e : ParameterCatalogue()) {
        log_.ConsoleLog(qs(parameterDumpLabel(e.param) + hex8(records.value(e.param))));
    }
    if (EchoReadValues) {
        applyingStatusReply_ = true;
        ApplyParameterValues(false);
        applyingStatusReply_ = false;
    } else {
        putValuesOnControls(false);
    }
}

void FxSettings::getBypassStatus(const std::vector<std::uint8_t>& entries,
                                 std::size_t bufferIndex) {
    if (bufferIndex >= entries.size()) return;
    const std::uint8_t entry = entries[bufferIndex];
    if (entry > 1) return;
    if (EchoReadValues) {
        setSwitch(Switch::swtBypass, entry == 1);
    } else {
        view_->showSwitch(Switch::swtBypass, entry == 1);
    }
}

bool FxSettings::echoes(Param record, std::uint32_t value) const {
    return !applyingStatusReply_ || records.value(record) == value;
}

// The door.

void FxSettings::sendToPedal(const Message& text) {
    messages_.runWhenFree([this, text, generation = generation_] {
        if (generation == generation_) messages_.Send(text);
    });
}

void FxSettings::linkBusyChanged(bool busy) {
    view_->setBusy(busy);
}

}  // namespace korvanne
