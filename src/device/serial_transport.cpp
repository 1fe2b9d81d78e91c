#include "device/serial_transport.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QObject>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace korvanne {

namespace {

QString canonical(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

// The FTDI driver then hands over received bytes at once instead of after its latency timer.
void requestLowLatency([[maybe_unused]] QSerialPort& port) {
#ifdef Q_OS_LINUX
    const int fd = static_cast<int>(port.handle());
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) == 0) {
        info.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &info);  // not every driver allows it; the port works anyway
    }
#endif
}

// Unix98 pseudo-terminal slaves have majors 136 to 143.
bool isPseudoTerminal([[maybe_unused]] QSerialPort& port, const QString& location) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::fstat(static_cast<int>(port.handle()), &st) == 0 && S_ISCHR(st.st_mode)) {
        const unsigned m = major(st.st_rdev);
        if (m >= 136 && m <= 143) return true;
    }
#endif
    return location.startsWith(QLatin1String("/dev/pts/"));
}

// Errors after which the device is gone for good (until it is closed and opened again).
bool isFatal(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::DeviceNotFoundError:
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError:
        case QSerialPort::NotOpenError:
            return true;
        default:
            return false;
    }
}

// Qt calls a port held by another program a permission error too; only a device node the user
// may not read and write is a matter of rights, which the user can be told how to get.
FtStatus openFailure([[maybe_unused]] const QSerialPort& port,
                     [[maybe_unused]] const QString& location) {
#ifdef Q_OS_UNIX
    if (port.error() == QSerialPort::PermissionError &&
        ::access(QFile::encodeName(location).constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        return ft::NO_PERMISSION;
    }
#endif
    return ft::DEVICE_NOT_OPENED;
}

}  // namespace

SerialTransport::SerialTransport() : context_(std::make_unique<QObject>()) {}
SerialTransport::~SerialTransport() = default;

void SerialTransport::addPortPath(const QString& path) {
    if (!paths_.contains(path)) paths_ << path;
}

bool SerialTransport::watching(FtHandle handle) const {
    auto it = open_.find(handle);
    return it != open_.end() && it->second.port->isOpen();
}

std::vector<SerialTransport::Bridge> SerialTransport::bridges() const {
    std::vector<Bridge> list;
    QStringList named;
    for (const QString& path : paths_) named << canonical(path);
    if (usbBridgesListed_) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            if (!info.hasVendorIdentifier() || info.vendorIdentifier() != FtdiVendorId) continue;
            // A port also named by path is listed once, under its path.
            if (named.contains(canonical(info.systemLocation()))) continue;
            std::string serial = info.serialNumber().toStdString();
            if (serial.empty()) serial = info.portName().toStdString();
            list.push_back({info.systemLocation(), serial, info.description().toStdString()});
        }
    }
    for (const QString& path : paths_) {
        list.push_back({path, path.toStdString(), ("Serial port " + path).toStdString()});
    }
    return list;
}

FtStatus SerialTransport::deviceCount(std::uint32_t& count) {
    count = static_cast<std::uint32_t>(bridges().size());
    return ft::OK;
}

FtStatus SerialTransport::serialNumber(std::uint32_t index, std::string& serial) {
    const auto list = bridges();
    if (index >= list.size()) return ft::DEVICE_NOT_FOUND;
    serial = list[index].serial;
    return ft::OK;
}

FtStatus SerialTransport::description(std::uint32_t index, std::string& description) {
    const auto list = bridges();
    if (index >= list.size()) return ft::DEVICE_NOT_FOUND;
    description = list[index].description;
    return ft::OK;
}

