#include "watchlist/quote_display.h"

#include "shell/formats.h"

#include <QDateTime>

#include <cmath>

QString changeDirection(double changePercent)
{
    if (changePercent > 0.0)
        return QStringLiteral("up");
    if (changePercent < 0.0)
        return QStringLiteral("down");
    return QStringLiteral("flat");
}

int quoteTileColumns(int windowWidth)
{
    return windowWidth >= 1050 ? 4 : 2;
}

QString fxTickerText(double rate, double changePercent)
{
    // A change that is not known shows as missing, as in the Change column, rather than vanishing.
    const QString suffix = std::isfinite(changePercent)
                               ? QStringLiteral(" %1%").arg(QString::number(changePercent, 'f', 2))
                               : QStringLiteral(" --");
    return QStringLiteral("USD/BRL %1%2").arg(QString::number(rate, 'f', 4), suffix);
}

QString formatChangePercent(double changePercent)
{
    if (!std::isfinite(changePercent))
        return QStringLiteral("--");
    return QStringLiteral("%1%").arg(QString::number(changePercent, 'f', 2));
}

QString changeColorName(double changePercent)
{
    if (!std::isfinite(changePercent))
        return QStringLiteral("#d8e6e3");
    return changePercent >= 0.0 ? QStringLiteral("#20c878") : QStringLiteral("#f45d5d");
}

double displayedNumber(const QString &text, bool *ok)
{
    QString number = text;
    number.remove(QLatin1Char('%'));
    bool parsed = false;
    double value = number.toDouble(&parsed);
    // "nan" and "inf" parse, but a cell showing them holds no usable number.
    if (parsed && !std::isfinite(value))
        parsed = false;
    if (ok)
        *ok = parsed;
    return parsed ? value : 0.0;
}

QString candleTooltipText(const QString &symbol, const QString &timeframe, const CandleList &candles)
{
    if (candles.isEmpty())
        return QStringLiteral("%1\nNo OHLC data yet").arg(symbol);
    const Candle &last = candles.constLast();
    const QString time =
        QDateTime::fromSecsSinceEpoch(candleSeconds(last.time)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return QStringLiteral("%1  %2\nTime: %3\nOpen: %4\nHigh: %5\nLow: %6\nClose: %7\nVolume: %8")
        .arg(symbol, timeframe, time, formatPriceFixed(last.open, 4), formatPriceFixed(last.high, 4),
             formatPriceFixed(last.low, 4), formatPriceFixed(last.close, 4),
             formatCompactNumber(last.volume));
}
