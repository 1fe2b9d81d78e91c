#include "effect/tform_fx_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>

#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/parameter_catalogue.h"
#include "effect/sound_step.h"
#include "effect/toggle_switch.h"
#include "ui/fit_captions.h"

namespace korvanne {

namespace {

const QString CRLF = QStringLiteral("\r\n");
// Where a caption keeps its own text while it carries the not-yet-sent mark.
constexpr const char* DesignedText = "korvanneDesignedText";

QStringList pitchEntries() {
    QStringList entries;
    for (int i = 0; i < static_cast<int>(HarmonicPitchTable.size()); ++i)
        entries << QString::fromStdString(harmonicPitchText(i));
    return entries;
}

}  // namespace

TformFXsettings::TformFXsettings(QWidget* parent)
    : SecondaryWindow("TformFXsettings", "Form1", parent) {
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // Arial, or a face of its width: a wider substitute would not fit the captions into the
    // places the layout gives them.
    QFont arial;
    arial.setFamilies({"Arial", "Liberation Sans", "Arimo", "DejaVu Sans Condensed"});
    arial.setPixelSize(11);
    setFont(arial);
    setFixedSize(ClientWidth, ClientHeight);

    // Panels first, so the controls sit on top of their outlines.
    addPanel("Rectangle1", {279, 8, 153, 67});
    addPanel("Rectangle2", {279, 83, 153, 119});
    addPanel("Rectangle3", {279, 206, 153, 64});

    // Knob block: two columns, four rows.
    addKnob(Knob::dialDry, "dialDry", "Dry", 15, 8);
    addKnob(Knob::dialMinus1Oct, "dialMinus1Oct", "-1 OCT", 75, 8);
    addKnob(Knob::dialSubMix, "dialSubMix", "Sub Mix", 15, 72);
    addKnob(Knob::dialMinus2Oct, "dialMinus2Oct", "-2 OCT", 75, 72);
    addKnob(Knob::dialLowPass, "dialLowPass", "Low Pass", 15, 136);
    addKnob(Knob::dialHighPass, "dialHighPass", "High Pass", 75, 136);
    addKnob(Knob::dialRange, "dialRange", "Range", 15, 200);
    addKnob(Knob::dialDryHPF, "dialDryHPF", "Dry HPF", 75, 200);

    // Switch column.
    addSwitch(Switch::swtWave, "swtWave", "Wave", 136, 18);
    addSwitch(Switch::swtSplit, "swtSplit", "Split", 136, 61);
    addSwitch(Switch::swtBypass, "swtBypass", "Bypass", 136, 108);
    addSwitch(Switch::swtLimitRange, "swtLimitRange", "Limit Range", 136, 154);

    // Input column.
    addKnob(Knob::dialInputLevel, "dialInputLevel", "Input Level", 203, 8, 64);
    addKnob(Knob::dialClipWave, "dialClipWave", "Wave Clip", 203, 72, 64);

    // Harmonic panel.
    addKnob(Knob::dial1stHarmonic, "dial1stHarmonic", "1st Harmonic", 280, 9, 68);
    QLabel* pitchCaption = caption("lblHarmonicPitch", "Harmonic Pitch", 352, 14, 78);
    cmbVariableWavePitch = addList("cmbVariableWavePitch", pitchEntries(), 356, 34, 64);
    cmbVariableWavePitch->setAccessibleName(pitchCaption->text());
    pitchCaption->setBuddy(cmbVariableWavePitch);
    cmbVariableWavePitch->setMaxVisibleItems(12);
    cmbVariableWavePitch->setCurrentIndex(InitialHarmonicPitchEntry);

    // Tracking panel.
    QLabel* trackingCaption = caption("lblTrackingFunctions", "Tracking Functions", 285, 87, 140);
    cmbGuitarTuning = addList(
        "cmbGuitarTuning",
        {"No Tuning Selected", "Standard (EADGBE)", "Drop D (DADGBE)", "DADGAD", "open D (DADF#AD)",
         "Blues G (DGDGBD)", "Open A (EAC#EAE)", "Open C (CGCGCE)", "Bass Guitar"},
        285, 104, 141);
    QLabel* semitonesCaption = caption("lblSemitones", "Semitones", 285, 133, 64);
    cmbSemitonesVariation =
        addList("cmbSemitonesVariation", {"-5", "-4", "-3", "-2", "-1", "0", "+1", "+2", "+3"}, 352,
                129, 56);
    cmbGuitarTuning->setAccessibleName("Tuning");
    cmbSemitonesVariation->setAccessibleName(semitonesCaption->text());
    semitonesCaption->setBuddy(cmbSemitonesVariation);
    unsent(Unsent::Tuning) = {{trackingCaption}, {cmbGuitarTuning, cmbSemitonesVariation}};
    cmbGuitarTuning->setCurrentIndex(0);
    cmbSemitonesVariation->setCurrentIndex(5);
    const std::pair<NoteCut, std::pair<const char*, const char*>> boxes[] = {
        {NoteCut::chkDominantNoteCut, {"chkDominantNoteCut", "Dominant Notes Cut"}},
        {NoteCut::chkHighNoteCut, {"chkHighNoteCut", "High Notes Cut"}}};
    int boxY = 156;
    for (const auto& [box, names] : boxes) {
        auto* check = new QCheckBox(names.second, this);
        check->setObjectName(names.first);
        check->setGeometry(285, boxY, 141, 20);
        noteCuts_[static_cast<std::size_t>(box)] = check;
        controls_ << check;
        boxY += 22;
    }

    // Noise gate panel.
    QLabel* gateCaption = caption("lblNoiseGate", "Noise Gate", 285, 210, 80);
    auto* gate = new ToggleSwitch(this);
    gate->setObjectName("swtNoiseGateStatus");
    gate->setAccessibleName(gateCaption->text());
    gate->setGeometry(287, 234, 36, 18);
    switches_[static_cast<std::size_t>(Switch::swtNoiseGateStatus)] = gate;
    controls_ << gate;
    addKnob(Knob::dialNoiseGateThreshold, "dialNoiseGateThreshold", "Threshold", 362, 208, 64);
    knob(Knob::dialNoiseGateThreshold)->setGeometry(372, 210, 44, 44);

    // The lines between the upper controls, the assignment lists and the footswitch choices.
    auto* line1 = new QFrame(this);
    line1->setObjectName("Line1");
    line1->setFrameShape(QFrame::HLine);
    line1->setGeometry(8, 270, 424, 3);
    auto* line2 = new QFrame(this);
    line2->setObjectName("Line2");
    line2->setFrameShape(QFrame::VLine);
    line2->setGeometry(291, 278, 3, 146);

    // Assignment group: the entries are the assignable records' names.
    unsent(Unsent::Assignments).captions
        << caption("lblAssignControls", "Assign Controls", 15, 276, 120);
    const QStringList levelEntries{"Not Assigned", "Input Level", "1st Harmonic Pitch",
                                   "Wave Clip",    "Dry HPF",     "Noise Gate Threshold"};
    const QStringList switchEntries{"Not Assigned", "Dominant Notes Cut", "High Notes Cut",
                                    "Limit Range UP", "Noise Gate Status"};
    const struct {
        const char* name;
        const char* label;
        QStringList entries;
    } lists[] = {
        {"cmbAssignCtrlUNO", "Control I", levelEntries},
        {"cmbAssignCtrlDUE", "Control II", levelEntries},
        {"cmbAssignCtrlTRE", "Control III", switchEntries},
        {"cmbAssignCtrlQUATTRO", "Control IV", switchEntries},
        {"cmbAssignRemote", "Remote Footswitch", {"Not Assigned", "Bypass", "Preset"}},
    };
    int listY = 296;
    for (const auto& l : lists) {
        QLabel* listCaption =
            caption(QStringLiteral("lbl") + QString(l.name).mid(3), l.label, 15, listY + 4, 108);
        QComboBox* list = addList(l.name, l.entries, 124, listY, 158);
        list->setCurrentIndex(0);
        list->setAccessibleName(listCaption->text());
        listCaption->setBuddy(list);
        unsent(Unsent::Assignments).choices << list;
        listY += 26;
    }

    // Footswitch choices: two radio pairs, each its own group.
    const struct {
        const char* label;
        int y;
        const char* bypassName;
        const char* presetName;
        bool bypassOn;
    } pairs[] = {
        {"Footswitch Long Press:", 283, "chkBypassLongPress", "chkChangePresetLongPress", false},
        {"Footswitch Short Press:", 358, "chkBypassShortPress", "chkChangePresetShortPress", true},
    };
    for (const auto& pair : pairs) {
        QLabel* pairCaption = caption(QString(pair.bypassName).replace("chkBypass", "lbl"),
                                      pair.label, 301, pair.y, 131);
        unsent(Unsent::Footswitch).captions << pairCaption;
        auto* group = new QButtonGroup(this);
        auto* bypass = new QRadioButton("Bypass", this);
        bypass->setObjectName(pair.bypassName);
        bypass->setGeometry(305, pair.y + 18, 120, 20);
        auto* preset = new QRadioButton("Change Preset", this);
        preset->setObjectName(pair.presetName);
        preset->setGeometry(305, pair.y + 40, 120, 20);
        group->addButton(bypass);
        group->addButton(preset);
        (pair.bypassOn ? bypass : preset)->setChecked(true);
        // "Footswitch Long Press: Bypass": the button's own text would not say which press.
        for (QRadioButton* choice : {bypass, preset})
            choice->setAccessibleName(pairCaption->text() + " " + choice->text());
        // A pair is one stop for Tab, on its checked choice; the arrow keys move within it.
        const auto tabStopOnChecked = [bypass, preset] {
            for (QRadioButton* choice : {bypass, preset})
                choice->setFocusPolicy(choice->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        };
        tabStopOnChecked();
        connect(group, &QButtonGroup::buttonToggled, this, tabStopOnChecked);
        controls_ << bypass << preset;
        unsent(Unsent::Footswitch).choices << bypass << preset;
    }

    // Tab follows the reading order: group by group from the top left, each from top to bottom
    // and left to right.
    for (Knob k : {Knob::dialDry, Knob::dialMinus1Oct, Knob::dialSubMix, Knob::dialMinus2Oct,
                   Knob::dialLowPass, Knob::dialHighPass, Knob::dialRange, Knob::dialDryHPF})
        tabOrder_ << knob(k);
    for (Switch sw : {Switch::swtWave, Switch::swtSplit, Switch::swtBypass, Switch::swtLimitRange})
        tabOrder_ << toggle(sw);
    tabOrder_ << knob(Knob::dialInputLevel) << knob(Knob::dialClipWave);
    tabOrder_ << knob(Knob::dial1stHarmonic) << cmbVariableWavePitch;
    tabOrder_ << cmbGuitarTuning << cmbSemitonesVariation << noteCutBox(NoteCut::chkDominantNoteCut)
              << noteCutBox(NoteCut::chkHighNoteCut);
    tabOrder_ << toggle(Switch::swtNoiseGateStatus) << knob(Knob::dialNoiseGateThreshold);
    tabOrder_ << unsent(Unsent::Assignments).choices << unsent(Unsent::Footswitch).choices;
    for (qsizetype i = 1; i < tabOrder_.size(); ++i) setTabOrder(tabOrder_[i - 1], tabOrder_[i]);

    // Hints; lines of a hint are joined by CR LF.
    knob(Knob::dial1stHarmonic)->setToolTip("Set the level of the first harmonic.");
    cmbVariableWavePitch->setToolTip(
        "Set the pitch of the first harmonic from -12 to +12 semitones");
    noteCutBox(NoteCut::chkDominantNoteCut)
        ->setToolTip(
            "Improves tracking on lowest chord (E-open chord in standard tuning) when "
            "RANGE is set high." +
            CRLF +
            "Make sure to choose the right tuning for your instrument before applying "
            "this parameter.");
    noteCutBox(NoteCut::chkHighNoteCut)
        ->setToolTip(
            "Reduces undesired tracking and noise on specific notes (e.g., open G "
            "string and first frets in standard tuning)" +
            CRLF +
            "Ensure your instrument is set to the correct tuning before applying this "
            "parameter.");
    knob(Knob::dialInputLevel)
        ->setToolTip(
            "Set the input signal level for the octave-down effect. This does not "
            "affect the dry signal." +
            CRLF +
            "Adjust if you hear excessive distortion in the sub. By default, it is set "
            "to the max position.");
    cmbGuitarTuning->setToolTip(
        "Select the tuning of your instrument and the pitch variation" + CRLF +
        "in the box below. Example:" + CRLF +
        "- if you play in standard tuning 1 half-step down select standard tuning and -1 "
        "Pitch." +
        CRLF +
        "- if you play in standard tuning and use capo on 3rd fret select standard tuning and "
        "+3 Pitch.");
    cmbSemitonesVariation->setToolTip("Select the pitch variation in semitones from -5 to +3");
    knob(Knob::dialDryHPF)->setToolTip("Filters low frequencies from the dry signal");
    toggle(Switch::swtLimitRange)->setToolTip("Limit the tracking range on higher notes.");
    toggle(Switch::swtNoiseGateStatus)->setToolTip("Turn ON the noise gate");
    knob(Knob::dialNoiseGateThreshold)
        ->setToolTip(
            "Set the level where the noise gate starts. When set to minimum, the Noise "
            "Gate is OFF. Turn it up to activate the gate and set the desired "
            "threshold.");

    // Each control carries the font itself: under a look's style sheet a parent's font does not
    // reach its children.
    for (QWidget* child : findChildren<QWidget*>()) child->setFont(arial);

    for (int k = 0; k < KnobCount; ++k) knobs_[std::size_t(k)]->setAngle(initialKnobAngle(Knob(k)));
    // The right button on "Dominant Notes Cut" is logged.
    noteCutBox(NoteCut::chkDominantNoteCut)->installEventFilter(this);
    setControlsEnabled(false);
}

TformFXsettings::~TformFXsettings() {
    // The behaviour outlives the window: it goes back to controls without widgets.
    if (fx_) fx_->setView(nullptr);
}

QLabel* TformFXsettings::caption(const QString& name, const QString& text, int x, int y, int w,
                                 Qt::Alignment align) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    l->setGeometry(x, y, w, 15);
    l->setAlignment(align | Qt::AlignVCenter);
    controls_ << l;
    return l;
}

KnobDial* TformFXsettings::addKnob(Knob k, const QString& name, const QString& text, int x, int y,
                                   int w) {
    auto* dial = new KnobDial(this);
    dial->setObjectName(name);
    dial->setGeometry(x + (w - 46) / 2, y, 46, 46);
    knobs_[static_cast<std::size_t>(k)] = dial;
    controls_ << dial;
    dial->setAccessibleName(text);
    caption("lbl" + name.mid(4), text, x, y + 46, w, Qt::AlignHCenter);
    return dial;
}

ToggleSwitch* TformFXsettings::addSwitch(Switch s, const QString& name, const QString& text, int x,
                                         int y) {
    caption("lbl" + name.mid(3), text, x, y, 66);
    auto* sw = new ToggleSwitch(this);
    sw->setObjectName(name);
    sw->setGeometry(x + 2, y + 17, 36, 18);
    switches_[static_cast<std::size_t>(s)] = sw;
    controls_ << sw;
    sw->setAccessibleName(text);
    return sw;
}

QComboBox* TformFXsettings::addList(const QString& name, const QStringList& entries, int x, int y,
                                    int w) {
    auto* list = new QComboBox(this);
    list->setObjectName(name);
    list->addItems(entries);
    list->setGeometry(x, y, w, 22);
    controls_ << list;
    return list;
}

QFrame* TformFXsettings::addPanel(const QString& name, const QRect& area) {
    // No fill, only an outline in the look's own line colour, so it shows in every look.
    auto* panel = new QFrame(this);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Plain);
    panel->setGeometry(area);
    controls_ << panel;
    return panel;
}

