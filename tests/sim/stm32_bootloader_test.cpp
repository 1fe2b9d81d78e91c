// The simulated pedal's STM32 bootloader: the AN3155 commands over its 128 KB flash, the
// synchronisation rules, the parity check, Go back to the firmware and the injected faults.
#include "sim/stm32_bootloader.h"

#include <QTest>

#include "sim/pedal_model.h"
#include "sim_test_bytes.h"
#include "transfer/bootloader_frames.h"

using namespace korvanne;
using korvanne::test::drain;
using korvanne::test::feed;
using korvanne::test::hexBytes;

namespace {

PedalOptions inBootloader(BootloaderFault fault = {}) {
    PedalOptions options;
    options.pacing = false;
    options.startInBootloader = true;
    options.faults.bootloader = fault;
    return options;
}

Stm32Bootloader& bootloaderOf(PedalModel& pedal) {
    return dynamic_cast<Stm32Bootloader&>(pedal.bootloaderSide());
}

QByteArray writeBlock(std::uint32_t address, const QByteArray& data) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.constData());
    const auto group = boot::dataGroup(std::span(p, std::size_t(data.size())));
    const auto a = boot::addressGroup(address);
    return hexBytes("31 CE") + QByteArray(reinterpret_cast<const char*>(a.data()), 5) +
           QByteArray(reinterpret_cast<const char*>(group.data()), qsizetype(group.size()));
}

}  // namespace

