#include "shell/main_window.h"

#include <QTabWidget>
#include <QTableWidget>

// The news feeds arrive with their own work; until then a refresh fetches nothing.
void MainWindow::refreshNews() {}

void MainWindow::openNewsLink(int row)
{
    Q_UNUSED(row);
}

void MainWindow::onNewsRefreshRequested()
{
    refreshNews();
}

void MainWindow::onNewsCellActivated(int row, int column)
{
    Q_UNUSED(column);
    openNewsLink(row);
}

void MainWindow::onNewsTabShown(int index, QWidget *newsPage)
{
    if (!mainTabs || !newsPage || mainTabs->widget(index) != newsPage)
        return;
    if (newsTable && newsTable->rowCount() == 0)
        refreshNews();
}