FtStatus SerialTransport::openBySerialNumber(const std::string& serial, FtHandle& handle) {
    if (serial.empty()) return ft::DEVICE_NOT_FOUND;
    const auto list = bridges();
    auto found =
        std::find_if(list.begin(), list.end(), [&](const Bridge& b) { return b.serial == serial; });
    // The open call carries at most 49 characters: a long path is found by its start.
    if (found == list.end() && serial.size() == 49) {
        found = std::find_if(list.begin(), list.end(),
                             [&](const Bridge& b) { return b.serial.starts_with(serial); });
    }
    if (found == list.end()) return ft::DEVICE_NOT_FOUND;

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(found->location);
    if (!port->open(QIODevice::ReadWrite)) return openFailure(*port, found->location);
    port->setBaudRate(115200);
    port->setDataBits(QSerialPort::Data8);
    port->setStopBits(QSerialPort::OneStop);
    port->setParity(QSerialPort::NoParity);
    port->setFlowControl(QSerialPort::NoFlowControl);
    port->clearError();
    requestLowLatency(*port);

    Open entry;
    entry.pseudoTerminal = isPseudoTerminal(*port, found->location);
    entry.port = std::move(port);
    handle = nextHandle_++;
    const FtHandle opened = handle;
    // A hang-up seen by the port's own watch (the far end closed, the cable pulled) ends the
    // watch: a port left open on a hung-up line reports it over and over and spins the loop.
    QObject::connect(entry.port.get(), &QSerialPort::errorOccurred, context_.get(),
                     [this, opened](QSerialPort::SerialPortError error) {
                         if (!isFatal(error)) return;
                         auto it = open_.find(opened);
                         if (it != open_.end()) markBroken(it->second, opened);
                     });
    open_.emplace(handle, std::move(entry));
    return ft::OK;
}

FtStatus SerialTransport::close(FtHandle handle) {
    auto it = open_.find(handle);
    if (it == open_.end()) return ft::INVALID_HANDLE;
    it->second.port->close();
    open_.erase(it);
    return ft::OK;
}

FtStatus SerialTransport::usable(FtHandle handle, Open*& open) {
    auto it = open_.find(handle);
    if (it == open_.end()) return ft::INVALID_HANDLE;
    open = &it->second;
    if (open->broken || !open->port->isOpen()) return ft::IO_ERROR;
    return ft::OK;
}

void SerialTransport::markBroken(Open& open, FtHandle handle) {
    if (open.broken) return;
    open.broken = true;
    // Deferred: this may run inside the port's own notification or inside one of our calls.
    QMetaObject::invokeMethod(
        context_.get(), [this, handle] { release(handle); }, Qt::QueuedConnection);
}

void SerialTransport::release(FtHandle handle) {
    auto it = open_.find(handle);
    if (it == open_.end() || it->second.released) return;
    it->second.released = true;
    it->second.port->close();
    reportDeviceGone(handle);
}

bool SerialTransport::failed(Open& open, FtHandle handle) {
    if (open.broken) return true;
    const QSerialPort::SerialPortError error = open.port->error();
    if (error == QSerialPort::NoError) return false;
    if (isFatal(error)) {
        markBroken(open, handle);
        return true;
    }
    // A wait that found nothing reports a timeout; that is no failure here.
    open.port->clearError();
    return false;
}

void SerialTransport::takeWaiting(Open& open) {
    // Each ready read takes what the driver holds; a few rounds catch bytes that land meanwhile.
    for (int round = 0; round < 8 && open.port->waitForReadyRead(0); ++round) {
    }
}

FtStatus SerialTransport::setBaudRate(FtHandle handle, std::uint32_t baud) {
    Open* open = nullptr;
    if (const FtStatus s = usable(handle, open); s != ft::OK) return s;
    if (baud == 0 || !open->port->setBaudRate(static_cast<qint32>(baud))) {
        if (failed(*open, handle)) return ft::IO_ERROR;
        open->port->clearError();
        return ft::INVALID_BAUD_RATE;
    }
    return ft::OK;
}

FtStatus SerialTransport::setDataCharacteristics(FtHandle handle, std::uint8_t wordLength,
                                                 std::uint8_t stopBits, std::uint8_t parity) {
    Open* open = nullptr;
    if (const FtStatus s = usable(handle, open); s != ft::OK) return s;
    QSerialPort::DataBits bits;
    switch (wordLength) {
        case 7:
            bits = QSerialPort::Data7;
            break;
        case 8:
            bits = QSerialPort::Data8;
            break;
        default:
            return ft::INVALID_PARAMETER;
    }
    QSerialPort::StopBits stop;
    switch (stopBits) {
        case ft::STOP_BITS_1:
            stop = QSerialPort::OneStop;
            break;
        case ft::STOP_BITS_2:
            stop = QSerialPort::TwoStop;
            break;
        default:
            return ft::INVALID_PARAMETER;
    }
    QSerialPort::Parity par;
    switch (parity) {
        case ft::PARITY_NONE:
            par = QSerialPort::NoParity;
            break;
        case ft::PARITY_ODD:
            par = QSerialPort::OddParity;
            break;
        case ft::PARITY_EVEN:
            par = QSerialPort::EvenParity;
            break;
        case 3:
            par = QSerialPort::MarkParity;
            break;
        case 4:
            par = QSerialPort::SpaceParity;
            break;
        default:
            return ft::INVALID_PARAMETER;
    }
    QSerialPort& port = *open->port;
    if (!port.setDataBits(bits) || !port.setStopBits(stop)) {
        failed(*open, handle);
        return ft::IO_ERROR;
    }
    // A pseudo-terminal has no parity bit on its "wire"; the other end sees the bytes as sent.
    if (!port.setParity(par) && !open->pseudoTerminal) {
        failed(*open, handle);
        return ft::IO_ERROR;
    }
    port.clearError();
    return ft::OK;
}

