#include "providers/quote_routing.h"

#include "providers/fetchers.h"
#include "providers/provider_catalogue.h"
#include "watchlist/symbol_rules.h"

#include <QRegularExpression>

namespace {

bool isGatedKey(const QString &key)
{
    return key == QLatin1String("twelvedata") || key == QLatin1String("fmp");
}

QString keyOf(const QMap<QString, QString> &apiKeys, const char *name)
{
    return apiKeys.value(QLatin1String(name)).trimmed();
}

} // namespace

int quoteMarketOfSymbol(const QString &symbol)
{
    const QString assetClass = classifySymbol(symbol);
    if (assetClass == QLatin1String("BR Equity"))
        return ProviderMarket::B3Equities;
    if (assetClass == QLatin1String("US Equity"))
        return ProviderMarket::UsEquities;
    if (assetClass == QLatin1String("Crypto"))
        return ProviderMarket::Crypto;
    return ProviderMarket::Forex;
}

QString quoteProviderSymbol(const QString &providerKey, const QString &symbol)
{
    if (providerKey != QLatin1String("twelvedata") || classifySymbol(symbol) != QLatin1String("Forex"))
        return symbol;
    // "JPY=X" is Yahoo's form of USD/JPY; sent as the bare currency it would ask for another instrument.
    static const QRegularExpression usdBased(QStringLiteral("^([A-Z]{3})=X$"));
    const QRegularExpressionMatch match = usdBased.match(symbol);
    if (match.hasMatch())
        return QStringLiteral("USD/") + match.captured(1);
    return forexDisplaySymbol(symbol);
}

QString defaultProviderTag(const QString &symbol, const QString &brapiToken)
{
    const QString assetClass = classifySymbol(symbol);
    if (assetClass == QLatin1String("Crypto"))
        return QStringLiteral("binance");
    if (assetClass == QLatin1String("BR Equity") && !brapiToken.isEmpty())
        return QStringLiteral("brapi");
    return QStringLiteral("yahoo");
}

QuoteFetcherSet quoteFetchersFor(int market, const QMap<QString, QString> &apiKeys, const QString &interval,
                                 const QString &range)
{
    QuoteFetcherSet fetchers;
    switch (market) {
    case ProviderMarket::UsEquities: {
        const QString finnhub = keyOf(apiKeys, "finnhub_api_key");
        const QString twelve = keyOf(apiKeys, "twelvedata_api_key");
        const QString fmp = keyOf(apiKeys, "financial_modeling_prep_api_key");
        const QString alpha = keyOf(apiKeys, "alpha_vantage_api_key");
        if (!finnhub.isEmpty())
            fetchers.insert(QStringLiteral("finnhub"), std::make_shared<FinnhubFetcher>(finnhub));
        if (!twelve.isEmpty())
            fetchers.insert(QStringLiteral("twelvedata"), std::make_shared<TwelveDataFetcher>(twelve));
        if (!fmp.isEmpty())
            fetchers.insert(QStringLiteral("fmp"), std::make_shared<FinancialModelingPrepFetcher>(fmp));
        if (!alpha.isEmpty())
            fetchers.insert(QStringLiteral("alpha_vantage"), std::make_shared<AlphaVantageFetcher>(alpha));
        fetchers.insert(QStringLiteral("yahoo_us"),
                        std::make_shared<YahooFetcher>(QStringLiteral("1d"), QStringLiteral("1d")));
        break;
    }
    case ProviderMarket::B3Equities: {
        const QString token = keyOf(apiKeys, "brapi_token");
        if (!token.isEmpty())
            fetchers.insert(QStringLiteral("brapi_keyed"),
                            std::make_shared<BrAPIFetcher>(token, interval, range));
        fetchers.insert(QStringLiteral("brapi_public"),
                        std::make_shared<BrAPIFetcher>(QString(), interval, range));
        fetchers.insert(QStringLiteral("yahoo_b3"), std::make_shared<YahooFetcher>(interval, range));
        break;
    }
    case ProviderMarket::Forex: {
        const QString twelve = keyOf(apiKeys, "twelvedata_api_key");
        if (!twelve.isEmpty())
            fetchers.insert(QStringLiteral("twelvedata"), std::make_shared<TwelveDataFetcher>(twelve));
        fetchers.insert(QStringLiteral("yahoo_fx"), std::make_shared<YahooFetcher>(interval, range));
        break;
    }
    case ProviderMarket::Crypto:
        fetchers.insert(QStringLiteral("binance_public"), std::make_shared<BinanceFetcher>());
        break;
    default:
        break;
    }
    return fetchers;
}

QuoteAttemptVerdict quoteAttemptVerdict(int market, const QString &providerKey,
                                        const ProviderReplyCheck &check, bool quoteParsed)
{
    QuoteAttemptVerdict verdict;
    const bool us = market == ProviderMarket::UsEquities;
    const bool forex = market == ProviderMarket::Forex;
    const bool alpha = us && providerKey == QLatin1String("alpha_vantage");
    const bool gated =
        (us && isGatedKey(providerKey)) || (forex && providerKey == QLatin1String("twelvedata"));

    QString invalidPayload = QStringLiteral("invalid quote payload");
    if (forex)
        invalidPayload = QStringLiteral("invalid forex payload");
    else if (market == ProviderMarket::Crypto)
        invalidPayload = QStringLiteral("invalid crypto payload");

    if (!check.ok) {
        verdict.startAlphaVantageCooldown = alpha && check.rateLimited;
        verdict.startProviderCooldown = gated && check.rateLimited;
        QString message = check.message;
        if (message.isEmpty() && (forex || market == ProviderMarket::Crypto))
            message = invalidPayload;
        verdict.result = {false, check.rateLimited, message};
        return verdict;
    }
    if (!quoteParsed) {
        verdict.result = {false, false, invalidPayload};
        return verdict;
    }
    verdict.applyQuote = true;
    verdict.writeAlphaVantageCache = alpha;
    verdict.clearProviderCooldown = gated;
    verdict.result = {true, false, QString()};
    return verdict;
}

QPair<QString, QString> quoteCascadeFailureTexts(int market)
{
    switch (market) {
    case ProviderMarket::UsEquities:
        return {QStringLiteral("All quote providers failed for %1: %2"),
                QString::fromUtf8("Todos os provedores de cotação falharam para %1: %2")};
    case ProviderMarket::B3Equities:
        return {QStringLiteral("All B3 providers failed for %1: %2"),
                QStringLiteral("Todos os provedores B3 falharam para %1: %2")};
    case ProviderMarket::Forex:
        return {QStringLiteral("Forex quote failed for %1: %2"),
                QString::fromUtf8("Cotação Forex falhou para %1: %2")};
    default:
        return {};
    }
}
