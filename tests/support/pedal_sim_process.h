#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace korvanne::test {

// Runs korvanne-pedal-sim (whose path the test is built with) and reads the path of the port it
// serves from its first line. The server ends when its standard input closes.
class PedalSimProcess {
public:
    PedalSimProcess(const QString& program, const QStringList& arguments) {
        process_.start(program, arguments);
        QDeadlineTimer deadline(10'000);
        while (!process_.canReadLine() && !deadline.hasExpired() &&
               process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(int(deadline.remainingTime()));
        }
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~PedalSimProcess() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10'000)) process_.kill();
    }
    PedalSimProcess(const PedalSimProcess&) = delete;
    PedalSimProcess& operator=(const PedalSimProcess&) = delete;

    const QString& path() const { return path_; }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString path_;
};

}  // namespace korvanne::test
