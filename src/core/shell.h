#pragma once

#include <QString>
#include <QStringList>

namespace korvanne {

// The desktop shell: opening an address in the user's browser, starting a program elevated.
class Shell {
public:
    virtual ~Shell() = default;
    // False when no program could be started to open it.
    virtual bool openUrl(const QString& url) = 0;
    virtual bool startElevated(const QString& program, const QStringList& arguments) = 0;
};

}  // namespace korvanne
