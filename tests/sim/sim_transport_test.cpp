#include "sim/sim_transport.h"

#include <QTest>
#include <cmath>

#include "core/clock.h"
#include "sim/status_reply_text.h"
#include "sim_test_bytes.h"

using namespace korvanne;
using korvanne::test::hexBytes;

namespace {

FtStatus writeBytes(SimTransport& t, FtHandle h, const QByteArray& bytes,
                    std::uint32_t* written = nullptr) {
    std::uint32_t n = 0;
    const FtStatus status = t.write(h, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                    std::uint32_t(bytes.size()), n);
    if (written) *written = n;
    return status;
}

std::uint32_t waiting(SimTransport& t, FtHandle h) {
    std::uint32_t n = 0;
    return t.queueStatus(h, n) == ft::OK ? n : 0;
}

QByteArray readAll(SimTransport& t, FtHandle h) {
    QByteArray out(65536, '\0');
    std::uint32_t n = 0;
    t.read(h, reinterpret_cast<std::uint8_t*>(out.data()), 65536, n);
    out.truncate(n);
    return out;
}

FtHandle openFirst(SimTransport& t) {
    FtHandle h = 0;
    std::string serial;
    t.serialNumber(0, serial);
    t.openBySerialNumber(serial, h);
    return h;
}

std::size_t defaultReplySize() {
    return statusReplyText(statusEntries(PedalState{})).size();
}

}  // namespace

class SimTransportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsEachPedalAsABridge();
    void openBySerial();
    void closedHandleIsInvalid_data();
    void closedHandleIsInvalid();
    void lineSettingsReachThePedal();
    void answerPacedAtLineRate_data();
    void answerPacedAtLineRate();
    void purgeDropsOnlyWhatArrived();
    void tornReplyArrivesInPieces();
    void noAnswerWaitRunsOut();
    void pulledCableFailsCalls();
};

void SimTransportTest::listsEachPedalAsABridge() {
    VirtualClock clock;
    SimTransport t(clock);
    t.addPedal();
    t.addPedal({}, "KV-OTHER", "Second pedal");
    std::uint32_t count = 0;
    QCOMPARE(t.deviceCount(count), ft::OK);
    QCOMPARE(count, 2u);
    std::string text;
    QCOMPARE(t.serialNumber(0, text), ft::OK);
    QCOMPARE(text, std::string("KVSIM0001"));
    QCOMPARE(t.description(0, text), ft::OK);
    QCOMPARE(text, std::string("Korvanne MK3 (simulated)"));
    QCOMPARE(t.serialNumber(1, text), ft::OK);
    QCOMPARE(text, std::string("KV-OTHER"));
    QCOMPARE(t.description(1, text), ft::OK);
    QCOMPARE(text, std::string("Second pedal"));
    QCOMPARE(t.serialNumber(2, text), ft::DEVICE_NOT_FOUND);
}

void SimTransportTest::openBySerial() {
    VirtualClock clock;
    SimTransport t(clock);
    t.addPedal();
    PedalModel& second = t.addPedal();
    FtHandle h = 0;
    QCOMPARE(t.openBySerialNumber("KVSIM0009", h), ft::DEVICE_NOT_FOUND);
    QCOMPARE(t.openBySerialNumber("KVSIM0002", h), ft::OK);
    QVERIFY(h != 0);
    QCOMPARE(t.pedalByHandle(h), &second);
    FtHandle again = 0;
    QCOMPARE(t.openBySerialNumber("KVSIM0002", again), ft::DEVICE_NOT_OPENED);

    QCOMPARE(writeBytes(t, h, hexBytes("0D 01")), ft::OK);
    QVERIFY(second.state().bypass);
    QVERIFY(!t.pedal(0).state().bypass);
    QCOMPARE(t.close(h), ft::OK);
    QCOMPARE(t.openBySerialNumber("KVSIM0002", again), ft::OK);
}

enum class Call { Close, BaudRate, DataCharacteristics, Purge, QueueStatus, Read, Write };

void SimTransportTest::closedHandleIsInvalid_data() {
    QTest::addColumn<int>("call");
    QTest::addColumn<bool>("afterClose");  // a closed handle, or one never opened
    for (bool afterClose : {true, false}) {
        const char* how = afterClose ? "closed" : "never opened";
        QTest::addRow("close, %s", how) << int(Call::Close) << afterClose;
        QTest::addRow("baud rate, %s", how) << int(Call::BaudRate) << afterClose;
        QTest::addRow("data characteristics, %s", how)
            << int(Call::DataCharacteristics) << afterClose;
        QTest::addRow("purge, %s", how) << int(Call::Purge) << afterClose;
        QTest::addRow("queue status, %s", how) << int(Call::QueueStatus) << afterClose;
        QTest::addRow("read, %s", how) << int(Call::Read) << afterClose;
        QTest::addRow("write, %s", how) << int(Call::Write) << afterClose;
    }
}

