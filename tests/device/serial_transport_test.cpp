#include "device/serial_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "core/clock.h"
#include "core/log_sink.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/message_builders.h"
#include "scripted_dialogs.h"

using namespace korvanne;

namespace {

// The far end of a pseudo-terminal, standing in for the pedal.
class PtyMaster {
public:
    PtyMaster() {
        fd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (fd_ < 0 || ::grantpt(fd_) != 0 || ::unlockpt(fd_) != 0) return;
        path_ = QString::fromLocal8Bit(::ptsname(fd_));
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    ~PtyMaster() { closeNow(); }
    void closeNow() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    bool ok() const { return fd_ >= 0 && !path_.isEmpty(); }
    const QString& path() const { return path_; }

    void send(const QByteArray& bytes) const {
        QVERIFY(::write(fd_, bytes.data(), bytes.size()) == bytes.size());
    }
    // Reads until `count` bytes are in or two seconds pass.
    QByteArray receive(int count) const {
        QByteArray got;
        QDeadlineTimer deadline(2000);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(deadline.remainingTime())) <= 0) break;
            char buffer[256];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, n);
        }
        return got;
    }

private:
    int fd_ = -1;
    QString path_;
};

// Asks for the queue until `count` bytes wait or two seconds pass; the bytes cross the
// pseudo-terminal in the kernel without the event loop.
std::uint32_t waitingAfterArrival(SerialTransport& transport, FtHandle handle,
                                  std::uint32_t count) {
    std::uint32_t waiting = 0;
    QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        if (transport.queueStatus(handle, waiting) != ft::OK || waiting >= count) break;
    }
    return waiting;
}

}  // namespace

class SerialTransportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namedPortIsListed() {
        SerialTransport transport;
        transport.setUsbBridgesListed(false);
        std::uint32_t count = 99;
        QCOMPARE(transport.deviceCount(count), ft::OK);
        QCOMPARE(count, 0u);

