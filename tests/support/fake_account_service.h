#pragma once

#include "tests/support/fake_http_server.h"

#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QQueue>
#include <QSet>
#include <QStringList>

#include <optional>

// A loopback stand-in for the maker's account service. While it lives MVX_SERVICE_URL points at it.
// It keeps accounts, tokens, the browser sign-in's devices and each account's five sync namespaces
// with their versions, and answers like the real endpoints: the sign-in reply, 410 for a device not yet
// complete, 401 "invalid_or_expired_token" for a bad token, and "version_conflict" for an upload
// whose expected versions are not the stored ones. A fault scripted for an endpoint answers its next
// request instead (after it has been recorded).
class FakeAccountService
{
public:
    FakeAccountService();
    ~FakeAccountService();
    FakeAccountService(const FakeAccountService &) = delete;
    FakeAccountService &operator=(const FakeAccountService &) = delete;

    bool isRunning() const { return m_running; }
    FakeHttpServer &server() { return m_server; }
    QString baseUrl() const { return m_server.baseUrl(); }

    void addAccount(const QString &email, const QString &password, const QString &firstName);
    QString issueToken(const QString &email); // a valid token, as a sign-in would give
    void expireToken(const QString &token);
    bool tokenValid(const QString &token) const;

    // The browser sign-in: devices seen by "google_start.php" or the poll, and finishing one.
    QStringList devices() const { return m_devices.keys(); }
    void completeDevice(const QString &device, const QString &email);

    // The next request to `endpoint` ("login.php", "pull.php", ...) gets this reply instead.
    void scriptNext(const QString &endpoint, const FakeReply &reply);
    // The next request to `endpoint` is answered normally, `ms` later.
    void delayNext(const QString &endpoint, int ms);

    // Stored sync state of an account.
    QMap<QString, int> versions(const QString &email) const;
    QJsonObject payload(const QString &email, const QString &name) const;
    void store(const QString &email, const QString &name, const QJsonObject &payload, int version);

    // Requests to one endpoint, in order.
    QList<RecordedRequest> requestsTo(const QString &endpoint) const;
    // Every byte any request carried (paths, headers and bodies), for leak checks.
    QByteArray everythingReceived() const;

private:
    struct Namespace
    {
        int version = 0;
        QJsonObject payload;
        qint64 updatedUnix = 0;
    };
    struct Account
    {
        QString password;
        QString firstName;
        QMap<QString, Namespace> store;
    };

    FakeReply answer(const RecordedRequest &request);
    FakeReply signInReply(const QString &email, const QString &token,
                          const QString &status = QString()) const;
    std::optional<QString> emailForRequest(const RecordedRequest &request) const;
    static QString endpointOf(const RecordedRequest &request);

    FakeHttpServer m_server;
    bool m_running = false;
    std::optional<QByteArray> m_savedUrl;
    QHash<QString, Account> m_accounts;
    QHash<QString, QString> m_tokens; // token -> e-mail
    QSet<QString> m_expired;
    QMap<QString, QString> m_devices; // device -> e-mail once complete
    QHash<QString, QQueue<FakeReply>> m_scripted;
    QHash<QString, int> m_delays;
    int m_nextToken = 1;
};
