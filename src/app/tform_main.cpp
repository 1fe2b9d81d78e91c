#include "app/tform_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/look.h"
#include "app/main_controller.h"
#include "device/communication.h"
#include "effect/control_assignments.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"
#include "operations/backup_commands.h"
#include "operations/presets.h"
#include "pedal/pedal_settings.h"
#include "transfer/erase_settings.h"
#include "ui/fit_captions.h"
#include "update/update_check.h"
#include "update/updater.h"

namespace korvanne {

namespace {

QPushButton* plainButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

TformMain::TformMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("TformMain");
    setWindowTitle("Korvanne Editor");
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    QFont arial("Arial");
    arial.setPointSizeF(11);
    setFont(arial);

    // Menu bar.
    QMenuBar* bar = menuBar();
    bar->setObjectName("MenuBar1");
    auto top = [&](const QString& name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        menus_.insert(name, m);
        actions_.insert(name, m->menuAction());
        return m;
    };

    QMenu* file = top("menuFile", "File");
    setItemEnabled(addItem(file, "menuLoadPreset", "Load Preset"), false);
    QAction* savePreset = addItem(file, "menuSavePreset", "Save Preset");
    setItemEnabled(savePreset, false);
    // Backing up and restoring need what saving a preset needs: a linked pedal, ready.
    for (const auto& [name, caption] : {std::pair{"menuBackUpPedal", "Back Up Pedal..."},
                                        std::pair{"menuRestorePedal", "Restore Pedal..."}}) {
        QAction* item = addItem(file, name, caption);
        setItemEnabled(item, false);
        connect(savePreset, &QAction::enabledChanged, item,
                [this, item](bool on) { setItemEnabled(item, on); });
    }
    addItem(file, "menuPresets", "Presets...");
    QAction* loadIr = addItem(file, "menuLoadIR", "Load IR");
    loadIr->setVisible(false);
    setItemEnabled(loadIr, false);
    setItemEnabled(addItem(file, "menuLoadAlgorithmFromFile", "Load Effect From File"), false);

    QMenu* connection = top("menuConnection", "Connection");
    addItem(connection, "menuScan", "Scan And Link");
    addItem(connection, "menuConnect", "Link")->setVisible(false);
    setItemEnabled(addItem(connection, "menuDisconnect", "Unlink"), false);

    QMenu* settings = top("menuSettings", "Settings");
    addItem(settings, "menuLiveEnable", "Alive Parameters!")->setVisible(false);
    addSubmenu(settings, "menuLook", "Look");
    QMenu* midi = addSubmenu(settings, "menuMIDI", "MIDI");
    addSubmenu(midi, "menuMIDIchannel", "Channel");
    addItem(settings, "menuEnableAllParameters", "Enable All Parameters")->setVisible(false);
    addItem(settings, "menuUploadTuningsData", "Upload Tuning Data");
    addItem(settings, "menuNoteCut", "Note Cut");
    addItem(settings, "menuReportUSBErrors", "Report USB Errors")->setCheckable(true);
    QMenu* range = addSubmenu(settings, "menuInstrumentRange", "Instrument Range");
    setItemEnabled(range->menuAction(), false);
    addItem(range, "menuStandard", "Standard: Guitar or other instrument with similar range");
    addItem(range, "menuLow", "Low: Bass Guitar, Baritone, tuned down guitar etc.");
    QMenu* bypass = addSubmenu(settings, "menuBypassStatus", "Bypass Status");
    setItemEnabled(bypass->menuAction(), false);
    addItem(bypass, "menuStoreBypassStatus", "Store Bypass Status")->setCheckable(true);
    QAction* doNotStore =
        addItem(bypass, "menuDoNotStoreBypassStatus", "Do Not Store Bypass Status");
    doNotStore->setCheckable(true);
    doNotStore->setChecked(true);
    QMenu* limit = addSubmenu(settings, "menuRangeLimit", "Limit Range");
    limit->menuAction()->setVisible(false);
    setItemEnabled(limit->menuAction(), false);
    addItem(limit, "menuRangeLimitOFF", "Range Limit OFF");
    addItem(limit, "menuRangeLimitON", "Range Limit ON");

