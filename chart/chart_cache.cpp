#include "chart/chart_cache.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double lastFiniteIn(const IndicatorSeries &values, qsizetype end)
{
    for (qsizetype i = end - 1; i >= 0; --i) {
        if (std::isfinite(values.at(i)))
            return values.at(i);
    }
    return kNaN;
}

template <typename Value> ColumnPoints pointsOf(Value value, const IndexRange &indexes)
{
    ColumnPoints points;
    qint64 first = -1;
    qint64 last = -1;
    qint64 low = -1;
    qint64 high = -1;
    double lowValue = 0.0;
    double highValue = 0.0;
    for (qint64 i = indexes.first; i <= indexes.last; ++i) {
        const double v = value(i);
        if (!std::isfinite(v))
            continue;
        if (first < 0) {
            first = low = high = i;
            lowValue = highValue = v;
        }
        if (v < lowValue) {
            lowValue = v;
            low = i;
        }
        if (v > highValue) {
            highValue = v;
            high = i;
        }
        last = i;
    }
    if (first < 0)
        return points;
    std::array<qint64, 4> all{first, low, high, last};
    std::sort(all.begin(), all.end());
    for (qint64 index : all) {
        if (points.count == 0 || points.index[points.count - 1] != index)
            points.index[points.count++] = index;
    }
    return points;
}
} // namespace

IndexRange columnIndexes(const IndexRange &range, int columns, int column)
{
    const qint64 count = range.last - range.first + 1;
    const qint64 begin = range.first + count * column / columns;
    const qint64 end = range.first + count * (column + 1) / columns - 1;
    return {begin, end};
}

int columnOfIndex(const IndexRange &range, int columns, qint64 index)
{
    const qint64 count = range.last - range.first + 1;
    // The column k whose start is the last one at or before the index.
    qint64 column = ((index - range.first) * columns) / count;
    column = std::clamp<qint64>(column, 0, columns - 1);
    while (column > 0 && columnIndexes(range, columns, int(column)).first > index)
        --column;
    while (column + 1 < columns && columnIndexes(range, columns, int(column + 1)).first <= index)
        ++column;
    return int(column);
}

bool needsDecimation(const IndexRange &range, int columns)
{
    return columns >= 1 && range.last - range.first + 1 > columns;
}

CandleColumn mergeCandles(const CandleList &candles, const IndexRange &indexes)
{
    CandleColumn column;
    const Candle &first = candles.at(indexes.first);
    column.open = first.open;
    column.high = first.high;
    column.low = first.low;
    column.volume = first.volume;
    for (qint64 i = indexes.first + 1; i <= indexes.last; ++i) {
        const Candle &candle = candles.at(i);
        column.high = std::max(column.high, candle.high);
        column.low = std::min(column.low, candle.low);
        column.volume = std::max(column.volume, candle.volume);
    }
    column.close = candles.at(indexes.last).close;
    return column;
}

ColumnPoints columnPoints(const double *values, const IndexRange &indexes)
{
    return pointsOf([values](qint64 i) { return values[i]; }, indexes);
}

ColumnPoints closePoints(const CandleList &candles, const IndexRange &indexes)
{
    const Candle *data = candles.constData();
    return pointsOf([data](qint64 i) { return data[i].close; }, indexes);
}

double ChartSeriesCache::Entry::lastFinite() const
{
    if (!values.isEmpty() && std::isfinite(values.last()))
        return values.last();
    return lastFiniteBefore;
}

void ChartSeriesCache::clear()
{
    *this = ChartSeriesCache();
}

void ChartSeriesCache::finishEntry(Entry &entry)
{
    entry.lastFiniteBefore = lastFiniteIn(entry.values, entry.values.size() - 1);
    entry.valid = true;
}

ChartSeriesCache::EmaEntry &ChartSeriesCache::emaEntry(EmaEntry &entry, const CandleList &candles, int period)
{
    if (entry.valid && entry.p1 == period && entry.values.size() == candles.size())
        return entry;
    const qsizetype n = candles.size();
    entry.values = IndicatorSeries(n, kNaN);
    EmaAccumulator ema(period);
    for (qsizetype i = 0; i < n; ++i) {
        if (i == n - 1)
            entry.before = ema;
        entry.values[i] = ema.add(candles.at(i).close);
    }
    entry.p1 = period;
    entry.revision = ++m_nextRevision;
    finishEntry(entry);
    return entry;
}

