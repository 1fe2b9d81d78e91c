#pragma once

#include <QString>
#include <memory>

#include "core/http_client.h"

namespace korvanne {

class UpdateCheck;
class UpdateContext;
class UpdateView;

// Where the updater works: the running editor's folder (which holds the updater program), the
// editor's own path, and the temporary folder the updater is told to use.
struct UpdaterPlaces {
    QString programFolder;
    QString editorPath;
    QString tempFolder;

    static UpdaterPlaces ofRunningProgram();
};

// How "Update Now" updates the editor. On Windows the separate updater program replaces the
// editor; elsewhere the editor comes from a package and its package manager updates it, so the
// editor only says which version is available and opens the maker's download page.
enum class UpdateFlow { WindowsUpdater, DownloadPage };

constexpr UpdateFlow updateFlowOfThisSystem() {
#ifdef Q_OS_WIN
    return UpdateFlow::WindowsUpdater;
#else
    return UpdateFlow::DownloadPage;
#endif
}

// Updating the editor: makes sure the separate updater program is current (downloading a newer
// one from the maker's web server), starts it elevated with the editor's paths, and ends the
// editor.
class Updater {
public:
    static inline const QString UpdaterFile = QStringLiteral("Korvanne_Win_Updater.exe");
    static inline const QString DownloadedUpdaterFile =
        QStringLiteral("Korvanne_Win_Updater_Update.exe");
    static inline const QString EditorUpdateFile = QStringLiteral("Korvanne_Editor_Update.exe");
    static inline const QString VersionPath =
        QStringLiteral("/download/update/Korvanne_Win_Updater_Version.php");
    static inline const QString DownloadPath =
        QStringLiteral("/download/update/Korvanne_Win_Updater.exe");
    static inline const QString WhatsNewPath = QStringLiteral("/download/update/whatsnew.html");
    static inline const QString DownloadPagePath = QStringLiteral("/download/");
    static inline const QString ConfirmText = QStringLiteral(
        "This action will update the Korvanne Editor to the latest version. Do you want to "
        "continue?");

    // `check` tells the version the server offers.
    Updater(UpdateContext& main, const UpdateCheck& check,
            UpdateFlow flow = updateFlowOfThisSystem());
    ~Updater();

    void setView(UpdateView* view) { view_ = view; }
    void setHttpClient(std::unique_ptr<HttpClient> client);

    // The update command. With the Windows updater it ends the editor once the updater has been
    // started (otherwise the editor keeps running); elsewhere it tells the available version and
    // opens the download page, and never downloads or starts a program.
    void UpdateNow();
    // What "Update Now" says outside Windows.
    QString downloadPageMessage() const;
    // The Info menu's "Update Now".
    void menuUpdateNowClick() { UpdateNow(); }
    // Compares the updater's version with the server's and downloads a newer one. False when the
    // update cannot go on (no answer, or no readable version to compare).
    bool MaintainUpdater();
    // Completion of the updater version request.
    void NetHTTPRequest1RequestCompleted(const HttpResponse& response);
    // Downloads the updater program: beside the local updater, which is then started to take it
    // over, or, with none installed, as the updater itself (started later, once, by the update
    // launch). True when downloaded.
    bool DownloadUpdater();
    // Starts the updater elevated with the two paths; false (after telling the user) on failure.
    bool LaunchUpdater(const QString& updaterPath, const QString& targetPath,
                       const QString& editorPath);

    // The notice window's handlers.
    QString noticeHeadline() const;
    QString noticeVersions() const;
    void CheckBox1Change(bool ticked);
    void btnSeeWhatsNewClick();

    QString updaterPath() const;

    UpdaterPlaces places;
    UpdateFlow flow;
    QString UpdaterServerVersion;
    QString UpdaterLocalVersion;

private:
    UpdateContext& main_;
    const UpdateCheck& check_;
    UpdateView* view_ = nullptr;
    std::unique_ptr<HttpClient> http_;
    bool running_ = false;
    // A request was cut short because the program is closing: nothing more is started.
    bool closing_ = false;
};

}  // namespace korvanne
