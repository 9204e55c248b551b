#include "settings/config_paths.h"
#include "settings/json_file.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"
#include "watchlist/sorting_pause.h"
#include "watchlist/symbol_rules.h"
#include "watchlist/watchlist_file.h"

#include <QDateTime>
#include <QLineEdit>
#include <QSet>
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
    if (!protectWatchlistFile)
        writeJsonObjectFile(watchlistWritePath(), buildWatchlistJson(), false);
}

void MainWindow::loadWatchlist()
{
    const QString path = watchlistReadPath();
    const JsonFileRead read = readJsonObjectFile(path);
    const QString englishName = QStringLiteral("Watchlist file");
    const QString portugueseName = QStringLiteral("arquivo da lista");
    // A legacy file is never written, so only the file at the write path needs keeping from the saves.
    const bool written = path == watchlistWritePath();
    if (!read.opened) {
        // Something that exists but cannot be opened (its permissions) would be replaced by the defaults.
        if (read.exists && written)
            protectWatchlistFile = !keepUnusableFileAside(path, read, englishName, portugueseName, {}, false);
        addDefaultWatchlistSymbols();
        saveWatchlist();
        return;
    }
    int refused = 0;
    appendWatchlistEntries(read.object, &refused);
    if (quoteTable && quoteTable->rowCount() > 0) {
        // The next save writes the list without the refused entries: keep the file as it was first.
        if (refused > 0 &&
            !keepUnusableFileAside(path, read, englishName, portugueseName, {QStringLiteral("symbols")},
                                   false) &&
            written)
            protectWatchlistFile = true;
        return;
    }
    // The defaults replace the file below. When the file held something that gave no row, keep it aside
    // first: it may be a damaged copy of the user's list or a form this version cannot read.
    const QJsonValue symbols = read.object.value(QStringLiteral("symbols"));
    const bool mistyped = read.parsed && !symbols.isUndefined() && !symbols.isNull() && !symbols.isArray();
    const bool unusable = !read.parsed || mistyped || !symbols.toArray().isEmpty();
    if (unusable && !read.content.trimmed().isEmpty()) {
        const QStringList mistypedKeys = mistyped ? QStringList{QStringLiteral("symbols")} : QStringList();
        if (!keepUnusableFileAside(path, read, englishName, portugueseName, mistypedKeys, false) && written)
            protectWatchlistFile = true;
    }
    addDefaultWatchlistSymbols();
    saveWatchlist();
}

int MainWindow::appendWatchlistEntries(const QJsonObject &object, int *refusedCount)
{
    if (!quoteTable)
        return 0;
    QSet<QString> present;
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        if (const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol))
            present.insert(item->text());
    }
    QList<WatchlistRow> accepted;
    int refused = 0;
    for (const WatchlistFileEntry &entry : watchlistEntriesFromJson(object)) {
        const QString symbol = normalizeSymbol(entry.symbol);
        if (symbol.isEmpty() || present.contains(symbol))
            continue;
        if (!isAcceptableSymbol(entry.symbol, symbol)) {
            ++refused;
            continue;
        }
        present.insert(symbol);
        accepted.append({symbol, classifySymbol(symbol), providerDisplayName(symbol, entry.provider)});
    }
    if (refusedCount)
        *refusedCount = refused;
    if (refused > 0)
        appendEventLog(localizedText(
            QStringLiteral("%1 watchlist entries skipped: a control or format character, or longer than %2 "
                           "characters")
                .arg(refused)
                .arg(kMaxSymbolLength),
            QString::fromUtf8("%1 entradas da lista ignoradas: um caractere de controle ou de formatação, ou "
                              "mais de %2 caracteres")
                .arg(refused)
                .arg(kMaxSymbolLength)));
    appendWatchlistRows(accepted);
    return accepted.size();
}

void MainWindow::appendWatchlistRows(const QList<WatchlistRow> &rows)
{
    if (!quoteTable || rows.isEmpty())
        return;
    // One pause and one resize for the whole batch: per row, each resumed sort re-sorts the whole table
    // and each insertion moves every row below it, which made a long list load in quadratic time.
    const SortingPause pause(quoteTable);
    const int first = quoteTable->rowCount();
    quoteTable->setRowCount(first + rows.size());
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (int i = 0; i < rows.size(); ++i) {
        const WatchlistRow &entry = rows.at(i);
        writeNewWatchlistRow(first + i, entry.symbol, entry.asset, entry.source, QStringLiteral("pending"),
                             now);
    }
}

void MainWindow::writeNewWatchlistRow(int row, const QString &symbol, const QString &asset,
                                      const QString &source, const QString &status, const QString &updated)
{
    const QString none = QStringLiteral("--");
    setQuoteCell(row, QuoteColumnSymbol, symbol);
    setQuoteCell(row, QuoteColumnAsset, asset);
    for (int column = QuoteColumnOpen; column <= QuoteColumnMacd; ++column)
        setQuoteCell(row, column, none);
    setQuoteCell(row, QuoteColumnSource, source);
    setQuoteCell(row, QuoteColumnLatency, none);
    setQuoteCell(row, QuoteColumnStatus, status);
    setQuoteCell(row, QuoteColumnUpdated, updated);
}

void MainWindow::addDefaultWatchlistSymbols()
{
    QList<WatchlistRow> rows;
    for (const QString &symbol : defaultWatchlistSymbols())
        rows.append({symbol, classifySymbol(symbol), providerDisplayName(symbol, QString())});
    appendWatchlistRows(rows);
}

void MainWindow::applyWatchlistJson(const QJsonObject &object)
{
    if (!quoteTable)
        return;
    QStringList before;
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        if (const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol))
            before << item->text();
    }
    quoteTable->setRowCount(0);
    if (appendWatchlistEntries(object) == 0)
        addDefaultWatchlistSymbols();
    // The symbols that left stop being fetched; their candles stay, as for the others.
    QSet<QString> after;
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        if (const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol))
            after.insert(item->text());
    }
    for (const QString &symbol : std::as_const(before)) {
        if (!after.contains(symbol))
            forgetSymbolRequests(symbol);
    }
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
        writeNewWatchlistRow(row, symbol, asset, source, status,
                             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    // Sorting is back on: the new row may have moved.
    if (select) {
        const int at = findSymbolRow(symbol);
        if (at >= 0)
            quoteTable->selectRow(at);
    }
}

void MainWindow::logRefusedSymbol()
{
    // The text itself is not shown: it may be anything up to the box's limit.
    appendEventLog(localizedText(
        QStringLiteral("Symbol refused: it holds a control or format character, or is longer than %1 "
                       "characters")
            .arg(kMaxSymbolLength),
        QString::fromUtf8("Símbolo recusado: contém um caractere de controle ou de formatação, ou tem mais "
                          "de %1 caracteres")
            .arg(kMaxSymbolLength)));
}

void MainWindow::addSymbolFromInput()
{
    if (!symbolInput)
        return;
    const QString text = symbolInput->text();
    const QString symbol = normalizeSymbol(text);
    if (symbol.isEmpty() || findSymbolRow(symbol) >= 0)
        return;
    if (!isAcceptableSymbol(text, symbol)) {
        logRefusedSymbol();
        return;
    }
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
