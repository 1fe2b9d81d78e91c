// The stock stm32flash tool, an independent client of the STM32 bootloader protocol, writes an
// image into korvanne-pedal-sim's bootloader over its pseudo-terminal and reads it back; the
// simulator records every byte it received. stm32flash needs 8n1 there: a pseudo-terminal has
// no parity bit, and glibc reports an error when asked for one.
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "pedal_sim_process.h"
#include "test_files.h"

using namespace korvanne::test;

namespace {

QByteArray image(int size) {
    QByteArray bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = char(state >> 24);
    }
    return bytes;
}

// Runs stm32flash on the port; returns its exit code and leaves its output in `output`.
int stm32flash(const QString& port, const QStringList& arguments, QString& output) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("stm32flash", QStringList{"-b", "115200", "-m", "8n1"} + arguments + QStringList{port});
    if (!p.waitForFinished(120'000)) {
        p.kill();
        p.waitForFinished();
        output = "timed out: " + QString::fromLocal8Bit(p.readAll());
        return -1;
    }
    output = QString::fromLocal8Bit(p.readAll());
    return p.exitCode();
}

}  // namespace

class Stm32flashTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesAndReadsBack() {
        if (QStandardPaths::findExecutable("stm32flash").isEmpty()) {
            QFAIL("stm32flash is not installed; scripts/ensure-deps.sh installs it");
        }
        QTemporaryDir dir;
        const QString in = dir.filePath("in.bin");
        const QString out = dir.filePath("out.bin");
        const QString record = dir.filePath("record.bin");
        const QByteArray bytes = image(10'000);
        QVERIFY(writeBytes(in, bytes));

        PedalSimProcess sim(KORVANNE_PEDAL_SIM_PATH,
                            {"--bootloader", "--no-pacing", "--record", record});
        QVERIFY2(sim.path().startsWith("/dev/"), qPrintable(sim.path()));
        QString output;
        QCOMPARE(stm32flash(sim.path(), {"-w", in, "-v", "-S", "0x08000000"}, output), 0);
        QVERIFY2(output.contains("0x0410"), qPrintable(output));
        // A second session finds the bootloader synchronised (it refuses 0x7F) and goes on.
        QCOMPARE(stm32flash(sim.path(), {"-r", out, "-S", "0x08000000:10000"}, output), 0);
        QCOMPARE(readBytes(out), bytes);

        // The record holds every byte stm32flash sent, from the first synchronisation on.
        const QByteArray recorded = readBytes(record);
        QVERIFY(recorded.startsWith(char(0x7F)));
        QVERIFY(recorded.contains(bytes.left(256)));
        QCOMPARE(recorded.count(QByteArray::fromHex("31CE")) >= 40, true);
    }
};

QTEST_MAIN(Stm32flashTest)
#include "stm32flash_test.moc"
