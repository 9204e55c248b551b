#pragma once

#include "chart/candle.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

// Small hand-made candle lists for the chart tests, and comparisons that count NaN equal to NaN so a
// table row can say "this entry has no value".

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

inline Candle makeCandle(qint64 time, double open, double high, double low, double close, double volume = 0.0)
{
    Candle candle;
    candle.time = time;
    candle.open = open;
    candle.high = high;
    candle.low = low;
    candle.close = close;
    candle.volume = volume;
    return candle;
}

// Candles that carry only a close (the other prices equal it), one per second from time 1.
inline CandleList closesOnly(const QList<double> &closes)
{
    CandleList candles;
    qint64 time = 1;
    for (double close : closes)
        candles << makeCandle(time++, close, close, close, close, 1.0);
    return candles;
}

inline bool sameNumber(double a, double b, double tolerance = 1e-9)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (std::isinf(a) || std::isinf(b))
        return a == b;
    return std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(b));
}

inline bool sameSeries(const QList<double> &a, const QList<double> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameNumber(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

inline bool sameCandle(const Candle &a, const Candle &b)
{
    return a.time == b.time && sameNumber(a.open, b.open) && sameNumber(a.high, b.high) &&
           sameNumber(a.low, b.low) && sameNumber(a.close, b.close) && sameNumber(a.volume, b.volume);
}

inline bool sameCandles(const CandleList &a, const CandleList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameCandle(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

inline QString describe(const QList<double> &series)
{
    QStringList parts;
    for (double value : series)
        parts << QString::number(value, 'g', 12);
    return QStringLiteral("[") + parts.join(QStringLiteral(", ")) + QStringLiteral("]");
}

inline QString describe(const CandleList &candles)
{
    QStringList parts;
    for (const Candle &c : candles) {
        parts << QStringLiteral("(%1 o%2 h%3 l%4 c%5 v%6)")
                     .arg(c.time)
                     .arg(c.open, 0, 'g', 12)
                     .arg(c.high, 0, 'g', 12)
                     .arg(c.low, 0, 'g', 12)
                     .arg(c.close, 0, 'g', 12)
                     .arg(c.volume, 0, 'g', 12);
    }
    return QStringLiteral("[") + parts.join(QStringLiteral(" ")) + QStringLiteral("]");
}

#define MVX_COMPARE_SERIES(actual, expected)                                                                 \
    QVERIFY2(sameSeries((actual), (expected)),                                                               \
             qPrintable(QStringLiteral("got %1, want %2").arg(describe(actual), describe(expected))))

#define MVX_COMPARE_CANDLES(actual, expected)                                                                \
    QVERIFY2(sameCandles((actual), (expected)),                                                              \
             qPrintable(QStringLiteral("got %1, want %2").arg(describe(actual), describe(expected))))
