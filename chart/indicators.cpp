#include "chart/indicators.h"

#include "chart/candle_store.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Running exponential average that ignores values that are not finite.
class EmaAccumulator
{
public:
    explicit EmaAccumulator(int period) : m_alpha(2.0 / (period + 1.0)) {}

    // Feeds one value; returns the average after it, or NaN when the value was skipped.
    double add(double value)
    {
        if (!std::isfinite(value))
            return kNaN;
        if (!m_seeded) {
            m_ema = value;
            m_seeded = true;
        } else {
            m_ema = value * m_alpha + m_ema * (1.0 - m_alpha);
        }
        return m_ema;
    }

    double value() const { return m_seeded ? m_ema : kNaN; }

private:
    double m_alpha;
    double m_ema = 0.0;
    bool m_seeded = false;
};

// Running volume-weighted average price, restarted per local date when asked.
class VwapAccumulator
{
public:
    VwapAccumulator(bool sessionReset, const QTimeZone &zone) : m_sessionReset(sessionReset), m_zone(zone) {}

    double add(const Candle &candle)
    {
        if (m_sessionReset) {
            const QDate date = candleDate(candle.time, m_zone);
            if (m_haveDate && date != m_date) {
                m_priceVolume = 0.0;
                m_volume = 0.0;
            }
            m_date = date;
            m_haveDate = true;
        }
        const double typical = (candle.high + candle.low + candle.close) / 3.0;
        const double weighted = typical * candle.volume;
        if (std::isfinite(weighted) && std::isfinite(candle.volume) && candle.volume > 0.0) {
            m_priceVolume += weighted;
            m_volume += candle.volume;
        }
        return value();
    }

    double value() const { return m_volume > 0.0 ? m_priceVolume / m_volume : kNaN; }

private:
    bool m_sessionReset;
    QTimeZone m_zone;
    QDate m_date;
    bool m_haveDate = false;
    double m_priceVolume = 0.0;
    double m_volume = 0.0;
};

IndicatorSeries nanSeries(qsizetype size)
{
    return IndicatorSeries(size, kNaN);
}
} // namespace

int clampIndicatorPeriod(int period)
{
    return std::clamp(period, kMinIndicatorPeriod, kMaxIndicatorPeriod);
}

double lastFiniteValue(const IndicatorSeries &series)
{
    for (auto it = series.crbegin(); it != series.crend(); ++it) {
        if (std::isfinite(*it))
            return *it;
    }
    return kNaN;
}

IndicatorSeries computeSma(const CandleList &candles, int period)
{
    const qsizetype n = candles.size();
    IndicatorSeries out = nanSeries(n);
    if (period < kMinIndicatorPeriod)
        return out;

    // One running sum of the finite closes in the window, plus a count of the others, so a bad close
    // blanks exactly the windows that contain it and the sum is clean again once it has left.
    double sum = 0.0;
    qsizetype missing = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const double entering = candles.at(i).close;
        if (std::isfinite(entering))
            sum += entering;
        else
            ++missing;
        if (i >= period) {
            const double leaving = candles.at(i - period).close;
            if (std::isfinite(leaving))
                sum -= leaving;
            else
                --missing;
        }
        if (i >= period - 1 && missing == 0)
            out[i] = sum / period;
    }
    return out;
}

IndicatorSeries computeEma(const CandleList &candles, int period)
{
    IndicatorSeries out = nanSeries(candles.size());
    if (period < kMinIndicatorPeriod)
        return out;
    EmaAccumulator ema(period);
    for (qsizetype i = 0; i < candles.size(); ++i)
        out[i] = ema.add(candles.at(i).close);
    return out;
}

IndicatorSeries emaOfSeries(const IndicatorSeries &series, int period)
{
    IndicatorSeries out = nanSeries(series.size());
    if (period < kMinIndicatorPeriod)
        return out;
    EmaAccumulator ema(period);
    for (qsizetype i = 0; i < series.size(); ++i)
        out[i] = ema.add(series.at(i));
    return out;
}

IndicatorSeries computeMacdLine(const CandleList &candles, int fastPeriod, int slowPeriod)
{
    const IndicatorSeries fast = computeEma(candles, fastPeriod);
    const IndicatorSeries slow = computeEma(candles, slowPeriod);
    IndicatorSeries out = nanSeries(candles.size());
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i] = fast.at(i) - slow.at(i);
    return out;
}

IndicatorSeries computeMacdSignal(const IndicatorSeries &macdLine, int signalPeriod)
{
    return emaOfSeries(macdLine, signalPeriod);
}

IndicatorSeries vwapSeries(const CandleList &candles, bool sessionReset, const QTimeZone &zone)
{
    IndicatorSeries out = nanSeries(candles.size());
    VwapAccumulator vwap(sessionReset, zone);
    for (qsizetype i = 0; i < candles.size(); ++i)
        out[i] = vwap.add(candles.at(i));
    return out;
}

double latestSma(const CandleList &candles, int period)
{
    if (period < kMinIndicatorPeriod || candles.size() < period)
        return kNaN;
    double sum = 0.0;
    for (qsizetype i = candles.size() - period; i < candles.size(); ++i) {
        const double close = candles.at(i).close;
        if (!std::isfinite(close))
            return kNaN;
        sum += close;
    }
    return sum / period;
}

double latestEma(const CandleList &candles, int period)
{
    if (period < kMinIndicatorPeriod)
        return kNaN;
    EmaAccumulator ema(period);
    for (const Candle &candle : candles)
        ema.add(candle.close);
    return ema.value();
}

double latestVwap(const CandleList &candles, bool sessionReset, const QTimeZone &zone)
{
    VwapAccumulator vwap(sessionReset, zone);
    for (const Candle &candle : candles)
        vwap.add(candle);
    return vwap.value();
}