QString TformFXsettings::notYetSentHint(Unsent group) {
    const char* button = group == Unsent::Tuning        ? "Set Tuning"
                         : group == Unsent::Assignments ? "Assign"
                                                        : "Set Footswitch Mode";
    return QStringLiteral("Not yet sent: press %1 in the main window").arg(button);
}

void TformFXsettings::showNotYetSent(Unsent group, bool pending) {
    UnsentGroup& g = unsent(group);
    if (g.marked == pending) return;
    g.marked = pending;
    const QString hint = notYetSentHint(group);
    for (QLabel* label : g.captions) {
        if (!label->property(DesignedText).isValid())
            label->setProperty(DesignedText, label->text());
        const QString designed = label->property(DesignedText).toString();
        label->setText(pending ? designed + " *" : designed);
        label->setToolTip(pending ? hint : QString());
    }
    // Read with the choice itself, after its name.
    for (QWidget* choice : g.choices) {
        const QString own = choice->toolTip();
        choice->setAccessibleDescription(!pending        ? QString()
                                         : own.isEmpty() ? hint
                                                         : hint + ". " + own);
    }
    // The mark widens the caption; it still shows whole in the current look.
    fitCaptions(this);
}

bool TformFXsettings::notYetSentShown(Unsent group) const {
    return unsent_[static_cast<std::size_t>(group)].marked;
}

