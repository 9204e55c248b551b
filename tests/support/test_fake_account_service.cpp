#include "tests/support/fake_account_service.h"
#include "tests/support/test_main.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>

namespace {
struct Answer
{
    int status = 0;
    QJsonObject body;
    QByteArray raw;
};

// A plain client of its own, so the fake is proven independently of the program's transport.
Answer call(FakeAccountService &service, const QByteArray &method, const QString &path,
            const QJsonObject &body = {}, const QString &token = {})
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(service.baseUrl() + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    if (!token.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    QNetworkReply *reply =
        method == "GET" ? manager.get(request) : manager.post(request, QJsonDocument(body).toJson());
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!finished.wait(5000))
        return {};
    Answer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.raw = reply->readAll();
    answer.body = QJsonDocument::fromJson(answer.raw).object();
    reply->deleteLater();
    return answer;
}
} // namespace

class TestFakeAccountService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInAndSession()
    {
        FakeAccountService service;
        QVERIFY(service.isRunning());
        QCOMPARE(qgetenv("MVX_SERVICE_URL"), service.baseUrl().toUtf8());
        service.addAccount("a@x.io", "pw", "Ann");
        QCOMPARE(
            call(service, "POST", "/TERMINAL/auth/login.php", {{"email", "a@x.io"}, {"password", "no"}}).body,
            (QJsonObject{{"ok", false}, {"error", "invalid_credentials"}}));
        QCOMPARE(call(service, "POST", "/TERMINAL/auth/login.php", {{"email", ""}}).status, 400);
        const Answer login =
            call(service, "POST", "/TERMINAL/auth/login.php", {{"email", "a@x.io"}, {"password", "pw"}});
        const QString token = login.body.value("token").toString();
        QVERIFY(service.tokenValid(token));
        QCOMPARE(login.body.value("user").toObject().value("first_name").toString(), QStringLiteral("Ann"));
        QCOMPARE(call(service, "GET", "/TERMINAL/auth/me.php", {}, token).body.value("token").toString(),
                 token);
        const QString fresh =
            call(service, "POST", "/TERMINAL/auth/refresh.php", {}, token).body.value("token").toString();
        QVERIFY(fresh != token && service.tokenValid(fresh));
        service.expireToken(fresh);
        QCOMPARE(call(service, "GET", "/TERMINAL/auth/me.php", {}, fresh).status, 401);
        call(service, "POST", "/TERMINAL/auth/logout.php", {}, token);
        QVERIFY(!service.tokenValid(token));
    }

    void theBrowserDeviceAnswers410UntilComplete()
    {
        FakeAccountService service;
        service.addAccount("a@x.io", "pw", "Ann");
        QCOMPARE(call(service, "GET", "/TERMINAL/auth/google_start.php?device=d1&lang=en").status, 200);
        QCOMPARE(service.devices(), QStringList{"d1"});
        QCOMPARE(call(service, "GET", "/TERMINAL/auth/google_poll.php?device=d1").status, 410);
        service.completeDevice("d1", "a@x.io");
        const Answer done = call(service, "GET", "/TERMINAL/auth/google_poll.php?device=d1");
        QCOMPARE(done.body.value("status").toString(), QStringLiteral("complete"));
        QVERIFY(service.tokenValid(done.body.value("token").toString()));
    }

    void pushChecksEveryExpectedVersion()
    {
        FakeAccountService service;
        service.addAccount("a@x.io", "pw", "Ann");
        const QString token = service.issueToken("a@x.io");
        QCOMPARE(call(service, "GET", "/TERMINAL/sync/pull.php", {}, token).body,
                 (QJsonObject{{"ok", true}, {"items", QJsonObject()}}));
        const QJsonObject items{{"alerts", QJsonObject{{"alerts", QJsonArray()}}},
                                {"settings", QJsonObject()}};
        const Answer first =
            call(service, "POST", "/TERMINAL/sync/push.php",
                 {{"items", items}, {"expected_versions", QJsonObject{{"alerts", 0}}}}, token);
        QCOMPARE(first.body.value("items").toObject().value("alerts").toObject().value("version").toInt(), 1);
        QCOMPARE(service.versions("a@x.io"), (QMap<QString, int>{{"alerts", 1}, {"settings", 1}}));
        const Answer stale =
            call(service, "POST", "/TERMINAL/sync/push.php",
                 {{"items", items}, {"expected_versions", QJsonObject{{"alerts", 1}}}}, token);
        QCOMPARE(stale.status, 409);
        QCOMPARE(stale.body.value("error").toString(), QStringLiteral("version_conflict"));
        QCOMPARE(service.versions("a@x.io").value("alerts"), 1);
        const Answer status = call(service, "GET", "/TERMINAL/sync/status.php", {}, token);
        QCOMPARE(
            status.body.value("items").toObject().value("alerts").toObject().value("payload_bytes").toInt(),
            QJsonDocument(items.value("alerts").toObject()).toJson(QJsonDocument::Compact).size());
        QCOMPARE(call(service, "GET", "/TERMINAL/sync/pull.php", {}, "nope").status, 401);
    }

    void scriptedFaultsAnswerOnce()
    {
        FakeAccountService service;
        service.addAccount("a@x.io", "pw", "Ann");
        const QString token = service.issueToken("a@x.io");
        service.scriptNext("pull.php", FakeReply::text("<html>502</html>", 502));
        QCOMPARE(call(service, "GET", "/TERMINAL/sync/pull.php", {}, token).raw,
                 QByteArray("<html>502</html>"));
        QCOMPARE(call(service, "GET", "/TERMINAL/sync/pull.php", {}, token).status, 200);
        service.delayNext("me.php", 100);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(call(service, "GET", "/TERMINAL/auth/me.php", {}, token).status, 200);
        QVERIFY(clock.elapsed() >= 90);
        QCOMPARE(service.requestsTo("pull.php").size(), 2);
        QVERIFY(service.everythingReceived().contains(token.toUtf8()));
    }
};

MVX_TEST_MAIN(TestFakeAccountService)
#include "test_fake_account_service.moc"
