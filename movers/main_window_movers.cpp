#include "shell/main_window.h"

// The movers lists and the screener rebuild arrive with their own work; until then their tables stay
// as built.
void MainWindow::loadWatchlistMovers() {}

// The movers and the screener arrive with their own work; until then these members exist so the
// wiring, the refreshes and the data start have something to call.
void MainWindow::refreshScreener() {}
void MainWindow::refreshMarketMovers() {}

void MainWindow::activateScreenerRow(int row)
{
    Q_UNUSED(row);
}

void MainWindow::addMoverToWatchlist(const QString &symbol)
{
    Q_UNUSED(symbol);
}

void MainWindow::showMoversMenu(QTableWidget *table, const QPoint &pos)
{
    Q_UNUSED(table);
    Q_UNUSED(pos);
}
