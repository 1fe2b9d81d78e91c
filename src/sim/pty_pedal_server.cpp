#include "sim/pty_pedal_server.h"

#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "device/ft_status.h"
#include "sim/pedal_model.h"
#include "sim/pty_port.h"

namespace korvanne {

namespace {

std::int64_t steadyUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The editor talks to the bootloader with even parity and to the firmware without; the pty
// cannot report the client's setting, so the line follows the side the pedal is on.
void followPedalSide(PedalModel& pedal, std::uint32_t baud) {
    LineSettings want;
    want.baud = baud;
    want.parity = pedal.inBootloader() ? ft::PARITY_EVEN : ft::PARITY_NONE;
    if (pedal.lineHistory().empty() || !(pedal.line() == want)) pedal.setLine(want);
}

}  // namespace

int servePedal(PedalModel& pedal, PtyPort& port, const ServeOptions& options) {
#ifdef __linux__
    // An answer is due the moment its command has crossed the line: wake then, not up to the
    // kernel's default 50 µs of timer slack later, which would add to every exchange.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    const int master = port.masterFd();
    std::vector<std::uint8_t> unsent;  // answer bytes the pty could not take yet
    std::uint8_t buffer[4096];
    for (;;) {
        followPedalSide(pedal, options.baud);
        // One moment for taking and for planning the next wake, so no ready byte is overlooked.
        const std::int64_t now = steadyUs();
        const std::size_t ready = pedal.take(buffer, sizeof buffer, now);
        unsent.insert(unsent.end(), buffer, buffer + ready);
        if (!unsent.empty()) {
            const ssize_t n = ::write(master, unsent.data(), unsent.size());
            if (n > 0) unsent.erase(unsent.begin(), unsent.begin() + n);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                std::fprintf(stderr, "write: %s\n", std::strerror(errno));
                return 1;
            }
        }
        if (pedal.cablePulled()) {
            std::fprintf(stderr, "cable pulled after %zu bytes\n", pedal.received().size());
            port.close();
            return 0;
        }

        pollfd fds[2] = {{master, short(POLLIN | (unsent.empty() ? 0 : POLLOUT)), 0},
                         {STDIN_FILENO, POLLIN, 0}};
        const nfds_t count = options.watchStdin ? 2 : 1;
        timespec wait{};
        timespec* timeout = nullptr;
        if (pedal.available(now) > 0) {
            timeout = &wait;  // more is ready than one pass takes
        } else if (auto next = pedal.nextOutputAfter(now)) {
            const std::int64_t us = std::max<std::int64_t>(*next - now, 0);
            wait.tv_sec = us / 1'000'000;
            wait.tv_nsec = (us % 1'000'000) * 1000;
            timeout = &wait;
        }
        if (ppoll(fds, count, timeout, nullptr) < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "poll: %s\n", std::strerror(errno));
            return 1;
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                if (options.record) {
                    std::fwrite(buffer, 1, static_cast<std::size_t>(n), options.record);
                    std::fflush(options.record);
                }
                pedal.receive(buffer, static_cast<std::size_t>(n), steadyUs());
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                std::fprintf(stderr, "read: %s\n", std::strerror(errno));
                return 1;
            }
        }
        if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP))) {
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return 0;
        }
    }
}

}  // namespace korvanne
