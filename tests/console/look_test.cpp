#include "app/look.h"

#include <QApplication>
#include <QComboBox>
#include <QDial>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QVBoxLayout>
#include <QtTest>

#include "core/resources.h"

class LookTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eightDistinctLooksThatParse() {
        // A sheet Qt cannot parse is dropped with a warning when a window is polished.
        QTest::failOnWarning(
            QRegularExpression("style ?sheet", QRegularExpression::CaseInsensitiveOption));
        QSet<QByteArray> sheets;
        for (int n = 0; n < 8; ++n) {
            const QString name = "STYLE_" + QString::number(n);
            const std::optional<QByteArray> sheet = korvanne::findResource("styles", name);
            QVERIFY2(sheet && !sheet->trimmed().isEmpty(), qPrintable(name));
            sheets.insert(*sheet);

            QVERIFY(korvanne::applyStyle(name));
            QMainWindow window;
            window.menuBar()->addMenu("Settings");
            auto* central = new QWidget;
            auto* layout = new QVBoxLayout(central);
            layout->addWidget(new QPushButton("Upload"));
            layout->addWidget(new QComboBox);
            layout->addWidget(new QDial);
            window.setCentralWidget(central);
            window.ensurePolished();
            for (QWidget* child : window.findChildren<QWidget*>()) child->ensurePolished();
        }
        QCOMPARE(sheets.size(), 8);
    }

    void appliesByNameWithoutRegardToCase_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("resource");
        QTest::newRow("Style_3") << "Style_3"
                                 << "STYLE_3";
        QTest::newRow("style_0") << "style_0"
                                 << "STYLE_0";
        QTest::newRow("STYLE_7") << "STYLE_7"
                                 << "STYLE_7";
        QTest::newRow("sTyLe_5") << "sTyLe_5"
                                 << "STYLE_5";
    }
    void appliesByNameWithoutRegardToCase() {
        QFETCH(QString, asked);
        QFETCH(QString, resource);
        QVERIFY(korvanne::applyStyle(asked));
        QCOMPARE(korvanne::appliedStyle(), resource);
        QCOMPARE(qApp->styleSheet(),
                 QString::fromUtf8(*korvanne::findResource("styles", resource)));
    }

    void missingLookChangesNothing_data() {
        QTest::addColumn<QString>("asked");
        QTest::newRow("Style_9") << "Style_9";
        QTest::newRow("Style_8") << "Style_8";
        QTest::newRow("Style_-1") << "Style_-1";
        QTest::newRow("Style_") << "Style_";
        QTest::newRow("empty") << "";
        QTest::newRow("with a path") << "../styles/STYLE_1";
    }
    void missingLookChangesNothing() {
        QFETCH(QString, asked);
        QVERIFY(korvanne::applyStyle("Style_2"));
        const QString before = qApp->styleSheet();

        QVERIFY(!korvanne::applyStyle(asked));
        QCOMPARE(qApp->styleSheet(), before);
        QCOMPARE(korvanne::appliedStyle(), QString("STYLE_2"));
    }
};

QTEST_MAIN(LookTest)
#include "look_test.moc"
