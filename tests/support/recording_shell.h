#pragma once

#include <QStringList>

#include "core/shell.h"

namespace korvanne::test {

class RecordingShell final : public Shell {
public:
    bool openUrl(const QString& url) override {
        opened << url;
        return openResult;
    }
    bool startElevated(const QString& program, const QStringList& arguments) override {
        started << (QStringList{program} + arguments);
        return startResult;
    }

    QStringList opened;
    QList<QStringList> started;
    bool startResult = true;
    bool openResult = true;
};

}  // namespace korvanne::test
