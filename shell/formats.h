#pragma once

#include <QString>

// Volumes and turnover: 2 decimals after a B, M or K scale chosen by the absolute value before
// rounding (999999.999 gives "1000.00K"). Always C-locale digits, whatever the user's locale.
QString formatCompactNumber(double value);

// Decimals for the text of a price shown with `decimals` places. The price is first rounded to four
// significant digits; when that gives 1 or more it reads as that value does, with `decimals` (0.99996
// reads 1.0000 with 4, 1.00 with 2). Below 1 it gets the decimals that show those four digits, up to 8
// (the finest tick the crypto venues quote), so a sub-cent coin never reads as zero: 0.09995 gives 5,
// 0.00001234 gives 8. Zero, negative and non-finite prices, and prices of 1 and above, keep `decimals`.
int priceDecimals(double price, int decimals);

// A price in fixed notation with `decimals` places, widened below 1 by priceDecimals.
QString formatPriceFixed(double price, int decimals);

// The price text used across the terminal: 2 decimals from 1000 up, else 4, widened below 1.
QString formatPrice(double price);

// MACD and its signal in fixed notation. They swing around zero, so their decimals cannot follow their
// own value: they take those the price rule gives the symbol's last price, the same for both signs.
// From 1 up that is `decimals` as it is; a coin below a cent gets its eight, so its MACD reads as a
// number instead of 0.0000.
QString formatMacdValue(double value, double lastPrice, int decimals);

// "[HH:mm:ss] text" with the text taken verbatim (a "%1" inside it stays as it is).
QString eventLogLine(const QString &timeText, const QString &text);
