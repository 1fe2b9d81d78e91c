#include "effect/sound_step.h"

#include <QScopeGuard>
#include <QStringList>

#include "effect/fx_settings.h"

namespace korvanne {

FxControlState soundControls(const FxSettingsView& view) {
    FxControlState state;
    for (int k = 0; k < KnobCount; ++k) state.showKnobAngle(Knob(k), view.knobAngle(Knob(k)));
    for (int s = 0; s < SwitchCount; ++s) state.showSwitch(Switch(s), view.switchOn(Switch(s)));
    for (int c = 0; c < NoteCutCount; ++c) {
        state.showNoteCut(NoteCut(c), view.noteCutChecked(NoteCut(c)));
    }
    state.showHarmonicPitchEntry(view.harmonicPitchEntry());
    return state;
}

bool sameSound(const FxControlState& a, const FxControlState& b) {
    return a.knobs == b.knobs && a.switches == b.switches && a.noteCuts == b.noteCuts &&
           a.harmonicPitch == b.harmonicPitch;
}

QString soundStepText(const FxControlState& from, const FxControlState& to) {
    QStringList names;
    const auto name = [](Param p) { return QString::fromLatin1(catalogueEntry(p).name); };
    for (int k = 0; k < KnobCount; ++k) {
        if (from.knobAngle(Knob(k)) != to.knobAngle(Knob(k))) {
            names << name(FxSettings::recordOf(Knob(k)));
        }
    }
    static const char* const switches[] = {"Wave", "Split", "Bypass", "Limit Range",
                                           "Noise Gate Status"};
    for (int s = 0; s < SwitchCount; ++s) {
        if (from.switchOn(Switch(s)) != to.switchOn(Switch(s))) names << switches[s];
    }
    if (from.harmonicPitchEntry() != to.harmonicPitchEntry()) names << name(Param::HarmonicPitch);
    if (from.noteCutChecked(NoteCut::chkDominantNoteCut) !=
        to.noteCutChecked(NoteCut::chkDominantNoteCut)) {
        names << name(Param::DominantNotesCut);
    }
    if (from.noteCutChecked(NoteCut::chkHighNoteCut) !=
        to.noteCutChecked(NoteCut::chkHighNoteCut)) {
        names << name(Param::HighNotesCut);
    }
    return names.size() == 1 ? names.front() : QStringLiteral("Sound");
}

void applySoundStep(FxSettings& fx, const FxControlState& from, const FxControlState& to) {
    // A turn's message still held for the deferred send goes first, so it cannot arrive after
    // (and overwrite) what this step sends.
    if (!fx.pendingKnobMessage().empty()) fx.Timer1Timer();
    const bool wasImmediate = fx.SendImmediately;
    fx.SendImmediately = true;
    const auto restore = qScopeGuard([&] { fx.SendImmediately = wasImmediate; });
    for (int s = 0; s < SwitchCount; ++s) {
        if (from.switchOn(Switch(s)) != to.switchOn(Switch(s))) {
            fx.setSwitch(Switch(s), to.switchOn(Switch(s)));
        }
    }
    if (from.harmonicPitchEntry() != to.harmonicPitchEntry()) {
        fx.setHarmonicPitch(to.harmonicPitchEntry());
    }
    for (int c = 0; c < NoteCutCount; ++c) {
        if (from.noteCutChecked(NoteCut(c)) != to.noteCutChecked(NoteCut(c))) {
            fx.setNoteCut(NoteCut(c), to.noteCutChecked(NoteCut(c)));
        }
    }
    for (int k = 0; k < KnobCount; ++k) {
        if (from.knobAngle(Knob(k)) != to.knobAngle(Knob(k))) {
            fx.setKnob(Knob(k), to.knobAngle(Knob(k)));
        }
    }
}

}  // namespace korvanne
