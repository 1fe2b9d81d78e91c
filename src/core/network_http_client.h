#pragma once

#include <QNetworkAccessManager>

#include "core/http_client.h"

class QNetworkReply;

namespace korvanne {

// GET over HTTP or HTTPS with QNetworkAccessManager. Certificates are always checked: a TLS
// error ends the request, never ignored. Each request has a time limit without data.
class NetworkHttpClient final : public HttpClient {
public:
    static constexpr int DefaultTimeLimitMs = 15000;

    explicit NetworkHttpClient(int timeLimitMs = DefaultTimeLimitMs);

    HttpResponse getText(const QString& url) override;
    HttpResponse getIntoFile(const QString& url, QIODevice& sink) override;

private:
    HttpResponse run(const QString& url, QIODevice* sink);

    QNetworkAccessManager manager_;
    int timeLimitMs_;
};

}  // namespace korvanne
