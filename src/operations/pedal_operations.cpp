#include "operations/pedal_operations.h"

#include "console/console_tools.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "device/communication.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/note_tracking_filter.h"
#include "effect/parameter_store.h"
#include "effect/tunings.h"
#include "operations/backup_commands.h"
#include "operations/front_end.h"
#include "operations/pedal_backup.h"
#include "operations/presets.h"
#include "pedal/pedal_settings.h"
#include "transfer/algorithm_upload.h"
#include "transfer/effect_catalogue.h"
#include "transfer/erase_settings.h"
#include "transfer/firmware_upgrade.h"
#include "update/update_check.h"
#include "update/updater.h"

namespace korvanne {

PedalOperations::PedalOperations(Services& services, FrontEnd& frontEnd)
    : consent_(services.dialogs),
      services_{services.log,   consent_,      services.clock,
                services.shell, services.home, services.transport},
      frontEnd_(frontEnd),
      settings_(services_.home),
      unit_(services_.transport, services_.dialogs),
      messages_(unit_, services_.clock, services_.log),
      usbReadTimer_(services_.clock.createTimer()),
      uploadCheckTimer_(services_.clock.createTimer()),
      webVersionTimer_(services_.clock.createTimer()),
      communication_(std::make_unique<Communication>(*this)),
      fxSettings_(std::make_unique<FxSettings>(services_.log, services_.dialogs, services_.clock,
                                               messages_, catalogue,
                                               communication_->RequestInProgress)),
      pedalSettings_(std::make_unique<PedalSettings>(
          services_, messages_, *communication_,
          [this](const QString& text) { return rememberInstrument(text); })),
      tunings_(std::make_unique<Tunings>(services_, messages_, *fxSettings_)),
      noteTrackingFilter_(
          std::make_unique<NoteTrackingFilter>(services_, messages_, *communication_)),
      controlAssignments_(std::make_unique<ControlAssignments>(
          services_, messages_, *communication_, fxSettings_->records, *tunings_,
          [this](bool enabled) { frontEnd_.setAssignEnabled(enabled); })),
      parameterStore_(std::make_unique<ParameterStore>(
          services_, messages_, *communication_, fxSettings_->records,
          [this](bool enabled) { frontEnd_.showAllParametersEnabled(enabled); })),
      upload_(std::make_unique<AlgorithmUpload>(*this, *communication_)),
      firmwareUpgrade_(std::make_unique<FirmwareUpgrade>(*this, *communication_)),
      presets_(std::make_unique<Presets>(services_, messages_, *communication_, *fxSettings_)),
      backupCommands_(std::make_unique<BackupCommands>(services_, consent_, messages_,
                                                       *communication_, *parameterStore_,
                                                       [this] { return pedalBackup(); })),
      consoleTools_(std::make_unique<ConsoleTools>(services_, messages_)),
      eraseSettings_(std::make_unique<EraseSettings>(*this, *communication_, *consoleTools_)),
      updateCheck_(std::make_unique<UpdateCheck>(*this)),
      updater_(std::make_unique<Updater>(*this, *updateCheck_)) {
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
        fxSettings_->headlessControls().guitarTuning = tunings_->CurrentTuning;
    };
    appliers.ApplyAssignments = [this](const std::vector<std::uint8_t>& entries, std::size_t i) {
        controlAssignments_->ApplyAssignments(entries, i);
    };
    appliers.ApplyMidiChannel = [this](const std::vector<std::uint8_t>& entries, std::size_t i) {
        pedalSettings_->ShowMidiChannel(entries[i]);
    };
    appliers.getBypassStatus = [this](const std::vector<std::uint8_t>& entries, std::size_t at) {
        fxSettings_->getBypassStatus(entries, at);
    };
    appliers.LogParameterValues = [this](const std::vector<std::uint8_t>& entries, std::size_t at) {
        fxSettings_->LogParameterValues(entries, at);
    };
    if (!frontEnd_.echoesWhatItReads()) {
        communication_->ReadsWithoutEcho = true;
        fxSettings_->EchoReadValues = false;
    }
    usbReadTimer_->onTimeout([this] { communication_->Timer_USB_ReadTimer(); });
    messages_.onBusyChanged = [this](bool busy) {
        frontEnd_.setBusy(busy);
        fxSettings_->linkBusyChanged(busy);
    };
    usbReadTimer_->setInterval(50);
    uploadCheckTimer_->setInterval(5000);
    webVersionTimer_->setInterval(1000);
    webVersionTimer_->setSingleShot(true);
    webVersionTimer_->onTimeout([this] { updateCheck_->checkmostrecentversiononwebsite(); });
}

PedalOperations::~PedalOperations() = default;

PedalBackup PedalOperations::pedalBackup() {
    return PedalBackup({*communication_, messages_, *controlAssignments_, *tunings_,
                        *pedalSettings_, *fxSettings_, *parameterStore_,
                        [this](int index) { return catalogue.effectName(index); }});
}

QStringList PedalOperations::readStartupSettings() {
    QStringList errors;
    if (QString error = settings_.CreateSettingsFolder(); !error.isEmpty()) errors << error;
    if (QString error = settings_.CreateSettingsSubfolder(); !error.isEmpty()) errors << error;
    startup = LoadStartupSettings(settings_);
    unit_.ErrorReportEnabled = startup.ReportUSBErrors;
    return errors;
}

ResourceLoad PedalOperations::prepare() {
    unit_.SetLineParameters(0);
    messages_.FirmwareUpgradeMode = false;
    ResourceLoad load = catalogue.loadEffectList();
    EditorVersion = GetEditorVersion();
    // The newest algorithm is the one the effect list names first.
    catalogue.setLatestFromFirstItem(load.ok() ? catalogue.effectName(0) : QString());
    MostRecentFirmware = MostRecentFirmwareNumber;
    return load;
}

LinkView& PedalOperations::linkView() {
    return frontEnd_.linkView();
}

TransferView& PedalOperations::transferView() {
    return frontEnd_.transferView();
}

UpdateMenu& PedalOperations::updateMenu() {
    return frontEnd_.updateMenu();
}

void PedalOperations::EnableUSBobjects(bool status) {
    frontEnd_.EnableUSBobjects(status);
}

void PedalOperations::EnableEffectButtons(bool status) {
    frontEnd_.EnableEffectButtons(status);
}

bool PedalOperations::GetResourceFile() {
    ResourceLoad load = catalogue.GetResourceFile(frontEnd_.pickedEffect(),
                                                  frontEnd_.pickedEffectText(), services_.log);
    if (!load.ok()) {
        services_.dialogs.inform(load.error);
        return false;
    }
    return true;
}

void PedalOperations::OpenEffectWindow() {
    frontEnd_.OpenEffectWindow();
}

void PedalOperations::SendBypass(bool on) {
    fxSettings_->SendBypass(on);
}

void PedalOperations::stopShowingUpdateMessage() {
    settings_.rewriteIfExists(LocalSettings::ShowMessageFile, "NO");
}

bool PedalOperations::rememberInstrument(const QString& text) {
    if (settings_.writeProductFile(LocalSettings::InstrumentFile, text)) return true;
    services_.log.ConsoleLog("could not write " + LocalSettings::InstrumentFile);
    return false;
}

}  // namespace korvanne
