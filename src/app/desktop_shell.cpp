#include "app/desktop_shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace korvanne {

bool DesktopShell::openUrl(const QString& url) {
    // True once the desktop's opener started; whether a browser then shows the page is its own.
    return QDesktopServices::openUrl(QUrl(url));
}

bool DesktopShell::startElevated(const QString& program, const QStringList& arguments) {
    // pkexec asks for the administrator's password, as the desktop does for "run as".
    return QProcess::startDetached("pkexec", QStringList{program} + arguments);
}

}  // namespace korvanne
