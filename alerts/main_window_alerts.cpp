#include "shell/main_window.h"

// The create-alert dialog arrives with the alerts; until then the row menu's entry opens nothing.
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
