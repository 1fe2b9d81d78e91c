#pragma once

#include <QString>
#include <QtGlobal>

namespace korvanne {

// The maker's web server: the contact page, and the version and updater resources. The
// environment variable KORVANNE_MAKER_SITE points the editor at another server (a local one in
// tests).
inline QString makerSite() {
    const QString override = qEnvironmentVariable("KORVANNE_MAKER_SITE");
    return override.isEmpty() ? QStringLiteral("https://www.tavro.audio") : override;
}

inline QString contactPageUrl() {
    return makerSite() + QStringLiteral("/contact-us/");
}

}  // namespace korvanne
