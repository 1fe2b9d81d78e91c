// The bootloader protocol's byte groups and checksums, the chunking of firmware images, the
// version a chooser item names and the checks made before an image is written.
#include "transfer/bootloader_frames.h"

#include <QTest>
#include <vector>

#include "transfer/firmware_image.h"

using namespace korvanne;

namespace {

QByteArray bytes(std::span<const std::uint8_t> b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

std::vector<std::uint8_t> vectorTable(std::uint32_t stack, std::uint32_t reset, std::size_t size) {
    std::vector<std::uint8_t> image(size, 0xAA);
    for (int i = 0; i < 4; ++i) {
        image[std::size_t(i)] = std::uint8_t(stack >> (8 * i));
        image[std::size_t(4 + i)] = std::uint8_t(reset >> (8 * i));
    }
    return image;
}

}  // namespace

class BootloaderFramesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addressGroup_data() {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<QByteArray>("group");
        QTest::newRow("image start") << quint32(0x08000000) << QByteArray::fromHex("0800000008");
        QTest::newRow("version record") << quint32(0x0801FC00) << QByteArray::fromHex("0801FC00F5");
        QTest::newRow("last block of FIRMWARE_13")
            << quint32(0x0800CF00) << QByteArray::fromHex("0800CF00C7");
    }
    void addressGroup() {
        QFETCH(quint32, address);
        QFETCH(QByteArray, group);
        QCOMPARE(bytes(boot::addressGroup(address)), group);
    }

    void dataGroup_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("fill");
        QTest::addColumn<int>("countByte");
        QTest::addColumn<int>("checksum");
        QTest::newRow("256 bytes of FF") << 256 << 0xFF << 0xFF << 0xFF;
        QTest::newRow("160 bytes of 00") << 160 << 0x00 << 0x9F << 0x9F;
        QTest::newRow("one byte 5A") << 1 << 0x5A << 0x00 << 0x5A;
    }
    void dataGroup() {
        QFETCH(int, size);
        QFETCH(int, fill);
        QFETCH(int, countByte);
        QFETCH(int, checksum);
        const std::vector<std::uint8_t> data(static_cast<std::size_t>(size),
                                             static_cast<std::uint8_t>(fill));
        const std::vector<std::uint8_t> group = boot::dataGroup(data);
        QCOMPARE(group.size(), std::size_t(size + 2));
        QCOMPARE(int(group.front()), countByte);
        QCOMPARE(int(group.back()), checksum);
    }

    void groupsOfTheFixedExchanges() {
        QCOMPARE(bytes(boot::command(boot::CmdWriteMemory)), QByteArray::fromHex("31CE"));
        QCOMPARE(bytes(boot::command(boot::CmdErase)), QByteArray::fromHex("43BC"));
        QCOMPARE(bytes(boot::command(boot::CmdGo)), QByteArray::fromHex("21DE"));
        QCOMPARE(bytes(boot::globalEraseGroup()), QByteArray::fromHex("FF00"));
        QCOMPARE(bytes(boot::versionRecordGroup(13)), QByteArray::fromHex("07000000000000000D0A"));
        QCOMPARE(bytes(boot::readCountGroup(256)), QByteArray::fromHex("FF00"));
        // Blocks of no bytes or more than 256 cannot be framed.
        QVERIFY(boot::dataGroup(std::vector<std::uint8_t>(257)).empty());
        QVERIFY(boot::dataGroup({}).empty());
    }

    void chunks_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("full");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<int>("lastBlockSize");
        QTest::newRow("FIRMWARE_13") << 53152 << 207 << 160 << 208 << 160;
        QTest::newRow("FIRMWARE_5") << 53840 << 210 << 80 << 211 << 80;
        QTest::newRow("multiple of 256") << 51200 << 200 << 0 << 200 << 256;
        QTest::newRow("less than a block") << 100 << 0 << 100 << 1 << 100;
    }
    void chunks() {
        QFETCH(int, size);
        QFETCH(int, full);
        QFETCH(int, last);
        QFETCH(int, blocks);
        QFETCH(int, lastBlockSize);
        const firmware::ChunkPlan plan = firmware::planChunks(std::size_t(size));
        QCOMPARE(int(plan.fullChunks), full);
        QCOMPARE(int(plan.lastChunkSize), last);
        QCOMPARE(int(plan.chunkCount), blocks);
        QCOMPARE(int(plan.blockSize(plan.chunkCount - 1, std::size_t(size))), lastBlockSize);
    }

    void versionFromItem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("version");  // -1: none
        QTest::newRow("Firmware_13") << "Firmware_13" << 13;
        QTest::newRow("Firmware_5") << "Firmware_5" << 5;
        QTest::newRow("three digits") << "Firmware_105" << 105;
        QTest::newRow("too short") << "Firmware_" << -1;
        QTest::newRow("too long") << "Firmware_1000" << -1;
        QTest::newRow("not a number") << "Firmware_1x" << -1;
    }
    void versionFromItem() {
        QFETCH(QString, text);
        QFETCH(int, version);
        const auto result = firmware::versionFromItem(text.toStdString());
        QCOMPARE(result.value_or(-1), version);
    }

    void imageCheck_data() {
        QTest::addColumn<quint32>("stack");
        QTest::addColumn<quint32>("reset");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("problem");  // a part of the reason; empty when fine
        QTest::newRow("plausible") << 0x20005000u << 0x080000EDu << 53152 << "";
        QTest::newRow("largest that fits") << 0x20005000u << 0x080000EDu << 130048 << "";
        QTest::newRow("over the version record")
            << 0x20005000u << 0x080000EDu << 130049 << "version record at 0x0801FC00";
        QTest::newRow("stack outside the RAM")
            << 0xFFFFFFFFu << 0x080000EDu << 4096 << "stack pointer 0xFFFFFFFF";
        QTest::newRow("even reset handler")
            << 0x20005000u << 0x080000ECu << 4096 << "reset handler 0x080000EC";
        QTest::newRow("reset handler beyond the image")
            << 0x20005000u << 0x08001001u << 4096 << "reset handler 0x08001001";
        QTest::newRow("too short") << 0x20005000u << 0x08000001u << 4 << "too few";
    }
    void imageCheck() {
        QFETCH(quint32, stack);
        QFETCH(quint32, reset);
        QFETCH(int, size);
        QFETCH(QString, problem);
        std::vector<std::uint8_t> image = vectorTable(stack, reset, std::max(size, 8));
        image.resize(std::size_t(size));
        const QString found = QString::fromStdString(firmware::imageProblem(image));
        if (problem.isEmpty()) {
            QCOMPARE(found, QString());
        } else {
            QVERIFY2(found.contains(problem), qPrintable(found));
        }
    }
};

QTEST_APPLESS_MAIN(BootloaderFramesTest)
#include "bootloader_frames_test.moc"
