// The parameter catalogue and its codecs, from the worked examples of the pedal's encoding.
#include "effect/parameter_catalogue.h"

#include <QFile>
#include <QTest>

#include "device/hex_text.h"
#include "device/message_builders.h"

using namespace korvanne;

namespace {

std::string imageLine(const char* name) {
    QFile f(QStringLiteral(KORVANNE_EFFECTS_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readLine().trimmed().toStdString();
}

}  // namespace

class ParameterCatalogueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordsAreCreatedInWindowOrderWithTheirInitialAddresses() {
        ParameterRecords r;
        QCOMPARE(r.AssignableParameters.size(), std::size_t(9));
        QCOMPARE(r.StandardParameters.size(), std::size_t(10));
        QCOMPARE(r.AssignableParameters.front().parameter_name, std::string("Input Level"));
        QCOMPARE(r.AssignableParameters.front().address, std::uint16_t(0xFFFF));
        QCOMPARE(r.StandardParameters[1].parameter_name, std::string("-1 Oct"));
        QCOMPARE(r.StandardParameters[1].address, std::uint16_t(0x0000));
        QCOMPARE(r.StandardParameters[1].num_of_addresses, std::uint8_t(1));
        // Catalogue order reaches the right record whatever the list order.
        r.setValue(Param::SubMix, 0x1234);
        QCOMPARE(r.StandardParameters[2].parameter_name, std::string("Sub Mix"));
        QCOMPARE(r.StandardParameters[2].value, std::uint32_t(0x1234));
        QCOMPARE(r.name(Param::NoiseGateThreshold), std::string("Noise Gate Threshold"));
        QVERIFY(r.findAssignable("Wave Clip") == &r.AssignableParameters[2]);
        QVERIFY(r.findAssignable("Dry") == nullptr);
    }

    void addressesFromTheImages_data() {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<int>("address");
        const int image8[] = {0x000B, 0x00E8, 0x0077, 0x0073, 0x0003, 0x00CC, 0x00DE,
                              0x00A0, 0x00E9, -1,     0x000A, 0x006E, 0x00E7, 0x001B,
                              0x000C, 0x0000, 0x0000, 0x0000, 0x0000};
        const int image13[] = {0x0027, 0x0007, 0x007D, 0x0080, 0x0002, 0x00AF, 0x00BD,
                               0x007E, 0x00C9, -1,     0x000B, 0x0052, 0x00C6, 0x001D,
                               0x000E, 0x0006, 0xFF00, 0x00BC, 0x0003};
        for (int p = 0; p < ParameterCount; ++p) {
            const char* name = ParameterCatalogue()[std::size_t(p)].name;
            // Range has no word: it keeps the address it was created with.
            const int range = 0x0000;
            QTest::addRow("0008 %s", name)
                << "KORVANNE_MK3_0008" << p << (image8[p] < 0 ? range : image8[p]);
            QTest::addRow("0013 %s", name)
                << "KORVANNE_MK3_0013" << p << (image13[p] < 0 ? range : image13[p]);
        }
    }
    void addressesFromTheImages() {
        QFETCH(QString, image);
        QFETCH(int, parameter);
        ParameterRecords r;
        QCOMPARE(LoadParameterAddresses(imageLine(qPrintable(image)), r), std::string());
        QTEST(int(r.address(Param(parameter))), "address");
    }

    void aBrokenAddressTableChangesNoAddress_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("error");
        const QString good = QString::fromStdString(imageLine("KORVANNE_MK3_0013"));
        QTest::newRow("too short") << good.left(89) << "too short";
        QTest::newRow("not hex in word 20")
            << good.left(86) + "ZZ" + good.mid(88) << "'ZZ03' is not a valid hexadecimal";
        QTest::newRow("empty") << QString() << "too short";
    }
    void aBrokenAddressTableChangesNoAddress() {
        QFETCH(QString, line);
        QFETCH(QString, error);
        ParameterRecords r;
        QCOMPARE(LoadParameterAddresses(imageLine("KORVANNE_MK3_0008"), r), std::string());
        const ParameterValues before = r.values();
        const std::string text = LoadParameterAddresses(line.toStdString(), r);
        QVERIFY2(QString::fromStdString(text).contains(error), text.c_str());
        QCOMPARE(r.address(Param::Dry), std::uint16_t(0x000B));
        QCOMPARE(r.address(Param::NoiseGateThreshold), std::uint16_t(0x0000));
        QCOMPARE(r.values(), before);
    }