        transport.addPortPath("/dev/ttyKV0");
        QCOMPARE(transport.deviceCount(count), ft::OK);
        QCOMPARE(count, 1u);
        std::string serial, description;
        QCOMPARE(transport.serialNumber(0, serial), ft::OK);
        QCOMPARE(transport.description(0, description), ft::OK);
        QCOMPARE(serial, std::string("/dev/ttyKV0"));
        QCOMPARE(description, std::string("Serial port /dev/ttyKV0"));
        QCOMPARE(transport.serialNumber(1, serial), ft::DEVICE_NOT_FOUND);
    }

    void openFailures_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<uint>("status");
        QTest::newRow("unknown serial") << "NOSUCH" << uint(ft::DEVICE_NOT_FOUND);
        QTest::newRow("empty serial") << "" << uint(ft::DEVICE_NOT_FOUND);
        QTest::newRow("listed, no such file")
            << "/dev/ttyKV-missing" << uint(ft::DEVICE_NOT_OPENED);
    }
    void openFailures() {
        QFETCH(QString, serial);
        SerialTransport transport;
        transport.setUsbBridgesListed(false);
        transport.addPortPath("/dev/ttyKV-missing");
        FtHandle handle = 0;
        QTEST(uint(transport.openBySerialNumber(serial.toStdString(), handle)), "status");
    }

    // Only a device node the user may not open is a matter of rights; a port another program
    // holds is refused too, but no group or rule would help there.
    void openRefused() {
        PtyMaster pedal;
        if (!pedal.ok()) QSKIP("no pseudo-terminals here");
        SerialTransport holder, transport;
        for (SerialTransport* t : {&holder, &transport}) {
            t->setUsbBridgesListed(false);
            t->addPortPath(pedal.path());
        }
        const std::string serial = pedal.path().toStdString();
        FtHandle held = 0, handle = 0;
        QCOMPARE(holder.openBySerialNumber(serial, held), ft::OK);
        QCOMPARE(transport.openBySerialNumber(serial, handle), ft::DEVICE_NOT_OPENED);
        QCOMPARE(holder.close(held), ft::OK);

        if (::geteuid() == 0) QSKIP("root opens any device node whatever its mode");
        const QByteArray node = QFile::encodeName(pedal.path());
        QCOMPARE(::chmod(node.constData(), 0), 0);
        QCOMPARE(transport.openBySerialNumber(serial, handle), ft::NO_PERMISSION);
        QCOMPARE(::chmod(node.constData(), S_IRUSR | S_IWUSR), 0);
        QCOMPARE(transport.openBySerialNumber(serial, handle), ft::OK);
        QCOMPARE(transport.close(handle), ft::OK);
    }

    void callsOnAnUnknownHandle() {
        SerialTransport transport;
        std::uint32_t n = 0;
        std::uint8_t byte = 0;
        QCOMPARE(transport.queueStatus(5, n), ft::INVALID_HANDLE);
        QCOMPARE(transport.read(5, &byte, 1, n), ft::INVALID_HANDLE);
        QCOMPARE(transport.write(5, &byte, 1, n), ft::INVALID_HANDLE);
        QCOMPARE(transport.purge(5, ft::PURGE_RX), ft::INVALID_HANDLE);
        QCOMPARE(transport.setBaudRate(5, 115200), ft::INVALID_HANDLE);
        QCOMPARE(transport.close(5), ft::INVALID_HANDLE);
    }

    void roundTripOverAPseudoTerminal() {
        PtyMaster pedal;
        if (!pedal.ok()) QSKIP("no pseudo-terminals here");
        SerialTransport transport;
        transport.setUsbBridgesListed(false);
        transport.addPortPath(pedal.path());

        FtHandle handle = 0;
        QCOMPARE(transport.openBySerialNumber(pedal.path().toStdString(), handle), ft::OK);
        QVERIFY(handle > 0);
        QCOMPARE(transport.setBaudRate(handle, 115200), ft::OK);
        QCOMPARE(
            transport.setDataCharacteristics(handle, ft::BITS_8, ft::STOP_BITS_1, ft::PARITY_NONE),
            ft::OK);

        const std::uint8_t request[] = {0x02, 0x00};
        std::uint32_t written = 0;
        QCOMPARE(transport.write(handle, request, 2, written), ft::OK);
        QCOMPARE(written, 2u);
        QCOMPARE(pedal.receive(2), QByteArray::fromHex("0200"));

        // CR and LF pass unchanged, and bytes are seen without the event loop running.
        pedal.send("13\r\n0\r\n");
        QCOMPARE(waitingAfterArrival(transport, handle, 7), 7u);
        std::uint8_t buffer[16] = {};
        std::uint32_t read = 0;
        QCOMPARE(transport.read(handle, buffer, 4, read), ft::OK);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), int(read)), QByteArray("13\r\n"));
        std::uint32_t waiting = 0;
        QCOMPARE(transport.queueStatus(handle, waiting), ft::OK);
        QCOMPARE(waiting, 3u);
        QCOMPARE(transport.purge(handle, ft::PURGE_RX), ft::OK);
        QCOMPARE(transport.queueStatus(handle, waiting), ft::OK);
        QCOMPARE(waiting, 0u);

        // The bootloader's even parity is accepted although a pseudo-terminal has none.
        QCOMPARE(
            transport.setDataCharacteristics(handle, ft::BITS_8, ft::STOP_BITS_1, ft::PARITY_EVEN),
            ft::OK);
        const std::uint8_t sync = 0x7F;
        QCOMPARE(transport.write(handle, &sync, 1, written), ft::OK);
        QCOMPARE(pedal.receive(1), QByteArray::fromHex("7F"));

        QCOMPARE(transport.close(handle), ft::OK);
        QCOMPARE(transport.queueStatus(handle, waiting), ft::INVALID_HANDLE);
    }

    void longPathOpensByItsFirst49Characters() {
        PtyMaster pedal;
        if (!pedal.ok()) QSKIP("no pseudo-terminals here");
        QTemporaryDir dir;
        const QString longPath = dir.filePath(QString(60, 'p'));
        QVERIFY(QFile::link(pedal.path(), longPath));
        SerialTransport transport;
        transport.setUsbBridgesListed(false);
        transport.addPortPath(longPath);

        // The open call carries only 49 characters of the serial number.
        FtHandle handle = 0;
        QCOMPARE(transport.openBySerialNumber(longPath.left(49).toStdString(), handle), ft::OK);
        const std::uint8_t byte = 0x7F;
        std::uint32_t written = 0;
        QCOMPARE(transport.write(handle, &byte, 1, written), ft::OK);
        QCOMPARE(pedal.receive(1), QByteArray::fromHex("7F"));
        QCOMPARE(transport.close(handle), ft::OK);
    }

    void farEndGone_data() {
        QTest::addColumn<bool>("asking");  // the program keeps asking for the queue meanwhile
        QTest::newRow("found by a call") << true;
        QTest::newRow("found by the port's own watch") << false;
    }
    void farEndGone() {
        QFETCH(bool, asking);
        PtyMaster pedal;
        if (!pedal.ok()) QSKIP("no pseudo-terminals here");
        SerialTransport transport;
        transport.setUsbBridgesListed(false);
        transport.addPortPath(pedal.path());
        QList<FtHandle> gone;
        transport.onDeviceGone([&](FtHandle h) { gone << h; });
        FtHandle handle = 0;
        QCOMPARE(transport.openBySerialNumber(pedal.path().toStdString(), handle), ft::OK);
        QVERIFY(transport.watching(handle));

        pedal.closeNow();
        std::uint32_t n = 0;
        if (asking) QCOMPARE(transport.queueStatus(handle, n), ft::IO_ERROR);
        // The program is told once, from the event loop, and the hung-up port is no longer
        // watched (a watched hang-up wakes the loop over and over).
        QTRY_COMPARE(gone, QList<FtHandle>{handle});
        QVERIFY(!transport.watching(handle));
        QTest::qWait(50);
        QCOMPARE(gone.size(), 1);
        const std::uint8_t byte = 0x02;
        QCOMPARE(transport.queueStatus(handle, n), ft::IO_ERROR);
        QCOMPARE(transport.write(handle, &byte, 1, n), ft::IO_ERROR);
        QCOMPARE(transport.close(handle), ft::OK);
        QCOMPARE(gone.size(), 1);
    }

    void writeLimitDropsTheUnsentRest() {
        PtyMaster pedal;
        if (!pedal.ok()) QSKIP("no pseudo-terminals here");
        SerialTransport transport;
        transport.setUsbBridgesListed(false);
        transport.addPortPath(pedal.path());
        transport.setWriteLimitMs(20);
        FtHandle handle = 0;
        QCOMPARE(transport.openBySerialNumber(pedal.path().toStdString(), handle), ft::OK);

        // The far end reads nothing, so the line's buffer fills and a write runs into its limit.
        std::vector<std::uint8_t> big(65536);
        for (std::size_t i = 0; i < big.size(); ++i) big[i] = std::uint8_t(i * 7 + 1);
        QByteArray sent;
        FtStatus status = ft::OK;
        for (int i = 0; i < 64 && status == ft::OK; ++i) {
            std::uint32_t written = 0;
            status = transport.write(handle, big.data(), std::uint32_t(big.size()), written);
            QVERIFY(written <= big.size());
            sent.append(reinterpret_cast<const char*>(big.data()), written);
        }
        QCOMPARE(status, ft::IO_ERROR);

        // What counted as written is exactly what went out; the rest never follows, so the next
        // message comes right after it.
        QCOMPARE(pedal.receive(int(sent.size())), sent);
        const std::uint8_t next[] = {0x01, 0x00, 0x27, 0x00, 0x7F, 0xE0, 0x00};
        std::uint32_t written = 0;
        QCOMPARE(transport.write(handle, next, sizeof next, written), ft::OK);
        QCOMPARE(written, std::uint32_t(sizeof next));
        QCOMPARE(pedal.receive(int(sizeof next) + 1),
                 QByteArray(reinterpret_cast<const char*>(next), sizeof next));
        QCOMPARE(transport.close(handle), ft::OK);
    }

    void purgeAfterAWriteDropsNothingWritten() {
        PtyMaster pedal;
        if (!pedal.ok()) QSKIP("no pseudo-terminals here");
        SerialTransport transport;
        transport.setUsbBridgesListed(false);
        transport.addPortPath(pedal.path());
        RealClock clock;
        NullLog log;
        test::ScriptedDialogs dialogs;
        D2xxUnit unit(transport, dialogs);
        DeviceMessages messages(unit, clock, log);
        QCOMPARE(unit.Open_USB_Device_By_Serial_Number(pedal.path().toStdString()), ft::OK);
        unit.SetLineParameters(0);

        // Two commands back to back, the second starting with a purge of the transmit side: the
        // first one's bytes, still on their way through the driver, arrive whole.
        {
            DeviceMessages::Exchange midi(messages, "MIDI channel");
            midi.send(msg::midiChannel(16));
        }
        {
            DeviceMessages::Exchange store(messages, "Note Cut");
            store.purgeTransmit();
            store.send(msg::noteFilter(1, 7));
        }
        QCOMPARE(pedal.receive(5).toHex(), QByteArray("0710090107"));
        unit.CloseFTDevice();
    }
};

QTEST_GUILESS_MAIN(SerialTransportTest)
#include "serial_transport_test.moc"
