// korvanne-cli: every pedal operation of the editor from the command line.
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>

#include "cli/cli_app.h"
#include "cli/command_line.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvanne-cli"));
    QCoreApplication::setOrganizationName(QStringLiteral("TAVRO"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3.%4")
                                                .arg(KORVANNE_VERSION_MAJOR)
                                                .arg(KORVANNE_VERSION_MINOR)
                                                .arg(KORVANNE_VERSION_PATCH)
                                                .arg(KORVANNE_VERSION_TWEAK));

    QString error;
    std::optional<korvanne::CommandLine> line =
        korvanne::parseCommandLine(app.arguments().mid(1), error);
    if (!line) {
        std::fprintf(stderr, "%s %s\n", error.toUtf8().constData(),
                     korvanne::usageHint().toUtf8().constData());
        return korvanne::ExitUsage;
    }
    korvanne::CliApp cli(std::move(*line), isatty(STDIN_FILENO) != 0);
    return cli.run();
}
