// The screener rebuild in "universe" scope: 1,000 universe symbols, 200 watchlist rows with quotes and
// 1,000 movers snapshot entries, offscreen. And a crypto ticker stream of 50 quotes a second into the
// same window with the screener in that scope and the movers in "watchlist" scope: the CPU one second of
// stream costs, as a share of one core ("core_pct").
//
//   bench_screener_rebuild --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
//
// Runs in a private temporary home on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench/gui_benchmark_main.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {
constexpr int kUniverse = 1000;
constexpr int kRows = 200;
constexpr int kCryptoRows = 50;
constexpr int kTicksPerSecond = 50;

QString rowSymbol(int i)
{
    return i < kCryptoRows ? QStringLiteral("C%1USDT").arg(i, 3, 10, QLatin1Char('0'))
                           : QStringLiteral("SYM%1").arg(i, 3, 10, QLatin1Char('0'));
}

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

std::unique_ptr<MainWindow> makeWindow(bool universeScreener = true, bool watchlistMovers = true)
{
    auto window = std::make_unique<MainWindow>();
    window->marketDataStarted = true; // no data start: only what the benchmark feeds arrives
    window->resize(1320, 820);
    window->show();
    QTableWidget *table = window->quoteTable;
    table->setSortingEnabled(false);
    table->setRowCount(0);
    for (int i = 0; i < kRows; ++i) {
        table->insertRow(i);
        window->setQuoteCell(i, QuoteColumnSymbol, rowSymbol(i));
        window->setQuoteCell(i, QuoteColumnAsset, window->classifySymbol(rowSymbol(i)));
        window->setQuoteCell(i, QuoteColumnSource, QStringLiteral("Yahoo"));
    }
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSortingEnabled(true);

    window->symbolUniverse.clear();
    for (int i = 0; i < kRows; ++i)
        window->symbolUniverse.append(rowSymbol(i));
    for (int i = kRows; i < kUniverse; ++i)
        window->symbolUniverse.append(QStringLiteral("U%1").arg(i, 4, 10, QLatin1Char('0')));
    for (int i = 0; i < kUniverse; ++i) {
        MoverEntry entry;
        entry.symbol = window->symbolUniverse.at(i);
        entry.price = 10.0 + i;
        entry.changePct = (i % 41) - 20.0;
        entry.volume = 1.0e5 * (i + 1);
        window->moverSnapshots.insert(entry.symbol, entry);
        window->moverSourceLabels.insert(entry.symbol, QStringLiteral("Crypto 24h"));
    }
    window->populateScreenerScopeCombo(universeScreener ? QStringLiteral("universe")
                                                        : QStringLiteral("watchlist"));
    window->populateMoversScopeCombo(watchlistMovers ? QStringLiteral("watchlist")
                                                     : QStringLiteral("crypto"));
    window->populateMoversIntervalCombo(QStringLiteral("day"));
    for (int i = 0; i < kRows; ++i)
        window->updateQuoteRow(rowSymbol(i), 10.0 + i, (i % 21) - 10.0, QStringLiteral("Yahoo"),
                               QStringLiteral("120 ms"), QStringLiteral("ok"));
    QApplication::processEvents();
    return window;
}

void BM_ScreenerRebuildUniverse(benchmark::State &state)
{
    const std::unique_ptr<MainWindow> window = makeWindow();
    const bool fromScratch = state.range(0) != 0;
    for (auto _ : state) {
        window->screenerFullRebuild = fromScratch;
        window->rebuildScreener();
        benchmark::DoNotOptimize(window->screenerTable->rowCount());
    }
    state.counters["rows"] = window->screenerTable->rowCount();
}
// 1: every row built anew (a filter change, a new universe); 0: what a quote costs when nothing listed
// changed.
BENCHMARK(BM_ScreenerRebuildUniverse)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// What one streamed quote adds in the two scopes, without the rest of the quote's road: its watchlist
// movers reload (the row's change moves, so the tables change) and the screener's update of that row.
void BM_OneQuoteInBothScopes(benchmark::State &state)
{
    const std::unique_ptr<MainWindow> window = makeWindow();
    int tick = 0;
    for (auto _ : state) {
        const int row = window->findSymbolRow(rowSymbol(tick % kCryptoRows));
        const double change = ((tick % 13) - 6) * 0.3;
        window->setQuoteNumberCell(row, QuoteColumnChange, QStringLiteral("%1%").arg(change, 0, 'f', 2),
                                   change);
        window->loadWatchlistMoversNow();
        window->rebuildScreener();
        ++tick;
    }
}
BENCHMARK(BM_OneQuoteInBothScopes)->Unit(benchmark::kMicrosecond);

// One iteration is one second of stream: 50 ticker quotes, each in its own event-loop turn as the
// socket delivers them. The wall clock is not waited for; the CPU they cost is what counts.
void BM_TickerStreamWithUniverseScreener(benchmark::State &state)
{
    const std::unique_ptr<MainWindow> window = makeWindow(state.range(0) != 0, state.range(1) != 0);
    int tick = 0;
    double cpu = 0.0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        for (int i = 0; i < kTicksPerSecond; ++i, ++tick) {
            const QString symbol = rowSymbol(tick % kCryptoRows);
            window->updateQuoteRow(symbol, 100.0 + (tick % 97) * 0.01, ((tick % 13) - 6) * 0.3,
                                   QStringLiteral("Binance WS"), QStringLiteral("stream"),
                                   QStringLiteral("realtime"));
            QApplication::processEvents();
        }
        cpu += cpuSeconds() - start;
    }
    state.counters["core_pct"] = benchmark::Counter(cpu * 100.0 / static_cast<double>(state.iterations()));
}
// (1, 1): the screener in "universe" scope and the movers in "watchlist" scope; (0, 0): the baseline with the
// screener on the watchlist and the movers on crypto, which no quote reloads.
BENCHMARK(BM_TickerStreamWithUniverseScreener)
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
