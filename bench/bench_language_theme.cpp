// One language switch and one theme switch on a window whose quote table holds 200 quoted rows. Each
// iteration switches once, alternating (English to Portuguese, then back; dark to light, then back), so
// both directions are counted. The language switch includes the settings save; the theme switch lasts
// until the window has been re-polished and painted once.
//
//   bench_language_theme --benchmark_repetitions=15 --benchmark_report_aggregates_only=true

#include "bench/gui_benchmark_main.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr int kRows = 200;

std::unique_ptr<MainWindow> makeQuotedWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->resize(1320, 820);
    window->show();
    QTableWidget *table = window->quoteTable;
    const int first = table->rowCount();
    for (int i = 0; i < kRows; ++i) {
        const QString symbol = QStringLiteral("SYM%1").arg(i, 3, 10, QLatin1Char('0'));
        window->addWatchlistRow(symbol, QStringLiteral("US Equity"), QStringLiteral("Yahoo"),
                                QStringLiteral("pending"), false);
        window->updateQuoteRow(symbol, 10.0 + i, (i % 41) - 20.0, QStringLiteral("Yahoo"),
                               QStringLiteral("120 ms"),
                               i % 2 ? QStringLiteral("free/delayed") : QStringLiteral("http error"));
    }
    Q_ASSERT(table->rowCount() == first + kRows);
    window->grab();
    QApplication::processEvents();
    return window;
}

void BM_LanguageSwitch(benchmark::State &state)
{
    std::unique_ptr<MainWindow> window = makeQuotedWindow();
    bool portuguese = false;
    for (auto _ : state) {
        portuguese = !portuguese;
        window->setLanguage(portuguese ? QStringLiteral("pt_BR") : QStringLiteral("en"));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ThemeSwitchToFirstPaint(benchmark::State &state)
{
    std::unique_ptr<MainWindow> window = makeQuotedWindow();
    bool light = false;
    for (auto _ : state) {
        light = !light;
        window->setTheme(light ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark"));
        benchmark::DoNotOptimize(window->grab());
    }
    state.SetItemsProcessed(state.iterations());
}
} // namespace

BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThemeSwitchToFirstPaint)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
