#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

#include "pedal_sim_process.h"

namespace {

// Runs korvanne-pedal-sim and opens its port with plain POSIX calls, as a serial client would.
class SimProcess {
public:
    explicit SimProcess(const QStringList& arguments)
        : server_(QStringLiteral(KORVANNE_PEDAL_SIM_PATH), arguments), path_(server_.path()) {
        if (!path_.isEmpty()) fd_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    }
    ~SimProcess() {
        if (fd_ >= 0) ::close(fd_);
    }

    const QString& path() const { return path_; }
    int fd() const { return fd_; }
    QProcess& process() { return server_.process(); }

    bool send(const QByteArray& bytes) {
        return ::write(fd_, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until `done` holds for what has arrived, or the time limit passes.
    QByteArray readUntil(const std::function<bool(const QByteArray&)>& done, int limitMs) {
        QByteArray got;
        QDeadlineTimer deadline(limitMs);
        while (!done(got) && !deadline.hasExpired()) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, int(deadline.remainingTime())) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, n);
        }
        return got;
    }

private:
    korvanne::test::PedalSimProcess server_;
    QString path_;
    int fd_ = -1;
};

}  // namespace

class PedalSimPtyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void servesStatusReply();
    void startsInBootloader();
    void pulledCableClosesThePort();
    void erasesAndDumpsTheSettingsMemory_data();
    void erasesAndDumpsTheSettingsMemory();
};

void PedalSimPtyTest::servesStatusReply() {
    SimProcess sim({"--firmware", "12", "--effect", "10"});
    QVERIFY2(sim.path().startsWith("/dev/"), qPrintable(sim.path()));
    QVERIFY(sim.fd() >= 0);
    QVERIFY(sim.send(QByteArray::fromHex("0200")));
    const QByteArray reply =
        sim.readUntil([](const QByteArray& got) { return got.count("\r\n") >= 102; }, 10'000);
    QCOMPARE(reply.count("\r\n"), 102);
    // CR and LF pass unchanged through the raw port.
    QVERIFY2(reply.startsWith("12\r\n0\r\n20\r\n16\r\n"), reply.left(20).constData());
    QVERIFY(reply.endsWith("\r\n"));
}

void PedalSimPtyTest::startsInBootloader() {
    SimProcess sim({"--bootloader", "--no-pacing"});
    QVERIFY(sim.fd() >= 0);
    // Synchronised by the first 0x7F, the bootloader refuses the second.
    QVERIFY(sim.send(QByteArray::fromHex("7F7F")));
    const QByteArray answer =
        sim.readUntil([](const QByteArray& got) { return got.size() >= 2; }, 10'000);
    QCOMPARE(answer, QByteArray::fromHex("791F"));
}

void PedalSimPtyTest::pulledCableClosesThePort() {
    SimProcess sim({"--pull-after", "2"});
    QVERIFY(sim.fd() >= 0);
    QVERIFY(sim.send(QByteArray::fromHex("0200")));
    QVERIFY(sim.process().waitForFinished(10'000));
    QCOMPARE(sim.process().exitCode(), 0);
    // Nothing more comes; the port reports the hang-up.
    QCOMPARE(sim.readUntil([](const QByteArray&) { return false; }, 2000), QByteArray());
}

void PedalSimPtyTest::erasesAndDumpsTheSettingsMemory_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("expected");
    QTest::newRow("whole") << QStringList{"--no-pacing"} << 16385;
    QTest::newRow("in pieces") << QStringList{"--no-pacing", "--fault", "torn-dump"} << 16385;
    QTest::newRow("short") << QStringList{"--no-pacing", "--fault", "short-dump"} << 15385;
}

void PedalSimPtyTest::erasesAndDumpsTheSettingsMemory() {
    QFETCH(QStringList, arguments);
    QFETCH(int, expected);
    SimProcess sim(arguments);
    QVERIFY(sim.fd() >= 0);
    QVERIFY(sim.send(QByteArray::fromHex("0B500000000C5000000000")));
    const QByteArray dump =
        sim.readUntil([](const QByteArray& got) { return got.size() >= 16385; }, 1500);
    QCOMPARE(dump.size(), expected);
    QCOMPARE(quint8(dump[0]), quint8(0xAB));
    QCOMPARE(dump.mid(1), QByteArray(expected - 1, char(0xFF)));
}

QTEST_GUILESS_MAIN(PedalSimPtyTest)
#include "pedal_sim_pty_test.moc"
