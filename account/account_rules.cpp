#include "account/account_rules.h"

#include <QJsonArray>

#include <cmath>
#include <limits>

const QStringList &syncNamespaces()
{
    static const QStringList names{QStringLiteral("settings"), QStringLiteral("watchlists"),
                                   QStringLiteral("alerts"), QStringLiteral("workspace"),
                                   QStringLiteral("portfolios")};
    return names;
}

namespace {
QString pick(bool portuguese, const char *english, const char *portugueseText)
{
    return portuguese ? QString::fromUtf8(portugueseText) : QString::fromUtf8(english);
}
} // namespace

bool isAuthErrorCode(const QString &code)
{
    static const QStringList codes{QStringLiteral("invalid_credentials"),
                                   QStringLiteral("invalid_or_expired_token"),
                                   QStringLiteral("missing_credentials"), QStringLiteral("rate_limited"),
                                   QStringLiteral("refresh_failed")};
    return codes.contains(code);
}

QString authErrorText(const QString &code, bool portuguese)
{
    if (code == QLatin1String("invalid_credentials"))
        return pick(portuguese, "Invalid email or password.", "E-mail ou senha inválidos.");
    if (code == QLatin1String("invalid_or_expired_token"))
        return pick(portuguese, "Session expired. Please log in again.", "Sessão expirada. Entre novamente.");
    if (code == QLatin1String("missing_credentials"))
        return pick(portuguese, "Fill email and password.", "Preencha e-mail e senha.");
    if (code == QLatin1String("rate_limited"))
        return pick(portuguese, "Too many attempts. Wait a few minutes and try again.",
                    "Muitas tentativas. Aguarde alguns minutos e tente novamente.");
    if (code == QLatin1String("refresh_failed"))
        return pick(portuguese, "Session refresh failed. Try again later.",
                    "Falha ao renovar sessão. Tente novamente mais tarde.");
    return pick(portuguese, "Login failed. Please try again.", "Falha no login. Tente novamente.");
}

bool applyAuthReplyTo(LocalSettings &settings, const QJsonObject &reply, QString *errorCode)
{
    const QJsonValue ok = reply.value(QLatin1String("ok"));
    if (!ok.isBool() || !ok.toBool()) {
        if (errorCode)
            *errorCode = reply.value(QLatin1String("error")).toString();
        return false;
    }
    const QJsonObject user = reply.value(QLatin1String("user")).toObject();
    const QJsonValue token = reply.value(QLatin1String("token"));
    if (token.isString() && !token.toString().isEmpty())
        settings.authToken = token.toString();
    const QJsonValue expiration = reply.value(QLatin1String("token_expiration"));
    if (expiration.isString())
        settings.authTokenExpiration = expiration.toString();
    const QJsonValue email = user.value(QLatin1String("email"));
    if (email.isString())
        settings.authEmail = email.toString();
    const QJsonValue firstName = user.value(QLatin1String("first_name"));
    settings.authFirstName = firstName.isString() ? firstName.toString() : QString();
    if (settings.authToken.isEmpty()) {
        if (errorCode)
            errorCode->clear();
        return false;
    }
    return true;
}

bool sessionRejected(int httpStatus, const QJsonObject &reply)
{
    if (httpStatus == 401 || httpStatus == 403)
        return true;
    const QJsonValue ok = reply.value(QLatin1String("ok"));
    return ok.isBool() && !ok.toBool() &&
           reply.value(QLatin1String("error")).toString() == QLatin1String("invalid_or_expired_token");
}

int clampedInt32(const QJsonValue &value)
{
    const double number = value.toDouble(0.0);
    if (!std::isfinite(number))
        return 0;
    if (number >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (number <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(number);
}

qint64 clampedInt64(const QJsonValue &value)
{
    const double number = value.toDouble(0.0);
    if (!std::isfinite(number))
        return 0;
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (number >= limit)
        return std::numeric_limits<qint64>::max();
    if (number < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(number);
}

void recordVersions(QMap<QString, int> &versions, const QJsonObject &items)
{
    for (auto it = items.begin(); it != items.end(); ++it) {
        const int version = clampedInt32(it.value().toObject().value(QLatin1String("version")));
        if (version > 0)
            versions.insert(it.key(), version);
    }
}

QStringList newerNamespaces(const QMap<QString, int> &versions, const QJsonObject &items)
{
    QStringList newer;
    for (auto it = items.begin(); it != items.end(); ++it) {
        const int remote = clampedInt32(it.value().toObject().value(QLatin1String("version")));
        if (remote > 0 && remote > versions.value(it.key(), 0))
            newer << it.key();
    }
    return newer;
}

QJsonObject expectedVersions(const QMap<QString, int> &versions, const QStringList &names, bool allZero)
{
    QJsonObject expected;
    for (const QString &name : names)
        expected.insert(name, allZero ? 0 : versions.value(name, 0));
    return expected;
}

QJsonObject pulledVersions(const QJsonObject &items)
{
    QJsonObject expected;
    for (auto it = items.begin(); it != items.end(); ++it)
        expected.insert(it.key(), clampedInt32(it.value().toObject().value(QLatin1String("version"))));
    return expected;
}

QJsonObject unknownNamespaceItems(const QJsonObject &items)
{
    QJsonObject unknown;
    for (auto it = items.begin(); it != items.end(); ++it)
        if (!syncNamespaces().contains(it.key()))
            unknown.insert(it.key(), it.value());
    return unknown;
}

QString unusableSyncItemReason(const QString &name, const QJsonValue &item)
{
    const QJsonValue payload = item.toObject().value(QLatin1String("payload"));
    if (!payload.isObject())
        return QStringLiteral("no payload");
    if (name == QLatin1String("watchlists") && !payload.toObject().value(QLatin1String("symbols")).isArray())
        return QStringLiteral("no symbols");
    return QString();
}

QString syncPullErrorText(const QString &code, const QString &transportError, bool portuguese)
{
    if (code == QLatin1String("missing_token"))
        return pick(portuguese, "Session token is missing. Log in again.",
                    "Token de sessão ausente. Entre novamente.");
    if (code == QLatin1String("method_not_allowed") || code == QLatin1String("database_unavailable") ||
        code == QLatin1String("sync_failed"))
        return pick(
            portuguese, "Account sync endpoint is not ready. Upload/test the site sync files.",
            "Endpoint de sync da conta ainda não está pronto. Suba/teste os arquivos de sync no site.");
    if (isAuthErrorCode(code))
        return authErrorText(code, portuguese);
    if (!transportError.isEmpty())
        return transportError.left(160);
    return pick(portuguese, "Account sync failed.", "Falha ao sincronizar a conta.");
}

QString formatByteSize(qint64 bytes)
{
    static const char *const units[] = {"B", "KB", "MB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024.0 && unit < 2) {
        value /= 1024.0;
        ++unit;
    }
    const QString number = unit == 0 ? QString::number(bytes) : QString::number(value, 'f', 1);
    return number + QLatin1Char(' ') + QLatin1String(units[unit]);
}
