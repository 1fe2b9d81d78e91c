#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/outcome.h"
#include "device/message_builders.h"
#include "effect/assignment_view.h"
#include "effect/parameter_catalogue.h"
#include "effect/unsent_choices.h"

namespace korvanne {

struct Services;
class DeviceMessages;
class Communication;
class Tunings;

// Which assignable parameter each of the pedal's four controls operates and what the remote
// footswitch does, sent with "Assign"; and what the pedal's own footswitch does on a short and a
// long press, sent with "Set Footswitch Mode". Both are read back from the status reply.
class ControlAssignments {
public:
    static inline const QString NotAssigned = QStringLiteral("Not Assigned");
    static inline const QString TuningRuleMessage =
        QStringLiteral("No tuning selected, Select a tuning before assigning this parameter");
    static constexpr std::uint16_t RemoteNone = msg::RemoteNone;
    static constexpr std::uint16_t RemoteBypass = msg::RemoteBypass;
    static constexpr std::uint16_t RemotePreset = msg::RemotePreset;
    static constexpr int AfterWriteMs = 100;

    ControlAssignments(Services& services, DeviceMessages& messages, const Communication& link,
                       ParameterRecords& records, const Tunings& tunings,
                       std::function<void(bool)> setAssignEnabled);
    ControlAssignments(const ControlAssignments&) = delete;
    ControlAssignments& operator=(const ControlAssignments&) = delete;
    void setView(AssignmentView* view);

    // A choice made in the assignment lists that "Assign" has not sent yet, or in the footswitch
    // choices that "Set Footswitch Mode" has not; either ends when the pedal's own state is read
    // back onto them.
    bool assignPending() const { return unsentAssignments_.pending(); }
    bool footswitchPending() const { return unsentFootswitch_.pending(); }

    // Control I, II, III, IV, remote: set while the list shows anything but "Not Assigned".
    std::array<bool, AssignLists> AssignFlags{};
    // The mode the pedal last reported (short-press byte × 2 + long-press byte); for information.
    std::uint16_t FootswitchMode = 0;

    // The window's creation step: every list gets its entries and shows "Not Assigned".
    void FormCreate();

    // The list handlers.
    void assignOnChange(AssignList list);
    // A footswitch choice was checked.
    void footswitchOnChange();
    // A choice made by a command rather than in the list: the list's handler runs as for a
    // user's choice. Refused when the tuning rule turns the choice back.
    Outcome choose(AssignList list, int index);
    void ControlUNOassignOnChange() { assignOnChange(AssignList::UNO); }
    void ControlDUEassignOnChange() { assignOnChange(AssignList::DUE); }
    void ControlTREassignOnChange() { assignOnChange(AssignList::TRE); }
    void ControlQUATTROAssignOnChange() { assignOnChange(AssignList::QUATTRO); }
    void RemoteAssignOnChange() { assignOnChange(AssignList::Remote); }

    Message BuildAssignMessage();
    // Done once sent; Cancelled when the user says No; Failed when the message could not be
    // written whole.
    Outcome btnAssignClick();
    Message BuildFootswitchMessage();
    // Done once sent; Failed when the message could not be written whole.
    Outcome btnSetFootswitchModeClick();

    // Status reply entry index (footswitch mode) and entries start to start + 14 (assignments).
    void ApplyFootswitchMode(const std::vector<std::uint8_t>& entries, std::size_t index);
    void ApplyAssignments(const std::vector<std::uint8_t>& entries, std::size_t start);
    // Checks the short- and long-press choices a footswitch mode (0..3) stands for.
    static void CheckFootswitchChoices(AssignmentView& view, int mode);

    // The entries of a list, in order.
    QStringList entries(AssignList list) const;
    // The entry a list shows; "Not Assigned" when there are no lists.
    QString assignedText(AssignList list) const;
    // The entry of `list` named `text`, letter case ignored; -1 when the list offers none.
    int entryIndex(AssignList list, const QString& text) const;
    // Checks the footswitch choices a mode (0..3) stands for, as before Set Footswitch Mode.
    void chooseFootswitchMode(int mode);

private:
    // The parameters a list offers, in list order.
    static const std::vector<Param>& offered(AssignList list);
    QString recordName(Param p) const;
    ParameterRecords& records() const;

    Services& services_;
    DeviceMessages& messages_;
    const Communication& link_;
    ParameterRecords& records_;
    const Tunings& tunings_;
    // The main window's "Assign" button, which rests while the pedal takes the assignments in.
    std::function<void(bool)> setAssignEnabled_;
    AssignmentView* view_ = nullptr;
    UnsentChoices unsentAssignments_;
    UnsentChoices unsentFootswitch_;
};

}  // namespace korvanne
