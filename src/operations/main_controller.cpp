#include "operations/main_controller.h"

#include <QDir>

#include "console/console_tools.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/maker_site.h"
#include "core/shell.h"
#include "device/communication.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/note_tracking_filter.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"
#include "operations/main_link_view.h"
#include "operations/main_transfer_view.h"
#include "operations/main_update_menu.h"
#include "operations/main_view.h"
#include "operations/operations_start_up.h"
#include "operations/presets.h"
#include "pedal/pedal_settings.h"
#include "transfer/algorithm_upload.h"
#include "transfer/effect_catalogue.h"
#include "transfer/erase_settings.h"
#include "transfer/firmware_upgrade.h"
#include "update/update_check.h"
#include "update/updater.h"

namespace korvanne {

namespace {

// Writes a menu toggle's file; when it cannot, puts the mark back (the setting would be back at
// the next start) and tells the user.
void storeToggle(MainView& view, const LocalSettings& settings, Dialogs& dialogs, Control item,
                 const QString& fileName, const QString& caption) {
    const bool on = view.isChecked(item);
    if (settings.rewriteIfExists(fileName, on ? "YES" : "NO")) return;
    view.setChecked(item, !on);
    dialogs.inform(QStringLiteral("\"%1\" could not be saved in %2, so it stays as it was.")
                       .arg(caption, QDir::toNativeSeparators(settings.productFilePath(fileName))));
}

}  // namespace

MainController::MainController(Services& services, MainView& view)
    : services_(services),
      view_(view),
      settings_(services.home),
      unit_(services.transport, services.dialogs),
      messages_(unit_, services.clock, services.log),
      usbReadTimer_(services.clock.createTimer()),
      uploadCheckTimer_(services.clock.createTimer()),
      webVersionTimer_(services.clock.createTimer()),
      linkView_(std::make_unique<MainLinkView>(view)),
      transferView_(std::make_unique<MainTransferView>(view)),
      updateMenu_(std::make_unique<MainUpdateMenu>(view)),
      communication_(std::make_unique<Communication>(*this)),
      fxSettings_(std::make_unique<FxSettings>(services.log, services.dialogs, services.clock,
                                               messages_, catalogue,
                                               communication_->RequestInProgress)),
      pedalSettings_(std::make_unique<PedalSettings>(
          services, messages_, *communication_,
          [this](const QString& text) { return rememberInstrument(text); })),
      tunings_(std::make_unique<Tunings>(services, messages_, *fxSettings_)),
      noteTrackingFilter_(
          std::make_unique<NoteTrackingFilter>(services, messages_, *communication_)),
      controlAssignments_(std::make_unique<ControlAssignments>(
          services, messages_, *communication_, fxSettings_->records, *tunings_,
          [this](bool enabled) { setAssignEnabled(enabled); })),
      parameterStore_(std::make_unique<ParameterStore>(
          services, messages_, *communication_, fxSettings_->records,
          [this](bool enabled) { showAllParametersEnabled(enabled); })),
      upload_(std::make_unique<AlgorithmUpload>(*this, *communication_)),
      firmwareUpgrade_(std::make_unique<FirmwareUpgrade>(*this, *communication_)) {
    uploadCheckTimer_->onTimeout([this] { upload_->UploadCheckTimerTimer(); });
    communication_->StartFirmwareUpgrade = [this] { firmwareUpgrade_->StartFirmwareUpgrade(); };
    communication_->onUnlinked = [this] { firmwareUpgrade_->linkClosed(); };
    communication_->SynchroniseBootloader = [this] {
        return firmwareUpgrade_->synchroniseWhileLinking();
    };
    appliers.ApplyFootswitchMode = [this](const std::vector<std::uint8_t>& entries, std::size_t i) {
        controlAssignments_->ApplyFootswitchMode(entries, i);
    };
    appliers.ApplyTuning = [this](const std::vector<std::uint8_t>& entries, std::size_t i) {
        tunings_->ApplyTuning(entries, i);
        // Without an effect window the note-cut rule reads the tuning from here.
        fxSettings_->headlessControls().guitarTuning = entries[i] <= 8 ? entries[i] : 0;
    };
    appliers.ApplyAssignments = [this](const std::vector<std::uint8_t>& entries, std::size_t i) {
        controlAssignments_->ApplyAssignments(entries, i);
    };
    appliers.ApplyMidiChannel = [this](const std::vector<std::uint8_t>& entries, std::size_t i) {
        pedalSettings_->ShowMidiChannel(entries[i]);
    };
    presets_ = std::make_unique<Presets>(*this);
    usbReadTimer_->onTimeout([this] { communication_->Timer_USB_ReadTimer(); });
    messages_.onBusyChanged = [this](bool busy) {
        view_.setBusy(busy);
        fxSettings_->linkBusyChanged(busy);
    };
    appliers.getBypassStatus = [this](const std::vector<std::uint8_t>& entries, std::size_t at) {
        fxSettings_->getBypassStatus(entries, at);
    };
    appliers.LogParameterValues = [this](const std::vector<std::uint8_t>& entries, std::size_t at) {
        fxSettings_->LogParameterValues(entries, at);
    };
    usbReadTimer_->setInterval(50);
    uploadCheckTimer_->setInterval(5000);
    webVersionTimer_->setInterval(1000);
    webVersionTimer_->setSingleShot(true);
    consoleTools_ = std::make_unique<ConsoleTools>(services, messages_);
    eraseSettings_ = std::make_unique<EraseSettings>(*this, *communication_, *consoleTools_);
    updateCheck_ = std::make_unique<UpdateCheck>(*this);
    updater_ = std::make_unique<Updater>(*this, *updateCheck_);
    webVersionTimer_->onTimeout([this] { updateCheck_->checkmostrecentversiononwebsite(); });
}

MainController::~MainController() = default;

LinkView& MainController::linkView() {
    return *linkView_;
}

TransferView& MainController::transferView() {
    return *transferView_;
}

void MainController::SendBypass(bool on) {
    fxSettings_->SendBypass(on);
}

UpdateMenu& MainController::updateMenu() {
    return *updateMenu_;
}

void MainController::stopShowingUpdateMessage() {
    settings_.rewriteIfExists(LocalSettings::ShowMessageFile, "NO");
}

void MainController::FormCreate() {
    // Nothing here writes to the console: it does not exist yet.
    if (QString error = settings_.CreateSettingsFolder(); !error.isEmpty()) {
        services_.dialogs.inform(error);
    }
    if (QString error = settings_.CreateSettingsSubfolder(); !error.isEmpty()) {
        services_.dialogs.inform(error);
    }
    startup = LoadStartupSettings(settings_);
    view_.setChecked(Control::menuShowUpdateMsg, startup.ShowUpdateMessage);
    view_.setChecked(Control::menuReportUSBErrors, startup.ReportUSBErrors);
    unit_.ErrorReportEnabled = startup.ReportUSBErrors;

    communication_->ListDevices();

    const QString device = view_.text(Control::lblDeviceName);
    if (device.isEmpty() || device == "No device found")
        view_.setEnabled(Control::menuConnect, false);

    for (Control c : {Control::btnRequest, Control::btnAssign, Control::btnSaveParameters,
                      Control::btnUpload, Control::btnSetFootswitchMode, Control::btnSetTuning,
                      Control::menuMIDI, Control::menuUploadTuningsData}) {
        view_.setEnabled(c, false);
    }

    PrepareOperations(*this);

    webVersionTimer_->start();

    view_.setText(Control::menuAppVersion, "Editor Version:  " + EditorVersion);

    view_.BuildLookMenu(LookMenuItems);
    ApplySavedLook();
    view_.BuildMidiChannelMenu();
}

void MainController::EnableUSBobjects(bool status) {
    for (Control c :
         {Control::btnUpload, Control::btnSaveParameters, Control::btnAssign,
          Control::btnSetFootswitchMode, Control::btnSetTuning, Control::menuInstrumentRange,
          Control::menuBypassStatus, Control::btnRequest, Control::menuLoadPreset,
          Control::menuSavePreset, Control::menuLoadAlgorithmFromFile, Control::lstEffects,
          Control::menuUploadTuningsData, Control::menuMIDI, Control::menuRangeLimit}) {
        view_.setEnabled(c, status);
    }
    view_.SetEffectControlsEnabled(status);
}

void MainController::EnableEffectButtons(bool status) {
    for (Control c : {Control::btnRequest, Control::btnSaveParameters, Control::btnAssign,
                      Control::btnSetFootswitchMode, Control::btnSetTuning}) {
        view_.setEnabled(c, status);
    }
}

void MainController::setAssignEnabled(bool enabled) {
    view_.setEnabled(Control::btnAssign, enabled);
}

void MainController::showAllParametersEnabled(bool enabled) {
    view_.setChecked(Control::menuEnableAllParameters, enabled);
}

bool MainController::rememberInstrument(const QString& text) {
    if (settings_.writeProductFile(LocalSettings::InstrumentFile, text)) return true;
    services_.log.ConsoleLog("could not write " + LocalSettings::InstrumentFile);
    return false;
}

void MainController::menuInfoClick() {
    services_.log.ConsoleLog("current app version: " + EditorVersion);
}

void MainController::menuSupportClick() {
    const QString url = contactPageUrl();
    if (!services_.shell.openUrl(url)) services_.dialogs.inform(SupportNoBrowserMessage(url));
}

QString MainController::SupportNoBrowserMessage(const QString& url) {
    return QStringLiteral("No web browser could be started. The support page is at:\n%1").arg(url);
}

void MainController::menuLookClickItem(int position) {
    const int n = (position >= 0 && position < LookMenuItems) ? position : 0;
    view_.applyStyle("Style_" + QString::number(n));
    settings_.writeLookNumber(n);
}

void MainController::ApplySavedLook() {
    const std::optional<int> saved = settings_.readLookNumber();
    // A number without a look of its own leaves the default look.
    if (!saved || !view_.applyStyle("Style_" + QString::number(*saved))) {
        view_.applyStyle("Style_0");
    }
}

void MainController::menuShowUpdateMsgClick() {
    storeToggle(view_, settings_, services_.dialogs, Control::menuShowUpdateMsg,
                LocalSettings::ShowMessageFile, QStringLiteral("Show Update Message"));
}

void MainController::menuReportUSBErrorsClick() {
    // Only the stored setting changes; the live error report follows it from the next start.
    storeToggle(view_, settings_, services_.dialogs, Control::menuReportUSBErrors,
                LocalSettings::ReportUsbErrorsFile, QStringLiteral("Report USB Errors"));
}

void MainController::chkFirmwareUpgradeModeChange(bool checked) {
    if (checked == messages_.FirmwareUpgradeMode) return;
    // Answers of a running exchange would be read the other way from here on: refused, and the
    // tick goes back to what it was.
    if (!messages_.linkFree(QStringLiteral("Firmware Upgrade Mode"),
                            DeviceMessages::Talk::Bootloader)) {
        view_.setChecked(Control::chkFirmwareUpgradeMode, messages_.FirmwareUpgradeMode);
        return;
    }
    messages_.FirmwareUpgradeMode = checked;
}

void MainController::FillEffectList() {
    view_.clearEffects();
    if (ResourceLoad load = catalogue.loadEffectList(); !load.ok()) {
        services_.dialogs.inform(load.error);
        return;
    }
    for (const QString& line : catalogue.effectListLines()) view_.addEffect(line);
}

bool MainController::GetResourceFile() {
    const int index = view_.effectIndex();
    ResourceLoad load = catalogue.GetResourceFile(index, view_.effectText(index), services_.log);
    if (!load.ok()) {
        services_.dialogs.inform(load.error);
        return false;
    }
    return true;
}

void MainController::effetto_cliccato() {
    if (view_.effectIndex() < 0) return;
    if (!GetResourceFile()) return;
    if (!communication_->Linked) {
        OpenEffectWindow();
        return;
    }
    switch (checkDeviceAlgorithm(communication_->DeviceAlgorithm.toStdString(),
                                 catalogue.LatestAlgorithmNumber)) {
        case AlgorithmCheck::Current:
            OpenEffectWindow();
            break;
        case AlgorithmCheck::Older:
            view_.closeEffectWindow();
            services_.dialogs.inform(
                QString::fromStdString(algorithmUploadNotice(catalogue.LatestAlgorithmNumber)));
            EnableEffectButtons(false);
            break;
        case AlgorithmCheck::NotANumber:
            services_.dialogs.inform("'" + communication_->DeviceAlgorithm +
                                     "' is not a valid integer value");
            break;
    }
}

void MainController::move_up_or_down(int virtualKey) {
    const int index = view_.effectIndex();
    if (virtualKey == VK_UP) {
        services_.log.ConsoleLog("arrow up pressed");
        if (index > 0) view_.setEffectIndex(index - 1);
    } else if (virtualKey == VK_DOWN) {
        services_.log.ConsoleLog("arrow down pressed");
        if (index < view_.effectCount() - 1) view_.setEffectIndex(index + 1);
    }
}

void MainController::OpenEffectWindow() {
    view_.OpenEffectWindow(catalogue.SelectedEffectName);
    fxSettings_->FormShow();
    view_.SetEffectControlsEnabled(communication_->Linked);
}

}  // namespace korvanne
