#include "console/console_shortcut.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

using korvanne::ConsoleShortcut;

namespace {
// A control that counts the letter keys it is given (modifier keys come as presses too).
class KeyCounter : public QLineEdit {
public:
    int presses = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) ++presses;
        QLineEdit::keyPressEvent(event);
    }
};
}  // namespace

class ConsoleShortcutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onlyCtrlShiftPOpensTheConsole_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("watched");
        QTest::addColumn<bool>("opens");
        const int ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("P") << int(Qt::Key_P) << int(Qt::NoModifier) << true << false;
        QTest::newRow("Ctrl+P") << int(Qt::Key_P) << int(Qt::ControlModifier) << true << false;
        QTest::newRow("Shift+P") << int(Qt::Key_P) << int(Qt::ShiftModifier) << true << false;
        QTest::newRow("Ctrl+Shift+O") << int(Qt::Key_O) << ctrlShift << true << false;
        QTest::newRow("Ctrl+Shift+P") << int(Qt::Key_P) << ctrlShift << true << true;
        QTest::newRow("Ctrl+Shift+Alt+P")
            << int(Qt::Key_P) << int(ctrlShift | Qt::AltModifier) << true << true;
        QTest::newRow("Ctrl+Shift+P in a window without the key")
            << int(Qt::Key_P) << ctrlShift << false << false;
    }
    void onlyCtrlShiftPOpensTheConsole() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, watched);
        QFETCH(bool, opens);

        QWidget console;
        QWidget window;
        auto* field = new KeyCounter;
        new QVBoxLayout(&window);
        window.layout()->addWidget(field);
        ConsoleShortcut shortcut(console);
        if (watched) shortcut.watch(&window);
        qApp->installEventFilter(&shortcut);

        QTest::keyClick(field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(console.isVisible(), opens);
        // The console key is consumed: the control with the focus never sees it; other keys
        // reach it as usual.
        QCOMPARE(field->presses, opens ? 0 : 1);
        qApp->removeEventFilter(&shortcut);
    }

    void keyWhileShownChangesNothing() {
        QWidget console;
        QWidget window;
        ConsoleShortcut shortcut(console);
        shortcut.watch(&window);
        qApp->installEventFilter(&shortcut);
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));

        QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(console.isVisible());
        qApp->removeEventFilter(&shortcut);
    }
};

QTEST_MAIN(ConsoleShortcutTest)
#include "console_shortcut_test.moc"
