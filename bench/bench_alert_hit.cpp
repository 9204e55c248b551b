// One alert hit with a long alert history: MainWindow::checkAlerts for a quote that reaches an alert,
// with 50,000 history rows already in the table (a year of a few repeating alerts). A hit beeps,
// flashes the quote row, shows its message, adds its history row, asks for a save and writes the
// console; all of it runs inside the window on the quote's road.
//
// - BM_AlertHitOneShot: a one-shot alert fires and opens its message box (closed again, untimed).
// - BM_AlertHitRepeating: a repeating alert fires again, past its cool-down, while the box of its
//   previous hit is still open.
// - BM_SaveSettingsWithHistory: the settings write alone with the same history, the part of a hit
//   that waits for the coalesced save (or ran inside the hit when every hit saved at once).
//
//   bench_alert_hit --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "bench/gui_benchmark_main.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QMessageBox>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
constexpr int kHistoryEntries = 50000;
constexpr qint64 kStartMs = 1700000000000;

QJsonArray longHistory()
{
    QJsonArray history;
    for (int i = 0; i < kHistoryEntries; ++i) {
        const int second = i % 86400;
        history.append(QJsonObject{{"timestamp", QStringLiteral("2026-%1-%2 %3:%4:%5")
                                                     .arg(1 + (i / 86400) % 12, 2, 10, QLatin1Char('0'))
                                                     .arg(1 + (i / 4000) % 28, 2, 10, QLatin1Char('0'))
                                                     .arg(second / 3600 % 24, 2, 10, QLatin1Char('0'))
                                                     .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                                                     .arg(second % 60, 2, 10, QLatin1Char('0'))},
                                   {"event", i % 10 ? "Triggered" : "Armed"},
                                   {"symbol", i % 3 ? "AAPL" : "PETR4.SA"},
                                   {"condition", ">= 100.0000"},
                                   {"target", 100.0},
                                   {"price", 100.0 + (i % 500) * 0.01},
                                   {"status", i % 10 ? "Hit" : "Active / Repeat"}});
    }
    return history;
}

struct HitWindow
{
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>();
    qint64 now = kStartMs;

    explicit HitWindow(bool repeating)
    {
        window->resize(1320, 820);
        window->show();
        window->alertClock = [this]() { return now; };
        window->alertBeep = []() {};
        window->quoteTable->setSortingEnabled(false);
        window->quoteTable->setRowCount(0);
        window->addWatchlistRow(QStringLiteral("AAPL"), QStringLiteral("US Equity"), QStringLiteral("Yahoo"),
                                QStringLiteral("pending"), false);
        PriceAlert alert;
        alert.symbol = QStringLiteral("AAPL");
        alert.target = 100.0;
        alert.repeating = repeating;
        window->alerts = {alert};
        window->loadAlertHistory(longHistory());
        // Newest at the bottom, as the table shows a history by default.
        window->alertHistoryTable->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
        window->refreshAlertHistoryTable();
        QApplication::processEvents();
    }

    void closePopups()
    {
        for (QMessageBox *box : window->findChildren<QMessageBox *>())
            box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Ready for the next hit: out of the cool-down and, for a one-shot alert, armed again.
    void nextRound()
    {
        now += kAlertCooldownMs;
        window->alerts[0].triggered = false;
        window->settingsSaveTimer.stop();
    }
};

void BM_AlertHitOneShot(benchmark::State &state)
{
    HitWindow hit(false);
    for (auto _ : state) {
        hit.window->checkAlerts(QStringLiteral("AAPL"), 101.5);
        state.PauseTiming();
        hit.closePopups();
        hit.nextRound();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_AlertHitRepeating(benchmark::State &state)
{
    HitWindow hit(true);
    hit.window->checkAlerts(QStringLiteral("AAPL"), 101.0);
    hit.nextRound();
    for (auto _ : state) {
        hit.window->checkAlerts(QStringLiteral("AAPL"), 101.5);
        state.PauseTiming();
        hit.nextRound();
        state.ResumeTiming();
    }
    state.counters["open_boxes"] = double(hit.window->findChildren<QMessageBox *>().size());
    state.SetItemsProcessed(state.iterations());
}

void BM_SaveSettingsWithHistory(benchmark::State &state)
{
    HitWindow hit(false);
    for (auto _ : state)
        hit.window->saveLocalSettings();
    state.SetItemsProcessed(state.iterations());
}
} // namespace

BENCHMARK(BM_AlertHitOneShot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlertHitRepeating)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSettingsWithHistory)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}
