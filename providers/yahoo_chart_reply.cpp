#include "providers/yahoo_chart_reply.h"

#include "providers/json_readers.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QJsonValue member(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key));
}

bool usablePrice(double price)
{
    return std::isfinite(price) && price > 0.0;
}

} // namespace

CandleList yahooChartCandles(const QJsonArray &timestamps, const QJsonArray &opens, const QJsonArray &highs,
                             const QJsonArray &lows, const QJsonArray &closes, const QJsonArray &volumes)
{
    const qsizetype n = std::min({timestamps.size(), opens.size(), highs.size(), lows.size(), closes.size()});
    CandleList candles;
    candles.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QJsonValue open = opens.at(i);
        const QJsonValue high = highs.at(i);
        const QJsonValue low = lows.at(i);
        const QJsonValue close = closes.at(i);
        if (!open.isDouble() || !high.isDouble() || !low.isDouble() || !close.isDouble())
            continue;
        Candle candle;
        candle.time = jsonInteger(timestamps.at(i));
        candle.open = open.toDouble();
        candle.high = high.toDouble();
        candle.low = low.toDouble();
        candle.close = close.toDouble();
        candle.volume = i < volumes.size() ? finiteJsonDouble(volumes.at(i)) : 0.0;
        if (std::isfinite(candle.open) && std::isfinite(candle.high) && std::isfinite(candle.low) &&
            std::isfinite(candle.close))
            candles.append(candle);
    }
    return candles;
}

YahooChartReading readYahooChartReply(const QByteArray &body)
{
    YahooChartReading reading;
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    const QJsonArray results = member(member(root, "chart").toObject(), "result").toArray();
    if (results.isEmpty()) {
        reading.price = kNaN;
        reading.previousClose = kNaN;
        reading.changePercent = kNaN;
        return reading;
    }
    reading.hasResult = true;

    const QJsonObject result = results.first().toObject();
    const QJsonObject meta = member(result, "meta").toObject();
    reading.previousClose = member(meta, "previousClose").toDouble(kNaN);
    reading.price = member(meta, "regularMarketPrice").toDouble(kNaN);

    const QJsonArray quotes = member(member(result, "indicators").toObject(), "quote").toArray();
    if (!quotes.isEmpty()) {
        const QJsonObject bars = quotes.first().toObject();
        reading.candles =
            yahooChartCandles(member(result, "timestamp").toArray(), member(bars, "open").toArray(),
                              member(bars, "high").toArray(), member(bars, "low").toArray(),
                              member(bars, "close").toArray(), member(bars, "volume").toArray());
    }

    // A price of 0 or below is no price: it would show as a quote and feed alerts and the portfolio.
    if (!usablePrice(reading.price))
        reading.price = reading.candles.isEmpty() ? kNaN : reading.candles.constLast().close;
    if (!usablePrice(reading.price))
        reading.price = kNaN;

    reading.changePercent = kNaN;
    if (std::isfinite(reading.price) && std::isfinite(reading.previousClose) &&
        std::abs(reading.previousClose) > std::numeric_limits<double>::epsilon())
        reading.changePercent = (reading.price - reading.previousClose) / reading.previousClose * 100.0;
    return reading;
}
