// The chart's paint at 1280 x 600 offscreen, every overlay on (candles, volume, SMA, EMA, VWAP,
// MACD), over synthetic series of 10,000, 100,000 and 1,000,000 one-minute candles:
//   Repaint      an unchanged full view: what every hover step, expose or theme change costs;
//   FirstPaint   the first paint after a new series (every cached series and column rebuilt);
//   Quote        one quote applied to the selected symbol through MainWindow::applyQuote, with the
//                repaint it causes;
//   HoverInCandle a mouse move that stays on one candle (expected to paint nothing: the "paints"
//                counter says how many paints it caused).
// The baseline is the same picture drawn as the first design drew it: every visible candle, line
// vertex and bar painted and every series recomputed on each paint (BaselineRepaint).
//
//   bench_chart_paint --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "bench/gui_benchmark_main.h"
#include "chart/price_chart.h"
#include "providers/quote.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QPainter>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {
const QSize kSize(1280, 600);
constexpr qint64 kFirstTime = 1700006400;

CandleList syntheticSeries(qint64 count, double drift = 0.0)
{
    CandleList candles;
    candles.reserve(count);
    double price = 100.0;
    quint32 seed = 12345;
    for (qint64 i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double step = (double(seed >> 8) / double(1u << 24) - 0.5) * 0.4 + drift;
        const double open = price;
        price = std::max(1.0, price + step);
        const double high = std::max(open, price) + 0.05;
        const double low = std::min(open, price) - 0.05;
        candles.append({kFirstTime + i * 60, open, high, low, price, 100.0 + double(seed % 1000)});
    }
    return candles;
}

const char *kAllOn = R"({"sma20":true,"ema20":true,"vwap":true,"macd":true})";

void allOverlaysOn(PriceChart &chart)
{
    chart.applyIndicatorSettings(QJsonDocument::fromJson(kAllOn).object());
}

struct ChartBench
{
    PriceChart chart{nullptr};
    QImage image{kSize, QImage::Format_ARGB32_Premultiplied};

    explicit ChartBench(qint64 count, PriceChart::Decimation mode = PriceChart::Decimation::Auto)
    {
        chart.resize(kSize);
        chart.setDecimation(mode);
        allOverlaysOn(chart);
        chart.setSeries(QStringLiteral("BENCH"), syntheticSeries(count), 1, QStringLiteral("1m"));
    }

    void paint() { chart.render(&image); }
};

void BM_Repaint(benchmark::State &state)
{
    ChartBench bench(state.range(0));
    bench.paint();
    for (auto _ : state)
        bench.paint();
}

void BM_BaselineRepaint(benchmark::State &state)
{
    ChartBench bench(state.range(0), PriceChart::Decimation::Never);
    const CandleList series = bench.chart.series();
    for (auto _ : state) {
        // Nothing cached survives from one paint to the next, as in a design that caches nothing.
        state.PauseTiming();
        bench.chart.setSeries(QStringLiteral("OTHER"), series, 1, QStringLiteral("1m"));
        bench.chart.setSeries(QStringLiteral("BENCH"), series, 1, QStringLiteral("1m"));
        state.ResumeTiming();
        bench.paint();
    }
}

void BM_FirstPaint(benchmark::State &state)
{
    ChartBench bench(state.range(0));
    const CandleList a = syntheticSeries(state.range(0));
    const CandleList b = syntheticSeries(state.range(0), 0.001);
    bool flip = false;
    for (auto _ : state) {
        bench.chart.setSeries(QStringLiteral("BENCH"), flip ? a : b, 1, QStringLiteral("1m"));
        flip = !flip;
        bench.paint();
    }
}

void BM_Quote(benchmark::State &state)
{
    MainWindow window;
    window.marketDataStarted = true;
    QTableWidget *table = window.quoteTable;
    table->setSortingEnabled(false);
    table->setRowCount(0);
    table->insertRow(0);
    window.setQuoteCell(0, 0, QStringLiteral("BENCHUSDT"));
    window.candlesBySymbol.insert(QStringLiteral("BENCHUSDT"), syntheticSeries(state.range(0)));
    window.priceChart->applyIndicatorSettings(QJsonDocument::fromJson(kAllOn).object());
    window.chartModeCombo->setCurrentIndex(1);
    table->setCurrentCell(0, 0);
    PriceChart &chart = *window.priceChart;
    chart.setParent(nullptr); // measured at the benchmark's size, outside the window's layout
    chart.resize(kSize);
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    chart.render(&image);
    Quote quote;
    quote.symbol = QStringLiteral("BENCHUSDT");
    quote.source = QStringLiteral("Binance");
    double price = window.candlesBySymbol.value(QStringLiteral("BENCHUSDT")).last().close;
    for (auto _ : state) {
        price += 0.01;
        quote.price = price;
        window.applyQuote(quote.symbol, QStringLiteral("binance"), quote, 5);
        chart.render(&image);
    }
    chart.setParent(&window);
}

void BM_HoverInCandle(benchmark::State &state)
{
    ChartBench bench(state.range(0));
    bench.chart.show();
    bench.paint();
    // The exact x of the middle candle, so both positions below map to it.
    const qint64 count = state.range(0);
    const double centre = 18.0 + 1244.0 * double(count / 2) / double(count - 1);
    const QPointF at(centre, 300);
    QMouseEvent first(QEvent::MouseMove, at, bench.chart.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&bench.chart, &first);
    // The show's expose and the first hover's repaint happen before the timing.
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const quint64 before = bench.chart.paintCount();
    bool flip = false;
    for (auto _ : state) {
        // A ten-thousandth of a pixel: within one candle even at a million candles.
        const QPointF point(flip ? centre : centre + 0.0001, 300);
        flip = !flip;
        QMouseEvent move(QEvent::MouseMove, point, bench.chart.mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&bench.chart, &move);
        QApplication::processEvents();
    }
    state.counters["paints"] = double(bench.chart.paintCount() - before);
}
} // namespace

BENCHMARK(BM_Repaint)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineRepaint)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaint)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Quote)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverInCandle)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
