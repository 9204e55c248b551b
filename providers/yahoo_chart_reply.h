#pragma once

#include "chart/candle.h"

#include <QByteArray>
#include <QJsonArray>

// The direct chart request's reply: a quote and the price history in one body. This reader is separate
// from the Yahoo fetcher's on purpose: it takes the previous close from "previousClose" (yesterday's
// close, sent with single-day ranges) and never from "chartPreviousClose", which is the close before the
// requested window and, for any longer window, far older than yesterday.

// Candles of the parallel chart arrays, in index order. Only the first n indices count, n being the
// shortest of the time and price arrays (a short volume array does not shorten the series). An index
// becomes a candle when its four prices are JSON numbers; its time is the timestamp as a whole number (0
// when the timestamp is missing or null) and its volume the volume element when it is a number, else 0.
CandleList yahooChartCandles(const QJsonArray &timestamps, const QJsonArray &opens, const QJsonArray &highs,
                             const QJsonArray &lows, const QJsonArray &closes, const QJsonArray &volumes);

struct YahooChartReading
{
    bool hasResult =
        false;          // "chart"/"result" holds at least one element; false also for a body that is not JSON
    double price = 0.0; // NaN when the reply holds no usable price (finite and above 0)
    double previousClose = 0.0; // NaN when absent
    double changePercent = 0.0; // NaN without a usable previous close
    CandleList candles;
};

// Reads the first result of a chart body: the candles of its first "indicators"/"quote" element, the
// price from "meta"/"regularMarketPrice" or, when that is not a usable price, the last candle's close,
// and the change against "meta"/"previousClose" when that is not (nearly) zero.
YahooChartReading readYahooChartReply(const QByteArray &body);
