// The firmware upgrade against the simulated pedal on virtual time: the two ways into the
// bootloader, the upgrade window's steps byte by byte, failures that stop the upgrade and leave
// the pedal in its bootloader, retries, and closing the window.
#include "transfer/firmware_upgrade.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWheelEvent>

#include "core/resources.h"
#include "device/communication.h"
#include "editor_fixture.h"
#include "effect/fx_settings.h"
#include "effect/knob_dial.h"
#include "effect/tform_fx_settings.h"
#include "parameter_echo.h"
#include "sim/stm32_bootloader.h"
#include "transfer/tform_firmware_upgrade.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

using Kind = BootloaderFault::Kind;

const QString Complete = "Firmware Upgrade Complete, device will now restart";
const QString LinkedToBootloader = "Connection to bootloader succeeded, ready for firmware upgrade";

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

QByteArray received(const PedalModel& pedal, std::size_t from = 0) {
    const auto& r = pedal.received();
    return QByteArray(reinterpret_cast<const char*>(r.data() + from), qsizetype(r.size() - from));
}

QByteArray firmware13() {
    return *findResource("firmware", "FIRMWARE_13");
}

// An editor and a pedal that waits in its bootloader (started with SHIFT held), reached the
// legacy way: Upgrade Mode without a firmware number, then Scan And Link.
struct Upgrade {
    EditorFixture f;
    PedalModel* pedal = nullptr;
    QList<int> progress;
    // The bar's text at each change of its value ("Writing 45%").
    QStringList barTexts;

    explicit Upgrade(PedalOptions options = {}) {
        options.startInBootloader = true;
        options.firmware = 8;
        pedal = &f.transport.addPedal(options);
        f.start();
        QObject::connect(bar(), &QProgressBar::valueChanged, [this](int v) {
            progress << v;
            barTexts << bar()->text();
        });
    }
    void linkTheLegacyWay() {
        f.main().action("menuFirmwareUpgradeMode")->trigger();
        f.main().action("menuScan")->trigger();
    }
    TformFirmwareUpgrade& window() { return f.editor->firmwareUpgrade(); }
    FirmwareUpgrade& op() { return f.operations().firmwareUpgrade(); }
    QPushButton* button() { return window().findChild<QPushButton*>("btnUpgradeFirmware"); }
    QProgressBar* bar() { return window().findChild<QProgressBar*>("ProgressBar1"); }
    Stm32Bootloader& bootloader() {
        return dynamic_cast<Stm32Bootloader&>(pedal->bootloaderSide());
    }
    QByteArray flash(std::size_t size) {
        return QByteArray(reinterpret_cast<const char*>(bootloader().flash().data()),
                          qsizetype(size));
    }
    QString label(const char* name) { return f.main().findChild<QLabel*>(name)->text(); }
    // The phases the bar named, in order, each once.
    QStringList phases() const {
        QStringList names;
        for (const QString& text : barTexts) {
            const QString name = text.section(' ', 0, -2);
            if (names.isEmpty() || names.last() != name) names << name;
        }
        return names;
    }
    // The bar only moves forward until it is put back to 0 at the end.
    bool barMovesForward() const {
        for (qsizetype i = 1; i + 1 < progress.size(); ++i) {
            if (progress[i] < progress[i - 1]) return false;
        }
        return true;
    }
};

}  // namespace

class FirmwareUpgradeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void currentWayWireOrder() {
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal();
        f.start();
        f.main().action("menuScan")->trigger();
        const std::size_t linked = pedal.received().size();
        f.dialogs.expectConfirm(true, "Keep SHIFT button on the pedal pressed and click YES.");
        f.main().action("menuFirmwareUpgradeMode")->trigger();
        // Enter does not start the upgrade.
        QCOMPARE(f.dialogs.confirmDefaults, QList<Dialogs::Default>{Dialogs::Default::No});
        QCOMPARE(received(pedal, linked), hex("0D01"
                                              "05000102030405 06"
                                              "7F"));
        // The entry message and the bypass before it leave at once; the synchronisation byte
        // only 200 ms later (arrival times include each byte's time on the wire, and the entry
        // may queue behind the effect window's echo of the link for up to a millisecond).
        const auto& at = pedal.receivedAtUs();
        QVERIFY(at.back() - at[at.size() - 11] >= 199'000);
        QVERIFY(at.back() - at[at.size() - 11] < 201'000);
        QCOMPARE(pedal.line().parity, ft::PARITY_EVEN);
        QCOMPARE(f.dialogs.messages, QStringList{"Release SHIFT button and click OK."});
        QVERIFY(f.main().action("menuFirmwareUpgradeMode")->isChecked());
        QVERIFY(f.main().itemEnabled("menuStartFirmwareUpgrade"));
        QVERIFY(!f.main().findChild<QPushButton*>("btnUpload")->isEnabled());
        QVERIFY(f.editor->firmwareUpgrade().isVisible());
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
        // The window sits below the main window.
        const QRect main = f.main().frameGeometry();
        QCOMPARE(f.editor->firmwareUpgrade().pos(), QPoint(main.left(), main.bottom() + 1));
        QCOMPARE(f.operations().firmwareUpgrade().FirmwareVersion, 13);
        QCOMPARE(f.operations().firmwareUpgrade().FirmwareResourceName, QString("Firmware_13"));
        QVERIFY(f.log.contains("Firmware Version(DEC): 13"));
    }

    void noToTheShiftQuestionSendsOnlyTheBypass() {
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal();
        f.start();
        f.main().action("menuScan")->trigger();
        const std::size_t linked = pedal.received().size();
        f.dialogs.expectConfirm(false);
        f.main().action("menuFirmwareUpgradeMode")->trigger();
        QCOMPARE(received(pedal, linked), hex("0D01"));
        QVERIFY(!f.main().action("menuFirmwareUpgradeMode")->isChecked());
        QVERIFY(!f.operations().messages().FirmwareUpgradeMode);
        QVERIFY(!pedal.inBootloader());
    }

    void legacyWayOnlySetsFlags_data() {
        QTest::addColumn<int>("firmware");  // 0: not linked, no number read
        QTest::newRow("no firmware number") << 0;
        QTest::newRow("firmware 8") << 8;
    }
    void legacyWayOnlySetsFlags() {
        QFETCH(int, firmware);
        EditorFixture f;
        PedalOptions options;
        options.firmware = firmware;
        PedalModel& pedal = f.transport.addPedal(options);
        f.start();
        if (firmware > 0) f.main().action("menuScan")->trigger();
        const std::size_t before = pedal.received().size();
        Communication& link = f.operations().communication();
        QAction* mode = f.main().action("menuFirmwareUpgradeMode");
        mode->trigger();
        QVERIFY(mode->isChecked());
        QVERIFY(f.operations().messages().FirmwareUpgradeMode);
        QVERIFY(link.LegacyUpgradeMode);
        QCOMPARE(pedal.received().size(), before);
        mode->trigger();
        QVERIFY(!mode->isChecked());
        QVERIFY(!f.operations().messages().FirmwareUpgradeMode);
        // Leaving upgrade mode ends the legacy way too: later links ask for the status again.
        QVERIFY(!link.LegacyUpgradeMode);
    }

    void fullUpgradeTheLegacyWay() {
        Upgrade u;
        u.linkTheLegacyWay();
        QCOMPARE(u.f.dialogs.messages, QStringList{LinkedToBootloader});
        QVERIFY(u.window().isVisible());
        const std::size_t synced = u.pedal->received().size();
        u.f.dialogs.messages.clear();
        u.button()->click();
        QCOMPARE(u.f.dialogs.messages, QStringList{Complete});
        // Erase, 208 blocks, the version record, Go, then the status request.
        const QByteArray sent = received(*u.pedal, synced);
        QVERIFY(sent.startsWith(hex("43BC FF00")));
        QVERIFY(
            withoutParameterEcho(sent).endsWith(hex("31CE 0801FC00F5 07000000000000000D0A"
                                                    "21DE 0800000008"
                                                    "0200")));
        QCOMPARE(u.f.log.lines.filter("SEND WRITE COMMAND").size(), 209);
        QVERIFY(u.f.log.contains("num of chunks: 207"));
        QVERIFY(u.f.log.contains("num of bytes last chunk: 160"));
        const int last = int(u.f.log.lines.lastIndexOf("Address: 0800CF00"));
        QVERIFY(last > 0);
        const int count = int(u.f.log.lines.indexOf("N_byte: 9F", last));
        QVERIFY(count > last);
        QCOMPARE(u.f.log.lines.at(count + 1), QString("chunk size: 160"));
        // The flash holds the image; the pedal runs and reports firmware 13.
        QCOMPARE(u.flash(53152), firmware13());
        QVERIFY(!u.pedal->inBootloader());
        QCOMPARE(u.label("lblFirmwareVersion"), QString("Device Firmware: 13"));
        // One bar over the erase, 208 blocks and the version record: it names each phase, moves
        // only forward, stands at 100% when the upgrade is done, then goes back to 0; the editor
        // is back to normal.
        QCOMPARE(u.bar()->maximum(), 1 + 208 + 1);
        QCOMPARE(u.phases(), (QStringList{"Erasing", "Writing", "Done", ""}));
        QVERIFY(u.barMovesForward());
        QCOMPARE(u.barTexts.value(u.barTexts.size() - 2), QString("Done 100%"));
        QCOMPARE(u.progress.last(), 0);
        QCOMPARE(u.barTexts.last(), QString("0%"));
        QVERIFY(!u.window().isVisible());
        QVERIFY(!u.f.operations().messages().FirmwareUpgradeMode);
        QVERIFY(!u.f.main().action("menuFirmwareUpgradeMode")->isChecked());
        QVERIFY(!u.f.main().itemEnabled("menuStartFirmwareUpgrade"));
        QVERIFY(u.f.operations().Timer_USB_Read().isActive());
        QCOMPARE(u.pedal->line().parity, ft::PARITY_NONE);
    }

    void imageOfWholeBlocks() {
        Upgrade u;
        u.linkTheLegacyWay();
        u.op().FirmwareSelect("FIRMWARE_51200");
        u.button()->click();
        QVERIFY(u.f.log.contains("num of chunks: 200"));
        QVERIFY(u.f.log.contains("num of bytes last chunk: 0"));
        QVERIFY(u.f.log.contains("num of bytes last chunk: 256"));
        QCOMPARE(u.f.log.lines.filter("chunk size: 256").size(), 200);
        QCOMPARE(u.flash(51200), *findResource("firmware", "FIRMWARE_51200"));
    }

    void stopsAtTheFirstFailureAndRetries_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("message");
        // Answers: 1 sync, 2-3 erase, then three per block: block 57's last is 6 + 3 × 57.
        QTest::newRow("refused block")
            << int(Kind::Nack) << 6 + 3 * 57
            << "Firmware upgrade failed while writing block 57 at 0x08003900: the bootloader "
               "refused it";
        QTest::newRow("lost answer")
            << int(Kind::Silent) << 4 + 3 * 10
            << "Firmware upgrade failed while writing block 10 at 0x08000A00: the bootloader did "
               "not answer within 1 s";
        // The acknowledge of the erase command comes just after its limit: it must not be taken
        // for the answer of the retry's first step.
        QTest::newRow("late answer")
            << int(Kind::Late) << 2
            << "Firmware upgrade failed while erasing the flash: the bootloader did not answer "
               "within 1 s";
        // Block 10's last data byte is lost: the bootloader waits for it mid-frame and would take
        // the retry's bytes for the rest of the block.
        QTest::newRow("byte lost mid-frame")
            << int(Kind::LoseByte) << 6 + 3 * 10
            << "Firmware upgrade failed while writing block 10 at 0x08000A00: the bootloader did "
               "not answer within 1 s";
        QTest::newRow("refused erase")
            << int(Kind::Nack) << 3
            << "Firmware upgrade failed while erasing the flash: the bootloader refused it";
    }
    void stopsAtTheFirstFailureAndRetries() {
        QFETCH(int, kind);
        QFETCH(int, step);
        QFETCH(QString, message);
        PedalOptions options;
        options.faults.bootloader = {Kind(kind), step};
        Upgrade u(options);
        u.linkTheLegacyWay();
        u.f.dialogs.messages.clear();
        u.button()->click();
        QCOMPARE(u.f.dialogs.messages.size(), 1);
        QVERIFY2(u.f.dialogs.messages.first().startsWith(message),
                 qPrintable(u.f.dialogs.messages.first()));
        // A failure carries the warning icon.
        QCOMPARE(u.f.dialogs.warnings, u.f.dialogs.messages);
        QVERIFY(u.bar()->text().startsWith("Failed "));
        QVERIFY(u.f.log.contains(message));
        // No Go: the pedal waits in its bootloader, the window stays open for a retry.
        QVERIFY(u.pedal->inBootloader());
        QVERIFY(u.f.log.lines.filter("SEND GO COMMAND").isEmpty());
        QVERIFY(u.window().isVisible());
        QVERIFY(u.button()->isEnabled());
        QVERIFY(u.f.operations().messages().FirmwareUpgradeMode);

        // The retry first finds the bootloader's framing again (Get, padded with 0x7F where the
        // bootloader is out of step), then starts over with the erase and completes.
        u.f.dialogs.messages.clear();
        const std::size_t before = u.pedal->received().size();
        u.button()->click();
        QCOMPARE(u.f.dialogs.messages, QStringList{Complete});
        const QByteArray retry = received(*u.pedal, before);
        QVERIFY2(retry.startsWith(hex("00FF")), retry.left(8).toHex());
        const qsizetype erase = retry.indexOf(hex("43BC FF00"));
        QVERIFY(erase > 0);
        for (char b : retry.left(erase)) QVERIFY(QByteArray(hex("00FF7F")).contains(b));
        QCOMPARE(u.flash(53152), firmware13());
        QCOMPARE(u.pedal->state().firmware, 13);
        QCOMPARE(u.label("lblFirmwareVersion"), QString("Device Firmware: 13"));
    }

