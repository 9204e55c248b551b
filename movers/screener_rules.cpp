#include "movers/screener_rules.h"

#include "watchlist/symbol_rules.h"

#include <cmath>

TrendSignal trendSignalFor(double changePercent)
{
    if (changePercent >= 2.0)
        return TrendSignal::StrongUp;
    if (changePercent >= 0.25)
        return TrendSignal::Up;
    if (changePercent <= -2.0)
        return TrendSignal::StrongDown;
    if (changePercent <= -0.25)
        return TrendSignal::Down;
    return TrendSignal::Flat;
}

bool passesMinChange(double changePercent, double minimum)
{
    if (!std::isfinite(changePercent))
        return true;
    if (minimum > 0.0)
        return std::abs(changePercent) >= minimum;
    if (minimum < 0.0)
        return changePercent <= minimum;
    return true;
}

bool screenerAssetMatches(const QString &assetKey, const QString &classKey)
{
    if (assetKey == QLatin1String("br"))
        return classKey == QLatin1String("equity_br");
    if (assetKey == QLatin1String("us"))
        return classKey == QLatin1String("equity_us");
    if (assetKey == QLatin1String("all"))
        return true;
    return classKey == assetKey;
}

QString marketSourceLabel(const QString &symbol)
{
    const QString assetClass = classifySymbol(symbol);
    if (assetClass == QLatin1String("BR Equity"))
        return QStringLiteral("B3");
    if (assetClass == QLatin1String("Crypto"))
        return QStringLiteral("Binance");
    if (assetClass == QLatin1String("Forex"))
        return QStringLiteral("FX");
    return QStringLiteral("US");
}

bool ScreenerRowValues::operator==(const ScreenerRowValues &other) const
{
    return asset == other.asset && priceKnown == other.priceKnown && (!priceKnown || price == other.price) &&
           changeKnown == other.changeKnown && (!changeKnown || change == other.change) &&
           volumeKnown == other.volumeKnown && volume == other.volume && source == other.source;
}
