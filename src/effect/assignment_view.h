#pragma once

#include <QString>
#include <QStringList>

namespace korvanne {

// The five assignment lists, in the order of the assign message.
enum class AssignList { UNO, DUE, TRE, QUATTRO, Remote };
inline constexpr int AssignLists = 5;

// The footswitch radio buttons: two pairs, each one choice.
enum class FootswitchButton {
    chkBypassShortPress,
    chkChangePresetShortPress,
    chkBypassLongPress,
    chkChangePresetLongPress,
};

// The assignment lists and footswitch choices of the effect settings window. Selecting an entry
// from code runs the list's change handler, as a user's choice does.
class AssignmentView {
public:
    virtual ~AssignmentView() = default;
    virtual void setAssignEntries(AssignList list, const QStringList& entries) = 0;
    virtual int assignIndex(AssignList list) const = 0;
    virtual QString assignText(AssignList list) const = 0;
    virtual void selectAssign(AssignList list, int index) = 0;
    virtual bool footswitchChecked(FootswitchButton button) const = 0;
    // Turning a button on turns its partner off.
    virtual void setFootswitchChecked(FootswitchButton button) = 0;
    // The lists, or the footswitch choices, hold a choice their button has not sent yet.
    virtual void showAssignPending(bool pending) { (void)pending; }
    virtual void showFootswitchPending(bool pending) { (void)pending; }
};

}  // namespace korvanne
