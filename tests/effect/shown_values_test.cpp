// The parameters as the effect window shows them, both ways: a reported value's shown text, the
// setting a shown text stands for, the knob's face, and a shown knob value sending what turning
// the window's knob to it sends.
#include "effect/shown_values.h"

#include <QTest>

#include "device/hex_text.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/tform_fx_settings.h"
#include "linked_editor.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

const CatalogueEntry& entryOf(int p) {
    return catalogueEntry(Param(p));
}

// The value a knob position sends.
std::uint32_t knobValueAt(int position) {
    return EncodeKnob(knobAngleFromPosition(position)).value;
}

QString sentSince(PedalModel& pedal, std::size_t& seen) {
    QString text;
    const auto& r = pedal.received();
    for (std::size_t i = seen; i < r.size(); ++i) text += QString::fromStdString(hex2(r[i]));
    seen = r.size();
    return text;
}

}  // namespace

class ShownValuesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bothWays_data() {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<qint64>("reported");
        QTest::addColumn<QString>("shown");
        // What the shown text sends, the reported value when the control shows it exactly.
        QTest::addColumn<qint64>("sent");

        const auto row = [](const char* name, Param p, std::uint32_t reported, const char* shown,
                            std::uint32_t sent) {
            QTest::newRow(name) << order(p) << qint64(reported) << shown << qint64(sent);
        };
        row("knob minimum", Param::Dry, 0, "0.0", 0);
        row("knob maximum", Param::Dry, KnobMaximumValue, "10.0", KnobMaximumValue);
        // Steps above 1022 clamp to the maximum.
        row("knob past its maximum", Param::WaveClip, 0x00800000, "10.0", KnobMaximumValue);
        row("knob at 6.5", Param::Dry, knobValueAt(175), "6.5", knobValueAt(175));
        // Positions 134 and 135 both show 5.0 and are equally near; 135 reads back as 5.0.
        row("knob at 5.0", Param::NoiseGateThreshold, knobValueAt(135), "5.0", knobValueAt(135));
        // Low Pass is reported in 24 steps and sent in the knobs' own encoding.
        row("Low Pass full", Param::LowPass, 24, "10.0", KnobMaximumValue);
        row("Low Pass half", Param::LowPass, 12, "5.0", knobValueAt(135));
        row("High Pass off", Param::HighPass, 0, "0.0", 0);
        row("pitch -12", Param::HarmonicPitch, 0x00200000, "-12", 0x00200000);
        row("pitch -11", Param::HarmonicPitch, 0x0022AAA8, "-11", 0x0022AAA8);
        row("pitch 0", Param::HarmonicPitch, 0x00400000, "0", 0x00400000);
        row("pitch +12", Param::HarmonicPitch, 0x00800000, "+12", 0x00800000);
        row("Wave on", Param::Wave, WaveOn, "on", WaveOn);
        row("Wave off", Param::Wave, WaveOff, "off", WaveOff);
        row("Split on", Param::Split, 1, "on", 1);
        row("Split off", Param::Split, 0, "off", 0);
        row("Noise Gate Status on", Param::NoiseGateStatus, 1, "on", 1);
        // The other switches and the check boxes show off for any code but 1.
        row("Limit Range UP code 2", Param::LimitRangeUp, 2, "off", 0);
        row("check box on", Param::DominantNotesCut, 1, "on", 1);
        row("check box code 7", Param::HighNotesCut, 7, "off", 0);
    }

    void bothWays() {
        QFETCH(int, parameter);
        QFETCH(qint64, reported);
        QFETCH(QString, shown);
        QFETCH(qint64, sent);
        const CatalogueEntry& entry = entryOf(parameter);
        const std::optional<std::string> text = shownValue(entry, std::uint32_t(reported));
        QVERIFY(text.has_value());
        QCOMPARE(QString::fromStdString(*text), shown);

        const std::optional<int> setting = settingFromShown(entry, shown.toStdString());
        QVERIFY(setting.has_value());
        QCOMPARE(QString::fromStdString(shownText(entry, *setting)), shown);
        // The value the setting's control sends.
        std::uint32_t value = 0;
        switch (entry.encoding) {
            case Encoding::Knob:
                value = EncodeKnob(*setting).value;
                break;
            case Encoding::PitchTable:
                value = HarmonicPitchTable[std::size_t(*setting)];
                break;
            case Encoding::WaveSwitch:
                value = *setting ? WaveOn : WaveOff;
                break;
            case Encoding::Switch:
            case Encoding::CheckBox:
                value = std::uint32_t(*setting);
                break;
        }
        QCOMPARE(qint64(value), sent);
    }

    void valuesTheWindowDoesNotShow_data() {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<qint64>("reported");
        QTest::newRow("Wave code 0") << order(Param::Wave) << qint64(0);
        QTest::newRow("Split code 2") << order(Param::Split) << qint64(2);
        QTest::newRow("pitch between entries") << order(Param::HarmonicPitch) << qint64(0x00210000);
    }

    void valuesTheWindowDoesNotShow() {
        // The control keeps the state it had: there is no shown value of its own.
        QFETCH(int, parameter);
        QFETCH(qint64, reported);
        QVERIFY(!controlSettingOf(entryOf(parameter), std::uint32_t(reported)).has_value());
        QVERIFY(!shownValue(entryOf(parameter), std::uint32_t(reported)).has_value());
    }

    void shownTextsRefused_data() {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<QString>("text");
        const int dry = order(Param::Dry);
        const int pitch = order(Param::HarmonicPitch);
        const int wave = order(Param::Wave);
        const int box = order(Param::HighNotesCut);
        for (const char* text : {"10.1", "11", "-1", "-0.5", "6.55", "6.", ".5", "", "6,5", "1e1",
                                 " 6.5", "+6.5", "on", "angle"}) {
            QTest::addRow("knob '%s'", text) << dry << text;
        }
        for (const char* text : {"13", "-13", "+-1", "1.0", "", "on", "--1"}) {
            QTest::addRow("pitch '%s'", text) << pitch << text;
        }
        for (const char* text : {"ON", "1", "true", "", "6.5"}) {
            QTest::addRow("switch '%s'", text) << wave << text;
            QTest::addRow("check box '%s'", text) << box << text;
        }
    }

    void shownTextsRefused() {
        QFETCH(int, parameter);
        QFETCH(QString, text);
        QVERIFY(!settingFromShown(entryOf(parameter), text.toStdString()).has_value());
    }

    void knobFaces() {
        // The face shows position × 10 / 269 with one decimal.
        for (int p = 0; p < KnobPositions; ++p) {
            QCOMPARE(QString::fromStdString(knobFaceText(p)),
                     QString::number(p * 10.0 / (KnobPositions - 1), 'f', 1));
        }
        // Every face from 0.0 to 10.0 is shown by the position a shown value goes to, the one
        // nearest to value × 269 / 10 among those that show it.
        const CatalogueEntry& dry = catalogueEntry(Param::Dry);
        for (int tenths = 0; tenths <= 100; ++tenths) {
            const QString face = QString::number(tenths / 10.0, 'f', 1);
            const std::optional<int> angle = settingFromShown(dry, face.toStdString());
            QVERIFY2(angle.has_value(), qPrintable(face));
            const int position = knobPositionFromAngle(*angle);
            QCOMPARE(QString::fromStdString(knobFaceText(position)), face);
            const double wanted = tenths * (KnobPositions - 1) / 100.0;
            for (int other = 0; other < KnobPositions; ++other) {
                if (knobFaceText(other) != face.toStdString()) continue;
                QVERIFY2(std::abs(other - wanted) >= std::abs(position - wanted),
                         qPrintable(face + " at " + QString::number(position)));
            }
        }
        // Whole numbers may come without their decimal.
        QCOMPARE(settingFromShown(dry, "7"), settingFromShown(dry, "7.0"));
    }

    void shownKnobValueSendsWhatTheTurnedKnobSends() {
        // Turned in the window to the position showing 6.5 nearest to 6.5 × 269 / 10 ...
        LinkedEditor e;
        std::size_t seen = e.pedal->received().size();
        KnobDial* dry = e.editor->fxSettings().knob(Knob::dialDry);
        dry->turnTo(175);
        QCOMPARE(QString::fromStdString(knobFaceText(dry->position())), QString("6.5"));
        e.clock.advance(FxSettings::DeferredSendMs);
        const QString turned = sentSince(*e.pedal, seen);
        QCOMPARE(turned, QString("01002700534000"));

        // ... and set from the shown value through the knob's own handler: the same bytes.
        dry->turnTo(0);
        e.clock.advance(FxSettings::DeferredSendMs);
        sentSince(*e.pedal, seen);
        const std::optional<int> setting =
            settingFromShown(catalogueEntry(Param::Dry), std::string("6.5"));
        QVERIFY(setting.has_value());
        QVERIFY(e.operations().fxSettings().changeNow(Param::Dry, *setting).ok());
        e.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(sentSince(*e.pedal, seen), turned);
        QCOMPARE(dry->position(), 175);
    }
};

QTEST_MAIN(ShownValuesTest)
#include "shown_values_test.moc"
