#include "chart/candle_store.h"
#include "providers/quote.h"
#include "shell/formats.h"
#include "shell/main_window.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"
#include "watchlist/quote_display.h"
#include "watchlist/quote_status.h"
#include "watchlist/sorting_pause.h"
#include "watchlist/symbol_rules.h"

#include <QComboBox>
#include <QDateTime>
#include <QFontDatabase>
#include <QTableWidget>

#include <cmath>

namespace {

bool cellExists(const QTableWidget *table, int row, int column)
{
    return table && row >= 0 && row < table->rowCount() && column >= 0 && column < table->columnCount();
}
} // namespace

void MainWindow::applyQuote(const QString &symbol, const QString &providerKey, const Quote &quote,
                            qint64 latencyMs)
{
    // The ticker follows the rate whether or not the pair has a row.
    if (symbol == QLatin1String("BRL=X"))
        updateFxTicker(quote.price, quote.changePercent);
    // A symbol without a row keeps no candles: one that was removed must not come back.
    if (findSymbolRow(symbol) < 0)
        return;
    const QString timeframe = currentChartTimeframe();
    const CandleList candles = historyCandlesForTimeframe(quote.candles, timeframe);
    // A quote's few bars (one day of them, for some) never replace a longer history of the same
    // timeframe: the price is folded in as for a quote without bars, and only history replies replace
    // the series. A series held for another timeframe is replaced whatever its length, or the row and
    // chart would go on showing the old timeframe's bars.
    const auto heldFor = candleTimeframeBySymbol.constFind(symbol);
    const bool sameTimeframe = heldFor == candleTimeframeBySymbol.constEnd() || *heldFor == timeframe;
    const bool shorterThanHeld = sameTimeframe && candles.size() < candlesBySymbol.value(symbol).size();
    if (candles.isEmpty() || shorterThanHeld) {
        recordQuoteSample(symbol, quote.open, quote.high, quote.low, quote.price, quote.volume);
        // brapi's quote carries no history, so the chart's series is fetched quietly beside it.
        if (candles.isEmpty() && quoteWantsChartHistory(providerKey))
            requestYahooChart(symbol, false);
    } else {
        candlesBySymbol.insert(symbol, candles);
        candleTimeframeBySymbol.insert(symbol, timeframe);
    }
    applyPriceToLastCandle(symbol, quote.price);
    updateQuoteRow(symbol, quote.price, quote.changePercent, quote.source, quoteLatencyText(latencyMs),
                   quoteStatusForProvider(providerKey));
}

void MainWindow::applyPriceToLastCandle(const QString &symbol, double price)
{
    // A rejected price must not leave an empty entry behind for a symbol that had none.
    if (!std::isfinite(price) || price <= 0.0)
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    writeCandleTail(symbol, [&](CandleList &candles) { ::applyPriceToLastCandle(candles, price, now); });
}

void MainWindow::updateQuoteRow(const QString &symbol, double last, double changePercent,
                                const QString &source, const QString &latencyText, const QString &status)
{
    int row = findSymbolRow(symbol);
    if (row < 0)
        return;
    // A quote walk that fails later must not mark this price as failed.
    if (std::isfinite(last))
        quoteRowPriceWrites[symbol] += 1;
    {
        SortingPause pause(quoteTable);
        writeQuoteOhlc(symbol, row);
        updateIndicatorColumns(symbol, row);
        // A price that is not a number shows as missing and carries no sort value.
        if (std::isfinite(last))
            setQuoteNumberCell(row, QuoteColumnLast, formatPrice(last), last);
        else
            setQuoteCell(row, QuoteColumnLast, QStringLiteral("--"));
        if (std::isfinite(changePercent))
            setQuoteNumberCell(row, QuoteColumnChange, formatChangePercent(changePercent), changePercent);
        else
            setQuoteCell(row, QuoteColumnChange, QStringLiteral("--"));
        setQuoteCell(row, QuoteColumnSource, source);
        setQuoteCell(row, QuoteColumnLatency, latencyText);
        setQuoteCell(row, QuoteColumnStatus, status);
        setQuoteCell(row, QuoteColumnUpdated,
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    // Restoring the sort may have moved the row.
    row = findSymbolRow(symbol);
    colorQuoteRow(row, changePercent);
    setRowToolTip(symbol);

    // A missing price is no price to alert on; the portfolio reads the row's "--" as no price.
    if (std::isfinite(last))
        checkAlerts(symbol, last);
    appendQuoteTapeRow(symbol, last, changePercent, redactedText(source), redactedText(latencyText),
                       redactedText(status));
    refreshScreener();
    refreshPortfolioSoon();
    updateQuoteTiles();
    if (symbol == selectedSymbol()) {
        refreshChart();
        followBookReferencePrice();
        const QString assetClass = ::classifySymbol(symbol);
        if (assetClass == QLatin1String("BR Equity"))
            showB3BookFallback(symbol);
        else if (assetClass != QLatin1String("Crypto") && !bookPending && !bookLive)
            showQuoteSnapshot(symbol);
    }
    if (moversScopeCombo && currentMoversScope() == QLatin1String("watchlist"))
        loadWatchlistMovers();
}

void MainWindow::setQuoteCell(int row, int column, const QString &text)
{
    if (!cellExists(quoteTable, row, column))
        return;
    // Provider texts end up here; a provider that echoes the caller's key must not get it shown.
    const QString shown = redactedText(text);
    auto *item = new MarketTableItem(
        column == QuoteColumnStatus ? providerStatusText(statusKeyFromText(shown)) : shown);
    if (column == QuoteColumnSymbol) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setBold(true);
        item->setFont(font);
    }
    quoteTable->setItem(row, column, item);
}

void MainWindow::setQuoteNumberCell(int row, int column, const QString &text, double value)
{
    if (!cellExists(quoteTable, row, column))
        return;
    quoteTable->setItem(row, column, MarketTableItem::withNumber(text, value));
}

void MainWindow::setQuoteStatus(const QString &symbol, const QString &status)
{
    const int row = findSymbolRow(symbol);
    if (row >= 0)
        setQuoteCell(row, QuoteColumnStatus, status);
}

void MainWindow::setQuoteLatency(const QString &symbol, const QString &latencyText)
{
    const int row = findSymbolRow(symbol);
    if (row >= 0)
        setQuoteCell(row, QuoteColumnLatency, latencyText);
}

void MainWindow::setCryptoRowsStatus(const QString &status)
{
    if (!quoteTable)
        return;
    // Sorted by Status, each write would move its row under the loop's index.
    SortingPause pause(quoteTable);
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
        if (item && ::classifySymbol(item->text()) == QLatin1String("Crypto"))
            setQuoteCell(row, QuoteColumnStatus, status);
    }
}

