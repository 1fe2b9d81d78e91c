#pragma once

#include <QString>
#include <QStringList>

namespace korvanne {

// The main window's controls that the operations read and change, by their names.
enum class Control {
    // Labels.
    lblDeviceName,
    lblFirmwareVersion,
    lblAlgorithmVersion,
    lblStatus,
    // Buttons and the effect list.
    btnUpload,
    btnRequest,
    btnSaveParameters,
    btnAssign,
    btnSetFootswitchMode,
    btnSetTuning,
    lstEffects,
    chkFirmwareUpgradeMode,
    // Menu items.
    menuLoadPreset,
    menuSavePreset,
    menuLoadAlgorithmFromFile,
    menuScan,
    menuConnect,
    menuDisconnect,
    menuMIDI,
    menuUploadTuningsData,
    menuReportUSBErrors,
    menuInstrumentRange,
    menuStandard,
    menuLow,
    menuBypassStatus,
    menuStoreBypassStatus,
    menuDoNotStoreBypassStatus,
    menuRangeLimit,
    menuFirmwareUpgradeMode,
    menuStartFirmwareUpgrade,
    menuEraseSettings,
    menuAppVersion,
    menuNewAppVersion,
    menuUpdateNow,
    menuShowUpdateMsg,
    menuSerialNumber,
    menuEnableAllParameters,
};

// What the operations need of the main window. The editor's window implements it with widgets;
// the command-line front end and tests can implement it without any.
class MainView {
public:
    virtual ~MainView() = default;

    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual bool isEnabled(Control control) const = 0;
    virtual void setChecked(Control control, bool checked) = 0;
    virtual bool isChecked(Control control) const = 0;
    // Label text or menu caption.
    virtual void setText(Control control, const QString& text) = 0;
    virtual QString text(Control control) const = 0;

    // The effect list.
    virtual void clearEffects() = 0;
    virtual void addEffect(const QString& name) = 0;
    virtual int effectCount() const = 0;
    virtual int effectIndex() const = 0;  // -1 when nothing is selected
    virtual void setEffectIndex(int index) = 0;
    virtual QString effectText(int index) const = 0;

    // The effect settings window.
    virtual bool effectWindowShown() const = 0;
    virtual void OpenEffectWindow(const QString& caption) = 0;
    virtual void closeEffectWindow() = 0;
    virtual void SetEffectControlsEnabled(bool enabled) = 0;

    // Looks: the Look menu's items, and applying a style by name (false when it does not exist).
    virtual void BuildLookMenu(int items) = 0;
    virtual bool applyStyle(const QString& styleName) = 0;
    // The MIDI channel submenu.
    virtual void BuildMidiChannelMenu() = 0;

    // Shows that an exchange with the pedal is in progress (other device commands wait).
    virtual void setBusy(bool busy) = 0;
    // The link opened or closed: what the window showed of the pedal before is not its state.
    virtual void linkShown(bool /*linked*/) {}
};

}  // namespace korvanne
