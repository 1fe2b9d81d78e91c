#include "effect/fx_settings_panels.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include "effect/control_assignments.h"

namespace korvanne {

namespace {

constexpr const char* ListNames[AssignLists] = {"cmbAssignCtrlUNO", "cmbAssignCtrlDUE",
                                                "cmbAssignCtrlTRE", "cmbAssignCtrlQUATTRO",
                                                "cmbAssignRemote"};
constexpr const char* ListLabels[AssignLists] = {"Control I", "Control II", "Control III",
                                                 "Control IV", "Remote Footswitch"};

}  // namespace

FxSettingsPanels::FxSettingsPanels(QWidget* window) : QObject(window), window_(window) {
    // Tracking panel.
    cmbGuitarTuning = combo("cmbGuitarTuning", QRect(287, 103, 137, 22));
    label("lblSemitones", "Semitones", QRect(287, 131, 60, 18));
    cmbSemitonesVariation = combo("cmbSemitonesVariation", QRect(352, 129, 72, 22));
    cmbSemitonesVariation->setMaxVisibleItems(9);
    if (cmbGuitarTuning->count() == 0) cmbGuitarTuning->addItems(Tunings::TuningEntries);
    if (cmbSemitonesVariation->count() == 0) {
        cmbSemitonesVariation->addItems(Tunings::SemitoneEntries);
    }
    cmbGuitarTuning->setToolTip(
        "Select the tuning of your instrument and the pitch variation\r\n"
        "in the box below. Example:\r\n"
        "- if you play in standard tuning 1 half-step down select standard tuning and -1 Pitch.\r\n"
        "- if you play in standard tuning and use capo on 3rd fret select standard tuning and +3 "
        "Pitch.");
    cmbSemitonesVariation->setToolTip("Select the pitch variation in semitones from -5 to +3");
    cmbGuitarTuning->setCurrentIndex(Tunings::NoTuningSelected);
    cmbSemitonesVariation->setCurrentIndex(Tunings::SemitoneOffset);

    // Assignment group: a caption over five labelled lists.
    label("lblAssignControls", "Assign Controls", QRect(15, 272, 150, 18));
    for (int i = 0; i < AssignLists; ++i) {
        const int y = 294 + 27 * i;
        label(ListLabels[i], ListLabels[i], QRect(15, y + 2, 115, 18));
        lists_[std::size_t(i)] = combo(ListNames[i], QRect(132, y, 155, 22));
    }

    // Footswitch group: each pair is one choice.
    label("lblLongPress", "Footswitch Long Press:", QRect(301, 283, 135, 18));
    footswitch_[2] = radio("chkBypassLongPress", "Bypass", QRect(309, 303, 125, 20));
    footswitch_[3] = radio("chkChangePresetLongPress", "Change Preset", QRect(309, 325, 125, 20));
    label("lblShortPress", "Footswitch Short Press:", QRect(301, 358, 135, 18));
    footswitch_[0] = radio("chkBypassShortPress", "Bypass", QRect(309, 378, 125, 20));
    footswitch_[1] = radio("chkChangePresetShortPress", "Change Preset", QRect(309, 400, 125, 20));
    for (int pair = 0; pair < 2; ++pair) {
        auto* group = new QButtonGroup(this);
        group->addButton(footswitch_[std::size_t(2 * pair)]);
        group->addButton(footswitch_[std::size_t(2 * pair + 1)]);
    }
    footswitch_[0]->setChecked(true);
    footswitch_[3]->setChecked(true);
}

QComboBox* FxSettingsPanels::combo(const char* name, const QRect& place) {
    if (auto* found = window_->findChild<QComboBox*>(name)) return found;
    auto* c = new QComboBox(window_);
    c->setObjectName(name);
    c->setGeometry(place);
    return c;
}

QRadioButton* FxSettingsPanels::radio(const char* name, const QString& caption,
                                      const QRect& place) {
    if (auto* found = window_->findChild<QRadioButton*>(name)) return found;
    auto* r = new QRadioButton(caption, window_);
    r->setObjectName(name);
    r->setGeometry(place);
    return r;
}

void FxSettingsPanels::label(const char* name, const QString& text, const QRect& place) {
    if (window_->findChild<QLabel*>(name)) return;
    auto* l = new QLabel(text, window_);
    l->setObjectName(name);
    l->setGeometry(place);
}

void FxSettingsPanels::attach(Tunings* tunings, ControlAssignments* assignments) {
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

}  // namespace korvanne