    QMenu* firmware = top("menuFirmwareUpgrade", "Firmware Upgrade");
    addItem(firmware, "menuFirmwareUpgradeMode", "Upgrade Mode");
    QAction* startUpgrade = addItem(firmware, "menuStartFirmwareUpgrade", "Start Firmware Upgrade");
    startUpgrade->setVisible(false);
    setItemEnabled(startUpgrade, false);
    setItemEnabled(addItem(firmware, "menuEraseSettings", "Erase Settings"), false);

    QMenu* info = top("menuInfo", "Info");
    addItem(info, "menuQuickStart", "Quick Start")->setVisible(false);
    addItem(info, "menuSupport", "Support");
    setItemEnabled(addItem(info, "menuAppVersion", "Editor Version: "), false);
    setItemEnabled(addItem(info, "menuNewAppVersion", "New version available:"), false);
    setItemEnabled(addItem(info, "menuUpdateNow", "Update Now"), false);
    addItem(info, "menuShowUpdateMsg", "Show Update Message")->setCheckable(true);
    setItemEnabled(addItem(info, "menuSerialNumber", "Device Serial: "), false);

    // Client area: status labels above a two-column grid of the six device buttons, the effect
    // list on the right. Sizes follow the fonts of the desktop, never below the designed ones.
    auto* central = new QWidget(this);
    central->setObjectName("clientArea");
    setCentralWidget(central);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(9, 8, 11, 12);
    columns->setSpacing(8);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    columns->addLayout(left);

    lblDeviceName = label(central, "lblDeviceName", "No device found");
    lblFirmwareVersion = label(central, "lblFirmwareVersion", "Device Firmware:");
    lblFirmwareVersion->setToolTip("Shows which firmware is currently installed on the pedal");
    lblAlgorithmVersion = label(central, "lblAlgorithmVersion", "Device Algorithm:");
    lblStatus = label(central, "lblStatus", "Status: ");
    for (QLabel* l : {lblDeviceName, lblFirmwareVersion, lblAlgorithmVersion, lblStatus}) {
        l->setMinimumSize(174, 17);
        left->addWidget(l);
    }
    left->addSpacing(4);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    left->addLayout(grid);
    left->addStretch();
    btnUpload = plainButton(central, "btnUpload", "Upload Selected");
    btnRequest = plainButton(central, "btnRequest", "Request");
    btnSaveParameters = plainButton(central, "btnSaveParameters", "Save Parameters");
    btnAssign = plainButton(central, "btnAssign", "Assign");
    btnSetFootswitchMode = plainButton(central, "btnSetFootswitchMode", "Set Footswitch Mode");
    btnSetTuning = plainButton(central, "btnSetTuning", "Set Tuning");
    const QList<QPushButton*> buttons{btnUpload, btnRequest,           btnSaveParameters,
                                      btnAssign, btnSetFootswitchMode, btnSetTuning};
    for (int i = 0; i < buttons.size(); ++i) {
        QPushButton* b = buttons[i];
        b->setEnabled(false);
        b->setMinimumSize(110, 44);
        grid->addWidget(b, i / 2, i % 2);
    }

    lstEffects = new QListWidget(central);
    lstEffects->setObjectName("lstEffects");
    lstEffects->setMinimumSize(190, 168);
    lstEffects->setAccessibleName("Effects");
    columns->addWidget(lstEffects, 1);
    // Tab reads the button grid row by row, then the effect list on the right.
    QWidget* previous = btnUpload;
    for (QWidget* next :
         {static_cast<QWidget*>(btnRequest), static_cast<QWidget*>(btnSaveParameters),
          static_cast<QWidget*>(btnAssign), static_cast<QWidget*>(btnSetFootswitchMode),
          static_cast<QWidget*>(btnSetTuning), static_cast<QWidget*>(lstEffects)}) {
        setTabOrder(previous, next);
        previous = next;
    }

