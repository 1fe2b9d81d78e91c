#include "effect/fx_settings_panels.h"

#include <QComboBox>
#include <QRadioButton>

#include "effect/control_assignments.h"
#include "effect/knob_dial.h"
#include "effect/parameter_store.h"
#include "effect/tform_fx_settings.h"

namespace korvanne {

namespace {

constexpr const char* ListNames[AssignLists] = {"cmbAssignCtrlUNO", "cmbAssignCtrlDUE",
                                                "cmbAssignCtrlTRE", "cmbAssignCtrlQUATTRO",
                                                "cmbAssignRemote"};

}  // namespace

FxSettingsPanels::FxSettingsPanels(TformFXsettings* window) : QObject(window), window_(window) {
    cmbGuitarTuning = find<QComboBox>("cmbGuitarTuning");
    cmbSemitonesVariation = find<QComboBox>("cmbSemitonesVariation");
    for (int i = 0; i < AssignLists; ++i) lists_[std::size_t(i)] = find<QComboBox>(ListNames[i]);
    constexpr const char* radios[4] = {"chkBypassShortPress", "chkChangePresetShortPress",
                                       "chkBypassLongPress", "chkChangePresetLongPress"};
    for (std::size_t i = 0; i < footswitch_.size(); ++i) {
        footswitch_[i] = find<QRadioButton>(radios[i]);
    }
}

template <typename W>
W* FxSettingsPanels::find(const char* name) const {
    W* widget = window_->findChild<W*>(name);
    // The window lays out every control; a missing one is a fault of the program itself.
    if (!widget) qFatal("the effect settings window has no %s", name);
    return widget;
}

void FxSettingsPanels::attach(Tunings* tunings, ControlAssignments* assignments,
                              ParameterStore* store) {
    store->setView(this);
    tunings->setView(this);
    connect(cmbGuitarTuning, &QComboBox::currentIndexChanged, this,
            [tunings](int position) { tunings->cmbGuitarTuningChange(position); });
    connect(cmbSemitonesVariation, &QComboBox::currentTextChanged, this,
            [tunings](const QString& text) { tunings->cmbSemitonesVariationChange(text); });
    assignments->setView(this);
    for (int i = 0; i < AssignLists; ++i) {
        const auto l = static_cast<AssignList>(i);
        connect(list(l), &QComboBox::currentIndexChanged, this,
                [assignments, l] { assignments->assignOnChange(l); });
    }
    for (QRadioButton* choice : footswitch_) {
        connect(choice, &QRadioButton::toggled, this, [assignments](bool checked) {
            // A pair's two buttons both toggle: one change.
            if (checked) assignments->footswitchOnChange();
        });
    }
    assignments->FormCreate();
}

void FxSettingsPanels::selectTuning(int position) {
    cmbGuitarTuning->setCurrentIndex(position);
}

void FxSettingsPanels::selectSemitones(int position) {
    cmbSemitonesVariation->setCurrentIndex(position);
}

int FxSettingsPanels::tuningPosition() const {
    return cmbGuitarTuning->currentIndex();
}

void FxSettingsPanels::showTuningPending(bool pending) {
    window_->showNotYetSent(TformFXsettings::Unsent::Tuning, pending);
}

void FxSettingsPanels::setAssignEntries(AssignList l, const QStringList& entries) {
    QComboBox* c = list(l);
    const QSignalBlocker quiet(c);
    c->clear();
    c->addItems(entries);
    c->setCurrentIndex(-1);
}

int FxSettingsPanels::assignIndex(AssignList l) const {
    return list(l)->currentIndex();
}

QString FxSettingsPanels::assignText(AssignList l) const {
    return list(l)->currentText();
}

void FxSettingsPanels::selectAssign(AssignList l, int index) {
    list(l)->setCurrentIndex(index);
}

bool FxSettingsPanels::footswitchChecked(FootswitchButton button) const {
    return footswitch_.at(static_cast<std::size_t>(button))->isChecked();
}

void FxSettingsPanels::setFootswitchChecked(FootswitchButton button) {
    footswitch_.at(static_cast<std::size_t>(button))->setChecked(true);
}

void FxSettingsPanels::showAssignPending(bool pending) {
    window_->showNotYetSent(TformFXsettings::Unsent::Assignments, pending);
}

void FxSettingsPanels::showFootswitchPending(bool pending) {
    window_->showNotYetSent(TformFXsettings::Unsent::Footswitch, pending);
}

}  // namespace korvanne

namespace korvanne {

void FxSettingsPanels::setKnobEnabled(Knob k, bool enabled) {
    window_->knob(k)->setEnabled(enabled);
}

}  // namespace korvanne
