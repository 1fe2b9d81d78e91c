#include "device/device_messages.h"

#include <QTest>

#include "core/clock.h"
#include "device/d2xx_unit.h"
#include "device/message_builders.h"
#include "device/status_reply.h"
#include "recording_log.h"
#include "scripted_dialogs.h"
#include "scripted_transport.h"

using namespace korvanne;
using korvanne::test::RecordingLog;
using korvanne::test::ScriptedDialogs;
using korvanne::test::ScriptedTransport;
using Reply = DeviceMessages::Reply;

namespace {

// A linked pedal on virtual time whose answers come from a script.
struct Link {
    VirtualClock clock;
    ScriptedTransport transport{&clock};
    ScriptedDialogs dialogs;
    RecordingLog log;
    D2xxUnit unit{transport, dialogs};
    DeviceMessages messages{unit, clock, log};

    Link() {
        unit.ErrorReportEnabled = true;
        unit.Open_USB_Device_By_Serial_Number("KV000001");
    }
};

std::vector<std::uint8_t> statusValues() {
    std::vector<std::uint8_t> values(DeviceMessages::StatusReplyEntries);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::uint8_t>(i * 7);
    return values;
}

// The pedal's status reply on the wire: each value in decimal, CR LF after it.
std::string statusWire(const std::vector<std::uint8_t>& values) {
    std::string wire;
    for (std::uint8_t v : values) wire += std::to_string(v) + "\r\n";
    return wire;
}

std::vector<std::uint8_t> bytesOf(const QByteArray& a) {
    return {a.begin(), a.end()};
}

}  // namespace

class DeviceMessagesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void send_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("sent");
        QTest::newRow("status request") << QByteArray::fromHex("0200") << true;
        QTest::newRow("parameter write") << QByteArray::fromHex("01000B007FE000") << true;
        QTest::newRow("a full buffer") << QByteArray(int(D2xxUnit::BufferSize), '\x5A') << true;
        QTest::newRow("empty") << QByteArray() << false;
        // Would run past the transmit buffer.
        QTest::newRow("longer than the buffer")
            << QByteArray(int(D2xxUnit::BufferSize) + 1, '\x5A') << false;
    }
    void send() {
        QFETCH(QByteArray, message);
        QFETCH(bool, sent);
        Link link;
        link.unit.TxBuffer.fill(0xEE);  // an earlier message
        const std::uint32_t n = link.messages.Send(bytesOf(message));
        QCOMPARE(int(n), sent ? int(message.size()) : 0);
        QCOMPARE(link.transport.written, sent ? bytesOf(message) : std::vector<std::uint8_t>{});
        // Only a refusal is traced here; senders log their own messages.
        QCOMPARE(link.log.lines.size(), !sent && !message.isEmpty() ? 1 : 0);
    }

    // While the line is set for the pedal's bootloader, only its exchanges get in, and no
    // firmware message is written: the bootloader would read it as commands.
    void bootloaderLineLetsOnlyItsExchangesIn() {
        Link link;
        link.unit.SetLineParameters(2);
        QVERIFY(link.messages.talksToBootloader());
        QCOMPARE(int(link.messages.Send(msg::parameterWrite(0x0027, 0x007FE000))), 0);
        QVERIFY(link.transport.written.empty());
        QVERIFY(link.log.contains(
            "message not sent, the line talks to the pedal's bootloader: 010027007FE000"));
        QVERIFY(!link.messages.linkFree());
        QVERIFY(!link.messages.linkFree("Save Parameters"));
        QVERIFY(
            link.log.contains("Save Parameters refused: the line talks to the pedal's bootloader"));
        {
            DeviceMessages::Exchange save(link.messages, "Load Preset");
            QVERIFY(!save);
            // Refused, it holds nothing: a bootloader exchange may still start.
            QVERIFY(link.messages.linkFree({}, DeviceMessages::Talk::Bootloader));
        }
        QVERIFY(link.log.contains("Load Preset refused: the line talks to the pedal's bootloader"));
        {
            DeviceMessages::Exchange upgrade(link.messages, "Upgrade Firmware",
                                             DeviceMessages::Talk::Bootloader);
            QVERIFY(upgrade);
            // Work that must not be lost still runs; what it writes is checked.
            bool ran = false;
            link.messages.runWhenFree([&] { ran = true; });
            QVERIFY(ran);
        }
        // Back on the firmware's line, messages leave again.
        link.unit.SetLineParameters(0);
        QVERIFY(link.messages.linkFree());
        QCOMPARE(int(link.messages.Send(msg::bypass(true))), 2);
        QCOMPARE(link.transport.written, bytesOf(QByteArray::fromHex("0D01")));
    }

    void writeToDspLogsAndSendsSevenBytes() {
        Link link;
        link.messages.WriteToDSP(0x1000B, 0x007FE000);  // only the word's low 16 bits count
        QCOMPARE(link.log.lines, QStringList{"write to DSP msg: 01000B007FE000"});
        QCOMPARE(link.transport.written, bytesOf(QByteArray::fromHex("01000B007FE000")));
    }

    // However the reply is cut into pieces, it is collected whole as long as the line is not
    // quiet for longer than the limit between them.
    void statusReplyInPieces_data() {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("at once") << 1 << 0;
        QTest::newRow("4 pieces 30 ms apart") << 4 << 30;
        QTest::newRow("7 pieces 90 ms apart") << 7 << 90;
        QTest::newRow("one byte every 2 ms") << 600 << 2;
    }
    void statusReplyInPieces() {
        QFETCH(int, pieces);
        QFETCH(int, gapMs);
        Link link;
        const auto values = statusValues();
        const std::string wire = statusWire(values);
        const std::size_t size = (wire.size() + pieces - 1) / pieces;
        std::int64_t at = 50;
        for (std::size_t from = 0; from < wire.size(); from += size, at += gapMs)
            link.transport.arrive(at, std::string_view(wire).substr(from, size));
        const std::int64_t lastArrival = at - gapMs;

        QCOMPARE(link.messages.ReadStatusReply(), Reply::Received);
        QCOMPARE(link.messages.received_bytes_array, values);
        // All entries in: no wait for the line to go quiet.
        QVERIFY(link.clock.nowMs() < lastArrival + DeviceMessages::QuietLimitMs);
        QCOMPARE(link.transport.purges, (std::vector<std::uint32_t>{ft::PURGE_TX, ft::PURGE_RX}));
        QCOMPARE(link.log.lines.value(0), "num of bytes received: 102");
        QCOMPARE(link.log.lines.value(1), "received_bytes_array size: 102");
        QCOMPARE(link.log.lines.value(2), "0:    00");
        QCOMPARE(link.log.lines.value(103), "101:    C3");
        QVERIFY(link.dialogs.messages.isEmpty());
    }

    void statusReplyEndsWhenTheLineGoesQuiet() {
        Link link;
        const std::string wire = statusWire(statusValues());
        const std::string firstHalf = wire.substr(0, wire.size() / 2);
        link.transport.arrive(50, firstHalf);
        link.transport.arrive(50 + 10 + DeviceMessages::QuietLimitMs + 50,
                              wire.substr(firstHalf.size()));

        QCOMPARE(link.messages.ReadStatusReply(), Reply::Received);
        const auto expected = parseStatusReply(
            reinterpret_cast<const std::uint8_t*>(firstHalf.data()), firstHalf.size());
        QCOMPARE(link.messages.received_bytes_array, expected);
        QCOMPARE(link.clock.nowMs(), 50 + DeviceMessages::QuietLimitMs);
    }

    void statusReplyWithoutAnswer_data() {
        QTest::addColumn<QString>("failing");  // queue status failure, or none
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("endMs");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("silence") << "" << int(Reply::NoAnswer) << DeviceMessages::FirstByteLimitMs
                                 << QStringList{};
        QTest::newRow("device gone") << "queueStatus" << int(Reply::DeviceGone) << 0
                                     << QStringList{"FT_GetQueueStatus - General IO error..."};
    }
    void statusReplyWithoutAnswer() {
        QFETCH(QString, failing);
        Link link;
        if (!failing.isEmpty()) link.transport.failing[failing.toStdString()] = ft::IO_ERROR;
        link.messages.received_bytes_array = {13, 0, 0x14, 2};

        QTEST(int(link.messages.ReadStatusReply()), "result");
        QTEST(int(link.clock.nowMs()), "endMs");
        QCOMPARE(link.messages.received_bytes_array, (std::vector<std::uint8_t>{13, 0, 0x14, 2}));
        QVERIFY(link.transport.purges.empty());
        QTEST(link.dialogs.messages, "boxes");
    }

    void statusReplyCutByAPulledCable() {
        Link link;
        link.transport.arrive(50, "13\r\n0\r\n20\r\n");
        link.transport.goneFromMs = 70;
        link.messages.received_bytes_array = std::vector<std::uint8_t>(102, 9);

        QCOMPARE(link.messages.ReadStatusReply(), Reply::DeviceGone);
        // What arrived is still parsed; the caller knows the reply is short.
        QCOMPARE(link.messages.received_bytes_array, (std::vector<std::uint8_t>{13, 0, 20}));
        QVERIFY(link.clock.nowMs() < 50 + DeviceMessages::QuietLimitMs);
    }

    void statusReplyWithoutCrKeepsTheArray() {
        Link link;
        link.transport.arrive(10, "123");
        link.messages.received_bytes_array = {1, 2, 3, 4};
        QCOMPARE(link.messages.ReadStatusReply(), Reply::Received);
        QCOMPARE(link.messages.received_bytes_array, (std::vector<std::uint8_t>{1, 2, 3, 4}));
        QCOMPARE(link.log.lines,
                 (QStringList{"num of bytes received: 0", "received_bytes_array size: 4"}));
    }

    // In firmware upgrade mode the answer is the first byte, taken as soon as it is there.
    void bootloaderAnswer_data() {
        QTest::addColumn<QByteArray>("first");  // arrives at 20 ms
        QTest::addColumn<QByteArray>("later");  // arrives at 60 ms
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("received");
        QTest::newRow("ack with other bytes")
            << QByteArray::fromHex("791122") << QByteArray() << "79" << 3;
        QTest::newRow("refusal") << QByteArray::fromHex("1F") << QByteArray() << "1F" << 1;
        QTest::newRow("ack, more after it")
            << QByteArray::fromHex("79") << QByteArray::fromHex("AA") << "79" << 1;
    }
    void bootloaderAnswer() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, later);
        QFETCH(int, received);
        Link link;
        link.messages.FirmwareUpgradeMode = true;
        link.transport.arrive(20, bytesOf(first));
        if (!later.isEmpty()) link.transport.arrive(60, bytesOf(later));

        Reply result = Reply::NoAnswer;
        QTEST(link.messages.ReadReplyText(&result), "answer");
        QCOMPARE(result, Reply::Received);
        QCOMPARE(link.clock.nowMs(), 20);
        QCOMPARE(link.log.lines, (QStringList{QString("num of bytes received: %1").arg(received),
                                              "firmware_upgrade_mode: True"}));
        QCOMPARE(link.transport.purges, std::vector<std::uint32_t>{ft::PURGE_RX});
    }

    void replyTextInPieces() {
        Link link;
        link.transport.arrive(30, "UPLOAD ");
        link.transport.arrive(90, "OK 0014");
        Reply result = Reply::NoAnswer;
        QCOMPARE(link.messages.ReadReplyText(&result), "UPLOAD OK 0014");
        QCOMPARE(result, Reply::Received);
        QCOMPARE(link.log.lines,
                 (QStringList{"num of bytes received: 14", "firmware_upgrade_mode: False"}));
    }

    void replyTextWithoutAnswer_data() {
        QTest::addColumn<bool>("firmwareUpgradeMode");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("endMs");
        QTest::newRow("silence") << false << "" << int(Reply::NoAnswer)
                                 << DeviceMessages::FirstByteLimitMs;
        QTest::newRow("silent bootloader")
            << true << "" << int(Reply::NoAnswer) << DeviceMessages::FirstByteLimitMs;
        QTest::newRow("device gone") << false << "queueStatus" << int(Reply::DeviceGone) << 0;
    }
    void replyTextWithoutAnswer() {
        QFETCH(bool, firmwareUpgradeMode);
        QFETCH(QString, failing);
        Link link;
        link.messages.FirmwareUpgradeMode = firmwareUpgradeMode;
        if (!failing.isEmpty()) link.transport.failing[failing.toStdString()] = ft::IO_ERROR;
        Reply result = Reply::Received;
        QCOMPARE(link.messages.ReadReplyText(&result), QString());
        QTEST(int(result), "result");
        QTEST(int(link.clock.nowMs()), "endMs");
    }

    // A clock whose waits jump from arrival to arrival reads every reply as one that wakes each
    // millisecond does, ending at the same moments.
    void waitsThatJumpBetweenArrivalsReadAlike_data() {
        QTest::addColumn<QList<int>>("atMs");
        QTest::addColumn<QStringList>("pieces");
        const std::string wire = statusWire(statusValues());
        const QString half = QString::fromStdString(wire.substr(0, wire.size() / 2));
        const QString rest = QString::fromStdString(wire.substr(wire.size() / 2));
        QTest::newRow("nothing") << QList<int>{} << QStringList{};
        QTest::newRow("whole status, then an answer")
            << QList<int>{50, 3000} << QStringList{QString::fromStdString(wire), "UPLOAD OK"};
        QTest::newRow("status in two pieces, the line quiet between")
            << QList<int>{40, 40 + DeviceMessages::QuietLimitMs + 30} << QStringList{half, rest};
        QTest::newRow("status in two close pieces, a late answer")
            << QList<int>{40, 97, 9000, 9099, 9300}
            << QStringList{half, rest, "UPLOAD ", "OK", " 0014"};
        QTest::newRow("answer only, after the first limit")
            << QList<int>{DeviceMessages::FirstByteLimitMs + 1} << QStringList{"late"};
    }
    void waitsThatJumpBetweenArrivalsReadAlike() {
        QFETCH(QList<int>, atMs);
        QFETCH(QStringList, pieces);
        struct Outcome {
            Reply status;
            std::vector<std::uint8_t> entries;
            QString first, second;
            std::int64_t endUs;
            QStringList log;
        };
        auto read = [&](bool jump) {
            Link link;
            link.clock.setWaitsJumpBetweenEvents(jump);
            for (qsizetype i = 0; i < atMs.size(); ++i)
                link.transport.arrive(atMs[i], pieces[i].toStdString());
            Outcome o;
            o.status = link.messages.ReadStatusReply();
            o.entries = link.messages.received_bytes_array;
            o.first = link.messages.ReadReplyText();
            o.second = link.messages.ReadReplyText(nullptr, 15'000);
            o.endUs = link.clock.nowUs();
            o.log = link.log.lines;
            return o;
        };
        const Outcome stepping = read(false);
        const Outcome jumping = read(true);
        QCOMPARE(jumping.status, stepping.status);
        QCOMPARE(jumping.entries, stepping.entries);
        QCOMPARE(jumping.first, stepping.first);
        QCOMPARE(jumping.second, stepping.second);
        QCOMPARE(jumping.endUs, stepping.endUs);
        QCOMPARE(jumping.log, stepping.log);
    }
};

QTEST_GUILESS_MAIN(DeviceMessagesTest)
#include "device_messages_test.moc"
