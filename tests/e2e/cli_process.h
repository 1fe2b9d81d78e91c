#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

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

inline CliRun runCli(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(KORVANNE_CLI_PATH), arguments);
    CliRun run;
    if (!process.waitForStarted(10'000)) return run;
    if (!input.isEmpty()) process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120'000)) process.kill();
    process.waitForFinished(5'000);
    if (process.exitStatus() == QProcess::NormalExit) run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}  // namespace korvanne::test