void MainWindow::writeQuoteOhlc(const QString &symbol, int row)
{
    const CandleList candles = candlesBySymbol.value(symbol);
    if (candles.isEmpty() || !quoteTable)
        return;
    const Candle &last = candles.constLast();
    // The caller holds a SortingPause: `row` is only good while sorting is off.
    setQuoteNumberCell(row, QuoteColumnOpen, formatPrice(last.open), last.open);
    setQuoteNumberCell(row, QuoteColumnHigh, formatPrice(last.high), last.high);
    setQuoteNumberCell(row, QuoteColumnLow, formatPrice(last.low), last.low);
    setQuoteNumberCell(row, QuoteColumnClose, formatPrice(last.close), last.close);
}

void MainWindow::colorQuoteRow(int row, double changePercent)
{
    if (!cellExists(quoteTable, row, QuoteColumnChange))
        return;
    if (QTableWidgetItem *item = quoteTable->item(row, QuoteColumnChange))
        item->setForeground(QColor(changeColorName(changePercent)));
}

void MainWindow::setRowToolTip(const QString &symbol)
{
    const int row = findSymbolRow(symbol);
    if (row < 0)
        return;
    // Tooltips never change the order, so the row stays put even while the table sorts.
    const QString text = chartTooltipText(symbol);
    for (int column = 0; column < quoteTable->columnCount(); ++column) {
        if (QTableWidgetItem *item = quoteTable->item(row, column))
            item->setToolTip(text);
    }
}

QString MainWindow::chartTooltipText(const QString &symbol) const
{
    const QString timeframe =
        chartTimeframeCombo ? chartTimeframeCombo->currentText() : settings.chartTimeframe;
    return candleTooltipText(symbol, timeframe, candlesBySymbol.value(symbol));
}

QString MainWindow::providerStatusText(const QString &key) const
{
    return quoteStatusText(key, isPortuguese());
}

QString MainWindow::statusKeyFromText(const QString &text) const
{
    return quoteStatusKey(text);
}

void MainWindow::retranslateStatusColumn()
{
    if (!quoteTable)
        return;
    // Sorted by Status, a re-worded cell would move its row under the loop's index.
    SortingPause pause(quoteTable);
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        if (QTableWidgetItem *item = quoteTable->item(row, QuoteColumnStatus))
            item->setText(providerStatusText(statusKeyFromText(item->text())));
    }
}

QString MainWindow::providerDisplayName(const QString &symbol, const QString &providerKey) const
{
    return providerDisplayNameForTag(providerKey.isEmpty() ? defaultProviderForSymbol(symbol) : providerKey);
}

double MainWindow::lastPriceForSymbol(const QString &symbol) const
{
    // The cell's own number, not its text: the text is rounded for reading (four significant digits
    // below 1), and every valuation, pre-fill and step built on it would carry that rounding.
    const int row = findSymbolRow(symbol);
    return row < 0 ? 0.0 : tableNumber(row, QuoteColumnLast);
}

double MainWindow::tableNumber(int row, int column, bool *ok) const
{
    if (ok)
        *ok = false;
    const QTableWidgetItem *item = quoteTable ? quoteTable->item(row, column) : nullptr;
    if (!item)
        return 0.0;
    // Only a finite sort value counts, as in the cells' own ordering; anything else falls back to the
    // shown text.
    double value = 0.0;
    if (marketItemNumber(*item, &value)) {
        if (ok)
            *ok = true;
        return value;
    }
    return displayedNumber(item->text(), ok);
}
