#pragma once

#include <QString>

// The screener's per-symbol rules. Nothing here needs a window.

enum class TrendSignal
{
    StrongUp,
    Up,
    Flat,
    Down,
    StrongDown
};

// At least 2.0 strong up, at least 0.25 up, at most -2.0 strong down, at most -0.25 down, else (a change
// that is not a number too) flat.
TrendSignal trendSignalFor(double changePercent);

// The minimum-change test with the spin value `minimum`: a change that is not finite passes; a minimum
// above 0 keeps moves of at least that size either way; one below 0 keeps only falls of at least that
// size; 0 (or not a number) keeps everything.
bool passesMinChange(double changePercent, double minimum);

// Whether a symbol of asset class key `classKey` ("equity_br", "equity_us", "crypto", "forex") passes
// the asset filter `assetKey` ("all" passes everything; "br" and "us" name their equity class; any other key
// is compared with the class key itself).
bool screenerAssetMatches(const QString &assetKey, const QString &classKey);

// "B3", "Binance", "FX" or "US" by the symbol's class.
QString marketSourceLabel(const QString &symbol);

// What one screener row shows, kept per listed symbol so that a quote rewrites only its own row.
struct ScreenerRowValues
{
    QString asset;
    double price = 0.0;
    bool priceKnown = false;
    double change = 0.0;
    bool changeKnown = false;
    double volume = 0.0;
    bool volumeKnown = false;
    QString source;

    bool operator==(const ScreenerRowValues &other) const;
    bool operator!=(const ScreenerRowValues &other) const { return !(*this == other); }
};
