#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "app/desktop_shell.h"
#include "app/editor.h"
#include "app/qt_dialogs.h"
#include "app/tform_main.h"
#include "core/clock.h"
#include "device/serial_transport.h"
#include "sim/built_in_pedal.h"
#include "sim/sim_transport.h"

namespace {

// Trace lines on stderr as well, for scripted runs.
class StderrLog final : public korvanne::LogSink {
public:
    void ConsoleLog(const QString& line) override {
        std::fprintf(stderr, "%s\n", qPrintable(line));
    }
    void ConsoleAppend(const QString& line) override { ConsoleLog(line); }
};

bool haveDisplay() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// Exit status of every mistake on the command line.
constexpr int UsageStatus = 2;

[[noreturn]] void usageError(const QString& message) {
    std::fprintf(stderr, "korvanne-editor: %s\nTry 'korvanne-editor --help' for more.\n",
                 qPrintable(message));
    std::exit(UsageStatus);
}

}  // namespace

int main(int argc, char** argv) {
    // The command line is read before the window system is touched, so --help, --version and
    // usage errors work without a display.
    QCoreApplication::setApplicationName("Korvanne Editor");
    QCoreApplication::setOrganizationName("TAVRO");
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3.%4")
                                                .arg(KORVANNE_VERSION_MAJOR)
                                                .arg(KORVANNE_VERSION_MINOR)
                                                .arg(KORVANNE_VERSION_PATCH)
                                                .arg(KORVANNE_VERSION_TWEAK));
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription("Editor for the Korvanne MK3 octave pedal.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption simulate("simulate", "Work with the built-in simulated pedal.");
    const QCommandLineOption port(
        "port", "Also list the serial port PATH as a bridge (repeatable).", "PATH");
    const QCommandLineOption trace("trace", "Write every trace line to stderr as well.");
    parser.addOptions({simulate, port, trace});
    const bool parsed = parser.parse(arguments);
    if (!parsed || parser.isSet(help) || parser.isSet(version) ||
        !parser.positionalArguments().isEmpty()) {
        // These end here; the help text needs an application object, not a window system.
        QCoreApplication commandLineOnly(argc, argv);
        if (!parsed) usageError(parser.errorText());
        if (parser.isSet(help)) parser.showHelp(0);
        if (parser.isSet(version)) parser.showVersion();
        usageError(QStringLiteral("unexpected argument '%1'")
                       .arg(parser.positionalArguments().constFirst()));
    }

    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "The Korvanne Editor is a desktop program and needs a display.\n"
                     "No display was found (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                     "Start it from a desktop session, or under a virtual display: "
                     "xvfb-run korvanne-editor --simulate\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Korvanne Editor");
    // Ties the windows to the installed menu entry and its icon (Wayland's app id, X11's icon).
    QApplication::setDesktopFileName("korvanne-editor");
    QApplication::setWindowIcon(QIcon::fromTheme("korvanne-editor"));

    korvanne::RealClock clock;
    korvanne::QtDialogs dialogs;
    korvanne::DesktopShell shell;
    korvanne::NullLog quiet;
    StderrLog toStderr;

    std::unique_ptr<korvanne::Transport> transport;
    if (parser.isSet(simulate)) {
        transport = korvanne::makeBuiltInSimulatedPedal(clock);
    } else {
        auto serial = std::make_unique<korvanne::SerialTransport>();
        for (const QString& path : parser.values(port)) serial->addPortPath(path);
        transport = std::move(serial);
    }

    korvanne::Services services{parser.isSet(trace) ? static_cast<korvanne::LogSink&>(toStderr)
                                                    : static_cast<korvanne::LogSink&>(quiet),
                                dialogs,
                                clock,
                                shell,
                                korvanne::SettingsHome(),
                                *transport};
    korvanne::Editor editor(services);
    dialogs.setParentWindow(&editor.main());
    editor.main().show();
    return app.exec();
}
