// One Binance "@depth20@100ms" message through the book: the frame read, the depth judged, both sides
// aggregated with a non-zero step and shown in the side tables, the four tiles and the title. The
// window is built once and shown offscreen. The two part runs split the figure: the side tables
// alone (table items) and the tiles alone (styling).
//
//   bench_book_depth --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
#include "bench/gui_benchmark_main.h"
#include "shell/main_window.h"
#include "streams/stream_messages.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QJsonDocument>
#include <QSignalBlocker>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
// A frame of the real shape: 20 levels a side, prices and quantities as strings, no "s" in "data".
QByteArray depthFrame(int variant)
{
    QByteArray bids;
    QByteArray asks;
    for (int i = 0; i < 20; ++i) {
        const double bid = 35496.06 - 0.37 * i - 0.01 * variant;
        const double ask = 35496.07 + 0.41 * i + 0.01 * variant;
        const double size = 0.1 + 0.013 * ((i * 7 + variant) % 29);
        bids += (i ? "," : "") + QByteArray("[\"") + QByteArray::number(bid, 'f', 8) + "\",\"" +
                QByteArray::number(size, 'f', 8) + "\"]";
        asks += (i ? "," : "") + QByteArray("[\"") + QByteArray::number(ask, 'f', 8) + "\",\"" +
                QByteArray::number(size * 1.3, 'f', 8) + "\"]";
    }
    return "{\"stream\":\"btcusdt@depth20@100ms\",\"data\":{\"lastUpdateId\":11655824136,\"bids\":[" + bids +
           "],\"asks\":[" + asks + "]}}";
}

std::unique_ptr<MainWindow> makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->resize(1320, 820);
    window->show();
    const QSignalBlocker quiet(window->bookStepSpin);
    window->bookStepSpin->setValue(1.0);
    QApplication::processEvents();
    return window;
}

QList<QByteArray> frames()
{
    QList<QByteArray> out;
    for (int i = 0; i < 16; ++i)
        out.append(depthFrame(i));
    return out;
}

void BM_DepthMessage(benchmark::State &state)
{
    std::unique_ptr<MainWindow> window = makeWindow();
    const QList<QByteArray> texts = frames();
    int next = 0;
    for (auto _ : state) {
        const BinanceDepth depth = parseBinanceDepth(texts.at(next));
        QJsonObject sides;
        sides.insert(QStringLiteral("bids"), depth.bids);
        sides.insert(QStringLiteral("asks"), depth.asks);
        window->showCryptoDepth(depth.symbol, sides, QStringLiteral("12:00:00"));
        next = (next + 1) % texts.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SideTablesOnly(benchmark::State &state)
{
    std::unique_ptr<MainWindow> window = makeWindow();
    QList<BinanceDepth> depths;
    for (const QByteArray &text : frames())
        depths.append(parseBinanceDepth(text));
    int next = 0;
    for (auto _ : state) {
        window->fillBookSide(window->askTable, depths.at(next).asks, false);
        window->fillBookSide(window->bidTable, depths.at(next).bids, true);
        next = (next + 1) % depths.size();
    }
}

void BM_TilesOnly(benchmark::State &state)
{
    std::unique_ptr<MainWindow> window = makeWindow();
    int next = 0;
    for (auto _ : state) {
        // Alternating imbalance signs, so the IMB card's accent (and sheet) changes as on a live book.
        window->updateBookSummary(35496.06 + next * 0.01, 35496.07 + next * 0.01, 3.0 + (next % 2) * 2.0,
                                  4.0);
        next = (next + 1) % 16;
    }
}
} // namespace

BENCHMARK(BM_DepthMessage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SideTablesOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TilesOnly)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
