// korvanne-cli's commands for the tunings, the control assignments and footswitch, the store and
// the pedal-wide settings: each runs the operation the editor's own control runs.
#include "cli/cli_app.h"
#include "cli/value_parsing.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/note_tracking_filter.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"
#include "operations/pedal_operations.h"
#include "pedal/pedal_settings.h"

namespace korvanne {

int CliApp::noArguments(CommandArguments& args, const QString& command) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (!words.isEmpty()) return usage(QStringLiteral("%1 takes no arguments.").arg(command));
    return ExitDone;
}

int CliApp::oneOf(CommandArguments& args, const QStringList& choices, const QString& sentence,
                  QString& chosen) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    for (const QString& choice : choices) {
        if (words.size() == 1 && words[0].compare(choice, Qt::CaseInsensitive) == 0) {
            chosen = choice;
            return ExitDone;
        }
    }
    return usage(sentence);
}

int CliApp::keyValues(CommandArguments& args, const QStringList& keys, const QString& command,
                      std::map<QString, QString>& values) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    std::optional<std::map<QString, QString>> read = parseKeyValues(words, keys, command, error);
    if (!read) return usage(error);
    values = std::move(*read);
    return ExitDone;
}

int CliApp::tuning(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 2) return usage(QStringLiteral("tuning wants TUNING and SEMITONES."));
    const std::optional<int> tuning =
        wholeNumber(words[0], 0, int(Tunings::TuningEntries.size()) - 1);
    if (!tuning) {
        return usage(QStringLiteral("TUNING must be a number from 0 to 8 (0 is \"%1\").")
                         .arg(Tunings::TuningEntries[0]));
    }
    const std::optional<int> shift = wholeNumber(words[1], -Tunings::SemitoneOffset, 3);
    if (!shift) return usage(QStringLiteral("SEMITONES must be a number from -5 to 3."));
    const int number = *tuning;
    const int semitones = *shift;
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(true)) return r;
    Tunings& tunings = operations_->tunings();
    tunings.cmbGuitarTuningChange(number);
    tunings.cmbSemitonesVariationChange(
        Tunings::SemitoneEntries[semitones + Tunings::SemitoneOffset]);
    if (int r = report(tunings.btnSetTuningClick())) return r;
    print(QStringLiteral("Tuning %1 (%2), semitones %3.")
              .arg(number)
              .arg(Tunings::TuningEntries[number],
                   Tunings::SemitoneEntries[semitones + Tunings::SemitoneOffset]));
    return ExitDone;
}

int CliApp::tuningData(CommandArguments& args) {
    if (int r = noArguments(args, QStringLiteral("tuning-data"))) return r;
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(false)) return r;
    if (int r = report(operations_->tunings().menuUploadTuningsDataClick())) return r;
    print(QStringLiteral("Tuning data uploaded."));
    return ExitDone;
}

int CliApp::assign(CommandArguments& args) {
    std::map<QString, QString> named;
    QStringList keys;
    for (const char* key : AssignmentKeys) keys << QString::fromLatin1(key);
    if (int r = keyValues(args, keys, QStringLiteral("assign"), named)) return r;
    // Every name is judged before the pedal is touched; a control not named is "Not Assigned".
    composeOperations();
    ControlAssignments& assignments = operations_->controlAssignments();
    std::array<int, AssignLists> wanted{};
    for (int i = 0; i < AssignLists; ++i) {
        const auto it = named.find(keys[i]);
        if (it == named.end()) continue;
        const auto control = AssignList(i);
        wanted[std::size_t(i)] = assignments.entryIndex(control, it->second);
        if (wanted[std::size_t(i)] < 0) {
            return usage(QStringLiteral("'%1' cannot be assigned to %2; the choices are: %3.")
                             .arg(it->second, keys[i], assignments.entries(control).join(", ")));
        }
    }
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(true)) return r;
    // A choice the tuning rule turns back is refused; nothing is sent then.
    for (int i = 0; i < AssignLists; ++i) {
        const Outcome chosen = assignments.choose(AssignList(i), wanted[std::size_t(i)]);
        if (!chosen.ok()) return report(chosen);
    }
    if (int r = report(assignments.btnAssignClick())) return r;
    for (int i = 0; i < AssignLists; ++i) {
        print(keys[i] + ": " + assignments.assignedText(AssignList(i)));
    }
    return ExitDone;
}

int CliApp::footswitch(CommandArguments& args) {
    std::map<QString, QString> named;
    if (int r = keyValues(args, {"short", "long"}, QStringLiteral("footswitch"), named)) return r;
    if (named.empty()) {
        return usage(
            QStringLiteral("footswitch wants short=bypass|preset, long=bypass|preset "
                           "or both."));
    }
    for (const auto& [key, value] : named) {
        if (value.compare("bypass", Qt::CaseInsensitive) != 0 &&
            value.compare("preset", Qt::CaseInsensitive) != 0) {
            return usage(QStringLiteral("%1= wants bypass or preset.").arg(key));
        }
    }
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(true)) return r;
    // A press not named keeps what the pedal reported.
    using B = FootswitchButton;
    const auto isBypass = [&](const QString& key) {
        return named.at(key).compare("bypass", Qt::CaseInsensitive) == 0;
    };
    if (named.count("short")) {
        assignmentView_.setFootswitchChecked(isBypass("short") ? B::chkBypassShortPress
                                                               : B::chkChangePresetShortPress);
    }
    if (named.count("long")) {
        assignmentView_.setFootswitchChecked(isBypass("long") ? B::chkBypassLongPress
                                                              : B::chkChangePresetLongPress);
    }
    if (int r = report(operations_->controlAssignments().btnSetFootswitchModeClick())) return r;
    const auto text = [&](B bypassButton) {
        return assignmentView_.footswitchChecked(bypassButton) ? QStringLiteral("bypass")
                                                               : QStringLiteral("preset");
    };
    print(QStringLiteral("Footswitch: short press %1, long press %2.")
              .arg(text(B::chkBypassShortPress), text(B::chkBypassLongPress)));
    return ExitDone;
}

