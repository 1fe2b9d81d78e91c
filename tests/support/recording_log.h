#pragma once

#include <QStringList>

#include "core/log_sink.h"

namespace korvanne::test {

// Records every trace line; `scrolled` marks the lines written with ConsoleLog.
class RecordingLog final : public LogSink {
public:
    void ConsoleLog(const QString& line) override {
        lines << line;
        scrolled << true;
    }
    void ConsoleAppend(const QString& line) override {
        lines << line;
        scrolled << false;
    }
    void clear() {
        lines.clear();
        scrolled.clear();
    }
    bool contains(const QString& line) const { return lines.contains(line); }

    QStringList lines;
    QList<bool> scrolled;
};

}  // namespace korvanne::test
