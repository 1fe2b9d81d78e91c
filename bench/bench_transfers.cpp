// The firmware upgrade and the algorithm upload against their wire-time bounds. Real clock,
// korvanne-pedal-sim on a pseudo-terminal paced at 115200 baud (an answer leaves only once its
// command has crossed), the serial backend and the editor's own windows and operations. Each
// figure is printed as `ratio NAME VALUE`.
//   firmware-upgrade-erase-to-go   erase command to Go's acknowledge / wire time (goal <= 1.05)
//   firmware-upgrade-button-to-restart  the whole button click, with its fixed pauses and the
//                                  status request after the restart / its bound (goal <= 1.10)
//   firmware-upgrade-cpu-vs-100ms  processor time of an unpaced upgrade (in-process pedal,
//                                  virtual time) / 100 ms (goal < 1)
//   algorithm-upload               click to the refreshed status / wire time + fixed pauses
//   algorithm-upload-cpu-vs-10ms   processor time of an unpaced upload / 10 ms
#include <time.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/editor.h"
#include "app/main_controller.h"
#include "app/tform_main.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/shell.h"
#include "device/serial_transport.h"
#include "sim/built_in_pedal.h"
#include "sim/sim_transport.h"
#include "transfer/firmware_upgrade.h"
#include "transfer/tform_firmware_upgrade.h"

using namespace korvanne;

namespace {

constexpr double Baud = 115200.0;

// Says yes to every question; information boxes go to stderr when they are not expected.
class YesDialogs final : public Dialogs {
public:
    bool confirm(const QString&, Default) override { return true; }
    void inform(const QString& text) override { messages << text; }
    void warn(const QString& text) override { messages << text; }
    QString openFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QStringList messages;
};

class NoShell final : public Shell {
public:
    bool openUrl(const QString&) override { return true; }
    bool startElevated(const QString&, const QStringList&) override { return true; }
};

// Counts the bytes that cross, each at the bits per byte of the line set when it crossed.
class CountingTransport final : public Transport {
public:
    explicit CountingTransport(Transport& inner) : inner_(inner) {}
    double wireBits = 0;
    int bitsPerByte = 10;

    FtStatus deviceCount(std::uint32_t& c) override { return inner_.deviceCount(c); }
    FtStatus serialNumber(std::uint32_t i, std::string& s) override {
        return inner_.serialNumber(i, s);
    }
    FtStatus description(std::uint32_t i, std::string& d) override {
        return inner_.description(i, d);
    }
    FtStatus openBySerialNumber(const std::string& s, FtHandle& h) override {
        return inner_.openBySerialNumber(s, h);
    }
    FtStatus close(FtHandle h) override { return inner_.close(h); }
    FtStatus setBaudRate(FtHandle h, std::uint32_t b) override { return inner_.setBaudRate(h, b); }
    FtStatus setDataCharacteristics(FtHandle h, std::uint8_t w, std::uint8_t s,
                                    std::uint8_t p) override {
        bitsPerByte = 1 + w + (p ? 1 : 0) + (s == 2 ? 2 : 1);
        return inner_.setDataCharacteristics(h, w, s, p);
    }
    FtStatus purge(FtHandle h, std::uint32_t m) override { return inner_.purge(h, m); }
    FtStatus queueStatus(FtHandle h, std::uint32_t& w) override { return inner_.queueStatus(h, w); }
    FtStatus read(FtHandle h, std::uint8_t* b, std::uint32_t c, std::uint32_t& n) override {
        const FtStatus s = inner_.read(h, b, c, n);
        wireBits += double(n) * bitsPerByte;
        return s;
    }
    FtStatus write(FtHandle h, const std::uint8_t* b, std::uint32_t c, std::uint32_t& n) override {
        const FtStatus s = inner_.write(h, b, c, n);
        wireBits += double(n) * bitsPerByte;
        return s;
    }

private:
    Transport& inner_;
};

struct PtyPedal {
    QProcess process;
    QString port;
    explicit PtyPedal(const QStringList& arguments) {
        process.start(KORVANNE_PEDAL_SIM_PATH, arguments);
        QDeadlineTimer deadline(10'000);
        while (!process.canReadLine() && !deadline.hasExpired()) process.waitForReadyRead(100);
        port = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~PtyPedal() {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) process.kill();
    }
};

// The editor with what a measurement needs of its seams; the start-up version check is stopped,
// so nothing asks the maker's server while measuring.
struct BenchEditor {
    NullLog log;
    YesDialogs dialogs;
    NoShell shell;
    std::unique_ptr<Editor> editor;

    void start(Clock& clock, const QString& home, Transport& transport) {
        editor = std::make_unique<Editor>(
            Services{log, dialogs, clock, shell, SettingsHome(home), transport});
        editor->controller().operations().TimerCheckWebVersion().stop();
    }
};

// ... linked through the serial backend to korvanne-pedal-sim on its pseudo-terminal, paced at
// the line speed, on the real clock, counting what crosses the wire.
struct PacedEditor : BenchEditor {
    PtyPedal pedal;
    SerialTransport serial;
    CountingTransport counting{serial};
    RealClock clock;

