#include <QCheckBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>
#include <memory>

#include "console/tform_print.h"

using korvanne::TformPrint;

namespace {

QScrollBar* vbar(TformPrint& console) {
    return console.Memo1->verticalScrollBar();
}
QScrollBar* hbar(TformPrint& console) {
    return console.Memo1->horizontalScrollBar();
}

bool atEnd(TformPrint& console) {
    return vbar(console)->maximum() > 0 && vbar(console)->value() == vbar(console)->maximum();
}

void logLines(TformPrint& console, int count, const QString& prefix = "line ") {
    for (int i = 0; i < count; ++i) console.ConsoleLog(prefix + QString::number(i));
}

void appendLines(TformPrint& console, int count, const QString& prefix = "append ") {
    for (int i = 0; i < count; ++i) console.ConsoleAppend(prefix + QString::number(i));
}

void setScroll(TformPrint& console, bool on) {
    if (console.CheckBox1->isChecked() != on) console.CheckBox1->click();
}

// A small script of console calls, run either line by line (flushed after every call) or as
// one burst (flushed once at the end):
//   L<n> ConsoleLog n lines, A<n> ConsoleAppend n lines, S0/S1 "scroll" off/on,
//   W ConsoleAppend a line wider than the view, R view scrolled fully right (the width of the
//   text is known once the lines in view are laid out).
void runScript(TformPrint& console, const QString& script, bool lineByLine) {
    const auto step = [&] {
        if (lineByLine) console.flush();
    };
    for (const QString& op : script.split(' ', Qt::SkipEmptyParts)) {
        const QChar kind = op.at(0);
        const int n = op.size() > 1 ? op.mid(1).toInt() : 0;
        if (kind == 'L') {
            for (int i = 0; i < n; ++i, step()) console.ConsoleLog("log " + QString::number(i));
        } else if (kind == 'A') {
            for (int i = 0; i < n; ++i, step()) console.ConsoleAppend("app " + QString::number(i));
        } else if (kind == 'S') {
            setScroll(console, n != 0);
        } else if (kind == 'W') {
            console.ConsoleAppend(QString(600, 'w'));
            step();
        } else if (kind == 'R') {
            console.flush();
            console.Memo1->viewport()->repaint();  // lays out the lines in view
            hbar(console)->setValue(hbar(console)->maximum());
        }
    }
}

}  // namespace

class ConsoleLogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createdHiddenWithItsControls() {
        TformPrint console;
        QVERIFY(!console.isVisible());
        QCOMPARE(console.windowTitle(), QString("Debug Console"));
        QCOMPARE(console.size(), QSize(508, 676));
        QVERIFY(console.ConsoleAutoScroll());
        QVERIFY(console.findChild<QPlainTextEdit*>("Memo1")->isReadOnly());
        QCOMPARE(console.findChild<QPushButton*>("btnClear")->text(), QString("Clear"));
        QCOMPARE(console.findChild<QPushButton*>("btnScrollTop")->text(), QString("UP"));
        auto* check = console.findChild<QCheckBox*>("CheckBox1");
        QCOMPARE(check->text(), QString("scroll"));
        QVERIFY(check->isChecked());
        QVERIFY(console.lines().isEmpty());
    }

    void logLineFollowsTheScrollSwitch_data() {
        QTest::addColumn<bool>("scroll");
        QTest::newRow("scroll checked: view goes to the end") << true;
        QTest::newRow("scroll unchecked: view stays") << false;
    }
    void logLineFollowsTheScrollSwitch() {
        QFETCH(bool, scroll);
        TformPrint console;
        appendLines(console, 300);
        console.flush();
        QVERIFY(vbar(console)->maximum() > 0);
        QCOMPARE(vbar(console)->value(), 0);

        setScroll(console, scroll);
        QCOMPARE(console.ConsoleAutoScroll(), scroll);
        console.ConsoleLog("newest");
        console.flush();

        QCOMPARE(atEnd(console), scroll);
        if (!scroll) QCOMPARE(vbar(console)->value(), 0);
        QCOMPARE(console.lines().size(), 301);
        QCOMPARE(console.lines().last(), QString("newest"));
    }

    void linesReachTheLogWhenTheEventLoopRuns() {
        TformPrint console;
        appendLines(console, 200);
        console.ConsoleLog("last");
        QCoreApplication::processEvents();
        QCOMPARE(console.pendingCount(), 0);
        QCOMPARE(console.Memo1->document()->blockCount(), 201);
        QVERIFY(console.Memo1->toPlainText().endsWith("\nlast"));
        QVERIFY(atEnd(console));
    }

    void appendNeverMovesTheView_data() {
        QTest::addColumn<bool>("scroll");
        QTest::addColumn<QString>("where");
        QTest::newRow("at the top, scroll on") << true << "top";
        QTest::newRow("in the middle, scroll on") << true << "middle";
        QTest::newRow("at the end, scroll on") << true << "end";
        QTest::newRow("at the end, scroll off") << false << "end";
    }
    void appendNeverMovesTheView() {
        QFETCH(bool, scroll);
        QFETCH(QString, where);
        TformPrint console;
        logLines(console, 300);
        console.flush();
        QVERIFY(atEnd(console));
        if (where == "top") vbar(console)->setValue(0);
        if (where == "middle") vbar(console)->setValue(vbar(console)->maximum() / 2);
        setScroll(console, scroll);
        const int before = vbar(console)->value();
        const int maxBefore = vbar(console)->maximum();

        appendLines(console, 100);
        console.flush();

        QCOMPARE(vbar(console)->value(), before);
        QCOMPARE(vbar(console)->maximum(), maxBefore + 100);
        QCOMPARE(console.lines().size(), 400);
    }

    void newestLineStaysInViewWhenTheTextAreaChanges_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("a wide line brings up the horizontal bar") << "wide line";
        QTest::newRow("lines logged while hidden, then shown") << "shown";
        QTest::newRow("larger letters") << "font";
    }
    void newestLineStaysInViewWhenTheTextAreaChanges() {
        QFETCH(QString, change);
        TformPrint console;
        if (change != "shown") {
            console.show();
            QVERIFY(QTest::qWaitForWindowExposed(&console));
        }
        logLines(console, 300);
        if (change == "wide line") console.ConsoleLog(QString(600, 'w'));
        console.flush();
        QVERIFY(atEnd(console));
        if (change == "shown") {
            console.show();
            QVERIFY(QTest::qWaitForWindowExposed(&console));
        }
        if (change == "font") console.Memo1->setFont(QFont(console.Memo1->font().family(), 30));
        QCoreApplication::processEvents();
        QVERIFY(atEnd(console));

        // Once the reader scrolls away from the end, the view is left alone.
        vbar(console)->setValue(10);
        console.Memo1->setFont(QFont(console.Memo1->font().family(), 40));
        QCoreApplication::processEvents();
        QCOMPARE(vbar(console)->value(), 10);
    }

    void clearThenOneLineLeavesThatLine() {
        TformPrint console;
        logLines(console, 50);
        console.flush();
        logLines(console, 10, "queued ");  // not yet in the view
        console.btnClear->click();
        QVERIFY(console.lines().isEmpty());
        QVERIFY(console.ConsoleAutoScroll());

        console.ConsoleLog("only");
        QCOMPARE(console.lines(), QStringList{"only"});
        QCOMPARE(console.Memo1->toPlainText(), QString("only"));
    }

    void upShowsTheFirstLineUntilTheNextLogLine() {
        TformPrint console;
        logLines(console, 300);  // still queued when UP is pressed
        console.btnScrollTop->click();
        QCOMPARE(console.lines().size(), 300);
        QVERIFY(vbar(console)->maximum() > 0);
        QCOMPARE(vbar(console)->value(), 0);

        console.ConsoleAppend("appended");
        console.flush();
        QCOMPARE(vbar(console)->value(), 0);

        console.ConsoleLog("logged");
        console.flush();
        QVERIFY(atEnd(console));
    }

    void linesAreKeptExactlyAsPassed_data() {
        QTest::addColumn<QStringList>("input");
        QTest::newRow("one empty line") << QStringList{""};
        QTest::newRow("two empty lines") << QStringList{"", ""};
        QTest::newRow("empty line after text") << QStringList{"a", ""};
        QTest::newRow("empty line first") << QStringList{"", "b"};
        QTest::newRow("blanks, tabs, non-ASCII")
            << QStringList{"  spaced  ", "tab\there", "Größe 5 µs", "received Byte: 0x0A"};
    }
    void linesAreKeptExactlyAsPassed() {
        QFETCH(QStringList, input);
        TformPrint console;
        for (int i = 0; i < input.size(); ++i) {
            // Alternate the two ways in: both store the text alike.
            if (i % 2) {
                console.ConsoleAppend(input[i]);
            } else {
                console.ConsoleLog(input[i]);
            }
        }
        QCOMPARE(console.lines(), input);
        QCOMPARE(console.Memo1->document()->blockCount(), input.size());

        console.btnClear->click();
        console.ConsoleLog("");
        QCOMPARE(console.lines(), QStringList{""});
    }

    void closingHidesAndKeepsTheLines() {
        auto console = std::make_unique<TformPrint>();
        QPointer<TformPrint> alive(console.get());
        console->show();
        QVERIFY(QTest::qWaitForWindowExposed(console.get()));
        logLines(*console, 3);
        QCOMPARE(console->lines().size(), 3);

        QVERIFY(console->close());
        QVERIFY(alive);
        QVERIFY(!console->isVisible());
        QVERIFY(!console->testAttribute(Qt::WA_QuitOnClose));

        console->ConsoleLog("while hidden");
        console->show();
        QVERIFY(QTest::qWaitForWindowExposed(console.get()));
        QCOMPARE(console->lines(), (QStringList{"line 0", "line 1", "line 2", "while hidden"}));
    }

    void shownWithinTheScreen() {
        TformPrint console;
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));
        const QRect avail = console.screen()->availableGeometry();
        QVERIFY2(avail.contains(console.geometry()),
                 qPrintable(QString("console at %1,%2 outside %3x%4")
                                .arg(console.x())
                                .arg(console.y())
                                .arg(avail.width())
                                .arg(avail.height())));
    }

    void burstEndsLikeLineByLine_data() {
        QTest::addColumn<QString>("script");
        QTest::newRow("log lines then appended lines") << "L300 A80";
        QTest::newRow("appended lines then log lines") << "A80 L300";
        QTest::newRow("interleaved") << "L100 A5 L100 A50 L1 A30";
        QTest::newRow("scroll switched off midway") << "L200 S0 L100 A20";
        QTest::newRow("scroll off, then on for a few") << "S0 L200 S1 L10 A40 S0 L30";
        QTest::newRow("appended only") << "A400";
        QTest::newRow("view right, appended lines keep it") << "A100 W A50 R A20";
        QTest::newRow("view right, a log line brings it left") << "A100 W A50 R A20 L5 A5";
        QTest::newRow("memory dump size") << "L3 A2 L16384 A3";
    }
    void burstEndsLikeLineByLine() {
        QFETCH(QString, script);
        TformPrint stepwise;
        stepwise.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stepwise));
        runScript(stepwise, script, true);

        TformPrint burst;
        burst.show();
        QVERIFY(QTest::qWaitForWindowExposed(&burst));
        runScript(burst, script, false);
        QVERIFY(burst.pendingCount() > 0);
        // The burst lands when the event loop gets its turn; both windows settle their layout.
        QCoreApplication::processEvents();
        QCOMPARE(burst.pendingCount(), 0);

        QCOMPARE(burst.lines(), stepwise.lines());
        QCOMPARE(vbar(burst)->maximum(), vbar(stepwise)->maximum());
        QCOMPARE(vbar(burst)->value(), vbar(stepwise)->value());
        QCOMPARE(hbar(burst)->value(), hbar(stepwise)->value());
    }
};

QTEST_MAIN(ConsoleLogTest)
#include "console_log_test.moc"