void SimTransportTest::closedHandleIsInvalid() {
    QFETCH(int, call);
    QFETCH(bool, afterClose);
    VirtualClock clock;
    SimTransport t(clock);
    PedalModel& pedal = t.addPedal();
    FtHandle h = 0x1234;
    if (afterClose) {
        h = openFirst(t);
        QCOMPARE(t.close(h), ft::OK);
    }
    std::uint8_t buffer[4] = {0x0D, 0x01};
    std::uint32_t n = 99;
    FtStatus status = ft::OK;
    switch (Call(call)) {
        case Call::Close:
            status = t.close(h);
            break;
        case Call::BaudRate:
            status = t.setBaudRate(h, 115200);
            break;
        case Call::DataCharacteristics:
            status = t.setDataCharacteristics(h, 8, 0, 2);
            break;
        case Call::Purge:
            status = t.purge(h, ft::PURGE_RX | ft::PURGE_TX);
            break;
        case Call::QueueStatus:
            status = t.queueStatus(h, n);
            break;
        case Call::Read:
            status = t.read(h, buffer, 4, n);
            break;
        case Call::Write:
            status = t.write(h, buffer, 2, n);
            break;
    }
    QCOMPARE(status, ft::INVALID_HANDLE);
    QVERIFY(pedal.received().empty());
    QVERIFY(pedal.lineHistory().empty());
}

void SimTransportTest::lineSettingsReachThePedal() {
    VirtualClock clock;
    SimTransport t(clock);
    PedalModel& pedal = t.addPedal();
    const FtHandle h = openFirst(t);
    QCOMPARE(t.setBaudRate(h, 115200), ft::OK);
    QCOMPARE(t.setDataCharacteristics(h, ft::BITS_8, ft::STOP_BITS_1, ft::PARITY_NONE), ft::OK);
    QCOMPARE(t.setDataCharacteristics(h, ft::BITS_8, ft::STOP_BITS_1, ft::PARITY_EVEN), ft::OK);
    QCOMPARE(t.setBaudRate(h, 0), ft::INVALID_BAUD_RATE);
    QCOMPARE(pedal.lineHistory().size(), std::size_t(3));
    QCOMPARE(pedal.line(), (LineSettings{115200, 8, 0, ft::PARITY_EVEN}));
    QCOMPARE(pedal.lineHistory().front().parity, ft::PARITY_NONE);
}

void SimTransportTest::answerPacedAtLineRate_data() {
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<double>("bitsPerByte");
    QTest::newRow("8N1") << int(ft::PARITY_NONE) << 0 << 10.0;
    QTest::newRow("8E1") << int(ft::PARITY_EVEN) << 0 << 11.0;
    QTest::newRow("8N1 with 5 ms latency") << int(ft::PARITY_NONE) << 5 << 10.0;
}

void SimTransportTest::answerPacedAtLineRate() {
    QFETCH(int, parity);
    QFETCH(int, latencyMs);
    QFETCH(double, bitsPerByte);

    VirtualClock clock;
    clock.advance(1000);
    SimTransport t(clock);
    PedalOptions options;
    options.answerLatencyUs = latencyMs * 1000;
    t.addPedal(options);
    const FtHandle h = openFirst(t);
    t.setBaudRate(h, 115200);
    t.setDataCharacteristics(h, 8, 0, std::uint8_t(parity));

    const std::int64_t start = clock.nowUs();
    QCOMPARE(writeBytes(t, h, hexBytes("02 00")), ft::OK);
    QVERIFY(clock.waitUntil([&] { return waiting(t, h) > 0; }, 1000));
    const std::int64_t firstUs = clock.nowUs() - start;
    const std::size_t size = defaultReplySize();
    QVERIFY(clock.waitUntil([&] { return waiting(t, h) == size; }, 1000));
    const std::int64_t lastUs = clock.nowUs() - start;

    // The answer starts once both request bytes have crossed, one byte at a time after that.
    const double byteUs = bitsPerByte * 1e6 / 115200;
    const double latencyUs = latencyMs * 1000.0;
    QVERIFY2(std::abs(firstUs - (3 * byteUs + latencyUs)) <= 2,
             qPrintable(QString::number(firstUs)));
    QVERIFY2(std::abs(lastUs - ((2 + double(size)) * byteUs + latencyUs)) <= 2,
             qPrintable(QString::number(lastUs)));
    QCOMPARE(readAll(t, h).count('\r'), 102);
}

