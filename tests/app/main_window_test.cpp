// The editor at start-up: its windows, the main window's menu tree and enabling rules, the looks,
// Info and Support, and the key that opens the debug console.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "app/look.h"
#include "editor_fixture.h"
#include "effect/tform_fx_settings.h"
#include "effect/tform_note_tracking_filter.h"
#include "linked_editor.h"
#include "test_files.h"
#include "transfer/tform_firmware_upgrade.h"
#include "update/tform_new_version_msg.h"
#include "update/tform_update_updater.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

// Names of a menu's items, in menu order (separators left out).
QStringList itemNames(QMenu* menu) {
    QStringList names;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) names << a->objectName();
    }
    return names;
}

struct ControlState {
    const char* name;
    bool enabled;
};

bool enabledByName(TformMain& w, const QString& name) {
    if (w.action(name)) return w.itemEnabled(name);
    if (auto* widget = w.findChild<QWidget*>(name)) return widget->isEnabled();
    qFatal("no control %s", qPrintable(name));
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowsAreCreatedInOrderWithTheirCaptions() {
        EditorFixture f;
        Editor& e = f.start();
        QCOMPARE(e.creationOrder(), (QStringList{"TformMain", "TformFirmwareUpgrade", "TformPrint",
                                                 "TformFXsettings", "TformNoteTrackingFilter",
                                                 "TformNewVersionMsg", "TformUpdateUpdater"}));
        const QList<QPair<QWidget*, QString>> windows = {
            {&e.main(), "Korvanne Editor"},
            {static_cast<QWidget*>(&e.firmwareUpgrade()), "Firmware Upgrade"},
            {&e.console(), "Debug Console"},
            {static_cast<QWidget*>(&e.fxSettings()), "Form1"},
            {static_cast<QWidget*>(&e.noteTrackingFilter()), "Note Cut"},
            {static_cast<QWidget*>(&e.newVersionMsg()), "New Version"},
            {static_cast<QWidget*>(&e.updateUpdater()), "UpdateUpdater"},
        };
        for (const auto& [window, caption] : windows) {
            QCOMPARE(window->windowTitle(), caption);
            QCOMPARE(window->isVisible(), window == &e.main());
        }
        // The start-up steps log nothing (the main window's runs before the console exists, so
        // the log sink, not the console, is what shows a stray line).
        QCOMPARE(f.log.lines, QStringList());
        QVERIFY(e.console().lines().isEmpty());
    }

    void secondaryWindowClosesByHiding() {
        EditorFixture f;
        Editor& e = f.start();
        QWidget* notice = static_cast<QWidget*>(&e.newVersionMsg());
        notice->show();
        QVERIFY(notice->close());
        QVERIFY(!notice->isVisible());
        notice->show();
        QVERIFY(notice->isVisible());
        QVERIFY(e.main().isVisible());
    }

    void firstRunOnACleanHome() {
        EditorFixture f;
        f.start();
        QCOMPARE(readBytes(f.settingsPath("TAVRO/Korvanne MK3/ShowMessageVersionAtStartup.txt")),
                 QByteArray("YES"));
        QCOMPARE(readBytes(f.settingsPath("TAVRO/Korvanne MK3/ReportUSBErrors.txt")),
                 QByteArray("YES"));
        QVERIFY(!QFile::exists(f.settingsPath("TAVRO/style.txt")));
        QVERIFY(f.main().action("menuShowUpdateMsg")->isChecked());
        QVERIFY(f.main().action("menuReportUSBErrors")->isChecked());
        QVERIFY(f.operations().unit().ErrorReportEnabled);
        QCOMPARE(appliedStyle(), QString("STYLE_0"));
        QCOMPARE(f.main().action("menuAppVersion")->text(), QString("Editor Version:  1.19"));
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    void settingsFilesSetTheMenuChecks_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("showChecked");
        QTest::addColumn<bool>("reportChecked");
        QTest::newRow("YES") << QByteArray("YES") << true << true;
        QTest::newRow("NO") << QByteArray("NO") << false << false;
        QTest::newRow("yes") << QByteArray("yes") << true << false;
        QTest::newRow("YES + line end") << QByteArray("YES\r\n") << true << false;
        QTest::newRow("garbage") << QByteArray("\x01\x02zz") << true << false;
    }
    void settingsFilesSetTheMenuChecks() {
        QFETCH(QByteArray, content);
        QFETCH(bool, showChecked);
        QFETCH(bool, reportChecked);
        EditorFixture f;
        QDir(f.home.path()).mkpath("TAVRO/Korvanne MK3");
        writeBytes(f.settingsPath("TAVRO/Korvanne MK3/ShowMessageVersionAtStartup.txt"), content);
        writeBytes(f.settingsPath("TAVRO/Korvanne MK3/ReportUSBErrors.txt"), content);
        f.start();
        QCOMPARE(f.main().action("menuShowUpdateMsg")->isChecked(), showChecked);
        QCOMPARE(f.main().action("menuReportUSBErrors")->isChecked(), reportChecked);
        QCOMPARE(f.operations().startup.ShowUpdateMessage, showChecked);
        QCOMPARE(f.operations().unit().ErrorReportEnabled, reportChecked);
    }

    void menuTogglesRewriteTheirFilesOnly() {
        EditorFixture f;
        f.start();
        f.main().action("menuReportUSBErrors")->trigger();
        QVERIFY(!f.main().action("menuReportUSBErrors")->isChecked());
        QCOMPARE(readBytes(f.settingsPath("TAVRO/Korvanne MK3/ReportUSBErrors.txt")),
                 QByteArray("NO"));
        // The live error report follows the stored setting only from the next start.
        QVERIFY(f.operations().unit().ErrorReportEnabled);
        f.main().action("menuShowUpdateMsg")->trigger();
        QCOMPARE(readBytes(f.settingsPath("TAVRO/Korvanne MK3/ShowMessageVersionAtStartup.txt")),
                 QByteArray("NO"));
        QVERIFY(f.operations().startup.ShowUpdateMessage);
        f.main().action("menuShowUpdateMsg")->trigger();
        QCOMPARE(readBytes(f.settingsPath("TAVRO/Korvanne MK3/ShowMessageVersionAtStartup.txt")),
                 QByteArray("YES"));
    }

    // A toggle whose file cannot be written keeps the mark of what is stored, and says so.
    void aToggleThatCannotBeSavedKeepsItsMark_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("file");
        QTest::newRow("report USB errors") << "menuReportUSBErrors"
                                           << "Report USB Errors"
                                           << "ReportUSBErrors.txt";
        QTest::newRow("show update message") << "menuShowUpdateMsg"
                                             << "Show Update Message"
                                             << "ShowMessageVersionAtStartup.txt";
    }
    void aToggleThatCannotBeSavedKeepsItsMark() {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(QString, file);
        EditorFixture f;
        f.start();
        // A folder where the file should be: it exists but cannot be written.
        const QString path = f.settingsPath("TAVRO/Korvanne MK3/" + file);
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        QVERIFY(f.main().action(item)->isChecked());
        f.main().action(item)->trigger();
        QVERIFY(f.main().action(item)->isChecked());
        QCOMPARE(f.dialogs.messages,
                 QStringList{"\"" + caption + "\" could not be saved in " +
                             QDir::toNativeSeparators(path) + ", so it stays as it was."});
    }

    void savedLook_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("style");
        QTest::newRow("3") << QByteArray("3") << "STYLE_3";
        QTest::newRow("7, beyond the menu") << QByteArray("7") << "STYLE_7";
        QTest::newRow("9, no such look") << QByteArray("9") << "STYLE_0";
        QTest::newRow("not a number") << QByteArray("dark") << "STYLE_0";
        QTest::newRow("negative") << QByteArray("-1") << "STYLE_0";
    }
    void savedLook() {
        QFETCH(QByteArray, content);
        QFETCH(QString, style);
        EditorFixture f;
        QDir(f.home.path()).mkpath("TAVRO");
        writeBytes(f.settingsPath("TAVRO/style.txt"), content);
        f.start();
        QCOMPARE(appliedStyle(), style);
        // Reading the look never rewrites its file.
        QCOMPARE(readBytes(f.settingsPath("TAVRO/style.txt")), content);
    }

    void choosingALookAppliesAndStoresIt() {
        EditorFixture f;
        f.start();
        const QList<QAction*> items = f.main().lookItems();
        QStringList captions;
        for (QAction* a : items) captions << a->text();
        QCOMPARE(captions, (QStringList{"0", "1", "2", "3", "4", "5", "6"}));
        items[3]->trigger();
        QCOMPARE(appliedStyle(), QString("STYLE_3"));
        QCOMPARE(readBytes(f.settingsPath("TAVRO/style.txt")), QByteArray("3"));
        QVERIFY(!QFile::exists(f.settingsPath("TAVRO/Korvanne MK3/style.txt")));
        items[0]->trigger();
        QCOMPARE(readBytes(f.settingsPath("TAVRO/style.txt")), QByteArray("0"));
    }

    void menuTree() {
        EditorFixture f;
        f.start();
        TformMain& w = f.main();
        QStringList top;
        for (QAction* a : w.menuBar()->actions()) top << a->objectName();
        QCOMPARE(top, (QStringList{"menuFile", "menuConnection", "menuSettings",
                                   "menuFirmwareUpgrade", "menuInfo"}));
        QCOMPARE(itemNames(w.menu("menuFile")),
                 (QStringList{"menuLoadPreset", "menuSavePreset", "menuBackUpPedal",
                              "menuRestorePedal", "menuPresets", "menuLoadIR",
                              "menuLoadAlgorithmFromFile"}));
        QCOMPARE(itemNames(w.menu("menuConnection")),
                 (QStringList{"menuScan", "menuConnect", "menuDisconnect"}));
        QCOMPARE(itemNames(w.menu("menuSettings")),
                 (QStringList{"menuLiveEnable", "menuLook", "menuMIDI", "menuEnableAllParameters",
                              "menuUploadTuningsData", "menuNoteCut", "menuReportUSBErrors",
                              "menuInstrumentRange", "menuBypassStatus", "menuRangeLimit"}));
        QCOMPARE(itemNames(w.menu("menuMIDI")), QStringList{"menuMIDIchannel"});
        QCOMPARE(w.menu("menuMIDIchannel")->actions().size(), 17);
        QCOMPARE(w.midiChannelItems().first()->text(), QString("OMNI"));
        QCOMPARE(w.midiChannelItems().last()->text(), QString("16"));
        QCOMPARE(itemNames(w.menu("menuInstrumentRange")),
                 (QStringList{"menuStandard", "menuLow"}));
        QCOMPARE(itemNames(w.menu("menuBypassStatus")),
                 (QStringList{"menuStoreBypassStatus", "menuDoNotStoreBypassStatus"}));
        QCOMPARE(itemNames(w.menu("menuRangeLimit")),
                 (QStringList{"menuRangeLimitOFF", "menuRangeLimitON"}));
        QCOMPARE(itemNames(w.menu("menuFirmwareUpgrade")),
                 (QStringList{"menuFirmwareUpgradeMode", "menuStartFirmwareUpgrade",
                              "menuEraseSettings"}));
        QCOMPARE(
            itemNames(w.menu("menuInfo")),
            (QStringList{"menuQuickStart", "menuSupport", "menuAppVersion", "menuNewAppVersion",
                         "menuUpdateNow", "menuShowUpdateMsg", "menuSerialNumber"}));
    }

    void menuItems_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        auto row = [](const char* name, const char* caption, bool visible, bool enabled) {
            QTest::newRow(name) << QString(caption) << visible << enabled;
        };
        row("menuFile", "File", true, true);
        row("menuLoadPreset", "Load Preset", true, false);
        row("menuSavePreset", "Save Preset", true, false);
        row("menuPresets", "Presets...", true, true);
        row("menuLoadIR", "Load IR", false, false);
        row("menuLoadAlgorithmFromFile", "Load Effect From File", true, false);
        row("menuConnection", "Connection", true, true);
        row("menuScan", "Scan And Link", true, true);
        row("menuConnect", "Link", false, false);  // no device name shown
        row("menuDisconnect", "Unlink", true, false);
        row("menuSettings", "Settings", true, true);
        row("menuLiveEnable", "Alive Parameters!", false, true);
        row("menuLook", "Look", true, true);
        row("menuMIDI", "MIDI", true, false);
        row("menuMIDIchannel", "Channel", true, true);
        row("menuEnableAllParameters", "Enable All Parameters", false, true);
        row("menuUploadTuningsData", "Upload Tuning Data", true, false);
        row("menuNoteCut", "Note Cut", true, true);
        row("menuReportUSBErrors", "Report USB Errors", true, true);
        row("menuInstrumentRange", "Instrument Range", true, false);
        row("menuStandard", "Standard: Guitar or other instrument with similar range", true, true);
        row("menuLow", "Low: Bass Guitar, Baritone, tuned down guitar etc.", true, true);
        row("menuBypassStatus", "Bypass Status", true, false);
        row("menuStoreBypassStatus", "Store Bypass Status", true, true);
        row("menuDoNotStoreBypassStatus", "Do Not Store Bypass Status", true, true);
        row("menuRangeLimit", "Limit Range", false, false);
        row("menuRangeLimitOFF", "Range Limit OFF", true, true);
        row("menuRangeLimitON", "Range Limit ON", true, true);
        row("menuFirmwareUpgrade", "Firmware Upgrade", true, true);
        row("menuFirmwareUpgradeMode", "Upgrade Mode", true, true);
        row("menuStartFirmwareUpgrade", "Start Firmware Upgrade", false, false);
        row("menuEraseSettings", "Erase Settings", true, false);
        row("menuInfo", "Info", true, true);
        row("menuQuickStart", "Quick Start", false, true);
        row("menuSupport", "Support", true, true);
        row("menuAppVersion", "Editor Version:  1.19", true, false);
        row("menuNewAppVersion", "New version available:", true, false);
        row("menuUpdateNow", "Update Now", true, false);
        row("menuShowUpdateMsg", "Show Update Message", true, true);
        row("menuSerialNumber", "Device Serial: ", true, false);
    }
    void menuItems() {
        QFETCH(QString, caption);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        EditorFixture f;
        f.start();
        QAction* a = f.main().action(QTest::currentDataTag());
        QVERIFY(a);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->isVisible(), visible);
        QCOMPARE(f.main().itemEnabled(QTest::currentDataTag()), enabled);
    }

    void layoutAndHiddenControls() {
        EditorFixture f;
        f.start();
        TformMain& w = f.main();
        QCOMPARE(w.findChild<QLabel*>("lblDeviceName")->text(), QString("No device found"));
        QCOMPARE(w.findChild<QLabel*>("lblFirmwareVersion")->text(), QString("Device Firmware:"));
        QCOMPARE(w.findChild<QLabel*>("lblFirmwareVersion")->toolTip(),
                 QString("Shows which firmware is currently installed on the pedal"));
        QCOMPARE(w.findChild<QLabel*>("lblAlgorithmVersion")->text(), QString("Device Algorithm:"));
        QCOMPARE(w.findChild<QLabel*>("lblStatus")->text(), QString("Status: "));
        const QList<QPair<const char*, const char*>> buttons = {
            {"btnUpload", "Upload Selected"},
            {"btnRequest", "Request"},
            {"btnSaveParameters", "Save Parameters"},
            {"btnAssign", "Assign"},
            {"btnSetFootswitchMode", "Set Footswitch Mode"},
            {"btnSetTuning", "Set Tuning"}};
        for (const auto& [name, caption] : buttons) {
            auto* b = w.findChild<QPushButton*>(name);
            QVERIFY2(b, name);
            QCOMPARE(b->text(), QString(caption));
            QVERIFY(b->isVisible());
        }
        for (const char* hidden : {"chkFirmwareUpgradeMode", "btnGetFXInfo", "lblShowNewVersion"}) {
            QVERIFY2(!w.findChild<QWidget*>(hidden)->isVisible(), hidden);
        }
        QVERIFY(!w.findChild<QWidget*>("btnGetFXInfo")->isEnabled());
        QVERIFY(w.action("menuDoNotStoreBypassStatus")->isChecked());
        QVERIFY(!w.action("menuStoreBypassStatus")->isChecked());
        QCOMPARE(w.effectList()->count(), 1);
        QCOMPARE(w.effectList()->item(0)->text(), QString("Korvanne MK3 0014"));
        QCOMPARE(f.operations().catalogue.LatestAlgorithmNumber, 14u);
        QCOMPARE(f.operations().MostRecentFirmware, 13u);
    }

    void enablingRules_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QStringList>("on");
        const QStringList effectButtons{"btnRequest", "btnSaveParameters", "btnAssign",
                                        "btnSetFootswitchMode", "btnSetTuning"};
        const QStringList usbObjects =
            QStringList{"btnUpload",      "menuInstrumentRange",   "menuBypassStatus",
                        "menuLoadPreset", "menuSavePreset",        "menuLoadAlgorithmFromFile",
                        "lstEffects",     "menuUploadTuningsData", "menuMIDI",
                        "menuRangeLimit"} +
            effectButtons;
        QTest::newRow("start-up") << "start-up" << QStringList{"lstEffects"};
        QTest::newRow("EnableUSBobjects on") << "usb-on" << usbObjects;
        QTest::newRow("EnableUSBobjects off") << "usb-off" << QStringList{};
        QStringList withoutEffectButtons = usbObjects;
        for (const QString& b : effectButtons) withoutEffectButtons.removeAll(b);
        QTest::newRow("EnableEffectButtons off") << "effect-off" << withoutEffectButtons;
    }
    void enablingRules() {
        QFETCH(QString, event);
        QFETCH(QStringList, on);
        EditorFixture f;
        f.start();
        if (event == "usb-on" || event == "effect-off") f.controller().EnableUSBobjects(true);
        if (event == "usb-off") {
            f.controller().EnableUSBobjects(true);
            f.controller().EnableUSBobjects(false);
        }
        if (event == "effect-off") f.controller().EnableEffectButtons(false);
        const QStringList all{"btnUpload",
                              "btnRequest",
                              "btnSaveParameters",
                              "btnAssign",
                              "btnSetFootswitchMode",
                              "btnSetTuning",
                              "menuInstrumentRange",
                              "menuBypassStatus",
                              "menuLoadPreset",
                              "menuSavePreset",
                              "menuLoadAlgorithmFromFile",
                              "lstEffects",
                              "menuUploadTuningsData",
                              "menuMIDI",
                              "menuRangeLimit"};
        for (const QString& name : all) {
            QVERIFY2(enabledByName(f.main(), name) == on.contains(name), qPrintable(name));
        }
        QCOMPARE(f.editor->fxSettings().effectControlsEnabled(),
                 event == "usb-on" || event == "effect-off");
        // Unrelated items keep their start-up state.
        QVERIFY(enabledByName(f.main(), "menuScan"));
        QVERIFY(!enabledByName(f.main(), "menuDisconnect"));
    }

    void consoleKey_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        const int ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier, alt = Qt::AltModifier;
        for (const char* target : {"main window", "effect list", "effect window"}) {
            const QByteArray where = QByteArray(" in the ") + target;
            QTest::newRow("P" + where) << 0 << target << false;
            QTest::newRow("Ctrl+P" + where) << ctrl << target << false;
            QTest::newRow("Shift+P" + where) << shift << target << false;
            QTest::newRow("Alt+P" + where) << alt << target << false;
            QTest::newRow("Ctrl+Shift+P" + where) << (ctrl | shift) << target << true;
            QTest::newRow("Ctrl+Shift+Alt+P" + where) << (ctrl | shift | alt) << target << true;
        }
    }
    void consoleKey() {
        QFETCH(int, modifiers);
        QFETCH(QString, target);
        QFETCH(bool, opens);
        EditorFixture f;
        f.start();
        QWidget* to = &f.main();
        if (target == "effect list") to = f.main().effectList();
        if (target == "effect window") {
            f.editor->fxSettings().show();
            to = &f.editor->fxSettings();
        }
        QTest::keyClick(to, Qt::Key_P, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.editor->console().isVisible(), opens);
    }

    void consoleKeepsItsLinesWhenClosed() {
        EditorFixture f;
        f.start();
        f.controller().menuInfoClick();
        QTest::keyClick(&f.main(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        TformPrint& console = f.editor->console();
        QVERIFY(console.isVisible());
        console.close();
        QVERIFY(!console.isVisible());
        f.controller().menuInfoClick();
        QTest::keyClick(&f.main(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(console.isVisible());
        QCOMPARE(console.lines(),
                 (QStringList{"current app version: 1.19", "current app version: 1.19"}));
    }

    void infoAndSupport() {
        EditorFixture f;
        f.start();
        QMenu* info = f.main().menu("menuInfo");
        Q_EMIT info->aboutToShow();
        Q_EMIT info->aboutToShow();
        QCOMPARE(f.log.lines,
                 (QStringList{"current app version: 1.19", "current app version: 1.19"}));
        f.main().action("menuSupport")->trigger();
        QCOMPARE(f.shell.opened, QStringList{"https://www.tavro.audio/contact-us/"});
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    void supportOnTheConfiguredSiteWithoutABrowser_data() {
        QTest::addColumn<bool>("browser");
        QTest::newRow("a browser starts") << true;
        QTest::newRow("no browser") << false;
    }
    void supportOnTheConfiguredSiteWithoutABrowser() {
        QFETCH(bool, browser);
        qputenv("KORVANNE_MAKER_SITE", "http://127.0.0.1:8123");
        EditorFixture f;
        f.shell.openResult = browser;
        f.start();
        f.main().action("menuSupport")->trigger();
        qunsetenv("KORVANNE_MAKER_SITE");
        const QString url = "http://127.0.0.1:8123/contact-us/";
        QCOMPARE(f.shell.opened, QStringList{url});
        // Without a browser the user is told, with the address to copy.
        QCOMPARE(
            f.dialogs.messages,
            browser ? QStringList() : QStringList{MainController::SupportNoBrowserMessage(url)});
        if (!browser) QVERIFY(f.dialogs.messages.first().endsWith("\n" + url));
    }

    void quitKeyClosesTheEditor_data() {
        QTest::addColumn<QString>("from");
        QTest::newRow("main window") << "main";
        QTest::newRow("effect settings window") << "effect";
    }
    void quitKeyClosesTheEditor() {
        QFETCH(QString, from);
        EditorFixture f;
        f.start();
        QWidget* target = &f.main();
        if (from == "effect") {
            f.main().effectList()->setCurrentRow(0);
            f.controller().effetto_cliccato();
            target = &f.editor->fxSettings();
        }
        target->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(target));
        QTest::keyClick(target, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!f.main().isVisible());
    }

    // Commands that change the pedal and leave the window as it was say what they did in the
    // status bar; a question answered No leaves it as it was.
    void commandsSayWhatHappenedInTheStatusBar_data() {
        QTest::addColumn<QString>("command");  // a button, or a menu item or window as named
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("assign") << "btnAssign"
                                << "Upload Assignments?" << true << "Controls assigned";
        QTest::newRow("footswitch") << "btnSetFootswitchMode"
                                    << "" << true << "Footswitch mode set";
        QTest::newRow("save parameters")
            << "btnSaveParameters"
            << "Save Parameters to pedal?" << true << "Parameters saved in the pedal";
        QTest::newRow("set tuning")
            << "btnSetTuning"
            << "Set new tuning?" << true << "Tuning set: No Tuning Selected, 0";
        QTest::newRow("set tuning, No") << "btnSetTuning"
                                        << "Set new tuning?" << false << "";
        QTest::newRow("tuning data") << "menuUploadTuningsData"
                                     << "Upload Tuning Data?" << true << "Tuning data uploaded";
        QTest::newRow("MIDI channel") << "midi 5"
                                      << "" << true << "MIDI channel set: 5";
        QTest::newRow("note cut") << "note cut"
                                  << "" << true << "Note cut saved";
    }
    void commandsSayWhatHappenedInTheStatusBar() {
        QFETCH(QString, command);
        QFETCH(QString, question);
        QFETCH(bool, yes);
        QFETCH(QString, shown);
        LinkedEditor e;
        if (!question.isEmpty()) e.dialogs.expectConfirm(yes, question);
        if (command.startsWith("btn")) {
            e.main().findChild<QPushButton*>(command)->click();
        } else if (command == "midi 5") {
            e.main().midiChannelItems().value(5)->trigger();
        } else if (command == "note cut") {
            e.editor->noteTrackingFilter().findChild<QPushButton*>("btnSave")->click();
        } else {
            e.main().action(command)->trigger();
        }
        QVERIFY(e.dialogs.scriptDone());
        QCOMPARE(e.main().statusBar()->currentMessage(), shown);
        QCOMPARE(e.sent().empty(), !yes);
    }

    // A command refused while another exchange runs says why.
    void aRefusedCommandSaysWhyInTheStatusBar() {
        LinkedEditor e;
        QString during;
        std::unique_ptr<Timer> click = e.clock.createTimer();
        click->setSingleShot(true);
        click->onTimeout([&] {
            e.main().findChild<QPushButton*>("btnSetFootswitchMode")->click();
            during = e.main().statusBar()->currentMessage();
        });
        click->start(200);
        e.dialogs.expectConfirm(true, "Upload Tuning Data?");
        e.main().action("menuUploadTuningsData")->trigger();
        QCOMPARE(during, "Refused: " + Outcome::BusyReason + ".");
        QCOMPARE(e.main().statusBar()->currentMessage(), QString("Tuning data uploaded"));
    }

    void tabVisitsTheButtonsRowByRowThenTheEffects() {
        LinkedEditor e;
        TformMain& w = e.main();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QStringList order{"btnUpload", "btnRequest",           "btnSaveParameters",
                                "btnAssign", "btnSetFootswitchMode", "btnSetTuning",
                                "lstEffects"};
        for (const QString& name : order) {
            QWidget* c = w.findChild<QWidget*>(name);
            QVERIFY2(c->isEnabled(), qPrintable(name));
            QVERIFY2(!QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name).isEmpty(),
                     qPrintable(name));
        }
        w.findChild<QWidget*>(order.first())->setFocus(Qt::TabFocusReason);
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (qsizetype i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, order + QStringList{order.first()});
        // Every control shown is in the cycle.
        for (QWidget* c : w.findChildren<QWidget*>()) {
            if (c->isVisible() && (c->focusPolicy() & Qt::TabFocus) && c->isEnabled() &&
                !c->objectName().startsWith("qt_") && c->objectName() != "MenuBar1") {
                QVERIFY2(order.contains(c->objectName()), qPrintable(c->objectName()));
            }
        }
        // Space presses the button that has the focus.
        w.findChild<QWidget*>("btnSetTuning")->setFocus(Qt::TabFocusReason);
        e.dialogs.expectConfirm(false, "Set new tuning?");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(e.dialogs.scriptDone());
    }

    void everyLookGivesTheButtonsOneSize() {
        EditorFixture f;
        f.start();
        const QStringList names{"btnUpload", "btnRequest",           "btnSaveParameters",
                                "btnAssign", "btnSetFootswitchMode", "btnSetTuning"};
        auto fonts = [&] {
            QList<QFont> list;
            for (const QString& name : names) {
                auto* button = f.main().findChild<QPushButton*>(name);
                button->ensurePolished();
                list << button->font();
            }
            return list;
        };
        auto grabTo = [&](const QString& name) {
            const QByteArray dir = qgetenv("KORVANNE_GRAB_DIR");
            if (!dir.isEmpty()) f.main().grab().save(QString::fromLocal8Bit(dir) + "/" + name);
        };
        const QList<QFont> atStart = fonts();
        grabTo("look-start.png");
        for (const QFont& font : atStart) {
            QCOMPARE(QFontInfo(font).pixelSize(), QFontInfo(atStart.first()).pixelSize());
        }
        const QList<QAction*> items = f.main().lookItems();
        QList<QList<QFont>> first;
        for (int n = 0; n < items.size(); ++n) {
            items[n]->trigger();
            grabTo(QStringLiteral("look-%1.png").arg(n));
            const QList<QFont> now = fonts();
            for (const QFont& font : now) {
                QVERIFY2(QFontInfo(font).pixelSize() == QFontInfo(now.first()).pixelSize(),
                         qPrintable(QStringLiteral("look %1").arg(n)));
            }
            first << now;
        }
        // Choosing a look again gives the same result; look 0 again is the start-up look.
        for (int n = items.size() - 1; n >= 0; --n) {
            items[n]->trigger();
            QCOMPARE(fonts(), first[n]);
        }
        QCOMPARE(fonts(), atStart);
        grabTo("look-0-again.png");
    }
};

QTEST_MAIN(TestMainWindow)
#include "main_window_test.moc"
