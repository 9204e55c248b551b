#pragma once

#include "chart/candle.h"

#include <QDate>
#include <QList>
#include <QTimeZone>

// Indicator series over a candle list: one entry per candle, same index, a quiet NaN where there is
// no value. Nothing is cached; each call is one pass over the whole list.
//
// Closes, prices or volumes that are not finite are treated as missing rather than folded into a
// running sum or average, so a single bad candle blanks only the entries that depend on it instead
// of every entry after it. A period below 1 has no meaning and gives no values.
using IndicatorSeries = QList<double>;

constexpr int kMinIndicatorPeriod = 1;
constexpr int kMaxIndicatorPeriod = 400;

// The running states behind the series below, kept by value so that a caller can hold the state
// before the last candle and redo only that candle when it changes.

// Exponential average that skips values that are not finite; the first finite value seeds it.
class EmaAccumulator
{
public:
    explicit EmaAccumulator(int period) : m_alpha(2.0 / (period + 1.0)) {}
    // Feeds one value; the average after it, or NaN when the value was skipped.
    double add(double value);
    double value() const; // NaN until seeded

private:
    double m_alpha;
    double m_ema = 0.0;
    bool m_seeded = false;
};

// Volume-weighted average of the typical price, restarted per local date in the zone when asked.
class VwapAccumulator
{
public:
    VwapAccumulator(bool sessionReset, const QTimeZone &zone) : m_sessionReset(sessionReset), m_zone(zone) {}
    double add(const Candle &candle);
    double value() const; // NaN while no volume has traded

private:
    bool m_sessionReset;
    QTimeZone m_zone;
    QDate m_date;
    bool m_haveDate = false;
    double m_priceVolume = 0.0;
    double m_volume = 0.0;
};

// One running sum of the finite closes in a moving window plus a count of the others, so a bad
// close blanks exactly the windows that hold it and the sum is clean again once it has left.
class SmaWindow
{
public:
    void enter(double close);
    void leave(double close);
    double mean(int period) const; // NaN while a close in the window is not finite

private:
    double m_sum = 0.0;
    qsizetype m_missing = 0;
};

// A period brought into 1 .. 400.
int clampIndicatorPeriod(int period);

// The last finite entry, NaN when there is none.
double lastFiniteValue(const IndicatorSeries &series);

// Simple moving average of the closes: the first period - 1 entries are NaN, and so is every entry
// whose window holds a close that is not finite.
IndicatorSeries computeSma(const CandleList &candles, int period);

// Exponential moving average of the closes, alpha = 2 / (period + 1), seeded with the first finite
// close, so there is no warm-up gap. A close that is not finite leaves its entry NaN and the average
// untouched.
IndicatorSeries computeEma(const CandleList &candles, int period);

// The same average over a series that may hold NaN entries (the MACD line): NaN entries stay NaN and
// are skipped; the first finite entry seeds the average.
IndicatorSeries emaOfSeries(const IndicatorSeries &series, int period);

// MACD line: fast EMA minus slow EMA of the closes. There is no histogram.
IndicatorSeries computeMacdLine(const CandleList &candles, int fastPeriod, int slowPeriod);
// Signal line: the EMA of the MACD line.
IndicatorSeries computeMacdSignal(const IndicatorSeries &macdLine, int signalPeriod);

// Volume-weighted average of the typical price (high + low + close) / 3, anchored at the first
// candle, or restarted on the first candle of each local date in `zone` when `sessionReset` is on.
// Entries stay NaN until some volume has traded; a candle with a price or volume that is not finite,
// or a negative volume, adds nothing (like a candle without volume).
IndicatorSeries vwapSeries(const CandleList &candles, bool sessionReset,
                           const QTimeZone &zone = QTimeZone::systemTimeZone());

// Last values, for the quote table's indicator columns.
// Mean of the last `period` closes; NaN when the list is shorter than the period or a close in that
// window is not finite.
double latestSma(const CandleList &candles, int period);
// The EMA of computeEma after the last candle; NaN for an empty list or one without a finite close.
double latestEma(const CandleList &candles, int period);
// The VWAP of vwapSeries after the last candle; NaN while no volume has traded (in the session).
double latestVwap(const CandleList &candles, bool sessionReset,
                  const QTimeZone &zone = QTimeZone::systemTimeZone());
