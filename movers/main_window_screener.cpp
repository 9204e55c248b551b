#include "movers/screener_rules.h"
#include "shell/formats.h"
#include "shell/main_window.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"
#include "watchlist/sorting_pause.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QHash>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>

QString MainWindow::assetClassLabel(const QString &assetKey) const
{
    if (assetKey == QLatin1String("br"))
        return localizedText(QStringLiteral("Brazil"), QStringLiteral("Brasil"));
    if (assetKey == QLatin1String("us"))
        return localizedText(QStringLiteral("US"), QStringLiteral("EUA"));
    if (assetKey == QLatin1String("crypto"))
        return QStringLiteral("Crypto");
    if (assetKey == QLatin1String("forex"))
        return QStringLiteral("Forex");
    return localizedText(QStringLiteral("All assets"), QStringLiteral("Todos os ativos"));
}

bool MainWindow::screenerAssetMatches(const QString &symbol) const
{
    return ::screenerAssetMatches(currentScreenerAsset(), assetClassKey(symbol));
}

bool MainWindow::passesMinChange(double changePercent) const
{
    return !screenerMinChangeSpin || ::passesMinChange(changePercent, screenerMinChangeSpin->value());
}

QString MainWindow::trendSignalLabel(double changePercent) const
{
    switch (trendSignalFor(changePercent)) {
    case TrendSignal::StrongUp:
        return localizedText(QStringLiteral("Strong up"), QStringLiteral("Alta forte"));
    case TrendSignal::Up:
        return localizedText(QStringLiteral("Up"), QStringLiteral("Alta"));
    case TrendSignal::StrongDown:
        return localizedText(QStringLiteral("Strong down"), QStringLiteral("Baixa forte"));
    case TrendSignal::Down:
        return localizedText(QStringLiteral("Down"), QStringLiteral("Baixa"));
    case TrendSignal::Flat:
        break;
    }
    return localizedText(QStringLiteral("Flat"), QString::fromUtf8("Estável"));
}

QString MainWindow::marketSourceLabel(const QString &symbol) const
{
    return ::marketSourceLabel(symbol);
}

QString MainWindow::sectorLabel(const QString &symbol) const
{
    const QString sector = sectorBySymbol.value(symbol);
    return sector.isEmpty()
               ? localizedText(QStringLiteral("Unclassified"), QString::fromUtf8("Não classificado"))
               : sector;
}

void MainWindow::setScreenerCell(int row, int column, const QString &text, double number, bool hasNumber,
                                 const QColor &color)
{
    if (!screenerTable)
        return;
    auto *item = new MarketTableItem(text);
    if (hasNumber)
        item->setData(Qt::UserRole, number);
    if (color.isValid())
        item->setForeground(color);
    if (column == 0) {
        static const QFont font = [] {
            QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            fixed.setBold(true);
            return fixed;
        }();
        item->setFont(font);
    }
    screenerTable->setItem(row, column, item);
}

void MainWindow::refreshScreener()
{
    // Every applied quote asks for a rebuild; all that arrive meanwhile share it.
    screenerRebuildCall.request([this] { rebuildScreener(); });
}

