#include "account/account_request.h"
#include "account/account_rules.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>

#include <limits>

namespace {
QJsonObject objectOf(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}
} // namespace

class TestAccountRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorCodesHaveTheirMessages_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("portuguese");
        QTest::newRow("invalid_credentials")
            << "invalid_credentials"
            << "Invalid email or password." << QString::fromUtf8("E-mail ou senha inválidos.");
        QTest::newRow("invalid_or_expired_token") << "invalid_or_expired_token"
                                                  << "Session expired. Please log in again."
                                                  << QString::fromUtf8("Sessão expirada. Entre novamente.");
        QTest::newRow("missing_credentials")
            << "missing_credentials"
            << "Fill email and password." << QString::fromUtf8("Preencha e-mail e senha.");
        QTest::newRow("rate_limited")
            << "rate_limited"
            << "Too many attempts. Wait a few minutes and try again."
            << QString::fromUtf8("Muitas tentativas. Aguarde alguns minutos e tente novamente.");
        QTest::newRow("refresh_failed")
            << "refresh_failed"
            << "Session refresh failed. Try again later."
            << QString::fromUtf8("Falha ao renovar sessão. Tente novamente mais tarde.");
        QTest::newRow("unknown") << "teapot"
                                 << "Login failed. Please try again."
                                 << QString::fromUtf8("Falha no login. Tente novamente.");
        QTest::newRow("none") << ""
                              << "Login failed. Please try again."
                              << QString::fromUtf8("Falha no login. Tente novamente.");
    }

    void errorCodesHaveTheirMessages()
    {
        QFETCH(QString, code);
        QFETCH(QString, english);
        QFETCH(QString, portuguese);
        QCOMPARE(authErrorText(code, false), english);
        QCOMPARE(authErrorText(code, true), portuguese);
    }

    void aSignInReplyUpdatesTheSession_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("storedToken");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("expiration");
        QTest::addColumn<QString>("code");
        QTest::newRow("full") << QByteArray(R"({"ok":true,"token":"T2","token_expiration":"2030",
                                  "user":{"email":"b@x.io","first_name":"Bea"}})")
                              << "" << true << "T2"
                              << "b@x.io"
                              << "Bea"
                              << "2030"
                              << "";
        QTest::newRow("no user keeps e-mail, empties the name")
            << QByteArray(R"({"ok":true,"token":"T2"})") << "" << true << "T2"
            << "a@x.io"
            << ""
            << "old"
            << "";
        QTest::newRow("empty token keeps the stored one")
            << QByteArray(R"({"ok":true,"token":""})") << "T1" << true << "T1"
            << "a@x.io"
            << ""
            << "old"
            << "";
        QTest::newRow("ok without any token fails") << QByteArray(R"({"ok":true})") << "" << false << ""
                                                    << "a@x.io"
                                                    << ""
                                                    << "old"
                                                    << "";
        QTest::newRow("ok false leaves all")
            << QByteArray(R"({"ok":false,"error":"rate_limited","token":"T9"})") << "T1" << false << "T1"
            << "a@x.io"
            << "Ann"
            << "old"
            << "rate_limited";
        QTest::newRow("ok as a string is not ok")
            << QByteArray(R"({"ok":"true","token":"T9"})") << "T1" << false << "T1"
            << "a@x.io"
            << "Ann"
            << "old"
            << "";
        QTest::newRow("numbers where texts belong")
            << QByteArray(R"({"ok":true,"token":5,"token_expiration":7,
                                                        "user":{"email":1,"first_name":2}})")
            << "T1" << true << "T1"
            << "a@x.io"
            << ""
            << "old"
            << "";
    }

    void aSignInReplyUpdatesTheSession()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, storedToken);
        QFETCH(bool, ok);
        QFETCH(QString, token);
        QFETCH(QString, email);
        QFETCH(QString, firstName);
        QFETCH(QString, expiration);
        QFETCH(QString, code);
        LocalSettings settings;
        settings.authToken = storedToken;
        settings.authEmail = "a@x.io";
        settings.authFirstName = "Ann";
        settings.authTokenExpiration = "old";
        QString error = "<untouched>";
        QCOMPARE(applyAuthReplyTo(settings, objectOf(reply), &error), ok);
        QCOMPARE(settings.authToken, token);
        QCOMPARE(settings.authEmail, email);
        QCOMPARE(settings.authFirstName, firstName);
        QCOMPARE(settings.authTokenExpiration, expiration);
        if (!ok)
            QCOMPARE(error, code);
    }

    void onlyARejectionEndsASession_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("401") << 401 << QByteArray("{}") << true;
        QTest::newRow("403") << 403 << QByteArray("{}") << true;
        QTest::newRow("200 expired") << 200
                                     << QByteArray(R"({"ok":false,"error":"invalid_or_expired_token"})")
                                     << true;
        QTest::newRow("time-out") << 0 << QByteArray("{}") << false;
        QTest::newRow("503") << 503 << QByteArray("{}") << false;
        QTest::newRow("200 other error")
            << 200 << QByteArray(R"({"ok":false,"error":"rate_limited"})") << false;
    }

    void onlyARejectionEndsASession()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, reply);
        QFETCH(bool, rejected);
        QCOMPARE(sessionRejected(status, objectOf(reply)), rejected);
    }

    void serviceNumbersAreClamped_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<int>("int32");
        QTest::addColumn<qint64>("int64");
        QTest::newRow("plain") << QJsonValue(7) << 7 << qint64(7);
        QTest::newRow("fraction") << QJsonValue(7.9) << 7 << qint64(7);
        QTest::newRow("past 32 bits")
            << QJsonValue(1e10) << std::numeric_limits<int>::max() << qint64(10000000000);
        QTest::newRow("below 32 bits")
            << QJsonValue(-1e10) << std::numeric_limits<int>::min() << qint64(-10000000000);
        QTest::newRow("past 64 bits")
            << QJsonValue(1e300) << std::numeric_limits<int>::max() << std::numeric_limits<qint64>::max();
        QTest::newRow("below 64 bits")
            << QJsonValue(-1e300) << std::numeric_limits<int>::min() << std::numeric_limits<qint64>::min();
        QTest::newRow("string") << QJsonValue("5") << 0 << qint64(0);
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << 0 << qint64(0);
    }

    void serviceNumbersAreClamped()
    {
        QFETCH(QJsonValue, value);
        QFETCH(int, int32);
        QFETCH(qint64, int64);
        QCOMPARE(clampedInt32(value), int32);
        QCOMPARE(clampedInt64(value), int64);
    }

    void versionBookkeeping()
    {
        QMap<QString, int> versions{{"alerts", 4}, {"settings", 2}};
        const QJsonObject items = objectOf(R"({"alerts":{"version":3},"portfolios":{"version":0},
            "settings":{"version":5},"watchlists":{},"workspace":{"version":1e12}})");
        QCOMPARE(newerNamespaces(versions, items), (QStringList{"settings", "workspace"}));
        QCOMPARE(expectedVersions(versions, {"alerts", "watchlists"}, false),
                 objectOf(R"({"alerts":4,"watchlists":0})"));
        QCOMPARE(expectedVersions(versions, {"alerts", "watchlists"}, true),
                 objectOf(R"({"alerts":0,"watchlists":0})"));
        QCOMPARE(
            pulledVersions(items),
            objectOf(R"({"alerts":3,"portfolios":0,"settings":5,"watchlists":0,"workspace":2147483647})"));
        recordVersions(versions, items);
        // A lower remote version replaces a higher one; a version of 0 or none leaves the entry alone.
        QCOMPARE(versions, (QMap<QString, int>{{"alerts", 3}, {"settings", 5}, {"workspace", 2147483647}}));
    }

    // Only the five namespaces are known, by their exact names; every other item is kept whole.
    void unknownNamespacesAreSetApart()
    {
        const QJsonObject items = objectOf(R"({"alerts":{"version":3},"drawings":{"version":5,"payload":{}},
            "Alerts":{"version":2},"settings":{"version":1},"":{"version":7}})");
        QCOMPARE(
            unknownNamespaceItems(items),
            objectOf(R"({"drawings":{"version":5,"payload":{}},"Alerts":{"version":2},"":{"version":7}})"));
        QCOMPARE(unknownNamespaceItems(objectOf(R"({"alerts":{},"portfolios":{},"settings":{},
            "watchlists":{},"workspace":{}})")),
                 QJsonObject());
    }

    void unusablePulledItemsAreNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<bool>("usable");
        QTest::newRow("alerts with payload")
            << "alerts" << QByteArray(R"({"version":1,"payload":{}})") << true;
        QTest::newRow("no payload") << "alerts" << QByteArray(R"({"version":1})") << false;
        QTest::newRow("payload an array") << "settings" << QByteArray(R"({"payload":[]})") << false;
        QTest::newRow("watchlist with symbols")
            << "watchlists" << QByteArray(R"({"payload":{"symbols":[]}})") << true;
        QTest::newRow("watchlist without symbols")
            << "watchlists" << QByteArray(R"({"payload":{"name":"x"}})") << false;
        QTest::newRow("watchlist symbols a string")
            << "watchlists" << QByteArray(R"({"payload":{"symbols":"AAPL"}})") << false;
    }

    void unusablePulledItemsAreNamed()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, item);
        QFETCH(bool, usable);
        QCOMPARE(unusableSyncItemReason(name, objectOf(item)).isEmpty(), usable);
    }

    void pullErrorsHaveTheirMessages_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("transport");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing_token") << "missing_token"
                                       << ""
                                       << "Session token is missing. Log in again.";
        for (const char *code : {"method_not_allowed", "database_unavailable", "sync_failed"})
            QTest::newRow(code) << code << ""
                                << "Account sync endpoint is not ready. Upload/test the site sync files.";
        QTest::newRow("expired") << "invalid_or_expired_token"
                                 << "x"
                                 << "Session expired. Please log in again.";
        QTest::newRow("html page") << "" << QString(200, 'h') << QString(160, 'h');
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "Account sync failed.";
        QTest::newRow("unknown code") << "boom"
                                      << ""
                                      << "Account sync failed.";
    }

    void pullErrorsHaveTheirMessages()
    {
        QFETCH(QString, code);
        QFETCH(QString, transport);
        QFETCH(QString, message);
        QCOMPARE(syncPullErrorText(code, transport, false), message);
    }

    void byteSizes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0 B";
        QTest::newRow("1023") << qint64(1023) << "1023 B";
        QTest::newRow("1024") << qint64(1024) << "1.0 KB";
        QTest::newRow("1536") << qint64(1536) << "1.5 KB";
        QTest::newRow("1 MiB") << qint64(1048576) << "1.0 MB";
        QTest::newRow("5 GiB") << qint64(5) * 1024 * 1024 * 1024 << "5120.0 MB";
        QTest::newRow("negative") << qint64(-5) << "-5 B";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "8796093022208.0 MB";
    }

    void byteSizes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(formatByteSize(bytes), text);
    }

    void credentialsOnlyTravelSafely_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("https") << "https://account.example.com/TERMINAL/auth/login.php" << true;
        QTest::newRow("http loopback v4") << "http://127.0.0.1:8080/x" << true;
        QTest::newRow("http loopback v6") << "http://[::1]:8080/x" << true;
        QTest::newRow("http localhost") << "http://localhost/x" << true;
        QTest::newRow("http elsewhere") << "http://account.example.com/x" << false;
        QTest::newRow("http look-alike") << "http://127.0.0.1.example.com/x" << false;
        QTest::newRow("ws") << "ws://127.0.0.1/x" << false;
        QTest::newRow("no host") << "https:///x" << false;
        QTest::newRow("garbage") << "::" << false;
    }

    void credentialsOnlyTravelSafely()
    {
        QFETCH(QString, url);
        QFETCH(bool, allowed);
        QCOMPARE(accountUrlAllowed(QUrl(url)), allowed);
    }
};

MVX_TEST_MAIN(TestAccountRules)
#include "test_account_rules.moc"
