// korvanne-cli restore: brings a pedal to the state a backup holds by sending only what differs,
// each through the operation the editor's own control runs.
#include <QFile>

#include "app/main_controller.h"
#include "cli/cli_app.h"
#include "device/hex_text.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/parameter_catalogue.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"
#include "pedal/pedal_settings.h"

namespace korvanne {

namespace {

// The value to write for a parameter the pedal reported as `reported`. Low Pass, High Pass and
// Range are reported as small step counts, not as what is written: they go back through their
// knob's own encoding, as a preset's values do.
std::uint32_t writableValue(const CatalogueEntry& entry, std::uint32_t reported) {
    if (entry.encoding != Encoding::Knob || entry.readBackScale == KnobScale) return reported;
    return EncodeKnob(DecodeKnob(reported, entry.readBackScale)).value;
}

QString rangeText(int range) {
    return range == PedalSettings::RangeStandard ? QStringLiteral("standard")
           : range == PedalSettings::RangeLow    ? QStringLiteral("low")
                                                 : QString::number(range);
}

// The pedal reports OMNI as 0 or 255.
int midiChannel(int reported) {
    return reported == 255 ? 0 : reported;
}

QString onOff(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

}  // namespace

int CliApp::restore(CommandArguments& args) {
    const bool noStore = args.flag("--no-store");
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 1) return usage(QStringLiteral("restore wants the backup FILE to read."));
    // The file is judged whole before the pedal is touched, so a bad one sends nothing.
    QFile file(words[0]);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(ExitFailed,
                    QStringLiteral("Cannot read %1: %2.").arg(words[0], file.errorString()));
    }
    const std::optional<PedalSnapshot> read = snapshotFromJson(file.readAll(), error);
    if (!read) {
        return fail(ExitFailed,
                    QStringLiteral("%1 is not a pedal backup: %2.").arg(words[0], error));
    }
    const PedalSnapshot& wanted = *read;
    createController();
    std::array<int, AssignLists> assignments{};
    for (int i = 0; i < AssignLists; ++i) {
        const QString& text = wanted.assignments.at(AssignmentKeys[i]);
        assignments[std::size_t(i)] = assignmentView_.entryIndex(AssignList(i), text);
        if (assignments[std::size_t(i)] < 0) {
            return fail(ExitFailed, QStringLiteral("%1 is not a pedal backup: \"%2\" cannot be "
                                                   "assigned to %3.")
                                        .arg(words[0], text, AssignmentKeys[i]));
        }
    }
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    if (int r = refuseUnless(view_.effectControlsEnabled())) return r;

    const PedalSnapshot now = readSnapshot();
    int changes = 0;
    const auto changed = [&](const QString& key, const QString& from, const QString& to) {
        print(QStringLiteral("%1: %2 -> %3").arg(key, from, to));
        ++changes;
    };

    // The footswitch first, then the tuning: the tracking parameters after it need one.
    if (wanted.footswitchMode != now.footswitchMode) {
        ControlAssignments::CheckFootswitchChoices(assignmentView_, wanted.footswitchMode);
        controller_->controlAssignments().btnSetFootswitchModeClick();
        changed("footswitch_mode", QString::number(now.footswitchMode),
                QString::number(wanted.footswitchMode));
    }
    if (wanted.tuning != now.tuning || wanted.semitones != now.semitones) {
        Tunings& tunings = controller_->tunings();
        tunings.cmbGuitarTuningChange(wanted.tuning);
        tunings.cmbSemitonesVariationChange(QString::number(wanted.semitones));
        tunings.btnSetTuningClick();
        if (int r = confirmationOutcome()) return r;
        controller_->fxSettings().headlessControls().guitarTuning = wanted.tuning;
        if (wanted.tuning != now.tuning) {
            changed("tuning", QString::number(now.tuning), QString::number(wanted.tuning));
        }
        if (wanted.semitones != now.semitones) {
            changed("semitones", QString::number(now.semitones), QString::number(wanted.semitones));
        }
    }
    bool assignmentsDiffer = false;
    const qsizetype messagesBefore = dialogs_.messages().size();
    for (int i = 0; i < AssignLists; ++i) {
        const auto control = AssignList(i);
        const QString before = assignmentView_.assignText(control);
        assignmentView_.selectAssign(control, assignments[std::size_t(i)]);
        if (assignmentView_.assignText(control) == before) continue;
        assignmentsDiffer = true;
        changed(QStringLiteral("assignments.%1").arg(AssignmentKeys[i]), before,
                assignmentView_.assignText(control));
    }
    // The operation turned a choice back and said why.
    if (dialogs_.messages().size() > messagesBefore) return ExitFailed;
    if (assignmentsDiffer) {
        controller_->controlAssignments().btnAssignClick();
        if (int r = confirmationOutcome()) return r;
    }

    PedalSettings& settings = controller_->pedalSettings();
    if (wanted.instrumentRange != now.instrumentRange) {
        if (wanted.instrumentRange == PedalSettings::RangeStandard) {
            settings.menuStandardClick();
        } else {
            settings.menuLowClick();
        }
        if (int r = confirmationOutcome()) return r;
        changed("instrument_range", rangeText(now.instrumentRange),
                rangeText(wanted.instrumentRange));
    }
    if (wanted.storeBypassStatus != now.storeBypassStatus) {
        if (wanted.storeBypassStatus) {
            settings.menuStoreBypassStatusClick();
        } else {
            settings.menuDoNotStoreBypassStatusClick();
        }
        changed("store_bypass_status", onOff(now.storeBypassStatus),
                onOff(wanted.storeBypassStatus));
    }
    if (midiChannel(wanted.midiChannel) != midiChannel(now.midiChannel)) {
        const QString caption = PedalSettings::midiChannelCaption(midiChannel(wanted.midiChannel));
        settings.menuMIDIchannelsClickItem(caption);
        changed("midi_channel", PedalSettings::midiChannelCaption(midiChannel(now.midiChannel)),
                caption);
    }

    FxSettings& fx = controller_->fxSettings();
    if (wanted.bypassKnown && wanted.bypass != now.bypass) {
        fx.SendBypass(wanted.bypass);
        changed("bypass", onOff(now.bypass), onOff(wanted.bypass));
    }
    // Each parameter by its name, at the address of the image the pedal runs now.
    for (const CatalogueEntry& entry : ParameterCatalogue()) {
        const QString name = QString::fromLatin1(entry.name);
        const auto it = wanted.parameters.find(name);
        if (it == wanted.parameters.end()) continue;
        const std::uint32_t current = now.parameters.at(name);
        if (it->second == current) continue;
        fx.SendSwitchParameter(writableValue(entry, it->second), entry.param);
        changed("parameters." + name, QString::fromStdString(hex8(current)),
                QString::fromStdString(hex8(it->second)));
    }
    if (changes == 0) print(QStringLiteral("The pedal already holds the backup's settings."));

    if (noStore) return ExitDone;
    controller_->parameterStore().btnSaveParametersClick();
    if (int r = confirmationOutcome()) return r;
    print(QStringLiteral("Parameters saved in the pedal."));
    return ExitDone;
}

}  // namespace korvanne
