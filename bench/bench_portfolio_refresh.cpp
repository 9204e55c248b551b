// The portfolio panel's share of every applied quote: MainWindow::refreshPortfolio over a portfolio of
// 100 priced positions (half of them in USD, converted into the BRL base) with 300 cash flows and
// dividends. The transactions table is left alone while only prices move; the second run rebuilds it on
// every refresh as well, which is what that saves.
//
//   bench_portfolio_refresh --benchmark_repetitions=15 --benchmark_report_aggregates_only=true

#include "bench/gui_benchmark_main.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr int kPositions = 100;
constexpr int kTransactions = 300;

QString symbolAt(int i)
{
    return i % 2 ? QStringLiteral("US%1").arg(i, 3, 10, QLatin1Char('0'))
                 : QStringLiteral("BR%1.SA").arg(i, 3, 10, QLatin1Char('0'));
}

std::unique_ptr<MainWindow> makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->resize(1320, 820);
    window->show();
    QTableWidget *table = window->quoteTable;
    table->setSortingEnabled(false);
    QList<PortfolioPosition> positions;
    for (int i = 0; i < kPositions; ++i) {
        const int row = table->rowCount();
        table->insertRow(row);
        window->setQuoteCell(row, QuoteColumnSymbol, symbolAt(i));
        window->setQuoteNumberCell(row, QuoteColumnLast, QString::number(10.0 + i, 'f', 4), 10.0 + i);
        positions.append({symbolAt(i), 10.0 + i, 9.5 + i});
    }
    QList<PortfolioTransaction> transactions;
    for (int i = 0; i < kTransactions; ++i)
        transactions.append({QStringLiteral("2024-01-02T09:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')),
                             i % 3 ? QStringLiteral("cash") : QStringLiteral("dividend"),
                             i % 3 ? QString() : symbolAt(i % kPositions), 10.0 * (i % 7) - 25.0,
                             i % 2 ? QStringLiteral("USD") : QStringLiteral("BRL"), QStringLiteral("note")});
    window->portfolioPositions.insert(window->activePortfolio, positions);
    window->portfolioTransactions.insert(window->activePortfolio, transactions);
    window->usdBrlRate = 5.0;
    window->positionsTable->sortByColumn(4, Qt::DescendingOrder);
    window->refreshPortfolio();
    QApplication::processEvents();
    return window;
}

void refresh(benchmark::State &state, bool rebuildTransactions)
{
    std::unique_ptr<MainWindow> window = makeWindow();
    for (auto _ : state) {
        window->refreshPortfolio();
        if (rebuildTransactions)
            window->refreshPortfolioTransactions();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_PortfolioRefreshOnQuote(benchmark::State &state)
{
    refresh(state, false);
}

void BM_PortfolioRefreshRebuildingTransactions(benchmark::State &state)
{
    refresh(state, true);
}
} // namespace

BENCHMARK(BM_PortfolioRefreshOnQuote)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PortfolioRefreshRebuildingTransactions)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
