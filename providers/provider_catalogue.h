#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// Market codes a provider serves.
namespace ProviderMarket {
constexpr int Crypto = 0;
constexpr int UsEquities = 1;
constexpr int B3Equities = 2;
constexpr int Forex = 3;
constexpr int News = 4;
} // namespace ProviderMarket

// Kinds of data a provider serves.
namespace ProviderDataKind {
constexpr int Quote = 0;
constexpr int History = 1;
constexpr int Movers = 2;
constexpr int Depth = 3;
constexpr int Trades = 4;
constexpr int News = 5;
} // namespace ProviderDataKind

// One data source the terminal knows, public or keyed, implemented or only announced.
struct ProviderInfo
{
    QString key;        // unique snake_case provider key
    QString apiKeyName; // name of its key in the key map; empty for public providers
    bool isPublic = false;
    bool implemented = false; // entries without a request path are never selected
    QList<int> markets;
    QList<int> dataKinds;
};

// Every provider, in the fixed order that decides every provider order. Built fresh on each call.
QList<ProviderInfo> buildProviderCatalog();
bool providerSupports(const ProviderInfo &entry, int market, int dataKind);
// Public entries always; keyed entries only when their key is set to something other than blanks.
bool hasCredentials(const ProviderInfo &entry, const QMap<QString, QString> &apiKeys);
// The provider keys to try for a market and a kind of data with the keys at hand: implemented keyed
// providers whose key is set first, then the public ones, each group in catalogue order.
QStringList providersFor(int market, int dataKind, const QMap<QString, QString> &apiKeys);
