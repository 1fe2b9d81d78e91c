// How much of a processor core the serial backend uses once the far end of its port has gone
// away (the pedal unplugged, the simulator ended) while the program keeps running its event
// loop: a port left watching a hung-up line wakes the loop over and over. Goal: close to 0.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "device/serial_transport.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Share of one core used while the event loop runs for `ms` milliseconds.
double coreShare(int ms) {
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - before) / (double(wall.nsecsElapsed()) / 1e9);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::printf("no pseudo-terminal; skipped\n");
        return 0;
    }
    const QString path = QString::fromLocal8Bit(::ptsname(master));
    korvanne::SerialTransport transport;
    transport.setUsbBridgesListed(false);
    transport.addPortPath(path);
    korvanne::FtHandle handle = 0;
    if (transport.openBySerialNumber(path.toStdString(), handle) != korvanne::ft::OK) {
        std::printf("cannot open %s; skipped\n", qPrintable(path));
        return 0;
    }
    const double linked = coreShare(1000);
    ::close(master);
    const double gone = coreShare(2000);
    std::printf("core share while the far end is there: %.3f\n", linked);
    std::printf("core share after the far end went away: %.3f\n", gone);
    std::printf("ratio link_idle_core_share_after_hangup %.3f\n", gone);
    transport.close(handle);
    return 0;
}
