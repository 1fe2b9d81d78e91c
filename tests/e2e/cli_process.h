#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>

#include "pedal_sim_process.h"
#include "test_files.h"

namespace korvanne::test {

// One run of korvanne-cli (whose path the test is built with) as a user's shell would start it,
// with standard input a pipe (no terminal) that carries `input` and then ends.
struct CliRun {
    int exitCode = -1;  // -1 when it crashed or did not finish
    QByteArray out;
    QByteArray err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    // For failure messages of the test itself.
    QByteArray describe() const {
        return "exit " + QByteArray::number(exitCode) + "\nstdout: " + out + "\nstderr: " + err;
    }
};

// With `terminal`, standard input is a pseudo-terminal on which `input` has been typed, as when
// a user answers the program's questions.
inline CliRun runCli(const QStringList& arguments, const QByteArray& input = {},
                     bool terminal = false) {
    QProcess process;
    int master = -1;
    if (terminal) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return {};
        process.setStandardInputFile(QString::fromLocal8Bit(ptsname(master)));
        if (!input.isEmpty() && ::write(master, input.constData(), size_t(input.size())) < 0) {
            ::close(master);
            return {};
        }
    }
    process.start(QStringLiteral(KORVANNE_CLI_PATH), arguments);
    CliRun run;
    if (!process.waitForStarted(10'000)) return run;
    if (!terminal && !input.isEmpty()) process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120'000)) process.kill();
    process.waitForFinished(5'000);
    if (master >= 0) ::close(master);
    if (process.exitStatus() == QProcess::NormalExit) run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A simulated pedal on its pseudo-terminal for the length of one test; it records every byte it
// receives. It answers at once rather than at line speed: these runs are about the process and
// the serial path, not about timing.
struct Pedal {
    explicit Pedal(const QStringList& arguments = {})
        : sim(QStringLiteral(KORVANNE_PEDAL_SIM_PATH),
              arguments + QStringList{"--no-pacing", "--record", dir.filePath("received.bin")}) {}
    QStringList cli(const QStringList& words) const {
        return QStringList{"--port", sim.path()} + words;
    }
    // Every byte received so far.
    QByteArray received() const { return readBytes(dir.filePath("received.bin")); }

    QTemporaryDir dir;
    PedalSimProcess sim;
};

}  // namespace korvanne::test
