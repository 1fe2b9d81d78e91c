#pragma once

#include <QDial>
#include <QPoint>

namespace korvanne {

// A rotary knob like the pedal's: 270 degrees of travel from the minimum at lower left,
// clockwise over the top to the maximum at lower right. It reports its pointer's angle in whole
// degrees (minimum -135, maximum -45, through 180 and 0). Drag up or right to turn it up, use the
// mouse wheel or the arrow keys (Page Up/Down for big steps, Home/End for the ends); the value
// shows on its face from 0.0 to 10.0. It is a QDial only so that the looks style it as one; it
// keeps its own angle and handles its own input. To assistive technology it is a dial named by
// its accessibleName whose value is the one on its face.
class KnobDial final : public QDial {
    Q_OBJECT
public:
    static constexpr int WheelStep = 5;  // positions per wheel notch
    static constexpr int PageStep = 27;  // a tenth of the travel

    explicit KnobDial(QWidget* parent = nullptr);

    int angle() const { return angle_; }
    // From code: shows the angle and says nothing.
    void setAngle(int angle);
    // 0 (minimum) to 269 (maximum).
    int position() const;
    // As a user's turn: moves and tells angleChanged when the position changes.
    void turnTo(int position);
    // A whole turn of a user's, from where the knob is to `position`: turnTo, then
    // turnFinished.
    void turnOnce(int position);
    // The value on its face, 0.0 to 10.0, as a number and as shown ("7.5"). Assistive technology
    // reads and sets the knob by it.
    double shownValue() const;
    QString valueText() const;

    QSize sizeHint() const override { return {46, 46}; }
    QSize minimumSizeHint() const override { return {32, 32}; }

Q_SIGNALS:
    // Only for a user's turn.
    void angleChanged(int angle);
    // A user's turn ended: a drag released, one wheel notch or one key press that moved the knob.
    // `fromAngle` is where that turn started.
    void turnFinished(int fromAngle);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Tells turnFinished when the knob moved away from `fromAngle`.
    void finishTurn(int fromAngle);
    // Tells assistive technology the value shown now.
    void announceValue();

    int angle_ = -135;
    bool dragging_ = false;
    QPoint pressAt_;
    int pressPosition_ = 0;
    int pressAngle_ = -135;
    int wheelRemainder_ = 0;
};

}  // namespace korvanne
