#include "shell/main_window.h"

// The alerts arrive with their own work; until then the create-alert entry opens nothing and the stored
// alerts and history are kept as read so that a save writes them back unchanged.
void MainWindow::showCreateAlertDialog(const QString &symbol)
{
    Q_UNUSED(symbol);
}

// Alert rules arrive with the alerts; until then a new price is checked against none.
void MainWindow::checkAlerts(const QString &symbol, double last)
{
    Q_UNUSED(symbol);
    Q_UNUSED(last);
}

void MainWindow::showAlertHistoryMenu(const QPoint &pos)
{
    Q_UNUSED(pos);
}

void MainWindow::refreshAlertHistoryTable() {}

void MainWindow::loadAlerts(const QJsonArray &array)
{
    alertsAsRead = array;
}

QJsonArray MainWindow::alertsToJsonArray() const
{
    return alertsAsRead;
}

void MainWindow::loadAlertHistory(const QJsonArray &array)
{
    alertHistoryAsRead = array;
}

QJsonArray MainWindow::alertHistoryToJsonArray() const
{
    return alertHistoryAsRead;
}

void MainWindow::onAlertHistoryContextMenu(const QPoint &pos)
{
    showAlertHistoryMenu(pos);
}
