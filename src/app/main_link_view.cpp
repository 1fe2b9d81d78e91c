#include "app/main_link_view.h"

#include "app/main_view.h"

namespace korvanne {

QString MainLinkView::deviceName() const {
    return view_.text(Control::lblDeviceName);
}

void MainLinkView::setDeviceName(const QString& text) {
    view_.setText(Control::lblDeviceName, text);
}

QString MainLinkView::serialNumbers() const {
    return view_.text(Control::menuSerialNumber);
}

void MainLinkView::setSerialNumbers(const QString& text) {
    view_.setText(Control::menuSerialNumber, text);
}

void MainLinkView::setFirmwareText(const QString& text) {
    view_.setText(Control::lblFirmwareVersion, text);
}

void MainLinkView::setAlgorithmText(const QString& text) {
    view_.setText(Control::lblAlgorithmVersion, text);
}

void MainLinkView::showLinked(bool linked) {
    view_.linkShown(linked);
    if (linked) {
        view_.setEnabled(Control::menuFirmwareUpgradeMode, true);
        view_.setEnabled(Control::chkFirmwareUpgradeMode, false);
        view_.setEnabled(Control::menuScan, false);
        view_.setEnabled(Control::menuConnect, false);
        view_.setEnabled(Control::menuDisconnect, true);
        view_.setEnabled(Control::menuEraseSettings, true);
        return;
    }
    view_.setEnabled(Control::menuScan, true);
    view_.setEnabled(Control::menuConnect, true);
    for (Control c : {Control::menuDisconnect, Control::btnUpload, Control::btnRequest,
                      Control::btnAssign, Control::btnSaveParameters, Control::btnSetFootswitchMode,
                      Control::btnSetTuning, Control::menuMIDI, Control::menuUploadTuningsData}) {
        view_.setEnabled(c, false);
    }
    view_.SetEffectControlsEnabled(false);
    // The effect list stays as linking left it. Bypass Status goes with the other pedal-wide
    // settings: unlinked, its items would write to a closed bridge.
    for (Control c : {Control::menuEraseSettings, Control::menuLoadPreset, Control::menuSavePreset,
                      Control::menuLoadAlgorithmFromFile, Control::menuInstrumentRange,
                      Control::menuBypassStatus, Control::menuRangeLimit}) {
        view_.setEnabled(c, false);
    }
}

void MainLinkView::showBootloaderReached() {
    view_.setEnabled(Control::menuStartFirmwareUpgrade, true);
    view_.setEnabled(Control::menuEraseSettings, false);
    view_.setEnabled(Control::btnRequest, false);
    view_.setEnabled(Control::btnUpload, false);
}

void MainLinkView::showStoreBypassStatus(bool store) {
    view_.setChecked(Control::menuStoreBypassStatus, store);
    view_.setChecked(Control::menuDoNotStoreBypassStatus, !store);
}

void MainLinkView::showInstrumentRange(bool low) {
    view_.setChecked(Control::menuStandard, !low);
    view_.setChecked(Control::menuLow, low);
}

int MainLinkView::effectCount() const {
    return view_.effectCount();
}

void MainLinkView::setEffectIndex(int index) {
    view_.setEffectIndex(index);
}

bool MainLinkView::effectWindowShown() const {
    return view_.effectWindowShown();
}

void MainLinkView::closeEffectWindow() {
    view_.closeEffectWindow();
}

}  // namespace korvanne