    void eraseMayTakeLong() {
        // A bootloader that stops answering during the mass erase is given its 35 seconds.
        PedalOptions options;
        options.faults.bootloader = {Kind::Dead, 3};
        Upgrade u(options);
        u.linkTheLegacyWay();
        u.f.dialogs.messages.clear();
        const std::int64_t start = u.f.clock.nowMs();
        u.button()->click();
        QVERIFY(u.f.clock.nowMs() - start >= 35'000);
        QVERIFY(u.f.dialogs.messages.value(0).startsWith(
            "Firmware upgrade failed while erasing the flash: the bootloader did not answer "
            "within 35 s"));
    }

    void closingTheWindow_data() {
        QTest::addColumn<bool>("failFirst");
        QTest::newRow("before anything was erased") << false;
        QTest::newRow("after a failed upgrade") << true;
    }
    void closingTheWindow() {
        QFETCH(bool, failFirst);
        PedalOptions options;
        options.faults.bootloader = {Kind::Nack, 6 + 3 * 3};
        Upgrade u(options);
        u.linkTheLegacyWay();
        if (failFirst) u.button()->click();
        u.f.dialogs.messages.clear();
        const std::size_t before = u.pedal->received().size();
        u.window().close();
        QVERIFY(!u.window().isVisible());
        if (!failFirst) {
            // Go, back to normal mode, and the status request to the restarted firmware.
            QCOMPARE(received(*u.pedal, before), hex("21DE 0800000008 0200"));
            QVERIFY(!u.pedal->inBootloader());
            // The pedal runs its old firmware again, and the editor says it wants an upgrade.
            QCOMPARE(u.f.dialogs.messages.value(0),
                     QString("A firmware upgrade is required. Upgrade to Firmware 13"));
            QVERIFY(!u.f.operations().messages().FirmwareUpgradeMode);
            return;
        }
        // Nothing is sent: Go would start a half-written firmware.
        QCOMPARE(received(*u.pedal, before), QByteArray());
        QVERIFY(u.pedal->inBootloader());
        QCOMPARE(u.f.dialogs.messages.size(), 1);
        QVERIFY(u.f.dialogs.messages.first().contains("stays in its bootloader"));
        QVERIFY(u.f.dialogs.messages.first().contains("Start Firmware Upgrade"));
        QCOMPARE(u.f.dialogs.warnings.last(), u.f.dialogs.messages.first());
        // The upgrade can be finished from the menu.
        QVERIFY(u.f.main().itemEnabled("menuStartFirmwareUpgrade"));
        QVERIFY(u.f.main().action("menuStartFirmwareUpgrade")->isVisible());
        u.f.main().action("menuStartFirmwareUpgrade")->trigger();
        QVERIFY(u.window().isVisible());
        u.f.dialogs.messages.clear();
        u.button()->click();
        QCOMPARE(u.f.dialogs.messages, QStringList{Complete});
        QCOMPARE(u.pedal->state().firmware, 13);
    }

    // The erase was refused: nothing confirms the flash was erased, and the message on closing
    // does not say it was.
    void closingAfterARefusedErase() {
        PedalOptions options;
        options.faults.bootloader = {Kind::Nack, 3};
        Upgrade u(options);
        u.linkTheLegacyWay();
        u.button()->click();
        u.f.dialogs.messages.clear();
        u.f.dialogs.warnings.clear();
        const std::size_t before = u.pedal->received().size();
        u.window().close();
        QVERIFY(!u.window().isVisible());
        QCOMPARE(received(*u.pedal, before), QByteArray());
        QCOMPARE(u.f.dialogs.messages.size(), 1);
        const QString message = u.f.dialogs.messages.first();
        QVERIFY2(message.startsWith("The pedal did not confirm the erase: its flash may be erased "
                                    "in whole, in part or not at all. The pedal stays in its "
                                    "bootloader and was not restarted."),
                 qPrintable(message));
        QVERIFY2(!message.contains("flash was erased"), qPrintable(message));
        QCOMPARE(u.f.dialogs.warnings, u.f.dialogs.messages);
    }

    // After Unlink nothing can reach the bootloader: the window cannot start an upgrade until
    // the next link, which brings it back.
    void theWindowFollowsTheLink() {
        Upgrade u;
        u.linkTheLegacyWay();
        QVERIFY(u.window().isVisible());
        QVERIFY(u.button()->isEnabled());
        u.f.main().action("menuDisconnect")->trigger();
        QVERIFY(!u.button()->isEnabled());
        QVERIFY(!u.f.main().itemEnabled("menuStartFirmwareUpgrade"));
        const std::size_t before = u.pedal->received().size();
        const Outcome refused = u.op().btnUpgradeFirmwareClick();
        QCOMPARE(refused.kind, Outcome::Refused);
        // Closing the window sends nothing and says nothing.
        u.f.dialogs.messages.clear();
        u.window().close();
        QVERIFY(!u.window().isVisible());
        QCOMPARE(received(*u.pedal, before), QByteArray());
        QCOMPARE(u.f.dialogs.messages, QStringList{});

        // Linking again in upgrade mode reopens the window, ready.
        u.f.main().action("menuScan")->trigger();
        QVERIFY(u.window().isVisible());
        QVERIFY(u.button()->isEnabled());
        u.f.dialogs.messages.clear();
        u.button()->click();
        QCOMPARE(u.f.dialogs.messages, QStringList{Complete});
        QCOMPARE(u.pedal->state().firmware, 13);
    }

    // Every caption whole inside the window, during an upgrade's phases.
    void windowLayout() {
        Upgrade u;
        u.linkTheLegacyWay();
        QVERIFY(QTest::qWaitForWindowExposed(&u.window()));
        u.window().setPhase("Verifying");
        u.bar()->setMaximum(417);
        u.bar()->setValue(300);
        const QList<QWidget*> controls = u.window().findChildren<QWidget*>();
        for (QWidget* w : controls) {
            if (w->parentWidget() != &u.window()) continue;
            QVERIFY2(u.window().rect().contains(w->geometry()), qPrintable(w->objectName()));
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->objectName()));
        }
        const QFontMetrics fm(u.bar()->font());
        QVERIFY(fm.horizontalAdvance(u.bar()->text()) < u.bar()->width());
        const QString png =
            QDir(QCoreApplication::applicationDirPath()).filePath("firmware_upgrade.png");
        QVERIFY(u.window().grab().save(png));
    }

    void resumesASynchronisedBootloader() {
        // An earlier attempt left the bootloader synchronised: it refuses 0x7F, answers Get.
        Upgrade u;
        const std::uint8_t sync = 0x7F;
        u.pedal->receive(&sync, 1, 0);
        u.pedal->purgeOutput(1'000'000);
        u.f.clock.advance(1000);
        u.linkTheLegacyWay();
        QCOMPARE(u.f.dialogs.messages, QStringList{LinkedToBootloader});
        QVERIFY(u.f.log.contains("received Byte: 1F"));
        QVERIFY(u.f.log.contains("the bootloader was already synchronised; going on"));
        u.button()->click();
        QCOMPARE(u.pedal->state().firmware, 13);
    }

    void findsABootloaderLeftMidFrame() {
        // An earlier run stopped inside a Write Memory frame: the bootloader waits for 257 more
        // bytes and takes the 0x7F of the link for one of them, answering nothing.
        Upgrade u;
        const QByteArray earlier = hex("7F 31CE 0800000008 FF");
        std::int64_t at = 0;
        for (char b : earlier) {
            const auto byte = std::uint8_t(b);
            u.pedal->receive(&byte, 1, at += 1000);
        }
        u.pedal->purgeOutput(1'000'000);
        u.f.clock.advance(1000);
        const std::size_t before = u.pedal->received().size();
        u.linkTheLegacyWay();
        QCOMPARE(u.f.dialogs.messages, QStringList{LinkedToBootloader});
        QVERIFY(u.f.log.contains("the bootloader answers in step again"));
        // Nothing but 0x7F went out before the bootloader answered.
        const QByteArray sent = received(*u.pedal, before);
        const qsizetype get = sent.indexOf(hex("00FF"));
        QVERIFY(get > 0);
        QCOMPARE(sent.left(get), QByteArray(get, char(0x7F)));
        u.f.dialogs.messages.clear();
        u.button()->click();
        QCOMPARE(u.f.dialogs.messages, QStringList{Complete});
        QCOMPARE(u.pedal->state().firmware, 13);
    }

    void verifyAfterWriting_data() {
        QTest::addColumn<bool>("refuseReads");
        QTest::addColumn<QString>("line");
        QTest::newRow("reads allowed") << false << "verify: the flash holds the image";
        QTest::newRow("reads refused")
            << true << "the bootloader refuses to read its flash; verify skipped";
    }
    void verifyAfterWriting() {
        QFETCH(bool, refuseReads);
        QFETCH(QString, line);
        PedalOptions options;
        options.faults.bootloaderRefusesReads = refuseReads;
        Upgrade u(options);
        u.linkTheLegacyWay();
        u.window().findChild<QCheckBox*>("chkVerifyAfterWriting")->setChecked(true);
        u.f.dialogs.messages.clear();
        u.button()->click();
        QVERIFY(u.f.log.contains(line));
        QCOMPARE(u.f.dialogs.messages, QStringList{Complete});
        QCOMPARE(u.pedal->state().firmware, 13);
        // The verify pass goes on from where writing ended, up to 100%.
        QCOMPARE(u.bar()->maximum(), 1 + 208 + 208 + 1);
        QCOMPARE(u.phases(), (QStringList{"Erasing", "Writing", "Verifying", "Done", ""}));
        QVERIFY(u.barMovesForward());
        QCOMPARE(u.barTexts.value(u.barTexts.size() - 2), QString("Done 100%"));
    }

    void aReadRefusedAfterTheFirstBlockFailsTheVerify() {
        // Only a refusal of the very first read means read protection; a later one is a failure.
        PedalOptions options;
        options.faults.bootloader = {Kind::RefuseRead, 2};
        Upgrade u(options);
        u.linkTheLegacyWay();
        u.window().findChild<QCheckBox*>("chkVerifyAfterWriting")->setChecked(true);
        u.f.dialogs.messages.clear();
        u.button()->click();
        const QString message =
            "Firmware upgrade failed while reading back at 0x08000100: the bootloader refused it";
        QCOMPARE(u.f.dialogs.messages.size(), 1);
        QVERIFY2(u.f.dialogs.messages.first().startsWith(message),
                 qPrintable(u.f.dialogs.messages.first()));
        QVERIFY(u.f.log.contains(message));
        QVERIFY(u.f.log.lines.filter("verify skipped").isEmpty());
        QVERIFY(!u.f.log.contains("verify: the flash holds the image"));
        QVERIFY(u.f.log.lines.filter("SEND GO COMMAND").isEmpty());
        QVERIFY(u.pedal->inBootloader());
        QVERIFY(u.button()->isEnabled());
    }

    void imageIsCheckedBeforeTheErase_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing") << "Firmware_99"
                                 << "is not built into this editor";
        QTest::newRow("even reset handler") << "FIRMWARE_EVEN_RESET"
                                            << "reset handler 0x080000EC is not odd code";
    }
    void imageIsCheckedBeforeTheErase() {
        QFETCH(QString, item);
        QFETCH(QString, problem);
        Upgrade u;
        u.linkTheLegacyWay();
        u.op().FirmwareSelect(item);
        u.f.dialogs.messages.clear();
        const std::size_t before = u.pedal->received().size();
        u.button()->click();
        QCOMPARE(u.f.dialogs.messages.size(), 1);
        QVERIFY2(u.f.dialogs.messages.first().contains(problem),
                 qPrintable(u.f.dialogs.messages.first()));
        QVERIFY(u.f.dialogs.messages.first().contains("Nothing was sent to the pedal."));
        QCOMPARE(u.pedal->received().size(), before);
        QVERIFY(!u.op().flashErased());
        QVERIFY(u.button()->isEnabled());
    }

    void statusRequestToAWaitingBootloader() {
        // Linking without Upgrade Mode to a pedal waiting in its bootloader: the bootloader stays
        // silent until synchronised, so the editor says the pedal did not answer.
        Upgrade u;
        u.f.main().action("menuScan")->trigger();
        QCOMPARE(u.f.dialogs.messages.value(0), Communication::NoAnswerMessage);
        QCOMPARE(u.label("lblFirmwareVersion"), QString("Device Firmware:"));
        QVERIFY(u.pedal->inBootloader());
    }

    // While the line talks to the bootloader nothing else reaches it: a knob turned there would
    // be read as commands and tear the erase that follows.
    void onlyTheUpgradeTalksToTheBootloader_data() {
        QTest::addColumn<bool>("legacy");
        QTest::newRow("current way") << false;
        QTest::newRow("legacy way") << true;
    }
    void onlyTheUpgradeTalksToTheBootloader() {
        QFETCH(bool, legacy);
        PedalOptions options;
        if (legacy) {
            options.startInBootloader = true;
            options.firmware = 8;
        }
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal(options);
        f.start();
        if (legacy) {
            f.main().action("menuFirmwareUpgradeMode")->trigger();
            f.main().action("menuScan")->trigger();
        } else {
            f.main().action("menuScan")->trigger();
            f.clock.advance(300);
            f.dialogs.expectConfirm(true, "Keep SHIFT button on the pedal pressed and click YES.");
            f.main().action("menuFirmwareUpgradeMode")->trigger();
        }
        TformFirmwareUpgrade& window = f.editor->firmwareUpgrade();
        QVERIFY(window.isVisible());
        // Every device control but the upgrade's shows that it cannot be used now.
        for (const char* name : {"btnSaveParameters", "btnAssign", "btnSetTuning",
                                 "btnSetFootswitchMode", "btnRequest", "btnUpload"}) {
            QVERIFY2(!f.main().findChild<QPushButton*>(name)->isEnabled(), name);
        }
        for (const char* name : {"menuLoadPreset", "menuSavePreset", "menuEraseSettings",
                                 "menuLoadAlgorithmFromFile", "menuUploadTuningsData"}) {
            QVERIFY2(!f.main().itemEnabled(name), name);
        }
        KnobDial* dry = f.editor->fxSettings().knob(Knob::dialDry);
        QVERIFY(!f.editor->fxSettings().effectControlsEnabled());
        QVERIFY(f.main().itemEnabled("menuStartFirmwareUpgrade"));
        QVERIFY(f.main().itemEnabled("menuDisconnect"));

        // A wheel notch on Dry, and a value put on the knob by the program itself: nothing
        // leaves, the refusal is logged.
        const std::size_t synced = pedal.received().size();
        QWheelEvent wheel(QPointF(23, 23), dry->mapToGlobal(QPointF(23, 23)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(dry, &wheel);
        f.operations().fxSettings().setKnob(Knob::dialDry, KnobMaximumAngle);
        f.clock.advance(3 * FxSettings::DeferredSendMs);
        QCOMPARE(received(pedal, synced), QByteArray());
        QVERIFY(!f.log.lines
                     .filter(QRegularExpression(
                         "^message not sent, the line talks to the pedal's bootloader: 01"))
                     .isEmpty());

        // The upgrade then runs as if nothing had happened.
        f.dialogs.messages.clear();
        window.findChild<QPushButton*>("btnUpgradeFirmware")->click();
        QCOMPARE(f.dialogs.messages.value(0), Complete);
        QCOMPARE(pedal.state().firmware, 13);
    }

    // Leaving upgrade mode is refused while an exchange runs: the tick stays as it was.
    void upgradeModeStaysDuringTheUpgrade_data() {
        QTest::addColumn<bool>("checkBox");
        QTest::newRow("Upgrade Mode menu item") << false;
        QTest::newRow("hidden check box") << true;
    }
    void upgradeModeStaysDuringTheUpgrade() {
        QFETCH(bool, checkBox);
        Upgrade u;
        u.linkTheLegacyWay();
        QCheckBox* box = u.f.main().findChild<QCheckBox*>("chkFirmwareUpgradeMode");
        QAction* item = u.f.main().action("menuFirmwareUpgradeMode");
        if (checkBox) box->setChecked(true);
        bool itemChecked = false;
        bool boxChecked = false;
        bool modeOn = false;
        std::unique_ptr<Timer> untick = u.f.clock.createTimer();
        untick->setSingleShot(true);
        untick->onTimeout([&] {
            if (checkBox) {
                box->setChecked(false);
            } else {
                item->trigger();
            }
            itemChecked = item->isChecked();
            boxChecked = box->isChecked();
            modeOn = u.f.operations().messages().FirmwareUpgradeMode;
        });
        untick->start(1000);
        u.f.dialogs.messages.clear();
        u.button()->click();
        QVERIFY(modeOn);
        if (checkBox) {
            QVERIFY(boxChecked);
            QVERIFY(u.f.log.contains(
                "Firmware Upgrade Mode refused: another exchange with the pedal is in progress"));
        } else {
            QVERIFY(itemChecked);
            QVERIFY(u.f.log.contains(
                "Upgrade Mode refused: another exchange with the pedal is in progress"));
        }
        QCOMPARE(u.f.dialogs.messages.value(0), Complete);
        QCOMPARE(u.pedal->state().firmware, 13);
    }

    // A synchronisation that failed leaves the line in bootloader mode; leaving upgrade mode, and
    // linking, give the firmware its line (8N1) and the poll back.
    void failedSynchronisationGivesTheLineBack_data() {
        QTest::addColumn<bool>("relink");
        QTest::newRow("Upgrade Mode unticked") << false;
        QTest::newRow("linked again after the check box was unticked") << true;
    }
    void failedSynchronisationGivesTheLineBack() {
        QFETCH(bool, relink);
        EditorFixture f;
        PedalOptions options;
        // The bootloader never answers.
        options.faults.bootloader = {Kind::Dead, 1};
        PedalModel& pedal = f.transport.addPedal(options);
        f.start();
        QCheckBox* box = f.main().findChild<QCheckBox*>("chkFirmwareUpgradeMode");
        if (relink) {
            box->setChecked(true);
            f.main().action("menuScan")->trigger();
        } else {
            f.main().action("menuScan")->trigger();
            f.dialogs.expectConfirm(true, "Keep SHIFT button on the pedal pressed and click YES.");
            f.main().action("menuFirmwareUpgradeMode")->trigger();
        }
        QVERIFY(f.dialogs.messages.contains("Connection to bootloader failed"));
        QVERIFY(f.dialogs.warnings.contains("Connection to bootloader failed"));
        QCOMPARE(pedal.line().parity, ft::PARITY_EVEN);
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
        if (relink) {
            f.main().action("menuDisconnect")->trigger();
            box->setChecked(false);
            f.main().action("menuScan")->trigger();
            QCOMPARE(f.main().findChild<QLabel*>("lblFirmwareVersion")->text(),
                     QString("Device Firmware: 13"));
        } else {
            f.main().action("menuFirmwareUpgradeMode")->trigger();
            QVERIFY(!f.main().action("menuFirmwareUpgradeMode")->isChecked());
        }
        QVERIFY(!f.operations().messages().FirmwareUpgradeMode);
        QCOMPARE(pedal.line().parity, ft::PARITY_NONE);
        QVERIFY(f.operations().Timer_USB_Read().isActive());
    }

    // The legacy way ends with the upgrade, however it ends: a later link asks for the status.
    void legacyWayEndsWithTheUpgrade_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("upgrade completed") << "completed";
        QTest::newRow("window closed before upgrading") << "closed";
        QTest::newRow("Upgrade Mode unticked") << "unticked";
    }
    void legacyWayEndsWithTheUpgrade() {
        QFETCH(QString, end);
        Upgrade u;
        u.linkTheLegacyWay();
        QVERIFY(u.f.operations().communication().LegacyUpgradeMode);
        if (end == "completed") {
            u.button()->click();
        } else if (end == "closed") {
            u.window().close();
        } else {
            u.f.main().action("menuFirmwareUpgradeMode")->trigger();
        }
        QVERIFY(!u.f.operations().communication().LegacyUpgradeMode);
        u.f.main().action("menuDisconnect")->trigger();
        const std::size_t before = u.pedal->received().size();
        u.f.main().action("menuScan")->trigger();
        QVERIFY2(received(*u.pedal, before).startsWith(hex("0200")),
                 received(*u.pedal, before).toHex().constData());
    }

    void otherCommandsWaitForTheUpgrade() {
        // During the long erase wait the user clicks again, reopens the window and closes it.
        PedalOptions options;
        options.faults.bootloader = {Kind::Dead, 3};
        Upgrade u(options);
        u.linkTheLegacyWay();
        std::unique_ptr<Timer> click = u.f.clock.createTimer();
        click->setSingleShot(true);
        Qt::CursorShape cursor = Qt::ArrowCursor;
        bool buttonEnabled = true;
        click->onTimeout([&] {
            cursor = u.window().cursor().shape();
            buttonEnabled = u.button()->isEnabled();
            u.button()->click();
            u.f.main().action("menuStartFirmwareUpgrade")->trigger();
            u.window().close();
        });
        click->start(5000);
        const std::size_t before = u.pedal->received().size();
        u.button()->click();
        QCOMPARE(cursor, Qt::BusyCursor);
        QVERIFY(!buttonEnabled);
        QVERIFY(u.f.log.contains(
            "Start Firmware Upgrade refused: another exchange with the pedal is in progress"));
        QVERIFY(u.f.log.contains(
            "the upgrade window stays open while an exchange with the pedal runs"));
        QVERIFY(u.window().isVisible());
        // Only the one erase went out.
        QCOMPARE(received(*u.pedal, before), hex("43BC FF00"));
    }
};

QTEST_MAIN(FirmwareUpgradeTest)
#include "firmware_upgrade_test.moc"
