#include "shell/main_window.h"

// The quote dispatcher is filled by the provider engine; until then a request goes nowhere.
void MainWindow::requestQuote(const QString &symbol)
{
    Q_UNUSED(symbol);
}

// Interim until the dispatcher lands: the provider a symbol is fetched from by default.
QString MainWindow::defaultProviderForSymbol(const QString &symbol) const
{
    const QString asset = classifySymbol(symbol);
    if (asset == QLatin1String("Crypto"))
        return QStringLiteral("binance");
    if (asset == QLatin1String("BR Equity") && !settings.brapiToken.isEmpty())
        return QStringLiteral("brapi");
    return QStringLiteral("yahoo");
}

void MainWindow::fetchCryptoHttpQuote(const QString &symbol)
{
    Q_UNUSED(symbol);
}

void MainWindow::requestChartHistory(const QString &symbol)
{
    Q_UNUSED(symbol);
}

// The direct chart request comes with the provider engine; until then history is not fetched.
void MainWindow::requestYahooChart(const QString &symbol, bool asQuote)
{
    Q_UNUSED(symbol);
    Q_UNUSED(asQuote);
}