    // Hidden controls, never shown.
    chkFirmwareUpgradeMode = new QCheckBox("Firmware Upgrade Mode", central);
    chkFirmwareUpgradeMode->setObjectName("chkFirmwareUpgradeMode");
    chkFirmwareUpgradeMode->setVisible(false);
    btnGetFXInfo = plainButton(central, "btnGetFXInfo", "?");
    btnGetFXInfo->setVisible(false);
    btnGetFXInfo->setEnabled(false);
    lblShowNewVersion = label(central, "lblShowNewVersion", "");
    lblShowNewVersion->setVisible(false);

    // Every label, button and the list carry the window's font themselves: a font a widget only
    // inherits is lost when a look (an application style sheet) is applied, so the controls
    // would change size with each look chosen.
    for (QWidget* child : findChildren<QWidget*>()) child->setFont(arial);

    // The platform's Quit key (Ctrl+Q) closes the editor as the close button does, from any of
    // its windows.
    auto* quit = new QAction(this);
    quit->setObjectName("actionQuit");
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (!quitKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
        quitKeys << QKeySequence(Qt::CTRL | Qt::Key_Q);
    quit->setShortcuts(quitKeys);
    quit->setShortcutContext(Qt::ApplicationShortcut);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);

    // What each command did, shown for a few seconds below the designed client area.
    statusBar()->setObjectName("statusBar");
    statusBar()->setSizeGripEnabled(false);

    fitToContents();
    move(37, 31);

    // The list's own key handling would move the selection without the log line.
    lstEffects->installEventFilter(this);
}

QAction* TformMain::addItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setProperty(EnabledProperty, true);
    actions_.insert(name, a);
    return a;
}

QMenu* TformMain::addSubmenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m->menuAction()->setProperty(EnabledProperty, true);
    menus_.insert(name, m);
    actions_.insert(name, m->menuAction());
    return m;
}

void TformMain::attach(MainController* controller) {
    controller_ = controller;
    MainController* c = controller;
    PedalOperations* o = &controller->operations();
    auto on = [this](const QString& name, auto handler) {
        connect(actions_.value(name), &QAction::triggered, this, handler);
    };
    on("menuSupport", [c] { c->menuSupportClick(); });
    on("menuSavePreset", [o] { o->presets().menuSavePresetClick(); });
    on("menuBackUpPedal", [this, o] {
        showOutcome(o->backupCommands().menuBackUpPedalClick(), QStringLiteral("Pedal backed up"));
    });
    on("menuRestorePedal", [this, o] {
        showOutcome(o->backupCommands().menuRestorePedalClick(), QStringLiteral("Pedal restored"));
    });
    on("menuScan", [o] { o->communication().menuScanClick(); });
    on("menuConnect", [o] { o->communication().ConnectOnClick(); });
    on("menuDisconnect", [o] { o->communication().menuDisconnectClick(); });
    on("menuEraseSettings", [o] { o->eraseSettings().menuEraseSettingsClick(); });
    connect(lstEffects, &QListWidget::itemClicked, this, [c] { c->effetto_cliccato(); });
    on("menuShowUpdateMsg", [c] { c->menuShowUpdateMsgClick(); });
    on("menuUpdateNow", [o] { o->updater().menuUpdateNowClick(); });
    on("menuReportUSBErrors", [c] { c->menuReportUSBErrorsClick(); });
    // Opening the Info menu runs Info as well.
    connect(menus_.value("menuInfo"), &QMenu::aboutToShow, this, [c] { c->menuInfoClick(); });
    connect(chkFirmwareUpgradeMode, &QCheckBox::toggled, this,
            [c](bool checked) { c->chkFirmwareUpgradeModeChange(checked); });

    // Assignments and footswitch.
    connect(btnAssign, &QPushButton::clicked, this, [this, o] {
        showOutcome(o->controlAssignments().btnAssignClick(), QStringLiteral("Controls assigned"));
    });
    connect(btnSetFootswitchMode, &QPushButton::clicked, this, [this, o] {
        showOutcome(o->controlAssignments().btnSetFootswitchModeClick(),
                    QStringLiteral("Footswitch mode set"));
    });

    // Store and request.
    ParameterStore& store = o->parameterStore();
    connect(btnSaveParameters, &QPushButton::clicked, this, [this, &store] {
        showOutcome(store.btnSaveParametersClick(),
                    QStringLiteral("Parameters saved in the pedal"));
    });
    connect(btnRequest, &QPushButton::clicked, this, [&store] { store.btnRequestClick(); });
    on("menuEnableAllParameters", [&store] { store.OnClickEnableAllParameters(); });

    // Tunings.
    connect(btnSetTuning, &QPushButton::clicked, this, [this, o] {
        Tunings& tunings = o->tunings();
        const Outcome set = tunings.btnSetTuningClick();
        const int semitones = tunings.SemitoneVariation;
        showOutcome(set,
                    QStringLiteral("Tuning set: %1, %2")
                        .arg(Tunings::TuningEntries.value(tunings.CurrentTuning),
                             Tunings::SemitoneEntries.value(semitones + Tunings::SemitoneOffset)));
    });
    on("menuUploadTuningsData", [this, o] {
        showOutcome(o->tunings().menuUploadTuningsDataClick(),
                    QStringLiteral("Tuning data uploaded"));
    });

    // Pedal-wide settings.
    PedalSettings& pedal = o->pedalSettings();
    pedal.setView(this);
    on("menuStandard", [&pedal] { pedal.menuStandardClick(); });
    on("menuLow", [&pedal] { pedal.menuLowClick(); });
    // These marks follow what the pedal took, not the click: undo the toolkit's toggle first.
    auto untoggled = [this](const QString& name, auto handler) {
        QAction* item = actions_.value(name);
        connect(item, &QAction::triggered, this, [item, handler] {
            if (item->isCheckable()) item->setChecked(!item->isChecked());
            handler();
        });
    };
    untoggled("menuStoreBypassStatus", [&pedal] { pedal.menuStoreBypassStatusClick(); });
    untoggled("menuDoNotStoreBypassStatus", [&pedal] { pedal.menuDoNotStoreBypassStatusClick(); });
    untoggled("menuRangeLimitON", [&pedal] { pedal.menuRangeLimitONClick(); });
    untoggled("menuRangeLimitOFF", [&pedal] { pedal.menuRangeLimitOFFClick(); });
    midiChannelClicked = [this, &pedal](int index) {
        QAction* item = midiItems_.value(index);
        // The check marks follow the pedal's report, not the click: undo the toolkit's toggle.
        if (item->isCheckable()) item->setChecked(!item->isChecked());
        showOutcome(pedal.menuMIDIchannelsClickItem(item->text()),
                    QStringLiteral("MIDI channel set: %1").arg(item->text()));
    };
}

