#include "core/network_http_client.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

namespace korvanne {

NetworkHttpClient::NetworkHttpClient(int timeLimitMs) : timeLimitMs_(timeLimitMs) {}

HttpResponse NetworkHttpClient::getText(const QString& url) {
    return run(url, nullptr);
}

HttpResponse NetworkHttpClient::getIntoFile(const QString& url, QIODevice& sink) {
    return run(url, &sink);
}

HttpResponse NetworkHttpClient::run(const QString& url, QIODevice* sink) {
    HttpResponse response;
    const QUrl address(url);
    if (!address.isValid() || address.host().isEmpty()) {
        response.error = QStringLiteral("Invalid address: %1").arg(url);
        return response;
    }
    QNetworkRequest request(address);
    request.setTransferTimeout(timeLimitMs_);
    request.setHeader(
        QNetworkRequest::UserAgentHeader,
        QStringLiteral("Korvanne Editor/%1").arg(QCoreApplication::applicationVersion()));

    QNetworkReply* reply = manager_.get(request);
    QString writeError;
    QByteArray body;
    auto take = [&] {
        const QByteArray piece = reply->readAll();
        response.bodySize += piece.size();
        if (!sink) {
            body += piece;
        } else if (writeError.isEmpty() && sink->write(piece) != piece.size()) {
            writeError = sink->errorString();
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);

    // Sleeps in the event loop until the reply has finished; the transfer timeout bounds it.
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    if (!reply->isFinished()) {
        // The loop was ended from outside (the program is closing).
        reply->abort();
        writeError = QStringLiteral("Cancelled");
        response.cancelled = true;
    }
    if (writeError.isEmpty()) take();

    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    response.statusText = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    response.body = body;
    if (!writeError.isEmpty()) {
        response.status = 0;
        response.error = writeError;
    } else if (!response.answered()) {
        // A passed time limit shows as a cancelled request; say what happened instead.
        response.error = reply->error() == QNetworkReply::OperationCanceledError
                             ? QStringLiteral("No answer from %1 within %2 seconds")
                                   .arg(address.host())
                                   .arg(timeLimitMs_ / 1000.0)
                             : reply->errorString();
    }
    reply->deleteLater();
    return response;
}

}  // namespace korvanne
