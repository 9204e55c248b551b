#include "movers/movers_ranking.h"

#include "watchlist/symbol_rules.h"

#include <algorithm>
#include <cmath>

qint64 moversIntervalSecondsFor(const QString &key)
{
    if (key == QLatin1String("hour"))
        return 3600;
    if (key == QLatin1String("week"))
        return 604800;
    if (key == QLatin1String("month"))
        return 2592000;
    return 86400;
}

double localSeriesChange(const CandleList &series, qint64 intervalSeconds, double fallback)
{
    if (series.size() < 2)
        return fallback;
    const Candle &last = series.last();
    if (!std::isfinite(last.close) || last.close <= 0.0)
        return fallback;
    const qint64 cutoff = candleSeconds(last.time) - intervalSeconds;
    const Candle *base = nullptr;
    for (const Candle &candle : series) {
        if (candleSeconds(candle.time) > cutoff)
            break;
        base = &candle;
    }
    if (!base)
        base = &series.first();
    if (!std::isfinite(base->close) || base->close <= 0.0)
        return fallback;
    return (last.close - base->close) / base->close * 100.0;
}

double moverTurnover(const MoverEntry &entry)
{
    if (std::isfinite(entry.turnover) && entry.turnover > 0.0)
        return entry.turnover;
    if (classifySymbol(entry.symbol) == QLatin1String("Crypto"))
        return std::isfinite(entry.volume) ? entry.volume : 0.0;
    if (std::isfinite(entry.price) && std::isfinite(entry.volume))
        return entry.price * entry.volume;
    return 0.0;
}

double candleVolumeTurnover(double price, double volume)
{
    const double turnover = price * volume;
    return std::isfinite(turnover) && turnover > 0.0 ? turnover : 0.0;
}

bool compareMoverChangeDesc(const MoverEntry &a, const MoverEntry &b)
{
    return a.changePct > b.changePct;
}

bool compareMoverChangeAsc(const MoverEntry &a, const MoverEntry &b)
{
    return a.changePct < b.changePct;
}

bool compareMoverAbsChangeDesc(const MoverEntry &a, const MoverEntry &b)
{
    return std::abs(a.changePct) > std::abs(b.changePct);
}

QList<MoverEntry> filterMovers(const QList<MoverEntry> &entries, double minVolume, double minTurnover,
                               const QString &sector,
                               const std::function<QString(const QString &symbol)> &sectorOf)
{
    const bool anySector = sector == QLatin1String("all");
    if (!(minVolume > 0.0) && !(minTurnover > 0.0) && anySector)
        return entries;
    QList<MoverEntry> kept;
    for (const MoverEntry &entry : entries) {
        if (!anySector && (!sectorOf || sectorOf(entry.symbol) != sector))
            continue;
        if (!std::isfinite(entry.volume) || entry.volume < minVolume)
            continue;
        if (moverTurnover(entry) < minTurnover)
            continue;
        kept.append(entry);
    }
    return kept;
}

MoversRanking rankMovers(const QList<MoverEntry> &entries)
{
    QList<MoverEntry> ranked;
    ranked.reserve(entries.size());
    for (const MoverEntry &entry : entries) {
        if (std::isfinite(entry.changePct))
            ranked.append(entry);
    }
    MoversRanking ranking;
    std::sort(ranked.begin(), ranked.end(), compareMoverChangeDesc);
    for (const MoverEntry &entry : ranked) {
        if (ranking.gainers.size() >= kMoversTableLimit)
            break;
        if (entry.changePct > 0.0)
            ranking.gainers.append(entry);
    }
    std::sort(ranked.begin(), ranked.end(), compareMoverChangeAsc);
    for (const MoverEntry &entry : ranked) {
        if (ranking.losers.size() >= kMoversTableLimit)
            break;
        if (entry.changePct < 0.0)
            ranking.losers.append(entry);
    }
    ranking.mosaic = ranking.gainers.mid(0, kMosaicSideLimit);
    ranking.mosaic.append(ranking.losers.mid(0, kMosaicSideLimit));
    std::sort(ranking.mosaic.begin(), ranking.mosaic.end(), compareMoverAbsChangeDesc);
    return ranking;
}

BreadthStats computeBreadth(const QList<MoverEntry> &entries)
{
    BreadthStats stats;
    QList<double> changes;
    for (const MoverEntry &entry : entries) {
        const double change = entry.changePct;
        if (!std::isfinite(change))
            continue;
        changes.append(change);
        if (change > 0.0)
            ++stats.advancers;
        else if (change < 0.0)
            ++stats.decliners;
        stats.turnover += moverTurnover(entry);
        if (!stats.hasBest || change > stats.best.changePct)
            stats.best = entry;
        if (!stats.hasBest || change < stats.worst.changePct)
            stats.worst = entry;
        stats.hasBest = true;
    }
    std::sort(changes.begin(), changes.end());
    stats.median = changes.isEmpty() ? 0.0 : changes.at(changes.size() / 2);
    return stats;
}
