#pragma once

#include <QObject>
#include <array>

#include "effect/assignment_view.h"
#include "effect/tunings.h"

class QComboBox;
class QRadioButton;
class QWidget;

namespace korvanne {

class ControlAssignments;

// The effect settings window's tuning lists, assignment lists and footswitch choices, found in
// the window by their names (and made there, where the window has none), with their handlers.
class FxSettingsPanels final : public QObject, public TuningView, public AssignmentView {
    Q_OBJECT
public:
    explicit FxSettingsPanels(QWidget* window);
    void attach(Tunings* tunings, ControlAssignments* assignments);

    // TuningView.
    void selectTuning(int position) override;
    void selectSemitones(int position) override;
    int tuningPosition() const override;

    // AssignmentView.
    void setAssignEntries(AssignList list, const QStringList& entries) override;
    int assignIndex(AssignList list) const override;
    QString assignText(AssignList list) const override;
    void selectAssign(AssignList list, int index) override;
    bool footswitchChecked(FootswitchButton button) const override;
    void setFootswitchChecked(FootswitchButton button) override;

private:
    QComboBox* combo(const char* name, const QRect& place);
    QRadioButton* radio(const char* name, const QString& caption, const QRect& place);
    void label(const char* name, const QString& text, const QRect& place);
    QComboBox* list(AssignList l) const { return lists_.at(static_cast<std::size_t>(l)); }

    QWidget* window_;
    QComboBox* cmbGuitarTuning;
    QComboBox* cmbSemitonesVariation;
    std::array<QComboBox*, AssignLists> lists_{};
    std::array<QRadioButton*, 4> footswitch_{};
};

}  // namespace korvanne
