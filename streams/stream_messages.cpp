#include "streams/stream_messages.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kItickLevels = 5;

QJsonObject objectOf(const QByteArray &text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text);
    return document.isObject() ? document.object() : QJsonObject();
}

// A Binance number travels as a string; anything else, or text that is no finite number, gives `fallback`.
double stringNumber(const QJsonValue &value, double fallback)
{
    if (!value.isString())
        return fallback;
    bool ok = false;
    const double number = value.toString().toDouble(&ok);
    return ok && std::isfinite(number) ? number : fallback;
}

// iTick sends plain JSON numbers; a string holding a number is accepted as well.
double itickNumber(const QJsonValue &value)
{
    if (value.isDouble())
        return std::isfinite(value.toDouble()) ? value.toDouble() : 0.0;
    return stringNumber(value, 0.0);
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
} // namespace

QJsonObject binanceEnvelopeData(const QByteArray &text, QString *streamName)
{
    const QJsonObject envelope = objectOf(text);
    if (streamName)
        *streamName = envelope.value(QLatin1String("stream")).toString();
    return envelope.value(QLatin1String("data")).toObject();
}

BinanceTrade parseBinanceTrade(const QByteArray &text)
{
    const QJsonObject data = binanceEnvelopeData(text);
    BinanceTrade trade;
    trade.symbol = data.value(QLatin1String("s")).toString();
    trade.price = stringNumber(data.value(QLatin1String("p")), 0.0);
    trade.quantity = stringNumber(data.value(QLatin1String("q")), kNaN);
    const QJsonValue time = data.value(QLatin1String("T"));
    // At least one whole millisecond: a fraction would truncate to the epoch itself.
    if (time.isDouble() && std::isfinite(time.toDouble()) && time.toDouble() >= 1.0 &&
        time.toDouble() < 9.0e15) {
        trade.timeMs = static_cast<qint64>(time.toDouble());
        trade.hasTime = true;
    }
    trade.buyerMaker = data.value(QLatin1String("m")).toBool(false);
    return trade;
}

BinanceTicker parseBinanceTicker(const QByteArray &text)
{
    const QJsonObject data = binanceEnvelopeData(text);
    BinanceTicker ticker;
    ticker.symbol = data.value(QLatin1String("s")).toString();
    ticker.price = stringNumber(data.value(QLatin1String("c")), 0.0);
    ticker.changePercent = stringNumber(data.value(QLatin1String("P")), kNaN);
    return ticker;
}

void depthSides(const QJsonObject &depth, QJsonArray *bids, QJsonArray *asks)
{
    *asks = depth.value(QLatin1String("asks")).toArray();
    if (asks->isEmpty())
        *asks = depth.value(QLatin1String("a")).toArray();
    *bids = depth.value(QLatin1String("bids")).toArray();
    if (bids->isEmpty())
        *bids = depth.value(QLatin1String("b")).toArray();
}

BinanceDepth parseBinanceDepth(const QByteArray &text)
{
    QString stream;
    const QJsonObject data = binanceEnvelopeData(text, &stream);
    BinanceDepth depth;
    if (data.isEmpty())
        return depth;
    const QJsonValue symbol = data.value(QLatin1String("s"));
    if (symbol.isUndefined()) {
        const qsizetype at = stream.indexOf(QLatin1Char('@'));
        depth.symbol = at > 0 ? stream.left(at).toUpper() : QString();
    } else {
        depth.symbol = symbol.toString();
    }
    depthSides(data, &depth.bids, &depth.asks);
    return depth;
}

ItickMessage parseItickMessage(const QByteArray &text)
{
    const QJsonObject object = objectOf(text);
    ItickMessage message;
    message.type = object.value(QLatin1String("type")).toString();
    message.data = object.value(QLatin1String("data")).toObject();
    message.symbol = message.data.value(QLatin1String("s")).toString();
    return message;
}

QList<BookLevel> parseItickSide(const QJsonArray &levels)
{
    QList<BookLevel> out;
    for (const QJsonValue &value : levels) {
        if (out.size() >= kItickLevels)
            break;
        const QJsonObject level = value.toObject();
        BookLevel parsed;
        parsed.price = itickNumber(level.value(QLatin1String("p")));
        parsed.size = itickNumber(level.value(QLatin1String("v")));
        const QJsonValue position = level.value(QLatin1String("po"));
        parsed.position = position.isUndefined() ? static_cast<int>(out.size()) + 1 : position.toInt();
        if (parsed.price > 0.0)
            out.append(parsed);
    }
    return out;
}

BookSnapshot itickSnapshot(const QJsonObject &data)
{
    BookSnapshot snapshot;
    snapshot.bids = parseItickSide(data.value(QLatin1String("b")).toArray());
    snapshot.asks = parseItickSide(data.value(QLatin1String("a")).toArray());
    snapshot.bestBid = snapshot.bids.isEmpty() ? 0.0 : snapshot.bids.first().price;
    snapshot.bestAsk = snapshot.asks.isEmpty() ? 0.0 : snapshot.asks.first().price;
    snapshot.spread =
        snapshot.bestBid > 0.0 && snapshot.bestAsk > 0.0 ? snapshot.bestAsk - snapshot.bestBid : 0.0;
    snapshot.level2 = true;
    return snapshot;
}

QByteArray itickAuthMessage(const QString &key)
{
    return compact({{QStringLiteral("ac"), QStringLiteral("auth")}, {QStringLiteral("token"), key}});
}

QByteArray itickSubscribeMessage(const QString &symbol)
{
    return compact({{QStringLiteral("ac"), QStringLiteral("subscribe")},
                    {QStringLiteral("params"), QStringLiteral("%1$US").arg(symbol)},
                    {QStringLiteral("types"), QStringLiteral("depth,quote")}});
}

QByteArray itickPingMessage(qint64 nowMs)
{
    return compact(
        {{QStringLiteral("ac"), QStringLiteral("ping")}, {QStringLiteral("params"), QString::number(nowMs)}});
}

QString binanceStreamName(const QString &symbol, const QString &suffix)
{
    const QString lower = symbol.toLower();
    if (lower.isEmpty())
        return QString();
    for (const QChar c : lower) {
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9'))))
            return QString();
    }
    return lower + suffix;
}
