// How long the debug console takes to show a memory dump's burst of 16,384 log lines, against
// the goal of 100 ms for the whole burst, and against appending and scrolling line by line.

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>
#include <algorithm>
#include <ctime>
#include <functional>

#include "app/editor.h"
#include "console/tform_print.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/shell.h"
#include "app/main_controller.h"
#include "sim/sim_transport.h"
#include "transfer/erase_settings.h"

namespace {

constexpr int kLines = 16384;
constexpr double kGoalMs = 100.0;
constexpr int kRuns = 3;

QString dumpLine(int i) {
    return QString("EEPROM %1: %2")
        .arg(i, 4, 16, QLatin1Char('0'))
        .arg((i * 37) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

void waitExposed(QWidget& window) {
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
}

bool atEnd(QPlainTextEdit& view) {
    return view.verticalScrollBar()->value() == view.verticalScrollBar()->maximum();
}

// Best of a few runs: each run builds a fresh window, then times the burst until it is painted.
double bestMs(const std::function<double()>& run) {
    double best = run();
    for (int i = 1; i < kRuns; ++i) best = std::min(best, run());
    return best;
}

double consoleBurst(int linesPerEventLoopTurn) {
    korvanne::TformPrint console;
    waitExposed(console);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kLines; ++i) {
        console.ConsoleLog(dumpLine(i));
        if (linesPerEventLoopTurn > 0 && (i + 1) % linesPerEventLoopTurn == 0) {
            QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
    console.Memo1->viewport()->repaint();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (console.Memo1->document()->blockCount() != kLines || !atEnd(*console.Memo1)) {
        QTextStream(stderr) << "console burst did not end with every line in view\n";
    }
    return ms;
}

double naiveLineByLine() {
    QWidget window;
    window.resize(508, 676);
    auto* view = new QPlainTextEdit(&window);
    view->setGeometry(8, 62, 489, 606);
    view->setReadOnly(true);
    view->setUndoRedoEnabled(false);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    waitExposed(window);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kLines; ++i) {
        view->appendPlainText(dumpLine(i));
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    }
    QCoreApplication::processEvents();
    view->viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

void report(QTextStream& out, const QString& what, double ms) {
    out << what << "\n"
        << QString("  total %1 ms, %2 us per line, %3 x the %4 ms goal\n")
               .arg(ms, 0, 'f', 1)
               .arg(ms * 1000.0 / kLines, 0, 'f', 2)
               .arg(ms / kGoalMs, 0, 'f', 2)
               .arg(kGoalMs, 0, 'f', 0);
}

// The memory check's whole work on a dump that came in one read (collecting, 16,384 log lines
// through the shown console until painted, the verdict), in processor time, against 200 ms.
constexpr double kCheckGoalCpuMs = 200.0;

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

class QuietDialogs final : public korvanne::Dialogs {
public:
    bool confirm(const QString&, Default) override { return false; }
    void inform(const QString& text) override { last = text; }
    void warn(const QString& text) override { last = text; }
    QString openFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
    QString last;
};

class NoShell final : public korvanne::Shell {
public:
    bool openUrl(const QString&) override { return false; }
    bool startElevated(const QString&, const QStringList&) override { return false; }
};

double memoryCheckCpuMs() {
    QTemporaryDir home;
    korvanne::NullLog quiet;
    QuietDialogs dialogs;
    korvanne::VirtualClock clock;
    NoShell shell;
    korvanne::SimTransport transport(clock);
    korvanne::Editor editor(korvanne::Services{quiet, dialogs, clock, shell,
                                               korvanne::SettingsHome(home.path()), transport});
    korvanne::TformPrint& console = editor.console();
    waitExposed(console);
    std::vector<std::uint8_t> dump(1 + 16384, 0xFF);
    dump[0] = 0xAB;
    const double start = processCpuMs();
    editor.operations().eraseSettings().CheckMemoryDump(dump);
    QCoreApplication::processEvents();
    console.Memo1->viewport()->repaint();
    const double ms = processCpuMs() - start;
    if (dialogs.last != korvanne::EraseSettings::EmptyMessage ||
        console.Memo1->document()->blockCount() < kLines) {
        QTextStream(stderr) << "memory check did not log the dump and find it empty\n";
    }
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    out << kLines << " ConsoleLog lines, console shown, best of " << kRuns << " runs\n";

    const double burst = bestMs([] { return consoleBurst(0); });
    report(out, "console, one burst", burst);
    const double turns = bestMs([] { return consoleBurst(64); });
    report(out, "console, event loop every 64 lines", turns);
    const double naive = bestMs(naiveLineByLine);
    report(out, "baseline: appendPlainText and scroll per line", naive);
    out << QString("baseline / console burst: %1\n").arg(naive / burst, 0, 'f', 1);

    const double check = bestMs(memoryCheckCpuMs);
    out << QString("memory check of a whole dump: %1 ms processor time (goal %2 ms)\n")
               .arg(check, 0, 'f', 1)
               .arg(kCheckGoalCpuMs, 0, 'f', 0);
    out << QString("ratio memory_check_cpu_vs_goal %1\n").arg(check / kCheckGoalCpuMs, 0, 'f', 3);
    return 0;
}
