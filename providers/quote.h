#pragma once

#include "chart/candle.h"

#include <QString>

// One quote as a provider's fetcher returns it. Volume stays 0 when the provider gives none; candles
// come only with providers that send history alongside the quote.
struct Quote
{
    QString symbol;
    QString source;
    double price = 0.0;
    double changePercent = 0.0;
    double open = 0.0;
    double high = 0.0;
    double low = 0.0;
    double prevClose = 0.0;
    double volume = 0.0;
    CandleList candles;
};
