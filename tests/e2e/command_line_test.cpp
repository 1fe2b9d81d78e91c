// The two programs' command lines as a new user meets them: help and version work anywhere, and
// every mistake is a usage error with one exit status.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// Runs a program with no display at all.
Run run(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.closeWriteChannel();
    Run result;
    if (!process.waitForFinished(30'000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

const QString editor = QStringLiteral(KORVANNE_EDITOR_PATH);
const QString pedalSim = QStringLiteral(KORVANNE_PEDAL_SIM_PATH);

}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helpAndVersionWithoutADisplay_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("editor --help") << editor << QStringList{"--help"} << "--simulate";
        QTest::newRow("editor -h") << editor << QStringList{"-h"} << "--port <PATH>";
        QTest::newRow("editor --version") << editor << QStringList{"--version"} << "1.19.0.0";
        QTest::newRow("pedal sim --help") << pedalSim << QStringList{"--help"} << "--pull-after";
    }
    void helpAndVersionWithoutADisplay() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const Run r = run(program, arguments);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(expected), qPrintable(r.out));
        QVERIFY2(!r.err.contains("display"), qPrintable(r.err));
    }

    void usageErrors_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("editor, stray word")
            << editor << QStringList{"--simulate", "extra"} << "unexpected argument 'extra'";
        QTest::newRow("editor, unknown option")
            << editor << QStringList{"--frobnicate"} << "frobnicate";
        QTest::newRow("editor, missing value") << editor << QStringList{"--port"} << "port";
        QTest::newRow("sim, stray word")
            << pedalSim << QStringList{"extra"} << "unexpected argument 'extra'";
        QTest::newRow("sim, unknown option")
            << pedalSim << QStringList{"--frobnicate"} << "frobnicate";
        QTest::newRow("sim, missing value") << pedalSim << QStringList{"--firmware"} << "firmware";
        QTest::newRow("sim, bad number")
            << pedalSim << QStringList{"--firmware", "x"} << "--firmware wants a number";
        QTest::newRow("sim, unknown fault")
            << pedalSim << QStringList{"--fault", "gremlins"} << "unknown fault";
    }
    void usageErrors() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        const Run r = run(program, arguments);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(expected), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void editorWithoutADisplaySaysSo() {
        const Run r = run(editor, {"--simulate"});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains("needs a display"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "command_line_test.moc"
