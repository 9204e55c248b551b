// Arbitrary reply bodies through every fetcher. When the first line names a fetcher ("yahoo:5m:5d",
// "brapi", ...) that fetcher reads the rest; otherwise every fetcher reads the whole input. Whatever the
// body, a quote that comes out has a finite positive price and finite numbers throughout.
#include "providers/fetchers.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

namespace {

std::unique_ptr<DataFetcher> fetcherFor(const QByteArray &recipe)
{
    const QList<QByteArray> parts = recipe.split(':');
    const QByteArray name = parts.first();
    const QString interval = QString::fromUtf8(parts.value(1, "1d"));
    const QString range = QString::fromUtf8(parts.value(2, "1d"));
    if (name == "binance")
        return std::make_unique<BinanceFetcher>();
    if (name == "brapi")
        return std::make_unique<BrAPIFetcher>(QString(), interval, range);
    if (name == "alpha")
        return std::make_unique<AlphaVantageFetcher>(QStringLiteral("k"));
    if (name == "finnhub")
        return std::make_unique<FinnhubFetcher>(QStringLiteral("k"));
    if (name == "twelve")
        return std::make_unique<TwelveDataFetcher>(QStringLiteral("k"));
    if (name == "fmp")
        return std::make_unique<FinancialModelingPrepFetcher>(QStringLiteral("k"));
    if (name == "yahoo")
        return std::make_unique<YahooFetcher>(interval, range);
    return nullptr;
}

void checkQuote(const DataFetcher &fetcher, const QByteArray &body)
{
    const std::optional<Quote> quote = fetcher.parseReply(QStringLiteral("sym"), body);
    if (!quote)
        return;
    require(std::isfinite(quote->price) && quote->price > 0.0);
    for (double number : {quote->open, quote->high, quote->low, quote->prevClose, quote->volume})
        require(std::isfinite(number));
    // A change is known, or missing (NaN) for want of a previous close: never infinite.
    require(std::isfinite(quote->changePercent) ||
            (std::isnan(quote->changePercent) && quote->prevClose <= 0.0));
    require(quote->source == fetcher.name());
    require(!quote->symbol.isEmpty());
    for (const Candle &candle : quote->candles) {
        for (double number : {candle.open, candle.high, candle.low, candle.close, candle.volume})
            require(std::isfinite(number));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzcheck::inputBytes(data, size);
    const qsizetype lineEnd = input.indexOf('\n');
    if (lineEnd >= 0) {
        if (const std::unique_ptr<DataFetcher> fetcher = fetcherFor(input.left(lineEnd))) {
            checkQuote(*fetcher, input.mid(lineEnd + 1));
            return 0;
        }
    }
    for (const char *name : {"binance", "brapi", "alpha", "finnhub", "twelve", "fmp", "yahoo", "yahoo:5m:5d"})
        checkQuote(*fetcherFor(name), input);
    return 0;
}