void SimTransportTest::purgeDropsOnlyWhatArrived() {
    VirtualClock clock;
    SimTransport t(clock);
    t.addPedal();
    const FtHandle h = openFirst(t);
    writeBytes(t, h, hexBytes("02 00"));
    const std::size_t size = defaultReplySize();
    QVERIFY(clock.waitUntil([&] { return waiting(t, h) >= size / 2; }, 1000));
    const std::uint32_t arrived = waiting(t, h);
    QCOMPARE(t.purge(h, ft::PURGE_RX), ft::OK);
    QCOMPARE(waiting(t, h), 0u);
    // The rest was still on the wire and comes afterwards.
    QVERIFY(!clock.waitUntil([&] { return waiting(t, h) >= size - arrived + 1; }, 100));
    QCOMPARE(waiting(t, h), std::uint32_t(size - arrived));
}

void SimTransportTest::tornReplyArrivesInPieces() {
    VirtualClock clock;
    SimTransport t(clock);
    PedalOptions options;
    options.faults.tornPieces = 3;
    options.faults.tornGapUs = 30'000;
    t.addPedal(options);
    const FtHandle h = openFirst(t);
    writeBytes(t, h, hexBytes("02 00"));

    // Read as bytes come; a pause of 20 ms or more starts a new piece.
    QByteArray reply;
    int pieces = 0;
    std::int64_t lastByteUs = -1'000'000;
    while (clock.waitUntil([&] { return waiting(t, h) > 0; }, 100)) {
        if (clock.nowUs() - lastByteUs >= 20'000) ++pieces;
        lastByteUs = clock.nowUs();
        reply += readAll(t, h);
    }
    QCOMPARE(pieces, 3);
    const std::string whole = statusReplyText(statusEntries(PedalState{}));
    QCOMPARE(reply, QByteArray(whole.data(), qsizetype(whole.size())));
}

void SimTransportTest::noAnswerWaitRunsOut() {
    VirtualClock clock;
    SimTransport t(clock);
    PedalOptions options;
    options.faults.silence = PedalFaults::Silence::StatusRequest;
    t.addPedal(options);
    const FtHandle h = openFirst(t);
    writeBytes(t, h, hexBytes("02 00"));
    QVERIFY(!clock.waitUntil([&] { return waiting(t, h) > 0; }, 2000));
    QCOMPARE(clock.nowUs(), std::int64_t(2'000'000));
}

void SimTransportTest::pulledCableFailsCalls() {
    VirtualClock clock;
    SimTransport t(clock);
    PedalOptions options;
    options.faults.pullAfterBytes = 4;
    PedalModel& pedal = t.addPedal(options);
    t.addPedal();
    const FtHandle h = openFirst(t);

    std::uint32_t written = 0;
    QCOMPARE(writeBytes(t, h, hexBytes("0D 01"), &written), ft::OK);
    QCOMPARE(writeBytes(t, h, hexBytes("02 00 0D 00"), &written), ft::IO_ERROR);
    QCOMPARE(written, 2u);
    QVERIFY(pedal.cablePulled());

    std::uint32_t n = 0;
    QCOMPARE(t.queueStatus(h, n), ft::IO_ERROR);
    QCOMPARE(writeBytes(t, h, hexBytes("02 00")), ft::IO_ERROR);
    std::uint8_t buffer[8];
    QCOMPARE(t.read(h, buffer, sizeof buffer, n), ft::IO_ERROR);
    QCOMPARE(n, 0u);

    // Gone from the listing; the other pedal is still there.
    QCOMPARE(t.deviceCount(n), ft::OK);
    QCOMPARE(n, 1u);
    std::string serial;
    QCOMPARE(t.serialNumber(0, serial), ft::OK);
    QCOMPARE(serial, std::string("KVSIM0002"));
    FtHandle again = 0;
    QCOMPARE(t.openBySerialNumber("KVSIM0001", again), ft::DEVICE_NOT_FOUND);
    QCOMPARE(t.close(h), ft::OK);
    QCOMPARE(t.close(h), ft::INVALID_HANDLE);
}

QTEST_GUILESS_MAIN(SimTransportTest)
#include "sim_transport_test.moc"
