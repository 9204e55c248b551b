#pragma once

#include "chart/candle.h"
#include "movers/mover_entry.h"

#include <QList>
#include <QString>

#include <functional>

// The movers loader's arithmetic: interval re-basing on a local series, turnover, the filters, the
// breadth figures and the gainers, losers and mosaic selections. Nothing here needs a window.

inline constexpr int kMoversTableLimit = 50;
inline constexpr int kMosaicSideLimit = 15;

// 3600, 604800 or 2592000 for "hour", "week" or "month"; 86400 for every other key.
qint64 moversIntervalSecondsFor(const QString &key);

// The change in percent from the series' base candle to its last: the base is the latest candle at or
// before (last time - interval) in series order, or the first candle when the whole series is younger.
// Times in milliseconds count as their seconds. `fallback` when the series has fewer than two candles or
// either close is not finite and above 0.
double localSeriesChange(const CandleList &series, qint64 intervalSeconds, double fallback);

// The source's turnover when it gave one; a crypto pair's volume (already quote-currency turnover);
// else price x volume; 0 when nothing is finite.
double moverTurnover(const MoverEntry &entry);

// The turnover of an entry read from the quote table, whose volume is its last candle's: a count of the
// symbol's units (coins, for a crypto pair), never quote currency as the 24-hour list's is. So it is the
// volume at the price, for every class; 0 when that is not finite and above 0.
double candleVolumeTurnover(double price, double volume);

// Strict weak orderings over finite changes; the loader never hands them an entry whose change is not
// finite.
bool compareMoverChangeDesc(const MoverEntry &a, const MoverEntry &b);
bool compareMoverChangeAsc(const MoverEntry &a, const MoverEntry &b);
bool compareMoverAbsChangeDesc(const MoverEntry &a, const MoverEntry &b);

// The entries, in order, whose sector matches (`sector` "all" matches every entry), whose volume is finite
// and at least `minVolume`, and whose turnover is at least `minTurnover`. With all three filters off the
// list comes back whole, non-finite volumes included.
QList<MoverEntry> filterMovers(const QList<MoverEntry> &entries, double minVolume, double minTurnover,
                               const QString &sector,
                               const std::function<QString(const QString &symbol)> &sectorOf);

struct MoversRanking
{
    QList<MoverEntry> gainers; // change > 0, largest first, at most 50
    QList<MoverEntry> losers;  // change < 0, smallest first, at most 50
    QList<MoverEntry> mosaic;  // the first 15 of each, by absolute change
};
MoversRanking rankMovers(const QList<MoverEntry> &entries);

struct BreadthStats
{
    int advancers = 0;
    int decliners = 0;
    double median = 0.0; // the upper middle change; 0 without changes
    bool hasBest = false;
    MoverEntry best;  // the first of the largest changes
    MoverEntry worst; // the first of the smallest changes
    double turnover = 0.0;
};
// Entries whose change is not finite count nowhere.
BreadthStats computeBreadth(const QList<MoverEntry> &entries);
