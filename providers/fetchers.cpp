#include "providers/fetchers.h"

#include "app/endpoints.h"
#include "providers/json_readers.h"

#include <QJsonDocument>
#include <QList>
#include <QPair>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// The characters that would end a path segment or change how it is read: they are escaped even where
// the rest of the segment goes out as given.
const QByteArray kSegmentBreakers = QByteArrayLiteral("%?#/\\ ");

// Printable ASCII that may stay as given inside a brapi path segment (ticker lists like "PETR4,^BVSP").
QByteArray brapiRawCharacters()
{
    QByteArray raw;
    for (char c = 0x21; c < 0x7f; ++c) {
        if (!kSegmentBreakers.contains(c))
            raw += c;
    }
    return raw;
}

// A request that goes nowhere: the network layer refuses an empty URL without sending anything.
QNetworkRequest unsendableRequest()
{
    return makeFetcherRequest(QUrl());
}

QJsonValue member(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key));
}

bool validPrice(double price)
{
    return std::isfinite(price) && price > 0.0;
}

Quote baseQuote(const DataFetcher &fetcher, const QString &symbol)
{
    Quote quote;
    quote.symbol = symbol.toUpper();
    quote.source = fetcher.name();
    return quote;
}

// The text of a JSON string; the fallback when the value is no string or an empty one.
QString textOr(const QJsonValue &value, const QString &fallback)
{
    const QString text = value.toString();
    return text.isEmpty() ? fallback : text;
}

// Days since the epoch in the exchange's local time; offset and time are both bounded, so nothing
// overflows.
qint64 localDay(qint64 seconds, qint64 offsetSeconds)
{
    constexpr qint64 kDay = 86400;
    qint64 day = seconds / kDay;
    qint64 rest = seconds % kDay;
    if (rest < 0) {
        rest += kDay;
        --day;
    }
    rest += offsetSeconds;
    while (rest < 0) {
        rest += kDay;
        --day;
    }
    while (rest >= kDay) {
        rest -= kDay;
        ++day;
    }
    return day;
}

bool dailyOrFiner(const QString &granularity)
{
    return granularity == QLatin1String("1d") || granularity.endsWith(QLatin1Char('m')) ||
           granularity.endsWith(QLatin1Char('h'));
}

} // namespace

// Every byte of a key or value outside the unreserved characters is escaped. QUrlQuery would leave "+",
// ";", "[" and existing "%xx" sequences as they are, and a server reads "+" as a blank and "%41" as "A":
// a symbol or a key holding them would ask for something else.
QUrl urlWithQuery(QUrl url, const QueryItems &items)
{
    QByteArray query;
    for (const auto &item : items) {
        if (!query.isEmpty())
            query += '&';
        query += QUrl::toPercentEncoding(item.first) + '=' + QUrl::toPercentEncoding(item.second);
    }
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url;
}

// Dot segments are refused: every request line has them folded away, so such a symbol would ask for a
// parent resource instead of its own.
std::optional<QString> encodedPathSegment(const QString &text, const QByteArray &keepRaw)
{
    const QByteArray encoded = QUrl::toPercentEncoding(text, keepRaw);
    if (encoded == "." || encoded == "..")
        return std::nullopt;
    return QString::fromLatin1(encoded);
}

// ---- Binance ------------------------------------------------------------------------------------

QString BinanceFetcher::name() const
{
    return QStringLiteral("Binance Public");
}

QNetworkRequest BinanceFetcher::buildRequest(const QString &symbol) const
{
    const QUrl url = endpointUrl(Endpoint::BinanceRest, QStringLiteral("/api/v3/ticker/24hr"));
    return makeFetcherRequest(urlWithQuery(url, {{QStringLiteral("symbol"), symbol.toUpper()}}));
}

std::optional<Quote> BinanceFetcher::parseReply(const QString &symbol, const QByteArray &body) const
{
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    Quote quote = baseQuote(*this, symbol);
    quote.price = decimalFromJsonText(member(root, "lastPrice"));
    quote.changePercent = decimalFromJsonText(member(root, "priceChangePercent"));
    quote.open = decimalFromJsonText(member(root, "openPrice"));
    quote.high = decimalFromJsonText(member(root, "highPrice"));
    quote.low = decimalFromJsonText(member(root, "lowPrice"));
    quote.prevClose = decimalFromJsonText(member(root, "prevClosePrice"));
    quote.volume = decimalFromJsonText(member(root, "volume"));
    if (!validPrice(quote.price))
        return std::nullopt;
    return quote;
}

