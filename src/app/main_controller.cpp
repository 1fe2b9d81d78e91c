#include "app/main_controller.h"

#include <QDir>

#include "app/main_link_view.h"
#include "app/main_transfer_view.h"
#include "app/main_update_menu.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/maker_site.h"
#include "core/shell.h"
#include "device/communication.h"
#include "effect/fx_settings.h"
#include "transfer/effect_catalogue.h"

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
      linkView_(std::make_unique<MainLinkView>(view)),
      transferView_(std::make_unique<MainTransferView>(view)),
      updateMenu_(std::make_unique<MainUpdateMenu>(view)),
      ops_(services, *this) {}

MainController::~MainController() = default;

LinkView& MainController::linkView() {
    return *linkView_;
}

TransferView& MainController::transferView() {
    return *transferView_;
}

UpdateMenu& MainController::updateMenu() {
    return *updateMenu_;
}

void MainController::setBusy(bool busy) {
    view_.setBusy(busy);
}

int MainController::pickedEffect() const {
    return view_.effectIndex();
}

QString MainController::pickedEffectText() const {
    return view_.effectText(view_.effectIndex());
}

void MainController::FormCreate() {
    // Nothing here writes to the console: it does not exist yet.
    for (const QString& error : ops_.readStartupSettings()) services_.dialogs.inform(error);
    view_.setChecked(Control::menuShowUpdateMsg, ops_.startup.ShowUpdateMessage);
    view_.setChecked(Control::menuReportUSBErrors, ops_.startup.ReportUSBErrors);

    ops_.communication().ListDevices();

    const QString device = view_.text(Control::lblDeviceName);
    if (device.isEmpty() || device == "No device found")
        view_.setEnabled(Control::menuConnect, false);

    for (Control c : {Control::btnRequest, Control::btnAssign, Control::btnSaveParameters,
                      Control::btnUpload, Control::btnSetFootswitchMode, Control::btnSetTuning,
                      Control::menuMIDI, Control::menuUploadTuningsData}) {
        view_.setEnabled(c, false);
    }

    FillEffectList();

    ops_.TimerCheckWebVersion().start();

    view_.setText(Control::menuAppVersion, "Editor Version:  " + ops_.EditorVersion);

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

void MainController::menuInfoClick() {
    services_.log.ConsoleLog("current app version: " + ops_.EditorVersion);
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
    ops_.settings().writeLookNumber(n);
}

void MainController::ApplySavedLook() {
    const std::optional<int> saved = ops_.settings().readLookNumber();
    // A number without a look of its own leaves the default look.
    if (!saved || !view_.applyStyle("Style_" + QString::number(*saved))) {
        view_.applyStyle("Style_0");
    }
}

void MainController::menuShowUpdateMsgClick() {
    storeToggle(view_, ops_.settings(), services_.dialogs, Control::menuShowUpdateMsg,
                LocalSettings::ShowMessageFile, QStringLiteral("Show Update Message"));
}

void MainController::menuReportUSBErrorsClick() {
    // Only the stored setting changes; the live error report follows it from the next start.
    storeToggle(view_, ops_.settings(), services_.dialogs, Control::menuReportUSBErrors,
                LocalSettings::ReportUsbErrorsFile, QStringLiteral("Report USB Errors"));
}

void MainController::chkFirmwareUpgradeModeChange(bool checked) {
    DeviceMessages& messages = ops_.messages();
    if (checked == messages.FirmwareUpgradeMode) return;
    // Answers of a running exchange would be read the other way from here on: refused, and the
    // tick goes back to what it was.
    if (!messages.linkFree(QStringLiteral("Firmware Upgrade Mode"),
                           DeviceMessages::Talk::Bootloader)) {
        view_.setChecked(Control::chkFirmwareUpgradeMode, messages.FirmwareUpgradeMode);
        return;
    }
    messages.FirmwareUpgradeMode = checked;
}

void MainController::FillEffectList() {
    view_.clearEffects();
    if (ResourceLoad load = ops_.prepare(); !load.ok()) {
        services_.dialogs.inform(load.error);
        return;
    }
    for (const QString& line : ops_.catalogue.effectNames()) view_.addEffect(line);
}

void MainController::effetto_cliccato() {
    if (view_.effectIndex() < 0) return;
    if (!ops_.GetResourceFile()) return;
    const Communication& link = ops_.communication();
    const EffectCatalogue& catalogue = ops_.catalogue;
    if (!link.Linked) {
        OpenEffectWindow();
        return;
    }
    switch (
        checkDeviceAlgorithm(link.DeviceAlgorithm.toStdString(), catalogue.LatestAlgorithmNumber)) {
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
            services_.dialogs.inform("'" + link.DeviceAlgorithm + "' is not a valid integer value");
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
    view_.OpenEffectWindow(ops_.catalogue.SelectedEffectName);
    ops_.fxSettings().FormShow();
    view_.SetEffectControlsEnabled(ops_.communication().Linked);
}

}  // namespace korvanne
