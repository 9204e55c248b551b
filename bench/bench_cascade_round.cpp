// A whole round of the quote road for a 200-row watchlist: for every symbol the dispatcher builds the
// request of its market's first provider, the loopback server answers, and the reply is checked, parsed
// and applied to the row with every hand-off that exists. 50 US (Yahoo), 50 B3 (brapi), 50 forex (Yahoo)
// and 50 crypto (Binance) symbols; the replies carry 60 bars of history where the provider sends any.
//
//   bench_cascade_round --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Reported per round of 200 quotes: the wall time (divide by 200 for the time per quote) and
// peak_in_flight, the most requests issued and not yet finished at any moment of the round. All
// services share the one loopback host here, so the network layer carries at most six of them at a
// time; the rest wait in its queue.

#include "app/app_identity.h"
#include "bench/gui_benchmark_main.h"
#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QHeaderView>
#include <QNetworkReply>
#include <QProcessEnvironment>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
constexpr int kPerMarket = 50;
constexpr int kBars = 60;
constexpr qint64 kFirstTime = 1700006400;

QStringList benchSymbols()
{
    QStringList symbols;
    for (int i = 0; i < kPerMarket; ++i) {
        const QString n = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        symbols << QStringLiteral("SYM") + n << QStringLiteral("BRA") + n + QStringLiteral(".SA")
                << QStringLiteral("FX") + n + QStringLiteral("=X")
                << QStringLiteral("C") + n + QStringLiteral("USDT");
    }
    return symbols;
}

QByteArray numbers(double base, double step)
{
    QByteArray out;
    for (int i = 0; i < kBars; ++i) {
        if (i > 0)
            out += ',';
        out += QByteArray::number(base + step * i, 'f', 4);
    }
    return out;
}

QByteArray yahooChart()
{
    QByteArray times;
    for (int i = 0; i < kBars; ++i) {
        if (i > 0)
            times += ',';
        times += QByteArray::number(kFirstTime + i * 60);
    }
    return "{\"chart\":{\"result\":[{\"meta\":{\"regularMarketPrice\":105.5,\"previousClose\":100,"
           "\"regularMarketTime\":" +
           QByteArray::number(kFirstTime + (kBars - 1) * 60) +
           ",\"gmtoffset\":0,\"dataGranularity\":\"1m\",\"range\":\"1d\"},\"timestamp\":[" + times +
           "],\"indicators\":{\"quote\":[{\"open\":[" + numbers(100, 0.1) + "],\"high\":[" +
           numbers(101, 0.1) + "],\"low\":[" + numbers(99, 0.1) + "],\"close\":[" + numbers(100.05, 0.1) +
           "],\"volume\":[" + numbers(1000, 1) + "]}]}}],\"error\":null}}";
}

QByteArray brapiQuote()
{
    QByteArray bars;
    for (int i = 0; i < kBars; ++i) {
        if (i > 0)
            bars += ',';
        const QByteArray p = QByteArray::number(30 + 0.05 * i, 'f', 4);
        bars += "{\"date\":" + QByteArray::number(kFirstTime + i * 60) + ",\"open\":" + p + ",\"high\":" + p +
                ",\"low\":" + p + ",\"close\":" + p + ",\"volume\":1000}";
    }
    return "{\"results\":[{\"symbol\":\"BRA\",\"regularMarketPrice\":33.1,\"regularMarketChangePercent\":1.2,"
           "\"regularMarketOpen\":32,\"regularMarketDayHigh\":34,\"regularMarketDayLow\":31,"
           "\"regularMarketPreviousClose\":32.7,\"regularMarketVolume\":123456,\"historicalDataPrice\":[" +
           bars + "]}],\"requestedAt\":\"2024-01-01T00:00:00.000Z\",\"took\":5}";
}

QByteArray binanceTicker()
{
    return "{\"symbol\":\"BTCUSDT\",\"priceChange\":\"1200.5\",\"priceChangePercent\":\"1.85\","
           "\"prevClosePrice\":\"64800.0\",\"lastPrice\":\"66000.5\",\"openPrice\":\"64800.0\","
           "\"highPrice\":\"66500.0\",\"lowPrice\":\"64000.0\",\"volume\":\"12345.6\"}";
}

int unfinishedReplies(const MainWindow &window)
{
    const auto replies = window.networkManager.findChildren<QNetworkReply *>();
    return int(std::count_if(replies.cbegin(), replies.cend(),
                             [](const QNetworkReply *r) { return !r->isFinished(); }));
}

void BM_CascadeRound(benchmark::State &state)
{
    // Every service, streams included, is the loopback server while this lives.
    LoopbackServices services;
    if (!services.isRunning()) {
        state.SkipWithError("no loopback port");
        return;
    }
    FakeHttpServer &server = services.server();
    const QByteArray yahoo = yahooChart();
    const QByteArray brapi = brapiQuote();
    const QByteArray binance = binanceTicker();
    server.setHandler([&](const RecordedRequest &request) {
        if (request.path.startsWith(QLatin1String("/v8/finance/chart/")))
            return FakeReply::json(yahoo);
        if (request.path.startsWith(QLatin1String("/api/quote/")))
            return FakeReply::json(brapi);
        if (request.path == QLatin1String("/api/v3/ticker/24hr"))
            return FakeReply::json(binance);
        return FakeReply::json("{}", 404);
    });
    auto window = std::make_unique<MainWindow>();
    // Only the rounds below ask for quotes: no data start, no poll, and the default watchlist (whose
    // first row was asked for at construction) makes way for the bench's rows once that request ends.
    window->marketDataStarted = true;
    window->resize(1320, 820);
    window->show();
    while (!window->quoteCascades.isEmpty() || unfinishedReplies(*window) > 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const QStringList symbols = benchSymbols();
    QTableWidget *table = window->quoteTable;
    table->setSortingEnabled(false);
    table->setRowCount(0);
    for (int i = 0; i < symbols.size(); ++i) {
        table->insertRow(i);
        window->setQuoteCell(i, QuoteColumnSymbol, symbols.at(i));
        window->setQuoteCell(i, QuoteColumnAsset, window->classifySymbol(symbols.at(i)));
        window->setQuoteCell(i, QuoteColumnStatus, QStringLiteral("pending"));
    }
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSortingEnabled(true);

    // Sampled whenever a request reaches the server or a reply finishes.
    int peak = 0;
    const auto sample = [&] { peak = std::max(peak, unfinishedReplies(*window)); };
    QObject::connect(&window->networkManager, &QNetworkAccessManager::finished, window.get(),
                     [&] { sample(); });

    qint64 failed = 0;
    for (auto _ : state) {
        server.clearRequests();
        for (const QString &symbol : symbols)
            window->requestQuote(symbol);
        sample();
        while (!window->quoteCascades.isEmpty()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            sample();
        }
        state.PauseTiming();
        for (const QString &symbol : symbols) {
            const QTableWidgetItem *status = table->item(window->findSymbolRow(symbol), QuoteColumnStatus);
            if (!status || status->text() == QLatin1String("all providers failed"))
                ++failed;
        }
        // Deferred deletions of the round's replies and cascades.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * symbols.size());
    state.counters["peak_in_flight"] = peak;
    state.counters["failed_quotes"] = double(failed);
    window.reset();
}

} // namespace

BENCHMARK(BM_CascadeRound)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
