// Arbitrary reply bodies through the four movers readers. When the first line names a reader ("brapi",
// "yahoo", "alpha", "binance") that reader reads the rest; otherwise every reader reads the whole input.
// Whatever the body, every entry that comes out could be ranked and added: a symbol the watchlist accepts
// (no control or format character, at most 64 characters; sectors are named only for such symbols), a
// finite price above 0, a finite change; brapi symbols end in ".SA"; Binance ones are eligible USDT
// pairs; the ranking of all of them keeps its limits and orders.
#include "movers/movers_ranking.h"
#include "movers/movers_sources.h"
#include "watchlist/symbol_rules.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

namespace {

void checkEntries(const QList<MoverEntry> &entries)
{
    for (const MoverEntry &entry : entries) {
        require(isAcceptableSymbol(entry.symbol, entry.symbol));
        require(std::isfinite(entry.price) && entry.price > 0.0);
        require(std::isfinite(entry.changePct));
        require(entry.turnover == 0.0);
    }
    const MoversRanking ranking = rankMovers(entries);
    require(ranking.gainers.size() <= kMoversTableLimit && ranking.losers.size() <= kMoversTableLimit);
    require(ranking.mosaic.size() <= 2 * kMosaicSideLimit);
    for (qsizetype i = 1; i < ranking.gainers.size(); ++i)
        require(ranking.gainers.at(i - 1).changePct >= ranking.gainers.at(i).changePct);
    for (const MoverEntry &entry : ranking.gainers)
        require(entry.changePct > 0.0);
    for (const MoverEntry &entry : ranking.losers)
        require(entry.changePct < 0.0);
    const BreadthStats stats = computeBreadth(entries);
    require(stats.advancers + stats.decliners <= entries.size());
    require(stats.hasBest == !entries.isEmpty());
}

void checkReply(const QByteArray &name, const QByteArray &body)
{
    if (name == "brapi") {
        const MoversReply reply = parseBrapiMovers(body);
        require(reply.entries.size() <= reply.resultCount);
        for (const MoverEntry &entry : reply.entries)
            require(entry.symbol.endsWith(QLatin1String(".SA")));
        for (const auto &[symbol, sector] : reply.sectors)
            require(isAcceptableSymbol(symbol, symbol) && !sector.isEmpty());
        checkEntries(reply.entries);
    } else if (name == "yahoo") {
        const MoversReply reply = parseYahooMovers(body);
        require(reply.entries.size() <= reply.resultCount);
        for (const auto &[symbol, sector] : reply.sectors)
            require(isAcceptableSymbol(symbol, symbol) && !sector.isEmpty());
        checkEntries(reply.entries);
    } else if (name == "alpha") {
        checkEntries(parseAlphaTopMovers(body));
    } else if (name == "binance") {
        const QList<MoverEntry> entries = parseBinanceMovers(body);
        for (const MoverEntry &entry : entries)
            require(isEligibleUsdtPair(entry.symbol));
        checkEntries(entries);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzcheck::inputBytes(data, size);
    const qsizetype lineEnd = input.indexOf('\n');
    const QByteArray first = lineEnd >= 0 ? input.left(lineEnd) : QByteArray();
    if (first == "brapi" || first == "yahoo" || first == "alpha" || first == "binance") {
        checkReply(first, input.mid(lineEnd + 1));
        return 0;
    }
    for (const char *name : {"brapi", "yahoo", "alpha", "binance"})
        checkReply(name, input);
    return 0;
}