void ChartSeriesCache::updateEmaTail(EmaEntry &entry, double value)
{
    if (!entry.valid || entry.values.isEmpty())
        return;
    EmaAccumulator ema = entry.before;
    entry.values.last() = ema.add(value);
}

const IndicatorSeries &ChartSeriesCache::sma(const CandleList &candles, int period)
{
    if (m_sma.valid && m_sma.p1 == period && m_sma.values.size() == candles.size())
        return m_sma.values;
    const qsizetype n = candles.size();
    m_sma.values = IndicatorSeries(n, kNaN);
    if (period >= kMinIndicatorPeriod) {
        SmaWindow window;
        for (qsizetype i = 0; i < n; ++i) {
            if (i == n - 1)
                m_sma.before = window;
            window.enter(candles.at(i).close);
            if (i >= period)
                window.leave(candles.at(i - period).close);
            if (i >= period - 1)
                m_sma.values[i] = window.mean(period);
        }
    }
    m_sma.p1 = period;
    m_sma.revision = ++m_nextRevision;
    finishEntry(m_sma);
    return m_sma.values;
}

const IndicatorSeries &ChartSeriesCache::ema(const CandleList &candles, int period)
{
    return emaEntry(m_ema, candles, period).values;
}

const IndicatorSeries &ChartSeriesCache::macdLine(const CandleList &candles, int fast, int slow)
{
    const EmaEntry &fastEntry = emaEntry(m_fast, candles, fast);
    const EmaEntry &slowEntry = emaEntry(m_slow, candles, slow);
    if (m_macdLine.valid && m_macdLine.p1 == fast && m_macdLine.p2 == slow &&
        m_macdLine.values.size() == candles.size() &&
        m_macdLine.p3 == int(fastEntry.revision + slowEntry.revision))
        return m_macdLine.values;
    const qsizetype n = candles.size();
    m_macdLine.values = IndicatorSeries(n, kNaN);
    for (qsizetype i = 0; i < n; ++i)
        m_macdLine.values[i] = fastEntry.values.at(i) - slowEntry.values.at(i);
    m_macdLine.p1 = fast;
    m_macdLine.p2 = slow;
    m_macdLine.p3 = int(fastEntry.revision + slowEntry.revision);
    m_macdLine.revision = ++m_nextRevision;
    finishEntry(m_macdLine);
    return m_macdLine.values;
}

const IndicatorSeries &ChartSeriesCache::macdSignal(const CandleList &candles, int fast, int slow, int signal)
{
    const IndicatorSeries &line = macdLine(candles, fast, slow);
    if (m_signal.valid && m_signal.p1 == signal && m_signal.p2 == int(m_macdLine.revision) &&
        m_signal.values.size() == line.size())
        return m_signal.values;
    const qsizetype n = line.size();
    m_signal.values = IndicatorSeries(n, kNaN);
    EmaAccumulator ema(signal);
    for (qsizetype i = 0; i < n; ++i) {
        if (i == n - 1)
            m_signal.before = ema;
        m_signal.values[i] = ema.add(line.at(i));
    }
    m_signal.p1 = signal;
    m_signal.p2 = int(m_macdLine.revision);
    m_signal.revision = ++m_nextRevision;
    finishEntry(m_signal);
    return m_signal.values;
}

const IndicatorSeries &ChartSeriesCache::vwap(const CandleList &candles, bool sessionReset,
                                              const QTimeZone &zone)
{
    if (m_vwap.valid && m_vwap.session == sessionReset && m_vwap.zone == zone &&
        m_vwap.values.size() == candles.size())
        return m_vwap.values;
    const qsizetype n = candles.size();
    m_vwap.values = IndicatorSeries(n, kNaN);
    VwapAccumulator vwap(sessionReset, zone);
    for (qsizetype i = 0; i < n; ++i) {
        if (i == n - 1)
            m_vwap.before = vwap;
        m_vwap.values[i] = vwap.add(candles.at(i));
    }
    m_vwap.session = sessionReset;
    m_vwap.zone = zone;
    m_vwap.revision = ++m_nextRevision;
    finishEntry(m_vwap);
    return m_vwap.values;
}

