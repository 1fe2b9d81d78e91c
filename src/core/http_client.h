#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace korvanne {

// What a GET brought back. A request that got no answer at all (no connection, unknown host,
// time limit passed, certificate refused) has status 0 and says why in `error`.
struct HttpResponse {
    int status = 0;
    QString statusText;  // the server's reason phrase ("Not Found")
    QByteArray body;     // for getText only
    qint64 bodySize = 0;
    QString error;
    // The wait was ended from outside because the program is closing; nothing to report.
    bool cancelled = false;

    bool answered() const { return status != 0; }
};

// GET requests to the maker's web server. Each call returns when the request has finished or its
// time limit has passed; meanwhile the event loop runs, so the windows stay live.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResponse getText(const QString& url) = 0;
    // Writes the body into `sink` as it arrives; a write failure ends the request with an error.
    virtual HttpResponse getIntoFile(const QString& url, QIODevice& sink) = 0;
};

}  // namespace korvanne
