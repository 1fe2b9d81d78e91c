#include "sim/pty_port.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvanne {

namespace {
std::string failed(const char* call) {
    return std::string(call) + ": " + std::strerror(errno);
}
}  // namespace

PtyPort::~PtyPort() {
    close();
}

bool PtyPort::open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        error = failed("posix_openpt");
        return false;
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = failed("grantpt/unlockpt");
        close();
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = failed("ptsname");
        close();
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = failed("open slave");
        close();
        return false;
    }
    // Raw on both sides: no echo, no line editing, no CR/LF translation.
    for (int fd : {slave_, master_}) {
        termios tio{};
        if (tcgetattr(fd, &tio) != 0) continue;
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

void PtyPort::close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

}  // namespace korvanne
