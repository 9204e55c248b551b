#include "providers/data_fetcher.h"

#include "providers/json_readers.h"

#include <QStringLiteral>

#include <algorithm>
#include <cmath>

QNetworkRequest makeFetcherRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kFetcherUserAgent));
    return request;
}

double jsonNumber(const QJsonValue &value)
{
    if (value.isString()) {
        QString text = value.toString();
        text.remove(QLatin1Char('%'));
        return decimalFromText(text);
    }
    return finiteJsonDouble(value);
}

double lastJsonNumber(const QJsonArray &array)
{
    for (qsizetype i = array.size() - 1; i >= 0; --i) {
        const QJsonValue value = array.at(i);
        if (value.isDouble() && std::isfinite(value.toDouble()))
            return value.toDouble();
    }
    return 0.0;
}

QString stripSaSuffix(const QString &symbol)
{
    QString stripped = symbol;
    stripped.remove(QStringLiteral(".SA"), Qt::CaseInsensitive);
    return stripped;
}

CandleList parseYahooCandles(const QJsonObject &result)
{
    const QJsonArray timestamps = result.value(QLatin1String("timestamp")).toArray();
    const QJsonArray quotes =
        result.value(QLatin1String("indicators")).toObject().value(QLatin1String("quote")).toArray();
    if (quotes.isEmpty())
        return {};

    const QJsonObject quote = quotes.first().toObject();
    const QJsonArray opens = quote.value(QLatin1String("open")).toArray();
    const QJsonArray highs = quote.value(QLatin1String("high")).toArray();
    const QJsonArray lows = quote.value(QLatin1String("low")).toArray();
    const QJsonArray closes = quote.value(QLatin1String("close")).toArray();
    const QJsonArray volumes = quote.value(QLatin1String("volume")).toArray();

    const qsizetype count =
        std::min({timestamps.size(), opens.size(), highs.size(), lows.size(), closes.size()});
    CandleList candles;
    candles.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QJsonValue time = timestamps.at(i);
        const QJsonValue open = opens.at(i);
        const QJsonValue high = highs.at(i);
        const QJsonValue low = lows.at(i);
        const QJsonValue close = closes.at(i);
        if (!time.isDouble() || !open.isDouble() || !high.isDouble() || !low.isDouble() || !close.isDouble())
            continue;
        Candle candle;
        candle.time = jsonInteger(time);
        candle.open = finiteJsonDouble(open);
        candle.high = finiteJsonDouble(high);
        candle.low = finiteJsonDouble(low);
        candle.close = finiteJsonDouble(close);
        candle.volume = i < volumes.size() ? finiteJsonDouble(volumes.at(i)) : 0.0;
        candles.append(candle);
    }
    return candles;
}
