#include "watchlist/watchlist_file.h"

#include <QJsonArray>

QJsonObject watchlistFileJson(const QList<WatchlistFileEntry> &entries)
{
    QJsonArray symbols;
    for (const WatchlistFileEntry &entry : entries) {
        QJsonObject item;
        item.insert(QStringLiteral("symbol"), entry.symbol);
        item.insert(QStringLiteral("asset_class"), entry.assetClass);
        item.insert(QStringLiteral("provider"), entry.provider);
        symbols.append(item);
    }
    QJsonObject object;
    object.insert(QStringLiteral("name"), QStringLiteral("Default"));
    object.insert(QStringLiteral("symbols"), symbols);
    return object;
}

QList<WatchlistFileEntry> watchlistEntriesFromJson(const QJsonObject &object)
{
    QList<WatchlistFileEntry> entries;
    const QJsonArray symbols = object.value(QStringLiteral("symbols")).toArray();
    for (const QJsonValue &value : symbols) {
        const QJsonObject item = value.toObject();
        WatchlistFileEntry entry;
        entry.symbol = item.value(QStringLiteral("symbol")).toString();
        entry.provider = item.value(QStringLiteral("provider")).toString();
        entries.append(entry);
    }
    return entries;
}

QStringList defaultWatchlistSymbols()
{
    return {QStringLiteral("PETR4.SA"), QStringLiteral("VALE3.SA"), QStringLiteral("AAPL"),
            QStringLiteral("NVDA"),     QStringLiteral("BTCUSDT"),  QStringLiteral("ETHUSDT"),
            QStringLiteral("BRL=X")};
}
