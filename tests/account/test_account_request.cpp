#include "shell/main_window.h"
#include "tests/support/fake_account_service.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>
#include <QNetworkReply>
#include <QTimer>

namespace {
struct Exchange
{
    QJsonObject result;
    int status = -1;
    QString error = QStringLiteral("<untouched>");
};

Exchange send(MainWindow &window, const QString &url, const QByteArray &method, const QJsonObject &body,
              const QString &token)
{
    Exchange out;
    out.result = window.sendAccountRequest(url, method, body, token, &out.status, &out.error);
    return out;
}
} // namespace

class TestAccountRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void methodsHeadersAndBody_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QByteArray>("sentMethod");
        QTest::addColumn<QByteArray>("sentBody");
        QTest::addColumn<QByteArray>("authorization");
        QTest::newRow("GET") << QByteArray("GET") << "abc" << QByteArray("GET") << QByteArray()
                             << QByteArray("Bearer abc");
        QTest::newRow("lower-case get posts") << QByteArray("get") << "" << QByteArray("POST")
                                              << QByteArray(R"({"a":1,"b":"x y"})") << QByteArray();
        QTest::newRow("POST") << QByteArray("POST") << "t" << QByteArray("POST")
                              << QByteArray(R"({"a":1,"b":"x y"})") << QByteArray("Bearer t");
        QTest::newRow("blank token still sent")
            << QByteArray("POST") << "  " << QByteArray("POST") << QByteArray(R"({"a":1,"b":"x y"})")
            << QByteArray("Bearer"); // the server trims the blanks
    }

    void methodsHeadersAndBody()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, token);
        QFETCH(QByteArray, sentMethod);
        QFETCH(QByteArray, sentBody);
        QFETCH(QByteArray, authorization);
        FakeAccountService service;
        service.server().setHandler(
            [](const RecordedRequest &) { return FakeReply::json(R"({"ok":true,"n":7})"); });
        MainWindow window;
        const Exchange out = send(window, window.authEndpointUrl("me.php"), method,
                                  QJsonObject{{"a", 1}, {"b", "x y"}}, token);
        QCOMPARE(out.status, 200);
        QCOMPARE(out.error, QStringLiteral("<untouched>"));
        QCOMPARE(out.result.value("n").toInt(), 7);
        // The window's own start may ask the same service for its news; only the account call counts.
        const QList<RecordedRequest> calls =
            service.server().requestsFor(QStringLiteral("/TERMINAL/auth/me.php"));
        QCOMPARE(calls.size(), 1);
        const RecordedRequest request = calls.last();
        QCOMPARE(request.method, sentMethod);
        QCOMPARE(request.path, QStringLiteral("/TERMINAL/auth/me.php"));
        QCOMPARE(request.header("User-Agent"), QByteArray("MURVEX_TERMINAL/0.1 Qt"));
        QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(request.header("Authorization"), authorization);
        QCOMPARE(request.body, sentBody);
    }

    void anEmptyBodyIsSentAsAnEmptyObject()
    {
        FakeAccountService service;
        service.server().setHandler([](const RecordedRequest &) { return FakeReply::json("{}"); });
        MainWindow window;
        send(window, window.authEndpointUrl("refresh.php"), "POST", QJsonObject(), "t");
        const QList<RecordedRequest> calls =
            service.server().requestsFor(QStringLiteral("/TERMINAL/auth/refresh.php"));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.last().body, QByteArray("{}"));
    }

    void statusAndErrorText_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QJsonObject>("result");
        const QByteArray expired = R"({"ok":false,"error":"invalid_or_expired_token"})";
        QTest::newRow("401 with JSON") << 401 << expired << QString::fromUtf8(expired)
                                       << QJsonObject{{"ok", false}, {"error", "invalid_or_expired_token"}};
        const QByteArray page = "<html>" + QByteArray(294, 'x');
        QTest::newRow("500 page of 300 characters")
            << 500 << page << QString::fromUtf8(page.left(240)) << QJsonObject();
        QTest::newRow("200 not JSON")
            << 200 << QByteArray("<html>fine</html>") << "<untouched>" << QJsonObject();
        QTest::newRow("200 JSON array") << 200 << QByteArray("[1]") << "<untouched>" << QJsonObject();
        QTest::newRow("404 empty body") << 404 << QByteArray() << "" << QJsonObject();
    }

    void statusAndErrorText()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, error);
        QFETCH(QJsonObject, result);
        FakeAccountService service;
        service.server().setHandler([&](const RecordedRequest &) { return FakeReply::text(body, status); });
        MainWindow window;
        const Exchange out = send(window, window.syncEndpointUrl("pull.php"), "GET", QJsonObject(), "t");
        QCOMPARE(out.status, status);
        QCOMPARE(out.error, error);
        QCOMPARE(out.result, result);
    }

    void aWaitThatGivesUpIsATimeout_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("en") << "en"
                            << "Network timeout.";
        QTest::newRow("pt_BR") << "pt_BR"
                               << "Tempo de rede esgotado.";
    }

    void aWaitThatGivesUpIsATimeout()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        FakeAccountService service;
        service.server().setHandler([](const RecordedRequest &) { return FakeReply::hanging(); });
        MainWindow window;
        window.settings.language = language;
        int limit = -1;
        window.accountWait = [&limit](QNetworkReply *, int limitMs) {
            limit = limitMs;
            return false;
        };
        const Exchange out = send(window, window.syncEndpointUrl("pull.php"), "GET", QJsonObject(), "t");
        QCOMPARE(limit, 15000);
        QCOMPARE(out.status, 0);
        QCOMPARE(out.error, text);
        QVERIFY(out.result.isEmpty());
    }

    // The limit is for the whole answer: one that keeps dripping in ends there as well, and so does a
    // wait the window abandons. Either way the service must see the connection go, not find it held
    // until the process ends.
    void theLocalLoopGivesUpAtItsLimit_data()
    {
        QTest::addColumn<int>("dripEveryMs"); // 0: no answer at all
        QTest::addColumn<bool>("abandoned");  // the window ends the wait instead of the limit
        QTest::newRow("no answer") << 0 << false;
        QTest::newRow("an answer that drips") << 50 << false;
        QTest::newRow("a drip the window abandons") << 50 << true;
    }

    void theLocalLoopGivesUpAtItsLimit()
    {
        QFETCH(int, dripEveryMs);
        QFETCH(bool, abandoned);
        const QString accountPath = QStringLiteral("/TERMINAL/sync/pull.php");
        FakeAccountService service;
        // The window's own start fetches its news from the same host; answered at once, it holds no
        // connection, so whatever is still held belongs to the account call.
        service.server().setHandler([dripEveryMs, accountPath](const RecordedRequest &request) {
            if (request.path != accountPath)
                return FakeReply::text("", 404);
            return dripEveryMs > 0 ? FakeReply::dripping(dripEveryMs) : FakeReply::hanging();
        });
        MainWindow window;
        window.accountRequestLimitMs = dripEveryMs > 0 ? 300 : 50;
        if (abandoned)
            window.accountRequestLimitMs = 60000;
        // The limit, or the window's giving up, must come only once the service holds the call: on a
        // busy machine a 50 ms limit can otherwise end the call before it has even connected, and the
        // test would check nothing. So the real wait starts when the service has seen the request.
        window.accountWait = [&](QNetworkReply *reply, int limitMs) {
            if (!QTest::qWaitFor([&] { return !service.server().requestsFor(accountPath).isEmpty(); }, 30000))
                return false;
            if (abandoned)
                QTimer::singleShot(dripEveryMs * 3, &window, [&window] { window.abandonAccountWait(); });
            return waitForReplyInLocalLoop(reply, limitMs, &window.accountWaitLoop);
        };
        const Exchange out = send(window, window.syncEndpointUrl("pull.php"), "GET", QJsonObject(), "t");
        QCOMPARE(out.status, 0);
        QCOMPARE(out.error, QStringLiteral("Network timeout."));
        QVERIFY(!window.accountBusy);
        QCOMPARE(service.server().requestsFor(accountPath).size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(service.server().openHeldConnections(), 0, 5000);
    }

    void refusedAndForbiddenAddressesFailAtOnce_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<bool>("reachesServer");
        QTest::newRow("refused") << "" << false;
        QTest::newRow("plain http elsewhere") << "http://192.0.2.10" << false;
        QTest::newRow("ftp") << "ftp://127.0.0.1" << false;
        QTest::newRow("placeholder") << "https://murvex-service.invalid" << false;
    }

    void refusedAndForbiddenAddressesFailAtOnce()
    {
        QFETCH(QString, base);
        FakeAccountService service;
        MainWindow window;
        if (base.isEmpty())
            service.server().setRefuseConnections(true);
        else
            qputenv("MVX_SERVICE_URL", base.toUtf8());
        const Exchange out = send(window, window.authEndpointUrl("login.php"), "POST",
                                  QJsonObject{{"password", "secret"}}, "");
        QCOMPARE(out.status, 0);
        QCOMPARE(out.error, QString());
        QVERIFY(out.result.isEmpty());
        QVERIFY(service.server().requests().isEmpty());
    }

    void aRedirectToAnotherOriginIsNotFollowed()
    {
        FakeAccountService service;
        FakeHttpServer elsewhere;
        QVERIFY(elsewhere.start());
        elsewhere.setDefaultReply(FakeReply::json(R"({"ok":true})"));
        service.server().setHandler([&](const RecordedRequest &) {
            FakeReply reply = FakeReply::text("moved", 302);
            reply.headers.append({"Location", (elsewhere.baseUrl() + "/steal").toUtf8()});
            return reply;
        });
        MainWindow window;
        const Exchange out = send(window, window.authEndpointUrl("login.php"), "POST",
                                  QJsonObject{{"password", "secret"}}, "tok");
        QVERIFY(elsewhere.requests().isEmpty());
        QVERIFY(out.result.isEmpty());
        QVERIFY(out.status == 0 || out.status == 302);
    }

    void endpointsJoinWithoutNormalising()
    {
        FakeAccountService service;
        MainWindow window;
        QCOMPARE(window.authEndpointUrl("login.php"), service.baseUrl() + "/TERMINAL/auth/login.php");
        QCOMPARE(window.syncEndpointUrl("/push.php"), service.baseUrl() + "/TERMINAL/sync//push.php");
    }
};

MVX_TEST_MAIN(TestAccountRequest)
#include "test_account_request.moc"
