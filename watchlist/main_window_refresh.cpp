#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QComboBox>
#include <QTableWidget>

namespace {
bool isCrypto(const MainWindow &window, const QString &symbol)
{
    return window.classifySymbol(symbol) == QLatin1String("Crypto");
}

// The rows' symbols of one kind, read before any request goes out: a request may answer at once and
// re-sort the rows under a loop that walked the table while asking.
QStringList rowSymbols(const MainWindow &window, bool crypto)
{
    QStringList symbols;
    if (!window.quoteTable)
        return symbols;
    for (int row = 0; row < window.quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = window.quoteTable->item(row, QuoteColumnSymbol);
        if (item && isCrypto(window, item->text()) == crypto)
            symbols << item->text();
    }
    return symbols;
}
} // namespace

void MainWindow::onQuoteSelectionChanged()
{
    const QString symbol = selectedSymbol();
    // Crypto rows follow the ticker stream; only the chart and the book move to them.
    if (!symbol.isEmpty() && !isCrypto(*this, symbol))
        requestQuote(symbol);
    refreshChart();
    startBookStream();
}

void MainWindow::onQuotePollTimer()
{
    // A beat leaves a row's walk that is still running alone; the refreshes the user asks for replace it.
    for (const QString &symbol : rowSymbols(*this, false))
        pollQuote(symbol);
    // While the ticker stream is down, the crypto rows are kept fresh by HTTP on the same beat.
    if (tickerSocket.state() != QAbstractSocket::ConnectedState) {
        for (const QString &symbol : rowSymbols(*this, true))
            pollQuote(symbol);
    }
}

void MainWindow::onRefreshQuotesClicked()
{
    refreshAllQuotes();
}

void MainWindow::refreshAllQuotes()
{
    refreshHttpQuotes();
    refreshCryptoCandles();
    requestQuote(QStringLiteral("BRL=X"));
    if (tickerSocket.state() != QAbstractSocket::ConnectedState)
        refreshCryptoRestQuotes();
    const QString selected = selectedSymbol();
    if (!selected.isEmpty() && !isCrypto(*this, selected))
        requestChartHistory(selected);
    startTickerStream();
    if (moversScopeCombo && currentMoversScope() == QLatin1String("watchlist"))
        loadWatchlistMovers();
    refreshScreener();
}

void MainWindow::refreshHttpQuotes()
{
    const QStringList symbols = rowSymbols(*this, false);
    for (const QString &symbol : symbols)
        requestQuote(symbol);
}

void MainWindow::refreshCryptoCandles()
{
    const QStringList symbols = rowSymbols(*this, true);
    for (const QString &symbol : symbols)
        requestBinanceKlines(symbol);
}

void MainWindow::refreshCryptoRestQuotes()
{
    const QStringList symbols = rowSymbols(*this, true);
    for (const QString &symbol : symbols)
        fetchCryptoHttpQuote(symbol);
}

void MainWindow::refreshSymbolQuote(const QString &symbol)
{
    if (isCrypto(*this, symbol)) {
        fetchCryptoHttpQuote(symbol);
        requestBinanceKlines(symbol);
        startTickerStream();
        return;
    }
    requestQuote(symbol);
    requestChartHistory(symbol);
}

void MainWindow::onSymbolSearchEdited(const QString &text)
{
    symbolSearchText = text.trimmed();
    symbolSearchTimer.start();
}

void MainWindow::onSymbolSearchTimer()
{
    requestSymbolSearch(symbolSearchText);
}
