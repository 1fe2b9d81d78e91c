#pragma once

#include "core/shell.h"

namespace korvanne {

// Opens addresses in the user's browser; starts programs with administrator rights.
class DesktopShell final : public Shell {
public:
    bool openUrl(const QString& url) override;
    bool startElevated(const QString& program, const QStringList& arguments) override;
};

}  // namespace korvanne
