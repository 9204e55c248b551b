#include "shell/main_window.h"

// The quote dispatcher is filled by the provider engine; until then a request goes nowhere.
void MainWindow::requestQuote(const QString &symbol)
{
    Q_UNUSED(symbol);
}

// The provider tag of a symbol comes with the dispatcher; until then every symbol reads as Yahoo's.
QString MainWindow::defaultProviderForSymbol(const QString &symbol) const
{
    Q_UNUSED(symbol);
    return QStringLiteral("yahoo");
}

// The direct chart request comes with the provider engine; until then history is not fetched.
void MainWindow::requestYahooChart(const QString &symbol, bool asQuote)
{
    Q_UNUSED(symbol);
    Q_UNUSED(asQuote);
}
