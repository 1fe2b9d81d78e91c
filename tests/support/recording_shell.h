#pragma once

#include <QStringList>

#include "core/shell.h"

namespace korvanne::test {

class RecordingShell final : public Shell {
public:
    void openUrl(const QString& url) override { opened << url; }
    bool startElevated(const QString& program, const QStringList& arguments) override {
        started << (QStringList{program} + arguments);
        return startResult;
    }

    QStringList opened;
    QList<QStringList> started;
    bool startResult = true;
};

}  // namespace korvanne::test
