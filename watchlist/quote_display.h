#pragma once

#include "chart/candle.h"

#include <QString>

// The direction a tile shows for the change of a row: "up", "down" or "flat" (also for a change that is
// not finite). A change too small for the two decimals shown still has its direction, as the cell's
// colour does.
QString changeDirection(double changePercent);

// Tiles per row of the quote tiles bar for a window of this width.
int quoteTileColumns(int windowWidth);

// "USD/BRL 5.4321 -0.50%"; the change part reads "--" when the change is not finite.
QString fxTickerText(double rate, double changePercent);

// The Change column: "1.50%", "-0.25%" (no plus sign); "--" when the change is not finite.
QString formatChangePercent(double changePercent);

// The colour of a Change cell: up "#20c878" from 0 on, down "#f45d5d", neutral "#d8e6e3" when the
// change is not finite.
QString changeColorName(double changePercent);

// A number as a table cell shows it, with any "%" removed; `ok` tells whether it read.
double displayedNumber(const QString &text, bool *ok = nullptr);

// The tooltip of a quote row: the last candle's local time, open, high, low, close (4 decimals even from
// 1000 up, more below 1 as every price text) and compact volume under the symbol and the chart's
// timeframe, or a note that no candle exists yet.
QString candleTooltipText(const QString &symbol, const QString &timeframe, const CandleList &candles);