FtStatus SerialTransport::purge(FtHandle handle, std::uint32_t mask) {
    Open* open = nullptr;
    if (const FtStatus s = usable(handle, open); s != ft::OK) return s;
    if (mask & ~(ft::PURGE_RX | ft::PURGE_TX)) return ft::INVALID_PARAMETER;
    QSerialPort::Directions directions;
    if (mask & ft::PURGE_RX) directions |= QSerialPort::Input;
    if (mask & ft::PURGE_TX) directions |= QSerialPort::Output;
    if (directions && !open->port->clear(directions) && failed(*open, handle)) return ft::IO_ERROR;
    return ft::OK;
}

FtStatus SerialTransport::queueStatus(FtHandle handle, std::uint32_t& waiting) {
    Open* open = nullptr;
    if (const FtStatus s = usable(handle, open); s != ft::OK) return s;
    takeWaiting(*open);
    if (failed(*open, handle)) return ft::IO_ERROR;
    waiting = static_cast<std::uint32_t>(open->port->bytesAvailable());
    return ft::OK;
}

FtStatus SerialTransport::read(FtHandle handle, std::uint8_t* buffer, std::uint32_t count,
                               std::uint32_t& bytesRead) {
    bytesRead = 0;
    Open* open = nullptr;
    if (const FtStatus s = usable(handle, open); s != ft::OK) return s;
    if (open->port->bytesAvailable() < count) takeWaiting(*open);
    const qint64 n = open->port->read(reinterpret_cast<char*>(buffer), count);
    if (n < 0 || failed(*open, handle)) return ft::IO_ERROR;
    bytesRead = static_cast<std::uint32_t>(n);
    return ft::OK;
}

FtStatus SerialTransport::write(FtHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                                std::uint32_t& bytesWritten) {
    bytesWritten = 0;
    Open* open = nullptr;
    if (const FtStatus s = usable(handle, open); s != ft::OK) return s;
    QSerialPort& port = *open->port;
#ifdef Q_OS_UNIX
    // Straight to the driver, as the library's write does: what it has taken has left; what it
    // has not taken when the limit passes is never sent, so it cannot go out ahead of the next
    // message. The port is non-blocking; a full driver buffer is waited for with poll.
    const int fd = static_cast<int>(port.handle());
    QDeadlineTimer deadline(writeLimitMs_);
    std::uint32_t sent = 0;
    while (sent < count) {
        const ssize_t n = ::write(fd, buffer + sent, count - sent);
        if (n > 0) {
            sent += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            markBroken(*open, handle);
            break;
        }
        const qint64 left = deadline.remainingTime();
        if (left == 0) break;
        pollfd ready{fd, POLLOUT, 0};
        const int r = ::poll(&ready, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;  // the limit passed
        if (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            markBroken(*open, handle);
            break;
        }
    }
    bytesWritten = sent;
    return sent == count ? ft::OK : ft::IO_ERROR;
#else
    if (port.write(reinterpret_cast<const char*>(buffer), count) < 0) {
        failed(*open, handle);
        return ft::IO_ERROR;
    }
    // The library's write returns once the bytes are with the driver; do the same.
    QDeadlineTimer deadline(writeLimitMs_);
    while (port.bytesToWrite() > 0 &&
           port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
    }
    const qint64 left = port.bytesToWrite();
    bytesWritten = count - static_cast<std::uint32_t>(std::min<qint64>(left, count));
    if (failed(*open, handle)) return ft::IO_ERROR;
    if (left > 0) {
        port.clear(QSerialPort::Output);  // what did not leave in time is dropped, not sent later
        port.clearError();
        return ft::IO_ERROR;
    }
    return ft::OK;
#endif
}

}  // namespace korvanne
