// Effect names, algorithm numbers and image decoding: the toolkit-free rules.
#include "transfer/effect_catalogue.h"

#include <QtTest>

#include "transfer/algorithm_image.h"

using namespace korvanne;

namespace {

// -1 stands for "no number".
qint64 orNone(const std::optional<std::uint32_t>& value) {
    return value ? qint64(*value) : -1;
}
qint64 orNone(const std::optional<std::uint16_t>& value) {
    return value ? qint64(*value) : -1;
}

std::string text(const QByteArray& bytes) {
    return bytes.toStdString();
}

}  // namespace

class EffectCatalogueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resourceName_data() {
        QTest::addColumn<QByteArray>("effect");
        QTest::addColumn<QByteArray>("resource");
        QTest::newRow("delivered effect")
            << QByteArray("Korvanne MK3 0014") << QByteArray("Korvanne_MK3_0014");
        QTest::newRow("every rule once") << QByteArray("A-B+C X") << QByteArray("A_BplusC_mult");
        QTest::newRow("lower-case x stays") << QByteArray("max x box") << QByteArray("max_x_box");
        QTest::newRow("every occurrence")
            << QByteArray("XX++-- ") << QByteArray("multmultplusplus___");
        QTest::newRow("other characters untouched")
            << QByteArray("Oct*2/3_(v1).x") << QByteArray("Oct*2/3_(v1).x");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void resourceName() {
        QFETCH(QByteArray, effect);
        QFETCH(QByteArray, resource);
        QCOMPARE(QByteArray::fromStdString(EffectResourceName(text(effect))), resource);
    }

    void latestAlgorithmNumber_data() {
        QTest::addColumn<QByteArray>("firstItem");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("delivered list") << QByteArray("Korvanne MK3 0014") << qint64(14);
        QTest::newRow("older") << QByteArray("Korvanne MK3 0008") << qint64(8);
        QTest::newRow("only five characters read")
            << QByteArray("Korvanne MK3 00141234") << qint64(14);
        QTest::newRow("short number") << QByteArray("Korvanne MK3 14") << qint64(14);
        QTest::newRow("two leading blanks") << QByteArray("Korvanne MK3  014") << qint64(14);
        QTest::newRow("blank only") << QByteArray("Korvanne MK3 ") << qint64(-1);
        QTest::newRow("ends before character 13") << QByteArray("Korvanne MK3") << qint64(-1);
        QTest::newRow("empty") << QByteArray() << qint64(-1);
        QTest::newRow("hex letter") << QByteArray("Korvanne MK3 00A4") << qint64(-1);
        QTest::newRow("sign") << QByteArray("Korvanne MK3 -014") << qint64(-1);
        QTest::newRow("blank inside") << QByteArray("Korvanne MK3 12 4") << qint64(-1);
        QTest::newRow("other product name") << QByteArray("Octave Deluxe 7") << qint64(-1);
    }
    void latestAlgorithmNumber() {
        QFETCH(QByteArray, firstItem);
        QFETCH(qint64, expected);
        QCOMPARE(orNone(LatestAlgorithmNumberFrom(text(firstItem))), expected);
    }

    void decimalDigits_data() {
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("algorithm 14") << QByteArray("0014") << qint64(14);
        QTest::newRow("effect 0") << QByteArray("00") << qint64(0);
        QTest::newRow("largest four digits") << QByteArray("9999") << qint64(9999);
        QTest::newRow("hex letter") << QByteArray("00A3") << qint64(-1);
        QTest::newRow("no status yet") << QByteArray() << qint64(-1);
        QTest::newRow("blank") << QByteArray(" 14") << qint64(-1);
        QTest::newRow("sign") << QByteArray("-1") << qint64(-1);
        QTest::newRow("largest 32-bit") << QByteArray("4294967295") << qint64(4294967295);
        QTest::newRow("beyond 32 bits") << QByteArray("4294967296") << qint64(-1);
    }
    void decimalDigits() {
        QFETCH(QByteArray, digits);
        QFETCH(qint64, expected);
        QCOMPARE(orNone(decimalFromDigits(text(digits))), expected);
    }

    void deviceAlgorithmCheck_data() {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<int>("expected");
        QTest::newRow("same") << QByteArray("0014") << int(AlgorithmCheck::Current);
        QTest::newRow("newer") << QByteArray("0015") << int(AlgorithmCheck::Current);
        QTest::newRow("older") << QByteArray("0013") << int(AlgorithmCheck::Older);
        QTest::newRow("no status read") << QByteArray() << int(AlgorithmCheck::NotANumber);
        QTest::newRow("garbled") << QByteArray("00A3") << int(AlgorithmCheck::NotANumber);
    }
    void deviceAlgorithmCheck() {
        QFETCH(QByteArray, device);
        QFETCH(int, expected);
        QCOMPARE(int(checkDeviceAlgorithm(text(device), 14)), expected);
    }

    void uploadNotice() {
        QCOMPARE(QByteArray::fromStdString(algorithmUploadNotice(14)),
                 QByteArray("Upload the latest version of Korvanne MK3 algorithm:\r\n"
                            "Upload Korvanne MK3 0014"));
    }

