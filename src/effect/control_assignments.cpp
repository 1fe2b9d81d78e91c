#include "effect/control_assignments.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "effect/fx_settings.h"
#include "effect/tunings.h"

namespace korvanne {

namespace {

std::size_t at(AssignList list) {
    return static_cast<std::size_t>(list);
}

bool isControl(AssignList list) {
    return list != AssignList::Remote;
}

}  // namespace

ControlAssignments::ControlAssignments(Services& services, DeviceMessages& messages,
                                       const Communication& link, ParameterRecords& records,
                                       const Tunings& tunings,
                                       std::function<void(bool)> setAssignEnabled)
    : services_(services),
      messages_(messages),
      link_(link),
      records_(records),
      tunings_(tunings),
      setAssignEnabled_(std::move(setAssignEnabled)) {}

const std::vector<Param>& ControlAssignments::offered(AssignList list) {
    // Controls I and II take the continuous parameters, III and IV the on/off ones.
    static const std::vector<Param> continuous{Param::InputLevel, Param::HarmonicPitch,
                                               Param::WaveClip, Param::DryHpf,
                                               Param::NoiseGateThreshold};
    static const std::vector<Param> onOff{Param::DominantNotesCut, Param::HighNotesCut,
                                          Param::LimitRangeUp, Param::NoiseGateStatus};
    static const std::vector<Param> none;
    switch (list) {
        case AssignList::UNO:
        case AssignList::DUE:
            return continuous;
        case AssignList::TRE:
        case AssignList::QUATTRO:
            return onOff;
        case AssignList::Remote:
            break;
    }
    return none;
}

QString ControlAssignments::recordName(Param p) const {
    return QString::fromStdString(records().name(p));
}

QStringList ControlAssignments::entries(AssignList list) const {
    QStringList names{NotAssigned};
    if (list == AssignList::Remote)
        return names << "Bypass"
                     << "Preset";
    for (Param p : offered(list)) names << recordName(p);
    return names;
}

void ControlAssignments::setView(AssignmentView* view) {
    view_ = view;
    unsentAssignments_.show = [this](bool pending) {
        if (view_) view_->showAssignPending(pending);
    };
    unsentFootswitch_.show = [this](bool pending) {
        if (view_) view_->showFootswitchPending(pending);
    };
    unsentAssignments_.reshow();
    unsentFootswitch_.reshow();
}

void ControlAssignments::FormCreate() {
    if (!view_) return;
    // The lists' first entries are where they start, not a choice of the user's.
    const UnsentChoices::ReadBack filling(unsentAssignments_);
    for (int i = 0; i < AssignLists; ++i) {
        const auto list = static_cast<AssignList>(i);
        view_->setAssignEntries(list, entries(list));
        view_->selectAssign(list, 0);
    }
}

void ControlAssignments::assignOnChange(AssignList list) {
    if (!view_) return;
    AssignFlags[at(list)] = view_->assignText(list) != NotAssigned && view_->assignIndex(list) > 0;
    unsentAssignments_.changed();
    if (list != AssignList::TRE && list != AssignList::QUATTRO) return;
    if (link_.RequestInProgress) return;
    // The tracking parameters that need a tuning cannot be put on a control without one.
    const QString chosen = view_->assignText(list);
    const bool needsTuning =
        chosen == recordName(Param::DominantNotesCut) || chosen == recordName(Param::HighNotesCut);
    if (needsTuning && tunings_.CurrentTuning == Tunings::NoTuningSelected) {
        services_.dialogs.inform(TuningRuleMessage);
        view_->selectAssign(list, 0);
    }
}

void ControlAssignments::footswitchOnChange() {
    unsentFootswitch_.changed();
}

QString ControlAssignments::assignedText(AssignList list) const {
    return view_ ? view_->assignText(list) : NotAssigned;
}

int ControlAssignments::entryIndex(AssignList list, const QString& text) const {
    const QStringList names = entries(list);
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(text, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

void ControlAssignments::chooseFootswitchMode(int mode) {
    if (view_) CheckFootswitchChoices(*view_, mode);
}

Outcome ControlAssignments::choose(AssignList list, int index) {
    if (!view_) return Outcome::refused(QStringLiteral("There are no assignment lists."));
    view_->selectAssign(list, index);
    if (view_->assignIndex(list) != index) return Outcome::refused(TuningRuleMessage);
    return Outcome::done();
}

Message ControlAssignments::BuildAssignMessage() {
    std::array<std::uint16_t, 4> addresses{};
    std::uint16_t remote = RemoteNone;
    for (int i = 0; i < AssignLists; ++i) {
        const auto list = static_cast<AssignList>(i);
        const QString chosen = view_ ? view_->assignText(list) : NotAssigned;
        std::uint16_t code = RemoteNone;
        if (!isControl(list)) {
            if (chosen == "Bypass") code = RemoteBypass;
            if (chosen == "Preset") code = RemotePreset;
        } else if (chosen != NotAssigned) {
            for (Param p : offered(list)) {
                if (recordName(p) == chosen) code = records().address(p);
            }
        }
        if (isControl(list)) {
            addresses[std::size_t(i)] = code;
        } else {
            remote = code;
        }
    }
    const Message message = msg::assign(AssignFlags, addresses, remote);
    LogSink& log = services_.log;
    log.ConsoleLog("lenght of assign message in bytes: " + QString::number(message.size()));
    log.ConsoleLog("assign message: " + QString::fromStdString(hexText(message)));
    return message;
}

Outcome ControlAssignments::btnAssignClick() {
    Dialogs& dialogs = services_.dialogs;
    const Message message = BuildAssignMessage();
    const std::uint64_t edits = unsentAssignments_.edits();
    if (!messages_.linkFree("Assign")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Upload Assignments?"))) return Outcome::cancelled();
    DeviceMessages::Exchange exchange(messages_, "Assign");
    if (!exchange) return Outcome::busy();
    if (exchange.send(message) != message.size()) {
        return Outcome::failed(QStringLiteral(
            "The assignments were not sent: the pedal's line did not take the message."));
    }
    unsentAssignments_.sent(edits);
    // The button rests while the pedal takes the assignments in.
    setAssignEnabled_(false);
    exchange.pause(AfterWriteMs);
    setAssignEnabled_(true);
    return Outcome::done();
}

Message ControlAssignments::BuildFootswitchMessage() {
    using B = FootswitchButton;
    auto on = [this](B b) { return view_ && view_->footswitchChecked(b); };
    // Note the opposite meanings: 00 is Bypass for the short press, Change Preset for the long.
    const Message message = msg::footswitchMode(on(B::chkChangePresetShortPress) ? 0x01 : 0x00,
                                                on(B::chkBypassLongPress) ? 0x01 : 0x00);
    services_.log.ConsoleLog("footswitch behaviour message: " +
                             QString::fromStdString(hexText(message)));
    return message;
}

Outcome ControlAssignments::btnSetFootswitchModeClick() {
    const Message message = BuildFootswitchMessage();
    const std::uint64_t edits = unsentFootswitch_.edits();
    services_.log.ConsoleLog(QString::fromStdString(hexText(message)));
    DeviceMessages::Exchange exchange(messages_, "Set Footswitch Mode");
    if (!exchange) return Outcome::busy();
    if (exchange.send(message) != message.size()) {
        return Outcome::failed(QStringLiteral(
            "The footswitch mode was not sent: the pedal's line did not take the message."));
    }
    unsentFootswitch_.sent(edits);
    return Outcome::done();
}

void ControlAssignments::ApplyFootswitchMode(const std::vector<std::uint8_t>& entries,
                                             std::size_t index) {
    if (entries.size() <= index) return;
    FootswitchMode = entries[index];
    services_.log.ConsoleLog("Footswitch Mode: " + QString::number(FootswitchMode));
    if (!view_ || FootswitchMode > 3) return;
    const UnsentChoices::ReadBack reading(unsentFootswitch_);
    CheckFootswitchChoices(*view_, FootswitchMode);
    unsentFootswitch_.readBack();
}

void ControlAssignments::CheckFootswitchChoices(AssignmentView& view, int mode) {
    using B = FootswitchButton;
    view.setFootswitchChecked(mode >= 2 ? B::chkChangePresetShortPress : B::chkBypassShortPress);
    view.setFootswitchChecked(mode % 2 == 1 ? B::chkBypassLongPress : B::chkChangePresetLongPress);
}

void ControlAssignments::ApplyAssignments(const std::vector<std::uint8_t>& entries,
                                          std::size_t start) {
    if (entries.size() < start + 15) return;
    const UnsentChoices::ReadBack reading(unsentAssignments_);
    // A code no entry stands for leaves its list as it was, with the user's choice.
    bool everyListShown = view_ != nullptr;
    std::array<std::optional<std::uint16_t>, AssignLists> codes;
    for (int i = 0; i < AssignLists; ++i) {
        const auto list = static_cast<AssignList>(i);
        const std::size_t k = static_cast<std::size_t>(i);
        if (entries[start + k] != 0) {
            codes[k] = static_cast<std::uint16_t>(entries[start + 5 + 2 * k] * 256 +
                                                  entries[start + 6 + 2 * k]);
        } else if (view_) {
            view_->selectAssign(list, 0);
        }
    }
    for (assignable_parameter& record : records().AssignableParameters) record.is_assigned = false;
    for (int i = 0; i < AssignLists; ++i) {
        const auto list = static_cast<AssignList>(i);
        const auto& code = codes[static_cast<std::size_t>(i)];
        if (!code) continue;
        if (!isControl(list)) {
            if (view_ && *code == RemoteBypass) view_->selectAssign(list, 1);
            if (view_ && *code == RemotePreset) view_->selectAssign(list, 2);
            if (*code != RemoteBypass && *code != RemotePreset) everyListShown = false;
            continue;
        }
        const std::vector<Param>& params = offered(list);
        bool shown = false;
        for (std::size_t entry = 0; entry < params.size(); ++entry) {
            if (records().address(params[entry]) != *code) continue;
            // On a shared address the later entry wins.
            if (view_) view_->selectAssign(list, static_cast<int>(entry) + 1);
            shown = true;
            const std::string& name = records().name(params[entry]);
            if (assignable_parameter* record = records().findAssignable(name)) {
                record->is_assigned = true;
            }
        }
        if (!shown) everyListShown = false;
    }
    if (everyListShown) unsentAssignments_.readBack();
}

}  // namespace korvanne

namespace korvanne {

// The records live with the whole program; everything here reaches them through this one place.
ParameterRecords& ControlAssignments::records() const {
    return records_;
}

}  // namespace korvanne
