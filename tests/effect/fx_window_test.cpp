// The effect settings window as a user meets it: its layout and hints, knobs that turn by drag,
// wheel and keys, switches, the keyboard and assistive technology, and the pedal's values shown
// after a link.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMap>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/look.h"
#include "device/communication.h"
#include "device/hex_text.h"
#include "editor_fixture.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/tform_fx_settings.h"
#include "effect/toggle_switch.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QString sentSince(PedalModel& pedal, std::size_t& seen) {
    QString text;
    const auto& r = pedal.received();
    for (std::size_t i = seen; i < r.size(); ++i) text += QString::fromStdString(hex2(r[i]));
    seen = r.size();
    return text;
}

// Linked to a simulated pedal, its effect window open.
struct LinkedEditor : EditorFixture {
    PedalModel* pedal = nullptr;
    std::size_t seen = 0;

    LinkedEditor() {
        pedal = &transport.addPedal();
        start();
        main().action("menuScan")->trigger();
        seen = pedal->received().size();
    }
    TformFXsettings& window() { return editor->fxSettings(); }
    FxSettings& fx() { return operations().fxSettings(); }
    QString sent() { return sentSince(*pedal, seen); }
};

// The controls of the panel's layout: knob block, switch column, input column, the three panels,
// the assignment and footswitch groups, and the two lines.
const char* const PanelControls[] = {"dialDry",
                                     "dialMinus1Oct",
                                     "dialSubMix",
                                     "dialMinus2Oct",
                                     "dialLowPass",
                                     "dialHighPass",
                                     "dialRange",
                                     "dialDryHPF",
                                     "swtWave",
                                     "swtSplit",
                                     "swtBypass",
                                     "swtLimitRange",
                                     "dialInputLevel",
                                     "dialClipWave",
                                     "Rectangle1",
                                     "dial1stHarmonic",
                                     "cmbVariableWavePitch",
                                     "Rectangle2",
                                     "lblTrackingFunctions",
                                     "cmbGuitarTuning",
                                     "cmbSemitonesVariation",
                                     "chkDominantNoteCut",
                                     "chkHighNoteCut",
                                     "Rectangle3",
                                     "swtNoiseGateStatus",
                                     "dialNoiseGateThreshold",
                                     "lblAssignControls",
                                     "cmbAssignCtrlUNO",
                                     "cmbAssignCtrlDUE",
                                     "cmbAssignCtrlTRE",
                                     "cmbAssignCtrlQUATTRO",
                                     "cmbAssignRemote",
                                     "lblLongPress",
                                     "chkBypassLongPress",
                                     "chkChangePresetLongPress",
                                     "lblShortPress",
                                     "chkBypassShortPress",
                                     "chkChangePresetShortPress",
                                     "Line1",
                                     "Line2"};

// Where the panel puts its areas (top-left corners in the window).
const std::pair<const char*, QPoint> PanelPositions[] = {
    {"dialDry", QPoint(20, 8)},         {"dialMinus2Oct", QPoint(80, 72)},
    {"dialDryHPF", QPoint(80, 200)},    {"dialInputLevel", QPoint(212, 8)},
    {"Rectangle1", QPoint(279, 8)},     {"Rectangle2", QPoint(279, 83)},
    {"Rectangle3", QPoint(279, 206)},   {"lblAssignControls", QPoint(15, 276)},
    {"lblLongPress", QPoint(301, 283)}, {"lblShortPress", QPoint(301, 358)}};

QString rectText(const QRect& r) {
    return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The geometry of every named control the window shows.
QMap<QString, QRect> controlGeometries(QWidget& window) {
    QMap<QString, QRect> geometries;
    for (QWidget* c : window.findChildren<QWidget*>()) {
        if (!c->objectName().isEmpty() && c->isVisible() && !c->objectName().startsWith("qt_"))
            geometries.insert(c->objectName(), c->geometry());
    }
    return geometries;
}

// The order Tab visits the controls: the knob block row by row, the switch column, the input
// column, the three panels, the assignment lists, then each footswitch pair on its checked choice
// (as at start); then round again.
const QStringList TabOrder{"dialDry",
                           "dialMinus1Oct",
                           "dialSubMix",
                           "dialMinus2Oct",
                           "dialLowPass",
                           "dialHighPass",
                           "dialRange",
                           "dialDryHPF",
                           "swtWave",
                           "swtSplit",
                           "swtBypass",
                           "swtLimitRange",
                           "dialInputLevel",
                           "dialClipWave",
                           "dial1stHarmonic",
                           "cmbVariableWavePitch",
                           "cmbGuitarTuning",
                           "cmbSemitonesVariation",
                           "chkDominantNoteCut",
                           "chkHighNoteCut",
                           "swtNoiseGateStatus",
                           "dialNoiseGateThreshold",
                           "cmbAssignCtrlUNO",
                           "cmbAssignCtrlDUE",
                           "cmbAssignCtrlTRE",
                           "cmbAssignCtrlQUATTRO",
                           "cmbAssignRemote",
                           "chkChangePresetLongPress",
                           "chkBypassShortPress"};
// Reached with the arrow keys from their checked partner.
const QStringList ByArrowKeys{"chkBypassLongPress", "chkChangePresetShortPress"};

// Whether a widget is one the user operates.
bool takesInput(QWidget* w) {
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QAbstractSlider*>(w);
}

}  // namespace

class FxWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutFollowsThePedalsPanel_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("Dry, first knob") << "dialDry" << QPoint(20, 8);
        QTest::newRow("-2 OCT, second column") << "dialMinus2Oct" << QPoint(80, 72);
        QTest::newRow("Dry HPF, last row") << "dialDryHPF" << QPoint(80, 200);
        QTest::newRow("Input Level") << "dialInputLevel" << QPoint(212, 8);
        QTest::newRow("harmonic panel") << "Rectangle1" << QPoint(279, 8);
        QTest::newRow("tracking panel") << "Rectangle2" << QPoint(279, 83);
        QTest::newRow("noise gate panel") << "Rectangle3" << QPoint(279, 206);
        QTest::newRow("assignments") << "lblAssignControls" << QPoint(15, 276);
        QTest::newRow("long press") << "lblLongPress" << QPoint(301, 283);
        QTest::newRow("short press") << "lblShortPress" << QPoint(301, 358);
    }
    void layoutFollowsThePedalsPanel() {
        QFETCH(QString, control);
        QFETCH(QPoint, at);
        EditorFixture f;
        f.start();
        TformFXsettings& w = f.editor->fxSettings();
        QCOMPARE(w.size(), QSize(440, 432));
        QWidget* c = w.findChild<QWidget*>(control);
        QVERIFY2(c, qPrintable(control));
        QCOMPARE(c->pos(), at);
        QVERIFY(w.rect().contains(c->geometry()));
    }

    void captionsStartStateAndHints() {
        EditorFixture f;
        f.start();
        TformFXsettings& w = f.editor->fxSettings();
        QCOMPARE(w.windowTitle(), QString("Form1"));
        QCOMPARE(w.findChild<QLabel*>("lblMinus1Oct")->text(), QString("-1 OCT"));
        QCOMPARE(w.findChild<QLabel*>("lblLimitRange")->text(), QString("Limit Range"));
        QCOMPARE(w.findChild<QLabel*>("lblTrackingFunctions")->font().family(), QString("Arial"));
        auto* pitch = w.findChild<QComboBox*>("cmbVariableWavePitch");
        QCOMPARE(pitch->count(), 25);
        QCOMPARE(pitch->itemText(0), QString("-12"));
        QCOMPARE(pitch->itemText(24), QString("+12"));
        QCOMPARE(pitch->maxVisibleItems(), 12);
        QCOMPARE(w.findChild<QComboBox*>("cmbGuitarTuning")->currentText(),
                 QString("No Tuning Selected"));
        QCOMPARE(w.findChild<QComboBox*>("cmbSemitonesVariation")->currentText(), QString("0"));
        QVERIFY(w.findChild<QRadioButton*>("chkBypassShortPress")->isChecked());
        QVERIFY(w.findChild<QRadioButton*>("chkChangePresetLongPress")->isChecked());
        const std::pair<Knob, int> start[] = {{Knob::dialDry, -135},
                                              {Knob::dialLowPass, -138},
                                              {Knob::dialHighPass, -128},
                                              {Knob::dialRange, -126},
                                              {Knob::dialDryHPF, -126}};
        for (auto [knob, angle] : start) QCOMPARE(w.knob(knob)->angle(), angle);
        QCOMPARE(w.knob(Knob::dialDryHPF)->toolTip(),
                 QString("Filters low frequencies from the dry signal"));
        QCOMPARE(w.findChild<QComboBox*>("cmbGuitarTuning")->toolTip().count("\r\n"), 3);
        QVERIFY(w.noteCutBox(NoteCut::chkHighNoteCut)
                    ->toolTip()
                    .endsWith("tuning)\r\nEnsure your instrument is set to the correct tuning "
                              "before applying this parameter."));
        // Unlinked, every control is disabled.
        QVERIFY(!w.knob(Knob::dialDry)->isEnabled());
        QVERIFY(!w.findChild<QComboBox*>("cmbAssignRemote")->isEnabled());
    }

    void hints_data() {
        // Every hint the window sets; lines of a hint are joined by CR LF.
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("hint");
        QTest::newRow("dial1stHarmonic")
            << "dial1stHarmonic" << QString("Set the level of the first harmonic.");
        QTest::newRow("cmbVariableWavePitch")
            << "cmbVariableWavePitch"
            << QString("Set the pitch of the first harmonic from -12 to +12 semitones");
        QTest::newRow("chkDominantNoteCut")
            << "chkDominantNoteCut"
            << QString(
                   "Improves tracking on lowest chord (E-open chord in standard tuning) when RANGE "
                   "is set high."
                   "\r\n"
                   "Make sure to choose the right tuning for your instrument before applying this "
                   "parameter.");
        QTest::newRow("chkHighNoteCut")
            << "chkHighNoteCut"
            << QString(
                   "Reduces undesired tracking and noise on specific notes (e.g., open G string "
                   "and first frets in standard tuning)"
                   "\r\n"
                   "Ensure your instrument is set to the correct tuning before applying this "
                   "parameter.");
        QTest::newRow("dialInputLevel") << "dialInputLevel"
                                        << QString(
                                               "Set the input signal level for the octave-down "
                                               "effect. This does not affect the dry signal."
                                               "\r\n"
                                               "Adjust if you hear excessive distortion in the "
                                               "sub. By default, it is set to the max position.");
        QTest::newRow("cmbGuitarTuning")
            << "cmbGuitarTuning"
            << QString(
                   "Select the tuning of your instrument and the pitch variation"
                   "\r\n"
                   "in the box below. Example:"
                   "\r\n"
                   "- if you play in standard tuning 1 half-step down select standard tuning and "
                   "-1 Pitch."
                   "\r\n"
                   "- if you play in standard tuning and use capo on 3rd fret select standard "
                   "tuning and +3 Pitch.");
        QTest::newRow("cmbSemitonesVariation")
            << "cmbSemitonesVariation"
            << QString("Select the pitch variation in semitones from -5 to +3");
        QTest::newRow("dialDryHPF")
            << "dialDryHPF" << QString("Filters low frequencies from the dry signal");
        QTest::newRow("swtLimitRange")
            << "swtLimitRange" << QString("Limit the tracking range on higher notes.");
        QTest::newRow("swtNoiseGateStatus")
            << "swtNoiseGateStatus" << QString("Turn ON the noise gate");
        QTest::newRow("dialNoiseGateThreshold")
            << "dialNoiseGateThreshold"
            << QString(
                   "Set the level where the noise gate starts. When set to minimum, the Noise Gate "
                   "is OFF. Turn it up to activate the gate and set the desired threshold.");
    }
    void hints() {
        QFETCH(QString, control);
        QFETCH(QString, hint);
        EditorFixture f;
        f.start();
        QWidget* c = f.editor->fxSettings().findChild<QWidget*>(control);
        QVERIFY2(c, qPrintable(control));
        QCOMPARE(c->toolTip(), hint);
    }

    void knobsTurnByDragWheelAndKeys() {
        LinkedEditor f;
        KnobDial* dry = f.window().knob(Knob::dialDry);
        QVERIFY(dry->isEnabled());
        const int start = dry->position();
        // Dragging up turns it up, a position a pixel.
        QTest::mousePress(dry, Qt::LeftButton, {}, QPoint(23, 40));
        QMouseEvent move(QEvent::MouseMove, QPointF(23, 10), dry->mapToGlobal(QPointF(23, 10)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dry, &move);
        QTest::mouseRelease(dry, Qt::LeftButton, {}, QPoint(23, 10));
        QCOMPARE(dry->position(), start + 30);
        // A wheel notch and an arrow key.
        QWheelEvent wheel(QPointF(23, 23), dry->mapToGlobal(QPointF(23, 23)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(dry, &wheel);
        QCOMPARE(dry->position(), start + 30 + KnobDial::WheelStep);
        QTest::keyClick(dry, Qt::Key_Up);
        QCOMPARE(dry->position(), start + 36);
        QTest::keyClick(dry, Qt::Key_End);
        QCOMPARE(dry->angle(), KnobMaximumAngle);
        // All of that within 100 ms: one message, the last position.
        QCOMPARE(f.sent(), QString());
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), QString("010027007FE000"));
        QCOMPARE(f.pedal->state().values[0], KnobMaximumValue);
    }

    void switchesAndListsSendWhenTheUserChangesThem() {
        LinkedEditor f;
        QTest::mouseClick(f.window().toggle(Switch::swtSplit), Qt::LeftButton);
        QCOMPARE(f.sent(), QString("0100C900000001"));
        QTest::mouseClick(f.window().toggle(Switch::swtBypass), Qt::LeftButton);
        QCOMPARE(f.sent(), QString("0D01"));
        QVERIFY(f.pedal->state().bypass);
        f.window().findChild<QComboBox*>("cmbVariableWavePitch")->setCurrentIndex(24);
        QCOMPARE(f.sent(), QString("01005200800000"));
        // Values set from code show without a second send.
        f.fx().setSwitch(Switch::swtSplit, true);
        QCOMPARE(f.sent(), QString());
    }

    void tabVisitsEveryControlInReadingOrder() {
        EditorFixture f;
        f.start();
        TformFXsettings& w = f.editor->fxSettings();
        f.operations().fxSettings().SetEffectControlsEnabled(true);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.knob(Knob::dialDry)->setFocus(Qt::TabFocusReason);
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (qsizetype i = 0; i < TabOrder.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, TabOrder + QStringList{TabOrder.first()});
        // Shift+Tab goes back.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), TabOrder.last());
        // Within a footswitch pair the arrow keys choose, and Tab then stops on the new choice.
        auto* longBypass = w.findChild<QRadioButton*>("chkBypassLongPress");
        w.findChild<QRadioButton*>("chkChangePresetLongPress")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), longBypass);
        QVERIFY(longBypass->isChecked());
        w.findChild<QComboBox*>("cmbAssignRemote")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), longBypass);
        // Nothing the user operates is left out, and each has a name to be announced by.
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (!c->isVisible() || !takesInput(c)) continue;
            QVERIFY2(TabOrder.contains(c->objectName()) || ByArrowKeys.contains(c->objectName()),
                     qPrintable(c->objectName()));
            QVERIFY2(!QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name).isEmpty(),
                     qPrintable(c->objectName()));
        }
    }

    void knobTellsItsNameAndShownValue() {
        LinkedEditor f;
        KnobDial* dry = f.window().knob(Knob::dialDry);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(dry);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::Dial);
        QCOMPARE(a->text(QAccessible::Name), QString("Dry"));
        QCOMPARE(QAccessible::queryAccessibleInterface(f.window().knob(Knob::dialDryHPF))
                     ->text(QAccessible::Name),
                 QString("Dry HPF"));
        QAccessibleValueInterface* value = a->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->minimumValue().toDouble(), 0.0);
        QCOMPARE(value->maximumValue().toDouble(), 10.0);
        // A turn by the keys: the value follows what the face shows, and is announced.
        dry->setFocus();
        QTest::keyClick(dry, Qt::Key_End);
        QCOMPARE(a->text(QAccessible::Value), QString("10.0"));
        QCOMPARE(value->currentValue().toDouble(), 10.0);
        QTest::keyClick(dry, Qt::Key_PageDown);
        QCOMPARE(a->text(QAccessible::Value), dry->valueText());
        QCOMPARE(value->currentValue().toDouble(), dry->valueText().toDouble());
        QCOMPARE(dry->valueText(), QString("9.0"));
        // The pedal's value shown from code as well.
        f.fx().setKnob(Knob::dialDry, KnobMinimumAngle);
        QCOMPARE(a->text(QAccessible::Value), QString("0.0"));
        // Set by assistive technology, the knob turns as by the user, and the pedal hears it.
        f.sent();
        value->setCurrentValue(5.0);
        QCOMPARE(dry->valueText(), QString("5.0"));
        f.clock.advance(FxSettings::DeferredSendMs);
        QVERIFY(f.sent().startsWith("010027"));
    }

    void spaceFlipsASwitchAsAClickDoes_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("click") << false;
        QTest::newRow("space") << true;
    }
    void spaceFlipsASwitchAsAClickDoes() {
        QFETCH(bool, byKey);
        LinkedEditor f;
        ToggleSwitch* split = f.window().toggle(Switch::swtSplit);
        QCOMPARE(QAccessible::queryAccessibleInterface(split)->text(QAccessible::Name),
                 QString("Split"));
        QCOMPARE(QAccessible::queryAccessibleInterface(split)->role(), QAccessible::CheckBox);
        QVERIFY(split->focusPolicy() & Qt::TabFocus);
        QSignalSpy clicked(split, &QAbstractButton::clicked);
        if (byKey) {
            split->setFocus(Qt::TabFocusReason);
            QTest::keyClick(split, Qt::Key_Space);
        } else {
            QTest::mouseClick(split, Qt::LeftButton);
        }
        QVERIFY(split->isChecked());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(f.sent(), QString("0100C900000001"));
    }

    void noteCutWithoutTuningInTheWindow() {
        LinkedEditor f;
        QCheckBox* dominant = f.window().noteCutBox(NoteCut::chkDominantNoteCut);
        dominant->click();
        QCOMPARE(f.dialogs.messages, QStringList{FxSettings::NoTuningMessage});
        QVERIFY(!dominant->isChecked());
        QCOMPARE(f.sent(), QString("01001D00000000"));
        f.log.clear();
        QTest::mousePress(dominant, Qt::RightButton);
        QCOMPARE(f.log.lines, QStringList{"Right mouse button clicked!"});
    }

    void aLinkShowsThePedalsValues() {
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal();
        pedal.state().values[0] = KnobMaximumValue;  // Dry
        pedal.state().values[4] = WaveOn;            // Wave
        pedal.state().values[8] = 1;                 // Split
        pedal.state().bypass = true;
        f.start();
        f.main().action("menuScan")->trigger();
        TformFXsettings& w = f.editor->fxSettings();
        QVERIFY(w.isVisible());
        QCOMPARE(w.knob(Knob::dialDry)->angle(), -45);
        QVERIFY(w.toggle(Switch::swtWave)->isChecked());
        QVERIFY(w.toggle(Switch::swtSplit)->isChecked());
        QVERIFY(w.toggle(Switch::swtBypass)->isChecked());
        QVERIFY(f.log.contains("Dry: \t007FE000"));
        QTemporaryDir pictures;
        QVERIFY(w.grab().save(pictures.filePath("fx_settings_linked.png")));
    }

    void looksOfTheWindow() {
        // Every look keeps the panel's layout: each control stays visible where it is, inside the
        // window, and the panels keep their size, enabled or not. Pictures are kept for a look.
        QTemporaryDir pictures;
        QVERIFY(pictures.isValid());
        EditorFixture f;
        f.start();
        TformFXsettings& w = f.editor->fxSettings();
        f.operations().fxSettings().SetEffectControlsEnabled(true);
        w.knob(Knob::dialDry)->setAngle(90);
        w.knob(Knob::dialInputLevel)->setAngle(-45);
        w.toggle(Switch::swtWave)->setChecked(true);
        w.show();
        QVERIFY(applyStyle("Style_0"));
        QCoreApplication::processEvents();
        const QMap<QString, QRect> layout = controlGeometries(w);
        for (const char* name : PanelControls) QVERIFY2(layout.contains(name), name);

        const auto keepsTheLayout = [&](const QString& look) {
            QCOMPARE(w.size(), QSize(440, 432));
            for (auto it = layout.begin(); it != layout.end(); ++it) {
                const QWidget* c = w.findChild<QWidget*>(it.key());
                QVERIFY2(c && c->isVisible(), qPrintable(look + ": " + it.key()));
                QVERIFY2(c->pos() == it.value().topLeft(),
                         qPrintable(look + ": " + it.key() + " moved: " + rectText(c->geometry()) +
                                    " instead of " + rectText(it.value())));
                QVERIFY2(w.rect().contains(c->mapTo(&w, c->rect().topLeft())) &&
                             w.rect().contains(c->mapTo(&w, c->rect().bottomRight())),
                         qPrintable(look + ": " + it.key() + " leaves the window"));
            }
            for (const auto& [name, at] : PanelPositions) {
                QCOMPARE(w.findChild<QWidget*>(name)->pos(), at);
            }
            QCOMPARE(w.findChild<QWidget*>("Rectangle1")->size(), QSize(153, 67));
            QCOMPARE(w.findChild<QWidget*>("Rectangle2")->size(), QSize(153, 119));
            QCOMPARE(w.findChild<QWidget*>("Rectangle3")->size(), QSize(153, 64));
        };
        for (int look = 0; look < 8; ++look) {
            const QString name = "Style_" + QString::number(look);
            QVERIFY(applyStyle(name));
            QCoreApplication::processEvents();
            keepsTheLayout(name);
            QVERIFY(w.grab().save(pictures.filePath(QString("fx_settings_look_%1.png").arg(look))));
        }
        QVERIFY(applyStyle("Style_0"));
        w.SetEffectControlsEnabled(false);
        QCoreApplication::processEvents();
        keepsTheLayout("disabled");
        QVERIFY(w.grab().save(pictures.filePath("fx_settings_disabled.png")));
    }
};

QTEST_MAIN(FxWindowTest)
#include "fx_window_test.moc"
