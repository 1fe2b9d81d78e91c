#include "effect/toggle_switch.h"

#include <QKeyEvent>
#include <QPainter>

namespace korvanne {

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const bool lit = isChecked() && isEnabled();
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal r = track.height() / 2;
    p.setPen(QPen(pal.color(QPalette::Shadow), 1));
    p.setBrush(lit ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid));
    p.drawRoundedRect(track, r, r);
    const qreal d = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - d : track.left() + 2;
    p.setBrush(isEnabled() ? pal.color(QPalette::Button) : pal.color(QPalette::Window));
    p.drawEllipse(QRectF(x, track.top() + 2, d, d));
    if (hasFocus()) {
        p.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0, 0, -0.5, -0.5), r + 1, r + 1);
    }
}

void ToggleSwitch::keyPressEvent(QKeyEvent* event) {
    const bool on = event->key() == Qt::Key_Right || event->key() == Qt::Key_Up;
    const bool off = event->key() == Qt::Key_Left || event->key() == Qt::Key_Down;
    if ((on && !isChecked()) || (off && isChecked())) {
        click();
        return;
    }
    if (on || off) return;
    QAbstractButton::keyPressEvent(event);
}

}  // namespace korvanne
