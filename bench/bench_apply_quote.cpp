// The last step of a quote's road: MainWindow::applyQuote of one quote carrying 180 candles into a
// 200-row quote table, with every hand-off that exists. The table is sorted by Change and each quote
// moves its row, so the figure includes the re-sort; the unsorted run shows what the sort costs.
//
//   bench_apply_quote --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
//
// Runs in a private temporary home on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "app/app_identity.h"
#include "bench/gui_benchmark_main.h"
#include "providers/quote.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QHeaderView>
#include <QProcessEnvironment>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {
constexpr int kRows = 200;
constexpr int kCandles = 180;
constexpr qint64 kFirstTime = 1700006400;

QString symbolAt(int i)
{
    return QStringLiteral("SYM%1").arg(i, 3, 10, QLatin1Char('0'));
}

Quote quoteFor(const QString &symbol, double price, double change)
{
    Quote quote;
    quote.symbol = symbol;
    quote.source = QStringLiteral("Yahoo");
    quote.price = price;
    quote.changePercent = change;
    quote.open = price - 1.0;
    quote.high = price + 1.0;
    quote.low = price - 2.0;
    quote.volume = 1.0e6;
    quote.candles.reserve(kCandles);
    for (int i = 0; i < kCandles; ++i) {
        const double open = price * (0.9 + 0.001 * (i % 50));
        quote.candles.append({kFirstTime + i * 60, open, open * 1.01, open * 0.99, open * 1.002, 1000.0 + i});
    }
    return quote;
}

// A window with 200 quoted rows, sorted by Change when asked.
std::unique_ptr<MainWindow> makeWindow(bool sortedByChange)
{
    auto window = std::make_unique<MainWindow>();
    window->resize(1320, 820);
    window->show();
    QTableWidget *table = window->quoteTable;
    table->setSortingEnabled(false);
    for (int i = 0; i < kRows; ++i) {
        table->insertRow(i);
        window->setQuoteCell(i, QuoteColumnSymbol, symbolAt(i));
        window->setQuoteCell(i, QuoteColumnAsset, QStringLiteral("US Equity"));
    }
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSortingEnabled(true);
    for (int i = 0; i < kRows; ++i)
        window->applyQuote(symbolAt(i), QStringLiteral("yahoo_us"),
                           quoteFor(symbolAt(i), 10.0 + i, (i % 41) - 20.0), 120);
    if (sortedByChange)
        table->sortByColumn(QuoteColumnChange, Qt::DescendingOrder);
    else
        table->setSortingEnabled(false);
    QApplication::processEvents();
    return window;
}

void applyQuotes(benchmark::State &state, bool sortedByChange)
{
    std::unique_ptr<MainWindow> window = makeWindow(sortedByChange);
    // Prepared outside the timing: a provider hands over a finished quote.
    QList<Quote> quotes;
    for (int i = 0; i < kRows; ++i)
        quotes.append(quoteFor(symbolAt(i), 10.0 + i, ((i * 7) % 41) - 20.5));
    int next = 0;
    for (auto _ : state) {
        const Quote &quote = quotes.at(next);
        window->applyQuote(quote.symbol, QStringLiteral("yahoo_us"), quote, 120);
        next = (next + 1) % kRows;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ApplyQuoteSortedByChange(benchmark::State &state)
{
    applyQuotes(state, true);
}

void BM_ApplyQuoteUnsorted(benchmark::State &state)
{
    applyQuotes(state, false);
}
} // namespace

BENCHMARK(BM_ApplyQuoteSortedByChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyQuoteUnsorted)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
