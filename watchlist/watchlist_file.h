#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// One row of the watchlist file: the symbol, its asset class key ("equity_br", "crypto", "forex",
// "equity_us") and its default provider key.
struct WatchlistFileEntry
{
    QString symbol;
    QString assetClass;
    QString provider;
};

// A row about to be added to the quote table: the canonical symbol, its asset class as shown ("US Equity")
// and the text of its Source cell.
struct WatchlistRow
{
    QString symbol;
    QString asset;
    QString source;
};

// The file's object: "name" "Default" and the rows under "symbols", in the order given.
QJsonObject watchlistFileJson(const QList<WatchlistFileEntry> &entries);

// The entries of a file's "symbols" array, in file order, as written: "symbol" and "provider" as strings
// ("" when missing or not strings), "asset_class" left empty since it is never read back. A missing
// array, and elements that are not objects, give entries with an empty symbol.
QList<WatchlistFileEntry> watchlistEntriesFromJson(const QJsonObject &object);

// The seven symbols a new or emptied watchlist starts with, in table order.
QStringList defaultWatchlistSymbols();
