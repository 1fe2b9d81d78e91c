#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/settings_home.h"

namespace korvanne {

// The one-line settings files: UTF-8 without byte-order mark and without line end, each write
// replacing the whole file; values are compared exactly and case-sensitively.
class LocalSettings {
public:
    static inline const QString ShowMessageFile = QStringLiteral("ShowMessageVersionAtStartup.txt");
    static inline const QString ReportUsbErrorsFile = QStringLiteral("ReportUSBErrors.txt");
    static inline const QString StyleFile = QStringLiteral("style.txt");
    static inline const QString InstrumentFile = QStringLiteral("Instrument.txt");

    explicit LocalSettings(SettingsHome home) : home_(std::move(home)) {}
    const SettingsHome& home() const { return home_; }

    // Create the settings folder / the product folder when missing. Empty on success, otherwise
    // the message for the user ("Error creating folder: <reason>").
    QString CreateSettingsFolder() const;
    QString CreateSettingsSubfolder() const;

    // Reads a file of the product folder; when there is none, writes `defaultText` into a new one
    // and returns it.
    QString ReadSettingsFile(const QString& fileName, const QString& defaultText) const;

    // Where a product-folder file lives.
    QString productFilePath(const QString& fileName) const;
    // Replaces a product-folder file only if it exists (the menu toggles); true when written.
    bool rewriteIfExists(const QString& fileName, const QString& text) const;
    // Writes a product-folder file, creating it when absent.
    bool writeProductFile(const QString& fileName, const QString& text) const;

    // The look number from "style.txt" in the settings folder: nothing when the file is absent;
    // 0 (the default look) when it does not hold a whole number.
    std::optional<int> readLookNumber() const;
    bool writeLookNumber(int n) const;
    // The look number in the bytes of "style.txt": 0 when they do not hold a whole number.
    static int lookNumberFromBytes(const QByteArray& bytes);

    // A byte-order mark selects the encoding; otherwise UTF-8, or Latin-1 for bytes that are not
    // valid UTF-8.
    static QString decodeText(const QByteArray& bytes);
    static bool writeText(const QString& path, const QString& text);

private:
    SettingsHome home_;
};

// The values the start-up sequence reads from the settings files.
struct StartupSettings {
    bool ShowUpdateMessage = true;
    bool ReportUSBErrors = false;
};

StartupSettings LoadStartupSettings(const LocalSettings& settings);
// The values the texts of the two flag files select: "YES" or "NO" exactly; any other text keeps
// the default.
StartupSettings StartupSettingsFromTexts(const QString& showMessage, const QString& reportErrors);

// "1.19": major and minor number of the program's version.
QString GetEditorVersion();

inline constexpr unsigned MostRecentFirmwareNumber = 13;

}  // namespace korvanne
