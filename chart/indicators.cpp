#include "chart/indicators.h"

#include "chart/candle_store.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

IndicatorSeries nanSeries(qsizetype size)
{
    return IndicatorSeries(size, kNaN);
}
} // namespace

double EmaAccumulator::add(double value)
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

double EmaAccumulator::value() const
{
    return m_seeded ? m_ema : kNaN;
}

double VwapAccumulator::add(const Candle &candle)
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

double VwapAccumulator::value() const
{
    return m_volume > 0.0 ? m_priceVolume / m_volume : kNaN;
}

void SmaWindow::enter(double close)
{
    if (std::isfinite(close))
        m_sum += close;
    else
        ++m_missing;
}

void SmaWindow::leave(double close)
{
    if (std::isfinite(close))
        m_sum -= close;
    else
        --m_missing;
}

double SmaWindow::mean(int period) const
{
    return m_missing == 0 ? m_sum / period : kNaN;
}

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

    SmaWindow window;
    for (qsizetype i = 0; i < n; ++i) {
        window.enter(candles.at(i).close);
        if (i >= period)
            window.leave(candles.at(i - period).close);
        if (i >= period - 1)
            out[i] = window.mean(period);
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
