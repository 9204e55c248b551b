#pragma once

#include "movers/mover_entry.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QNetworkRequest>
#include <QPair>
#include <QString>
#include <QStringList>

// Which symbols the movers scopes cover, how they are cut into requests, the requests themselves and
// the readers of the four movers replies. Nothing here needs a window.

inline constexpr int kBrapiMoversBatch = 20;
inline constexpr int kYahooMoversBatch = 80;
inline constexpr const char kMoversUserAgent[] = "MURVEX_TERMINAL/0.1 Qt";

// The universe symbols ending in ".SA", without duplicates, sorted case-insensitively.
QStringList universeB3Symbols(const QStringList &universe);
// The universe symbols with no "." that do not end in "USDT", "BUSD" or "USDC" (forex "=X" codes
// included), without duplicates, sorted case-insensitively.
QStringList universeUsSymbols(const QStringList &universe);

int brapiBatchCount(const QStringList &symbols); // 0 for none, else ceil(n / 20)
int yahooBatchCount(const QStringList &symbols); // 0 for none, else ceil(n / 80)

// The symbols without duplicates (first occurrence kept) cut into chunks of `size`.
QList<QStringList> moversChunks(const QStringList &symbols, int size);

// A USDT pair that is not a leveraged token: ends in "USDT" and contains none of "UPUSDT",
// "DOWNUSDT", "BULLUSDT", "BEARUSDT" (tested by containment, all case-sensitive).
bool isEligibleUsdtPair(const QString &symbol);

// A mover worth ranking: a symbol the watchlist accepts (isAcceptableSymbol: a double-click adds it, and a
// right-to-left override would make a tile show another symbol than it holds), a finite price above 0
// (halted pairs report 0, unreadable texts read as 0) and a finite change. NaN changes would break every
// comparator's ordering.
bool isUsableMover(const MoverEntry &entry);

// brapi "/api/quote/<symbols>": each symbol percent-encoded on its own and the commas kept, so no symbol
// can add a path segment or a query. The bearer header only when `token` is not empty.
QNetworkRequest brapiMoversRequest(const QStringList &chunk, const QString &token, int transferLimitMs);
// Yahoo "/v7/finance/quote?symbols=<a,b,...>".
QNetworkRequest yahooMoversRequest(const QStringList &chunk, int transferLimitMs);
// Alpha Vantage "/query?function=TOP_GAINERS_LOSERS&apikey=<key>". The URL carries the key: never log it.
QNetworkRequest alphaTopMoversRequest(const QString &apiKey, int transferLimitMs);
// Binance "/api/v3/ticker/24hr" with no query and no extra header.
QNetworkRequest binanceMoversRequest(int transferLimitMs);

// What one brapi or Yahoo reply gave: the usable entries, the sectors it named for acceptable symbols
// (symbol, sector) and the size of its result array (a keyed brapi reply with no results at all is
// retried without the key).
struct MoversReply
{
    QList<MoverEntry> entries;
    QList<QPair<QString, QString>> sectors;
    int resultCount = 0;
};

// brapi {"results": [...]}: symbols gain ".SA" unless they carry it; the sector from "sector", else from
// "summaryProfile"."sector".
MoversReply parseBrapiMovers(const QByteArray &body);
// Yahoo {"quoteResponse": {"result": [...]}}: symbols unchanged; the sector from "sector" only.
MoversReply parseYahooMovers(const QByteArray &body);
// One Alpha Vantage list ("top_gainers" or "top_losers"): texts read as C-locale numbers, "%" dropped.
QList<MoverEntry> parseAlphaMoversArray(const QJsonArray &array);
// Both Alpha Vantage lists of a TOP_GAINERS_LOSERS body, gainers first.
QList<MoverEntry> parseAlphaTopMovers(const QByteArray &body);
// The Binance 24-hour ticker array: eligible USDT pairs, volume = "quoteVolume".
QList<MoverEntry> parseBinanceMovers(const QByteArray &body);
