#pragma once

#include <QString>

// Prices in the quote table: 2 decimals from 1000 up, 4 below (negative values always get 4).
// C-locale digits whatever the user's locale.
QString formatQuotePrice(double value);

// The direction a tile shows for the change text of a row: "up", "down" or "flat". The text is read
// as shown ("1.50%"); a text that is not a number ("--") is flat.
QString changeDirection(const QString &changeText);

// Tiles per row of the quote tiles bar for a window of this width.
int quoteTileColumns(int windowWidth);

// "USD/BRL 5.4321 -0.50%"; the change part is left out when the change is not finite.
QString fxTickerText(double rate, double changePercent);
