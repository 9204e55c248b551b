#include "providers/provider_catalogue.h"

namespace {
ProviderInfo entry(const char *key, const char *apiKeyName, bool isPublic, bool implemented,
                   const QList<int> &markets, const QList<int> &dataKinds)
{
    ProviderInfo info;
    info.key = QString::fromLatin1(key);
    info.apiKeyName = QString::fromLatin1(apiKeyName);
    info.isPublic = isPublic;
    info.implemented = implemented;
    info.markets = markets;
    info.dataKinds = dataKinds;
    return info;
}
} // namespace

QList<ProviderInfo> buildProviderCatalog()
{
    using namespace ProviderMarket;
    namespace Kind = ProviderDataKind;
    constexpr bool Public = true;
    constexpr bool Keyed = false;
    constexpr bool Implemented = true;
    constexpr bool Announced = false;
    return {
        entry("binance_public", "", Public, Implemented, {Crypto},
              {Kind::Quote, Kind::History, Kind::Movers, Kind::Depth, Kind::Trades}),
        entry("itick", "itick_api_key", Keyed, Implemented, {UsEquities}, {Kind::Depth, Kind::Trades}),
        entry("polygon", "polygon_api_key", Keyed, Announced, {UsEquities, Forex, Crypto},
              {Kind::Quote, Kind::History, Kind::Movers}),
        entry("finnhub", "finnhub_api_key", Keyed, Implemented, {UsEquities}, {Kind::Quote}),
        entry("twelvedata", "twelvedata_api_key", Keyed, Implemented, {UsEquities, Forex}, {Kind::Quote}),
        entry("iex", "iex_cloud_api_key", Keyed, Announced, {UsEquities}, {Kind::Quote}),
        entry("fmp", "financial_modeling_prep_api_key", Keyed, Implemented, {UsEquities}, {Kind::Quote}),
        entry("tiingo", "tiingo_api_key", Keyed, Announced, {UsEquities}, {Kind::Quote, Kind::History}),
        entry("eodhd", "eodhd_api_key", Keyed, Announced, {UsEquities, B3Equities},
              {Kind::Quote, Kind::History}),
        entry("marketstack", "marketstack_api_key", Keyed, Announced, {UsEquities}, {Kind::Quote}),
        entry("alpha_vantage", "alpha_vantage_api_key", Keyed, Implemented, {UsEquities},
              {Kind::Quote, Kind::Movers}),
        entry("brapi_keyed", "brapi_token", Keyed, Implemented, {B3Equities},
              {Kind::Quote, Kind::History, Kind::Movers}),
        entry("brapi_public", "", Public, Implemented, {B3Equities},
              {Kind::Quote, Kind::History, Kind::Movers}),
        entry("yahoo_us", "", Public, Implemented, {UsEquities}, {Kind::Quote, Kind::History, Kind::Movers}),
        entry("yahoo_b3", "", Public, Implemented, {B3Equities}, {Kind::Quote, Kind::History, Kind::Movers}),
        entry("yahoo_fx", "", Public, Implemented, {Forex}, {Kind::Quote, Kind::History}),
        entry("murvex_news", "", Public, Implemented, {News}, {Kind::News}),
        entry("newsapi", "newsapi_api_key", Keyed, Implemented, {News}, {Kind::News}),
        entry("yahoo_rss", "", Public, Implemented, {News}, {Kind::News}),
    };
}

bool providerSupports(const ProviderInfo &entry, int market, int dataKind)
{
    return entry.markets.contains(market) && entry.dataKinds.contains(dataKind);
}

bool hasCredentials(const ProviderInfo &entry, const QMap<QString, QString> &apiKeys)
{
    if (entry.isPublic)
        return true;
    return !entry.apiKeyName.isEmpty() && !apiKeys.value(entry.apiKeyName).trimmed().isEmpty();
}

QStringList providersFor(int market, int dataKind, const QMap<QString, QString> &apiKeys)
{
    QStringList keyed;
    QStringList open;
    for (const ProviderInfo &info : buildProviderCatalog()) {
        if (!info.implemented || !providerSupports(info, market, dataKind) || !hasCredentials(info, apiKeys))
            continue;
        (info.isPublic ? open : keyed).append(info.key);
    }
    return keyed + open;
}
