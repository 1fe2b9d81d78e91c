#include "effect/knob_dial.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "effect/parameter_catalogue.h"
#include "effect/shown_values.h"

namespace korvanne {

namespace {

// QDial's own accessible interface reports QAbstractSlider::value(), which the knob does not use:
// this one reports the value on the knob's face and turns it as a user would.
class KnobDialAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit KnobDialAccessible(KnobDial* dial) : QAccessibleWidget(dial, QAccessible::Dial) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return dial()->valueText();
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return dial()->shownValue(); }
    void setCurrentValue(const QVariant& value) override {
        const double wanted = value.toDouble();
        if (!dial()->isEnabled() || !std::isfinite(wanted)) return;
        dial()->turnOnce(qRound(std::clamp(wanted, 0.0, 10.0) * (KnobPositions - 1) / 10.0));
    }
    QVariant maximumValue() const override { return 10.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 10.0 / (KnobPositions - 1); }

private:
    KnobDial* dial() const { return static_cast<KnobDial*>(widget()); }
};

QAccessibleInterface* knobDialAccessible(const QString& key, QObject* object) {
    if (key != QLatin1String(KnobDial::staticMetaObject.className())) return nullptr;
    auto* dial = qobject_cast<KnobDial*>(object);
    return dial ? new KnobDialAccessible(dial) : nullptr;
}

}  // namespace

KnobDial::KnobDial(QWidget* parent) : QDial(parent) {
    static const bool accessible = [] {
        QAccessible::installFactory(knobDialAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::WheelFocus);
    setCursor(Qt::SizeVerCursor);
    setMinimumSize(minimumSizeHint());
}

void KnobDial::setAngle(int angle) {
    if (angle == angle_) return;
    angle_ = angle;
    update();
    announceValue();
}

int KnobDial::position() const {
    return knobPositionFromAngle(angle_);
}

void KnobDial::turnTo(int position) {
    position = std::clamp(position, 0, KnobPositions - 1);
    if (position == this->position() && angle_ == knobAngleFromPosition(position)) return;
    angle_ = knobAngleFromPosition(position);
    update();
    announceValue();
    Q_EMIT angleChanged(angle_);
}

void KnobDial::turnOnce(int position) {
    const int from = angle_;
    turnTo(position);
    finishTurn(from);
}

double KnobDial::shownValue() const {
    return valueText().toDouble();
}

QString KnobDial::valueText() const {
    return QString::fromStdString(knobFaceText(position()));
}

void KnobDial::announceValue() {
    QAccessibleValueChangeEvent event(this, shownValue());
    QAccessible::updateAccessibility(&event);
}

void KnobDial::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const bool on = isEnabled();
    const qreal side = qMin(width(), height()) - 4;
    const QRectF ring((width() - side) / 2, (height() - side) / 2, side, side);
    const QPointF centre = ring.center();

    // Track of the whole travel and the part turned up.
    QPen track(pal.color(QPalette::Mid), 3, Qt::SolidLine, Qt::RoundCap);
    p.setPen(track);
    p.drawArc(ring, -45 * 16, 270 * 16);
    const int pos = position();
    if (pos > 0) {
        QPen level(on ? pal.color(QPalette::WindowText) : pal.color(QPalette::Mid), 3,
                   Qt::SolidLine, Qt::RoundCap);
        p.setPen(level);
        p.drawArc(ring, 225 * 16, -pos * 16);
    }

    // Body and pointer.
    const QRectF body = ring.adjusted(5, 5, -5, -5);
    p.setPen(QPen(pal.color(QPalette::Shadow), 1));
    p.setBrush(pal.color(QPalette::Window));
    p.drawEllipse(body);
    const qreal rad = qDegreesToRadians(qreal(angle_));
    const qreal outer = body.width() / 2 - 1;
    const qreal inner = outer * 0.45;
    const QPointF dir(qCos(rad), -qSin(rad));
    p.setPen(QPen(on ? pal.color(QPalette::WindowText) : pal.color(QPalette::Mid), 2, Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(centre + dir * inner, centre + dir * outer);

    // The value, as on a pedal's scale.
    QFont f = font();
    f.setPixelSize(qMax(8, int(side / 5)));
    p.setFont(f);
    p.setPen(on ? pal.color(QPalette::Text) : pal.color(QPalette::Mid));
    p.drawText(body, Qt::AlignCenter, valueText());

    if (hasFocus()) {
        p.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(ring.adjusted(-1, -1, 1, 1));
    }
}

void KnobDial::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDial::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    pressAt_ = event->position().toPoint();
    pressPosition_ = position();
    pressAngle_ = angle_;
    event->accept();
}

void KnobDial::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    // Up and right turn it up, a position per pixel: the whole travel within 270 pixels.
    const QPoint d = event->position().toPoint() - pressAt_;
    turnTo(pressPosition_ + d.x() - d.y());
    event->accept();
}

void KnobDial::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_) {
        QDial::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    finishTurn(pressAngle_);
    event->accept();
}

void KnobDial::finishTurn(int fromAngle) {
    if (angle_ != fromAngle) Q_EMIT turnFinished(fromAngle);
}

void KnobDial::wheelEvent(QWheelEvent* event) {
    // Whole notches turn by WheelStep; fine-grained wheels add up to them.
    wheelRemainder_ += event->angleDelta().y() + event->angleDelta().x();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    if (notches != 0) {
        const int from = angle_;
        turnTo(position() + notches * WheelStep);
        finishTurn(from);
    }
    event->accept();
}

void KnobDial::keyPressEvent(QKeyEvent* event) {
    const int from = angle_;
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Right:
            turnTo(position() + 1);
            break;
        case Qt::Key_Down:
        case Qt::Key_Left:
            turnTo(position() - 1);
            break;
        case Qt::Key_PageUp:
            turnTo(position() + PageStep);
            break;
        case Qt::Key_PageDown:
            turnTo(position() - PageStep);
            break;
        case Qt::Key_Home:
            turnTo(0);
            break;
        case Qt::Key_End:
            turnTo(KnobPositions - 1);
            break;
        default:
            QDial::keyPressEvent(event);
            return;
    }
    finishTurn(from);
    event->accept();
}

}  // namespace korvanne