int CliApp::store(CommandArguments& args) {
    if (int r = noArguments(args, QStringLiteral("store"))) return r;
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(true)) return r;
    // The link has just read the values that are stored.
    if (int r = report(operations_->parameterStore().btnSaveParametersClick())) return r;
    print(QStringLiteral("Parameters saved in the pedal."));
    return ExitDone;
}

// A pedal-wide setting with two menu items, one command word each.
struct TwoItemSetting {
    const char* command;
    QStringList words;  // the first word clicks the first item
    Outcome (*first)(PedalSettings&);
    Outcome (*second)(PedalSettings&);
    const char* said;  // %1 is the word
    bool confirms;     // the operation asks before it sends
};

namespace {

const TwoItemSetting InstrumentRange{"range",
                                     {"standard", "low"},
                                     [](PedalSettings& s) { return s.menuStandardClick(); },
                                     [](PedalSettings& s) { return s.menuLowClick(); },
                                     "Instrument range %1.",
                                     true};
const TwoItemSetting BypassStoring{
    "bypass-storing",
    {"on", "off"},
    [](PedalSettings& s) { return s.menuStoreBypassStatusClick(); },
    [](PedalSettings& s) { return s.menuDoNotStoreBypassStatusClick(); },
    "Bypass storing %1.",
    false};
const TwoItemSetting RangeLimit{"range-limit",
                                {"on", "off"},
                                [](PedalSettings& s) { return s.menuRangeLimitONClick(); },
                                [](PedalSettings& s) { return s.menuRangeLimitOFFClick(); },
                                "Range limit %1.",
                                false};

}  // namespace

int CliApp::twoItemSetting(CommandArguments& args, const TwoItemSetting& setting) {
    QString chosen;
    const QString wants = QStringLiteral("%1 wants %2.")
                              .arg(QLatin1String(setting.command), setting.words.join(" or "));
    if (int r = oneOf(args, setting.words, wants, chosen)) return r;
    if (setting.confirms) {
        if (int r = confirmable()) return r;
    }
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(false)) return r;
    PedalSettings& settings = operations_->pedalSettings();
    const auto click = chosen == setting.words[0] ? setting.first : setting.second;
    if (int r = report(click(settings))) return r;
    print(QString::fromLatin1(setting.said).arg(chosen));
    return ExitDone;
}

int CliApp::range(CommandArguments& args) {
    return twoItemSetting(args, InstrumentRange);
}

int CliApp::bypassStoring(CommandArguments& args) {
    return twoItemSetting(args, BypassStoring);
}

int CliApp::rangeLimit(CommandArguments& args) {
    return twoItemSetting(args, RangeLimit);
}

int CliApp::midi(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    const std::optional<QString> caption =
        words.size() == 1 ? midiChannelCaption(words[0]) : std::nullopt;
    if (!caption) return usage(QStringLiteral("midi wants omni or a channel from 1 to 16."));
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(false)) return r;
    if (int r = report(operations_->pedalSettings().menuMIDIchannelsClickItem(*caption))) return r;
    print(QStringLiteral("MIDI channel %1.").arg(*caption));
    return ExitDone;
}

int CliApp::noteFilter(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() > NoteTrackingFilter::MaxChecked) {
        return usage(QStringLiteral("note-filter takes at most two notes."));
    }
    std::array<bool, NoteTrackingFilter::Notes> checked{};
    QStringList names;
    for (const QString& word : words) {
        const std::optional<int> note = noteCutCode(word);
        if (!note) {
            return usage(QStringLiteral("'%1' is not a note of the filter; the notes are A2, A#2, "
                                        "B2, C3, C#3, D3, D#3 and E3.")
                             .arg(word));
        }
        const auto code = std::size_t(*note);
        if (checked[code]) {
            return usage(
                QStringLiteral("%1 is named twice.").arg(NoteTrackingFilter::NoteNames[code]));
        }
        checked[code] = true;
    }
    if (int r = linkPedal()) return r;
    noteCutView_.checked = checked;
    NoteTrackingFilter& filter = operations_->noteTrackingFilter();
    filter.setView(&noteCutView_);
    filter.chkNoteChange();
    if (int r = report(filter.btnSaveClick())) return r;
    for (int code = 0; code < NoteTrackingFilter::Notes; ++code) {
        if (checked[std::size_t(code)]) names << NoteTrackingFilter::NoteNames[std::size_t(code)];
    }
    print(names.isEmpty() ? QStringLiteral("Note filter cleared.")
                          : QStringLiteral("Note filter: %1.").arg(names.join(", ")));
    return ExitDone;
}

}  // namespace korvanne
