#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace korvanne {

// A timer on the program's clock: real time in the editor, virtual time in tests.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void start() = 0;  // with the interval last set
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual void setInterval(int intervalMs) = 0;
    virtual int interval() const = 0;
    virtual void setSingleShot(bool singleShot) = 0;
    void onTimeout(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void fire() {
        if (handler_) handler_();
    }

private:
    std::function<void()> handler_;
};

// Time for the whole program. Every pause and every wait for the pedal goes through it, so the
// window stays live in real time and tests run long pauses in no time.
class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds since an arbitrary start.
    virtual std::int64_t nowUs() const = 0;
    std::int64_t nowMs() const { return nowUs() / 1000; }
    // A fixed pause; the event loop keeps running meanwhile.
    virtual void pause(int ms) = 0;
    // Waits until ready() holds or timeoutMs passes, sleeping in the event loop; returns ready().
    virtual bool waitUntil(const std::function<bool()>& ready, int timeoutMs) = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;

    // How many pauses and waits are running, one inside another. Whatever the event loop runs
    // during a wait (a click, a timer tick) sees a deeper level than the code that waits, which
    // is how the one-exchange-at-a-time door tells a new command from a step of the running one.
    int waitDepth() const { return waitDepth_; }

protected:
    // Held by every pause and wait of an implementation for as long as it runs.
    class WaitScope {
    public:
        explicit WaitScope(Clock& clock) : clock_(clock) { ++clock_.waitDepth_; }
        ~WaitScope() { --clock_.waitDepth_; }
        WaitScope(const WaitScope&) = delete;
        WaitScope& operator=(const WaitScope&) = delete;

    private:
        Clock& clock_;
    };

private:
    int waitDepth_ = 0;
};

class RealClock final : public Clock {
public:
    RealClock();
    std::int64_t nowUs() const override;
    void pause(int ms) override;
    bool waitUntil(const std::function<bool()>& ready, int timeoutMs) override;
    std::unique_ptr<Timer> createTimer() override;

private:
    std::int64_t startNs_;
};

// Virtual time. Time moves only when the program pauses or waits, or when a test advances it;
// timers fire as time passes them. Sources of future events (a simulated pedal's answer on the
// wire) tell the clock when something will next change, so a wait jumps straight there.
class VirtualClock final : public Clock {
public:
    using EventSource = std::function<std::optional<std::int64_t>()>;  // next change, in µs

    std::int64_t nowUs() const override { return nowUs_; }
    void pause(int ms) override;
    bool waitUntil(const std::function<bool()>& ready, int timeoutMs) override;
    std::unique_ptr<Timer> createTimer() override;

    // Moves time forward, firing due timers in order.
    void advance(int ms);
    void advanceUs(std::int64_t us);
    // Returns an id for removeEventSource.
    int addEventSource(EventSource source);
    void removeEventSource(int id);

    // A wait wakes every millisecond, as a real wait does. Where every condition waited for can
    // change only when an event source says something changes or a timer fires, a wait may jump
    // straight from one such moment to the next instead: the same outcome without the idle
    // wake-ups (the fuzz harnesses run such waits by the million).
    void setWaitsJumpBetweenEvents(bool jump) { jumpBetweenEvents_ = jump; }

private:
    class VTimer;
    friend class VTimer;
    void advanceTo(std::int64_t targetUs);
    std::optional<std::int64_t> nextEventAfterNow() const;
    std::optional<std::int64_t> nextTimerAfterNow() const;

    std::int64_t nowUs_ = 0;
    std::vector<VTimer*> timers_;
    std::vector<std::pair<int, EventSource>> sources_;
    int nextSourceId_ = 1;
    bool jumpBetweenEvents_ = false;
};

}  // namespace korvanne
