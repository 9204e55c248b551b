#include "settings/config_paths.h"
#include "settings/json_file.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"
#include "watchlist/sorting_pause.h"
#include "watchlist/watchlist_file.h"

#include <QDateTime>
#include <QLineEdit>
#include <QTableWidget>

QString MainWindow::watchlistWritePath() const
{
    return configDir() + QStringLiteral("/watchlists/default.json");
}

QString MainWindow::watchlistReadPath() const
{
    return resolveSettingsPath(QStringLiteral("data/watchlists/default.json"), watchlistWritePath());
}

QJsonObject MainWindow::buildWatchlistJson() const
{
    QList<WatchlistFileEntry> entries;
    if (quoteTable) {
        // Row order is the order the user sees: a sorted table has its rows physically in sort order.
        for (int row = 0; row < quoteTable->rowCount(); ++row) {
            const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
            if (!item)
                continue;
            const QString symbol = item->text();
            entries.append({symbol, assetClassKey(symbol), defaultProviderForSymbol(symbol)});
        }
    }
    return watchlistFileJson(entries);
}

void MainWindow::saveWatchlist()
{
    // A failed write is silent and leaves the previous file whole; the table keeps its rows.
    writeJsonObjectFile(watchlistWritePath(), buildWatchlistJson(), false);
}

void MainWindow::loadWatchlist()
{
    const QString path = watchlistReadPath();
    const JsonFileRead read = readJsonObjectFile(path);
    if (!read.opened) {
        addDefaultWatchlistSymbols();
        saveWatchlist();
        return;
    }
    appendWatchlistEntries(read.object);
    if (quoteTable && quoteTable->rowCount() > 0)
        return;
    // The defaults replace the file below. When the file held something that gave no row, keep it aside
    // first: it may be a damaged copy of the user's list or a form this version cannot read.
    const bool unusable = !read.parsed || !read.object.value(QStringLiteral("symbols")).toArray().isEmpty();
    if (unusable && !read.content.trimmed().isEmpty()) {
        const QString copy = preserveUnreadableFile(path, read.content, QDateTime::currentDateTime(), false);
        if (copy.isEmpty())
            appendEventLog(localizedText(
                QStringLiteral("Watchlist file %1 could not be read, nor copied aside").arg(path),
                QString::fromUtf8("Não foi possível ler a lista %1, nem guardar uma cópia").arg(path)));
        else
            appendEventLog(localizedText(
                QStringLiteral("Watchlist file %1 could not be read; a copy was kept at %2").arg(path, copy),
                QString::fromUtf8("Não foi possível ler a lista %1; uma cópia foi mantida em %2")
                    .arg(path, copy)));
    }
    addDefaultWatchlistSymbols();
    saveWatchlist();
}

int MainWindow::appendWatchlistEntries(const QJsonObject &object)
{
    int added = 0;
    for (const WatchlistFileEntry &entry : watchlistEntriesFromJson(object)) {
        const QString symbol = normalizeSymbol(entry.symbol);
        if (symbol.isEmpty() || findSymbolRow(symbol) >= 0)
            continue;
        addWatchlistRow(symbol, classifySymbol(symbol), providerDisplayName(symbol, entry.provider),
                        QStringLiteral("pending"), false);
        ++added;
    }
    return added;
}

void MainWindow::addDefaultWatchlistSymbols()
{
    for (const QString &symbol : defaultWatchlistSymbols())
        addWatchlistRow(symbol, classifySymbol(symbol), providerDisplayName(symbol, QString()),
                        QStringLiteral("pending"), false);
}

void MainWindow::applyWatchlistJson(const QJsonObject &object)
{
    if (!quoteTable)
        return;
    quoteTable->setRowCount(0);
    if (appendWatchlistEntries(object) == 0)
        addDefaultWatchlistSymbols();
    saveWatchlist();
    refreshAllQuotes();
}

void MainWindow::addWatchlistRow(const QString &symbol, const QString &asset, const QString &source,
                                 const QString &status, bool select)
{
    if (!quoteTable)
        return;
    {
        const SortingPause pause(quoteTable);
        const int row = quoteTable->rowCount();
        quoteTable->insertRow(row);
        const QString none = QStringLiteral("--");
        setQuoteCell(row, QuoteColumnSymbol, symbol);
        setQuoteCell(row, QuoteColumnAsset, asset);
        for (int column = QuoteColumnOpen; column <= QuoteColumnMacd; ++column)
            setQuoteCell(row, column, none);
        setQuoteCell(row, QuoteColumnSource, source);
        setQuoteCell(row, QuoteColumnLatency, none);
        setQuoteCell(row, QuoteColumnStatus, status);
        setQuoteCell(row, QuoteColumnUpdated,
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    // Sorting is back on: the new row may have moved.
    if (select) {
        const int at = findSymbolRow(symbol);
        if (at >= 0)
            quoteTable->selectRow(at);
    }
}

void MainWindow::addSymbolFromInput()
{
    if (!symbolInput)
        return;
    const QString symbol = normalizeSymbol(symbolInput->text());
    if (symbol.isEmpty() || findSymbolRow(symbol) >= 0)
        return;
    const QString asset = classifySymbol(symbol);
    const QString source =
        asset == QLatin1String("Crypto") ? QStringLiteral("Binance WS") : QStringLiteral("Yahoo");
    addWatchlistRow(symbol, asset, source, QStringLiteral("pending"), true);
    symbolInput->clear();
    saveWatchlist();
    refreshScreener();
    refreshSymbolQuote(symbol);
}

void MainWindow::onAddSymbolClicked()
{
    addSymbolFromInput();
}