// ---- brapi --------------------------------------------------------------------------------------

BrAPIFetcher::BrAPIFetcher(const QString &token, const QString &interval, const QString &range)
    : m_token(token), m_interval(interval), m_range(range)
{
}

QString BrAPIFetcher::name() const
{
    return QStringLiteral("BrAPI");
}

QNetworkRequest BrAPIFetcher::buildRequest(const QString &symbol) const
{
    static const QByteArray raw = brapiRawCharacters();
    const std::optional<QString> segment = encodedPathSegment(stripSaSuffix(symbol), raw);
    if (!segment)
        return unsendableRequest();
    const QUrl url = endpointUrl(Endpoint::Brapi, QStringLiteral("/api/quote/") + *segment);
    QueryItems items{{QStringLiteral("interval"), m_interval}, {QStringLiteral("range"), m_range}};
    if (!m_token.isEmpty())
        items.append({QStringLiteral("token"), m_token});
    return makeFetcherRequest(urlWithQuery(url, items));
}

std::optional<Quote> BrAPIFetcher::parseReply(const QString &symbol, const QByteArray &body) const
{
    const QJsonArray results = member(QJsonDocument::fromJson(body).object(), "results").toArray();
    if (results.isEmpty())
        return std::nullopt;
    const QJsonObject first = results.first().toObject();

    Quote quote = baseQuote(*this, symbol);
    quote.price = finiteJsonDouble(member(first, "regularMarketPrice"));
    quote.changePercent = finiteJsonDouble(member(first, "regularMarketChangePercent"));
    quote.open = finiteJsonDouble(member(first, "regularMarketOpen"));
    quote.high = finiteJsonDouble(member(first, "regularMarketDayHigh"));
    quote.low = finiteJsonDouble(member(first, "regularMarketDayLow"));
    quote.prevClose = finiteJsonDouble(member(first, "regularMarketPreviousClose"));
    quote.volume = finiteJsonDouble(member(first, "regularMarketVolume"));
    if (!validPrice(quote.price))
        return std::nullopt;

    const QJsonArray history = member(first, "historicalDataPrice").toArray();
    quote.candles.reserve(history.size());
    for (const QJsonValue &element : history) {
        const QJsonObject bar = element.toObject();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        Candle candle;
        candle.open = member(bar, "open").toDouble(nan);
        candle.high = member(bar, "high").toDouble(nan);
        candle.low = member(bar, "low").toDouble(nan);
        candle.close = member(bar, "close").toDouble(nan);
        if (!std::isfinite(candle.open) || !std::isfinite(candle.high) || !std::isfinite(candle.low) ||
            !std::isfinite(candle.close))
            continue;
        candle.time = jsonInteger(member(bar, "date"));
        candle.volume = finiteJsonDouble(member(bar, "volume"));
        quote.candles.append(candle);
    }
    return quote;
}

// ---- Alpha Vantage ------------------------------------------------------------------------------

AlphaVantageFetcher::AlphaVantageFetcher(const QString &apiKey) : m_apiKey(apiKey) {}

QString AlphaVantageFetcher::name() const
{
    return QStringLiteral("Alpha Vantage");
}

QNetworkRequest AlphaVantageFetcher::buildRequest(const QString &symbol) const
{
    const QUrl url = endpointUrl(Endpoint::AlphaVantage, QStringLiteral("/query"));
    return makeFetcherRequest(urlWithQuery(url, {{QStringLiteral("function"), QStringLiteral("GLOBAL_QUOTE")},
                                                 {QStringLiteral("symbol"), symbol},
                                                 {QStringLiteral("apikey"), m_apiKey}}));
}

std::optional<Quote> AlphaVantageFetcher::parseReply(const QString &symbol, const QByteArray &body) const
{
    const QJsonObject global = member(QJsonDocument::fromJson(body).object(), "Global Quote").toObject();
    Quote quote = baseQuote(*this, symbol);
    quote.price = jsonNumber(member(global, "05. price"));
    quote.changePercent = jsonNumber(member(global, "10. change percent"));
    quote.open = jsonNumber(member(global, "02. open"));
    quote.high = jsonNumber(member(global, "03. high"));
    quote.low = jsonNumber(member(global, "04. low"));
    quote.prevClose = jsonNumber(member(global, "08. previous close"));
    quote.volume = jsonNumber(member(global, "06. volume"));
    if (!validPrice(quote.price))
        return std::nullopt;
    return quote;
}

// ---- Finnhub ------------------------------------------------------------------------------------

FinnhubFetcher::FinnhubFetcher(const QString &apiKey) : m_apiKey(apiKey) {}

