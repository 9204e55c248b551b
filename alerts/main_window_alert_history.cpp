#include "shell/main_window.h"
#include "watchlist/market_table_item.h"
#include "watchlist/sorting_pause.h"

#include <QAction>
#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>

namespace {

enum AlertHistoryColumn
{
    HistoryTime = 0,
    HistoryEvent = 1,
    HistorySymbol = 2,
    HistoryCondition = 3,
    HistoryTarget = 4,
    HistoryPrice = 5,
    HistoryStatus = 6,
};

} // namespace

void MainWindow::appendAlertHistory(const PriceAlert &alert, const QString &event, double price,
                                    const QString &status)
{
    alertHistory.append(
        makeAlertHistoryEntry(alert, event, price, status,
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    appendAlertHistoryRow(alertHistory.constLast());
}

void MainWindow::refreshAlertHistoryTable()
{
    if (!alertHistoryTable)
        return;
    const QTableWidgetItem *newest = nullptr;
    {
        SortingPause pause(alertHistoryTable);
        alertHistoryTable->setRowCount(0);
        alertHistoryTable->setRowCount(static_cast<int>(alertHistory.size()));
        for (int row = 0; row < alertHistory.size(); ++row) {
            const QList<AlertHistoryCell> cells = alertHistoryCells(alertHistory.at(row));
            for (int column = 0; column < cells.size(); ++column) {
                const QTableWidgetItem *item =
                    setAlertHistoryCell(row, column, cells.at(column).text, cells.at(column).sortValue);
                if (column == HistoryTime)
                    newest = item;
            }
        }
    }
    showAlertHistoryItem(newest);
}

// The newest event is the one a user looks for after an arm, a hit or a removal. Where it lands depends
// on the sort: at the top under the header's first sort (time, newest first), at the bottom unsorted.
void MainWindow::showAlertHistoryItem(const QTableWidgetItem *item)
{
    if (!alertHistoryTable || !item)
        return;
    // Only rows scroll: the columns the user scrolled to stay in view.
    QScrollBar *sideways = alertHistoryTable->horizontalScrollBar();
    const int column = sideways->value();
    // The view lays new rows out later; until then its scroll range ends before them.
    alertHistoryTable->doItemsLayout();
    alertHistoryTable->scrollToItem(item);
    sideways->setValue(column);
}

void MainWindow::appendAlertHistoryRow(const AlertHistoryEntry &entry)
{
    if (!alertHistoryTable)
        return;
    // One row in, with sorting left on: pausing it would re-sort every row when it came back, which on a
    // long history froze the window on every hit. A sorted table moves the row to its place when its
    // sort cell arrives (ahead of rows with an equal key), so that cell goes in last and the others
    // are written while the row is still the last one.
    const int row = alertHistoryTable->rowCount();
    alertHistoryTable->insertRow(row);
    const QHeaderView *header = alertHistoryTable->horizontalHeader();
    const int sortColumn = alertHistoryTable->isSortingEnabled() ? header->sortIndicatorSection() : -1;
    const QList<AlertHistoryCell> cells = alertHistoryCells(entry);
    const QTableWidgetItem *written = nullptr;
    for (int column = 0; column < cells.size(); ++column) {
        if (column != sortColumn)
            written = setAlertHistoryCell(row, column, cells.at(column).text, cells.at(column).sortValue);
    }
    if (sortColumn >= 0 && sortColumn < cells.size())
        written = setAlertHistoryCell(row, sortColumn, cells.at(sortColumn).text, cells.at(sortColumn).sortValue);
    // The item moves with its row when the sort places it.
    showAlertHistoryItem(written);
}

QTableWidgetItem *MainWindow::setAlertHistoryCell(int row, int column, const QString &text,
                                                  std::optional<double> sortValue)
{
    auto *item = new MarketTableItem(text);
    if (sortValue)
        item->setData(Qt::UserRole, *sortValue);
    if (column == HistoryEvent || column == HistoryStatus) {
        const QString color = alertHistoryColorName(text);
        if (!color.isEmpty())
            item->setForeground(QColor(color));
    }
    alertHistoryTable->setItem(row, column, item);
    return item;
}

void MainWindow::onAlertHistoryContextMenu(const QPoint &pos)
{
    showAlertHistoryMenu(pos);
}

void MainWindow::showAlertHistoryMenu(const QPoint &pos)
{
    if (!alertHistoryTable)
        return;
    const int row = alertHistoryTable->rowAt(pos.y());
    if (row >= 0)
        alertHistoryTable->selectRow(row);
    // The menu runs its own event loop: a hit meanwhile rebuilds and re-sorts the table, so the clicked
    // row is read now and matched against the alerts only after the menu closes.
    const std::optional<AlertRowKey> key = alertKeyForHistoryRow(row);

    QMenu menu(this);
    QAction *rearm =
        menu.addAction(localizedText(QStringLiteral("Rearm alert"), QStringLiteral("Rearmar alerta")));
    QAction *remove =
        menu.addAction(localizedText(QStringLiteral("Remove alert"), QStringLiteral("Remover alerta")));
    menu.addSeparator();
    QAction *clear =
        menu.addAction(localizedText(QStringLiteral("Clear history"), QString::fromUtf8("Limpar histórico")));
    QAction *chosen = menu.exec(alertHistoryTable->viewport()->mapToGlobal(pos));
    if (!chosen)
        return;
    if (chosen == clear) {
        clearAlertHistory();
        return;
    }
    if (chosen != rearm && chosen != remove)
        return;
    const int index = key ? findMatchingAlert(alerts, *key) : -1;
    if (index < 0) {
        statusBar()->showMessage(localizedText(
            QStringLiteral("No matching saved alert found for selected history row."),
            QStringLiteral("Nenhum alerta salvo correspondente foi encontrado para a linha selecionada.")));
        return;
    }
    if (chosen == remove)
        removeAlert(index);
    else
        rearmAlert(index);
}

void MainWindow::clearAlertHistory()
{
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, QStringLiteral("Clear alert history"),
        QStringLiteral("Remove all alert history rows? Active alerts will remain armed."),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    if (answer != QMessageBox::Yes)
        return;
    alertHistory.clear();
    refreshAlertHistoryTable();
    saveLocalSettings();
    appendEventLog(localizedText(QStringLiteral("Alert history cleared"),
                                 QString::fromUtf8("Histórico de alertas limpo")));
}

void MainWindow::removeAlert(int index)
{
    if (index < 0 || index >= alerts.size())
        return;
    const PriceAlert removed = alerts.takeAt(index);
    appendAlertHistory(removed, QStringLiteral("Removed"), lastPriceForSymbol(removed.symbol),
                       QStringLiteral("Inactive"));
    saveLocalSettings();
    appendEventLog(localizedText(QStringLiteral("Alert removed: %1"), QStringLiteral("Alerta removido: %1"))
                       .arg(removed.symbol));
}

void MainWindow::rearmAlert(int index)
{
    if (index < 0 || index >= alerts.size())
        return;
    alerts[index].triggered = false;
    alerts[index].lastTriggerMs = 0;
    const PriceAlert rearmed = alerts.at(index);
    appendAlertHistory(rearmed, QStringLiteral("Rearmed"), lastPriceForSymbol(rearmed.symbol),
                       QStringLiteral("Active"));
    saveLocalSettings();
    appendEventLog(localizedText(QStringLiteral("Alert rearmed: %1"), QStringLiteral("Alerta rearmado: %1"))
                       .arg(rearmed.symbol));
}

std::optional<AlertRowKey> MainWindow::alertKeyForHistoryRow(int row) const
{
    if (!alertHistoryTable || row < 0)
        return std::nullopt;
    const QTableWidgetItem *symbol = alertHistoryTable->item(row, HistorySymbol);
    const QTableWidgetItem *condition = alertHistoryTable->item(row, HistoryCondition);
    const QTableWidgetItem *target = alertHistoryTable->item(row, HistoryTarget);
    if (!symbol || !condition || !target)
        return std::nullopt;
    bool ok = false;
    const double value = target->data(Qt::UserRole).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return alertRowKey(symbol->text(), condition->text(), value,
                       [this](const QString &text) { return normalizeSymbol(text); });
}

int MainWindow::findAlertForHistoryRow(int row) const
{
    const std::optional<AlertRowKey> key = alertKeyForHistoryRow(row);
    return key ? findMatchingAlert(alerts, *key) : -1;
}

void MainWindow::loadAlertHistory(const QJsonArray &array)
{
    alertHistory = alertHistoryFromJson(array, [this](const QString &text) { return normalizeSymbol(text); });
}

QJsonArray MainWindow::alertHistoryToJsonArray() const
{
    return alertHistoryToJson(alertHistory);
}

QJsonObject MainWindow::alertsJson() const
{
    return alertsPayload(alerts, alertHistory);
}

bool MainWindow::applyAlertsJson(const QJsonValue &payload)
{
    const std::optional<AlertsPayload> read =
        readAlertsPayload(payload, [this](const QString &text) { return normalizeSymbol(text); });
    if (!read)
        return false;
    alerts = read->alerts;
    alertHistory = read->history;
    refreshAlertHistoryTable();
    return true;
}
