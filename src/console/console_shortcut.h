#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

class QKeyEvent;

namespace korvanne {

// The key that opens the debug console: P with both Ctrl and Shift held. Other modifiers (Alt,
// Meta) are not examined.
bool isConsoleShortcut(const QKeyEvent& event);

// The windows' key-down step for the console key: shows the console (if hidden) and consumes
// the key. Returns true when the key was the console key.
bool showConsoleOnShortcut(QKeyEvent& event, QWidget& console);

// Opens the console on its key from anywhere inside the watched windows, before the control with
// the focus sees the key (a list or a text field would otherwise take the P). Install on the
// application: qApp->installEventFilter(&shortcut).
class ConsoleShortcut final : public QObject {
    Q_OBJECT

public:
    explicit ConsoleShortcut(QWidget& console, QObject* parent = nullptr);
    // The key works while the focus is in this window or one of its controls.
    void watch(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> console_;
    std::vector<QPointer<QWidget>> windows_;
};

}  // namespace korvanne
