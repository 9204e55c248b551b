#include "chart/price_chart.h"
#include "shell/formats.h"
#include "shell/main_window.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"
#include "watchlist/quote_display.h"
#include "watchlist/sorting_pause.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

int MainWindow::findSymbolRow(const QString &symbol) const
{
    if (!quoteTable)
        return -1;
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
        if (item && item->text() == symbol)
            return row;
    }
    return -1;
}

QString MainWindow::selectedSymbol() const
{
    if (!quoteTable)
        return QString();
    const int row = quoteTable->currentRow();
    if (row < 0)
        return QString();
    const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
    return item ? item->text() : QString();
}

void MainWindow::moveWatchlistRow(int from, int to)
{
    if (!quoteTable)
        return;
    const int rows = quoteTable->rowCount();
    if (from < 0 || from >= rows || to < 0 || to >= rows || from == to)
        return;
    // Once the user orders rows by hand, a header click must not undo that order.
    quoteTable->setSortingEnabled(false);
    const int columns = quoteTable->columnCount();
    QList<QTableWidgetItem *> items;
    items.reserve(columns);
    for (int column = 0; column < columns; ++column)
        items.append(quoteTable->takeItem(from, column));
    quoteTable->removeRow(from);
    quoteTable->insertRow(to);
    for (int column = 0; column < columns; ++column) {
        if (items.at(column))
            quoteTable->setItem(to, column, items.at(column));
    }
    quoteTable->selectRow(to);
    saveWatchlist();
    refreshScreener();
    refreshChart();
    startBookStream();
    appendEventLog(
        localizedText(QStringLiteral("Watchlist row moved"), QStringLiteral("Linha da lista movida")));
}

void MainWindow::removeSelectedSymbol()
{
    if (!quoteTable)
        return;
    const int row = quoteTable->currentRow();
    if (row < 0)
        return;
    const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
    if (!item)
        return;
    const QString symbol = item->text();
    forgetSymbolRequests(symbol);
    candlesBySymbol.remove(symbol);
    candleTimeframeBySymbol.remove(symbol);
    quoteTable->removeRow(row);
    if (symbol == bookSymbol) {
        bookSymbol.clear();
        closeStream(depthSocket, depthLink);
        resetBookPanel(orderBookTitle(QString(), QString()));
    }
    startTickerStream();
    startBookStream();
    refreshChart();
    saveWatchlist();
    refreshScreener();
}

bool MainWindow::handleQuoteTableKey(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace)
        return false;
    removeSelectedSymbol();
    return true;
}

bool MainWindow::handleQuoteTableMouse(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const QPointF position = event->position();
    if (event->type() == QEvent::MouseButtonPress) {
        dragSourceRow = quoteTable->rowAt(static_cast<int>(position.y()));
        dragPressPos = position.toPoint();
        return false; // the press still selects the row as usual
    }
    const int from = dragSourceRow;
    dragSourceRow = -1;
    const int releaseY = static_cast<int>(position.y());
    int to = quoteTable->rowAt(releaseY);
    if (to < 0 && releaseY >= 0)
        to = quoteTable->rowCount() - 1; // released below the last row: the row goes to the end
    const int distance = (position.toPoint() - dragPressPos).manhattanLength();
    if (distance < QApplication::startDragDistance() || from < 0 || to < 0 || from == to)
        return false;
    moveWatchlistRow(from, to);
    event->accept();
    return true;
}

void MainWindow::onWatchlistContextMenu(const QPoint &pos)
{
    showWatchlistMenu(pos);
}

