// Draws the picture at the top of the README: the main window and the effect window linked to
// the built-in simulated pedal, side by side, in the look given (1 by default). Run through
// scripts/make-readme-picture.sh, which sets the offscreen platform; nothing is asked and
// nothing is written but the picture (the settings live in a temporary folder).
#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

#include "app/editor.h"
#include "app/tform_main.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/shell.h"
#include "effect/knob_dial.h"
#include "effect/tform_fx_settings.h"
#include "operations/pedal_operations.h"
#include "sim/built_in_pedal.h"
#include "sim/sim_transport.h"

namespace {

using namespace korvanne;

// No one answers: every question is No, every message is dropped.
class NobodyAsked final : public Dialogs {
public:
    bool confirm(const QString&, Default) override { return false; }
    void inform(const QString&) override {}
    void warn(const QString&) override {}
    QString openFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
};

class NoShell final : public Shell {
public:
    bool openUrl(const QString&) override { return false; }
    bool startElevated(const QString&, const QStringList&) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: korvanne-readme-picture OUT.png [LOOK]\n");
        return 2;
    }
    QTemporaryDir home;
    VirtualClock clock;
    NobodyAsked dialogs;
    NoShell shell;
    NullLog log;
    std::unique_ptr<Transport> pedal = makeBuiltInSimulatedPedal(clock);
    Services services{log, dialogs, clock, shell, SettingsHome(home.path()), *pedal};
    Editor editor(services);
    editor.operations().TimerCheckWebVersion().stop();
    TformMain& main = editor.main();
    if (args.size() == 3) {
        const QList<QAction*> looks = main.lookItems();
        const int look = args[2].toInt() - 1;
        if (look < 0 || look >= looks.size()) {
            std::fprintf(stderr, "korvanne-readme-picture: no look %s\n", qPrintable(args[2]));
            return 2;
        }
        looks[look]->trigger();
    }
    main.show();
    main.action("menuScan")->trigger();
    clock.advance(300);
    // A sound being shaped: a few knobs away from where a new pedal has them.
    TformFXsettings& fx = editor.fxSettings();
    fx.knob(Knob::dialDry)->turnTo(175);
    fx.knob(Knob::dialMinus1Oct)->turnTo(200);
    fx.knob(Knob::dialLowPass)->turnTo(120);
    clock.advance(300);
    QApplication::processEvents();

    const QPixmap left = main.grab();
    const QPixmap right = fx.grab();
    constexpr int Margin = 16;
    QPixmap picture(left.width() + right.width() + 3 * Margin,
                    std::max(left.height(), right.height()) + 2 * Margin);
    picture.fill(QColor(0xE8, 0xE8, 0xE8));
    QPainter paint(&picture);
    paint.setPen(QColor(0xA0, 0xA0, 0xA0));
    const auto framed = [&](int x, const QPixmap& window) {
        paint.drawPixmap(x, Margin, window);
        paint.drawRect(x - 1, Margin - 1, window.width() + 1, window.height() + 1);
    };
    framed(Margin, left);
    framed(2 * Margin + left.width(), right);
    paint.end();
    if (!picture.save(args[1])) {
        std::fprintf(stderr, "korvanne-readme-picture: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
