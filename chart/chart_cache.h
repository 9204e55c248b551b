#pragma once

#include "chart/candle.h"
#include "chart/chart_model.h"
#include "chart/indicators.h"

#include <QTimeZone>
#include <QVector>

#include <array>

// What the chart keeps between paints so that a repaint costs what the screen shows, not what the
// series holds: the indicator series with their last finite values, and per pixel column of the
// plot the candles and line points that column draws.
//
// Everything here is a value computed from the candle list: the series equal the free functions of
// indicators.h bit for bit (the same running states, kept as they stood before the last candle), so
// a quote that moves only the last candle redoes only that candle.

// Up to four indexes of one pixel column, in time order: the first, lowest, highest and last finite
// value of the column. Drawn as a polyline, they keep every column's extremes.
struct ColumnPoints
{
    std::array<qint64, 4> index{};
    int count = 0;
};

// One pixel column of candles merged: first open, highest high, lowest low, last close, and the
// column's largest volume (one bar stands for the column).
struct CandleColumn
{
    double open = 0.0;
    double high = 0.0;
    double low = 0.0;
    double close = 0.0;
    double volume = 0.0;
};

// The candle indexes of column `column` of `columns` over the range: first .. last, inclusive.
IndexRange columnIndexes(const IndexRange &range, int columns, int column);
// The column holding `index`.
int columnOfIndex(const IndexRange &range, int columns, qint64 index);
// True when the range holds more candles than there are columns: then each column is merged.
bool needsDecimation(const IndexRange &range, int columns);

CandleColumn mergeCandles(const CandleList &candles, const IndexRange &indexes);
ColumnPoints columnPoints(const double *values, const IndexRange &indexes);
ColumnPoints closePoints(const CandleList &candles, const IndexRange &indexes);

// The decimated picture of one series over one view: per column its points.
struct DecimatedSeries
{
    IndexRange range;
    int columns = 0;
    bool valid = false;
    QVector<ColumnPoints> points;
};

struct DecimatedCandles
{
    IndexRange range;
    int columns = 0;
    bool valid = false;
    QVector<CandleColumn> candles;
    QVector<ColumnPoints> closes;
};

class ChartSeriesCache
{
public:
    // Forgets everything: a new series.
    void clear();
    // The series' last candle changed, nothing else (the list has the size it had).
    void lastCandleChanged(const CandleList &candles);

    const IndicatorSeries &sma(const CandleList &candles, int period);
    const IndicatorSeries &ema(const CandleList &candles, int period);
    const IndicatorSeries &macdLine(const CandleList &candles, int fast, int slow);
    const IndicatorSeries &macdSignal(const CandleList &candles, int fast, int slow, int signal);
    const IndicatorSeries &vwap(const CandleList &candles, bool sessionReset, const QTimeZone &zone);

    // Last finite value of the series returned last by the getter of the same name.
    double smaLast() const { return m_sma.lastFinite(); }
    double emaLast() const { return m_ema.lastFinite(); }
    double macdLineLast() const { return m_macdLine.lastFinite(); }
    double macdSignalLast() const { return m_signal.lastFinite(); }
    double vwapLast() const { return m_vwap.lastFinite(); }

    // The candles of a view decimated to `columns` (only meaningful when needsDecimation).
    const DecimatedCandles &candleColumns(const CandleList &candles, const IndexRange &range, int columns);
    // A series of the cache decimated likewise; `slot` names which (one cached picture per slot).
    enum Slot
    {
        SmaSlot,
        EmaSlot,
        VwapSlot,
        MacdLineSlot,
        MacdSignalSlot,
        SlotCount
    };
    // The series must have just been asked for through its getter.
    const DecimatedSeries &seriesColumns(Slot slot, const IndexRange &range, int columns);

private:
    struct Entry
    {
        bool valid = false;
        int p1 = 0;
        int p2 = 0;
        int p3 = 0;
        IndicatorSeries values;
        double lastFiniteBefore = 0.0; // last finite value before the last entry (NaN when none)
        quint64 revision = 0;          // bumped on every full computation
        double lastFinite() const;
    };
    struct EmaEntry : Entry
    {
        EmaAccumulator before{1};
    };
    struct SmaEntry : Entry
    {
        SmaWindow before;
    };
    struct VwapEntry : Entry
    {
        bool session = false;
        QTimeZone zone;
        VwapAccumulator before{false, QTimeZone::utc()};
    };

    static void finishEntry(Entry &entry);
    EmaEntry &emaEntry(EmaEntry &entry, const CandleList &candles, int period);
    void updateEmaTail(EmaEntry &entry, double value);

    SmaEntry m_sma;
    EmaEntry m_ema;
    EmaEntry m_fast;
    EmaEntry m_slow;
    Entry m_macdLine;
    EmaEntry m_signal;
    VwapEntry m_vwap;
    DecimatedCandles m_candleColumns;
    const Entry &slotEntry(Slot slot) const;
    std::array<DecimatedSeries, SlotCount> m_seriesColumns;
    std::array<quint64, SlotCount> m_seriesRevisions{};
    quint64 m_nextRevision = 0;
};
