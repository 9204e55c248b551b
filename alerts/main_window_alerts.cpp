#include "shell/main_window.h"

// The create-alert dialog arrives with the alerts; until then the row menu's entry opens nothing.
void MainWindow::showCreateAlertDialog(const QString &symbol)
{
    Q_UNUSED(symbol);
}
