#include "shell/main_window.h"

#include <QComboBox>
#include <QTableWidget>

QString MainWindow::currentMoversScope() const
{
    if (!moversScopeCombo)
        return QStringLiteral("crypto");
    const QString key = moversScopeCombo->currentData().toString();
    return key.isEmpty() ? moversScopeCombo->currentText() : key;
}

QString MainWindow::currentMoversInterval() const
{
    if (!moversIntervalCombo)
        return QStringLiteral("day");
    const QString key = moversIntervalCombo->currentData().toString();
    return key.isEmpty() ? moversIntervalCombo->currentText().toLower() : key;
}

QString MainWindow::currentMoversSector() const
{
    const QString key = moversSectorCombo ? moversSectorCombo->currentData().toString() : QString();
    return key.isEmpty() ? QStringLiteral("all") : key;
}

QString MainWindow::currentScreenerAsset() const
{
    const QString key = screenerAssetCombo ? screenerAssetCombo->currentData().toString() : QString();
    return key.isEmpty() ? QStringLiteral("all") : key;
}

QString MainWindow::currentScreenerScope() const
{
    const QString key = screenerScopeCombo ? screenerScopeCombo->currentData().toString() : QString();
    return key.isEmpty() ? QStringLiteral("watchlist") : key;
}

void MainWindow::onMoversRefreshRequested()
{
    refreshMarketMovers();
}

void MainWindow::onMoversFilterChanged()
{
    refreshMarketMovers();
    saveLocalSettings();
}

void MainWindow::onScreenerRefreshRequested()
{
    screenerFullRebuild = true;
    refreshScreener();
}

void MainWindow::onScreenerFilterChanged()
{
    screenerFullRebuild = true;
    refreshScreener();
    saveLocalSettings();
}

void MainWindow::onScreenerCellActivated(int row, int column)
{
    Q_UNUSED(column);
    activateScreenerRow(row);
}

void MainWindow::onMosaicTileActivated(const QString &symbol)
{
    addMoverToWatchlist(symbol);
}

void MainWindow::onGainersDoubleClicked(int row, int column)
{
    Q_UNUSED(column);
    if (const QTableWidgetItem *item = gainersTable ? gainersTable->item(row, 0) : nullptr)
        addMoverToWatchlist(item->text());
}

void MainWindow::onLosersDoubleClicked(int row, int column)
{
    Q_UNUSED(column);
    if (const QTableWidgetItem *item = losersTable ? losersTable->item(row, 0) : nullptr)
        addMoverToWatchlist(item->text());
}

void MainWindow::onGainersContextMenu(const QPoint &pos)
{
    showMoversMenu(gainersTable, pos);
}

void MainWindow::onLosersContextMenu(const QPoint &pos)
{
    showMoversMenu(losersTable, pos);
}
