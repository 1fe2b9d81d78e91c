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
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "effect/fx_settings.h"
#include "operations/preset_file.h"

namespace korvanne {

namespace {
// A preset is a few hundred bytes; anything far larger is not one, and is not read whole.
constexpr qint64 PresetReadLimit = 64 * 1024;
}  // namespace

Presets::Presets(Services& services, DeviceMessages& messages, Communication& link, FxSettings& fx)
    : services_(services), messages_(messages), link_(link), fx_(fx) {}

QString Presets::ensurePresetFolder() {
    const QString folder = services_.home.presetFolder();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdString()), error);
    if (!error) return {};
    return QDir::toNativeSeparators(folder) + ": " + QString::fromStdString(error.message());
}

Outcome Presets::menuSavePresetClick() {
    // The pedal's own state first: the values written are those it reports.
    {
        DeviceMessages::Exchange exchange(messages_, QStringLiteral("Save Preset"));
        if (!exchange) return Outcome::busy();
        link_.ReadDeviceStatus();
    }

    Dialogs& dialogs = services_.dialogs;
    if (const QString error = ensurePresetFolder(); !error.isEmpty()) {
        dialogs.inform(error);
        return Outcome::failed(error);
    }
    const QString chosen =
        dialogs.saveFile(SaveTitle, Filter, QStringLiteral("txt"), services_.home.presetFolder());
    if (chosen.isEmpty()) return Outcome::cancelled();
    return WritePresetFile(chosen);
}

Outcome Presets::WritePresetFile(const QString& chosenPath) {
    Dialogs& dialogs = services_.dialogs;
    const QString path = QString::fromStdString(presetSaveName(chosenPath.toStdString()));
    const std::string bytes = presetFileBytes(fx_.records.values());
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
        return Outcome::failed(message);
    }
    dialogs.inform("File saved successfully: " + QFileInfo(path).absoluteFilePath());
    return Outcome::done();
}

void Presets::logFields(const QStringList& fields) {
    LogSink& log = services_.log;
    for (int k = 0; k < PresetLoggedFields; ++k)
        log.ConsoleLog(QString::fromStdString(presetLoadLabel(k)) + fields.value(k));
}

Outcome Presets::menuLoadPresetClick() {
    if (!messages_.linkFree(QStringLiteral("Load Preset"))) return Outcome::busy();
    Dialogs& dialogs = services_.dialogs;
    if (const QString error = ensurePresetFolder(); !error.isEmpty()) {
        dialogs.inform(error);
        return Outcome::failed(error);
    }
    const QString path =
        dialogs.openFile(OpenTitle, Filter, QStringLiteral("txt"), services_.home.presetFolder());
    if (path.isEmpty()) {
        reapplyCurrentValues();
        return Outcome::cancelled();
    }
    return loadPreset(path, true);
}

void Presets::reapplyCurrentValues() {
    logFields({});
    DeviceMessages::Exchange exchange(messages_, QStringLiteral("Load Preset"));
    if (exchange) fx_.ApplyParameterValues(true);
}

Outcome Presets::loadPresetFile(const QString& path) {
    return loadPreset(path, false);
}

Outcome Presets::loadPreset(const QString& path, bool asCancelled) {
    Dialogs& dialogs = services_.dialogs;
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
        return Outcome::failed(message);
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
        return Outcome::failed(message);
    }
    // The values go out as one exchange: a command asked for meanwhile waits for its end.
    DeviceMessages::Exchange exchange(messages_, "Load Preset");
    if (!exchange) return Outcome::busy();
    dialogs.inform("File loaded successfully: " + shownName);

    QStringList fields;
    for (const std::string& f : parse.content->fields) fields << QString::fromStdString(f);
    logFields(fields);

    FxSettings& fx = fx_;
    for (std::size_t k = 0; k < parse.content->values.size(); ++k)
        fx.records.setValue(Param(int(k)), parse.content->values[k]);
    fx.ApplyParameterValues(true);
    return Outcome::done();
}

}  // namespace korvanne
