// Arbitrary text through every reader of stream frames and depth replies, then through the depth
// arithmetic the book runs on what they return. Properties, not only the absence of crashes: a symbol
// is never invented, sums and counts stay finite and in range, aggregation yields finite positive
// levels in the side's order, an iTick side never holds more than five levels.
#include "streams/book_model.h"
#include "streams/stream_messages.h"

#include <QByteArray>
#include <QJsonDocument>

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

namespace {

void checkSide(const QJsonArray &levels, bool isBid, double step)
{
    const int valid = countValidDepthEntries(levels);
    require(valid >= 0 && valid <= levels.size());
    const double sum = sumDepthQuantities(levels);
    require(std::isfinite(sum) && sum >= 0.0);
    const double first = firstDepthPrice(levels);
    require(std::isfinite(first));
    const AggregatedLevels aggregated = aggregateDepthArray(levels, isBid, step);
    require(aggregated.size() <= kAggregatedDepthEntries);
    double total = 0.0;
    for (qsizetype i = 0; i < aggregated.size(); ++i) {
        const AggregatedLevel &level = aggregated.at(i);
        require(std::isfinite(level.price) && level.price > 0.0);
        require(level.size > 0.0);
        total += level.size;
    }
    // Every aggregated size came out of the quantities the sum adds up.
    require(!std::isfinite(total) || total <= sum * (1.0 + 1e-9) + 1e-300);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzzcheck::inputBytes(data, size);
    const bool isObject = QJsonDocument::fromJson(text).isObject();

    const BinanceTrade trade = parseBinanceTrade(text);
    require(isObject || trade.symbol.isEmpty());
    require(std::isfinite(trade.price));
    require(!trade.hasTime || trade.timeMs > 0);

    const BinanceTicker ticker = parseBinanceTicker(text);
    require(isObject || ticker.symbol.isEmpty());
    require(std::isfinite(ticker.price));

    const BinanceDepth depth = parseBinanceDepth(text);
    require(isObject || (depth.symbol.isEmpty() && depth.bids.isEmpty() && depth.asks.isEmpty()));
    // A symbol taken from the stream name stops at its first "@"; only a given "s" may hold one.
    require(!depth.symbol.contains(QLatin1Char('@')) || text.contains("\"s\""));
    for (double step : {0.0, 0.01, 5.0}) {
        checkSide(depth.bids, true, step);
        checkSide(depth.asks, false, step);
    }
    require(hasFullDepthArrays(depth.bids, depth.asks) ==
            (countValidDepthEntries(depth.bids) >= 5 && countValidDepthEntries(depth.asks) >= 5));

    const ItickMessage message = parseItickMessage(text);
    require(isObject || (message.type.isEmpty() && message.symbol.isEmpty()));
    const BookSnapshot snapshot = itickSnapshot(message.data);
    require(snapshot.bids.size() <= 5 && snapshot.asks.size() <= 5);
    for (const QList<BookLevel> *side : {&snapshot.bids, &snapshot.asks}) {
        for (const BookLevel &level : *side)
            require(level.price > 0.0 && std::isfinite(level.price));
    }
    const double volume = sumBookLevelSizes(snapshot.bids) + sumBookLevelSizes(snapshot.asks);
    require(!std::isnan(volume) && volume >= 0.0);
    return 0;
}
