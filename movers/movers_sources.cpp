#include "movers/movers_sources.h"

#include "app/endpoints.h"
#include "providers/fetchers.h"
#include "providers/json_readers.h"
#include "watchlist/symbol_rules.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
QStringList uniqueSortedCaseInsensitive(QStringList symbols)
{
    symbols.removeDuplicates();
    std::sort(symbols.begin(), symbols.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return symbols;
}

int batchCount(const QStringList &symbols, int size)
{
    return symbols.isEmpty() ? 0 : static_cast<int>((symbols.size() + size - 1) / size);
}

// A JSON number as a double; NaN when missing or of another type, so that the caller drops the entry.
double numberOrNaN(const QJsonValue &value)
{
    return value.isDouble() ? value.toDouble() : std::numeric_limits<double>::quiet_NaN();
}

QNetworkRequest moversRequest(const QUrl &url, bool withAgent, int transferLimitMs)
{
    QNetworkRequest request(url);
    if (withAgent)
        request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kMoversUserAgent));
    // Every batch must finish: a host that never answers is given up after the fetchers' limit.
    request.setTransferTimeout(transferLimitMs);
    return request;
}

// The quote fields brapi and Yahoo share.
MoverEntry quoteEntry(const QString &symbol, const QJsonObject &object)
{
    MoverEntry entry;
    entry.symbol = symbol;
    entry.price = numberOrNaN(object.value(QLatin1String("regularMarketPrice")));
    entry.changePct = numberOrNaN(object.value(QLatin1String("regularMarketChangePercent")));
    entry.volume = finiteJsonDouble(object.value(QLatin1String("regularMarketVolume")));
    return entry;
}

// One quote object of a brapi or Yahoo reply: its sector when it names one, its entry when usable. A
// symbol the watchlist would refuse gives neither.
void addQuoteObject(MoversReply &reply, const QString &symbol, const QJsonObject &object,
                    const QString &sector)
{
    if (!isAcceptableSymbol(symbol, symbol))
        return;
    if (!sector.isEmpty())
        reply.sectors.append({symbol, sector});
    const MoverEntry entry = quoteEntry(symbol, object);
    if (isUsableMover(entry))
        reply.entries.append(entry);
}
} // namespace

QStringList universeB3Symbols(const QStringList &universe)
{
    QStringList out;
    for (const QString &symbol : universe) {
        if (symbol.endsWith(QLatin1String(".SA")))
            out.append(symbol);
    }
    return uniqueSortedCaseInsensitive(out);
}

QStringList universeUsSymbols(const QStringList &universe)
{
    QStringList out;
    for (const QString &symbol : universe) {
        if (symbol.contains(QLatin1Char('.')) || symbol.endsWith(QLatin1String("USDT")) ||
            symbol.endsWith(QLatin1String("BUSD")) || symbol.endsWith(QLatin1String("USDC")))
            continue;
        out.append(symbol);
    }
    return uniqueSortedCaseInsensitive(out);
}

int brapiBatchCount(const QStringList &symbols)
{
    return batchCount(symbols, kBrapiMoversBatch);
}

int yahooBatchCount(const QStringList &symbols)
{
    return batchCount(symbols, kYahooMoversBatch);
}

QList<QStringList> moversChunks(const QStringList &symbols, int size)
{
    QStringList unique = symbols;
    unique.removeDuplicates();
    QList<QStringList> chunks;
    if (size <= 0)
        return chunks;
    for (qsizetype offset = 0; offset < unique.size(); offset += size)
        chunks.append(unique.mid(offset, size));
    return chunks;
}

bool isEligibleUsdtPair(const QString &symbol)
{
    if (!symbol.endsWith(QLatin1String("USDT")))
        return false;
    for (const char *leveraged : {"UPUSDT", "DOWNUSDT", "BULLUSDT", "BEARUSDT"}) {
        if (symbol.contains(QLatin1String(leveraged)))
            return false;
    }
    return true;
}

bool isUsableMover(const MoverEntry &entry)
{
    return isAcceptableSymbol(entry.symbol, entry.symbol) && std::isfinite(entry.price) &&
           entry.price > 0.0 && std::isfinite(entry.changePct);
}

QNetworkRequest brapiMoversRequest(const QStringList &chunk, const QString &token, int transferLimitMs)
{
    QStringList parts;
    for (const QString &symbol : chunk)
        parts.append(QString::fromLatin1(QUrl::toPercentEncoding(symbol)));
    const QString segment = parts.join(QLatin1Char(','));
    // "." and ".." would name another resource (URLs decode "%2E" back to a dot): such a chunk gets an
    // empty URL, which the network layer refuses unsent, and the batch goes on as after a failed reply.
    const bool unsendable = segment == QLatin1String(".") || segment == QLatin1String("..");
    QNetworkRequest request = moversRequest(
        unsendable ? QUrl() : endpointUrl(Endpoint::Brapi, QStringLiteral("/api/quote/") + segment), true,
        transferLimitMs);
    if (!token.isEmpty())
        request.setRawHeader("Authorization", QStringLiteral("Bearer %1").arg(token).toUtf8());
    return request;
}

