#include "shell/main_window.h"

// The quote dispatcher is filled by the provider engine; until then a request goes nowhere.
void MainWindow::requestQuote(const QString &symbol)
{
    Q_UNUSED(symbol);
}
