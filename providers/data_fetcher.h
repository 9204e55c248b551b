#pragma once

#include "providers/quote.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

#include <optional>

// Every fetcher request introduces itself with this agent; the direct chart requests use their own.
inline constexpr const char kFetcherUserAgent[] = "MurvexTerminal/1.0";

// One web provider's quote: how to ask for it and how to read the answer. Fetchers hold only the
// configuration given to their constructor and never change afterwards, so one shared instance serves
// every attempt of a cascade, however many are in flight.
class DataFetcher
{
public:
    DataFetcher() = default;
    DataFetcher(const DataFetcher &) = delete;
    DataFetcher &operator=(const DataFetcher &) = delete;
    virtual ~DataFetcher() = default;

    // The provider's display name; it becomes Quote::source.
    virtual QString name() const = 0;
    // The request for the symbol's quote. When the symbol cannot be carried in the URL without changing
    // which resource is asked for, the request's URL is empty and nothing will be sent.
    virtual QNetworkRequest buildRequest(const QString &symbol) const = 0;
    // The quote in the reply body, or nothing when the body holds no usable quote.
    virtual std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const = 0;
};

// A request for `url` carrying only the fetcher user agent. Credentials travel in the query string,
// never in a header.
QNetworkRequest makeFetcherRequest(const QUrl &url);

// A number from a JSON value: strings lose every "%" and are read as decimals; other values give their
// numeric value. Anything that is not a finite number gives 0, so "inf" or "nan" in a reply can never
// reach a quote.
double jsonNumber(const QJsonValue &value);

// The last finite JSON number of the array (nulls and other values skipped); 0 when there is none.
double lastJsonNumber(const QJsonArray &array);

// The symbol with every ".SA" removed, in any case: brapi takes B3 tickers without the suffix.
QString stripSaSuffix(const QString &symbol);

// The candles of one element of a Yahoo chart reply's "chart"/"result" array, in the reply's order.
// Bars where the time or any price is missing or null are skipped; a missing volume reads as 0.
CandleList parseYahooCandles(const QJsonObject &result);
