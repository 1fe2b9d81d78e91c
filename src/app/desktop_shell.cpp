#include "app/desktop_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <shellapi.h>
#include <windows.h>

#include "core/command_line.h"
#endif

namespace korvanne {

bool DesktopShell::openUrl(const QString& url) {
    // True once the desktop's opener started; whether a browser then shows the page is its own.
    return QDesktopServices::openUrl(QUrl(url));
}

bool DesktopShell::startElevated(const QString& program, const QStringList& arguments) {
#ifdef Q_OS_WIN
    // "runas" shows the system's elevation prompt; each argument arrives whole, quoted.
    std::vector<std::string> args;
    for (const QString& a : arguments) args.push_back(a.toStdString());
    const std::wstring parameters = QString::fromStdString(windowsCommandLine(args)).toStdWString();
    const std::wstring file = QDir::toNativeSeparators(program).toStdWString();
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"runas", file.c_str(),
                      parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
#else
    // The desktop's elevation helper asks for the administrator's password where there is one;
    // without it the program starts with the user's rights. Never through a shell.
    const QString pkexec = QStandardPaths::findExecutable("pkexec");
    if (!pkexec.isEmpty()) return QProcess::startDetached(pkexec, QStringList{program} + arguments);
    return QProcess::startDetached(program, arguments);
#endif
}

}  // namespace korvanne
