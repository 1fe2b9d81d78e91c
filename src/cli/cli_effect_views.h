#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "effect/assignment_view.h"
#include "effect/note_tracking_filter.h"

namespace korvanne {

// The assignment lists and footswitch choices without widgets. Selecting an entry runs the
// list's handler, as the window's lists do.
class CliAssignmentView final : public AssignmentView {
public:
    std::function<void(AssignList)> onChange;

    void setAssignEntries(AssignList list, const QStringList& entries) override {
        lists_[at(list)] = entries;
        index_[at(list)] = entries.isEmpty() ? -1 : 0;
    }
    int assignIndex(AssignList list) const override { return index_[at(list)]; }
    QString assignText(AssignList list) const override {
        return lists_[at(list)].value(index_[at(list)]);
    }
    void selectAssign(AssignList list, int index) override {
        if (index < 0 || index >= lists_[at(list)].size() || index == index_[at(list)]) return;
        index_[at(list)] = index;
        if (onChange) onChange(list);
    }
    bool footswitchChecked(FootswitchButton button) const override {
        return checked_[std::size_t(button)];
    }
    void setFootswitchChecked(FootswitchButton button) override {
        const std::size_t b = std::size_t(button);
        checked_[b] = true;
        checked_[b ^ 1U] = false;  // its partner in the pair
    }

private:
    static std::size_t at(AssignList list) { return std::size_t(list); }
    std::array<QStringList, AssignLists> lists_;
    std::array<int, AssignLists> index_{-1, -1, -1, -1, -1};
    // Short press "Bypass", long press "Change Preset", as the window starts.
    std::array<bool, 4> checked_{true, false, false, true};
};

// The note cut window's eight boxes without widgets.
class CliNoteCutView final : public NoteCutView {
public:
    bool isBoxChecked(int code) const override {
        return code >= 0 && code < NoteTrackingFilter::Notes && checked[std::size_t(code)];
    }
    void setBoxEnabled(int, bool) override {}
    std::array<bool, NoteTrackingFilter::Notes> checked{};
};

}  // namespace korvanne
