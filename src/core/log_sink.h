#pragma once

#include <QString>

namespace korvanne {

// Where every part of the program writes its trace lines. The editor's sink is the debug
// console; the command-line front end writes to stderr; tests record the lines.
class LogSink {
public:
    virtual ~LogSink() = default;
    // Appends a line and, when auto-scroll is on, brings it into view.
    virtual void ConsoleLog(const QString& line) = 0;
    // Appends a line without moving the view.
    virtual void ConsoleAppend(const QString& line) = 0;
};

// Swallows every line; used before the console exists and where nothing should be traced.
class NullLog final : public LogSink {
public:
    void ConsoleLog(const QString&) override {}
    void ConsoleAppend(const QString&) override {}
};

// Forwards to a sink that may be set later (the console is created after the main window).
class ForwardingLog final : public LogSink {
public:
    void setTarget(LogSink* target) { target_ = target; }
    void ConsoleLog(const QString& line) override {
        if (target_) target_->ConsoleLog(line);
    }
    void ConsoleAppend(const QString& line) override {
        if (target_) target_->ConsoleAppend(line);
    }

private:
    LogSink* target_ = nullptr;
};

}  // namespace korvanne
