#include "core/clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <chrono>

namespace korvanne {

namespace {

std::int64_t steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs the event loop for up to `ms` milliseconds, sleeping while nothing happens.
void sleepInEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Sleeps in the event loop until something has happened (data on a port, a timer, a click) and
// was handled, or `ms` milliseconds pass, so a waiting caller looks again at once.
void sleepUntilSomethingHappens(int ms) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) {
        sleepInEventLoop(ms);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    int blocks = 0;
    // The loop blocks once to sleep; the next time it is about to block, it has woken and
    // handled what woke it.
    const QMetaObject::Connection c =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
            if (++blocks == 2) loop.quit();
        });
    loop.exec();
    QObject::disconnect(c);
}

class RealTimer final : public Timer {
public:
    RealTimer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
    }
    void start(int intervalMs) override { timer_.start(intervalMs); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
    void setInterval(int intervalMs) override { timer_.setInterval(intervalMs); }
    int interval() const override { return timer_.interval(); }
    void setSingleShot(bool singleShot) override { timer_.setSingleShot(singleShot); }

private:
    QTimer timer_;
};

}  // namespace

RealClock::RealClock() : startNs_(steadyNs()) {}

std::int64_t RealClock::nowUs() const {
    return (steadyNs() - startNs_) / 1000;
}

void RealClock::pause(int ms) {
    WaitScope scope(*this);
    sleepInEventLoop(ms);
}

bool RealClock::waitUntil(const std::function<bool()>& ready, int timeoutMs) {
    WaitScope scope(*this);
    QElapsedTimer elapsed;
    elapsed.start();
    while (!ready()) {
        const qint64 left = timeoutMs - elapsed.elapsed();
        if (left <= 0) return ready();
        // Look again when something happened, at least every millisecond.
        sleepUntilSomethingHappens(static_cast<int>(std::min<qint64>(left, 1)));
    }
    return true;
}

std::unique_ptr<Timer> RealClock::createTimer() {
    return std::make_unique<RealTimer>();
}

class VirtualClock::VTimer final : public Timer {
public:
    explicit VTimer(VirtualClock* clock) : clock_(clock) { clock_->timers_.push_back(this); }
    ~VTimer() override {
        auto& t = clock_->timers_;
        t.erase(std::remove(t.begin(), t.end(), this), t.end());
    }
    void start(int intervalMs) override {
        interval_ = intervalMs;
        start();
    }
    void start() override {
        active_ = true;
        dueUs_ = clock_->nowUs_ + std::int64_t(std::max(interval_, 0)) * 1000;
        ++generation_;
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    void setInterval(int intervalMs) override {
        interval_ = intervalMs;
        if (active_) start();
    }
    int interval() const override { return interval_; }
    void setSingleShot(bool singleShot) override { singleShot_ = singleShot; }

    void fireNow() {
        if (singleShot_) {
            active_ = false;
        } else {
            dueUs_ += std::int64_t(std::max(interval_, 1)) * 1000;
        }
        fire();
    }

    bool active_ = false;
    bool singleShot_ = false;
    int interval_ = 0;
    std::int64_t dueUs_ = 0;
    unsigned generation_ = 0;

private:
    VirtualClock* clock_;
};

std::unique_ptr<Timer> VirtualClock::createTimer() {
    return std::make_unique<VTimer>(this);
}

void VirtualClock::pause(int ms) {
    WaitScope scope(*this);
    advance(ms);
}

void VirtualClock::advance(int ms) {
    advanceUs(std::int64_t(ms) * 1000);
}

void VirtualClock::advanceUs(std::int64_t us) {
    advanceTo(nowUs_ + std::max<std::int64_t>(us, 0));
}

void VirtualClock::advanceTo(std::int64_t targetUs) {
    QCoreApplication::processEvents();
    for (;;) {
        VTimer* next = nullptr;
        for (VTimer* t : timers_) {
            if (t->active_ && t->dueUs_ <= targetUs && (!next || t->dueUs_ < next->dueUs_))
                next = t;
        }
        if (!next) break;
        nowUs_ = std::max(nowUs_, next->dueUs_);
        next->fireNow();
        QCoreApplication::processEvents();
    }
    nowUs_ = std::max(nowUs_, targetUs);
}

std::optional<std::int64_t> VirtualClock::nextEventAfterNow() const {
    std::optional<std::int64_t> best;
    for (const auto& [id, source] : sources_) {
        if (auto at = source(); at && *at > nowUs_ && (!best || *at < *best)) best = at;
    }
    return best;
}

std::optional<std::int64_t> VirtualClock::nextTimerAfterNow() const {
    std::optional<std::int64_t> best;
    for (const VTimer* t : timers_) {
        if (t->active_ && t->dueUs_ > nowUs_ && (!best || t->dueUs_ < *best)) best = t->dueUs_;
    }
    return best;
}

bool VirtualClock::waitUntil(const std::function<bool()>& ready, int timeoutMs) {
    WaitScope scope(*this);
    const std::int64_t deadline = nowUs_ + std::int64_t(std::max(timeoutMs, 0)) * 1000;
    QCoreApplication::processEvents();
    while (!ready()) {
        if (nowUs_ >= deadline) return false;
        std::int64_t step = deadline;
        if (auto event = nextEventAfterNow(); event && *event < step) step = *event;
        if (jumpBetweenEvents_) {
            if (auto due = nextTimerAfterNow(); due && *due < step) step = *due;
        } else {
            // Wake at least every millisecond, as a real wait does, so a due timer can run.
            step = std::min(step, nowUs_ + 1000);
        }
        advanceTo(step);
    }
    return true;
}

int VirtualClock::addEventSource(EventSource source) {
    const int id = nextSourceId_++;
    sources_.emplace_back(id, std::move(source));
    return id;
}

void VirtualClock::removeEventSource(int id) {
    sources_.erase(std::remove_if(sources_.begin(), sources_.end(),
                                  [id](const auto& s) { return s.first == id; }),
                   sources_.end());
}

}  // namespace korvanne
