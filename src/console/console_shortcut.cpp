#include "console/console_shortcut.h"

#include <QKeyEvent>
#include <algorithm>

namespace korvanne {

bool isConsoleShortcut(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    return event.key() == Qt::Key_P && mods.testFlag(Qt::ControlModifier) &&
           mods.testFlag(Qt::ShiftModifier);
}

bool showConsoleOnShortcut(QKeyEvent& event, QWidget& console) {
    if (!isConsoleShortcut(event)) return false;
    if (!console.isVisible()) console.show();
    event.accept();
    return true;
}

ConsoleShortcut::ConsoleShortcut(QWidget& console, QObject* parent)
    : QObject(parent), console_(&console) {}

void ConsoleShortcut::watch(QWidget* window) {
    if (window) windows_.emplace_back(window);
}

bool ConsoleShortcut::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+Shift+P may first arrive as a shortcut override; claiming it keeps any control's own
    // shortcut from taking it.
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) || !console_ ||
        !watched->isWidgetType()) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (!isConsoleShortcut(*key)) return false;
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    const bool inWatched =
        std::any_of(windows_.begin(), windows_.end(),
                    [window](const QPointer<QWidget>& w) { return w == window; });
    if (!inWatched) return false;
    if (type == QEvent::ShortcutOverride) {
        // Accepting the override makes the key arrive as a plain key press.
        key->accept();
        return true;
    }
    return showConsoleOnShortcut(*key, *console_);
}

}  // namespace korvanne
