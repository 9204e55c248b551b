#include "app/endpoints.h"
#include "tests/support/fake_websocket_server.h"
#include "tests/support/test_main.h"

#include <QNetworkRequest>
#include <QSignalSpy>
#include <QWebSocket>

class TestFakeWebSocketServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsHandshakesAnswersAndSends()
    {
        FakeWebSocketServer server;
        QVERIFY(server.isRunning());
        QCOMPARE(endpointBase(Endpoint::BinanceStream), server.url());
        QCOMPARE(endpointBase(Endpoint::ITick), server.url());
        server.setAnswer(QStringLiteral("auth"), R"({"type":"auth","code":1})");

        QWebSocket client;
        QSignalSpy texts(&client, &QWebSocket::textMessageReceived);
        QNetworkRequest request(
            QUrl(server.url() + QStringLiteral("/stream?streams=btcusdt@ticker/ethusdt@ticker")));
        request.setRawHeader("token", "secret");
        client.open(request);
        QVERIFY(server.waitForClients(1));
        QCOMPARE(server.handshakes().size(), 1);
        QCOMPARE(server.handshakes().at(0).path, QStringLiteral("/stream"));
        QCOMPARE(server.handshakes().at(0).streams, QStringLiteral("btcusdt@ticker/ethusdt@ticker"));
        QCOMPARE(server.handshakes().at(0).header("TOKEN"), QByteArray("secret"));

        // The server counts a client once it has answered the handshake; the client may not have
        // read that answer yet, and a message sent before it has would be dropped.
        QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);
        client.sendTextMessage(QStringLiteral(R"({"ac":"auth","token":"secret"})"));
        QVERIFY(server.waitForReceived(1));
        QTRY_COMPARE(texts.size(), 1);
        QCOMPARE(texts.at(0).at(0).toString(), QStringLiteral(R"({"type":"auth","code":1})"));

        server.sendToStream(QStringLiteral("ethusdt@ticker"), "one");
        server.sendToStream(QStringLiteral("solusdt@ticker"), "nobody");
        server.send("two");
        QTRY_COMPARE(texts.size(), 3);
        QCOMPARE(texts.at(2).at(0).toString(), QStringLiteral("two"));
    }

    void dropsRefusesAndAcceptsAgain()
    {
        FakeWebSocketServer server;
        QWebSocket client;
        QSignalSpy disconnected(&client, &QWebSocket::disconnected);
        client.open(QUrl(server.url() + QStringLiteral("/stock")));
        QVERIFY(server.waitForClients(1));
        server.dropClients();
        QTRY_COMPARE(disconnected.size(), 1);

        server.refuse();
        client.open(QUrl(server.url() + QStringLiteral("/stock")));
        QTRY_COMPARE(disconnected.size(), 2); // refused: the attempt ends
        QCOMPARE(server.handshakes().size(), 1);

        QVERIFY(server.accept());
        client.open(QUrl(server.url() + QStringLiteral("/stock")));
        QVERIFY(server.waitForClients(1));
        QCOMPARE(server.handshakes().size(), 2);
    }

    void closeOnAcceptLetsTheHandshakeThroughThenCloses()
    {
        FakeWebSocketServer server;
        server.setCloseOnAccept(true);
        QWebSocket client;
        QSignalSpy connected(&client, &QWebSocket::connected);
        QSignalSpy disconnected(&client, &QWebSocket::disconnected);
        client.open(QUrl(server.url() + QStringLiteral("/stream?streams=btcusdt@ticker")));
        QTRY_COMPARE(disconnected.size(), 1);
        QCOMPARE(connected.size(), 1);
        QCOMPARE(server.handshakes().size(), 1);
        QCOMPARE(server.clientCount(), 0);

        server.setCloseOnAccept(false);
        client.open(QUrl(server.url() + QStringLiteral("/stream?streams=btcusdt@ticker")));
        QVERIFY(server.waitForClients(1));
        QCOMPARE(client.state(), QAbstractSocket::ConnectedState);
    }

    void restoresTheVariables()
    {
        qputenv("MVX_ITICK_URL", "ws://before");
        {
            FakeWebSocketServer server;
            QCOMPARE(qgetenv("MVX_ITICK_URL"), server.url().toUtf8());
        }
        QCOMPARE(qgetenv("MVX_ITICK_URL"), QByteArray("ws://before"));
        qunsetenv("MVX_ITICK_URL");
    }
};

MVX_TEST_MAIN(TestFakeWebSocketServer)
#include "test_fake_websocket_server.moc"
