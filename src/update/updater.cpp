#include "update/updater.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/maker_site.h"
#include "core/network_http_client.h"
#include "core/services.h"
#include "core/shell.h"
#include "update/file_version.h"
#include "update/update_check.h"
#include "update/update_context.h"
#include "update/update_view.h"
#include "update/version_compare.h"

namespace korvanne {

namespace {

std::optional<FileVersion> fileVersionOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    return readFileVersion(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

}  // namespace

UpdaterPlaces UpdaterPlaces::ofRunningProgram() {
    return {QCoreApplication::applicationDirPath(), QCoreApplication::applicationFilePath(),
            QDir::tempPath()};
}

Updater::Updater(UpdateContext& main, const UpdateCheck& check, UpdateFlow flow)
    : places(UpdaterPlaces::ofRunningProgram()),
      flow(flow),
      main_(main),
      check_(check),
      http_(std::make_unique<NetworkHttpClient>()) {}

Updater::~Updater() = default;

void Updater::setHttpClient(std::unique_ptr<HttpClient> client) {
    http_ = std::move(client);
}

QString Updater::updaterPath() const {
    return QDir(places.programFolder).filePath(UpdaterFile);
}

void Updater::UpdateNow() {
    // A second click while an update runs (its requests keep the window live) is ignored.
    if (running_) return;
    running_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{running_};

    Services& services = main_.services();
    if (flow == UpdateFlow::DownloadPage) {
        const QString page = makerSite() + DownloadPagePath;
        services.dialogs.inform(downloadPageMessage());
        if (!services.shell.openUrl(page)) {
            services.dialogs.warn("The download page could not be opened. Its address is " + page);
        }
        return;
    }
    if (!services.dialogs.confirm(ConfirmText)) return;
    closing_ = false;
    if (!MaintainUpdater() || closing_) return;
    const QString target = QDir(places.tempFolder).filePath(EditorUpdateFile);
    if (!LaunchUpdater(updaterPath(), target, places.editorPath)) return;
    if (view_) view_->endApplication();
}

QString Updater::downloadPageMessage() const {
    const QString available =
        check_.NewAppVersion.isEmpty()
            ? QStringLiteral("A new version of the Korvanne Editor is available.")
            : "Version " + check_.NewAppVersion.trimmed() + " of the Korvanne Editor is available.";
    return available +
           " Update it with your system's package manager, or get it from the download page, "
           "which opens now.";
}

bool Updater::MaintainUpdater() {
    Services& services = main_.services();
    // Only this request's answer counts, never one from an earlier attempt.
    UpdaterServerVersion.clear();
    const HttpResponse response = http_->getText(makerSite() + VersionPath);
    if (response.cancelled) {
        closing_ = true;
        return false;
    }
    if (!response.answered()) {
        services.dialogs.inform("Could not check the updater's version: " + response.error);
        return false;
    }
    NetHTTPRequest1RequestCompleted(response);

    if (!QFileInfo::exists(updaterPath())) {
        services.log.ConsoleLog("Local updater not found, proceed with download...");
        // Without an updater there is nothing to launch unless the download became one.
        return DownloadUpdater();
    }
    services.log.ConsoleLog("local updater exists, check version...");

    const std::optional<FileVersion> local = fileVersionOf(updaterPath());
    UpdaterLocalVersion =
        local ? QStringLiteral("%1.%2").arg(local->major).arg(local->minor) : QString();
    services.log.ConsoleLog("currentUpdaterVersion: " +
                            (local ? UpdaterLocalVersion : QStringLiteral("unknown")));
    services.log.ConsoleLog(QString(UpdaterServerVersion).remove('.'));
    services.log.ConsoleLog(QString(UpdaterLocalVersion).remove('.'));

    // Without a readable server version there is nothing to compare with; the refusal has been
    // reported already, an unreadable text is reported here.
    const auto server = parseVersion(UpdaterServerVersion.toStdString());
    if (!server) {
        if (response.status == 200) services.dialogs.inform(UpdateCheck::UnreadableVersionMessage);
        return false;
    }
    // A local updater without version information is refreshed rather than trusted.
    const auto own = parseVersion(UpdaterLocalVersion.toStdString());
    if (!own || compareVersions(*server, *own) > 0) {
        services.log.ConsoleLog(
            "New version of the updater found on server, downloading the new updater...");
        DownloadUpdater();
    }
    return true;
}

void Updater::NetHTTPRequest1RequestCompleted(const HttpResponse& response) {
    Services& services = main_.services();
    if (response.status == 200) {
        UpdaterServerVersion =
            QString::fromStdString(trimVersionText(QString::fromUtf8(response.body).toStdString()));
        services.log.ConsoleLog("updater version on server: " + UpdaterServerVersion);
    } else {
        services.dialogs.inform("Error: " + response.statusText);
    }
}

bool Updater::DownloadUpdater() {
    Services& services = main_.services();
    // With no updater installed the download becomes the updater itself, started once with the
    // editor's paths; otherwise it is saved beside the local updater, which takes it over.
    const bool firstInstall = !QFileInfo::exists(updaterPath());
    // The body goes into a temporary file that takes the place of the old one only when it is
    // complete, so a failed download leaves whatever was there untouched.
    QSaveFile file(firstInstall ? updaterPath()
                                : QDir(places.programFolder).filePath(DownloadedUpdaterFile));
    QString failure;
    if (!file.open(QIODevice::WriteOnly)) {
        failure = file.errorString();
    } else {
        const HttpResponse response = http_->getIntoFile(makerSite() + DownloadPath, file);
        if (response.cancelled) {
            file.cancelWriting();
            closing_ = true;
            return false;
        } else if (!response.answered()) {
            failure = response.error;
        } else if (response.status != 200) {
            failure = QStringLiteral("the server answered %1 %2")
                          .arg(response.status)
                          .arg(response.statusText)
                          .trimmed();
        } else if (response.bodySize == 0) {
            failure = QStringLiteral("the server sent an empty file");
        } else if (!file.commit()) {
            failure = file.errorString();
        }
    }
    if (!failure.isEmpty()) {
        file.cancelWriting();
        services.dialogs.inform("Download failed: " + failure);
        return false;
    }
    services.dialogs.inform("New updater downloaded! Click OK to proceed with the update.");
    // The local updater takes over the new file; its result is not awaited.
    if (!firstInstall) services.shell.startElevated(updaterPath(), {});
    return true;
}

bool Updater::LaunchUpdater(const QString& updaterPath, const QString& targetPath,
                            const QString& editorPath) {
    const bool started = main_.services().shell.startElevated(
        updaterPath, {QDir::toNativeSeparators(targetPath), QDir::toNativeSeparators(editorPath)});
    if (!started)
        main_.services().dialogs.inform("Failed to launch updater. Please run as administrator.");
    return started;
}

QString Updater::noticeHeadline() const {
    return QStringLiteral("A new version of the Korvanne Editor is available");
}

QString Updater::noticeVersions() const {
    return "Your version: " + main_.editorVersion() + "     New version: " + check_.NewAppVersion;
}

void Updater::CheckBox1Change(bool ticked) {
    // Only ticking writes; the notice stays off from the next start.
    if (ticked) main_.stopShowingUpdateMessage();
}

void Updater::btnSeeWhatsNewClick() {
    main_.services().shell.openUrl(makerSite() + WhatsNewPath);
}

}  // namespace korvanne
