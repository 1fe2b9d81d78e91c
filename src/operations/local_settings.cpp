#include "operations/local_settings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <filesystem>
#include <system_error>

namespace korvanne {

namespace {

// Empty on success; otherwise the prefix, the system's reason ("Permission denied", "Not a
// directory") and, on a line of its own, the folder.
QString createFolder(const QString& path, const QString& prefix) {
    if (QFileInfo(path).isDir()) return {};
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()), error);
    if (!error && QFileInfo(path).isDir()) return {};
    const QString reason =
        error ? QString::fromLocal8Bit(error.message().c_str()) : QStringLiteral("Not a directory");
    return prefix + reason + "\n" + QDir::toNativeSeparators(path);
}

}  // namespace

QString LocalSettings::CreateSettingsFolder() const {
    return createFolder(home_.settingsFolder(), QStringLiteral("Error creating folder: "));
}

QString LocalSettings::CreateSettingsSubfolder() const {
    return createFolder(home_.productFolder(), QStringLiteral("Error creating subfolder: "));
}

QString LocalSettings::decodeText(const QByteArray& bytes) {
    if (auto encoding = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*encoding);
        QString text = decoder.decode(bytes);
        if (!text.isEmpty() && text.front() == QChar(0xFEFF)) text.remove(0, 1);
        return text;
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes);
}

bool LocalSettings::writeText(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text.toUtf8());
    return file.commit();
}

QString LocalSettings::ReadSettingsFile(const QString& fileName, const QString& defaultText) const {
    const QString path = QDir(home_.productFolder()).filePath(fileName);
    QFile file(path);
    if (!file.exists()) {
        writeText(path, defaultText);
        return defaultText;
    }
    if (!file.open(QIODevice::ReadOnly)) return {};
    return decodeText(file.readAll());
}

QString LocalSettings::productFilePath(const QString& fileName) const {
    return QDir(home_.productFolder()).filePath(fileName);
}

bool LocalSettings::rewriteIfExists(const QString& fileName, const QString& text) const {
    const QString path = productFilePath(fileName);
    if (!QFile::exists(path)) return false;
    return writeText(path, text);
}

bool LocalSettings::writeProductFile(const QString& fileName, const QString& text) const {
    return writeText(QDir(home_.productFolder()).filePath(fileName), text);
}

std::optional<int> LocalSettings::readLookNumber() const {
    QFile file(QDir(home_.settingsFolder()).filePath(StyleFile));
    if (!file.exists()) return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return lookNumberFromBytes(file.readAll());
}

int LocalSettings::lookNumberFromBytes(const QByteArray& bytes) {
    bool ok = false;
    const int n = decodeText(bytes).trimmed().toInt(&ok, 10);
    return ok ? n : 0;
}

bool LocalSettings::writeLookNumber(int n) const {
    return writeText(QDir(home_.settingsFolder()).filePath(StyleFile), QString::number(n));
}

StartupSettings LoadStartupSettings(const LocalSettings& settings) {
    const QString show = settings.ReadSettingsFile(LocalSettings::ShowMessageFile, "YES");
    const QString report = settings.ReadSettingsFile(LocalSettings::ReportUsbErrorsFile, "YES");
    return StartupSettingsFromTexts(show, report);
}

StartupSettings StartupSettingsFromTexts(const QString& showMessage, const QString& reportErrors) {
    StartupSettings result;
    if (showMessage == "YES") result.ShowUpdateMessage = true;
    if (showMessage == "NO") result.ShowUpdateMessage = false;
    if (reportErrors == "YES") result.ReportUSBErrors = true;
    if (reportErrors == "NO") result.ReportUSBErrors = false;
    return result;
}

QString GetEditorVersion() {
    return QStringLiteral("%1.%2").arg(KORVANNE_VERSION_MAJOR).arg(KORVANNE_VERSION_MINOR);
}

}  // namespace korvanne
