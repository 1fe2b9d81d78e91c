#include "device/hex_text.h"

#include <QTest>

#include "device/message_builders.h"

using namespace korvanne;

namespace {
QByteArray bytes(const std::vector<std::uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}
}  // namespace

class HexTextTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Text into a buffer that held 0xEE before: stops at a bad pair, the rest keeps old bytes.
    void textToBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("converted");
        QTest::addColumn<QByteArray>("buffer");  // the first four bytes afterwards

        QTest::newRow("upper case") << "0A1BFF" << 3 << 3 << QByteArray::fromHex("0A1BFFEE");
        QTest::newRow("lower case") << "0a1bff" << 3 << 3 << QByteArray::fromHex("0A1BFFEE");
        QTest::newRow("odd length drops the last digit")
            << "ABC" << 2 << 1 << QByteArray::fromHex("ABEEEEEE");
        QTest::newRow("stops at the first bad pair")
            << "01G2FF" << 3 << 1 << QByteArray::fromHex("01EEEEEE");
        QTest::newRow("blank is not a digit")
            << "01 2" << 2 << 1 << QByteArray::fromHex("01EEEEEE");
        QTest::newRow("count below the text")
            << "01020304" << 2 << 2 << QByteArray::fromHex("0102EEEE");
        QTest::newRow("empty text") << "" << 4 << 0 << QByteArray::fromHex("EEEEEEEE");
    }
    void textToBytes() {
        QFETCH(QString, text);
        QFETCH(int, count);
        std::array<std::uint8_t, 8> buffer;
        buffer.fill(0xEE);
        const std::size_t n = hexTextToBytes(text.toStdString(), buffer.data(), count);
        QTEST(int(n), "converted");
        QTEST(QByteArray(reinterpret_cast<const char*>(buffer.data()), 4), "buffer");
    }

    void hexToBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("mixed case") << "00FF7f" << true << QByteArray::fromHex("00FF7F");
        QTest::newRow("odd length") << "ABC" << true << QByteArray::fromHex("AB");
        QTest::newRow("empty") << "" << true << QByteArray();
        QTest::newRow("bad pair is an error") << "000G" << false << QByteArray();
        QTest::newRow("bad pair first") << "x0" << false << QByteArray();
    }
    void hexToBytes() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto result = HexToBytes(text.toStdString());
        QCOMPARE(result.has_value(), valid);
        if (valid) QTEST(bytes(*result), "expected");
    }

    void hexToByteStringKeepsItsLength() {
        // A bad pair ends the conversion; the string still has half the text's length.
        QCOMPARE(bytes(HexToByteString("01ZZ03")), QByteArray::fromHex("010000"));
        QCOMPARE(bytes(HexToByteString("007FE0")), QByteArray::fromHex("007FE0"));
    }

    void xorChecksum_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("expected");
        QTest::newRow("standard range") << "0FFF0102030405" << 7 << 0xF1;
        QTest::newRow("low range") << "0FBA0203040506" << 7 << 0xB3;
        QTest::newRow("first byte only") << "0FFF0102030405" << 1 << 0x0F;
        QTest::newRow("n beyond the text") << "0102" << 5 << 0x03;
    }
    void xorChecksum() {
        QFETCH(QString, text);
        QFETCH(int, n);
        QTEST(int(XorChecksum(text.toStdString(), n)), "expected");
    }

    void isHexText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("pairs") << "0aFF" << true;
        QTest::newRow("odd") << "ABC" << false;
        QTest::newRow("letter G") << "0G" << false;
        QTest::newRow("edit field text") << "01addrdata" << false;
    }
    void isHexText() {
        QFETCH(QString, text);
        QTEST(korvanne::isHexText(text.toStdString()), "expected");
    }

    void formatters_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hex2 fills") << QString::fromStdString(hex2(5)) << "05";
        QTest::newRow("hex2 upper case") << QString::fromStdString(hex2(0xab)) << "AB";
        QTest::newRow("hex2 keeps wider values") << QString::fromStdString(hex2(0x12C)) << "12C";
        QTest::newRow("hex4") << QString::fromStdString(hex4(0xB)) << "000B";
        QTest::newRow("hex8") << QString::fromStdString(hex8(0x7FE000)) << "007FE000";
        QTest::newRow("hex8 negative") << QString::fromStdString(hex8(-1)) << "FFFFFFFF";
        QTest::newRow("hex8 negative small") << QString::fromStdString(hex8(-5)) << "FFFFFFFB";
    }
    void formatters() {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void builders_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const korvanne::Message& message, const char* expected) {
            QTest::newRow(name) << QString::fromStdString(hexText(message)) << expected;
        };
        using namespace korvanne::msg;
        row("status request", statusRequest(), "0200");
        row("parameter write", parameterWrite(0x000B, 0x007FE000), "01000B007FE000");
        row("parameter write negative", parameterWrite(0x1234, static_cast<std::uint32_t>(-2)),
            "011234FFFFFFFE");
        row("store", storeParameters({1, 2, 3, 4, 5, 6, 7, 8, 0xFFFFFFFF}),
            "03"
            "00000001"
            "00000002"
            "00000003"
            "00000004"
            "00000005"
            "00000006"
            "00000007"
            "00000008"
            "FFFFFFFF");
        row("assign",
            assign({true, false, true, false, true}, {0x000B, NoAddress, 0x0010, NoAddress},
                   RemoteBypass),
            "040100010001000BFFFF0010FFFFFFFE");
        row("assign remote preset",
            assign({}, {NoAddress, NoAddress, NoAddress, NoAddress}, RemotePreset),
            "04"
            "0000000000"
            "FFFFFFFFFFFFFFFF"
            "FFFD");
        row("firmware upgrade entry", firmwareUpgradeEntry(), "0500010203040506");
        row("midi omni", midiChannel(0), "0700");
        row("midi 9", midiChannel(9), "0709");
        row("midi 12", midiChannel(12), "070C");
        row("midi 16", midiChannel(16), "0710");
        row("footswitch", footswitchMode(0, 1), "080001");
        row("tuning half step down", setTuning(1, -1), "0901FF");
        row("tuning open C +3", setTuning(7, 3), "090703");
        row("tuning initial", setTuning(0, 0), "090000");
        row("tuning -5", setTuning(6, -5), "0906FB");
        row("note filter one note", noteFilter(0, NoNote), "0900FF");
        row("note filter two notes", noteFilter(2, 7), "090207");
        row("eeprom erase", eepromErase(), "0B50000000");
        row("eeprom erase 51", eepromErase(0x51), "0B51000000");
        row("eeprom read", eepromRead(), "0C5000000000");
        row("bypass on", bypass(true), "0D01");
        row("bypass off", bypass(false), "0D00");
        row("tuning data", tuningData(std::vector<std::uint32_t>{0x007FF5EC, 0xFFFFFFFE}),
            "0E007FF5ECFFFFFFFE");
        row("range standard", instrumentRange(RangeStandard), "0FFF0102030405F1");
        row("range low", instrumentRange(RangeLow), "0FBA0203040506B3");
        row("range unknown", instrumentRange(0), "");
        row("store bypass", bypassStoring(true), "1001");
        row("do not store bypass", bypassStoring(false), "10FF");
        row("range limit on", rangeLimit(1), "1101");
        row("range limit off", rangeLimit(0), "11FF");
        row("range limit other", rangeLimit(2), "11FF");
    }
    void builders() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(HexTextTest)
#include "hex_text_test.moc"
