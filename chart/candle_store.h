#pragma once

#include "chart/candle.h"

#include <QByteArray>
#include <QDate>
#include <QPair>
#include <QString>
#include <QTimeZone>

// How the per-symbol candle lists are written: live quotes folded into the last candle, history
// replies turned into candles, hourly candles merged into longer ones, and the timeframe words mapped
// to the parameters the history services expect. Times are passed in so results never depend on
// the clock.
//
// A value that is not finite never enters a candle through these functions: a field that would
// take one keeps what it had (or takes the sample's other prices), so one bad tick cannot spread
// NaN into the high, low or volume of a series.

// (interval, range) of a Yahoo or brapi history request for a timeframe word of the chart's
// timeframe box; "4h" asks for hourly candles, merged afterwards. Unknown words get monthly candles.
QPair<QString, QString> chartIntervalAndRange(const QString &timeframe);

// The Binance kline interval for a timeframe word: "1M" for "1mo", every other word as it is.
QString binanceKlineInterval(const QString &timeframe);

// The local calendar date of a candle time (seconds, or milliseconds by the candle time rule) in
// `zone`.
QDate candleDate(qint64 time, const QTimeZone &zone = QTimeZone::systemTimeZone());

// Whether one bar of a timeframe word spans at least a whole day: true for the words whose history is
// asked for in daily or monthly bars (unknown words included, which get monthly ones).
bool timeframeBarSpansDay(const QString &timeframe);

// What a series' last bar is to a live quote, whose high, low and volume are the day's (or 24 hours').
enum class LastBarKind
{
    QuoteBuilt, // the one bar the quotes built: the day's range and volume are its own
    SpansDay,   // a history's bar of a day or longer: the day's range widens it, its volume stays
    Intraday,   // a history's shorter bar: the price alone stretches it, its volume stays
};

// The kind of a series' last bar from the timeframe its history was fetched for. Every history put
// into the store names its timeframe, so a series without one (`heldTimeframe` null) is the bar the
// quotes built.
LastBarKind lastBarKindFor(const QString *heldTimeframe);

// Folds one live quote into a series. Does nothing unless `price` is finite and above 0. Missing
// (non-finite or non-positive) open, high and low are filled from the price; a missing or negative
// volume counts as 0. An empty series gets its first candle stamped `nowSeconds`, spanning the quote's
// range and taking its volume; otherwise only the last candle's high, low and close change, and its
// volume only when it is the one bar the quotes built: a sample never starts a new candle.
// The quote's high and low widen the last candle unless it is `Intraday`, which the price alone
// stretches, or one minute's candle would take the whole day's wick. The quote's volume never enters a
// history's bar, even the only one (a coin listed today, a minute history at the session's start): it
// would swamp that bar's own volume, VWAP and the volume pane.
void recordQuoteSample(CandleList &candles, double open, double high, double low, double price, double volume,
                       qint64 nowSeconds, LastBarKind lastBar);

// Moves the last candle's close to `price`, widening its high and low; an empty series gets a flat
// candle stamped `nowSeconds` with no volume. A price that is not finite and above 0 is ignored.
void applyPriceToLastCandle(CandleList &candles, double price, qint64 nowSeconds);

// Merges consecutive candles of one `hours`-long bucket (aligned to the epoch, in UTC) into one
// candle stamped with the bucket's start in seconds: first open, highest high, lowest low, last close,
// summed volume. An empty list or hours of 1 or less comes back unchanged (millisecond times
// included). The input is taken to be in time order: a candle whose bucket differs from the one
// before always opens a new merged candle.
CandleList aggregateCandlesByHours(const CandleList &candles, int hours);

// The list a history reply puts into the store for the chart's timeframe: hourly replies are merged
// into 4-hour candles for "4h", every other timeframe keeps the reply as it came.
CandleList historyCandlesForTimeframe(const CandleList &history, const QString &timeframe);

// Candles of a Binance "/api/v3/klines" body: one per row of at least six items (open time, then
// open, high, low, close and volume as decimal strings; plain JSON numbers are taken as they are).
// Shorter rows are skipped, and so is a row whose open time is not a positive integer or whose open,
// high, low or close is not a finite number above 0. A volume that cannot be read, is not finite or is
// negative is 0. A body that is not an array gives no candles.
CandleList parseBinanceKlines(const QByteArray &body);
