#include <QBuffer>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTest>

#include "core/network_http_client.h"
#include "loopback_http_server.h"

using namespace korvanne;
using namespace korvanne::test;

namespace {

QByteArray fixture(const QString& name) {
    QFile f(QStringLiteral(KORVANNE_TEST_FIXTURES "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An HTTPS server on loopback with the test certificate (for 127.0.0.1 and localhost).
std::unique_ptr<QTcpServer> tlsServer() {
    auto server = std::make_unique<QSslServer>();
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(QSslCertificate(fixture("loopback_cert.pem")));
    config.setPrivateKey(QSslKey(fixture("loopback_key.pem"), QSsl::Rsa));
    server->setSslConfiguration(config);
    return server;
}

// A sink that refuses every write, as a full disk does.
class FullDisk final : public QIODevice {
public:
    FullDisk() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override {
        setErrorString("No space left on device");
        return -1;
    }
};

}  // namespace

class HttpClientTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plainAnswers_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("ok") << 200 << QByteArray("OK") << QByteArray("1.20");
        QTest::newRow("not found") << 404 << QByteArray("Not Found") << QByteArray("<html/>");
        QTest::newRow("server error")
            << 500 << QByteArray("Internal Server Error") << QByteArray("oops");
        QTest::newRow("empty") << 200 << QByteArray("OK") << QByteArray();
    }
    void plainAnswers() {
        QFETCH(int, status);
        QFETCH(QByteArray, reason);
        QFETCH(QByteArray, body);
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.answer("/v", body, status, reason);
        NetworkHttpClient client;

        const HttpResponse text = client.getText(server.site() + "/v");
        QCOMPARE(text.status, status);
        QCOMPARE(text.statusText, QString::fromLatin1(reason));
        QCOMPARE(text.body, body);
        QVERIFY(text.error.isEmpty());

        QBuffer file;
        file.open(QIODevice::WriteOnly);
        const HttpResponse stored = client.getIntoFile(server.site() + "/v", file);
        QCOMPARE(stored.status, status);
        QCOMPARE(file.data(), body);
        QCOMPARE(stored.bodySize, body.size());
    }

    void noAnswer_data() {
        QTest::addColumn<QString>("url");
        QTest::newRow("closed port") << "http://127.0.0.1:9/v";
        QTest::newRow("not an address") << "no address";
    }
    void noAnswer() {
        QFETCH(QString, url);
        NetworkHttpClient client;
        const HttpResponse r = client.getText(url);
        QVERIFY(!r.answered());
        QVERIFY(!r.error.isEmpty());
    }

    void timeLimit() {
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.answer("/slow", "1.20", 200, "OK", 5000);
        NetworkHttpClient client(100);
        const HttpResponse r = client.getText(server.site() + "/slow");
        QVERIFY(!r.answered());
        QCOMPARE(r.error, "No answer from 127.0.0.1 within 0.1 seconds");
    }

    void writeFailureEndsTheDownload() {
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.answer("/file", QByteArray(4096, 'x'));
        NetworkHttpClient client;
        FullDisk disk;
        const HttpResponse r = client.getIntoFile(server.site() + "/file", disk);
        QVERIFY(!r.answered());
        QCOMPARE(r.error, "No space left on device");
    }

    void tlsWithTrustedCertificate() {
        // The test certificate is trusted only here; the untrusted case runs first.
        LoopbackHttpServer server(tlsServer());
        QVERIFY(server.listen());
        server.answer("/v", "1.20");
        {
            NetworkHttpClient client;
            const HttpResponse refused = client.getText(server.site() + "/v");
            QVERIFY(!refused.answered());
            QVERIFY2(!refused.error.isEmpty(), "an unknown certificate must end the request");
            QVERIFY(refused.body.isEmpty());
        }
        const QSslConfiguration saved = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = saved;
        trusting.addCaCertificates(QSslCertificate::fromData(fixture("loopback_cert.pem")));
        QSslConfiguration::setDefaultConfiguration(trusting);
        NetworkHttpClient client;
        const HttpResponse ok = client.getText(server.site() + "/v");
        QSslConfiguration::setDefaultConfiguration(saved);
        QCOMPARE(ok.status, 200);
        QCOMPARE(ok.body, "1.20");
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "http_client_test.moc"