QNetworkRequest yahooMoversRequest(const QStringList &chunk, int transferLimitMs)
{
    const QUrl url = urlWithQuery(endpointUrl(Endpoint::Yahoo, QStringLiteral("/v7/finance/quote")),
                                  {{QStringLiteral("symbols"), chunk.join(QLatin1Char(','))}});
    return moversRequest(url, true, transferLimitMs);
}

QNetworkRequest alphaTopMoversRequest(const QString &apiKey, int transferLimitMs)
{
    const QUrl url = urlWithQuery(endpointUrl(Endpoint::AlphaVantage, QStringLiteral("/query")),
                                  {{QStringLiteral("function"), QStringLiteral("TOP_GAINERS_LOSERS")},
                                   {QStringLiteral("apikey"), apiKey}});
    return moversRequest(url, true, transferLimitMs);
}

QNetworkRequest binanceMoversRequest(int transferLimitMs)
{
    return moversRequest(endpointUrl(Endpoint::BinanceRest, QStringLiteral("/api/v3/ticker/24hr")), false,
                         transferLimitMs);
}

MoversReply parseBrapiMovers(const QByteArray &body)
{
    MoversReply reply;
    const QJsonArray results =
        QJsonDocument::fromJson(body).object().value(QLatin1String("results")).toArray();
    reply.resultCount = static_cast<int>(results.size());
    for (const QJsonValue &value : results) {
        const QJsonObject object = value.toObject();
        const QString text = object.value(QLatin1String("symbol")).toString();
        if (text.isEmpty())
            continue;
        const QString symbol = text.endsWith(QLatin1String(".SA")) ? text : text + QLatin1String(".SA");
        const QJsonValue ownSector = object.value(QLatin1String("sector"));
        const QString sector = ownSector.isString() ? ownSector.toString()
                                                    : object.value(QLatin1String("summaryProfile"))
                                                          .toObject()
                                                          .value(QLatin1String("sector"))
                                                          .toString();
        addQuoteObject(reply, symbol, object, sector);
    }
    return reply;
}

MoversReply parseYahooMovers(const QByteArray &body)
{
    MoversReply reply;
    const QJsonArray results = QJsonDocument::fromJson(body)
                                   .object()
                                   .value(QLatin1String("quoteResponse"))
                                   .toObject()
                                   .value(QLatin1String("result"))
                                   .toArray();
    reply.resultCount = static_cast<int>(results.size());
    for (const QJsonValue &value : results) {
        const QJsonObject object = value.toObject();
        const QString symbol = object.value(QLatin1String("symbol")).toString();
        if (symbol.isEmpty())
            continue;
        addQuoteObject(reply, symbol, object, object.value(QLatin1String("sector")).toString());
    }
    return reply;
}

QList<MoverEntry> parseAlphaMoversArray(const QJsonArray &array)
{
    QList<MoverEntry> entries;
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        MoverEntry entry;
        entry.symbol = object.value(QLatin1String("ticker")).toString();
        entry.price = decimalFromJsonText(object.value(QLatin1String("price")));
        QString change = object.value(QLatin1String("change_percentage")).toString();
        change.remove(QLatin1Char('%'));
        entry.changePct = decimalFromText(change);
        entry.volume = decimalFromJsonText(object.value(QLatin1String("volume")));
        if (isUsableMover(entry))
            entries.append(entry);
    }
    return entries;
}

QList<MoverEntry> parseAlphaTopMovers(const QByteArray &body)
{
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    QList<MoverEntry> entries = parseAlphaMoversArray(root.value(QLatin1String("top_gainers")).toArray());
    entries.append(parseAlphaMoversArray(root.value(QLatin1String("top_losers")).toArray()));
    return entries;
}

QList<MoverEntry> parseBinanceMovers(const QByteArray &body)
{
    QList<MoverEntry> entries;
    const QJsonArray array = QJsonDocument::fromJson(body).array();
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        MoverEntry entry;
        entry.symbol = object.value(QLatin1String("symbol")).toString();
        if (!isEligibleUsdtPair(entry.symbol))
            continue;
        entry.price = decimalFromJsonText(object.value(QLatin1String("lastPrice")));
        entry.changePct = decimalFromJsonText(object.value(QLatin1String("priceChangePercent")));
        entry.volume = decimalFromJsonText(object.value(QLatin1String("quoteVolume")));
        if (isUsableMover(entry))
            entries.append(entry);
    }
    return entries;
}