    void convertLine_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("byteCount");
        QTest::newRow("whole line")
            << QByteArray("00110AFF") << 16 << QByteArray::fromHex("00110AFF") << 4;
        QTest::newRow("lower-case digits")
            << QByteArray("abcd") << 16 << QByteArray::fromHex("ABCD") << 2;
        QTest::newRow("stops at a non-hex character")
            << QByteArray("0011G0FF") << 16 << QByteArray::fromHex("0011") << 4;
        QTest::newRow("stops at a blank")
            << QByteArray("0011 22") << 16 << QByteArray::fromHex("0011") << 3;
        QTest::newRow("bad low digit") << QByteArray("1G") << 16 << QByteArray() << 1;
        QTest::newRow("lone last digit")
            << QByteArray("001") << 16 << QByteArray::fromHex("00") << 1;
        QTest::newRow("line end after the digits")
            << QByteArray("0A0B\r\n") << 16 << QByteArray::fromHex("0A0B") << 3;
        QTest::newRow("empty") << QByteArray() << 16 << QByteArray() << 0;
        QTest::newRow("longer than the buffer")
            << QByteArray("0011223344") << 2 << QByteArray::fromHex("0011") << 5;
    }
    void convertLine() {
        QFETCH(QByteArray, line);
        QFETCH(int, capacity);
        QFETCH(QByteArray, bytes);
        QFETCH(int, byteCount);
        // A guard byte after the buffer shows the conversion never writes past it.
        std::vector<std::uint8_t> buffer(std::size_t(capacity) + 1, 0xEE);
        const auto result =
            convertImageLine(text(line), std::span(buffer.data(), std::size_t(capacity)));
        QCOMPARE(int(result.byteCount), byteCount);
        QCOMPARE(int(result.converted), int(bytes.size()));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(buffer.data()), bytes.size()), bytes);
        QCOMPARE(buffer.back(), std::uint8_t(0xEE));

        const auto decoded = decodeImageLine(text(line));
        if (capacity >= byteCount) {
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(decoded.data()), decoded.size()),
                     bytes);
        }
    }

    void imageFields_data() {
        QTest::addColumn<QByteArray>("numberBytes");
        QTest::addColumn<qint64>("number");
        QTest::newRow("14") << QByteArray::fromHex("0014") << qint64(14);
        QTest::newRow("8") << QByteArray::fromHex("0008") << qint64(8);
        QTest::newRow("10 is not sixteen") << QByteArray::fromHex("0010") << qint64(10);
        QTest::newRow("four digits") << QByteArray::fromHex("0123") << qint64(123);
        QTest::newRow("hex letter") << QByteArray::fromHex("001A") << qint64(-1);
    }
    void imageFields() {
        QFETCH(QByteArray, numberBytes);
        QFETCH(qint64, number);
        std::vector<std::uint8_t> bytes(130, 0);
        bytes[1] = 0x00;
        bytes[2] = 0x82;
        bytes[3] = 0x00;
        bytes[4] = 0x0B;  // word 0
        bytes[3 + 2 * 20] = 0xFF;
        bytes[4 + 2 * 20] = 0x00;  // word 20
        bytes[3 + 2 * 59] = 0x12;
        bytes[4 + 2 * 59] = 0x34;  // word 59, the last
        bytes[123] = std::uint8_t(numberBytes[0]);
        bytes[124] = std::uint8_t(numberBytes[1]);
        bytes[125] = 0x00;
        bytes[126] = 0x09;
        bytes[127] = 0x7F;  // first program byte, not part of any field
        const AlgorithmImage image(bytes);
        QCOMPARE(orNone(image.lengthField()), qint64(130));
        QCOMPARE(orNone(image.addressWord(0)), qint64(0x000B));
        QCOMPARE(orNone(image.addressWord(20)), qint64(0xFF00));
        QCOMPARE(orNone(image.addressWord(59)), qint64(0x1234));
        QCOMPARE(orNone(image.addressWord(60)), qint64(-1));
        QCOMPARE(orNone(image.algorithmNumber()), number);
        QCOMPARE(orNone(image.unreadWord()), qint64(9));
    }

    void shortImageReadsNothingPastItsEnd_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("lastWord");
        QTest::newRow("empty") << QByteArray() << qint64(-1) << qint64(-1);
        QTest::newRow("header only") << QByteArray("000003") << qint64(3) << qint64(-1);
        QTest::newRow("one word") << QByteArray("000005000B") << qint64(5) << qint64(-1);
        QTest::newRow("two bytes, \"0000\"") << QByteArray("0000") << qint64(-1) << qint64(-1);
        // 124 bytes: the address table is whole; the algorithm number (bytes 123 and 124) is not.
        QTest::newRow("124 bytes")
            << QByteArray("00007C") + QByteArray(118 * 2, '0') + QByteArray("123400") << qint64(124)
            << qint64(0x1234);
    }
    void shortImageReadsNothingPastItsEnd() {
        QFETCH(QByteArray, line);
        QFETCH(qint64, length);
        QFETCH(qint64, lastWord);
        const auto image = AlgorithmImage::fromLine(text(line));
        QCOMPARE(orNone(image.lengthField()), length);
        QCOMPARE(orNone(image.addressWord(59)), lastWord);
        QCOMPARE(orNone(image.algorithmNumber()), qint64(-1));
        QCOMPARE(orNone(image.unreadWord()), qint64(-1));
    }
};

QTEST_APPLESS_MAIN(EffectCatalogueTest)
#include "effect_catalogue_test.moc"
