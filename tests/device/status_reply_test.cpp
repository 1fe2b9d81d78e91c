#include "device/status_reply.h"

#include <QTest>

using namespace korvanne;

namespace {
QByteArray parse(const QByteArray& wire) {
    const auto entries =
        parseStatusReply(reinterpret_cast<const std::uint8_t*>(wire.constData()), wire.size());
    return QByteArray(reinterpret_cast<const char*>(entries.data()),
                      static_cast<qsizetype>(entries.size()));
}
}  // namespace

class StatusReplyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QByteArray>("entries");
        QTest::newRow("CR LF pairs") << QByteArray("12\r\n7\r\n") << QByteArray::fromHex("0C07");
        QTest::newRow("value taken modulo 256")
            << QByteArray("300\r\n") << QByteArray::fromHex("2C");
        QTest::newRow("largest byte and wrap")
            << QByteArray("255\r256\r000\r") << QByteArray::fromHex("FF0000");
        QTest::newRow("CR without LF") << QByteArray("7\r15\r") << QByteArray::fromHex("070F");
        QTest::newRow("empty item first gives 0")
            << QByteArray("\r\n9\r\n") << QByteArray::fromHex("0009");
        QTest::newRow("empty item repeats the previous")
            << QByteArray("12\r\n\r\n") << QByteArray::fromHex("0C0C");
        QTest::newRow("four digits repeat the previous")
            << QByteArray("5\r\n1234\r\n") << QByteArray::fromHex("0505");
        QTest::newRow("four digits first give 0")
            << QByteArray("1234\r5\r") << QByteArray::fromHex("0005");
        QTest::newRow("garbled item repeats the previous")
            << QByteArray("8\r\n1x\r\n") << QByteArray::fromHex("0808");
        QTest::newRow("only one LF after a CR is skipped")
            << QByteArray("3\r\n\n4\r\n") << QByteArray::fromHex("0303");
        QTest::newRow("bytes after the last CR belong to no entry")
            << QByteArray("5\r\n12") << QByteArray::fromHex("05");
        QTest::newRow("no CR at all") << QByteArray("123") << QByteArray();
        QTest::newRow("nothing") << QByteArray() << QByteArray();
    }
    void parse() {
        QFETCH(QByteArray, wire);
        QTEST(::parse(wire), "entries");
    }

    void completeEntriesCountsWholeNumbers_data() {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<int>("complete");
        QTest::newRow("cut in a number") << QByteArray("12\r\n7") << 1;
        QTest::newRow("cut between CR and LF") << QByteArray("12\r\n7\r") << 2;
        QTest::newRow("empty") << QByteArray() << 0;
    }
    void completeEntriesCountsWholeNumbers() {
        QFETCH(QByteArray, wire);
        const auto* data = reinterpret_cast<const std::uint8_t*>(wire.constData());
        const std::size_t complete = completeStatusEntries(data, wire.size());
        QTEST(int(complete), "complete");
        QCOMPARE(complete, parseStatusReply(data, wire.size()).size());
    }

    void logLines() {
        const auto lines = statusReplyLogLines({0x0D, 0xFF, 0x00}, 3);
        const std::vector<std::string> expected = {
            "num of bytes received: 3",
            "received_bytes_array size: 3",
            "0:    0D",
            "1:    FF",
            "2:    00",
        };
        QCOMPARE(lines, expected);
    }

    void logLinesWhenNothingWasFound() {
        // The array keeps its earlier 102 entries; no entry lines follow.
        const std::vector<std::string> expected = {"num of bytes received: 0",
                                                   "received_bytes_array size: 102"};
        QCOMPARE(statusReplyLogLines({}, 102), expected);
    }
};

QTEST_GUILESS_MAIN(StatusReplyTest)
#include "status_reply_test.moc"
