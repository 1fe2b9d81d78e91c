#pragma once

#include <QObject>
#include <array>

#include "effect/assignment_view.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"

class QComboBox;
class QRadioButton;

namespace korvanne {

class ControlAssignments;
class TformFXsettings;

// The effect settings window's tuning lists, assignment lists, footswitch choices and knob locks,
// found in the window by their names, with their handlers: what tunings, assignments and the
// store need of the window.
class FxSettingsPanels final : public QObject,
                               public TuningView,
                               public AssignmentView,
                               public KnobLockView {
    Q_OBJECT
public:
    explicit FxSettingsPanels(TformFXsettings* window);
    void attach(Tunings* tunings, ControlAssignments* assignments, ParameterStore* store);

    // TuningView.
    void selectTuning(int position) override;
    void selectSemitones(int position) override;
    int tuningPosition() const override;
    void showTuningPending(bool pending) override;

    // AssignmentView.
    void setAssignEntries(AssignList list, const QStringList& entries) override;
    int assignIndex(AssignList list) const override;
    QString assignText(AssignList list) const override;
    void selectAssign(AssignList list, int index) override;
    bool footswitchChecked(FootswitchButton button) const override;
    void setFootswitchChecked(FootswitchButton button) override;
    void showAssignPending(bool pending) override;
    void showFootswitchPending(bool pending) override;

    // KnobLockView.
    void setKnobEnabled(Knob knob, bool enabled) override;

private:
    template <typename W>
    W* find(const char* name) const;
    QComboBox* list(AssignList l) const { return lists_.at(static_cast<std::size_t>(l)); }

    TformFXsettings* window_;
    QComboBox* cmbGuitarTuning;
    QComboBox* cmbSemitonesVariation;
    std::array<QComboBox*, AssignLists> lists_{};
    std::array<QRadioButton*, 4> footswitch_{};
};

}  // namespace korvanne
