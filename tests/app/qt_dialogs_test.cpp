// The desktop's message boxes: which button Enter presses, and which icon a box carries.
#include "app/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace korvanne;

namespace {

// Runs `act` on the message box that opens next, once it is shown.
void onNextBox(std::function<void(QMessageBox&)> act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTest::qFail("no message box is shown", __FILE__, __LINE__);
            return;
        }
        act(*box);
    });
}

}  // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void enterPressesTheDefaultButton_data() {
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<bool>("answer");
        QTest::newRow("default No") << int(Dialogs::Default::No) << false;
        QTest::newRow("default Yes") << int(Dialogs::Default::Yes) << true;
    }
    void enterPressesTheDefaultButton() {
        QFETCH(int, defaultButton);
        QFETCH(bool, answer);
        const auto def = Dialogs::Default(defaultButton);
        const auto box = QtDialogs::questionBox(nullptr, "Erase?", def);
        QCOMPARE(box->defaultButton(), box->button(answer ? QMessageBox::Yes : QMessageBox::No));
        QCOMPARE(box->escapeButton(), box->button(QMessageBox::No));
        QCOMPARE(box->icon(), QMessageBox::Question);

        QtDialogs dialogs;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        onNextBox([&icon](QMessageBox& shown) {
            icon = shown.icon();
            QTest::keyClick(&shown, Qt::Key_Return);
        });
        QCOMPARE(dialogs.confirm("Erase?", def), answer);
        QCOMPARE(icon, QMessageBox::Question);
    }

    void messageIcons_data() {
        QTest::addColumn<bool>("warning");
        QTest::addColumn<int>("icon");
        QTest::newRow("inform") << false << int(QMessageBox::Information);
        QTest::newRow("warn") << true << int(QMessageBox::Warning);
    }
    void messageIcons() {
        QFETCH(bool, warning);
        QFETCH(int, icon);
        QtDialogs dialogs;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        QString text;
        onNextBox([&](QMessageBox& shown) {
            shownIcon = shown.icon();
            text = shown.text();
            shown.button(QMessageBox::Ok)->click();
        });
        if (warning) {
            dialogs.warn("Firmware upgrade failed");
        } else {
            dialogs.inform("Memory is empty");
        }
        QCOMPARE(int(shownIcon), icon);
        QCOMPARE(text, warning ? QString("Firmware upgrade failed") : QString("Memory is empty"));
    }

    // The text question offers its text; OK gives what the field holds, Cancel nothing.
    void textQuestion_data() {
        QTest::addColumn<QString>("typed");  // empty: the offered text is kept
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("answer");
        QTest::newRow("OK, offered") << "" << true << "mine.txt";
        QTest::newRow("OK, typed") << "live" << true << "live";
        QTest::newRow("Cancel") << "live" << false << "";
    }
    void textQuestion() {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QString, answer);
        QtDialogs dialogs;
        QString title, label, offered;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!box) {
                QTest::qFail("no text question is shown", __FILE__, __LINE__);
                return;
            }
            title = box->windowTitle();
            label = box->labelText();
            offered = box->textValue();
            if (!typed.isEmpty()) box->setTextValue(typed);
            if (ok) {
                box->accept();
            } else {
                box->reject();
            }
        });
        QCOMPARE(dialogs.askText("Rename Preset", "New name:", "mine.txt"), answer);
        QCOMPARE(title, QString("Rename Preset"));
        QCOMPARE(label, QString("New name:"));
        QCOMPARE(offered, QString("mine.txt"));
    }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
