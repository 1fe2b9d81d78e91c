#include "app/desktop_shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace korvanne {

void DesktopShell::openUrl(const QString& url) {
    // The result is not examined: a missing browser is the desktop's business.
    QDesktopServices::openUrl(QUrl(url));
}

bool DesktopShell::startElevated(const QString& program, const QStringList& arguments) {
    // pkexec asks for the administrator's password, as the desktop does for "run as".
    return QProcess::startDetached("pkexec", QStringList{program} + arguments);
}

}  // namespace korvanne