class Stm32BootloaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exchanges_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("silent before the first 7F") << hexBytes("00 FF 31 CE") << QByteArray();
        QTest::newRow("sync") << hexBytes("7F") << hexBytes("79");
        QTest::newRow("second sync refused") << hexBytes("7F 7F") << hexBytes("79 1F");
        QTest::newRow("get") << hexBytes("7F 00 FF")
                             << hexBytes("79 79 07 22 00 01 02 11 21 31 43 79");
        QTest::newRow("get version") << hexBytes("7F 01 FE") << hexBytes("79 79 22 00 00 79");
        QTest::newRow("get id") << hexBytes("7F 02 FD") << hexBytes("79 79 01 04 10 79");
        QTest::newRow("wrong complement") << hexBytes("7F 31 00") << hexBytes("79 1F");
        QTest::newRow("unknown command") << hexBytes("7F 99 66") << hexBytes("79 1F");
        QTest::newRow("write: wrong address checksum")
            << hexBytes("7F 31 CE 08 00 00 00 00") << hexBytes("79 79 1F");
        QTest::newRow("write: outside the flash")
            << hexBytes("7F 31 CE 08 02 00 00 0A") << hexBytes("79 79 1F");
        QTest::newRow("write: wrong data checksum")
            << hexBytes("7F 31 CE 08 00 00 00 08 01 AA BB 00") << hexBytes("79 79 79 1F");
        QTest::newRow("global erase") << hexBytes("7F 43 BC FF 00") << hexBytes("79 79 79");
        QTest::newRow("extended mass erase")
            << hexBytes("7F 44 BB FF FF 00") << hexBytes("79 79 79");
        QTest::newRow("read four bytes of the vector table")
            << hexBytes("7F 11 EE 08 00 00 00 08 03 FC") << hexBytes("79 79 79 79 00 50 00 20");
        // Bytes meant for the firmware: each pair that is not a command and its complement is
        // refused, and a byte left over waits for its complement, so what follows is torn too.
        QTest::newRow("parameter write after the sync")
            << hexBytes("7F 01 00 27 00 40 00 00") << hexBytes("79 1F 1F 1F");
        QTest::newRow("erase torn by a byte left over")
            << hexBytes("7F 01 00 27 00 40 00 00 43 BC FF 00") << hexBytes("79 1F 1F 1F 1F 1F");
        QTest::newRow("erase retried after it")
            << hexBytes("7F 01 00 27 00 40 00 00 43 BC FF 00 43 BC FF 00")
            << hexBytes("79 1F 1F 1F 1F 1F 1F 1F");
        QTest::newRow("read: count not complemented")
            << hexBytes("7F 11 EE 08 00 00 00 08 03 00") << hexBytes("79 79 79 1F");
    }
    void exchanges() {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, answer);
        PedalModel pedal(inBootloader());
        feed(pedal, stream);
        QCOMPARE(drain(pedal), answer);
    }

    void writeReadAndPageErase() {
        PedalModel pedal(inBootloader());
        Stm32Bootloader& bl = bootloaderOf(pedal);
        const QByteArray data = hexBytes("11 22 33 44 55 66 77 88");
        feed(pedal, hexBytes("7F 43 BC FF 00") + writeBlock(0x08000400, data));
        QCOMPARE(drain(pedal), hexBytes("79 79 79 79 79 79"));
        QCOMPARE(bl.flash()[0x400], std::uint8_t(0x11));
        QCOMPARE(bl.flash()[0x407], std::uint8_t(0x88));
        // Flash bits only clear: writing other data over it without an erase mixes both.
        feed(pedal, writeBlock(0x08000400, hexBytes("0F")));
        QCOMPARE(drain(pedal), hexBytes("79 79 79"));
        QCOMPARE(bl.flash()[0x400], std::uint8_t(0x01));
        // Page 1 (0x08000400) erased by number: one page, its number, the checksum.
        feed(pedal, hexBytes("43 BC 00 01 01"));
        QCOMPARE(drain(pedal), hexBytes("79 79"));
        QCOMPARE(bl.flash()[0x400], std::uint8_t(0xFF));
        // Extended erase of pages 1 and 2: count 0001, 0001 0002, checksum.
        feed(pedal, writeBlock(0x08000800, data) + hexBytes("44 BB 00 01 00 01 00 02 02"));
        QCOMPARE(drain(pedal), hexBytes("79 79 79 79 79"));
        QCOMPARE(bl.flash()[0x800], std::uint8_t(0xFF));
    }

    void goStartsTheFirmwareWithTheRecordedNumber() {
        PedalOptions options = inBootloader();
        options.firmware = 8;
        PedalModel pedal(options);
        feed(pedal, hexBytes("7F 43 BC FF 00") +
                        writeBlock(0x08000000, hexBytes("00 50 00 20 01 01 00 08")) +
                        writeBlock(0x0801FC00, hexBytes("00 00 00 00 00 00 00 0D")) +
                        hexBytes("21 DE 08 00 00 00 08"));
        QCOMPARE(drain(pedal), hexBytes("79 79 79 79 79 79 79 79 79 79 79"));
        QVERIFY(!pedal.inBootloader());
        QVERIFY(!pedal.firmwareCrashed());
        QCOMPARE(pedal.state().firmware, 13);
    }

    void goAfterAnEraseFindsNothingToStart() {
        PedalModel pedal(inBootloader());
        feed(pedal, hexBytes("7F 43 BC FF 00 21 DE 08 00 00 00 08"));
        QCOMPARE(drain(pedal), hexBytes("79 79 79 79 79"));
        QVERIFY(pedal.firmwareCrashed());
        feed(pedal, hexBytes("02 00"));
        QCOMPARE(drain(pedal, 10'000'000), QByteArray());
    }

    void bytesWithoutEvenParityAreDropped() {
        PedalModel pedal(inBootloader());
        LineSettings line;
        line.parity = 0;
        pedal.setLine(line);
        feed(pedal, hexBytes("7F"));
        QCOMPARE(drain(pedal), QByteArray());
        line.parity = 2;
        pedal.setLine(line);
        feed(pedal, hexBytes("7F"));
        QCOMPARE(drain(pedal), hexBytes("79"));
    }

    void faults_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("answer");
        // The stream: sync, Get Version, Get Version again.
        QTest::newRow("nack at the second answer")
            << int(BootloaderFault::Kind::Nack) << 2 << hexBytes("79 1F 79 22 00 00 79");
        QTest::newRow("second answer lost")
            << int(BootloaderFault::Kind::Silent) << 2 << hexBytes("79 79 22 00 00 79");
        QTest::newRow("dead from the second answer")
            << int(BootloaderFault::Kind::Dead) << 2 << hexBytes("79");
    }
    void faults() {
        QFETCH(int, kind);
        QFETCH(int, step);
        QFETCH(QByteArray, answer);
        PedalModel pedal(inBootloader({BootloaderFault::Kind(kind), step}));
        feed(pedal, hexBytes("7F 01 FE 01 FE"));
        QCOMPARE(drain(pedal), answer);
    }

    void refusedReads() {
        PedalOptions options = inBootloader();
        options.faults.bootloaderRefusesReads = true;
        PedalModel pedal(options);
        feed(pedal, hexBytes("7F 11 EE"));
        QCOMPARE(drain(pedal), hexBytes("79 1F"));
    }
};

QTEST_APPLESS_MAIN(Stm32BootloaderTest)
#include "stm32_bootloader_test.moc"
