#include "app/editor.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

#include "app/main_controller.h"
#include "app/sound_history.h"
#include "app/tform_main.h"
#include "app/tform_presets.h"
#include "console/console_shortcut.h"
#include "console/tform_print.h"
#include "effect/fx_settings.h"
#include "effect/fx_settings_panels.h"
#include "effect/tform_fx_settings.h"
#include "effect/tform_note_tracking_filter.h"
#include "operations/backup_commands.h"
#include "operations/pedal_operations.h"
#include "operations/presets.h"
#include "transfer/algorithm_upload.h"
#include "transfer/firmware_upgrade.h"
#include "transfer/tform_firmware_upgrade.h"
#include "update/tform_new_version_msg.h"
#include "update/tform_update_updater.h"
#include "update/update_check.h"
#include "update/updater.h"

namespace korvanne {

void Editor::TeeLog::ConsoleLog(const QString& line) {
    if (first) first->ConsoleLog(line);
    if (second) second->ConsoleLog(line);
}

void Editor::TeeLog::ConsoleAppend(const QString& line) {
    if (first) first->ConsoleAppend(line);
    if (second) second->ConsoleAppend(line);
}

Editor::Editor(const Services& services)
    : services_{log_,           services.dialogs, services.clock,
                services.shell, services.home,    services.transport} {
    log_.second = &services.log;

    main_ = std::make_unique<TformMain>();
    controller_ = std::make_unique<MainController>(services_, *main_);
    main_->attach(controller_.get());
    creationOrder_ << main_->objectName();
    controller_->FormCreate();

    firmwareUpgrade_ = std::make_unique<TformFirmwareUpgrade>();
    creationOrder_ << firmwareUpgrade_->objectName();
    wireTransfers();

    console_ = std::make_unique<TformPrint>();
    creationOrder_ << console_->objectName();
    log_.first = console_.get();
    console_->attachTools(controller_->operations().consoleTools());
    // Ctrl+Shift+P opens the console from the main window and the effect settings window.
    consoleShortcut_ = std::make_unique<ConsoleShortcut>(*console_);
    consoleShortcut_->watch(main_.get());
    qApp->installEventFilter(consoleShortcut_.get());

    fxSettings_ = std::make_unique<TformFXsettings>();
    creationOrder_ << fxSettings_->objectName();
    main_->setEffectWindow(fxSettings_.get());
    // The tuning and assignment controls live with the window that shows them.
    (new FxSettingsPanels(fxSettings_.get()))
        ->attach(&controller_->operations().tunings(),
                 &controller_->operations().controlAssignments(),
                 &controller_->operations().parameterStore());
    consoleShortcut_->watch(fxSettings_.get());
    fxSettings_->attach(&controller_->operations().fxSettings());
    main_->setEffectControlsEnabled = [this](bool on) {
        controller_->operations().fxSettings().SetEffectControlsEnabled(on);
    };

    noteTrackingFilter_ = std::make_unique<TformNoteTrackingFilter>();
    creationOrder_ << noteTrackingFilter_->objectName();
    noteTrackingFilter_->attach(&controller_->operations().noteTrackingFilter());
    noteTrackingFilter_->saved = [this](const Outcome& outcome) {
        main_->showOutcome(outcome, QStringLiteral("Note cut saved"));
    };
    QObject::connect(main_->action("menuNoteCut"), &QAction::triggered, noteTrackingFilter_.get(),
                     [this] {
                         noteTrackingFilter_->show();
                         noteTrackingFilter_->raise();
                         noteTrackingFilter_->activateWindow();
                     });
    QObject::connect(main_->action("menuPresets"), &QAction::triggered, main_.get(),
                     [this] { showPresets(); });
    newVersionMsg_ = std::make_unique<TformNewVersionMsg>();
    creationOrder_ << newVersionMsg_->objectName();
    updateUpdater_ = std::make_unique<TformUpdateUpdater>();
    creationOrder_ << updateUpdater_->objectName();
    newVersionMsg_->attach(&controller_->operations().updater());
    updateUpdater_->attach(newVersionMsg_.get(), main_.get());
    controller_->operations().updateCheck().setView(updateUpdater_.get());
    controller_->operations().updater().setView(updateUpdater_.get());
    wireHistory();
}

void Editor::wireHistory() {
    PedalOperations& o = controller_->operations();
    history_ = std::make_unique<SoundHistory>(o.fxSettings(), o.messages(), o.backupCommands());
    SoundHistory* h = history_.get();
    TformMain* main = main_.get();
    QObject::connect(fxSettings_.get(), &TformFXsettings::soundChangedByUser, h,
                     [h](const FxControlState& before) { h->changed(before, {}); });
    QObject::connect(main->action("menuLoadPreset"), &QAction::triggered, main, [h, &o] {
        h->recorded(QStringLiteral("Load Preset"),
                    [&o] { return o.presets().menuLoadPresetClick(); });
    });
    o.backupCommands().onRestored = [h](const PedalSnapshot& before, const PedalSnapshot& after) {
        h->restored(before, after);
    };
    // What the controls show after these is the pedal's own state.
    QObject::connect(main, &TformMain::linkChanged, h, &SoundHistory::clear);
    QObject::connect(main->findChild<QPushButton*>("btnRequest"), &QPushButton::clicked, h,
                     &SoundHistory::clear);

    // Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y in both windows; the main window says what happened.
    for (QWidget* window :
         {static_cast<QWidget*>(main), static_cast<QWidget*>(fxSettings_.get())}) {
        auto* undo = new QAction(QStringLiteral("Undo"), window);
        undo->setObjectName(QStringLiteral("actUndo"));
        undo->setShortcut(QKeySequence::Undo);
        auto* redo = new QAction(QStringLiteral("Redo"), window);
        redo->setObjectName(QStringLiteral("actRedo"));
        redo->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
        for (QAction* a : {undo, redo}) a->setShortcutContext(Qt::WindowShortcut);
        window->addAction(undo);
        window->addAction(redo);
        QObject::connect(undo, &QAction::triggered, main,
                         [main, h] { main->showOutcome(h->undo(), {}); });
        QObject::connect(redo, &QAction::triggered, main,
                         [main, h] { main->showOutcome(h->redo(), {}); });
    }
}

void Editor::wireTransfers() {
    PedalOperations* c = &controller_->operations();
    FirmwareUpgrade& upgrade = c->firmwareUpgrade();
    firmwareUpgrade_->attach(&upgrade, main_.get());
    upgrade.setView(firmwareUpgrade_.get());
    // The upgrade window shows a running exchange as the main window does.
    auto shown = c->messages().onBusyChanged;
    c->messages().onBusyChanged = [shown, window = firmwareUpgrade_.get()](bool busy) {
        if (shown) shown(busy);
        window->setBusy(busy);
    };
    QObject::connect(main_->findChild<QPushButton*>("btnUpload"), &QPushButton::clicked,
                     main_.get(), [c] { c->upload().btnUploadClick(); });
    QObject::connect(main_->action("menuLoadAlgorithmFromFile"), &QAction::triggered, main_.get(),
                     [c] { c->upload().menuLoadAlgorithmFromFileClick(); });
    QAction* mode = main_->action("menuFirmwareUpgradeMode");
    QObject::connect(mode, &QAction::triggered, main_.get(), [c, mode] {
        // The operation keeps the check mark itself: undo the toggle Qt made on the click.
        if (mode->isCheckable()) mode->setChecked(!mode->isChecked());
        c->firmwareUpgrade().menuFirmwareUpgradeModeClick();
    });
    QObject::connect(main_->action("menuStartFirmwareUpgrade"), &QAction::triggered, main_.get(),
                     [c] { c->firmwareUpgrade().menuStartFirmwareUpgradeClick(); });
}

void Editor::showPresets() {
    if (!presets_) {
        presets_ = std::make_unique<TformPresets>(services_, controller_->operations().presets(),
                                                  main_->action("menuLoadPreset"),
                                                  main_->action("menuSavePreset"));
        // A load from the list is one undo step, as Load Preset is.
        presets_->runLoad = [h = history_.get()](const std::function<Outcome()>& load) {
            h->recorded(QStringLiteral("Load Preset"), load);
        };
        // First shown under the main window, where it hides neither that nor the effect window.
        const QRect frame = main_->frameGeometry();
        presets_->move(frame.left(), frame.bottom() + 1);
    }
    presets_->show();
    presets_->raise();
    presets_->activateWindow();
}

PedalOperations& Editor::operations() {
    return controller_->operations();
}

Editor::~Editor() {
    // Lines written while the windows go away have nowhere to go.
    log_.first = nullptr;
    qApp->removeEventFilter(consoleShortcut_.get());
}

}  // namespace korvanne
