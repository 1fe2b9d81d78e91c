#include "operations/presets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/outcome.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "effect/fx_settings.h"
#include "operations/main_controller.h"
#include "operations/preset_file.h"

namespace korvanne {

namespace {
// A preset is a few hundred bytes; anything far larger is not one, and is not read whole.
constexpr qint64 PresetReadLimit = 64 * 1024;
}  // namespace

Presets::Presets(MainController& main) : main_(main) {}

QString Presets::ensurePresetFolder() {
    const QString folder = main_.services().home.presetFolder();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdString()), error);
    if (!error) return {};
    return QDir::toNativeSeparators(folder) + ": " + QString::fromStdString(error.message());
}

void Presets::menuSavePresetClick() {
    // The pedal's own state first: the values written are those it reports.
    {
        DeviceMessages::Exchange exchange(main_.messages(), QStringLiteral("Save Preset"));
        if (!exchange) return;
        main_.communication().ReadDeviceStatus();
    }

    Dialogs& dialogs = main_.services().dialogs;
    if (const QString error = ensurePresetFolder(); !error.isEmpty()) {
        dialogs.inform(error);
        return;
    }
    const QString chosen = dialogs.saveFile(SaveTitle, Filter, QStringLiteral("txt"),
                                            main_.services().home.presetFolder());
    if (chosen.isEmpty()) return;
    WritePresetFile(chosen);
}

QString Presets::WritePresetFile(const QString& chosenPath) {
    Dialogs& dialogs = main_.services().dialogs;
    const QString path = QString::fromStdString(presetSaveName(chosenPath.toStdString()));
    const std::string bytes = presetFileBytes(main_.fxSettings().records.values());
    // Written beside the target and put in its place only when whole.
    QSaveFile file(path);
    QString error;
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
    } else if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
        error = file.errorString();
        file.cancelWriting();
    } else if (!file.commit()) {
        error = file.errorString();
    }
    if (!error.isEmpty()) {
        const QString message = "Error saving file: " + error;
        dialogs.inform(message);
        return message;
    }
    dialogs.inform("File saved successfully: " + QFileInfo(path).absoluteFilePath());
    return {};
}

void Presets::logFields(const QStringList& fields) {
    LogSink& log = main_.services().log;
    for (int k = 0; k < PresetLoggedFields; ++k)
        log.ConsoleLog(QString::fromStdString(presetLoadLabel(k)) + fields.value(k));
}

void Presets::menuLoadPresetClick() {
    if (!main_.messages().linkFree(QStringLiteral("Load Preset"))) return;
    Dialogs& dialogs = main_.services().dialogs;
    if (const QString error = ensurePresetFolder(); !error.isEmpty()) {
        dialogs.inform(error);
        return;
    }
    const QString path = dialogs.openFile(OpenTitle, Filter, QStringLiteral("txt"),
                                          main_.services().home.presetFolder());
    if (path.isEmpty()) {
        reapplyCurrentValues();
        return;
    }
    loadPreset(path, true);
}

void Presets::reapplyCurrentValues() {
    logFields({});
    DeviceMessages::Exchange exchange(main_.messages(), QStringLiteral("Load Preset"));
    if (exchange) main_.fxSettings().ApplyParameterValues(true);
}

QString Presets::loadPresetFile(const QString& path) {
    return loadPreset(path, false);
}

QString Presets::loadPreset(const QString& path, bool asCancelled) {
    Dialogs& dialogs = main_.services().dialogs;
    const QString shownName = QFileInfo(path).absoluteFilePath();
    QFile file(path);
    QString error;
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else {
        bytes = file.read(PresetReadLimit + 1);
        if (file.error() != QFileDevice::NoError) error = file.errorString();
    }
    if (!error.isEmpty() && asCancelled) {
        const QString message = "Error loading file: " + error;
        dialogs.inform(message);
        reapplyCurrentValues();
        return message;
    }
    if (error.isEmpty() && bytes.size() > PresetReadLimit)
        error = shownName + ": the file is too large to be a preset";
    PresetParse parse;
    if (error.isEmpty()) {
        parse = parsePresetFile(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        if (!parse.content) error = shownName + ": " + QString::fromStdString(parse.error);
    }
    if (!error.isEmpty()) {
        // A file that is not a whole preset changes nothing and sends nothing.
        const QString message = "Error loading file: " + error;
        dialogs.inform(message);
        return message;
    }
    // The values go out as one exchange: a command asked for meanwhile waits for its end.
    DeviceMessages::Exchange exchange(main_.messages(), "Load Preset");
    if (!exchange) return "Load Preset refused: " + Outcome::BusyReason;
    dialogs.inform("File loaded successfully: " + shownName);

    QStringList fields;
    for (const std::string& f : parse.content->fields) fields << QString::fromStdString(f);
    logFields(fields);

    FxSettings& fx = main_.fxSettings();
    for (std::size_t k = 0; k < parse.content->values.size(); ++k)
        fx.records.setValue(Param(int(k)), parse.content->values[k]);
    fx.ApplyParameterValues(true);
    return {};
}

}  // namespace korvanne
