#pragma once

#include <QString>

// Volumes and turnover: 2 decimals after a B, M or K scale chosen by the absolute value before
// rounding (999999.999 gives "1000.00K"). Always C-locale digits, whatever the user's locale.
QString formatCompactNumber(double value);

// Decimals for the text of a price shown with `decimals` places: a price between 0 and 1 gets as many
// more as it needs for four significant digits, up to 8 (the finest tick the crypto venues quote), so a
// sub-cent coin never reads as zero. Zero, negative and non-finite prices, and prices of 1 and above,
// keep `decimals`.
int priceDecimals(double price, int decimals);

// A price in fixed notation with `decimals` places, widened below 1 by priceDecimals.
QString formatPriceFixed(double price, int decimals);

// The price text used across the terminal: 2 decimals from 1000 up, else 4, widened below 1.
QString formatPrice(double price);

// "[HH:mm:ss] text" with the text taken verbatim (a "%1" inside it stays as it is).
QString eventLogLine(const QString &timeText, const QString &text);