    void encodeKnob_data() {
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("snapped");
        QTest::addColumn<uint>("value");
        QTest::newRow("minimum") << -135 << -135 << 0x00000000u;
        QTest::newRow("-179") << -179 << -179 << 0x0014E000u;
        QTest::newRow("180, the same pointer as -180") << 180 << 180 << 0x0014E000u;
        QTest::newRow("-180") << -180 << -180 << 0x0014E000u;
        QTest::newRow("90") << 90 << 90 << 0x003FC000u;
        QTest::newRow("0") << 0 << 0 << 0x006A8000u;
        QTest::newRow("maximum") << -45 << -45 << 0x007FE000u;
        QTest::newRow("-60 snaps to the maximum") << -60 << -45 << 0x007FE000u;
        QTest::newRow("-80 snaps to the maximum") << -80 << -45 << 0x007FE000u;
        QTest::newRow("-90 snaps to the minimum") << -90 << -135 << 0u;
        QTest::newRow("-100 snaps to the minimum") << -100 << -135 << 0u;
        QTest::newRow("-161 (decoded 100)") << -161 << -161 << (99u << 13);
        QTest::newRow("-1, first past 0") << -1 << -1 << (856u << 13);
    }
    void encodeKnob() {
        QFETCH(int, angle);
        const EncodedKnob k = EncodeKnob(angle);
        QTEST(k.angle, "snapped");
        QTEST(uint(k.value), "value");
        QCOMPARE(k.value, std::uint32_t(k.step) << 13);
    }

    void decodeKnob_data() {
        QTest::addColumn<uint>("value");
        QTest::addColumn<uint>("scale");
        QTest::addColumn<int>("angle");
        QTest::newRow("zero") << 0u << uint(KnobScale) << -135;
        QTest::newRow("zero, scale 24") << 0u << 24u << -135;
        QTest::newRow("knob maximum") << KnobMaximumValue << uint(KnobScale) << -45;
        QTest::newRow("0x00800000 clamps") << 0x00800000u << uint(KnobScale) << -45;
        QTest::newRow("full scale clamps") << 0xFFFFFFFFu << uint(KnobScale) << -45;
        QTest::newRow("16 of 16 clamps") << 16u << 16u << -45;
        QTest::newRow("24 of 24") << 24u << 24u << -45;
        QTest::newRow("22 of 22") << 22u << 22u << -45;
        QTest::newRow("12 of 24") << 12u << 24u << 90;  // step 511
        QTest::newRow("large value with a small scale clamps") << 0x40000000u << 16u << -45;
        QTest::newRow("step 100") << 0x000C8000u << uint(KnobScale) << -161;
        QTest::newRow("step 170") << (170u << 13) << uint(KnobScale) << 180;
        QTest::newRow("step 850") << (850u << 13) << uint(KnobScale) << 0;
        QTest::newRow("step 851") << (851u << 13) << uint(KnobScale) << -1;
    }
    void decodeKnob() {
        QFETCH(uint, value);
        QFETCH(uint, scale);
        QTEST(DecodeKnob(value, scale), "angle");
    }

    void decodingThenEncodingIsNotExact() {
        const int angle = DecodeKnob(0x000C8000, KnobScale);
        QCOMPARE(angle, -161);
        QCOMPARE(EncodeKnob(angle).step, 99);
    }

    void everyPositionRoundTripsThroughItsAngle() {
        for (int p = 0; p < KnobPositions; ++p) {
            const int angle = knobAngleFromPosition(p);
            QCOMPARE(knobPositionFromAngle(angle), p);
            QCOMPARE(EncodeKnob(angle).angle, angle);
        }
    }

