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
    // Every applied quote asks for a rebuild; all that arrive in one turn share it.
    if (screenerRebuildQueued)
        return;
    screenerRebuildQueued = true;
    QTimer::singleShot(0, this, [this] {
        screenerRebuildQueued = false;
        rebuildScreener();
    });
}

void MainWindow::rebuildScreener()
{
    if (!screenerTable || !quoteTable)
        return;

    // What the user is looking at survives the rebuild.
    const QTableWidgetItem *current =
        screenerTable->currentRow() >= 0 ? screenerTable->item(screenerTable->currentRow(), 0) : nullptr;
    const QString selectedScreenerSymbol = current ? current->text() : QString();
    const int scrollPosition = screenerTable->verticalScrollBar()->value();

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

    QStringList symbols =
        currentScreenerScope() == QLatin1String("universe") ? symbolUniverse : watchlistSymbols;
    symbols.removeDuplicates();
    std::sort(symbols.begin(), symbols.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    const QString filter = screenerFilterEdit ? screenerFilterEdit->text().trimmed() : QString();
    const QString assetKey = currentScreenerAsset();
    const double minimum = screenerMinChangeSpin ? screenerMinChangeSpin->value() : 0.0;
    const bool minimumActive = screenerMinChangeSpin && minimum != 0.0;
    const QColor green(0x20, 0xc8, 0x78);
    const QColor red(0xf4, 0x5d, 0x5d);
    const QString notLoaded = localizedText(QStringLiteral("Not loaded"), QString::fromUtf8("Não carregado"));
    const QString snapshotLabel =
        localizedText(QStringLiteral("Movers snapshot"), QStringLiteral("Snapshot oscilações"));

    QTableWidgetItem *keep = nullptr;
    {
        SortingPause pause(screenerTable);
        screenerTable->setRowCount(0);
        for (const QString &symbol : symbols) {
            if (!::screenerAssetMatches(assetKey, assetClassKey(symbol)))
                continue;
            if (!filter.isEmpty() && !symbol.contains(filter, Qt::CaseInsensitive))
                continue;

            const int quoteRow = watchlistRows.value(symbol, -1);
            const auto snapshot = moverSnapshots.constFind(symbol);
            const bool inSnapshot = snapshot != moverSnapshots.constEnd();
            double price = 0.0;
            double change = 0.0;
            bool priceKnown = false;
            bool changeKnown = false;
            if (quoteRow >= 0) {
                price = tableNumber(quoteRow, QuoteColumnLast, &priceKnown);
                change = tableNumber(quoteRow, QuoteColumnChange, &changeKnown);
            }
            if (!priceKnown && inSnapshot) {
                price = snapshot->price;
                priceKnown = std::isfinite(price) && price > 0.0;
            }
            if (!changeKnown && inSnapshot) {
                change = snapshot->changePct;
                changeKnown = std::isfinite(change);
            }
            const auto candles = candlesBySymbol.constFind(symbol);
            const bool hasCandles = candles != candlesBySymbol.constEnd() && !candles->isEmpty();
            const double volume = hasCandles ? candles->last().volume : inSnapshot ? snapshot->volume : 0.0;
            const bool volumeKnown = quoteRow >= 0 || inSnapshot;

            if (minimumActive && !(changeKnown && ::passesMinChange(change, minimum)))
                continue;

            QString asset;
            QString source;
            if (quoteRow >= 0) {
                if (const QTableWidgetItem *assetItem = quoteTable->item(quoteRow, QuoteColumnAsset))
                    asset = assetItem->text();
                if (const QTableWidgetItem *sourceItem = quoteTable->item(quoteRow, QuoteColumnSource))
                    source = sourceItem->text();
            }
            if (asset.isEmpty())
                asset = classifySymbol(symbol);
            if (source.isEmpty() && !(quoteRow >= 0 && quoteTable->item(quoteRow, QuoteColumnSource))) {
                source = inSnapshot ? moverSourceLabels.value(symbol, snapshotLabel)
                                    : providerDisplayName(symbol, QString());
            }

            const QColor changeColor = changeKnown && change < 0.0 ? red : green;
            const int row = screenerTable->rowCount();
            screenerTable->insertRow(row);
            setScreenerCell(row, 0, symbol, 0.0, false, QColor());
            setScreenerCell(row, 1, asset, 0.0, false, QColor());
            setScreenerCell(row, 2, priceKnown ? QString::number(price, 'f', 4) : QStringLiteral("--"), price,
                            priceKnown, QColor());
            setScreenerCell(row, 3,
                            changeKnown ? QStringLiteral("%1%").arg(QString::number(change, 'f', 2))
                                        : QStringLiteral("--"),
                            change, changeKnown, changeColor);
            setScreenerCell(row, 4,
                            volumeKnown || hasCandles ? formatCompactNumber(volume) : QStringLiteral("--"),
                            volume, volumeKnown || hasCandles, QColor());
            setScreenerCell(row, 5, ::marketSourceLabel(symbol), 0.0, false, QColor());
            setScreenerCell(row, 6, source, 0.0, false, QColor());
            setScreenerCell(row, 7, changeKnown ? trendSignalLabel(change) : notLoaded, change, changeKnown,
                            changeColor);
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
