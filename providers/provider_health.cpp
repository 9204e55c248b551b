#include "providers/provider_health.h"

#include "app/endpoints.h"
#include "providers/fetchers.h"

#include <QJsonValue>
#include <QUrl>

QJsonObject providerHealthJson(const ProviderHealthMap &records)
{
    QJsonObject object;
    for (auto it = records.constBegin(); it != records.constEnd(); ++it) {
        const ProviderHealth &health = it.value();
        object.insert(it.key(), QJsonObject{{QStringLiteral("state"), health.status},
                                            {QStringLiteral("latency_ms"), health.latencyMs},
                                            {QStringLiteral("last_success"), health.lastSuccess},
                                            {QStringLiteral("last_error"), health.lastError},
                                            {QStringLiteral("attempts"), health.attempts},
                                            {QStringLiteral("successes"), health.successes},
                                            {QStringLiteral("failures"), health.failures}});
    }
    return object;
}

ProviderHealthMap providerHealthFromJson(const QJsonObject &object)
{
    auto integer = [](const QJsonObject &record, const char *key) {
        const QJsonValue value = record.value(QLatin1String(key));
        return value.isDouble() ? value.toInteger() : qint64(0);
    };
    ProviderHealthMap records;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QJsonObject record = it.value().toObject();
        ProviderHealth health;
        health.status = record.value(QStringLiteral("state")).toString(QStringLiteral("not tested"));
        if (health.status == QLatin1String("testing"))
            health.status = QStringLiteral("not tested");
        health.latencyMs = integer(record, "latency_ms");
        health.lastSuccess = record.value(QStringLiteral("last_success")).toString();
        health.lastError = record.value(QStringLiteral("last_error")).toString();
        health.attempts = integer(record, "attempts");
        health.successes = integer(record, "successes");
        health.failures = integer(record, "failures");
        records.insert(it.key(), health);
    }
    return records;
}

QColor healthStateColour(const QString &state, bool light)
{
    if (state == QLatin1String("ok"))
        return QColor(QStringLiteral("#20c878"));
    if (state == QLatin1String("testing") || state == QLatin1String("rate limited"))
        return QColor(QStringLiteral("#f3b24a"));
    if (state.startsWith(QLatin1String("skipped")) || state == QLatin1String("not implemented"))
        return QColor(light ? QStringLiteral("#52606d") : QStringLiteral("#9aa0a6"));
    return QColor(QStringLiteral("#f45d5d"));
}

std::optional<QNetworkRequest> healthCheckRequest(const ProviderCoverageRow &row,
                                                  const std::function<QString(const QString &)> &credential)
{
    const QString key = credential(row.keyName).trimmed();
    const QString yahooQuery = QStringLiteral("?range=1d&interval=1d");
    QUrl url;
    if (row.name == QLatin1String("Binance Public")) {
        url = endpointUrl(Endpoint::BinanceRest, QStringLiteral("/api/v3/ticker/price?symbol=BTCUSDT"));
    } else if (row.name == QLatin1String("Yahoo Public")) {
        url = endpointUrl(Endpoint::Yahoo, QStringLiteral("/v8/finance/chart/AAPL") + yahooQuery);
    } else if (row.name == QLatin1String("Yahoo .SA Public")) {
        url = endpointUrl(Endpoint::Yahoo, QStringLiteral("/v8/finance/chart/PETR4.SA") + yahooQuery);
    } else if (row.name == QLatin1String("Yahoo FX Public")) {
        url = endpointUrl(Endpoint::Yahoo, QStringLiteral("/v8/finance/chart/BRL=X") + yahooQuery);
    } else if (row.name == QLatin1String("Murvex JSON")) {
        // Only a web address is probed: a file:, qrc: or data: value, or a bare path, would have the
        // probe read something local.
        const QUrl configured(key, QUrl::StrictMode);
        const bool web =
            configured.isValid() && !configured.host().isEmpty() &&
            (configured.scheme() == QLatin1String("http") || configured.scheme() == QLatin1String("https"));
        url = web ? configured : kDefaultNewsFeedUrl.toUrl();
    } else if (row.name == QLatin1String("BrAPI")) {
        url = endpointUrl(Endpoint::Brapi, QStringLiteral("/api/quote/PETR4"));
        if (!key.isEmpty())
            url = urlWithQuery(url, {{QStringLiteral("token"), key}});
    } else if (row.name == QLatin1String("Alpha Vantage")) {
        if (key.isEmpty())
            return std::nullopt;
        url = urlWithQuery(endpointUrl(Endpoint::AlphaVantage, QStringLiteral("/query")),
                           {{QStringLiteral("function"), QStringLiteral("GLOBAL_QUOTE")},
                            {QStringLiteral("symbol"), QStringLiteral("AAPL")},
                            {QStringLiteral("apikey"), key}});
    } else if (row.name == QLatin1String("Finnhub")) {
        if (key.isEmpty())
            return std::nullopt;
        url = urlWithQuery(
            endpointUrl(Endpoint::Finnhub, QStringLiteral("/api/v1/quote")),
            {{QStringLiteral("symbol"), QStringLiteral("AAPL")}, {QStringLiteral("token"), key}});
    } else if (row.name == QLatin1String("Twelve Data")) {
        if (key.isEmpty())
            return std::nullopt;
        const QString symbol =
            row.market == QLatin1String("Forex") ? QStringLiteral("USD/BRL") : QStringLiteral("AAPL");
        url = urlWithQuery(endpointUrl(Endpoint::TwelveData, QStringLiteral("/quote")),
                           {{QStringLiteral("symbol"), symbol}, {QStringLiteral("apikey"), key}});
    } else if (row.name == QLatin1String("Financial Modeling Prep")) {
        if (key.isEmpty())
            return std::nullopt;
        url = urlWithQuery(endpointUrl(Endpoint::Fmp, QStringLiteral("/api/v3/quote/AAPL")),
                           {{QStringLiteral("apikey"), key}});
    } else {
        return std::nullopt;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("MurvexTerminal/1.0"));
    return request;
}

QString healthNetworkErrorText(QNetworkReply::NetworkError error)
{
    QString kind;
    switch (error) {
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        kind = QStringLiteral("timeout");
        break;
    case QNetworkReply::ConnectionRefusedError:
        kind = QStringLiteral("connection refused");
        break;
    case QNetworkReply::RemoteHostClosedError:
        kind = QStringLiteral("connection closed");
        break;
    case QNetworkReply::HostNotFoundError:
        kind = QStringLiteral("host not found");
        break;
    case QNetworkReply::SslHandshakeFailedError:
        kind = QStringLiteral("TLS handshake failed");
        break;
    default:
        kind = QStringLiteral("failed");
        break;
    }
    return QStringLiteral("network error: ") + kind;
}
