#pragma once

#include "providers/data_fetcher.h"
#include "providers/provider_cascade.h"
#include "providers/reply_check.h"

#include <QMap>
#include <QPair>
#include <QString>

#include <memory>

// How a quote request is routed: the market a symbol belongs to, the fetchers a market's cascade may
// use with the keys at hand, the symbol each provider wants, and what one provider's reply means for the
// cascade and for the provider limits. No window, no network.

// A symbol's market (a ProviderMarket code): 2 B3, 1 US, 0 crypto, 3 forex for anything else.
int quoteMarketOfSymbol(const QString &symbol);

// The symbol as the provider expects it: Twelve Data takes forex pairs as "USD/BRL", "EUR/USD", and a
// three-letter code with "=X" (Yahoo's form of a USD-based pair) as "USD/JPY"; every other provider and
// symbol goes as given.
QString quoteProviderSymbol(const QString &providerKey, const QString &symbol);

// The provider tag stored with a watchlist row: "binance" for crypto, "brapi" for a B3 equity while a
// brapi token is stored (as stored, blanks count), "yahoo" otherwise.
QString defaultProviderTag(const QString &symbol, const QString &brapiToken);

// Provider key -> the fetcher that serves it, shared by every attempt of one cascade run.
using QuoteFetcherSet = QMap<QString, std::shared_ptr<const DataFetcher>>;

// The fetchers of a market's cascade. Keyed providers get a fetcher only when their key, trimmed, is
// not empty (the key is passed trimmed); the public ones always. B3 and forex history comes in the
// chart's (interval, range); US Yahoo quotes always ask for one day of daily bars.
QuoteFetcherSet quoteFetchersFor(int market, const QMap<QString, QString> &apiKeys, const QString &interval,
                                 const QString &range);

// One run of a market's cascade, as its attempt starter sees it.
struct QuoteCascadeRun
{
    QString symbol;
    QuoteFetcherSet fetchers;
    quint64 generation = 0;
};

// One request of a run, as its reply handler sees it.
struct QuoteAttemptContext
{
    QString symbol;         // the symbol asked for; the quote is applied under it
    QString providerSymbol; // the form the provider was asked for
    QString providerKey;
    std::shared_ptr<const DataFetcher> fetcher;
    AsyncProviderCompletion done;
    qint64 startMs = 0;
    quint64 generation = 0;
};

// What one checked (and, when the check passed, parsed) reply means.
struct QuoteAttemptVerdict
{
    AsyncProviderResult result; // handed to the cascade
    bool applyQuote = false;    // the parsed quote goes to the row
    bool startAlphaVantageCooldown = false;
    bool startProviderCooldown = false;  // for this provider key, from the check's Retry-After
    bool clearProviderCooldown = false;  // for this provider key
    bool writeAlphaVantageCache = false; // the reply body becomes the symbol's cached reply
};

QuoteAttemptVerdict quoteAttemptVerdict(int market, const QString &providerKey,
                                        const ProviderReplyCheck &check, bool quoteParsed);

// The console text (English, Portuguese) when every provider of a market's cascade failed; %1 is the
// symbol, %2 the failure lines. Empty for crypto, which writes nothing.
QPair<QString, QString> quoteCascadeFailureTexts(int market);
