#include "shell/main_window.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"

#include <QFont>
#include <QFontDatabase>
#include <QTableWidget>

// Interim cell writer and texts until the quote writers land; they replace this file whole.
void MainWindow::setQuoteCell(int row, int column, const QString &text)
{
    if (!quoteTable)
        return;
    auto *item = new MarketTableItem(column == QuoteColumnStatus ? providerStatusText(text) : text);
    if (column == QuoteColumnSymbol) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setBold(true);
        item->setFont(font);
    }
    quoteTable->setItem(row, column, item);
}

QString MainWindow::providerStatusText(const QString &key) const
{
    return key;
}

QString MainWindow::providerDisplayName(const QString &symbol, const QString &providerKey) const
{
    const QString key = providerKey.isEmpty() ? defaultProviderForSymbol(symbol) : providerKey.toLower();
    if (key == QLatin1String("binance"))
        return QStringLiteral("Binance WS");
    if (key == QLatin1String("brapi"))
        return QStringLiteral("BrAPI");
    if (key == QLatin1String("alphavantage"))
        return QStringLiteral("Alpha Vantage");
    if (key == QLatin1String("twelvedata"))
        return QStringLiteral("Twelve Data");
    if (key == QLatin1String("fmp") || key == QLatin1String("financialmodelingprep"))
        return QStringLiteral("Financial Modeling Prep");
    return QStringLiteral("Yahoo");
}