    void harmonicPitchTable_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("value");
        QTest::newRow("lowest") << 0 << "-12" << 0x00200000u;
        QTest::newRow("-1") << 11 << "-1" << 0x003D5558u;
        QTest::newRow("unison") << 12 << "0" << 0x00400000u;
        QTest::newRow("+1") << 13 << "+1" << 0x00455558u;
        QTest::newRow("highest") << 24 << "+12" << 0x00800000u;
    }
    void harmonicPitchTable() {
        QFETCH(int, entry);
        QTEST(QString::fromStdString(harmonicPitchText(entry)), "text");
        QTEST(uint(HarmonicPitchTable[std::size_t(entry)]), "value");
        QCOMPARE(harmonicPitchEntry(HarmonicPitchTable[std::size_t(entry)]), std::optional(entry));
    }
    void aValueOutsideThePitchTableHasNoEntry() {
        QCOMPARE(harmonicPitchEntry(0x00400001), std::optional<int>());
    }

    void parameterWriteMessage_data() {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<uint>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("Dry at its maximum")
            << order(Param::Dry) << KnobMaximumValue << "01000B007FE000";
        QTest::newRow("Dry at its minimum") << order(Param::Dry) << 0u << "01000B00000000";
        QTest::newRow("Dry HPF goes to address 0")
            << order(Param::DryHpf) << 0x00400000u << "01000000400000";
        QTest::newRow("Split on") << order(Param::Split) << 1u << "0100E900000001";
    }
    void parameterWriteMessage() {
        QFETCH(int, parameter);
        QFETCH(uint, value);
        ParameterRecords r;
        QCOMPARE(LoadParameterAddresses(imageLine("KORVANNE_MK3_0008"), r), std::string());
        QTEST(QString::fromStdString(
                  hexText(msg::parameterWrite(r.address(Param(parameter)), value))),
              "text");
    }

    void valueBlock_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("values");
        QTest::newRow("whole reply") << 102 << 19;
        QTest::newRow("cut inside value 3") << 26 + 4 * 2 + 3 << 2;
        QTest::newRow("no values") << 26 << 0;
        QTest::newRow("shorter than the block start") << 10 << 0;
    }
    void valueBlock() {
        QFETCH(int, entries);
        std::vector<std::uint8_t> reply(std::size_t(entries), 0);
        for (std::size_t i = 26; i < reply.size(); ++i) reply[i] = std::uint8_t(i);
        const std::vector<std::uint32_t> block = ParameterValueBlock(reply);
        QTEST(int(block.size()), "values");
        if (!block.empty()) QCOMPARE(block[0], std::uint32_t(0x1A1B1C1D));
    }

    void dumpLabels_data() {
        // The line each value is logged with after a status reply, in catalogue order; only
        // "Sub Mix: " has no tab.
        QTest::addColumn<int>("param");
        QTest::addColumn<QString>("label");
        QTest::newRow("Dry") << order(Param::Dry) << QString("Dry: \t");
        QTest::newRow("SubMix") << order(Param::SubMix) << QString("Sub Mix: ");
        QTest::newRow("Minus1Oct") << order(Param::Minus1Oct) << QString("Sub -1: \t");
        QTest::newRow("Minus2Oct") << order(Param::Minus2Oct) << QString("Sub -2: \t");
        QTest::newRow("Wave") << order(Param::Wave) << QString("Wave: \t");
        QTest::newRow("LowPass") << order(Param::LowPass) << QString("LPF: \t");
        QTest::newRow("HighPass") << order(Param::HighPass) << QString("HPF: \t");
        QTest::newRow("FirstHarmonic")
            << order(Param::FirstHarmonic) << QString("1st Harmonic: \t");
        QTest::newRow("Split") << order(Param::Split) << QString("Split: \t");
        QTest::newRow("Range") << order(Param::Range) << QString("Range: \t");
        QTest::newRow("InputLevel") << order(Param::InputLevel) << QString("Input Lvl: \t");
        QTest::newRow("HarmonicPitch")
            << order(Param::HarmonicPitch) << QString("Harmonic pitch: \t");
        QTest::newRow("WaveClip") << order(Param::WaveClip) << QString("Clip: \t");
        QTest::newRow("DominantNotesCut")
            << order(Param::DominantNotesCut) << QString("Dominant notes cut: \t");
        QTest::newRow("HighNotesCut")
            << order(Param::HighNotesCut) << QString("High notes cut: \t");
        QTest::newRow("DryHpf") << order(Param::DryHpf) << QString("Dry HPF: \t");
        QTest::newRow("LimitRangeUp")
            << order(Param::LimitRangeUp) << QString("Limit Range UP: \t");
        QTest::newRow("NoiseGateStatus")
            << order(Param::NoiseGateStatus) << QString("Noise Gate Status: \t");
        QTest::newRow("NoiseGateThreshold")
            << order(Param::NoiseGateThreshold) << QString("Noise Gate Threshold: \t");
    }
    void dumpLabels() {
        QFETCH(int, param);
        QFETCH(QString, label);
        QCOMPARE(QString::fromStdString(parameterDumpLabel(Param(param))), label);
    }
};

QTEST_APPLESS_MAIN(ParameterCatalogueTest)
#include "parameter_catalogue_test.moc"
