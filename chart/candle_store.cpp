#include "chart/candle_store.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
bool isPositivePrice(double value)
{
    return std::isfinite(value) && value > 0.0;
}

// Combiners that treat a value that is not finite as absent, so one bad field never turns a whole
// merged or folded candle into NaN. Two absent values give the first one back.
double finiteMax(double a, double b)
{
    if (!std::isfinite(a))
        return std::isfinite(b) ? b : a;
    if (!std::isfinite(b))
        return a;
    return std::max(a, b);
}

double finiteMin(double a, double b)
{
    if (!std::isfinite(a))
        return std::isfinite(b) ? b : a;
    if (!std::isfinite(b))
        return a;
    return std::min(a, b);
}

double finiteSum(double a, double b)
{
    if (!std::isfinite(a))
        return std::isfinite(b) ? b : a;
    if (!std::isfinite(b))
        return a;
    return a + b;
}

// A kline price or volume: decimal text as Binance sends it, or a plain JSON number; NaN when it is
// neither, so the caller decides what an unreadable field means.
double klineNumber(const QJsonValue &value)
{
    if (value.isString()) {
        bool ok = false;
        const double number = value.toString().toDouble(&ok);
        return ok ? number : std::numeric_limits<double>::quiet_NaN();
    }
    if (value.isDouble())
        return value.toDouble();
    return std::numeric_limits<double>::quiet_NaN();
}
} // namespace

QPair<QString, QString> chartIntervalAndRange(const QString &timeframe)
{
    if (timeframe == QLatin1String("1m"))
        return {QStringLiteral("1m"), QStringLiteral("1d")};
    if (timeframe == QLatin1String("5m"))
        return {QStringLiteral("5m"), QStringLiteral("5d")};
    if (timeframe == QLatin1String("15m"))
        return {QStringLiteral("15m"), QStringLiteral("5d")};
    if (timeframe == QLatin1String("30m"))
        return {QStringLiteral("30m"), QStringLiteral("1mo")};
    if (timeframe == QLatin1String("1h") || timeframe == QLatin1String("4h"))
        return {QStringLiteral("1h"), QStringLiteral("3mo")};
    if (timeframe == QLatin1String("1d"))
        return {QStringLiteral("1d"), QStringLiteral("1y")};
    return {QStringLiteral("1mo"), QStringLiteral("5y")};
}

QString binanceKlineInterval(const QString &timeframe)
{
    if (timeframe == QLatin1String("1mo"))
        return QStringLiteral("1M");
    return timeframe;
}

QDate candleDate(qint64 time, const QTimeZone &zone)
{
    return QDateTime::fromSecsSinceEpoch(candleSeconds(time), zone).date();
}

bool timeframeBarSpansDay(const QString &timeframe)
{
    const QString interval = chartIntervalAndRange(timeframe).first;
    return interval == QLatin1String("1d") || interval == QLatin1String("1mo");
}

LastBarKind lastBarKindFor(const QString *heldTimeframe)
{
    if (!heldTimeframe)
        return LastBarKind::QuoteBuilt;
    return timeframeBarSpansDay(*heldTimeframe) ? LastBarKind::SpansDay : LastBarKind::Intraday;
}

void recordQuoteSample(CandleList &candles, double open, double high, double low, double price, double volume,
                       qint64 nowSeconds, LastBarKind lastBar)
{
    if (!isPositivePrice(price))
        return;
    if (!isPositivePrice(open))
        open = price;
    if (!isPositivePrice(high))
        high = std::max(open, price);
    if (!isPositivePrice(low))
        low = std::min(open, price);
    if (!std::isfinite(volume) || volume < 0.0)
        volume = 0.0;

    if (candles.isEmpty()) {
        Candle candle;
        candle.time = nowSeconds;
        candle.open = open;
        candle.high = std::max({open, high, price});
        candle.low = std::min({open, low, price});
        candle.close = price;
        candle.volume = volume;
        candles.append(candle);
        return;
    }

    Candle &last = candles.last();
    const bool takesDayRange = lastBar != LastBarKind::Intraday;
    last.high = finiteMax(last.high, takesDayRange ? std::max(high, price) : price);
    last.low = finiteMin(last.low, takesDayRange ? std::min(low, price) : price);
    last.close = price;
    if (volume > 0.0 && lastBar == LastBarKind::QuoteBuilt && candles.size() == 1)
        last.volume = volume;
}

void applyPriceToLastCandle(CandleList &candles, double price, qint64 nowSeconds)
{
    if (!isPositivePrice(price))
        return;
    if (candles.isEmpty()) {
        Candle candle;
        candle.time = nowSeconds;
        candle.open = candle.high = candle.low = candle.close = price;
        candles.append(candle);
        return;
    }
    Candle &last = candles.last();
    last.close = price;
    last.high = finiteMax(last.high, price);
    last.low = finiteMin(last.low, price);
}

CandleList aggregateCandlesByHours(const CandleList &candles, int hours)
{
    if (candles.isEmpty() || hours <= 1)
        return candles;

    const qint64 bucket = qint64(hours) * 3600;
    CandleList merged;
    Candle open;
    qint64 openKey = 0;
    bool haveOpen = false;
    for (const Candle &candle : candles) {
        const qint64 key = candleSeconds(candle.time) / bucket;
        if (haveOpen && key == openKey) {
            if (!std::isfinite(open.open))
                open.open = candle.open;
            open.high = finiteMax(open.high, candle.high);
            open.low = finiteMin(open.low, candle.low);
            if (std::isfinite(candle.close))
                open.close = candle.close;
            open.volume = finiteSum(open.volume, candle.volume);
            continue;
        }
        if (haveOpen)
            merged.append(open);
        open = candle;
        open.time = key * bucket;
        openKey = key;
        haveOpen = true;
    }
    if (haveOpen)
        merged.append(open);
    return merged;
}

CandleList historyCandlesForTimeframe(const CandleList &history, const QString &timeframe)
{
    if (timeframe == QLatin1String("4h"))
        return aggregateCandlesByHours(history, 4);
    return history;
}

CandleList parseBinanceKlines(const QByteArray &body)
{
    const QJsonArray rows = QJsonDocument::fromJson(body).array();
    CandleList candles;
    candles.reserve(rows.size());
    for (const QJsonValue &rowValue : rows) {
        const QJsonArray row = rowValue.toArray();
        if (row.size() < 6)
            continue;
        // A row without a usable time or price is dropped whole: a candle of zeros would pull the
        // price range down to 0 and bend every indicator through it.
        Candle candle;
        candle.time = row.at(0).toInteger(0);
        candle.open = klineNumber(row.at(1));
        candle.high = klineNumber(row.at(2));
        candle.low = klineNumber(row.at(3));
        candle.close = klineNumber(row.at(4));
        if (candle.time <= 0 || !isPositivePrice(candle.open) || !isPositivePrice(candle.high) ||
            !isPositivePrice(candle.low) || !isPositivePrice(candle.close))
            continue;
        const double volume = klineNumber(row.at(5));
        candle.volume = std::isfinite(volume) && volume >= 0.0 ? volume : 0.0;
        candles.append(candle);
    }
    return candles;
}
