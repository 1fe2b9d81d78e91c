// The effect window's behaviour without any widget: the handlers, the deferred knob send, values
// put onto the controls in the three situations, the note-cut rule and bypass, against the
// simulated pedal on virtual time.
#include "effect/fx_settings.h"

#include <QTest>

#include "core/clock.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "recording_log.h"
#include "scripted_dialogs.h"
#include "sim/sim_transport.h"
#include "transfer/effect_resources.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

// FxSettings over a linked simulated pedal, its controls held without widgets, the addresses of
// image 0008 loaded.
struct FxFixture {
    RecordingLog log;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    SimTransport transport{clock};
    PedalModel& pedal = transport.addPedal();
    D2xxUnit unit{transport, dialogs};
    DeviceMessages messages{unit, clock, log};
    EffectCatalogue catalogue;
    bool requestInProgress = false;
    FxSettings fx{log, dialogs, clock, messages, catalogue, requestInProgress};
    FxControlState& controls = fx.headlessControls();

    explicit FxFixture(const QString& effect = "Korvanne MK3 0008") {
        unit.Open_USB_Device_By_Serial_Number("KVSIM0001");
        unit.SetFTBaudRate();
        unit.SetFTDataCharacteristics();
        catalogue.SelectedEffectName = effect;
        fx.FormShow();
        controls.guitarTuning = 1;
    }
    // Everything the pedal received since the last call, as upper-case hex.
    QString sent() {
        const auto& r = pedal.received();
        QString text;
        for (std::size_t i = seen_; i < r.size(); ++i) text += QString::fromStdString(hex2(r[i]));
        seen_ = r.size();
        return text;
    }

private:
    std::size_t seen_ = 0;
};

QString write(std::uint16_t address, std::uint32_t value) {
    return QString::fromStdString(hexText(msg::parameterWrite(address, value)));
}

// Writes a parameter's value into a status reply, at its place in the reply's value block.
void putValue(std::vector<std::uint8_t>& reply, Param p, std::uint32_t v) {
    const std::size_t at = 26 + 4 * std::size_t(order(p));
    for (int b = 0; b < 4; ++b) reply[at + std::size_t(b)] = std::uint8_t(v >> (24 - 8 * b));
}

}  // namespace

class FxSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void knobMessages_data() {
        QTest::addColumn<int>("knob");
        QTest::addColumn<QList<int>>("angles");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("message");
        QTest::newRow("Dry at its maximum")
            << int(Knob::dialDry) << QList<int>{-45} << -45 << "01000B007FE000";
        QTest::newRow("Dry back at its minimum")
            << int(Knob::dialDry) << QList<int>{-45, -135} << -135 << "01000B00000000";
        QTest::newRow("released at -100 snaps to the minimum")
            << int(Knob::dialDry) << QList<int>{0, -100} << -135 << "01000B00000000";
        QTest::newRow("released at -80 snaps to the maximum")
            << int(Knob::dialDry) << QList<int>{-80} << -45 << "01000B007FE000";
        QTest::newRow("Dry HPF writes to address 0")
            << int(Knob::dialDryHPF) << QList<int>{90} << 90 << "010000003FC000";
        QTest::newRow("Range keeps address 0")
            << int(Knob::dialRange) << QList<int>{-45} << -45 << "010000007FE000";
    }
    void knobMessages() {
        QFETCH(int, knob);
        QFETCH(QList<int>, angles);
        FxFixture f;
        for (int a : angles) {
            f.fx.setKnob(Knob(knob), a);
            f.clock.advance(FxSettings::DeferredSendMs);
        }
        const QString all = f.sent();
        QTEST(all.right(14), "message");
        QCOMPARE(all.size(), 14 * angles.size());
        QTEST(f.controls.knobAngle(Knob(knob)), "shown");
        QVERIFY(f.log.lines.last().startsWith("Send "));
    }

    void logLinesNameTheKindOfRecord() {
        FxFixture f;
        f.fx.setKnob(Knob::dialDry, -45);
        f.fx.setKnob(Knob::dialInputLevel, -45);
        f.fx.setSwitch(Switch::swtSplit, true);
        QCOMPARE(f.log.lines.mid(f.log.lines.size() - 3),
                 QStringList({"Send Dry string (standard par): 01000B007FE000",
                              "Send Input Level string (assignable par): 01000A007FE000",
                              "Send Split string (standard par): 0100E900000001"}));
    }

    void theDeferredSendCarriesOnlyTheLatestMessage() {
        FxFixture f;
        // One knob through many positions and then another, all within 100 ms.
        for (int a = 170; a >= 100; a -= 10) {
            f.fx.setKnob(Knob::dialDry, a);
            f.clock.advance(5);
        }
        f.fx.setKnob(Knob::dialSubMix, 0);
        QCOMPARE(f.sent(), QString());
        f.clock.advance(60);
        QCOMPARE(f.sent(), write(0x00E8, 0x006A8000));
        f.clock.advance(500);
        QCOMPARE(f.sent(), QString());
        // Turned on and on for 450 ms: a message every 100 ms, each with the value of its time.
        int messages = 0;
        for (int step = 0; step < 45; ++step) {
            f.fx.setKnob(Knob::dialDry, 180 - step);
            f.clock.advance(10);
            const QString now = f.sent();
            if (now.isEmpty()) continue;
            ++messages;
            QCOMPARE(now, write(0x000B, EncodeKnob(180 - step).value));
        }
        QCOMPARE(messages, 4);
    }

    void messagesWaitForAnotherExchangeToEnd_data() {
        QTest::addColumn<bool>("disableMeanwhile");
        QTest::newRow("sent when it ends") << false;
        QTest::newRow("dropped when the controls are disabled meanwhile") << true;
    }
    void messagesWaitForAnotherExchangeToEnd() {
        QFETCH(bool, disableMeanwhile);
        FxFixture f;
        f.fx.setKnob(Knob::dialDry, -45);
        // While another exchange pauses, the user flips a switch; the knob's timer fires too.
        std::unique_ptr<Timer> click = f.clock.createTimer();
        click->setSingleShot(true);
        click->onTimeout([&] {
            f.fx.setSwitch(Switch::swtSplit, true);
            if (disableMeanwhile) f.fx.SetEffectControlsEnabled(false);
        });
        click->start(50);
        QString duringExchange;
        {
            DeviceMessages::Exchange other(f.messages, "Other");
            QVERIFY(other);
            f.clock.pause(250);
            duringExchange = f.sent();
        }
        QCOMPARE(duringExchange, QString());
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(),
                 disableMeanwhile ? QString() : write(0x00E9, 1) + write(0x000B, KnobMaximumValue));
    }

    void applyingValues_data() {
        QTest::addColumn<bool>("immediate");
        QTest::addColumn<bool>("request");
        QTest::addColumn<QString>("atOnce");
        QTest::addColumn<QString>("deferred");
        QTest::addColumn<uint>("dryRecord");
        const QString wave = write(0x0003, WaveOn);
        const QString split = write(0x00E9, 1);
        const QString dry = write(0x000B, 0x000C6000);
        // The threshold's 0x00400000 shows at 89 degrees, which encodes to step 513.
        const QString gate = write(0x0000, 513u << 13);
        // Knobs re-encode their new position: Dry 0x000C8000 shows -161 and becomes 0x000C6000.
        QTest::newRow("preset load: everything changed goes at once")
            << true << false << dry + wave + split + gate << QString() << 0x000C6000u;
        QTest::newRow("request: only the switches echo, records keep what was read")
            << false << true << wave + split << QString() << 0x000C8000u;
        QTest::newRow("applied without haste: switches at once, only the last knob deferred")
            << false << false << wave + split << gate << 0x000C6000u;
    }
    void applyingValues() {
        QFETCH(bool, immediate);
        QFETCH(bool, request);
        FxFixture f;
        f.requestInProgress = request;
        f.fx.records.setValue(Param::Dry, 0x000C8000);
        f.fx.records.setValue(Param::Wave, WaveOn);
        f.fx.records.setValue(Param::Split, 1);
        f.fx.records.setValue(Param::NoiseGateThreshold, 0x00400000);
        // Controls already showing their value run nothing.
        for (Knob k : {Knob::dialLowPass, Knob::dialHighPass, Knob::dialRange, Knob::dialDryHPF})
            f.controls.showKnobAngle(k, KnobMinimumAngle);
        f.fx.records.setValue(Param::HarmonicPitch, HarmonicPitchTable[InitialHarmonicPitchEntry]);
        f.fx.ApplyParameterValues(immediate);
        QVERIFY(!f.fx.SendImmediately);
        QTEST(f.sent(), "atOnce");
        f.clock.advance(FxSettings::DeferredSendMs);
        QTEST(f.sent(), "deferred");
        QTEST(uint(f.fx.records.value(Param::Dry)), "dryRecord");
        QCOMPARE(f.controls.knobAngle(Knob::dialDry), -161);
        QVERIFY(f.controls.switchOn(Switch::swtWave));
        // The same values once more (the same preset loaded again) send nothing.
        f.fx.records.setValue(Param::Dry, 0x000C8000);
        f.fx.records.setValue(Param::NoiseGateThreshold, 0x00400000);
        f.fx.ApplyParameterValues(immediate);
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), QString());
    }

    void codesOutsideTheSwitchesLeaveThemAsTheyAre_data() {
        QTest::addColumn<int>("param");
        QTest::addColumn<int>("control");
        QTest::addColumn<uint>("value");
        QTest::addColumn<bool>("on");
        QTest::newRow("Wave keeps its state")
            << order(Param::Wave) << int(Switch::swtWave) << 7u << true;
        QTest::newRow("Split keeps its state")
            << order(Param::Split) << int(Switch::swtSplit) << 2u << true;
        QTest::newRow("Limit Range shows off")
            << order(Param::LimitRangeUp) << int(Switch::swtLimitRange) << 2u << false;
    }
    void codesOutsideTheSwitchesLeaveThemAsTheyAre() {
        QFETCH(int, param);
        QFETCH(int, control);
        QFETCH(uint, value);
        FxFixture f;
        f.controls.showSwitch(Switch(control), true);
        f.fx.records.setValue(Param(param), value);
        f.fx.ApplyParameterValues(true);
        QTEST(f.controls.switchOn(Switch(control)), "on");
    }

    void harmonicPitch_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<uint>("value");
        // Each entry of the list, "-12" to "+12", and the value it sends.
        QTest::newRow("-12") << 0 << 0x00200000u;
        QTest::newRow("-11") << 1 << 0x0022AAA8u;
        QTest::newRow("-10") << 2 << 0x00255558u;
        QTest::newRow("-9") << 3 << 0x00280000u;
        QTest::newRow("-8") << 4 << 0x002AAAA8u;
        QTest::newRow("-7") << 5 << 0x002D5558u;
        QTest::newRow("-6") << 6 << 0x00300000u;
        QTest::newRow("-5") << 7 << 0x0032AAA8u;
        QTest::newRow("-4") << 8 << 0x00355558u;
        QTest::newRow("-3") << 9 << 0x00380000u;
        QTest::newRow("-2") << 10 << 0x003AAAA8u;
        QTest::newRow("-1") << 11 << 0x003D5558u;
        QTest::newRow("0") << 12 << 0x00400000u;
        QTest::newRow("+1") << 13 << 0x00455558u;
        QTest::newRow("+2") << 14 << 0x004AAAA8u;
        QTest::newRow("+3") << 15 << 0x00500000u;
        QTest::newRow("+4") << 16 << 0x00555558u;
        QTest::newRow("+5") << 17 << 0x005AAAA8u;
        QTest::newRow("+6") << 18 << 0x00600000u;
        QTest::newRow("+7") << 19 << 0x00655558u;
        QTest::newRow("+8") << 20 << 0x006AAAA8u;
        QTest::newRow("+9") << 21 << 0x00700000u;
        QTest::newRow("+10") << 22 << 0x00755558u;
        QTest::newRow("+11") << 23 << 0x007AAAA8u;
        QTest::newRow("+12") << 24 << 0x00800000u;
    }
    void harmonicPitch() {
        QFETCH(int, entry);
        QFETCH(uint, value);
        FxFixture f;
        if (entry == InitialHarmonicPitchEntry) {
            // The list already shows it: choose another entry first.
            f.fx.setHarmonicPitch(0);
            f.sent();
        }
        f.fx.setHarmonicPitch(entry);
        QCOMPARE(f.sent(), write(0x006E, value));
        QCOMPARE(f.log.lines.last(), "Send Harmonic Pitch string: " + write(0x006E, value));
        QCOMPARE(f.fx.records.value(Param::HarmonicPitch), std::uint32_t(value));
        // A value the list has no entry for leaves the selection.
        f.fx.records.setValue(Param::HarmonicPitch, 0x00400001);
        f.fx.ApplyParameterValues(true);
        QCOMPARE(f.controls.harmonicPitchEntry(), entry);
    }

    void noteCutWithoutATuning_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("address");
        QTest::newRow("Dominant Notes Cut") << int(NoteCut::chkDominantNoteCut) << 0x001B;
        QTest::newRow("High Notes Cut") << int(NoteCut::chkHighNoteCut) << 0x000C;
    }
    void noteCutWithoutATuning() {
        QFETCH(int, box);
        QFETCH(int, address);
        FxFixture f;
        f.controls.guitarTuning = 0;
        f.fx.records.setValue(Param::DominantNotesCut, 1);
        f.fx.records.setValue(Param::HighNotesCut, 1);
        f.fx.setNoteCut(NoteCut(box), true);
        QCOMPARE(f.dialogs.messages, QStringList{FxSettings::NoTuningMessage});
        QVERIFY(!f.controls.noteCutChecked(NoteCut(box)));
        QCOMPARE(f.sent(), write(std::uint16_t(address), 0));
        QCOMPARE(f.log.lines.last(), "write to DSP msg: " + write(std::uint16_t(address), 0));
        // With a tuning the box stays checked and sends 1.
        f.controls.guitarTuning = 2;
        f.fx.setNoteCut(NoteCut(box), true);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.sent(), write(std::uint16_t(address), 1));
    }

    // A box shows what the pedal reported; the rule that clears it guards a user's change only,
    // so the pedal is not told 0 for a value it holds as 1.
    void aReportedNoteCutWithoutTuningIsShownAsItIs() {
        FxFixture f;
        f.controls.guitarTuning = 0;
        std::vector<std::uint8_t> reply(102, 0);
        reply[26 + 4 * order(Param::DominantNotesCut) + 3] = 1;
        f.fx.LogParameterValues(reply, 26);
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(f.controls.noteCutChecked(NoteCut::chkDominantNoteCut));
        QVERIFY(!f.sent().contains(write(0x001B, 0)));
        QCOMPARE(f.fx.records.value(Param::DominantNotesCut), std::uint32_t(1));
        // The user's own change still runs the rule.
        f.fx.setNoteCut(NoteCut::chkDominantNoteCut, false);
        QCOMPARE(f.dialogs.messages, QStringList{FxSettings::NoTuningMessage});
        QCOMPARE(f.sent(), write(0x001B, 0));
        QCOMPARE(f.fx.records.value(Param::DominantNotesCut), std::uint32_t(0));
    }

    // A status reply's values go onto the knobs at their nearest positions and nothing is sent
    // for them: the records keep what the pedal reported, though the positions encode otherwise.
    // Switches echo only what the pedal holds.
    void aStatusReplyShowsKnobsWithoutSendingThem() {
        FxFixture f;
        std::vector<std::uint8_t> reply(102, 0);
        auto put = [&](Param p, std::uint32_t v) { putValue(reply, p, v); };
        put(Param::Dry, 0x000C8000);
        put(Param::NoiseGateThreshold, 0x00200000);
        put(Param::LowPass, 7);
        put(Param::Wave, WaveOn);
        put(Param::LimitRangeUp, 2);
        f.controls.showSwitch(Switch::swtLimitRange, true);
        f.fx.LogParameterValues(reply, 26);
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), write(0x0003, WaveOn));
        QVERIFY(f.fx.pendingKnobMessage().empty());
        QCOMPARE(f.controls.knobAngle(Knob::dialDry), -161);
        QCOMPARE(f.controls.knobAngle(Knob::dialNoiseGateThreshold), 158);
        QCOMPARE(f.fx.records.value(Param::Dry), std::uint32_t(0x000C8000));
        QCOMPARE(f.fx.records.value(Param::NoiseGateThreshold), std::uint32_t(0x00200000));
        QCOMPARE(f.fx.records.value(Param::LowPass), std::uint32_t(7));
        // Limit Range shows off for a code it does not know, and the pedal keeps the code.
        QVERIFY(!f.controls.switchOn(Switch::swtLimitRange));
        QCOMPARE(f.fx.records.value(Param::LimitRangeUp), std::uint32_t(2));
        // A user's turn afterwards sends its position's value.
        f.fx.setKnob(Knob::dialNoiseGateThreshold, 157);
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), write(0x0000, EncodeKnob(157).value));
        QCOMPARE(f.fx.records.value(Param::NoiseGateThreshold), EncodeKnob(157).value);
    }

    void duringARequestTheHandlersPause() {
        FxFixture f;
        f.requestInProgress = true;
        f.fx.setKnob(Knob::dialDry, -45);
        f.fx.setHarmonicPitch(0);
        f.fx.setNoteCut(NoteCut::chkHighNoteCut, true);
        f.fx.setSwitch(Switch::swtBypass, true);
        f.clock.advance(FxSettings::DeferredSendMs);
        QCOMPARE(f.sent(), QString());
        f.fx.setSwitch(Switch::swtWave, true);
        QCOMPARE(f.sent(), write(0x0003, WaveOn));
    }

    void bypass_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("message");
        QTest::newRow("1 turns it on") << 1 << true << "0D01";
        QTest::newRow("other values leave it") << 2 << false << "";
    }
    void bypass() {
        QFETCH(int, entry);
        FxFixture f;
        std::vector<std::uint8_t> reply(102, 0);
        reply[22] = std::uint8_t(entry);
        f.fx.getBypassStatus(reply, 22);
        QTEST(f.controls.switchOn(Switch::swtBypass), "on");
        QTEST(f.sent(), "message");
        f.fx.SendBypass(false);
        QCOMPARE(f.sent(), QString("0D00"));
    }

    void valuesFromAStatusReplyAreLoggedAndShown() {
        FxFixture f;
        std::vector<std::uint8_t> reply(102, 0);
        auto put = [&](Param p, std::uint32_t v) { putValue(reply, p, v); };
        put(Param::Dry, KnobMaximumValue);
        put(Param::LowPass, 12);
        put(Param::Range, 22);
        f.fx.LogParameterValues(reply, 26);
        QVERIFY(f.log.contains("Dry: \t007FE000"));
        QVERIFY(f.log.contains("Sub Mix: 00000000"));
        QVERIFY(f.log.contains("LPF: \t0000000C"));
        QVERIFY(f.log.contains("Noise Gate Threshold: \t00000000"));
        QCOMPARE(f.controls.knobAngle(Knob::dialDry), -45);
        QCOMPARE(f.controls.knobAngle(Knob::dialLowPass), 90);
        QCOMPARE(f.controls.knobAngle(Knob::dialRange), -45);
    }

    void aReplyCutShortKeepsTheRecordsItDoesNotReach() {
        FxFixture f;
        f.fx.records.setValue(Param::NoiseGateThreshold, 0x1234);
        std::vector<std::uint8_t> reply(26 + 8, 0);
        reply[26 + 3] = 0x20;
        f.fx.LogParameterValues(reply, 26);
        QCOMPARE(f.fx.records.value(Param::Dry), std::uint32_t(0x20));
        QCOMPARE(f.fx.records.value(Param::NoiseGateThreshold), std::uint32_t(0x1234));
    }

    void showingTheWindowLoadsTheSelectedEffectsAddresses() {
        FxFixture f;
        QCOMPARE(f.fx.records.address(Param::Dry), std::uint16_t(0x000B));
        f.catalogue.SelectedEffectName = "Korvanne MK3 0013";
        f.fx.FormShow();
        QCOMPARE(f.fx.records.address(Param::Dry), std::uint16_t(0x0027));
        QVERIFY(f.log.contains("resource name: Korvanne_MK3_0013"));
        // A missing image is reported and the addresses stay.
        f.catalogue.SelectedEffectName = "No Such Effect";
        f.fx.FormShow();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.fx.records.address(Param::Dry), std::uint16_t(0x0027));
    }
};

QTEST_GUILESS_MAIN(FxSettingsTest)
#include "fx_settings_test.moc"