QString FinnhubFetcher::name() const
{
    return QStringLiteral("Finnhub");
}

QNetworkRequest FinnhubFetcher::buildRequest(const QString &symbol) const
{
    const QUrl url = endpointUrl(Endpoint::Finnhub, QStringLiteral("/api/v1/quote"));
    return makeFetcherRequest(
        urlWithQuery(url, {{QStringLiteral("symbol"), symbol}, {QStringLiteral("token"), m_apiKey}}));
}

std::optional<Quote> FinnhubFetcher::parseReply(const QString &symbol, const QByteArray &body) const
{
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    Quote quote = baseQuote(*this, symbol);
    quote.price = finiteJsonDouble(member(root, "c"));
    quote.changePercent = finiteJsonDouble(member(root, "dp"));
    quote.open = finiteJsonDouble(member(root, "o"));
    quote.high = finiteJsonDouble(member(root, "h"));
    quote.low = finiteJsonDouble(member(root, "l"));
    quote.prevClose = finiteJsonDouble(member(root, "pc"));
    if (!validPrice(quote.price))
        return std::nullopt;
    return quote;
}

// ---- Twelve Data --------------------------------------------------------------------------------

TwelveDataFetcher::TwelveDataFetcher(const QString &apiKey) : m_apiKey(apiKey) {}

QString TwelveDataFetcher::name() const
{
    return QStringLiteral("Twelve Data");
}

QNetworkRequest TwelveDataFetcher::buildRequest(const QString &symbol) const
{
    const QUrl url = endpointUrl(Endpoint::TwelveData, QStringLiteral("/quote"));
    return makeFetcherRequest(
        urlWithQuery(url, {{QStringLiteral("symbol"), symbol}, {QStringLiteral("apikey"), m_apiKey}}));
}

std::optional<Quote> TwelveDataFetcher::parseReply(const QString &symbol, const QByteArray &body) const
{
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    // Errors often come with HTTP 200; the reply check catches them first, this is the second guard.
    if (member(root, "status").toString() == QLatin1String("error") || member(root, "code").isDouble())
        return std::nullopt;
    Quote quote = baseQuote(*this, textOr(member(root, "symbol"), symbol));
    quote.price = jsonNumber(member(root, "close"));
    quote.changePercent = jsonNumber(member(root, "percent_change"));
    quote.open = jsonNumber(member(root, "open"));
    quote.high = jsonNumber(member(root, "high"));
    quote.low = jsonNumber(member(root, "low"));
    quote.prevClose = jsonNumber(member(root, "previous_close"));
    quote.volume = jsonNumber(member(root, "volume"));
    if (!validPrice(quote.price))
        return std::nullopt;
    return quote;
}

// ---- Financial Modeling Prep --------------------------------------------------------------------

FinancialModelingPrepFetcher::FinancialModelingPrepFetcher(const QString &apiKey) : m_apiKey(apiKey) {}

QString FinancialModelingPrepFetcher::name() const
{
    return QStringLiteral("Financial Modeling Prep");
}

QNetworkRequest FinancialModelingPrepFetcher::buildRequest(const QString &symbol) const
{
    const std::optional<QString> segment = encodedPathSegment(symbol);
    if (!segment)
        return unsendableRequest();
    const QUrl url = endpointUrl(Endpoint::Fmp, QStringLiteral("/api/v3/quote/") + *segment);
    return makeFetcherRequest(urlWithQuery(url, {{QStringLiteral("apikey"), m_apiKey}}));
}

std::optional<Quote> FinancialModelingPrepFetcher::parseReply(const QString &symbol,
                                                              const QByteArray &body) const
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isArray() || document.array().isEmpty())
        return std::nullopt;
    const QJsonObject first = document.array().first().toObject();
    Quote quote = baseQuote(*this, textOr(member(first, "symbol"), symbol));
    quote.price = jsonNumber(member(first, "price"));
    quote.changePercent = jsonNumber(member(first, "changesPercentage"));
    quote.open = jsonNumber(member(first, "open"));
    quote.high = jsonNumber(member(first, "dayHigh"));
    quote.low = jsonNumber(member(first, "dayLow"));
    quote.prevClose = jsonNumber(member(first, "previousClose"));
    quote.volume = jsonNumber(member(first, "volume"));
    if (!validPrice(quote.price))
        return std::nullopt;
    return quote;
}

// ---- Yahoo --------------------------------------------------------------------------------------

YahooFetcher::YahooFetcher(const QString &interval, const QString &range)
    : m_interval(interval), m_range(range)
{
}

