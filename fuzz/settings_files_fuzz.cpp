// The one-line settings files: the look number and the two flags, read from real files.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "app/local_settings.h"

namespace {

void writeFile(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;
    const korvanne::LocalSettings settings{korvanne::SettingsHome(folder.path())};
    static const bool made = QDir().mkpath(settings.home().productFolder());
    if (!made) __builtin_trap();

    writeFile(QDir(settings.home().settingsFolder()).filePath(korvanne::LocalSettings::StyleFile),
              data, size);
    settings.readLookNumber();
    for (const QString& name :
         {korvanne::LocalSettings::ShowMessageFile, korvanne::LocalSettings::ReportUsbErrorsFile}) {
        writeFile(QDir(settings.home().productFolder()).filePath(name), data, size);
    }
    korvanne::LoadStartupSettings(settings);
    korvanne::LocalSettings::decodeText(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
