#include "core/settings_home.h"

#include <QDir>
#include <QStandardPaths>

namespace korvanne {

SettingsHome::SettingsHome() : documents_(resolveDocuments()) {}

QString SettingsHome::resolveDocuments() {
    const QString fromEnv = qEnvironmentVariable("KORVANNE_DOCUMENTS");
    if (!fromEnv.isEmpty()) return QDir(fromEnv).absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty()) return documents;
    // Never fall back to a path relative to wherever the program was started.
    return QDir::homePath();
}

QString SettingsHome::settingsFolder() const {
    return QDir(documents_).filePath("TAVRO");
}

QString SettingsHome::productFolder() const {
    return QDir(settingsFolder()).filePath("Korvanne MK3");
}

QString SettingsHome::presetFolder() const {
    return QDir(productFolder()).filePath("Preset");
}

}  // namespace korvanne
