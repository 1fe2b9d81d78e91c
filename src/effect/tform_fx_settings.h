#pragma once

#include <QList>
#include <array>

#include "effect/fx_settings_view.h"
#include "ui/secondary_window.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QRadioButton;

namespace korvanne {

class FxSettings;
class KnobDial;
class ToggleSwitch;

// The effect settings window: twelve knobs, five switches, the harmonic pitch list, the note-cut
// boxes, the tracking lists, the assignment lists and the footswitch choices. It shows state and
// hands every user change to FxSettings.
class TformFXsettings final : public SecondaryWindow, public FxSettingsView {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 440;
    static constexpr int ClientHeight = 432;

    explicit TformFXsettings(QWidget* parent = nullptr);
    ~TformFXsettings() override;

    // Connects the controls to the behaviour, which then works through this window.
    void attach(FxSettings* fx);

    // Every control of the window at once.
    void SetEffectControlsEnabled(bool enabled) { setControlsEnabled(enabled); }
    bool effectControlsEnabled() const { return controlsEnabled(); }

    // The choices a button of the main window sends, each marked while not yet sent.
    enum class Unsent { Tuning, Assignments, Footswitch };
    // Marks the group's caption (a trailing " *" and a hint naming the button that sends it), or
    // takes the mark off.
    void showNotYetSent(Unsent group, bool pending);
    bool notYetSentShown(Unsent group) const;
    // The hint of a marked caption: "Not yet sent: press Set Tuning in the main window".
    static QString notYetSentHint(Unsent group);

    KnobDial* knob(Knob k) const { return knobs_[static_cast<std::size_t>(k)]; }
    ToggleSwitch* toggle(Switch s) const { return switches_[static_cast<std::size_t>(s)]; }
    QCheckBox* noteCutBox(NoteCut c) const { return noteCuts_[static_cast<std::size_t>(c)]; }

    // FxSettingsView.
    int knobAngle(Knob knob) const override;
    void showKnobAngle(Knob knob, int angle) override;
    bool switchOn(Switch s) const override;
    void showSwitch(Switch s, bool on) override;
    bool noteCutChecked(NoteCut box) const override;
    void showNoteCut(NoteCut box, bool checked) override;
    int harmonicPitchEntry() const override;
    void showHarmonicPitchEntry(int entry) override;
    int guitarTuningEntry() const override;
    void setControlsEnabled(bool enabled) override;
    bool controlsEnabled() const override { return controlsEnabled_; }
    void setBusy(bool busy) override;

Q_SIGNALS:
    // A user's change of a sound control ended (a knob turn released, a switch, the harmonic
    // pitch, a note-cut box); `before` is what the sound controls showed before it.
    void soundChangedByUser(const korvanne::FxControlState& before);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* caption(const QString& name, const QString& text, int x, int y, int w,
                    Qt::Alignment align = Qt::AlignLeft);
    KnobDial* addKnob(Knob k, const QString& name, const QString& text, int x, int y, int w = 56);
    ToggleSwitch* addSwitch(Switch s, const QString& name, const QString& text, int x, int y);
    QComboBox* addList(const QString& name, const QStringList& entries, int x, int y, int w);
    QFrame* addPanel(const QString& name, const QRect& area);
    struct UnsentGroup {
        QList<QLabel*> captions;  // over the group's choices
        QList<QWidget*> choices;
        bool marked = false;
    };
    UnsentGroup& unsent(Unsent group) { return unsent_[static_cast<std::size_t>(group)]; }

    FxSettings* fx_ = nullptr;
    bool controlsEnabled_ = false;
    std::array<KnobDial*, KnobCount> knobs_{};
    std::array<ToggleSwitch*, SwitchCount> switches_{};
    std::array<QCheckBox*, NoteCutCount> noteCuts_{};
    QComboBox* cmbVariableWavePitch = nullptr;
    int shownPitchEntry_ = InitialHarmonicPitchEntry;  // before a user's choice
    QComboBox* cmbGuitarTuning = nullptr;
    QComboBox* cmbSemitonesVariation = nullptr;
    QList<QWidget*> controls_;  // everything SetEffectControlsEnabled reaches
    QList<QWidget*> tabOrder_;  // the order Tab visits the controls in
    std::array<UnsentGroup, 3> unsent_{};
};

}  // namespace korvanne
