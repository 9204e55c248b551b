#include "tests/support/fake_http_server.h"
#include "tests/support/test_main.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
struct Fetched
{
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray retryAfter;
};

Fetched fetch(QNetworkAccessManager &manager, const QUrl &url, int transferTimeoutMs = 5000)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(transferTimeoutMs);
    request.setRawHeader("X-Probe", "yes");
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Fetched out;
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    out.body = reply->readAll();
    out.error = reply->error();
    out.retryAfter = reply->rawHeader("Retry-After");
    reply->deleteLater();
    return out;
}
} // namespace

class TestFakeHttpServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void servesScriptedRepliesAndRecordsRequests()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        FakeReply limited = FakeReply::json(R"({"error":"slow down"})", 429);
        limited.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("30")));
        server.setReply(QStringLiteral("/api/v3/ticker/24hr"), limited);

        QNetworkAccessManager manager;
        const Fetched got = fetch(
            manager, QUrl(server.baseUrl() + QStringLiteral("/api/v3/ticker/24hr?symbol=BTCUSDT&a=%3F%23")));
        QCOMPARE(got.status, 429);
        QCOMPARE(got.body, QByteArray(R"({"error":"slow down"})"));
        QCOMPARE(got.retryAfter, QByteArray("30"));

        QCOMPARE(server.requests().size(), 1);
        const RecordedRequest &seen = server.requests().first();
        QCOMPARE(seen.method, QByteArray("GET"));
        QCOMPARE(seen.path, QStringLiteral("/api/v3/ticker/24hr"));
        QCOMPARE(seen.query, QStringLiteral("symbol=BTCUSDT&a=%3F%23"));
        QCOMPARE(seen.header("x-probe"), QByteArray("yes"));
    }

    void unknownPathGetsTheDefault()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        QNetworkAccessManager manager;
        QCOMPARE(fetch(manager, QUrl(server.baseUrl() + QStringLiteral("/nothing"))).status, 404);
        server.setDefaultReply(FakeReply::text("garbage{", 200));
        QCOMPARE(fetch(manager, QUrl(server.baseUrl() + QStringLiteral("/nothing"))).body,
                 QByteArray("garbage{"));
    }

    void queuedRepliesComeFirstThenTheStandingOne()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setReply(QStringLiteral("/q"), FakeReply::text("standing"));
        server.enqueueReply(QStringLiteral("/q"), FakeReply::text("first", 500));
        server.enqueueReply(QStringLiteral("/q"), FakeReply::text("second"));
        QNetworkAccessManager manager;
        const QUrl url(server.baseUrl() + QStringLiteral("/q"));
        const Fetched a = fetch(manager, url);
        QCOMPARE(a.status, 500);
        QCOMPARE(a.body, QByteArray("first"));
        QCOMPARE(fetch(manager, url).body, QByteArray("second"));
        QCOMPARE(fetch(manager, url).body, QByteArray("standing"));
        QCOMPARE(server.requestsFor(QStringLiteral("/q")).size(), 3);
    }

    void delayedReplyArrivesLate()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        FakeReply slow = FakeReply::text("late");
        slow.delayMs = 150;
        server.setReply(QStringLiteral("/slow"), slow);
        QNetworkAccessManager manager;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(fetch(manager, QUrl(server.baseUrl() + QStringLiteral("/slow"))).body, QByteArray("late"));
        QVERIFY(clock.elapsed() >= 140);
    }

    void hangingReplyLeavesTheClientToGiveUp()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setReply(QStringLiteral("/hang"), FakeReply::hanging());
        QNetworkAccessManager manager;
        const Fetched got = fetch(manager, QUrl(server.baseUrl() + QStringLiteral("/hang")), 200);
        QCOMPARE(got.error, QNetworkReply::OperationCanceledError);
        QCOMPARE(server.requests().size(), 1);
    }

    // A dripping body keeps coming and never ends, so the client's silence limit never fires; the
    // connection counts as held until the client closes it.
    void drippingBodyNeverEndsUntilTheClientCloses()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setReply(QStringLiteral("/drip"), FakeReply::dripping(40));
        QNetworkAccessManager manager;
        QNetworkRequest request(QUrl(server.baseUrl() + QStringLiteral("/drip")));
        request.setTransferTimeout(300);
        QNetworkReply *reply = manager.get(request);
        qint64 received = 0;
        QObject::connect(reply, &QNetworkReply::readyRead, reply,
                         [reply, &received] { received += reply->readAll().size(); });
        QTest::qWait(1200);
        QVERIFY(!reply->isFinished());
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        QVERIFY2(received >= 5, QByteArray::number(received).constData());
        QCOMPARE(server.openHeldConnections(), 1);
        delete reply;
        QTRY_COMPARE(server.openHeldConnections(), 0);
    }

    void refusesConnectionsAndAcceptsAgainOnTheSamePort()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setReply(QStringLiteral("/ok"), FakeReply::text("ok"));
        const quint16 port = server.port();
        QNetworkAccessManager manager;
        const QUrl url(server.baseUrl() + QStringLiteral("/ok"));
        QCOMPARE(fetch(manager, url).body, QByteArray("ok"));

        server.setRefuseConnections(true);
        QCOMPARE(fetch(manager, url).error, QNetworkReply::ConnectionRefusedError);

        server.setRefuseConnections(false);
        QCOMPARE(server.port(), port);
        QCOMPARE(fetch(manager, url).body, QByteArray("ok"));
    }

    void handlerDecidesEveryReply()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setHandler(
            [](const RecordedRequest &request) { return FakeReply::text(request.query.toUtf8()); });
        QNetworkAccessManager manager;
        QCOMPARE(fetch(manager, QUrl(server.baseUrl() + QStringLiteral("/echo?b=2&a=1"))).body,
                 QByteArray("b=2&a=1"));
    }
};

MVX_TEST_MAIN(TestFakeHttpServer)
#include "test_fake_http_server.moc"
