#pragma once

#include <QString>

namespace korvanne {

// The folder that stands for the user's Documents folder: settings and presets live below it.
// The environment variable KORVANNE_DOCUMENTS, when set, replaces it everywhere, so tests and
// scripted runs never touch the real one.
class SettingsHome {
public:
    // Resolves from the environment and the platform.
    SettingsHome();
    explicit SettingsHome(QString documents) : documents_(std::move(documents)) {}

    QString documents() const { return documents_; }
    QString settingsFolder() const;  // Documents/TAVRO
    QString productFolder() const;   // Documents/TAVRO/Korvanne MK3
    QString presetFolder() const;    // Documents/TAVRO/Korvanne MK3/Preset

    static QString resolveDocuments();

private:
    QString documents_;
};

}  // namespace korvanne
