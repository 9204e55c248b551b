#pragma once

#include <QList>
#include <QtGlobal>

// One price bar. `time` is seconds since the epoch, or milliseconds when it is at least
// kCandleMillisecondThreshold (some feeds send milliseconds; readers normalise with candleSeconds).
struct Candle
{
    qint64 time = 0;
    double open = 0.0;
    double high = 0.0;
    double low = 0.0;
    double close = 0.0;
    double volume = 0.0;
};

constexpr qint64 kCandleMillisecondThreshold = 100000000001LL;

inline qint64 candleSeconds(qint64 time)
{
    return time >= kCandleMillisecondThreshold ? time / 1000 : time;
}

using CandleList = QList<Candle>;
