#include "tests/support/fake_account_service.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrlQuery>

namespace {
FakeReply jsonReply(const QJsonObject &object, int status = 200)
{
    return FakeReply::json(QJsonDocument(object).toJson(QJsonDocument::Compact), status);
}

FakeReply failure(const QString &code, int status)
{
    return jsonReply(QJsonObject{{"ok", false}, {"error", code}}, status);
}
} // namespace

FakeAccountService::FakeAccountService()
{
    m_running = m_server.start();
    if (qEnvironmentVariableIsSet("MVX_SERVICE_URL"))
        m_savedUrl = qgetenv("MVX_SERVICE_URL");
    qputenv("MVX_SERVICE_URL", m_server.baseUrl().toUtf8());
    m_server.setHandler([this](const RecordedRequest &request) {
        const QString endpoint = endpointOf(request);
        FakeReply reply;
        if (m_scripted.contains(endpoint) && !m_scripted[endpoint].isEmpty())
            reply = m_scripted[endpoint].dequeue();
        else
            reply = answer(request);
        if (m_delays.contains(endpoint))
            reply.delayMs = m_delays.take(endpoint);
        return reply;
    });
}

FakeAccountService::~FakeAccountService()
{
    if (m_savedUrl)
        qputenv("MVX_SERVICE_URL", *m_savedUrl);
    else
        qunsetenv("MVX_SERVICE_URL");
}

void FakeAccountService::addAccount(const QString &email, const QString &password, const QString &firstName)
{
    m_accounts[email].password = password;
    m_accounts[email].firstName = firstName;
}

QString FakeAccountService::issueToken(const QString &email)
{
    const QString token =
        QStringLiteral("tok%1x%2").arg(m_nextToken++).arg(QDateTime::currentMSecsSinceEpoch() % 100000);
    m_tokens.insert(token, email);
    return token;
}

void FakeAccountService::expireToken(const QString &token)
{
    m_expired.insert(token);
}

bool FakeAccountService::tokenValid(const QString &token) const
{
    return m_tokens.contains(token) && !m_expired.contains(token);
}

void FakeAccountService::completeDevice(const QString &device, const QString &email)
{
    m_devices.insert(device, email);
}

void FakeAccountService::scriptNext(const QString &endpoint, const FakeReply &reply)
{
    m_scripted[endpoint].enqueue(reply);
}

void FakeAccountService::delayNext(const QString &endpoint, int ms)
{
    m_delays.insert(endpoint, ms);
}

QMap<QString, int> FakeAccountService::versions(const QString &email) const
{
    QMap<QString, int> out;
    const Account account = m_accounts.value(email);
    for (auto it = account.store.cbegin(); it != account.store.cend(); ++it)
        out.insert(it.key(), it.value().version);
    return out;
}

QJsonObject FakeAccountService::payload(const QString &email, const QString &name) const
{
    return m_accounts.value(email).store.value(name).payload;
}

void FakeAccountService::store(const QString &email, const QString &name, const QJsonObject &payload,
                               int version)
{
    m_accounts[email].store[name] = Namespace{version, payload, 1700000000};
}

QList<RecordedRequest> FakeAccountService::requestsTo(const QString &endpoint) const
{
    QList<RecordedRequest> out;
    for (const RecordedRequest &request : m_server.requests())
        if (endpointOf(request) == endpoint)
            out << request;
    return out;
}

QByteArray FakeAccountService::everythingReceived() const
{
    QByteArray all;
    for (const RecordedRequest &request : m_server.requests()) {
        all += request.rawTarget.toUtf8() + '\n';
        for (const auto &header : request.headers)
            all += header.first + ": " + header.second + '\n';
        all += request.body + '\n';
    }
    return all;
}

QString FakeAccountService::endpointOf(const RecordedRequest &request)
{
    return request.path.section(QLatin1Char('/'), -1);
}

std::optional<QString> FakeAccountService::emailForRequest(const RecordedRequest &request) const
{
    const QByteArray header = request.header("Authorization");
    if (!header.startsWith("Bearer "))
        return std::nullopt;
    const QString token = QString::fromUtf8(header.mid(7));
    if (!tokenValid(token))
        return std::nullopt;
    return m_tokens.value(token);
}

