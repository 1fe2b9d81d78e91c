#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "core/consenting_dialogs.h"
#include "core/services.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/link_context.h"
#include "operations/local_settings.h"
#include "transfer/effect_resources.h"
#include "transfer/transfer_context.h"
#include "update/update_context.h"

namespace korvanne {

class AlgorithmUpload;
class BackupCommands;
class Communication;
class ConsoleTools;
class ControlAssignments;
class EraseSettings;
class FirmwareUpgrade;
class FrontEnd;
class FxSettings;
class NoteTrackingFilter;
class ParameterStore;
class PedalSettings;
class PedalBackup;
class Presets;
class Timer;
class Tunings;
class UpdateCheck;
class Updater;

// The operations on the pedal, composed once for a front end: the bridge and its door, the poll,
// the link and handshake, effect settings, assignments, tunings, note cut, store and request,
// pedal-wide settings, presets, upload, firmware upgrade, erase and check, console tools, version
// check and updater. Each operation is built from the collaborators it uses; what they show goes
// to the front end. Both korvanne-editor and korvanne-cli build one.
class PedalOperations : public LinkContext, public TransferContext, public UpdateContext {
public:
    PedalOperations(Services& services, FrontEnd& frontEnd);
    ~PedalOperations() override;

    // What start-up prepares, touching neither the settings files nor the network: the line
    // parameters, normal (not upgrade) mode, the effect list, the editor's version, the newest
    // algorithm and firmware numbers. Not ok (with the reason) when the effect list cannot be read.
    ResourceLoad prepare();
    // Reads the start-up settings files (creating the settings folders first); each folder that
    // cannot be made gives its reason, for the front end to show.
    QStringList readStartupSettings();

    // Start-up values.
    StartupSettings startup;
    QString EditorVersion;
    unsigned MostRecentFirmware = MostRecentFirmwareNumber;
    EffectCatalogue catalogue;
    StatusAppliers appliers;

    // The contexts the link, the transfers and the version check work in.
    Services& services() override { return services_; }
    D2xxUnit& unit() override { return unit_; }
    DeviceMessages& messages() override { return messages_; }
    Timer& Timer_USB_Read() override { return *usbReadTimer_; }
    Timer& UploadCheckTimer() override { return *uploadCheckTimer_; }
    Timer& TimerCheckWebVersion() override { return *webVersionTimer_; }
    LinkView& linkView() override;
    TransferView& transferView() override;
    UpdateMenu& updateMenu() override;
    void EnableUSBobjects(bool status) override;
    void EnableEffectButtons(bool status) override;
    unsigned mostRecentFirmware() const override { return MostRecentFirmware; }
    std::uint32_t latestAlgorithmNumber() const override { return catalogue.LatestAlgorithmNumber; }
    const StatusAppliers& statusAppliers() const override { return appliers; }
    // Takes the front end's picked effect and loads its image; false (after telling the user)
    // when the image cannot be loaded.
    bool GetResourceFile() override;
    void OpenEffectWindow() override;
    EffectCatalogue& effectCatalogue() override { return catalogue; }
    void SendBypass(bool on) override;
    QString editorVersion() const override { return EditorVersion; }
    bool showUpdateMessage() const override { return startup.ShowUpdateMessage; }
    void stopShowingUpdateMessage() override;

    LocalSettings& settings() { return settings_; }
    // Remembers the instrument chosen ("GUITAR" or "BASS"); false (logged) when it cannot.
    bool rememberInstrument(const QString& text);

    Communication& communication() { return *communication_; }
    FxSettings& fxSettings() { return *fxSettings_; }
    PedalSettings& pedalSettings() { return *pedalSettings_; }
    Tunings& tunings() { return *tunings_; }
    NoteTrackingFilter& noteTrackingFilter() { return *noteTrackingFilter_; }
    ControlAssignments& controlAssignments() { return *controlAssignments_; }
    ParameterStore& parameterStore() { return *parameterStore_; }
    AlgorithmUpload& upload() { return *upload_; }
    FirmwareUpgrade& firmwareUpgrade() { return *firmwareUpgrade_; }
    Presets& presets() { return *presets_; }
    // Backup and restore over the operations above; the window's menu commands for them.
    PedalBackup pedalBackup();
    BackupCommands& backupCommands() { return *backupCommands_; }
    ConsoleTools& consoleTools() { return *consoleTools_; }
    EraseSettings& eraseSettings() { return *eraseSettings_; }
    UpdateCheck& updateCheck() { return *updateCheck_; }
    Updater& updater() { return *updater_; }

private:
    // The front end's seams, with the dialogs able to take a Yes given to a whole restore.
    ConsentingDialogs consent_;
    Services services_;
    FrontEnd& frontEnd_;
    LocalSettings settings_;
    D2xxUnit unit_;
    DeviceMessages messages_;
    std::unique_ptr<Timer> usbReadTimer_;
    std::unique_ptr<Timer> uploadCheckTimer_;
    std::unique_ptr<Timer> webVersionTimer_;
    std::unique_ptr<Communication> communication_;
    std::unique_ptr<FxSettings> fxSettings_;
    std::unique_ptr<PedalSettings> pedalSettings_;
    std::unique_ptr<Tunings> tunings_;
    std::unique_ptr<NoteTrackingFilter> noteTrackingFilter_;
    std::unique_ptr<ControlAssignments> controlAssignments_;
    std::unique_ptr<ParameterStore> parameterStore_;
    std::unique_ptr<AlgorithmUpload> upload_;
    std::unique_ptr<FirmwareUpgrade> firmwareUpgrade_;
    std::unique_ptr<Presets> presets_;
    std::unique_ptr<BackupCommands> backupCommands_;
    std::unique_ptr<ConsoleTools> consoleTools_;
    std::unique_ptr<EraseSettings> eraseSettings_;
    std::unique_ptr<UpdateCheck> updateCheck_;
    std::unique_ptr<Updater> updater_;
};

}  // namespace korvanne
