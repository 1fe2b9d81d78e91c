// The firmware upgrade against korvanne-pedal-sim over a real pseudo-terminal, the path a user's
// bridge takes: a pedal started in its bootloader is linked the legacy way, upgraded from the
// window, restarted, and reports the new firmware. The simulator's record shows the exchange.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/tform_main.h"
#include "core/resources.h"
#include "app/main_controller.h"
#include "parameter_echo.h"
#include "pedal_sim_process.h"
#include "pty_editor.h"
#include "test_files.h"
#include "transfer/tform_firmware_upgrade.h"

using namespace korvanne;
using namespace korvanne::test;

class TestPtyUpgrade : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void legacyUpgradeOverAPseudoTerminal() {
        QTemporaryDir dir;
        const QString record = dir.filePath("record.bin");
        PedalSimProcess sim(KORVANNE_PEDAL_SIM_PATH,
                            {"--bootloader", "--firmware", "8", "--no-pacing", "--record", record});
        QVERIFY2(sim.path().startsWith("/dev/"), qPrintable(sim.path()));
        PtyEditor pty(sim.path());
        Editor& editor = *pty.editor;
        ScriptedDialogs& dialogs = pty.dialogs;
        editor.main().action("menuFirmwareUpgradeMode")->trigger();
        editor.main().action("menuScan")->trigger();
        QCOMPARE(dialogs.messages,
                 QStringList{"Connection to bootloader succeeded, ready for firmware upgrade"});
        QVERIFY(editor.firmwareUpgrade().isVisible());
        dialogs.messages.clear();
        editor.firmwareUpgrade().findChild<QPushButton*>("btnUpgradeFirmware")->click();
        QCOMPARE(dialogs.messages,
                 QStringList{"Firmware Upgrade Complete, device will now restart"});
        QCOMPARE(editor.main().findChild<QLabel*>("lblFirmwareVersion")->text(),
                 QString("Device Firmware: 13"));

        const QByteArray recorded = readBytes(record);
        QVERIFY(recorded.startsWith(QByteArray::fromHex("7F 43BC FF00 31CE 0800000008 FF")));
        QVERIFY(recorded.contains(findResource("firmware", "FIRMWARE_13")->left(256)));
        QVERIFY(
            withoutParameterEcho(recorded).endsWith(QByteArray::fromHex("21DE 0800000008 0200")));
    }
};

QTEST_MAIN(TestPtyUpgrade)
#include "pty_upgrade_test.moc"
