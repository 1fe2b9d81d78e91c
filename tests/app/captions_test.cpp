// Every window of the editor, in every look: each caption is shown whole (no clipped text, no
// caption under another control) and each window fits on the screen.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/editor.h"
#include "app/tform_main.h"
#include "app/tform_presets.h"
#include "console/tform_print.h"
#include "editor_fixture.h"
#include "effect/tform_fx_settings.h"
#include "effect/tform_note_tracking_filter.h"
#include "transfer/tform_firmware_upgrade.h"
#include "update/tform_new_version_msg.h"
#include "update/tform_update_updater.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QString plain(QString text) {
    return text.remove('&');
}

// The caption of a control that shows one, and the width its text needs.
struct Caption {
    QString text;
    int needed = 0;     // width the caption needs
    int available = 0;  // width the control gives it
};

std::optional<Caption> captionOf(QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText) {
            return std::nullopt;
        }
        const QString text = plain(label->text());
        int widest = 0;
        for (const QString& line : text.split('\n'))
            widest = std::max(widest, fm.horizontalAdvance(line));
        return Caption{text, widest, label->contentsRect().width() - 2 * label->margin()};
    }
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        auto* button = static_cast<QAbstractButton*>(w);
        if (button->text().isEmpty()) return std::nullopt;
        return Caption{plain(button->text()), button->sizeHint().width(), button->width()};
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text().isEmpty()) return std::nullopt;
        const QString text = plain(button->text());
        return Caption{text, fm.horizontalAdvance(text) + 4, button->width()};
    }
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        if (list->currentText().isEmpty()) return std::nullopt;
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = list->isEditable();
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        // Any entry may be the one shown: the widest must fit.
        QString widest;
        for (int i = 0; i < list->count(); ++i) {
            if (fm.horizontalAdvance(list->itemText(i)) > fm.horizontalAdvance(widest))
                widest = list->itemText(i);
        }
        return Caption{widest, fm.horizontalAdvance(widest), field.width()};
    }
    if (auto* box = qobject_cast<QGroupBox*>(w)) {
        if (box->title().isEmpty()) return std::nullopt;
        const QString text = plain(box->title());
        return Caption{text, fm.horizontalAdvance(text) + 8, box->width()};
    }
    return std::nullopt;
}

// What is wrong with the captions of `window` as shown now, one line a fault.
QStringList captionFaults(QWidget* window) {
    QStringList faults;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* w : children) {
        if (!w->isVisibleTo(window)) continue;
        w->ensurePolished();
        const std::optional<Caption> caption = captionOf(w);
        if (!caption) continue;
        const QString where = QStringLiteral("%1 \"%2\"").arg(w->objectName(), caption->text);
        if (caption->needed > caption->available) {
            faults << QStringLiteral("%1 needs %2 px, has %3")
                          .arg(where)
                          .arg(caption->needed)
                          .arg(caption->available);
        }
        // A sibling laid over the caption hides part of it.
        const QRect mine = w->geometry();
        for (QObject* o : w->parent()->children()) {
            auto* other = qobject_cast<QWidget*>(o);
            if (!other || other == w || !other->isVisibleTo(window)) continue;
            if (other->geometry().intersects(mine) && !other->geometry().contains(mine) &&
                !mine.contains(other->geometry())) {
                faults << QStringLiteral("%1 %3 overlaps %2 %4")
                              .arg(where, other->objectName())
                              .arg(QString("%1,%2 %3x%4")
                                       .arg(mine.x())
                                       .arg(mine.y())
                                       .arg(mine.width())
                                       .arg(mine.height()))
                              .arg(QString("%1,%2 %3x%4")
                                       .arg(other->geometry().x())
                                       .arg(other->geometry().y())
                                       .arg(other->geometry().width())
                                       .arg(other->geometry().height()));
            }
        }
    }
    return faults;
}

}  // namespace

class CaptionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCaptionWholeInEveryLook() {
        EditorFixture f;
        // A few presets, so the preset list shows rows.
        const QDir presets(f.settingsPath("TAVRO/Korvanne MK3/Preset"));
        QDir().mkpath(presets.path());
        for (const char* name : {"Clean Octave.txt", "Deep Sub Bass.txt", "Lead.txt"}) {
            QFile file(presets.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Editor& editor = f.start();
        editor.main().action("menuPresets")->trigger();
        editor.presets()->pick("Lead.txt");
        const QList<QWidget*> windows{
            &editor.main(),          &editor.fxSettings(),      &editor.noteTrackingFilter(),
            &editor.console(),       &editor.firmwareUpgrade(), &editor.newVersionMsg(),
            &editor.updateUpdater(), editor.presets()};
        for (QWidget* w : windows) w->show();
        // The effect window with its not-yet-sent marks, the widest its captions get.
        TformFXsettings& fx = editor.fxSettings();
        fx.findChild<QComboBox*>("cmbGuitarTuning")->setCurrentIndex(1);
        fx.findChild<QComboBox*>("cmbAssignRemote")->setCurrentIndex(1);
        fx.findChild<QRadioButton*>("chkChangePresetShortPress")->setChecked(true);
        for (auto group : {TformFXsettings::Unsent::Tuning, TformFXsettings::Unsent::Assignments,
                           TformFXsettings::Unsent::Footswitch}) {
            QVERIFY(fx.notYetSentShown(group));
        }
        const QByteArray grabs = qgetenv("KORVANNE_GRAB_DIR");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QStringList faults;
        auto check = [&](const QString& look) {
            // Every control takes the look's fonts first; the layouts then follow them.
            for (QWidget* w : windows) {
                for (QWidget* child : w->findChildren<QWidget*>()) child->ensurePolished();
            }
            QCoreApplication::processEvents();
            for (QWidget* w : windows) {
                for (const QString& fault : captionFaults(w)) {
                    faults << look + ", " + w->objectName() + ": " + fault;
                }
                if (!screen.contains(w->frameGeometry())) {
                    const QRect g = w->frameGeometry();
                    faults << QStringLiteral("%1, %2: %3,%4 %5x%6 is not on the %7x%8 screen")
                                  .arg(look, w->objectName())
                                  .arg(g.x())
                                  .arg(g.y())
                                  .arg(g.width())
                                  .arg(g.height())
                                  .arg(screen.width())
                                  .arg(screen.height());
                }
                if (!grabs.isEmpty()) {
                    w->grab().save(QString::fromLocal8Bit(grabs) + "/" + look + "-" +
                                   w->objectName() + ".png");
                }
            }
        };
        check("start");
        const QList<QAction*> looks = editor.main().lookItems();
        for (int n = 0; n < looks.size(); ++n) {
            looks[n]->trigger();
            check(QStringLiteral("look%1").arg(n));
        }
        for (const QString& fault : faults) qWarning().noquote() << fault;
        QVERIFY2(faults.isEmpty(), "captions shown in part; each is listed above");
    }
};

QTEST_MAIN(CaptionsTest)
#include "captions_test.moc"
