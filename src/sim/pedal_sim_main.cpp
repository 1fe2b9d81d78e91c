// korvanne-pedal-sim: one simulated pedal on a pseudo-terminal, so the real serial code path can
// be driven end to end. Prints the port's path as its first line, then serves until standard
// input closes or the process is ended.
#include <sys/stat.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <cstdio>

#include "sim/pedal_model.h"
#include "sim/pty_pedal_server.h"
#include "sim/pty_port.h"

namespace {

using korvanne::PedalFaults;
using korvanne::PedalOptions;

// Exit statuses: every mistake on the command line (an unknown option, a missing or bad value,
// a stray word, an image that cannot be used) gives 2; a port that cannot be served gives 1.
constexpr int UsageStatus = 2;
constexpr int ServeFailureStatus = 1;

[[noreturn]] void fail(const QString& message, int status = UsageStatus) {
    std::fprintf(stderr, "korvanne-pedal-sim: %s\n", qPrintable(message));
    std::exit(status);
}

long long number(const QCommandLineParser& parser, const QString& name, long long min,
                 long long max) {
    bool ok = false;
    const long long value = parser.value(name).toLongLong(&ok);
    if (!ok || value < min || value > max) {
        fail(QStringLiteral("--%1 wants a number from %2 to %3").arg(name).arg(min).arg(max));
    }
    return value;
}

// Standard input is watched only when it can close: a pipe, socket or terminal.
bool stdinCanClose() {
    struct stat info {};
    if (fstat(STDIN_FILENO, &info) != 0) return false;
    return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || isatty(STDIN_FILENO);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvanne-pedal-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated Korvanne MK3 pedal on a pseudo-terminal. The first line of "
                       "output is the port to open."));
    parser.addHelpOption();
    const auto valueOption = [&](const char* name, const char* help, const char* valueName) {
        parser.addOption(
            {QString::fromLatin1(name), QString::fromLatin1(help), QString::fromLatin1(valueName)});
    };
    valueOption("firmware", "Firmware number the pedal reports (default 13).", "N");
    valueOption("algorithm", "Algorithm number the pedal reports (default 14).", "N");
    valueOption("effect", "Effect number the pedal reports (default 0).", "N");
    valueOption("image", "Algorithm file (.dat, raw bytes) the pedal runs from the start.", "FILE");
    parser.addOption({QStringLiteral("bootloader"), QStringLiteral("Start in the bootloader.")});
    valueOption("latency-ms", "Delay before each answer starts (default 0).", "N");
    parser.addOption(
        {QStringLiteral("no-pacing"), QStringLiteral("Send answers at once, not at line speed.")});
    valueOption("fault",
                "no-answer (to the status request), silent (to everything), torn or garbled "
                "(status reply), torn-dump (settings memory dump in three pieces), short-dump "
                "(dump 1000 bytes short); may be repeated.",
                "KIND");
    valueOption("pull-after", "Pull the cable after N bytes received.", "N");
    valueOption("baud", "Line speed used for pacing (default 115200).", "N");
    valueOption("boot-fault",
                "Bootloader fault at answer N (counted from 1): nack:N (a negative acknowledge), "
                "silent:N (that answer lost), dead:N (no answer from then on).",
                "KIND:N");
    parser.addOption({QStringLiteral("boot-refuse-reads"),
                      QStringLiteral("The bootloader refuses Read Memory (read protection).")});
    valueOption("record", "Write every byte received to FILE as it arrives.", "FILE");
    valueOption("value",
                "Parameter N (0 to 18, in the status reply's order) holds VALUE (8 hex digits, as "
                "written) from the start; may be repeated.",
                "N=VALUE");
    if (!parser.parse(QCoreApplication::arguments())) fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        fail(QStringLiteral("unexpected argument '%1'")
                 .arg(parser.positionalArguments().constFirst()));
    }

    PedalOptions options;
    if (parser.isSet("firmware")) options.firmware = int(number(parser, "firmware", 0, 255));
    if (parser.isSet("effect")) options.effect = int(number(parser, "effect", 0, 99));
    if (parser.isSet("latency-ms")) {
        options.answerLatencyUs = number(parser, "latency-ms", 0, 60'000) * 1000;
    }
    options.pacing = !parser.isSet("no-pacing");
    options.startInBootloader = parser.isSet("bootloader");
    if (parser.isSet("pull-after")) {
        options.faults.pullAfterBytes = std::size_t(number(parser, "pull-after", 0, 1LL << 40));
    }
    for (const QString& kind : parser.values("fault")) {
        if (kind == "no-answer") {
            options.faults.silence = PedalFaults::Silence::StatusRequest;
        } else if (kind == "silent") {
            options.faults.silence = PedalFaults::Silence::Everything;
        } else if (kind == "torn") {
            options.faults.tornPieces = 3;
        } else if (kind == "garbled") {
            options.faults.garble = PedalFaults::Garble::ReplaceDigit;
        } else if (kind == "torn-dump") {
            options.faults.dumpPieces = 3;
        } else if (kind == "short-dump") {
            options.faults.dumpShortBy = 1000;
        } else {
            fail(QStringLiteral("unknown fault '%1'").arg(kind));
        }
    }
    if (parser.isSet("boot-fault")) {
        const QStringList parts = parser.value("boot-fault").split(':');
        using Kind = korvanne::BootloaderFault::Kind;
        const QHash<QString, Kind> kinds{
            {"nack", Kind::Nack}, {"silent", Kind::Silent}, {"dead", Kind::Dead}};
        bool ok = parts.size() == 2 && kinds.contains(parts[0]);
        const int step = ok ? parts[1].toInt(&ok) : 0;
        if (!ok || step < 1) fail(QStringLiteral("--boot-fault wants nack:N, silent:N or dead:N"));
        options.faults.bootloader = {kinds.value(parts[0]), step};
    }
    options.faults.bootloaderRefusesReads = parser.isSet("boot-refuse-reads");
    if (parser.isSet("image")) {
        QFile file(parser.value("image"));
        if (!file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        }
        const QByteArray bytes = file.readAll();
        options.image.assign(bytes.begin(), bytes.end());
        std::string why;
        if (!korvanne::PedalModel().loadImage(options.image, &why)) {
            fail(QStringLiteral("%1: %2").arg(file.fileName(), QString::fromStdString(why)));
        }
    }
    korvanne::ServeOptions serve;
    if (parser.isSet("baud")) serve.baud = std::uint32_t(number(parser, "baud", 300, 12'000'000));
    serve.watchStdin = stdinCanClose();
    if (parser.isSet("record")) {
        serve.record = std::fopen(qPrintable(parser.value("record")), "wb");
        if (!serve.record) fail(QStringLiteral("cannot write %1").arg(parser.value("record")));
    }

    korvanne::PedalModel pedal(options);
    // An explicit number wins over the one the start image carries.
    if (parser.isSet("algorithm")) {
        pedal.state().algorithm = int(number(parser, "algorithm", 0, 9999));
    }

    for (const QString& setting : parser.values("value")) {
        const QStringList parts = setting.split('=');
        bool ok = parts.size() == 2 && parts[1].size() == 8;
        const int n = ok ? parts[0].toInt(&ok) : 0;
        const std::uint32_t value = ok ? parts[1].toUInt(&ok, 16) : 0;
        if (!ok || n < 0 || n >= korvanne::param::Count) {
            fail(QStringLiteral("--value wants N=VALUE, N from 0 to %1 and 8 hex digits")
                     .arg(korvanne::param::Count - 1));
        }
        pedal.state().values[std::size_t(n)] = value;
    }

    korvanne::PtyPort port;
    std::string error;
    if (!port.open(error)) fail(QString::fromStdString(error), ServeFailureStatus);
    std::printf("%s\n", port.slavePath().c_str());
    std::fflush(stdout);
    const int code = korvanne::servePedal(pedal, port, serve);
    if (serve.record) std::fclose(serve.record);
    return code;
}
