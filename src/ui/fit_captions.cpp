#include "ui/fit_captions.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QVariant>
#include <algorithm>

namespace korvanne {

namespace {

constexpr const char* DesignedPlace = "korvanneDesignedGeometry";

// The width the caption's text needs, or 0 for a widget that shows none here.
int neededWidth(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText) {
            return 0;
        }
        int widest = 0;
        for (const QString& line : QString(label->text()).remove('&').split('\n')) {
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        }
        const int frame = label->width() - label->contentsRect().width();
        return widest + frame + 2 * label->margin();
    }
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        return static_cast<QAbstractButton*>(w)->text().isEmpty() ? 0 : w->sizeHint().width();
    }
    return 0;
}

Qt::Alignment horizontalAlignment(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->alignment() & Qt::AlignHorizontal_Mask;
    return Qt::AlignLeft;
}

// The area a caption designed at `place` must stay in: the inside of a panel drawn around it, or
// its parent's.
QRect boundsOf(QWidget* w, const QRect& place) {
    QWidget* parent = w->parentWidget();
    for (QObject* o : parent->children()) {
        auto* panel = qobject_cast<QFrame*>(o);
        if (!panel || panel == w || qobject_cast<QLabel*>(panel) || !panel->isVisibleTo(parent))
            continue;
        if (panel->frameShape() == QFrame::NoFrame || !panel->geometry().contains(place)) continue;
        const int edge = panel->frameWidth() + 1;
        return panel->geometry().adjusted(edge, 0, -edge, 0);
    }
    return parent->contentsRect();
}

}  // namespace

void fitCaptions(QWidget* window) {
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* w : children) {
        QWidget* parent = w->parentWidget();
        if (!parent || parent->layout() || w->isWindow()) continue;
        w->ensurePolished();
        QVariant designed = w->property(DesignedPlace);
        if (!designed.isValid()) {
            if (neededWidth(w) == 0) continue;
            designed = w->geometry();
            w->setProperty(DesignedPlace, designed);
        }
        QRect place = designed.toRect();
        const int missing = neededWidth(w) - place.width();
        if (missing > 0) {
            const Qt::Alignment align = horizontalAlignment(w);
            const int left = align & Qt::AlignHCenter ? (missing + 1) / 2
                             : align & Qt::AlignRight ? missing
                                                      : 0;
            place.adjust(-left, 0, missing - left, 0);
            // Within the panel or the parent it sits in: shift back from an edge rather than
            // cut the caption or cross an outline.
            const QRect inside = boundsOf(w, designed.toRect());
            if (place.right() > inside.right()) place.moveRight(inside.right());
            if (place.left() < inside.left()) place.moveLeft(inside.left());
        }
        if (place != w->geometry()) w->setGeometry(place);
    }
}

}  // namespace korvanne
