#include "update/update_check.h"

#include "app/main_controller.h"
#include "app/main_view.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/maker_site.h"
#include "core/network_http_client.h"
#include "update/update_view.h"
#include "update/updater.h"
#include "update/version_compare.h"

namespace korvanne {

UpdateCheck::UpdateCheck(MainController& main)
    : main_(main), http_(std::make_unique<NetworkHttpClient>()) {}

UpdateCheck::~UpdateCheck() = default;

void UpdateCheck::setHttpClient(std::unique_ptr<HttpClient> client) {
    http_ = std::move(client);
}

void UpdateCheck::checkmostrecentversiononwebsite() {
    main_.TimerCheckWebVersion().stop();
    if (checked_) return;
    checked_ = true;

    Services& services = main_.services();
    const HttpResponse response = http_->getText(makerSite() + VersionPath);
    if (response.cancelled) return;
    if (!response.answered()) {
        services.dialogs.inform("Could not check for a new version: " + response.error);
        return;
    }
    WebRequestCompleted(response);
    // A refused request has been reported; the menu stays as it was before the check.
    if (response.status != 200) return;

    const std::optional<bool> newer =
        IsNewerVersion(NewAppVersion.toStdString(), main_.EditorVersion.toStdString());
    if (!newer) {
        services.dialogs.inform(parseVersion(NewAppVersion.toStdString())
                                    ? "The editor's own version is unknown (" +
                                          main_.EditorVersion + "); the update check was skipped"
                                    : UnreadableVersionMessage);
        return;
    }
    MainView& view = main_.view();
    if (*newer) {
        view.setText(Control::menuNewAppVersion,
                     view.text(Control::menuNewAppVersion) + " " + NewAppVersion);
        if (main_.startup.ShowUpdateMessage && view_) view_->showNewVersionNotice();
        view.setEnabled(Control::menuUpdateNow, true);
    } else {
        view.setText(Control::menuNewAppVersion, "No update available");
        view.setEnabled(Control::menuUpdateNow, false);
    }
}

void UpdateCheck::WebRequestCompleted(const HttpResponse& response) {
    Services& services = main_.services();
    if (response.status == 200) {
        // Servers often end the text with a line end; the version is what lies between.
        const QString body = QString::fromUtf8(response.body);
        const std::string trimmed = trimVersionText(body.toStdString());
        NewAppVersion = parseVersion(trimmed) ? QString::fromStdString(trimmed) : QString();
        services.log.ConsoleLog("currentAppVersion: " + main_.EditorVersion);
        services.log.ConsoleLog("newAppVersion: " + QString::fromStdString(trimmed));
    } else {
        services.dialogs.inform("Error: " + response.statusText);
    }
}

void UpdateCheck::menuUpdateNowClick() {
    main_.updater().UpdateNow();
}

}  // namespace korvanne