void ChartSeriesCache::lastCandleChanged(const CandleList &candles)
{
    const qsizetype n = candles.size();
    if (n == 0) {
        clear();
        return;
    }
    const Candle &last = candles.last();
    // An entry of another length was computed for another list: it is recomputed when next asked.
    const auto sameLength = [n](Entry &entry) {
        if (entry.valid && entry.values.size() != n)
            entry.valid = false;
        return entry.valid;
    };
    if (sameLength(m_sma)) {
        SmaWindow window = m_sma.before;
        const int period = m_sma.p1;
        window.enter(last.close);
        if (n - 1 >= period)
            window.leave(candles.at(n - 1 - period).close);
        m_sma.values.last() = n - 1 >= period - 1 ? window.mean(period) : kNaN;
    }
    if (sameLength(m_ema))
        updateEmaTail(m_ema, last.close);
    const bool fastOk = sameLength(m_fast);
    const bool slowOk = sameLength(m_slow);
    if (fastOk)
        updateEmaTail(m_fast, last.close);
    if (slowOk)
        updateEmaTail(m_slow, last.close);
    if (sameLength(m_macdLine)) {
        if (fastOk && slowOk)
            m_macdLine.values.last() = m_fast.values.last() - m_slow.values.last();
        else
            m_macdLine.valid = false;
    }
    if (sameLength(m_signal)) {
        if (m_macdLine.valid)
            updateEmaTail(m_signal, m_macdLine.values.last());
        else
            m_signal.valid = false;
    }
    if (sameLength(m_vwap)) {
        VwapAccumulator vwap = m_vwap.before;
        m_vwap.values.last() = vwap.add(last);
    }

    // Only the column holding the last candle changes in the decimated pictures.
    const auto lastColumn = [n](const IndexRange &range, int columns) {
        return range.last == n - 1 ? columnOfIndex(range, columns, n - 1) : -1;
    };
    if (m_candleColumns.valid) {
        const int column = lastColumn(m_candleColumns.range, m_candleColumns.columns);
        if (column >= 0) {
            const IndexRange indexes = columnIndexes(m_candleColumns.range, m_candleColumns.columns, column);
            m_candleColumns.candles[column] = mergeCandles(candles, indexes);
            m_candleColumns.closes[column] = closePoints(candles, indexes);
        }
    }
    for (int slot = 0; slot < SlotCount; ++slot) {
        DecimatedSeries &decimated = m_seriesColumns[slot];
        const Entry &entry = slotEntry(Slot(slot));
        if (!decimated.valid)
            continue;
        if (!entry.valid || entry.revision != m_seriesRevisions[slot]) {
            decimated.valid = false;
            continue;
        }
        const int column = lastColumn(decimated.range, decimated.columns);
        if (column >= 0)
            decimated.points[column] = columnPoints(
                entry.values.constData(), columnIndexes(decimated.range, decimated.columns, column));
    }
}

const DecimatedCandles &ChartSeriesCache::candleColumns(const CandleList &candles, const IndexRange &range,
                                                        int columns)
{
    DecimatedCandles &cached = m_candleColumns;
    if (cached.valid && cached.range.first == range.first && cached.range.last == range.last &&
        cached.columns == columns)
        return cached;
    cached.range = range;
    cached.columns = columns;
    cached.candles.resize(columns);
    cached.closes.resize(columns);
    for (int column = 0; column < columns; ++column) {
        const IndexRange indexes = columnIndexes(range, columns, column);
        cached.candles[column] = mergeCandles(candles, indexes);
        cached.closes[column] = closePoints(candles, indexes);
    }
    cached.valid = true;
    return cached;
}

const ChartSeriesCache::Entry &ChartSeriesCache::slotEntry(Slot slot) const
{
    switch (slot) {
    case SmaSlot:
        return m_sma;
    case EmaSlot:
        return m_ema;
    case VwapSlot:
        return m_vwap;
    case MacdLineSlot:
        return m_macdLine;
    default:
        return m_signal;
    }
}

const DecimatedSeries &ChartSeriesCache::seriesColumns(Slot slot, const IndexRange &range, int columns)
{
    DecimatedSeries &cached = m_seriesColumns[slot];
    const Entry &entry = slotEntry(slot);
    if (cached.valid && cached.range.first == range.first && cached.range.last == range.last &&
        cached.columns == columns && m_seriesRevisions[slot] == entry.revision)
        return cached;
    cached.range = range;
    cached.columns = columns;
    cached.points.resize(columns);
    const double *values = entry.values.constData();
    for (int column = 0; column < columns; ++column)
        cached.points[column] = columnPoints(values, columnIndexes(range, columns, column));
    m_seriesRevisions[slot] = entry.revision;
    cached.valid = true;
    return cached;
}
