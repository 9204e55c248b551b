// Arbitrary bodies through the Binance klines reader. Every candle it gives must be usable by the
// chart as it stands: a positive time, finite prices above 0, a finite volume of at least 0.
#include "chart/candle_store.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

namespace {

bool positive(double value)
{
    return std::isfinite(value) && value > 0.0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body = fuzzcheck::inputBytes(data, size);
    const CandleList candles = parseBinanceKlines(body);
    for (const Candle &candle : candles) {
        require(candle.time > 0);
        require(positive(candle.open) && positive(candle.high) && positive(candle.low) &&
                positive(candle.close));
        require(std::isfinite(candle.volume) && candle.volume >= 0.0);
    }
    // The merge for "4h" keeps what it is given usable.
    for (const Candle &candle : aggregateCandlesByHours(candles, 4))
        require(positive(candle.close) && std::isfinite(candle.volume));
    return 0;
}