void MainWindow::showWatchlistMenu(const QPoint &pos)
{
    if (!quoteTable)
        return;
    int row = quoteTable->rowAt(pos.y());
    const QTableWidgetItem *rowItem = row >= 0 ? quoteTable->item(row, QuoteColumnSymbol) : nullptr;
    const QString rowSymbol = rowItem ? rowItem->text() : QString();
    if (row >= 0)
        quoteTable->selectRow(row);

    QMenu menu(this);
    QAction *createAlert =
        menu.addAction(localizedText(QStringLiteral("Create alert"), QStringLiteral("Criar alerta")));
    menu.addSeparator();
    QAction *moveUp =
        menu.addAction(localizedText(QStringLiteral("Move up"), QStringLiteral("Mover para cima")));
    QAction *moveDown =
        menu.addAction(localizedText(QStringLiteral("Move down"), QStringLiteral("Mover para baixo")));
    QAction *moveTop =
        menu.addAction(localizedText(QStringLiteral("Move to top"), QStringLiteral("Mover para o topo")));
    QAction *moveBottom =
        menu.addAction(localizedText(QStringLiteral("Move to bottom"), QStringLiteral("Mover para o fim")));
    menu.addSeparator();
    QAction *remove =
        menu.addAction(localizedText(QStringLiteral("Remove symbol"), QString::fromUtf8("Remover símbolo")));

    QAction *chosen = menu.exec(quoteTable->viewport()->mapToGlobal(pos));
    if (!chosen)
        return;
    // Quotes keep arriving while the menu is open and a sorted table may have moved the row.
    if (row >= 0 && !rowSymbol.isEmpty())
        row = findSymbolRow(rowSymbol);
    const int lastRow = quoteTable->rowCount() - 1;
    if (chosen == createAlert) {
        showCreateAlertDialog(selectedSymbol());
    } else if (chosen == remove) {
        removeSelectedSymbol();
    } else if (row >= 0) {
        // A menu opened below the rows has no row to move: the move entries then do nothing.
        if (chosen == moveUp)
            moveWatchlistRow(row, std::max(row - 1, 0));
        else if (chosen == moveDown)
            moveWatchlistRow(row, std::min(row + 1, lastRow));
        else if (chosen == moveTop)
            moveWatchlistRow(row, 0);
        else if (chosen == moveBottom)
            moveWatchlistRow(row, lastRow);
    }
}

void MainWindow::refreshAllIndicatorColumns()
{
    if (!quoteTable)
        return;
    const SortingPause pause(quoteTable);
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
        if (item)
            updateIndicatorColumns(item->text(), row);
    }
}

void MainWindow::updateIndicatorColumns(const QString &symbol, int row)
{
    const CandleList candles = candlesBySymbol.value(symbol);
    if (candles.isEmpty())
        return;
    const int smaPeriod = priceChart ? priceChart->smaPeriod() : 20;
    const int emaPeriod = priceChart ? priceChart->emaPeriod() : 20;
    const int macdFast = priceChart ? priceChart->macdFastPeriod() : 12;
    const int macdSlow = priceChart ? priceChart->macdSlowPeriod() : 26;
    const bool sessionReset = priceChart ? priceChart->vwapSessionReset() : false;
    setIndicatorCell(row, QuoteColumnSma, latestSma(candles, smaPeriod));
    setIndicatorCell(row, QuoteColumnEma, latestEma(candles, emaPeriod));
    setIndicatorCell(row, QuoteColumnVwap, latestVwap(candles, sessionReset));
    setIndicatorCell(row, QuoteColumnMacd, latestEma(candles, macdFast) - latestEma(candles, macdSlow),
                     candles.constLast().close);
}

void MainWindow::setIndicatorCell(int row, int column, double value, double lastPrice)
{
    if (!quoteTable)
        return;
    if (std::isfinite(value)) {
        const QString text = column == QuoteColumnMacd
                                 ? formatMacdValue(value, lastPrice, value >= 1000.0 ? 2 : 4)
                                 : formatPrice(value);
        quoteTable->setItem(row, column, MarketTableItem::withNumber(text, value));
    } else {
        quoteTable->setItem(row, column, new MarketTableItem(QStringLiteral("--")));
    }
}