void TformFXsettings::attach(FxSettings* fx) {
    fx_ = fx;
    // Each user's change runs its handler, then tells what the sound controls showed before.
    const auto changed = [this](auto putBack) {
        FxControlState before = soundControls(*this);
        putBack(before);
        Q_EMIT soundChangedByUser(before);
    };
    for (int k = 0; k < KnobCount; ++k) {
        connect(knobs_[std::size_t(k)], &KnobDial::angleChanged, this,
                [this, k] { fx_->knobChanged(Knob(k)); });
        connect(knobs_[std::size_t(k)], &KnobDial::turnFinished, this, [changed, k](int from) {
            changed([&](FxControlState& before) { before.showKnobAngle(Knob(k), from); });
        });
    }
    for (int s = 0; s < SwitchCount; ++s) {
        connect(switches_[std::size_t(s)], &ToggleSwitch::toggled, this,
                [this, s, changed](bool on) {
                    fx_->switchChanged(Switch(s));
                    changed([&](FxControlState& before) { before.showSwitch(Switch(s), !on); });
                });
    }
    for (int c = 0; c < NoteCutCount; ++c) {
        connect(
            noteCuts_[std::size_t(c)], &QCheckBox::toggled, this, [this, c, changed](bool checked) {
                fx_->noteCutChanged(NoteCut(c));
                changed([&](FxControlState& before) { before.showNoteCut(NoteCut(c), !checked); });
            });
    }
    connect(cmbVariableWavePitch, &QComboBox::currentIndexChanged, this, [this, changed] {
        const int from = shownPitchEntry_;
        fx_->VariWavePitchOnChange();
        shownPitchEntry_ = cmbVariableWavePitch->currentIndex();
        changed([&](FxControlState& before) { before.showHarmonicPitchEntry(from); });
    });
    fx->setView(this);
}

