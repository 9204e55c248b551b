#include "shell/main_window.h"

// The symbol universe, the classification file and the symbol search are filled by their own work;
// until then these members exist so the panels and the data start have something to call.
void MainWindow::setupCompleter() {}
void MainWindow::loadSymbolClassifications() {}
void MainWindow::requestCryptoUniverse() {}

void MainWindow::requestSymbolSearch(const QString &text)
{
    Q_UNUSED(text);
}
