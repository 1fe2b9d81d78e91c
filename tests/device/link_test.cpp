// Linking to the pedal: listing the bridges, Scan And Link, the status handshake and its version
// rules, Unlink, the poll, and picking effects, against the simulated pedal on virtual time.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include "counting_transport.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "editor_fixture.h"
#include "effect/tform_fx_settings.h"
#include "sim/built_in_pedal.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

const QString linkedLabel = "Korvanne MK3 (simulated) linked";
const QStringList effectButtons{"btnRequest", "btnSaveParameters", "btnAssign",
                                "btnSetFootswitchMode", "btnSetTuning"};

bool enabled(TformMain& w, const QString& name) {
    if (w.action(name)) return w.itemEnabled(name);
    return w.findChild<QWidget*>(name)->isEnabled();
}

QString label(TformMain& w, const char* name) {
    return w.findChild<QLabel*>(name)->text();
}

PedalOptions pedalWith(int firmware, int algorithm, int effect = 0, bool inBootloader = false) {
    PedalOptions options;
    options.firmware = firmware;
    options.algorithm = algorithm;
    options.effect = effect;
    options.startInBootloader = inBootloader;
    return options;
}

void writeSetting(EditorFixture& f, const QString& file, const QByteArray& content) {
    QDir().mkpath(f.settingsPath("TAVRO/Korvanne MK3"));
    QFile out(f.settingsPath("TAVRO/Korvanne MK3/" + file));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
}

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
    return std::vector<std::uint8_t>(list.begin(), list.end());
}

// The status request, then the Wave switch echoed: the effect window starts with it off and the
// simulated pedal reports it on.
const std::vector<std::uint8_t> statusRequestThenWaveEcho =
    bytes({0x02, 0x00, 0x01, 0x00, 0x02, 0x00, 0x40, 0x00, 0x00});

}  // namespace

class TestLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUpListsBridgesWithoutOpening_data() {
        QTest::addColumn<int>("pedals");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("serials");
        QTest::newRow("none") << 0 << "No device found"
                              << "Device Serial: ";
        QTest::newRow("one") << 1 << "Korvanne MK3 (simulated)"
                             << "Device Serial: KVSIM0001";
        QTest::newRow("two") << 2 << "Second pedal"
                             << "Device Serial: KVSIM0001, KVSIM0002";
    }
    void startUpListsBridgesWithoutOpening() {
        QFETCH(int, pedals);
        QFETCH(QString, device);
        QFETCH(QString, serials);
        EditorFixture f;
        if (pedals >= 1) f.transport.addPedal();
        if (pedals >= 2) f.transport.addPedal({}, {}, "Second pedal");
        f.start();
        QCOMPARE(label(f.main(), "lblDeviceName"), device);
        QCOMPARE(f.main().action("menuSerialNumber")->text(), serials);
        QCOMPARE(f.main().itemEnabled("menuConnect"), pedals > 0);
        QVERIFY(!f.operations().unit().isOpen());
        for (int i = 0; i < pedals; ++i) QVERIFY(f.transport.pedal(i).received().empty());
    }

    void scanWithoutBridge() {
        EditorFixture f;
        f.start();
        f.main().action("menuScan")->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{"No device found"});
        QCOMPARE(label(f.main(), "lblDeviceName"), QString("No device found"));
        QVERIFY(f.log.contains("FT device count: 0"));
        QVERIFY(!f.operations().communication().Linked);
    }

    void linkToAReadyPedal() {
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal();
        f.start();
        f.main().action("menuScan")->trigger();
        Communication& c = f.operations().communication();
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(c.Linked);
        QCOMPARE(label(f.main(), "lblDeviceName"), linkedLabel);
        QCOMPARE(label(f.main(), "lblFirmwareVersion"), QString("Device Firmware: 13"));
        QCOMPARE(label(f.main(), "lblAlgorithmVersion"), QString("Device Algorithm: 0014"));
        // The only thing sent is the status request, on a line of 115200 baud without parity.
        QCOMPARE(pedal.received(), statusRequestThenWaveEcho);
        QCOMPARE(pedal.line().baud, 115200u);
        QCOMPARE(pedal.line().parity, ft::PARITY_NONE);
        // The pedal's effect is selected and its window open, with controls enabled.
        QCOMPARE(f.main().effectList()->currentRow(), 0);
        QVERIFY(f.editor->fxSettings().isVisible());
        QCOMPARE(f.editor->fxSettings().windowTitle(), QString("Korvanne MK3 0014"));
        QVERIFY(f.editor->fxSettings().effectControlsEnabled());
        QVERIFY(f.operations().Timer_USB_Read().isActive());
        for (const QString& name : effectButtons + QStringList{"btnUpload", "menuDisconnect",
                                                               "menuEraseSettings", "menuMIDI"}) {
            QVERIFY2(enabled(f.main(), name), qPrintable(name));
        }
        QVERIFY(!enabled(f.main(), "menuScan"));
        // The trace, in order.
        const QStringList expected{"FT device count: 1",
                                   "FT_Device_String: KVSIM0001",
                                   "serial number: KVSIM0001",
                                   "baud rate = 115200",
                                   "firmware upgrade mode: False",
                                   "Firmware Version: 13",
                                   "Algorithm version: 0014",
                                   "Current device firmware: 13",
                                   "Most recent firmware: 13",
                                   "Effect Number: 00",
                                   "efx index :0"};
        qsizetype from = 0;
        for (const QString& line : expected) {
            const qsizetype at = f.log.lines.indexOf(line, from);
            QVERIFY2(at >= 0, qPrintable("missing or out of order: " + line));
            from = at + 1;
        }
        QVERIFY(f.log.lines.contains(QRegularExpression("^FT_HANDLE: 0x[0-9A-F]{8}$")));
    }

    void simulatedPedalRunsTheNewestBuiltInImage() {
        VirtualClock clock;
        std::unique_ptr<SimTransport> transport = makeBuiltInSimulatedPedal(clock);
        QCOMPARE(transport->pedalCount(), std::size_t(1));
        const PedalState& state = transport->pedal(0).state();
        QCOMPARE(state.image.size(), std::size_t(4352));
        QCOMPARE(state.algorithm, 14);
        // Parameter writes land where the image's address table says (Dry is word 0).
        const Message message = msg::parameterWrite(0x0027, 0x007FE000);
        transport->pedal(0).receive(message.data(), message.size(), 0);
        QCOMPARE(state.values[0], 0x007FE000u);
    }

    void replyArrivingInPiecesIsTakenWhole_data() {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("one piece") << 1 << 0;
        QTest::newRow("four pieces, 30 ms apart") << 4 << 30;
        QTest::newRow("ten pieces, 60 ms apart") << 10 << 60;
    }
    void replyArrivingInPiecesIsTakenWhole() {
        QFETCH(int, pieces);
        QFETCH(int, gapMs);
        EditorFixture f;
        PedalOptions options;
        options.faults.tornPieces = pieces;
        options.faults.tornGapUs = gapMs * 1000;
        PedalModel& pedal = f.transport.addPedal(options);
        pedal.state().midiChannel = 9;
        pedal.state().values[18] = 0x00123456;
        f.start();
        f.main().action("menuScan")->trigger();
        const std::vector<std::uint8_t>& entries = f.operations().messages().received_bytes_array;
        QCOMPARE(entries.size(), std::size_t(102));
        QCOMPARE(entries[25], std::uint8_t(9));
        QCOMPARE(entries[101], std::uint8_t(0x56));
        QVERIFY(f.log.contains("received_bytes_array size: 102"));
        QVERIFY(f.operations().Timer_USB_Read().isActive());
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    void oneExchangeAtATime_data() {
        QTest::addColumn<int>("clickAtMs");
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<QString>("command");
        for (const QString& command :
             QStringList{"Scan And Link", "Link", "Unlink", "Status request"}) {
            QTest::newRow(qPrintable(command + " during the handshake's 200 ms pause"))
                << 100 << 0 << command;
            QTest::newRow(qPrintable(command + " while the reply is awaited"))
                << 500 << 1000 << command;
        }
    }
    void oneExchangeAtATime() {
        QFETCH(int, clickAtMs);
        QFETCH(int, latencyMs);
        QFETCH(QString, command);
        EditorFixture f;
        PedalOptions slow;
        slow.answerLatencyUs = latencyMs * 1000;
        PedalModel& pedal = f.transport.addPedal(slow);
        f.start();
        Communication& c = f.operations().communication();
        DeviceMessages& messages = f.operations().messages();
        // While the handshake pauses or waits, the user asks for another command, and a deferred
        // parameter send asks to go out.
        std::unique_ptr<Timer> click = f.clock.createTimer();
        click->setSingleShot(true);
        Qt::CursorShape cursorMeanwhile = Qt::ArrowCursor;
        const Message write = msg::parameterWrite(0x0027, 0x007FE000);
        click->onTimeout([&] {
            cursorMeanwhile = f.main().cursor().shape();
            if (command == "Scan And Link") c.menuScanClick();
            if (command == "Link") c.ConnectOnClick();
            if (command == "Unlink") c.menuDisconnectClick();
            if (command == "Status request") c.ReadDeviceStatus();
            c.Timer_USB_ReadTimer();
            messages.runWhenFree([&] { messages.Send(write); });
        });
        click->start(clickAtMs);
        f.main().action("menuScan")->trigger();
        QCOMPARE(cursorMeanwhile, Qt::BusyCursor);
        QVERIFY(
            f.log.contains(command + " refused: another exchange with the pedal is in progress"));
        // The handshake's bytes alone, then the deferred send once it has ended.
        std::vector<std::uint8_t> expected = statusRequestThenWaveEcho;
        const std::vector<std::uint8_t>& writeBytes = write;
        expected.insert(expected.end(), writeBytes.begin(), writeBytes.end());
        QCOMPARE(pedal.received(), expected);
        QVERIFY(c.Linked);
        QCOMPARE(label(f.main(), "lblFirmwareVersion"), QString("Device Firmware: 13"));
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.main().cursor().shape(), Qt::ArrowCursor);
        QVERIFY(messages.linkFree());
    }

    void stepsOfAnExchangeJoinIt() {
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal();
        f.start();
        f.main().action("menuScan")->trigger();
        DeviceMessages& messages = f.operations().messages();
        // A command that runs the status handshake as one of its steps (as Request does).
        bool ran = false;
        {
            DeviceMessages::Exchange request(messages, "Request");
            QVERIFY(request);
            f.operations().communication().ReadDeviceStatus();
            ran = true;
        }
        QVERIFY(ran);
        std::vector<std::uint8_t> expected = statusRequestThenWaveEcho;
        expected.insert(expected.end(), {0x02, 0x00});
        QCOMPARE(pedal.received(), expected);
        QVERIFY(messages.linkFree());
    }

    void pedalStateReachesTheMenus() {
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal();
        pedal.state().storeBypass = true;
        pedal.state().instrumentRange = 186;
        f.start();
        f.main().action("menuScan")->trigger();
        QVERIFY(f.main().action("menuStoreBypassStatus")->isChecked());
        QVERIFY(!f.main().action("menuDoNotStoreBypassStatus")->isChecked());
        QVERIFY(f.main().action("menuLow")->isChecked());
        QVERIFY(!f.main().action("menuStandard")->isChecked());
        QCOMPARE(f.operations().communication().InstrumentRange, std::uint8_t(186));
    }

    void firmwareTooOld() {
        EditorFixture f;
        f.transport.addPedal(pedalWith(12, 14));
        f.start();
        f.main().action("menuScan")->trigger();
        QCOMPARE(f.dialogs.messages,
                 (QStringList{"A firmware upgrade is required. Upgrade to Firmware 13",
                              Communication::LegacyInstructions()}));
        QVERIFY(Communication::LegacyInstructions().startsWith(
            "If current firmware is below 9 follow legacy firmware upgrade mode:\r\n1) close"));
        QCOMPARE(label(f.main(), "lblFirmwareVersion"), QString("Device Firmware: 12"));
        for (const QString& name :
             effectButtons + QStringList{"btnUpload", "menuMIDI", "menuLoadPreset", "lstEffects"}) {
            QVERIFY2(!enabled(f.main(), name), qPrintable(name));
        }
        QVERIFY(!f.editor->fxSettings().isVisible());
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
        QVERIFY(f.operations().communication().Linked);
    }

    void algorithmTooOld() {
        EditorFixture f;
        f.transport.addPedal(pedalWith(13, 13));
        f.start();
        f.main().action("menuScan")->trigger();
        QCOMPARE(f.dialogs.messages,
                 QStringList{"Upload the latest version of Korvanne MK3 algorithm:\r\n"
                             "Upload Korvanne MK3 0014"});
        QCOMPARE(label(f.main(), "lblAlgorithmVersion"), QString("Device Algorithm: 0013"));
        for (const QString& name : effectButtons)
            QVERIFY2(!enabled(f.main(), name), qPrintable(name));
        QVERIFY(enabled(f.main(), "btnUpload"));
        QVERIFY(enabled(f.main(), "lstEffects"));
        QVERIFY(!f.editor->fxSettings().isVisible());
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
        QCOMPARE(f.operations().catalogue.SelectedEffectName, QString("Korvanne MK3 0014"));
    }

    void bootloaderInFirmwareUpgradeMode() {
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal(pedalWith(13, 14, 0, true));
        f.start();
        bool upgradeStarted = false;
        f.operations().communication().StartFirmwareUpgrade = [&] { upgradeStarted = true; };
        f.main().findChild<QCheckBox*>("chkFirmwareUpgradeMode")->setChecked(true);
        f.main().action("menuScan")->trigger();
        QVERIFY(!f.dialogs.messages.isEmpty());
        QCOMPARE(f.dialogs.messages.first(),
                 QString("Connection to bootloader succeeded, ready for firmware upgrade"));
        QVERIFY(upgradeStarted);
        QCOMPARE(pedal.received().front(), std::uint8_t(0x7F));
        QCOMPARE(pedal.line().parity, ft::PARITY_EVEN);
        QVERIFY(f.log.contains("received Byte: 79"));
        QVERIFY(f.main().itemEnabled("menuStartFirmwareUpgrade"));
        QVERIFY(!enabled(f.main(), "btnRequest"));
        QVERIFY(!enabled(f.main(), "btnUpload"));
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
    }

    void noBootloaderInFirmwareUpgradeMode() {
        EditorFixture f;
        f.transport.addPedal();
        f.start();
        f.main().findChild<QCheckBox*>("chkFirmwareUpgradeMode")->setChecked(true);
        f.main().action("menuScan")->trigger();
        QVERIFY(!f.dialogs.messages.isEmpty());
        QCOMPARE(f.dialogs.messages.first(), QString("Connection to bootloader failed"));
        QVERIFY(!f.main().itemEnabled("menuStartFirmwareUpgrade"));
    }

    void twoBridgesAreLinkedInTurn() {
        EditorFixture f;
        PedalModel& first = f.transport.addPedal({}, {}, "First pedal");
        PedalModel& second = f.transport.addPedal({}, {}, "Second pedal");
        f.start();
        f.main().action("menuScan")->trigger();
        QCOMPARE(first.received(), statusRequestThenWaveEcho);
        QCOMPARE(second.received(), bytes({0x02, 0x00}));
        QCOMPARE(label(f.main(), "lblDeviceName"), QString("Second pedal linked"));
        QCOMPARE(f.operations().communication().DeviceSerial, QString("KVSIM0002"));
        // The first bridge was closed before the second was opened.
        QVERIFY(f.transport.pedalByHandle(f.operations().unit().FTHandle) == &second);
        const QStringList handles = f.log.lines.filter("FT_HANDLE: 0x");
        QCOMPARE(handles.size(), 2);
        bool ok = false;
        const auto firstHandle = handles[0].mid(QString("FT_HANDLE: 0x").size()).toUInt(&ok, 16);
        QVERIFY(ok);
        QVERIFY(f.transport.pedalByHandle(firstHandle) == nullptr);
    }

    void unlinkThenLinkAgain() {
        EditorFixture f;
        f.transport.addPedal();
        f.start();
        f.main().action("menuScan")->trigger();
        QCOMPARE(label(f.main(), "lblDeviceName"), linkedLabel);
        f.main().action("menuDisconnect")->trigger();
        QCOMPARE(label(f.main(), "lblDeviceName"), QString("Korvanne MK3 (simulated) "));
        QVERIFY(!f.operations().communication().Linked);
        QVERIFY(!f.operations().unit().isOpen());
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
        for (const QString& name :
             effectButtons + QStringList{"btnUpload", "menuMIDI", "menuUploadTuningsData",
                                         "menuDisconnect", "menuEraseSettings", "menuLoadPreset",
                                         "menuSavePreset", "menuLoadAlgorithmFromFile",
                                         "menuInstrumentRange", "menuBypassStatus"}) {
            QVERIFY2(!enabled(f.main(), name), qPrintable(name));
        }
        // These stay as linking left them.
        QVERIFY(enabled(f.main(), "lstEffects"));
        QVERIFY(enabled(f.main(), "menuScan"));
        QVERIFY(!f.editor->fxSettings().effectControlsEnabled());

        f.main().action("menuScan")->trigger();
        QCOMPARE(label(f.main(), "lblDeviceName"), linkedLabel);
        QVERIFY(f.operations().communication().Linked);
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    void effectNumberDigitsReadAsDecimal_data() {
        QTest::addColumn<int>("effect");
        QTest::addColumn<int>("row");
        QTest::newRow("09 selects the tenth") << 9 << 9;
        QTest::newRow("10 selects the eleventh") << 10 << 10;
    }
    void effectNumberDigitsReadAsDecimal() {
        QFETCH(int, effect);
        QFETCH(int, row);
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal(pedalWith(13, 14, effect));
        f.start();
        for (int i = 1; i < 12; ++i) f.main().addEffect("Korvanne MK3 0014");
        f.main().action("menuScan")->trigger();
        QCOMPARE(f.main().effectList()->currentRow(), row);
        QVERIFY(f.log.contains("efx index :" + QString::number(row)));
        QCOMPARE(pedal.state().effect, effect);
    }

    void noAnswerToTheStatusRequest() {
        EditorFixture f;
        PedalOptions options;
        options.faults.silence = PedalFaults::Silence::StatusRequest;
        f.transport.addPedal(options);
        f.start();
        const std::int64_t before = f.clock.nowUs();
        f.main().action("menuScan")->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{Communication::NoAnswerMessage});
        QCOMPARE(label(f.main(), "lblFirmwareVersion"), QString("Device Firmware:"));
        QVERIFY(!f.editor->fxSettings().isVisible());
        // The wait ended at its limit, in virtual time.
        QVERIFY(f.clock.nowUs() - before < 10'000'000);
        QVERIFY(f.operations().communication().Linked);
        QVERIFY(enabled(f.main(), "menuDisconnect"));
    }

    void earlierReplyIsUsedWhenThePedalFallsSilent_data() {
        QTest::addColumn<std::vector<std::uint8_t>>("earlier");
        QTest::addColumn<QString>("message");
        QTest::newRow("short reply")
            << bytes({13, 0x00, 0x14, 0x00, 0, 0, 0, 1, 1, 1}) << QString();
        QTest::newRow("unreadable algorithm")
            << bytes({13, 0x00, 0x1A, 0x00}) << QString("'001A' is not a valid integer value");
        QTest::newRow("unreadable effect")
            << bytes({13, 0x00, 0x14, 0x0B}) << QString("'0B' is not a valid integer value");
    }
    void earlierReplyIsUsedWhenThePedalFallsSilent() {
        QFETCH(std::vector<std::uint8_t>, earlier);
        QFETCH(QString, message);
        EditorFixture f;
        PedalOptions options;
        options.faults.silence = PedalFaults::Silence::StatusRequest;
        f.transport.addPedal(options);
        f.start();
        f.operations().messages().received_bytes_array = earlier;
        f.main().action("menuScan")->trigger();
        QStringList expected{Communication::NoAnswerMessage};
        if (!message.isEmpty()) expected << message;
        QCOMPARE(f.dialogs.messages, expected);
        // Entries the reply does not hold leave the menus as they were.
        QVERIFY(f.main().action("menuDoNotStoreBypassStatus")->isChecked());
        QCOMPARE(f.editor->fxSettings().isVisible(), message.isEmpty());
        // The window stays usable.
        QVERIFY(enabled(f.main(), "menuDisconnect"));
        f.main().action("menuDisconnect")->trigger();
        QVERIFY(!f.operations().communication().Linked);
    }

    void pollPassesUnaskedDataOn() {
        EditorFixture f;
        f.transport.addPedal();
        f.start();
        f.main().action("menuScan")->trigger();
        std::size_t polled = 0;
        std::uint8_t firstByte = 0;
        f.operations().communication().onPolledBytes = [&](const std::vector<std::uint8_t>& b) {
            if (polled == 0 && !b.empty()) firstByte = b.front();
            polled += b.size();
        };
        f.log.clear();
        f.operations().messages().Send(msg::eepromRead(0x50));
        f.clock.advance(4000);
        QCOMPARE(polled, std::size_t(1 + 16384));
        QCOMPARE(firstByte, std::uint8_t(0xAB));
        QVERIFY(!f.log.lines.filter(QRegularExpression("^num of bytes read: \\d+$")).isEmpty());
        // Error reports are on again after every tick.
        QVERIFY(f.operations().unit().ErrorReportEnabled);
    }

    void pedalGoneIsNoticedOnce_data() {
        QTest::addColumn<QString>("when");
        QTest::newRow("while the poll runs") << "poll";
        QTest::newRow("during the status handshake") << "handshake";
        QTest::newRow("while linked to an older algorithm, poll stopped") << "stopped";
    }
    void pedalGoneIsNoticedOnce() {
        QFETCH(QString, when);
        EditorFixture f;
        PedalOptions options;
        if (when == "handshake") options.faults.pullAfterBytes = 2;
        if (when == "stopped") options.algorithm = 13;
        PedalModel& pedal = f.transport.addPedal(options);
        CountingTransport counting(f.transport);
        // The editor goes before the transport it was given.
        const auto editorFirst = qScopeGuard([&] { f.editor.reset(); });
        f.start(&counting);
        f.main().action("menuScan")->trigger();
        f.dialogs.messages.removeAll(Communication::AlgorithmNotice(14));
        if (when != "handshake") {
            QVERIFY(f.operations().communication().Linked);
            pedal.pullCable();
        }
        const std::int64_t pulledAt = f.clock.nowMs();
        Communication& c = f.operations().communication();
        // A later exchange finds out too, if the poll is not there to.
        if (when == "stopped") c.ReadDeviceStatus();
        while (c.Linked && f.clock.nowMs() - pulledAt < 1000) f.clock.advance(10);
        QVERIFY(!c.Linked);
        QCOMPARE(f.dialogs.messages.count(Communication::DisconnectedMessage), 1);
        QVERIFY(!f.operations().unit().isOpen());
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
        QVERIFY(enabled(f.main(), "menuScan"));
        for (const QString& name : effectButtons + QStringList{"btnUpload", "menuDisconnect"})
            QVERIFY2(!enabled(f.main(), name), qPrintable(name));
        QCOMPARE(label(f.main(), "lblDeviceName"), QString("Korvanne MK3 (simulated) "));
        // Afterwards nothing asks the gone bridge for anything.
        const int reads = counting.reads();
        f.clock.advance(5000);
        QCOMPARE(counting.reads(), reads);
        QCOMPARE(f.dialogs.messages.count(Communication::DisconnectedMessage), 1);
        // Linking again is possible once the pedal is back.
        f.dialogs.messages.clear();
        f.transport.addPedal();
        f.main().action("menuScan")->trigger();
        QVERIFY(c.Linked);
    }

    void lateReplyIsNotTakenForTheNextRequest() {
        EditorFixture f;
        PedalOptions late;
        late.answerLatencyUs = 2'500'000;  // after the 2 s limit
        PedalModel& pedal = f.transport.addPedal(late);
        pedal.state().instrumentRange = 255;
        f.start();
        f.main().action("menuScan")->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{Communication::NoAnswerMessage});
        // The late reply arrives and waits; the pedal then changes range and answers at once.
        f.clock.advance(1000);
        QVERIFY(f.operations().unit().GetFTQueueStatus() == ft::OK);
        QVERIFY(f.operations().unit().RxQueueCount > 0);
        pedal.options().answerLatencyUs = 0;
        pedal.state().instrumentRange = 186;
        f.dialogs.messages.clear();
        f.operations().communication().ReadDeviceStatus();
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.operations().messages().received_bytes_array.at(24), std::uint8_t(186));
        QCOMPARE(f.operations().communication().InstrumentRange, std::uint8_t(186));
        QVERIFY(f.main().action("menuLow")->isChecked());
    }

    void failedOpenOfTheSecondBridge_data() {
        QTest::addColumn<bool>("reportErrors");
        QTest::addColumn<QString>("message");
        QTest::newRow("errors reported")
            << true << "Open_USB_Device_By_Serial_Number - Device not opened...";
        QTest::newRow("errors not reported")
            << false << Communication::OpenFailedMessage("KVSIM0002");
    }
    void failedOpenOfTheSecondBridge() {
        QFETCH(bool, reportErrors);
        QFETCH(QString, message);
        EditorFixture f;
        f.transport.addPedal({}, {}, "First pedal");
        f.transport.addPedal({}, {}, "Not a pedal");
        CountingTransport counting(f.transport);
        // The editor goes before the transport it was given.
        const auto editorFirst = qScopeGuard([&] { f.editor.reset(); });
        counting.refuseOpen.insert("KVSIM0002");
        writeSetting(f, "ReportUSBErrors.txt", reportErrors ? "YES" : "NO");
        f.start(&counting);
        f.main().action("menuScan")->trigger();
        Communication& c = f.operations().communication();
        QVERIFY(!c.Linked);
        QVERIFY(!f.operations().unit().isOpen());
        QCOMPARE(f.dialogs.messages, QStringList{message});
        // The window shows what is true: nothing linked, Scan And Link offered.
        QVERIFY(enabled(f.main(), "menuScan"));
        for (const QString& name : effectButtons + QStringList{"btnUpload", "menuDisconnect",
                                                               "menuEraseSettings", "menuMIDI"}) {
            QVERIFY2(!enabled(f.main(), name), qPrintable(name));
        }
        QVERIFY(!f.editor->fxSettings().effectControlsEnabled());
        QVERIFY(!f.operations().Timer_USB_Read().isActive());
        QCOMPARE(label(f.main(), "lblDeviceName"), QString("Not a pedal"));
        // Once the bridge can be opened, scanning links again.
        f.dialogs.messages.clear();
        counting.refuseOpen.clear();
        f.main().action("menuScan")->trigger();
        QVERIFY(c.Linked);
    }

    void olderAlgorithmWithUnreadableEffectDigits() {
        EditorFixture f;
        PedalOptions options;
        options.faults.silence = PedalFaults::Silence::StatusRequest;
        f.transport.addPedal(options);
        f.start();
        f.main().effectList()->setCurrentRow(0);
        f.controller().effetto_cliccato();
        QVERIFY(f.editor->fxSettings().isVisible());
        // The last reply: algorithm 0013, effect digits 0B.
        f.operations().messages().received_bytes_array = bytes({13, 0x00, 0x13, 0x0B});
        f.main().action("menuScan")->trigger();
        // The algorithm rule comes first: window closed, notice shown, then the digits' error.
        QCOMPARE(f.dialogs.messages,
                 (QStringList{Communication::NoAnswerMessage, Communication::AlgorithmNotice(14),
                              "'0B' is not a valid integer value"}));
        QVERIFY(!f.editor->fxSettings().isVisible());
        for (const QString& name : effectButtons)
            QVERIFY2(!enabled(f.main(), name), qPrintable(name));
        QVERIFY(enabled(f.main(), "btnUpload"));
    }

    void pedalEffectBeyondTheList_data() {
        QTest::addColumn<int>("fromEnd");  // the pedal's effect, counted from the list's length
        QTest::addColumn<bool>("known");
        QTest::newRow("last entry") << -1 << true;
        QTest::newRow("equal to the list's length") << 0 << false;
        QTest::newRow("one past") << 1 << false;
    }
    void pedalEffectBeyondTheList() {
        QFETCH(int, fromEnd);
        QFETCH(bool, known);
        EditorFixture f;
        PedalModel& pedal = f.transport.addPedal();
        f.start();
        const int count = f.main().effectList()->count();
        QVERIFY(count > 0 && count < 9);  // one decimal digit: hex and decimal agree
        pedal.state().effect = count + fromEnd;
        f.main().action("menuScan")->trigger();
        const QString message =
            QStringLiteral("The pedal runs effect %1, which is not in this editor's effect list.")
                .arg(count + fromEnd);
        QCOMPARE(f.dialogs.messages.contains(message), !known);
        QCOMPARE(f.editor->fxSettings().isVisible(), known);
        if (known) QCOMPARE(f.main().effectList()->currentRow(), count - 1);
    }

    void repliesNearTheSettingsEntries_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("storeShown");
        QTest::addColumn<bool>("rangeShown");
        QTest::newRow("23 entries") << 23 << false << false;
        QTest::newRow("24 entries") << 24 << true << false;
        QTest::newRow("25 entries") << 25 << true << true;
    }
    void repliesNearTheSettingsEntries() {
        QFETCH(int, entries);
        QFETCH(bool, storeShown);
        QFETCH(bool, rangeShown);
        EditorFixture f;
        PedalOptions options;
        options.faults.silence = PedalFaults::Silence::StatusRequest;
        f.transport.addPedal(options);
        f.start();
        std::vector<std::uint8_t> reply(std::size_t(entries), 0);
        reply[0] = 13;
        reply[2] = 0x14;
        if (entries > 23) reply[23] = 1;    // store the bypass status
        if (entries > 24) reply[24] = 186;  // low range
        f.operations().messages().received_bytes_array = reply;
        f.main().action("menuScan")->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{Communication::NoAnswerMessage});
        QCOMPARE(f.main().action("menuStoreBypassStatus")->isChecked(), storeShown);
        QCOMPARE(f.main().action("menuDoNotStoreBypassStatus")->isChecked(), !storeShown);
        // Without entry 24 the instrument range and its check marks stay as they were.
        QCOMPARE(f.operations().communication().InstrumentRange,
                 std::uint8_t(rangeShown ? 186 : 0));
        QCOMPARE(f.main().action("menuLow")->isChecked(), rangeShown);
        QVERIFY(!f.main().action("menuStandard")->isChecked());
        QVERIFY(f.editor->fxSettings().isVisible());
    }

    void pickingAnEffect() {
        EditorFixture f;
        f.start();
        QListWidget* list = f.main().effectList();
        list->setCurrentRow(0);
        f.log.clear();
        f.controller().effetto_cliccato();
        QCOMPARE(f.log.lines.value(0), QString("efx index :0"));
        QCOMPARE(f.log.lines.value(1), QString("selected effect name: Korvanne MK3 0014"));
        QCOMPARE(f.log.lines.value(2), QString("resource name: Korvanne_MK3_0014"));
        QVERIFY(f.log.lines.value(3).startsWith("filecontent (first 128 bytes): 001100"));
        QCOMPARE(f.log.lines.value(3).size(),
                 QString("filecontent (first 128 bytes): ").size() + 256);
        // Not linked: the window opens without any check.
        QVERIFY(f.editor->fxSettings().isVisible());
        QCOMPARE(f.editor->fxSettings().windowTitle(), QString("Korvanne MK3 0014"));
        QVERIFY(!f.editor->fxSettings().effectControlsEnabled());
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    void pickingWhileLinkedToAnOlderAlgorithm() {
        EditorFixture f;
        f.transport.addPedal(pedalWith(13, 13));
        f.start();
        f.main().action("menuScan")->trigger();
        f.dialogs.messages.clear();
        f.main().effectList()->setCurrentRow(0);
        f.controller().effetto_cliccato();
        QCOMPARE(f.dialogs.messages,
                 QStringList{"Upload the latest version of Korvanne MK3 algorithm:\r\n"
                             "Upload Korvanne MK3 0014"});
        QVERIFY(!f.editor->fxSettings().isVisible());
        QVERIFY(enabled(f.main(), "btnUpload"));
        QVERIFY(!enabled(f.main(), "btnRequest"));
    }

    void arrowKeysInTheList() {
        EditorFixture f;
        f.start();
        for (int i = 1; i < 3; ++i) f.main().addEffect("Korvanne MK3 0014");
        QListWidget* list = f.main().effectList();
        list->setCurrentRow(0);
        f.log.clear();
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 2);
        QCOMPARE(f.log.lines, (QStringList{"arrow up pressed", "arrow down pressed",
                                           "arrow down pressed", "arrow down pressed"}));
        // Moving the selection does not pick the effect.
        QVERIFY(f.operations().catalogue.SelectedEffectName.isEmpty());
        QVERIFY(!f.editor->fxSettings().isVisible());
    }
};

QTEST_MAIN(TestLink)
#include "link_test.moc"