int TformFXsettings::knobAngle(Knob k) const {
    return knob(k)->angle();
}

void TformFXsettings::showKnobAngle(Knob k, int angle) {
    knob(k)->setAngle(angle);
}

bool TformFXsettings::switchOn(Switch s) const {
    return toggle(s)->isChecked();
}

void TformFXsettings::showSwitch(Switch s, bool on) {
    const QSignalBlocker quiet(toggle(s));
    toggle(s)->setChecked(on);
    toggle(s)->update();
}

bool TformFXsettings::noteCutChecked(NoteCut box) const {
    return noteCutBox(box)->isChecked();
}

void TformFXsettings::showNoteCut(NoteCut box, bool checked) {
    const QSignalBlocker quiet(noteCutBox(box));
    noteCutBox(box)->setChecked(checked);
}

int TformFXsettings::harmonicPitchEntry() const {
    return cmbVariableWavePitch->currentIndex();
}

void TformFXsettings::showHarmonicPitchEntry(int entry) {
    const QSignalBlocker quiet(cmbVariableWavePitch);
    cmbVariableWavePitch->setCurrentIndex(entry);
    shownPitchEntry_ = cmbVariableWavePitch->currentIndex();
}

int TformFXsettings::guitarTuningEntry() const {
    return cmbGuitarTuning->currentIndex();
}

void TformFXsettings::setControlsEnabled(bool enabled) {
    controlsEnabled_ = enabled;
    for (QWidget* w : controls_) w->setEnabled(enabled);
}

void TformFXsettings::setBusy(bool busy) {
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

bool TformFXsettings::eventFilter(QObject* watched, QEvent* event) {
    if (fx_ && watched == noteCutBox(NoteCut::chkDominantNoteCut) &&
        event->type() == QEvent::MouseButtonPress) {
        fx_->chkDominantNoteCutMouseDown(static_cast<QMouseEvent*>(event)->button() ==
                                         Qt::RightButton);
    }
    return SecondaryWindow::eventFilter(watched, event);
}

}  // namespace korvanne