FakeReply FakeAccountService::signInReply(const QString &email, const QString &token,
                                          const QString &status) const
{
    QJsonObject reply{
        {"ok", true},
        {"token", token},
        {"token_expiration", "2099-01-01 00:00:00"},
        {"user", QJsonObject{{"email", email}, {"first_name", m_accounts.value(email).firstName}}}};
    if (!status.isEmpty())
        reply.insert("status", status);
    return jsonReply(reply);
}

FakeReply FakeAccountService::answer(const RecordedRequest &request)
{
    const QString endpoint = endpointOf(request);
    const QJsonObject body = QJsonDocument::fromJson(request.body).object();
    const bool auth = request.path.contains(QLatin1String("/TERMINAL/auth/"));
    const bool sync = request.path.contains(QLatin1String("/TERMINAL/sync/"));
    if (auth && endpoint == QLatin1String("login.php")) {
        const QString email = body.value("email").toString();
        const QString password = body.value("password").toString();
        if (email.isEmpty() || password.isEmpty())
            return failure("missing_credentials", 400);
        if (!m_accounts.contains(email) || m_accounts.value(email).password != password)
            return failure("invalid_credentials", 401);
        return signInReply(email, issueToken(email));
    }
    if (auth &&
        (endpoint == QLatin1String("google_start.php") || endpoint == QLatin1String("google_poll.php"))) {
        const QString device = QUrlQuery(request.query).queryItemValue("device");
        if (!m_devices.contains(device))
            m_devices.insert(device, QString());
        if (endpoint == QLatin1String("google_start.php"))
            return FakeReply::text("<html>Sign in with Google</html>");
        const QString email = m_devices.value(device);
        if (email.isEmpty())
            return jsonReply(QJsonObject{{"ok", false}, {"status", "pending"}}, 410);
        m_devices.remove(device);
        return signInReply(email, issueToken(email), "complete");
    }
    const std::optional<QString> email = emailForRequest(request);
    if (!email)
        return failure("invalid_or_expired_token", 401);
    if (auth && endpoint == QLatin1String("me.php")) {
        const QByteArray header = request.header("Authorization");
        return signInReply(*email, QString::fromUtf8(header.mid(7)));
    }
    if (auth && endpoint == QLatin1String("refresh.php"))
        return signInReply(*email, issueToken(*email));
    if (auth && endpoint == QLatin1String("logout.php")) {
        m_expired.insert(QString::fromUtf8(request.header("Authorization").mid(7)));
        return jsonReply(QJsonObject{{"ok", true}});
    }
    Account &account = m_accounts[*email];
    if (sync && endpoint == QLatin1String("pull.php")) {
        QJsonObject items;
        for (auto it = account.store.cbegin(); it != account.store.cend(); ++it)
            items.insert(it.key(),
                         QJsonObject{{"version", it.value().version}, {"payload", it.value().payload}});
        return jsonReply(QJsonObject{{"ok", true}, {"items", items}});
    }
    if (sync && endpoint == QLatin1String("push.php")) {
        const QJsonObject items = body.value("items").toObject();
        const QJsonObject expected = body.value("expected_versions").toObject();
        for (auto it = items.begin(); it != items.end(); ++it)
            if (expected.value(it.key()).toInt(0) != account.store.value(it.key()).version)
                return failure("version_conflict", 409);
        QJsonObject written;
        for (auto it = items.begin(); it != items.end(); ++it) {
            Namespace &stored = account.store[it.key()];
            stored.version += 1;
            stored.payload = it.value().toObject();
            stored.updatedUnix = QDateTime::currentSecsSinceEpoch();
            written.insert(it.key(), QJsonObject{{"version", stored.version}});
        }
        return jsonReply(QJsonObject{{"ok", true}, {"items", written}});
    }
    if (sync && endpoint == QLatin1String("status.php")) {
        QJsonObject items;
        for (auto it = account.store.cbegin(); it != account.store.cend(); ++it)
            items.insert(
                it.key(),
                QJsonObject{
                    {"version", it.value().version},
                    {"updated_unix", double(it.value().updatedUnix)},
                    {"payload_bytes",
                     double(QJsonDocument(it.value().payload).toJson(QJsonDocument::Compact).size())}});
        return jsonReply(QJsonObject{{"ok", true}, {"items", items}});
    }
    return failure("method_not_allowed", 405);
}
