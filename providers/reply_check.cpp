#include "providers/reply_check.h"

#include "providers/data_fetcher.h"
#include "providers/json_readers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QVariant>

namespace {

constexpr int kApiMessageLength = 180;

QJsonValue member(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key));
}

bool nonEmptyArray(const QJsonValue &value)
{
    return value.isArray() && !value.toArray().isEmpty();
}

// Text of a JSON value the way a variant converts it: strings as they are, numbers in decimal, booleans
// as "true"/"false", everything else empty.
QString variantText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
        return value.toVariant().toString();
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return QString();
    }
}

QString redactEchoedKeys(QString text)
{
    static const QRegularExpression keyAs(QStringLiteral("(api\\s*key\\s+as\\s+)\\S+"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression keyParam(QStringLiteral("([?&](?:apikey|api_key|token)=)[^&\\s\"'<>]+"),
                                             QRegularExpression::CaseInsensitiveOption);
    text.replace(keyAs, QStringLiteral("\\1[redacted]"));
    text.replace(keyParam, QStringLiteral("\\1[redacted]"));
    return text;
}

// Cuts to `length` characters without leaving half of a surrogate pair behind.
QString cutText(const QString &text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

bool payloadIsUsable(const QString &key, const QJsonDocument &document, const QJsonObject &object)
{
    const auto has = [&key](const char *word) { return key.contains(QLatin1String(word)); };
    if (has("binance")) {
        return decimalFromJsonText(member(object, "price")) > 0.0 ||
               decimalFromJsonText(member(object, "lastPrice")) > 0.0 || document.isArray();
    }
    if (has("yahoo")) {
        return nonEmptyArray(member(member(object, "chart").toObject(), "result")) ||
               nonEmptyArray(member(member(object, "quoteResponse").toObject(), "result"));
    }
    if (has("brapi"))
        return nonEmptyArray(member(object, "results"));
    if (has("alpha")) {
        const QJsonValue global = member(object, "Global Quote");
        return (global.isObject() && !global.toObject().isEmpty()) ||
               nonEmptyArray(member(object, "top_gainers")) || nonEmptyArray(member(object, "top_losers"));
    }
    if (has("finnhub"))
        return finiteJsonDouble(member(object, "c")) > 0.0;
    if (has("twelve"))
        return jsonNumber(member(object, "close")) > 0.0;
    if (has("fmp") || has("financial")) {
        return document.isArray() && !document.array().isEmpty() &&
               jsonNumber(member(document.array().first().toObject(), "price")) > 0.0;
    }
    if (has("murvex"))
        return document.isArray() || !object.isEmpty();
    return !document.isNull();
}

} // namespace

ProviderReplyCheck evaluateProviderReply(const QString &providerKey, int httpStatus,
                                         const ProviderReplyHeaders &headers, const QByteArray &body)
{
    ProviderReplyCheck check;
    check.retryAfterSec = retryAfterSeconds(headers);

    if (httpStatus == 429) {
        check.rateLimited = true;
        check.message = QStringLiteral("HTTP 429 rate limit");
        return check;
    }
    if (httpStatus < 200 || httpStatus >= 300) {
        check.message = QStringLiteral("HTTP %1").arg(httpStatus);
        return check;
    }

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (body.isEmpty() || error.error != QJsonParseError::NoError) {
        check.message = QStringLiteral("Malformed or empty JSON");
        return check;
    }

    const QJsonObject object = document.isObject() ? document.object() : QJsonObject();
    const QString key = providerKey.toLower();
    const QString apiMessage = providerApiMessage(object);
    if (!apiMessage.isEmpty()) {
        check.message = apiMessage;
        check.rateLimited = apiMessage.contains(QLatin1String("limit"), Qt::CaseInsensitive) ||
                            apiMessage.contains(QLatin1String("frequency"), Qt::CaseInsensitive) ||
                            apiMessage.contains(QLatin1String("rate"), Qt::CaseInsensitive);
        return check;
    }

    check.ok = payloadIsUsable(key, document, object);
    if (!check.ok)
        check.message = QStringLiteral("Invalid or limited payload");
    return check;
}

int retryAfterSeconds(const ProviderReplyHeaders &headers)
{
    // A hash has no order, so when a reply names the header twice in different cases the smallest name
    // wins: the same reply always gives the same answer.
    const QByteArray *value = nullptr;
    QByteArray chosenName;
    for (auto it = headers.constBegin(); it != headers.constEnd(); ++it) {
        if (it.key().compare("Retry-After", Qt::CaseInsensitive) != 0)
            continue;
        if (!value || it.key() < chosenName) {
            value = &it.value();
            chosenName = it.key();
        }
    }
    if (!value)
        return 0;
    bool ok = false;
    const int seconds = value->trimmed().toInt(&ok, 10);
    return ok && seconds > 0 ? seconds : 0;
}

QString providerApiMessage(const QJsonObject &object)
{
    static const char *const keys[] = {"Note", "Information", "Error Message", "message", "error"};
    for (const char *key : keys) {
        const QString text = variantText(member(object, key)).trimmed();
        if (!text.isEmpty())
            return cutText(redactEchoedKeys(text), kApiMessageLength);
    }
    return QString();
}

bool isWithinSeconds(const QDateTime &from, const QDateTime &to, qint64 limitSeconds)
{
    if (!from.isValid() || !to.isValid() || limitSeconds < 0)
        return false;
    const qint64 elapsed = from.secsTo(to);
    return elapsed >= 0 && elapsed <= limitSeconds;
}
