#pragma once

#include <QFile>
#include <QString>
#include <cstdio>

#include "core/log_sink.h"

namespace korvanne {

// Console lines of the command line: into a file (--log FILE), onto standard error (--verbose),
// both, or nowhere.
class StreamLog final : public LogSink {
public:
    explicit StreamLog(std::FILE* err = stderr) : err_(err) {}
    // Opens the file for appending; false (with the reason) when it cannot be opened.
    bool openFile(const QString& path, QString* error);
    void setToStderr(bool on) { toStderr_ = on; }

    void ConsoleLog(const QString& line) override;
    void ConsoleAppend(const QString& line) override { ConsoleLog(line); }

private:
    std::FILE* err_;
    QFile file_;
    bool toStderr_ = false;
};

}  // namespace korvanne
