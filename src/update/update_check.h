#pragma once

#include <QString>
#include <memory>

#include "core/http_client.h"
#include "core/outcome.h"

namespace korvanne {

class UpdateContext;
class UpdateView;

// The once-per-run check of the editor's version against the maker's web server, shown in the
// Info menu; a newer version enables "Update Now" and may open the notice.
class UpdateCheck {
public:
    static inline const QString VersionPath =
        QStringLiteral("/download/korvanne-editor-version.php");
    static inline const QString UnreadableVersionMessage =
        QStringLiteral("The update server sent an unreadable version");

    explicit UpdateCheck(UpdateContext& main);
    ~UpdateCheck();

    void setView(UpdateView* view) { view_ = view; }
    void setHttpClient(std::unique_ptr<HttpClient> client);

    // The tick of TimerCheckWebVersion: runs the check, once per run. Done says whether a newer
    // version is available ("New version available: V" or "No update available").
    Outcome checkmostrecentversiononwebsite();
    // Completion of the version request.
    void WebRequestCompleted(const HttpResponse& response);

    // The newest version the server reported; empty until a readable answer arrived.
    QString NewAppVersion;
    // Whether the check has run (it runs once per run).
    bool checked() const { return checked_; }

private:
    UpdateContext& main_;
    UpdateView* view_ = nullptr;
    std::unique_ptr<HttpClient> http_;
    bool checked_ = false;
};

}  // namespace korvanne
