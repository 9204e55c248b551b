// Constructing and showing the terminal's window with a long watchlist file: the load reads the file,
// adds every row and selects the first one, and the figure ends when the window has been shown and its
// first events processed. Run beside the default seven-symbol watchlist as the baseline.
//
//   bench_watchlist_load --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Runs in a private temporary home on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench/gui_benchmark_main.h"
#include "settings/json_file.h"
#include "shell/main_window.h"
#include "watchlist/watchlist_file.h"

#include <QApplication>
#include <QFile>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
// US-style tickers "A0000" ... "A9999" and on: distinct, valid, none of the defaults.
QList<WatchlistFileEntry> entries(int count)
{
    QList<WatchlistFileEntry> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i)
        list.append({QStringLiteral("Q%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("equity_us"),
                     QStringLiteral("yahoo")});
    return list;
}

void BM_WindowWithWatchlist(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    QString path;
    {
        MainWindow probe; // finds the configuration directory the window reads from
        path = probe.watchlistWritePath();
    }
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path);
        if (count > 0)
            writeJsonObjectFile(path, watchlistFileJson(entries(count)), false);
        state.ResumeTiming();

        auto window = std::make_unique<MainWindow>();
        window->show();
        QApplication::processEvents();

        state.PauseTiming();
        const int rows = window->quoteTable->rowCount();
        if (rows != (count > 0 ? count : 7))
            state.SkipWithError("the watchlist did not load whole");
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
// 0 stands for no file: the seven default symbols, the baseline.
BENCHMARK(BM_WindowWithWatchlist)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
