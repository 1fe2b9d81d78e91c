#pragma once

#include <QAbstractButton>

namespace korvanne {

// An on/off switch: a rounded track with a thumb that sits right and lit when on. A click, the
// space bar or the arrow keys flip it.
class ToggleSwitch final : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {36, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace korvanne