    PacedEditor(const QStringList& simArguments, const QString& home) : pedal(simArguments) {
        serial.setUsbBridgesListed(false);
        serial.addPortPath(pedal.port);
        start(clock, home, counting);
    }
    ~PacedEditor() { editor.reset(); }  // before the clock and the line it uses
    PacedEditor(const PacedEditor&) = delete;
    PacedEditor& operator=(const PacedEditor&) = delete;
};

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void ratio(const char* name, double value) {
    std::printf("ratio %s %.3f\n", name, value);
    std::fflush(stdout);
}

bool reportUnexpected(const YesDialogs& dialogs, const QStringList& expected) {
    if (dialogs.messages == expected) return true;
    std::fprintf(stderr, "unexpected messages: %s\n", qPrintable(dialogs.messages.join(" | ")));
    return false;
}

// The upgrade over the pseudo-terminal: the legacy way in, then the button.
bool pacedUpgrade(const QString& home) {
    PacedEditor paced({"--bootloader", "--firmware", "8", "--baud", "115200"}, home);
    Editor& editor = *paced.editor;
    YesDialogs& dialogs = paced.dialogs;
    CountingTransport& counting = paced.counting;
    RealClock& clock = paced.clock;
    editor.main().action("menuFirmwareUpgradeMode")->trigger();
    editor.main().action("menuScan")->trigger();
    if (!reportUnexpected(dialogs, {"Connection to bootloader succeeded, ready for firmware "
                                    "upgrade"})) {
        return false;
    }
    dialogs.messages.clear();
    FirmwareUpgrade& upgrade = editor.operations().firmwareUpgrade();
    counting.wireBits = 0;
    const std::int64_t start = clock.nowUs();
    editor.firmwareUpgrade().findChild<QPushButton*>("btnUpgradeFirmware")->click();
    const double elapsedS = double(clock.nowUs() - start) / 1e6;
    if (!reportUnexpected(dialogs, {FirmwareUpgrade::CompleteMessage})) return false;

    const double eraseToGoBound = double(upgrade.eraseToGoBytes) * 11.0 / Baud;
    ratio("firmware-upgrade-erase-to-go", double(upgrade.eraseToGoUs) / 1e6 / eraseToGoBound);
    // Fixed pauses: 10 ms before the completion message, 200 ms after the status request (the
    // status reply crosses within it).
    const double statusRequestS = 2 * 10.0 / Baud;
    const double bound = eraseToGoBound + 0.010 + statusRequestS + 0.200;
    ratio("firmware-upgrade-button-to-restart", elapsedS / bound);
    std::fprintf(stderr, "upgrade: erase to Go %.3f s for %llu bytes (wire %.3f s); click %.3f s\n",
                 double(upgrade.eraseToGoUs) / 1e6,
                 static_cast<unsigned long long>(upgrade.eraseToGoBytes), eraseToGoBound, elapsedS);
    return true;
}

bool pacedUpload(const QString& home) {
    PacedEditor paced({"--baud", "115200"}, home);
    Editor& editor = *paced.editor;
    YesDialogs& dialogs = paced.dialogs;
    CountingTransport& counting = paced.counting;
    RealClock& clock = paced.clock;
    editor.main().action("menuScan")->trigger();
    if (!reportUnexpected(dialogs, {})) return false;
    counting.wireBits = 0;
    const std::int64_t start = clock.nowUs();
    editor.main().findChild<QPushButton*>("btnUpload")->click();
    const double elapsedS = double(clock.nowUs() - start) / 1e6;
    if (!reportUnexpected(dialogs, {})) return false;
    // Wire: bypass, image, the 14-byte answer and the status request, 10 bits a byte; the status
    // reply crosses within the 200 ms pause after the request. Fixed: 40 ms after the bypass and
    // the 100 ms quiet window that ends the answer.
    const double bytes = 2.0 + double(builtInAlgorithmImage(14).size()) + 14.0 + 2.0;
    const double bound = bytes * 10.0 / Baud + 0.040 + 0.100 + 0.200;
    ratio("algorithm-upload", elapsedS / bound);
    std::fprintf(stderr, "upload: %.3f s (wire %.3f s)\n", elapsedS, counting.wireBits / Baud);
    return true;
}

// Processor time on the in-process pedal, unpaced, on virtual time.
bool unpacedCpu(const QString& home) {
    VirtualClock clock;
    {
        SimTransport sim(clock);
        PedalOptions bootOptions;
        bootOptions.pacing = false;
        bootOptions.startInBootloader = true;
        bootOptions.firmware = 8;
        sim.addPedal(bootOptions);
        BenchEditor bench;
        bench.start(clock, home, sim);
        Editor& editor = *bench.editor;
        editor.main().action("menuFirmwareUpgradeMode")->trigger();
        editor.main().action("menuScan")->trigger();
        bench.dialogs.messages.clear();
        const double before = cpuMs();
        editor.firmwareUpgrade().findChild<QPushButton*>("btnUpgradeFirmware")->click();
        const double spent = cpuMs() - before;
        if (!reportUnexpected(bench.dialogs, {FirmwareUpgrade::CompleteMessage})) return false;
        ratio("firmware-upgrade-cpu-vs-100ms", spent / 100.0);
        std::fprintf(stderr, "upgrade processor time: %.1f ms\n", spent);
        bench.editor.reset();
    }
    SimTransport sim(clock);
    PedalOptions linked;
    linked.pacing = false;
    linked.image = builtInAlgorithmImage(14);
    sim.addPedal(linked);
    BenchEditor bench;
    bench.start(clock, home, sim);
    bench.editor->main().action("menuScan")->trigger();
    bench.dialogs.messages.clear();
    const double before = cpuMs();
    bench.editor->main().findChild<QPushButton*>("btnUpload")->click();
    const double spent = cpuMs() - before;
    if (!reportUnexpected(bench.dialogs, {})) return false;
    ratio("algorithm-upload-cpu-vs-10ms", spent / 10.0);
    std::fprintf(stderr, "upload processor time: %.2f ms\n", spent);
    bench.editor.reset();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir home;
    bool ok = unpacedCpu(home.path());
    ok = pacedUpgrade(home.path()) && ok;
    ok = pacedUpload(home.path()) && ok;
    return ok ? 0 : 1;
}
