#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QSslServer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace korvanne::test {

// A small web server on 127.0.0.1 for the program's GET requests: each path answers with the
// status, reason and body set for it (404 otherwise), and every requested path is recorded.
// It runs in the test's own event loop, which the program's requests keep turning.
class LoopbackHttpServer : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        int delayMs = 0;  // how long the server takes to answer
    };

    // Plain HTTP, or HTTPS with a QSslServer already given its certificate.
    explicit LoopbackHttpServer(std::unique_ptr<QTcpServer> server = nullptr)
        : server_(server ? std::move(server) : std::make_unique<QTcpServer>()),
          scheme_(qobject_cast<QSslServer*>(server_.get()) ? "https" : "http") {
        // Emitted once a connection is ready for use, after the TLS handshake where there is one.
        connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection()) serve(socket);
        });
    }

    ~LoopbackHttpServer() override {
        // Open connections go with the server, quietly.
        for (QTcpSocket* socket : server_->findChildren<QTcpSocket*>()) socket->disconnect();
    }

    // Starts listening on a free port; false when that fails.
    bool listen() { return server_->listen(QHostAddress::LocalHost, 0); }
    // The address to put in front of a path, "http://127.0.0.1:port" (https with TLS).
    QString site() const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(scheme_).arg(server_->serverPort());
    }

    void answer(const QString& path, const QByteArray& body, int status = 200,
                const QByteArray& reason = "OK", int delayMs = 0) {
        answers_.insert(path, Answer{status, reason, body, delayMs});
    }

    QStringList requested;

private:
    void serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            request_[socket] += socket->readAll();
            const QByteArray& text = request_[socket];
            if (!text.contains("\r\n\r\n")) return;
            const QList<QByteArray> first = text.left(text.indexOf("\r\n")).split(' ');
            const QString path = first.size() > 1 ? QString::fromLatin1(first[1]) : QString();
            requested << path;
            const Answer a = answers_.value(path, Answer{404, "Not Found", "<html>404</html>"});
            QByteArray reply = "HTTP/1.1 " + QByteArray::number(a.status) + ' ' + a.reason +
                               "\r\nContent-Type: text/html\r\nContent-Length: " +
                               QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n\r\n" +
                               a.body;
            QTimer::singleShot(a.delayMs, socket, [socket, reply] {
                socket->write(reply);
                socket->disconnectFromHost();
            });
        });
        connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            request_.remove(socket);
            socket->deleteLater();
        });
    }

    QHash<QTcpSocket*, QByteArray> request_;
    QHash<QString, Answer> answers_;
    // Last, so it goes first: its sockets' handlers still find the tables above.
    std::unique_ptr<QTcpServer> server_;
    QString scheme_;
};

}  // namespace korvanne::test
