#include "update/update_check.h"

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/maker_site.h"
#include "core/network_http_client.h"
#include "core/services.h"
#include "update/update_context.h"
#include "update/update_view.h"
#include "update/updater.h"
#include "update/version_compare.h"

namespace korvanne {

UpdateCheck::UpdateCheck(UpdateContext& main)
    : main_(main), http_(std::make_unique<NetworkHttpClient>()) {}

UpdateCheck::~UpdateCheck() = default;

void UpdateCheck::setHttpClient(std::unique_ptr<HttpClient> client) {
    http_ = std::move(client);
}

Outcome UpdateCheck::checkmostrecentversiononwebsite() {
    main_.TimerCheckWebVersion().stop();
    if (checked_) return Outcome::refused(QStringLiteral("The version was checked already."));
    checked_ = true;

    Services& services = main_.services();
    const HttpResponse response = http_->getText(makerSite() + VersionPath);
    if (response.cancelled) return Outcome::cancelled();
    if (!response.answered()) {
        const QString why = "Could not check for a new version: " + response.error;
        services.dialogs.inform(why);
        return Outcome::failed(why);
    }
    WebRequestCompleted(response);
    // A refused request has been reported; the menu stays as it was before the check.
    if (response.status != 200) return Outcome::failed("Error: " + response.statusText);

    const std::optional<bool> newer =
        IsNewerVersion(NewAppVersion.toStdString(), main_.editorVersion().toStdString());
    if (!newer) {
        const QString why = parseVersion(NewAppVersion.toStdString())
                                ? "The editor's own version is unknown (" + main_.editorVersion() +
                                      "); the update check was skipped"
                                : UnreadableVersionMessage;
        services.dialogs.inform(why);
        return Outcome::failed(why);
    }
    UpdateMenu& menu = main_.updateMenu();
    if (*newer) {
        menu.setNewVersionCaption(menu.newVersionCaption() + " " + NewAppVersion);
        if (main_.showUpdateMessage() && view_) view_->showNewVersionNotice();
        menu.setUpdateNowEnabled(true);
        return Outcome::done("New version available: " + NewAppVersion);
    }
    menu.setNewVersionCaption("No update available");
    menu.setUpdateNowEnabled(false);
    return Outcome::done(QStringLiteral("No update available"));
}

void UpdateCheck::WebRequestCompleted(const HttpResponse& response) {
    Services& services = main_.services();
    if (response.status == 200) {
        // Servers often end the text with a line end; the version is what lies between.
        const QString body = QString::fromUtf8(response.body);
        const std::string trimmed = trimVersionText(body.toStdString());
        NewAppVersion = parseVersion(trimmed) ? QString::fromStdString(trimmed) : QString();
        services.log.ConsoleLog("currentAppVersion: " + main_.editorVersion());
        services.log.ConsoleLog("newAppVersion: " + QString::fromStdString(trimmed));
    } else {
        services.dialogs.inform("Error: " + response.statusText);
    }
}

}  // namespace korvanne
