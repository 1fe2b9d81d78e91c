// The editor links to korvanne-pedal-sim over a real pseudo-terminal through the serial backend:
// the same code path a user's FTDI bridge takes, in real time.
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include "app/tform_main.h"
#include "device/communication.h"
#include "app/main_controller.h"
#include "pedal_sim_process.h"
#include "pty_editor.h"

using namespace korvanne;
using namespace korvanne::test;

class TestPtyLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scanAndLinkOverAPseudoTerminal() {
        PedalSimProcess sim(KORVANNE_PEDAL_SIM_PATH,
                            {"--firmware", "13", "--algorithm", "14", "--effect", "0"});
        QVERIFY2(sim.path().startsWith("/dev/"), qPrintable(sim.path()));
        PtyEditor e(sim.path());
        QCOMPARE(e.label("lblDeviceName"), "Serial port " + sim.path());
        e.editor->main().action("menuScan")->trigger();
        QCOMPARE(e.dialogs.messages, QStringList());
        QVERIFY(e.editor->controller().operations().communication().Linked);
        QCOMPARE(e.label("lblDeviceName"), "Serial port " + sim.path() + " linked");
        QCOMPARE(e.label("lblFirmwareVersion"), QString("Device Firmware: 13"));
        QCOMPARE(e.label("lblAlgorithmVersion"), QString("Device Algorithm: 0014"));
        QVERIFY(e.log.contains("received_bytes_array size: 102"));
        e.editor->main().action("menuDisconnect")->trigger();
        QVERIFY(!e.editor->controller().operations().communication().Linked);
    }

    void simulatorEndedWhileLinked_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("polling");
        QTest::newRow("ready, the poll runs") << QStringList{"--algorithm", "14"} << true;
        QTest::newRow("older algorithm, the poll stopped")
            << QStringList{"--algorithm", "13"} << false;
    }
    void simulatorEndedWhileLinked() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, polling);
        auto sim = std::make_unique<PedalSimProcess>(KORVANNE_PEDAL_SIM_PATH, arguments);
        PtyEditor e(sim->path());
        e.editor->main().action("menuScan")->trigger();
        Communication& c = e.editor->controller().operations().communication();
        QVERIFY(c.Linked);
        QCOMPARE(e.editor->controller().operations().Timer_USB_Read().isActive(), polling);
        e.dialogs.messages.clear();

        // The pedal goes away: the editor unlinks, says why once, and then leaves the port alone.
        sim->process().terminate();
        QVERIFY(sim->process().waitForFinished(10'000));
        QTRY_VERIFY_WITH_TIMEOUT(!c.Linked, 3000);
        QCOMPARE(e.dialogs.messages, QStringList{Communication::DisconnectedMessage});
        QVERIFY(e.editor->main().itemEnabled("menuScan"));
        QVERIFY(!e.editor->main().itemEnabled("menuDisconnect"));
        QVERIFY(!e.editor->controller().operations().Timer_USB_Read().isActive());
        const int reads = e.counting.reads();
        QTest::qWait(300);
        QCOMPARE(e.counting.reads(), reads);
        QCOMPARE(e.dialogs.messages.size(), 1);
    }

    void bootloaderOverAPseudoTerminal() {
        PedalSimProcess sim(KORVANNE_PEDAL_SIM_PATH, {"--bootloader"});
        PtyEditor e(sim.path());
        bool started = false;
        e.editor->controller().operations().communication().StartFirmwareUpgrade = [&] { started = true; };
        e.editor->main().findChild<QCheckBox*>("chkFirmwareUpgradeMode")->setChecked(true);
        e.editor->main().action("menuScan")->trigger();
        QVERIFY(!e.dialogs.messages.isEmpty());
        QCOMPARE(e.dialogs.messages.first(),
                 QString("Connection to bootloader succeeded, ready for firmware upgrade"));
        QVERIFY(started);
    }
};

QTEST_MAIN(TestPtyLink)
#include "pty_link_test.moc"
