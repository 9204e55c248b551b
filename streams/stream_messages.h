#pragma once

#include "streams/book_model.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// Readers of the stream frames and replies. Each takes the raw text as it arrived and never fails:
// whatever it cannot use gives an empty symbol, which the handlers treat as "ignore".

// The "data" object of a Binance combined-stream envelope, empty when the text is not a JSON object.
QJsonObject binanceEnvelopeData(const QByteArray &text, QString *streamName = nullptr);

// A trade of the "@trade" stream.
struct BinanceTrade
{
    QString symbol;          // "s"; empty when absent
    double price = 0.0;      // "p"; 0 when absent or not a number
    double quantity = 0.0;   // "q"; not a number when absent or not a number
    qint64 timeMs = 0;       // "T"
    bool hasTime = false;    // "T" present as a number of at least one millisecond
    bool buyerMaker = false; // "m"; a trade whose buyer was the maker is a sell
};
BinanceTrade parseBinanceTrade(const QByteArray &text);

// A ticker of the "@ticker" stream.
struct BinanceTicker
{
    QString symbol;
    double price = 0.0;         // "c"; 0 when absent or not a number
    double changePercent = 0.0; // "P"; not a number when absent or not a number
};
BinanceTicker parseBinanceTicker(const QByteArray &text);

// A partial-depth message. Real "@depth20" frames carry no "s": the symbol is then the stream name
// up to its first "@", upper-cased. Each side is "asks"/"bids", or "a"/"b" when that one is empty.
struct BinanceDepth
{
    QString symbol;
    QJsonArray bids;
    QJsonArray asks;
};
BinanceDepth parseBinanceDepth(const QByteArray &text);
// The two sides of a depth object (a stream's "data" or the REST reply), with the "a"/"b" fallback.
void depthSides(const QJsonObject &depth, QJsonArray *bids, QJsonArray *asks);

// A message of the iTick stream: its "type", and "data" with its "s".
struct ItickMessage
{
    QString type;
    QString symbol;
    QJsonObject data;
};
ItickMessage parseItickMessage(const QByteArray &text);
// At most five levels with a price above 0, in the order received; a missing "po" is the number of
// levels kept so far plus 1.
QList<BookLevel> parseItickSide(const QJsonArray &levels);
// A depth message's snapshot: sides from "b" and "a", best prices, spread, the Level 2 flag.
BookSnapshot itickSnapshot(const QJsonObject &data);

// Outgoing iTick messages: compact JSON, keys in alphabetical order.
QByteArray itickAuthMessage(const QString &key);
QByteArray itickSubscribeMessage(const QString &symbol);
QByteArray itickPingMessage(qint64 nowMs);

// The stream name of a symbol with a suffix ("btcusdt@ticker"), or empty when the lower-cased symbol
// is not made of [a-z0-9] only: such a name could not travel in the address as it is.
QString binanceStreamName(const QString &symbol, const QString &suffix);