namespace {
const QColor kScreenerGreen(0x20, 0xc8, 0x78);
const QColor kScreenerRed(0xf4, 0x5d, 0x5d);

void sortCaseInsensitive(QStringList &symbols)
{
    symbols.removeDuplicates();
    std::sort(symbols.begin(), symbols.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

// The texts, numbers and colours of one row's eight cells.
struct ScreenerCell
{
    QString text;
    double number;
    bool hasNumber;
    QColor color;
};
} // namespace

QString MainWindow::screenerFilterKey() const
{
    // Besides the filters, whatever every listed row shows alike: the language, and the default provider
    // that names the Source of a row known neither from the watchlist nor from the movers (a brapi
    // token moves the B3 symbols off Yahoo). Only whether a token is set is kept, never the token.
    return QStringList{currentScreenerScope(),
                       currentScreenerAsset(),
                       screenerMinChangeSpin ? QString::number(screenerMinChangeSpin->value()) : QString(),
                       screenerFilterEdit ? screenerFilterEdit->text().trimmed() : QString(),
                       settings.language,
                       settings.brapiToken.isEmpty() ? QString() : QStringLiteral("brapi keyed")}
        .join(QLatin1Char('\x1f'));
}

ScreenerRowValues MainWindow::screenerRowValues(const QString &symbol, int quoteRow) const
{
    ScreenerRowValues values;
    const auto snapshot = moverSnapshots.constFind(symbol);
    const bool inSnapshot = snapshot != moverSnapshots.constEnd();
    if (quoteRow >= 0) {
        values.price = tableNumber(quoteRow, QuoteColumnLast, &values.priceKnown);
        values.change = tableNumber(quoteRow, QuoteColumnChange, &values.changeKnown);
    }
    if (!values.priceKnown && inSnapshot) {
        values.price = snapshot->price;
        values.priceKnown = std::isfinite(values.price) && values.price > 0.0;
    }
    if (!values.changeKnown && inSnapshot) {
        values.change = snapshot->changePct;
        values.changeKnown = std::isfinite(values.change);
    }
    const auto candles = candlesBySymbol.constFind(symbol);
    const bool hasCandles = candles != candlesBySymbol.constEnd() && !candles->isEmpty();
    values.volume = hasCandles ? candles->last().volume : inSnapshot ? snapshot->volume : 0.0;
    values.volumeKnown = quoteRow >= 0 || inSnapshot || hasCandles;

    bool hasSourceCell = false;
    if (quoteRow >= 0) {
        if (const QTableWidgetItem *assetItem = quoteTable->item(quoteRow, QuoteColumnAsset))
            values.asset = assetItem->text();
        if (const QTableWidgetItem *sourceItem = quoteTable->item(quoteRow, QuoteColumnSource)) {
            values.source = sourceItem->text();
            hasSourceCell = true;
        }
    }
    if (values.asset.isEmpty())
        values.asset = classifySymbol(symbol);
    if (!hasSourceCell) {
        values.source =
            inSnapshot ? moverSourceLabels.value(symbol, localizedText(QStringLiteral("Movers snapshot"),
                                                                       QStringLiteral("Snapshot oscilações")))
                       : providerDisplayName(symbol, QString());
    }
    return values;
}

bool MainWindow::screenerListsSymbol(const ScreenerRowValues &values) const
{
    // A minimum of 0 lets every row through; any other drops the rows without a known change.
    if (!screenerMinChangeSpin || screenerMinChangeSpin->value() == 0.0)
        return true;
    return values.changeKnown && ::passesMinChange(values.change, screenerMinChangeSpin->value());
}

void MainWindow::writeScreenerRow(int row, const QString &symbol, const ScreenerRowValues &values)
{
    const QColor changeColor = values.changeKnown && values.change < 0.0 ? kScreenerRed : kScreenerGreen;
    setScreenerCell(row, 0, symbol, 0.0, false, QColor());
    setScreenerCell(row, 1, values.asset, 0.0, false, QColor());
    setScreenerCell(row, 2, values.priceKnown ? formatPriceFixed(values.price, 4) : QStringLiteral("--"),
                    values.price, values.priceKnown, QColor());
    setScreenerCell(row, 3,
                    values.changeKnown ? QStringLiteral("%1%").arg(QString::number(values.change, 'f', 2))
                                       : QStringLiteral("--"),
                    values.change, values.changeKnown, changeColor);
    setScreenerCell(row, 4, values.volumeKnown ? formatCompactNumber(values.volume) : QStringLiteral("--"),
                    values.volume, values.volumeKnown, QColor());
    setScreenerCell(row, 5, ::marketSourceLabel(symbol), 0.0, false, QColor());
    setScreenerCell(row, 6, values.source, 0.0, false, QColor());
    setScreenerCell(row, 7,
                    values.changeKnown
                        ? trendSignalLabel(values.change)
                        : localizedText(QStringLiteral("Not loaded"), QString::fromUtf8("Não carregado")),
                    values.change, values.changeKnown, changeColor);
}

void MainWindow::updateScreenerRow(const QString &symbol, const ScreenerRowValues &values)
{
    QTableWidgetItem *anchor = screenerSymbolItems.value(symbol);
    if (!anchor || anchor->tableWidget() != screenerTable)
        return;
    const int row = anchor->row();
    const QColor changeColor = values.changeKnown && values.change < 0.0 ? kScreenerRed : kScreenerGreen;
    const ScreenerCell cells[] = {
        {values.asset, 0.0, false, QColor()},
        {values.priceKnown ? formatPriceFixed(values.price, 4) : QStringLiteral("--"), values.price,
         values.priceKnown, QColor()},
        {values.changeKnown ? QStringLiteral("%1%").arg(QString::number(values.change, 'f', 2))
                            : QStringLiteral("--"),
         values.change, values.changeKnown, changeColor},
        {values.volumeKnown ? formatCompactNumber(values.volume) : QStringLiteral("--"), values.volume,
         values.volumeKnown, QColor()},
        {::marketSourceLabel(symbol), 0.0, false, QColor()},
        {values.source, 0.0, false, QColor()},
        {values.changeKnown ? trendSignalLabel(values.change)
                            : localizedText(QStringLiteral("Not loaded"), QString::fromUtf8("Não carregado")),
         values.change, values.changeKnown, changeColor},
    };
    // Taken before any write: a write to the sort column moves the row.
    QTableWidgetItem *items[7];
    for (int column = 1; column < 8; ++column)
        items[column - 1] = screenerTable->item(row, column);
    for (int column = 1; column < 8; ++column) {
        QTableWidgetItem *item = items[column - 1];
        const ScreenerCell &cell = cells[column - 1];
        if (!item)
            continue;
        if (item->text() != cell.text)
            item->setText(cell.text);
        const QVariant number = cell.hasNumber ? QVariant(cell.number) : QVariant();
        if (item->data(Qt::UserRole) != number)
            item->setData(Qt::UserRole, number);
        if (cell.color.isValid() && item->foreground().color() != cell.color)
            item->setForeground(cell.color);
    }
}

void MainWindow::rebuildScreener()
{
    if (!screenerTable || !quoteTable)
        return;

    // One pass over the quote table instead of one search per listed symbol.
    QHash<QString, int> watchlistRows;
    QStringList watchlistSymbols;
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
        if (!item)
            continue;
        if (!watchlistRows.contains(item->text()))
            watchlistRows.insert(item->text(), row);
        watchlistSymbols.append(item->text());
    }
    const bool universeScope = currentScreenerScope() == QLatin1String("universe");
    const QString filterKey = screenerFilterKey();
    // Compared in a fixed order: a quote that moves rows in a sorted quote table changes no membership.
    QStringList watchlistMembers = watchlistSymbols;
    watchlistMembers.sort();
    bool full = screenerFullRebuild || filterKey != screenerFilterSeen ||
                watchlistMembers != screenerWatchlistSeen ||
                (universeScope && symbolUniverse != screenerUniverseSeen);

    if (!full) {
        // Only the watchlist rows (quotes, candles) and the changed snapshot entries can have moved.
        QSet<QString> candidates = screenerDirtySymbols;
        for (const QString &symbol : watchlistSymbols)
            candidates.insert(symbol);
        const QString filter = screenerFilterEdit ? screenerFilterEdit->text().trimmed() : QString();
        QList<QPair<QString, ScreenerRowValues>> updates;
        for (const QString &symbol : std::as_const(candidates)) {
            const bool listed = screenerShown.contains(symbol);
            if (!listed) {
                const bool inScope =
                    universeScope ? symbolUniverse.contains(symbol) : watchlistRows.contains(symbol);
                if (!inScope || !screenerAssetMatches(symbol) ||
                    (!filter.isEmpty() && !symbol.contains(filter, Qt::CaseInsensitive)))
                    continue;
            }
            const ScreenerRowValues values = screenerRowValues(symbol, watchlistRows.value(symbol, -1));
            if (screenerListsSymbol(values) != listed) {
                full = true; // a row joins or leaves the list
                break;
            }
            if (listed && values != screenerShown.value(symbol))
                updates.append({symbol, values});
        }
        if (!full && !updates.isEmpty()) {
            // Re-sorted once at the end instead of once per row whose sort cell changes; the writes
            // reach their cells through items, so rows cannot move under them meanwhile.
            SortingPause pause(screenerTable);
            for (const auto &[symbol, values] : updates) {
                updateScreenerRow(symbol, values);
                screenerShown.insert(symbol, values);
            }
        }
    }
    if (full) {
        QStringList symbols = universeScope ? symbolUniverse : watchlistSymbols;
        sortCaseInsensitive(symbols);
        rebuildScreenerFromScratch(symbols, watchlistRows);
        screenerWatchlistSeen = watchlistMembers;
        screenerUniverseSeen = symbolUniverse;
        screenerFilterSeen = filterKey;
    }
    screenerDirtySymbols.clear();
    screenerFullRebuild = false;
}

void MainWindow::rebuildScreenerFromScratch(const QStringList &symbols,
                                            const QHash<QString, int> &watchlistRows)
{
    // What the user is looking at survives the rebuild.
    const QTableWidgetItem *current =
        screenerTable->currentRow() >= 0 ? screenerTable->item(screenerTable->currentRow(), 0) : nullptr;
    const QString selectedScreenerSymbol = current ? current->text() : QString();
    const int scrollPosition = screenerTable->verticalScrollBar()->value();
    const QString filter = screenerFilterEdit ? screenerFilterEdit->text().trimmed() : QString();
    const QString assetKey = currentScreenerAsset();

    screenerShown.clear();
    screenerSymbolItems.clear();
    QTableWidgetItem *keep = nullptr;
    {
        SortingPause pause(screenerTable);
        screenerTable->setRowCount(0);
        for (const QString &symbol : symbols) {
            if (!::screenerAssetMatches(assetKey, assetClassKey(symbol)))
                continue;
            if (!filter.isEmpty() && !symbol.contains(filter, Qt::CaseInsensitive))
                continue;
            const ScreenerRowValues values = screenerRowValues(symbol, watchlistRows.value(symbol, -1));
            if (!screenerListsSymbol(values))
                continue;
            const int row = screenerTable->rowCount();
            screenerTable->insertRow(row);
            writeScreenerRow(row, symbol, values);
            screenerShown.insert(symbol, values);
            screenerSymbolItems.insert(symbol, screenerTable->item(row, 0));
            if (symbol == selectedScreenerSymbol)
                keep = screenerTable->item(row, 0);
        }
    } // sorting resumes: rows move with their items
    if (keep)
        screenerTable->setCurrentItem(keep);
    if (scrollPosition > 0) {
        screenerTable->doItemsLayout(); // the scroll range follows the new rows now, not at the next paint
        screenerTable->verticalScrollBar()->setValue(scrollPosition);
    }
}

void MainWindow::activateScreenerRow(int row)
{
    if (!screenerTable || row < 0)
        return;
    const QTableWidgetItem *item = screenerTable->item(row, 0);
    if (!item || !quoteTable)
        return;
    const QString text = item->text();
    int quoteRow = findSymbolRow(text);
    if (quoteRow < 0) {
        addWatchlistRow(text, classifySymbol(text), providerDisplayName(text, QString()),
                        QStringLiteral("pending"), true);
        saveWatchlist();
        refreshSymbolQuote(text);
        quoteRow = findSymbolRow(text);
    }
    if (quoteRow < 0)
        return;
    quoteTable->selectRow(quoteRow);
    refreshChart();
    startBookStream();
    startTradeStream(text);
}