QAction* TformMain::pedalItem(PedalMenuItem item) const {
    switch (item) {
        case PedalMenuItem::menuStandard:
            return actions_.value("menuStandard");
        case PedalMenuItem::menuLow:
            return actions_.value("menuLow");
        case PedalMenuItem::menuStoreBypassStatus:
            return actions_.value("menuStoreBypassStatus");
        case PedalMenuItem::menuDoNotStoreBypassStatus:
            return actions_.value("menuDoNotStoreBypassStatus");
        case PedalMenuItem::menuRangeLimitOFF:
            return actions_.value("menuRangeLimitOFF");
        case PedalMenuItem::menuRangeLimitON:
            return actions_.value("menuRangeLimitON");
    }
    return nullptr;
}

void TformMain::setItemChecked(PedalMenuItem item, bool checked) {
    QAction* a = pedalItem(item);
    a->setCheckable(true);
    a->setChecked(checked);
}

bool TformMain::itemChecked(PedalMenuItem item) const {
    return pedalItem(item)->isChecked();
}

void TformMain::setMidiChannelChecked(int index, bool checked) {
    if (QAction* a = midiItems_.value(index)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
}

bool TformMain::midiChannelChecked(int index) const {
    const QAction* a = midiItems_.value(index);
    return a && a->isChecked();
}

QObject* TformMain::control(Control c) const {
    switch (c) {
        case Control::lblDeviceName:
            return lblDeviceName;
        case Control::lblFirmwareVersion:
            return lblFirmwareVersion;
        case Control::lblAlgorithmVersion:
            return lblAlgorithmVersion;
        case Control::lblStatus:
            return lblStatus;
        case Control::btnUpload:
            return btnUpload;
        case Control::btnRequest:
            return btnRequest;
        case Control::btnSaveParameters:
            return btnSaveParameters;
        case Control::btnAssign:
            return btnAssign;
        case Control::btnSetFootswitchMode:
            return btnSetFootswitchMode;
        case Control::btnSetTuning:
            return btnSetTuning;
        case Control::lstEffects:
            return lstEffects;
        case Control::chkFirmwareUpgradeMode:
            return chkFirmwareUpgradeMode;
        case Control::menuLoadPreset:
            return actions_.value("menuLoadPreset");
        case Control::menuSavePreset:
            return actions_.value("menuSavePreset");
        case Control::menuLoadAlgorithmFromFile:
            return actions_.value("menuLoadAlgorithmFromFile");
        case Control::menuScan:
            return actions_.value("menuScan");
        case Control::menuConnect:
            return actions_.value("menuConnect");
        case Control::menuDisconnect:
            return actions_.value("menuDisconnect");
        case Control::menuMIDI:
            return actions_.value("menuMIDI");
        case Control::menuUploadTuningsData:
            return actions_.value("menuUploadTuningsData");
        case Control::menuReportUSBErrors:
            return actions_.value("menuReportUSBErrors");
        case Control::menuInstrumentRange:
            return actions_.value("menuInstrumentRange");
        case Control::menuStandard:
            return actions_.value("menuStandard");
        case Control::menuLow:
            return actions_.value("menuLow");
        case Control::menuBypassStatus:
            return actions_.value("menuBypassStatus");
        case Control::menuStoreBypassStatus:
            return actions_.value("menuStoreBypassStatus");
        case Control::menuDoNotStoreBypassStatus:
            return actions_.value("menuDoNotStoreBypassStatus");
        case Control::menuRangeLimit:
            return actions_.value("menuRangeLimit");
        case Control::menuFirmwareUpgradeMode:
            return actions_.value("menuFirmwareUpgradeMode");
        case Control::menuStartFirmwareUpgrade:
            return actions_.value("menuStartFirmwareUpgrade");
        case Control::menuEraseSettings:
            return actions_.value("menuEraseSettings");
        case Control::menuAppVersion:
            return actions_.value("menuAppVersion");
        case Control::menuNewAppVersion:
            return actions_.value("menuNewAppVersion");
        case Control::menuUpdateNow:
            return actions_.value("menuUpdateNow");
        case Control::menuShowUpdateMsg:
            return actions_.value("menuShowUpdateMsg");
        case Control::menuSerialNumber:
            return actions_.value("menuSerialNumber");
        case Control::menuEnableAllParameters:
            return actions_.value("menuEnableAllParameters");
    }
    return nullptr;
}

void TformMain::setEnabled(Control c, bool enabled) {
    QObject* o = control(c);
    // Start Firmware Upgrade is offered only while the bootloader is reached.
    if (c == Control::menuStartFirmwareUpgrade) qobject_cast<QAction*>(o)->setVisible(enabled);
    if (auto* a = qobject_cast<QAction*>(o)) setItemEnabled(a, enabled);
    if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(enabled);
}

bool TformMain::isEnabled(Control c) const {
    QObject* o = control(c);
    if (auto* a = qobject_cast<QAction*>(o)) return itemEnabled(a->objectName());
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isEnabled();
    return false;
}

void TformMain::setItemEnabled(QAction* item, bool enabled) {
    item->setProperty(EnabledProperty, enabled);
    item->setEnabled(enabled);
}

bool TformMain::itemEnabled(const QString& name) const {
    const QAction* item = actions_.value(name);
    if (!item) return false;
    // A hidden item keeps the state it was given, though the toolkit reports it disabled.
    const QVariant state = item->property(EnabledProperty);
    return state.isValid() ? state.toBool() : item->isEnabled();
}

void TformMain::setChecked(Control c, bool checked) {
    QObject* o = control(c);
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
    if (auto* box = qobject_cast<QCheckBox*>(o)) box->setChecked(checked);
}

bool TformMain::isChecked(Control c) const {
    QObject* o = control(c);
    if (auto* a = qobject_cast<QAction*>(o)) return a->isChecked();
    if (auto* box = qobject_cast<QCheckBox*>(o)) return box->isChecked();
    return false;
}

void TformMain::setText(Control c, const QString& text) {
    QObject* o = control(c);
    if (auto* a = qobject_cast<QAction*>(o)) a->setText(text);
    if (auto* l = qobject_cast<QLabel*>(o)) l->setText(text);
}

QString TformMain::text(Control c) const {
    QObject* o = control(c);
    if (auto* a = qobject_cast<QAction*>(o)) return a->text();
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    return {};
}

void TformMain::clearEffects() {
    lstEffects->clear();
}
void TformMain::addEffect(const QString& name) {
    lstEffects->addItem(name);
}
int TformMain::effectCount() const {
    return lstEffects->count();
}
int TformMain::effectIndex() const {
    return lstEffects->currentRow();
}
void TformMain::setEffectIndex(int index) {
    lstEffects->setCurrentRow(index);
}
QString TformMain::effectText(int index) const {
    const QListWidgetItem* item = lstEffects->item(index);
    return item ? item->text() : QString();
}

bool TformMain::effectWindowShown() const {
    return effectWindow_ && effectWindow_->isVisible();
}

void TformMain::OpenEffectWindow(const QString& caption) {
    if (!effectWindow_) return;
    effectWindow_->hide();
    const QRect frame = frameGeometry();
    effectWindow_->move(frame.right() + 1, frame.top());
    effectWindow_->show();
    effectWindow_->setWindowTitle(caption);
}

void TformMain::closeEffectWindow() {
    if (effectWindow_) effectWindow_->hide();
}

void TformMain::SetEffectControlsEnabled(bool enabled) {
    if (setEffectControlsEnabled) setEffectControlsEnabled(enabled);
}

void TformMain::BuildLookMenu(int items) {
    QMenu* look = menus_.value("menuLook");
    for (int i = 0; i < items; ++i) {
        QAction* a = look->addAction(QString::number(i));
        a->setObjectName("menuLookItem" + QString::number(i));
        lookItems_ << a;
        connect(a, &QAction::triggered, this, [this, a] {
            if (controller_)
                controller_->menuLookClickItem(static_cast<int>(lookItems_.indexOf(a)));
        });
    }
}

void TformMain::showOutcome(const Outcome& outcome, const QString& doneText) {
    if (outcome.kind == Outcome::Cancelled) return;
    const QString text = outcome.ok() && outcome.sentence.isEmpty() ? doneText : outcome.sentence;
    statusBar()->showMessage(text, OutcomeShownMs);
}

bool TformMain::applyStyle(const QString& styleName) {
    if (!korvanne::applyStyle(styleName)) return false;
    // A look may draw the controls larger (bold text, thicker borders): the window follows, and
    // the captions placed by position in every window widen to show their text whole.
    fitToContents();
    for (QWidget* window : QApplication::topLevelWidgets()) fitCaptions(window);
    return true;
}

void TformMain::fitToContents() {
    // A fixed-size window that never shrinks below its designed 356 x 228 client area.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (centralWidget() && centralWidget()->layout()) centralWidget()->layout()->activate();
    const QSize hint = sizeHint().expandedTo(
        QSize(356, 228 + menuBar()->sizeHint().height() + statusBar()->sizeHint().height()));
    setFixedSize(hint.expandedTo(QSize(menuBar()->sizeHint().width(), 0)));
}

void TformMain::setBusy(bool busy) {
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

void TformMain::BuildMidiChannelMenu() {
    QMenu* channel = menus_.value("menuMIDIchannel");
    for (int i = 0; i <= 16; ++i) {
        QAction* a = channel->addAction(i == 0 ? QString("OMNI") : QString::number(i));
        a->setObjectName("menuMIDIchannelItem" + QString::number(i));
        midiItems_ << a;
        connect(a, &QAction::triggered, this, [this, i] {
            if (midiChannelClicked) midiChannelClicked(i);
        });
    }
}

bool TformMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == lstEffects && controller_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            controller_->move_up_or_down(key->key() == Qt::Key_Up ? MainController::VK_UP
                                                                  : MainController::VK_DOWN);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TformMain::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program.
    event->accept();
    QApplication::quit();
}

}  // namespace korvanne
