#pragma once

#include <QStringList>
#include <memory>

#include "core/log_sink.h"
#include "core/services.h"

namespace korvanne {

class ConsoleShortcut;
class MainController;
class PedalOperations;
class SoundHistory;
class TformFXsettings;
class TformFirmwareUpgrade;
class TformMain;
class TformNewVersionMsg;
class TformNoteTrackingFilter;
class TformPresets;
class TformPrint;
class TformUpdateUpdater;

// The editor's windows, created in their fixed order, with the operations behind them. Every
// trace line goes to the debug console and also to the sink in `services.log`.
class Editor {
public:
    explicit Editor(const Services& services);
    ~Editor();

    TformMain& main() { return *main_; }
    TformFirmwareUpgrade& firmwareUpgrade() { return *firmwareUpgrade_; }
    TformPrint& console() { return *console_; }
    TformFXsettings& fxSettings() { return *fxSettings_; }
    TformNoteTrackingFilter& noteTrackingFilter() { return *noteTrackingFilter_; }
    TformNewVersionMsg& newVersionMsg() { return *newVersionMsg_; }
    TformUpdateUpdater& updateUpdater() { return *updateUpdater_; }
    // The preset list, once "Presets..." opened it.
    TformPresets* presets() { return presets_.get(); }
    MainController& controller() { return *controller_; }
    PedalOperations& operations();
    SoundHistory& history() { return *history_; }
    Services& services() { return services_; }

    // Object names of the windows in the order they were created.
    QStringList creationOrder() const { return creationOrder_; }

private:
    // Upload, Upgrade Mode and the firmware upgrade window, to their operations.
    void wireTransfers();
    // Undo and redo of sound changes in the main and effect windows; Load Preset and Restore
    // Pedal record their steps.
    void wireHistory();
    // Makes the preset list on first use; shows it, or raises it when it is shown already.
    void showPresets();

    class TeeLog final : public LogSink {
    public:
        LogSink* first = nullptr;
        LogSink* second = nullptr;
        void ConsoleLog(const QString& line) override;
        void ConsoleAppend(const QString& line) override;
    };

    TeeLog log_;
    Services services_;
    QStringList creationOrder_;
    std::unique_ptr<TformMain> main_;
    std::unique_ptr<MainController> controller_;
    std::unique_ptr<TformFirmwareUpgrade> firmwareUpgrade_;
    std::unique_ptr<TformPrint> console_;
    std::unique_ptr<TformFXsettings> fxSettings_;
    std::unique_ptr<TformNoteTrackingFilter> noteTrackingFilter_;
    std::unique_ptr<TformNewVersionMsg> newVersionMsg_;
    std::unique_ptr<TformUpdateUpdater> updateUpdater_;
    std::unique_ptr<ConsoleShortcut> consoleShortcut_;
    std::unique_ptr<SoundHistory> history_;
    // Last: it goes before the operations it uses.
    std::unique_ptr<TformPresets> presets_;
};

}  // namespace korvanne
