// korvanne-cli: every pedal operation of the editor from the command line.
#include <unistd.h>

#include <QCoreApplication>

#include "cli/cli_app.h"
#include "cli/command_line.h"
#include "device/serial_transport.h"
#include "sim/built_in_pedal.h"
#include "sim/sim_transport.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvanne-cli"));
    QCoreApplication::setOrganizationName(QStringLiteral("TAVRO"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3.%4")
                                                .arg(KORVANNE_VERSION_MAJOR)
                                                .arg(KORVANNE_VERSION_MINOR)
                                                .arg(KORVANNE_VERSION_PATCH)
                                                .arg(KORVANNE_VERSION_TWEAK));

    using namespace korvanne;
    RealClock clock;
    // Questions are asked only where a user can answer them.
    TerminalDialogs dialogs(false, isatty(STDIN_FILENO) != 0, stdin, stderr);
    StreamLog log(stderr);
    TerminalShell shell(stdout);
    auto transport = [&clock](const GlobalOptions& o) -> std::unique_ptr<Transport> {
        if (o.simulate) return makeBuiltInSimulatedPedal(clock);
        auto serial = std::make_unique<SerialTransport>();
        if (!o.port.isEmpty()) serial->addPortPath(o.port);
        return serial;
    };
    CliApp cli(app.arguments().mid(1),
               CliServices{clock, transport, dialogs, log, shell, SettingsHome(), stdout, stderr,
                           isatty(STDERR_FILENO) != 0});
    return cli.run();
}
