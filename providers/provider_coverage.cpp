#include "providers/provider_coverage.h"

QList<ProviderCoverageRow> providerCoverageRows()
{
    auto row = [](const char *market, int order, const char *name, const char *key, const char *coverage,
                  const char *book, const char *fallback, bool isPublic) {
        return ProviderCoverageRow{QString::fromLatin1(market),   order,
                                   QString::fromLatin1(name),     QString::fromLatin1(key),
                                   QString::fromLatin1(coverage), QString::fromLatin1(book),
                                   QString::fromLatin1(fallback), isPublic};
    };
    return {
        row("Crypto", 1, "Binance Public", "", "Realtime ticker, candles, trades and depth",
            "Book when >5 bid and >5 ask levels", "Quote snapshot", true),
        row("Crypto", 2, "Binance Keyed", "binance_api_key", "Future account/private endpoints",
            "Not required for public book today", "Binance Public", false),
        row("Crypto", 3, "Polygon.io", "polygon_api_key", "Crypto quote/history when enabled by plan",
            "Provider dependent", "Binance Public", false),
        row("Crypto", 4, "Twelve Data", "twelvedata_api_key", "Crypto quote/history when covered",
            "Quote/history only", "Binance Public", false),
        row("US/America", 1, "iTick", "itick_api_key", "US Level 2 depth, quote and tick stream",
            "Book when >5 bid and >5 ask levels", "Finnhub/Alpha/Yahoo", false),
        row("US/America", 2, "Polygon.io", "polygon_api_key", "US stocks, options, forex and crypto",
            "Provider dependent", "Next configured source", false),
        row("US/America", 3, "Finnhub", "finnhub_api_key", "US/global quotes and news",
            "Level 1 quote fallback", "Alpha/Yahoo", false),
        row("US/America", 4, "Twelve Data", "twelvedata_api_key", "Global stocks, forex and crypto",
            "Provider dependent", "Alpha/Yahoo", false),
        row("US/America", 5, "IEX Cloud", "iex_cloud_api_key", "US market data", "Provider dependent",
            "Alpha/Yahoo", false),
        row("US/America", 6, "Financial Modeling Prep", "financial_modeling_prep_api_key",
            "Quotes, screeners and fundamentals", "Quote/fundamental fallback", "Alpha/Yahoo", false),
        row("US/America", 7, "Tiingo", "tiingo_api_key", "US prices and news", "Quote/history fallback",
            "Alpha/Yahoo", false),
        row("US/America", 8, "EODHD", "eodhd_api_key", "End-of-day and fundamentals",
            "No live free book expected", "Alpha/Yahoo", false),
        row("US/America", 9, "Marketstack", "marketstack_api_key", "End-of-day/global equities",
            "No live free book expected", "Alpha/Yahoo", false),
        row("US/America", 10, "Alpha Vantage", "alpha_vantage_api_key", "Quotes and movers", "No book",
            "Yahoo Public", false),
        row("US/America", 99, "Yahoo Public", "", "Delayed public quote/chart fallback", "No book",
            "Local snapshot", true),
        row("B3", 1, "BrAPI", "brapi_token", "B3 quotes, fundamentals and quote list", "Level 1/quote only",
            "Yahoo .SA Public", false),
        row("B3", 2, "Twelve Data", "twelvedata_api_key", "Global/B3 coverage when available",
            "Provider dependent", "Yahoo .SA Public", false),
        row("B3", 3, "EODHD", "eodhd_api_key", "Global EOD if symbol is covered",
            "No live free book expected", "Yahoo .SA Public", false),
        row("B3", 99, "Yahoo .SA Public", "", "Delayed public quote/chart fallback", "No book",
            "Local snapshot", true),
        row("Forex", 1, "Twelve Data", "twelvedata_api_key", "Forex quote/history",
            "No free equity-style book expected", "Yahoo FX Public", false),
        row("Forex", 2, "Polygon.io", "polygon_api_key", "Forex quote/history", "Provider dependent",
            "Yahoo FX Public", false),
        row("Forex", 3, "Finnhub", "finnhub_api_key", "Forex quotes", "Quote only", "Yahoo FX Public", false),
        row("Forex", 99, "Yahoo FX Public", "", "Pairs such as BRL=X, EURUSD=X, USD/BRL input", "No book",
            "Local snapshot", true),
        row("News", 1, "Murvex JSON", "murvex_news_endpoint", "Site-generated public JSON news feed",
            "Not an order-flow source", "NewsAPI/Public RSS", true),
        row("News", 3, "NewsAPI", "newsapi_api_key", "Headlines in News tab", "Not an order-flow source",
            "Public RSS", false),
        row("News", 99, "Yahoo Finance RSS", "", "Public ticker headline RSS fallback",
            "Not an order-flow source", "No further news fallback", true),
    };
}

QString coverageStatus(const ProviderCoverageRow &row,
                       const std::function<QString(const QString &)> &credential)
{
    if (row.name == QLatin1String("Twelve Data") && row.market != QLatin1String("US/America") &&
        row.market != QLatin1String("Forex"))
        return QStringLiteral("not implemented");
    const bool keyed = !credential(row.keyName).trimmed().isEmpty();
    if (row.name == QLatin1String("BrAPI"))
        return keyed ? QStringLiteral("enabled") : QStringLiteral("public fallback");
    if (row.isPublic)
        return QStringLiteral("public fallback");
    return keyed ? QStringLiteral("enabled") : QStringLiteral("skipped: no key");
}

QColor coverageStatusColour(const QString &status, bool light)
{
    if (status == QLatin1String("enabled"))
        return QColor(QStringLiteral("#20c878"));
    if (status == QLatin1String("public fallback"))
        return QColor(light ? QStringLiteral("#006cb4") : QStringLiteral("#8fb8ad"));
    if (status == QLatin1String("not implemented"))
        return QColor(light ? QStringLiteral("#52606d") : QStringLiteral("#9aa0a6"));
    return QColor(QStringLiteral("#f45d5d"));
}

QString coverageKey(const ProviderCoverageRow &row)
{
    return row.market + QLatin1Char('|') + row.name;
}

QList<QPair<QString, QStringList>> cascadeGroups(const QList<ProviderCoverageRow> &rows,
                                                 const QStringList &statuses)
{
    QList<QPair<QString, QStringList>> groups;
    for (int i = 0; i < rows.size() && i < statuses.size(); ++i) {
        const ProviderCoverageRow &row = rows.at(i);
        if (groups.isEmpty() || groups.last().first != row.market)
            groups.append({row.market, {}});
        if (!statuses.at(i).startsWith(QLatin1String("skipped")))
            groups.last().second.append(QStringLiteral("%1 [%2]").arg(row.name, statuses.at(i)));
    }
    QList<QPair<QString, QStringList>> kept;
    for (const auto &group : groups) {
        if (!group.first.isEmpty() && !group.second.isEmpty())
            kept.append(group);
    }
    return kept;
}