QString YahooFetcher::name() const
{
    return QStringLiteral("Yahoo Public");
}

QNetworkRequest YahooFetcher::buildRequest(const QString &symbol) const
{
    const std::optional<QString> segment = encodedPathSegment(symbol);
    if (!segment)
        return unsendableRequest();
    const QUrl url = endpointUrl(Endpoint::Yahoo, QStringLiteral("/v8/finance/chart/") + *segment);
    return makeFetcherRequest(
        urlWithQuery(url, {{QStringLiteral("range"), m_range},
                           {QStringLiteral("interval"), m_interval},
                           {QStringLiteral("includePrePost"), QStringLiteral("false")}}));
}

std::optional<Quote> YahooFetcher::parseReply(const QString &symbol, const QByteArray &body) const
{
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    const QJsonArray results = member(member(root, "chart").toObject(), "result").toArray();
    if (results.isEmpty())
        return std::nullopt;
    const QJsonObject result = results.first().toObject();
    const QJsonObject meta = member(result, "meta").toObject();
    const QJsonArray quotes = member(member(result, "indicators").toObject(), "quote").toArray();
    if (quotes.isEmpty())
        return std::nullopt;
    const QJsonObject bars = quotes.first().toObject();

    Quote quote = baseQuote(*this, symbol);
    quote.candles = parseYahooCandles(result);
    const QJsonValue marketPrice = member(meta, "regularMarketPrice");
    quote.price = marketPrice.isDouble() ? finiteJsonDouble(marketPrice)
                                         : lastJsonNumber(member(bars, "close").toArray());
    if (!validPrice(quote.price))
        return std::nullopt;

    const QString replyGranularity = textOr(member(meta, "dataGranularity"), QString());
    const bool barsOfDays = dailyOrFiner(replyGranularity.isEmpty() ? m_interval : replyGranularity);
    const qint64 offset = qBound(qint64(-86400), jsonInteger(member(meta, "gmtoffset")), qint64(86400));
    const auto dayOf = [offset](const Candle &bar) { return localDay(candleSeconds(bar.time), offset); };
    const QJsonValue marketTime = member(meta, "regularMarketTime");
    std::optional<qint64> quoteDay;
    if (marketTime.isDouble())
        quoteDay = localDay(jsonInteger(marketTime), offset);
    else if (!quote.candles.isEmpty())
        quoteDay = dayOf(quote.candles.last());

    // The day's open, high, low and volume: with intraday bars the last bar is only its last minutes.
    bool dayFound = false;
    if (barsOfDays && quoteDay) {
        for (const Candle &bar : std::as_const(quote.candles)) {
            if (dayOf(bar) != *quoteDay)
                continue;
            if (!dayFound) {
                quote.open = bar.open;
                quote.high = bar.high;
                quote.low = bar.low;
                quote.volume = bar.volume;
                dayFound = true;
                continue;
            }
            quote.high = std::max(quote.high, bar.high);
            quote.low = std::min(quote.low, bar.low);
            quote.volume += bar.volume;
        }
        if (!std::isfinite(quote.volume))
            quote.volume = 0.0;
    }
    if (!dayFound) {
        quote.open = lastJsonNumber(member(bars, "open").toArray());
        quote.high = lastJsonNumber(member(bars, "high").toArray());
        quote.low = lastJsonNumber(member(bars, "low").toArray());
        quote.volume = lastJsonNumber(member(bars, "volume").toArray());
    }

    quote.prevClose = [&]() -> double {
        const double yahooPrevious = finiteJsonDouble(member(meta, "previousClose"));
        if (yahooPrevious > 0.0)
            return yahooPrevious;
        if (!barsOfDays)
            return 0.0;
        if (quoteDay) {
            for (qsizetype i = quote.candles.size() - 1; i >= 0; --i) {
                if (dayOf(quote.candles.at(i)) < *quoteDay)
                    return quote.candles.at(i).close;
            }
        }
        const QString window = textOr(member(meta, "range"), QString());
        if ((window.isEmpty() ? m_range : window) == QLatin1String("1d"))
            return finiteJsonDouble(member(meta, "chartPreviousClose"));
        return 0.0;
    }();
    // Without a previous close there is no change: 0 would show as a flat day, green.
    quote.changePercent = std::numeric_limits<double>::quiet_NaN();
    if (quote.prevClose > 0.0) {
        const double change = (quote.price - quote.prevClose) / quote.prevClose * 100.0;
        if (std::isfinite(change))
            quote.changePercent = change;
    }
    return quote;
}
