// What the selected pair's live data costs with the order book in front, against the same data with the
// trade tape in front: the terminal's window (default size, shown offscreen, starting watchlist) with
// BTCUSDT selected is fed, through the sockets' own handlers, the frames of one simulated second after
// another: ten "@depth20@100ms" frames, five trades and one ticker frame for each crypto row. After each
// 100 ms slot the event loop runs until nothing is left to do, so every queued column fit, relayout and
// paint of the backing store is counted. The figure is the process's CPU time per simulated second, which
// is also the share of one core the live window would use (1 ms per second = 0.1 %).
//
//   bench_book_tape [simulated seconds per run] [runs] [book|tape|other]
//
// (default 20 s and 5 runs of every pane; naming one pane runs only that one, for a profiler).
//
// The runs alternate the panes (book, tape, another main tab) and each pane's figure is the median of its
// runs. Every provider host points at a closed loopback port; the window runs in a private home.

#include "app/app_identity.h"
#include "bench/isolated_environment.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QByteArray>
#include <QDateTime>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QPaintEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>
#include <vector>

namespace {
constexpr int kSlotsPerSecond = 10;   // one depth frame per 100 ms slot
constexpr int kTradeEverySlots = 2;   // five trades a second
constexpr qint64 kTicksPerUnit = 100; // BTCUSDT's price tick is 0.01

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// One 100 ms slot of the stream: always a depth frame, sometimes a trade, sometimes ticker frames.
struct Slot
{
    QString depth;
    QString trade;
    QStringList tickers;
};

// A BTCUSDT-like book that lives from frame to frame as a real one does: the best prices wander a few
// ticks, most levels keep their size, some change, some empty out and new ones appear, with sizes from
// a hundredth of a thousandth to a few coins. So the texts, and now and then the widest of them, change
// as often as on the live feed.
class BookWalk
{
public:
    QString nextDepth()
    {
        std::uniform_int_distribution<int> move(-3, 3);
        if (chance(0.4))
            bestBid += move(random);
        bestBid = std::max<qint64>(bestBid, 1);
        refresh(bids, bestBid, -1);
        refresh(asks, bestBid + 1 + (chance(0.1) ? 1 : 0), +1);
        QByteArray text = "{\"stream\":\"btcusdt@depth20@100ms\",\"data\":{\"lastUpdateId\":" +
                          QByteArray::number(++updateId) + ",\"bids\":[" + side(bids, true) + "],\"asks\":[" +
                          side(asks, false) + "]}}";
        return QString::fromUtf8(text);
    }

    QString nextTrade(qint64 timeMs)
    {
        const bool sell = chance(0.5);
        const qint64 ticks = sell ? bestBid : bestBid + 1;
        return QString::fromUtf8(
            "{\"stream\":\"btcusdt@trade\",\"data\":{\"e\":\"trade\",\"s\":\"BTCUSDT\",\"p\":\"" +
            price(ticks) + "\",\"q\":\"" + QByteArray::number(size(), 'f', 8) +
            "\",\"T\":" + QByteArray::number(timeMs) + ",\"m\":" + (sell ? "true" : "false") + "}}");
    }

    double last() const { return static_cast<double>(bestBid) / kTicksPerUnit; }

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random) < p; }

    double size() { return std::exp(std::uniform_real_distribution<double>(-9.0, 1.5)(random)); }

    static QByteArray price(qint64 ticks)
    {
        return QByteArray::number(static_cast<double>(ticks) / kTicksPerUnit, 'f', 8);
    }

    // Keeps the side's levels within 30 ticks of its best price; a level close to it is more often set.
    void refresh(std::map<qint64, double> &levels, qint64 best, int direction)
    {
        for (auto it = levels.begin(); it != levels.end();) {
            const qint64 away = (it->first - best) * direction;
            if (away < 0 || away > 30 || chance(0.04))
                it = levels.erase(it);
            else {
                if (chance(0.3))
                    it->second = size();
                ++it;
            }
        }
        for (qint64 away = 0; away <= 30; ++away) {
            const qint64 ticks = best + away * direction;
            if (!levels.count(ticks) && chance(away == 0 ? 1.0 : 0.15))
                levels[ticks] = size();
        }
    }

    static QByteArray side(const std::map<qint64, double> &levels, bool bids)
    {
        std::vector<std::pair<qint64, double>> ordered(levels.begin(), levels.end());
        if (bids)
            std::reverse(ordered.begin(), ordered.end());
        QByteArray text;
        for (size_t i = 0; i < ordered.size() && i < 20; ++i)
            text += (i ? "," : "") + QByteArray("[\"") + price(ordered[i].first) + "\",\"" +
                    QByteArray::number(ordered[i].second, 'f', 8) + "\"]";
        return text;
    }

    std::mt19937 random{20240611};
    qint64 bestBid = 10453218;
    qint64 updateId = 11655824136;
    std::map<qint64, double> bids;
    std::map<qint64, double> asks;
};

QString tickerFrame(const QString &symbol, double price, qint64 nowMs)
{
    const double change = std::fmod(price, 7.0) - 3.5;
    return QStringLiteral(R"({"stream":"%1@ticker","data":{"e":"24hrTicker","E":%2,"s":"%3",)"
                          R"("p":"%4","P":"%5","w":"100.00000000","x":"100.00000000","c":"%6",)"
                          R"("Q":"0.00250000","b":"%6","B":"0.32000000","a":"%6","A":"0.35414300",)"
                          R"("o":"100.00000000","h":"103.00000000","l":"97.00000000",)"
                          R"("v":"48745.36667100","q":"455442476.18534620","O":%7,"C":%2,)"
                          R"("F":343178738,"L":343729077,"n":550340}})")
        .arg(symbol.toLower(), QString::number(nowMs), symbol,
             QString::number(change * price / 100.0, 'f', 8), QString::number(change, 'f', 3),
             QString::number(price, 'f', 8), QString::number(nowMs - 86400000));
}

// The frames of `seconds` simulated seconds: the same list feeds every run.
QList<Slot> streamSlots(int seconds, const QStringList &cryptoRows)
{
    BookWalk walk;
    QList<Slot> out;
    qint64 timeMs = 1718100000000;
    for (int slot = 0; slot < seconds * kSlotsPerSecond; ++slot, timeMs += 100) {
        Slot next;
        next.depth = walk.nextDepth();
        if (slot % kTradeEverySlots == 0)
            next.trade = walk.nextTrade(timeMs);
        // One ticker frame a second per crypto row, spread over the second as the server spreads them.
        for (int row = 0; row < cryptoRows.size(); ++row) {
            if (slot % kSlotsPerSecond ==
                (row * kSlotsPerSecond) / std::max<int>(1, int(cryptoRows.size()))) {
                const double price = cryptoRows.at(row) == QLatin1String("BTCUSDT")
                                         ? walk.last()
                                         : 3500.0 + 0.01 * (slot % 97);
                next.tickers << tickerFrame(cryptoRows.at(row), price, timeMs);
            }
        }
        out << next;
    }
    return out;
}

// Counts the paints of the right pane's tables, to show that the runs paint what they show. With
// MVX_BOOK_BENCH_PAINTS set it also counts every widget's paints and lays (what a profiler cannot tell
// apart: which widget a frame made paint or lay out again), printed after the runs.
class PaintCounter : public QObject
{
public:
    QObject *book = nullptr;
    QObject *tape = nullptr;
    int bookPaints = 0;
    int tapePaints = 0;
    bool everyWidget = false;
    QHash<QString, int> counts;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            if (watched == book)
                ++bookPaints;
            else if (watched == tape)
                ++tapePaints;
        }
        if (everyWidget && watched->isWidgetType() &&
            (event->type() == QEvent::Paint || event->type() == QEvent::LayoutRequest ||
             event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
            QString name = QString::fromLatin1(watched->metaObject()->className());
            for (QObject *up = watched; up; up = up->parent()) {
                if (!up->objectName().isEmpty()) {
                    name += QLatin1Char(' ') + up->objectName();
                    break;
                }
                if (up == book || up == tape)
                    name += up == book ? QLatin1String(" (ask table)") : QLatin1String(" (tape table)");
            }
            if (event->type() == QEvent::Paint) {
                const QRect r = static_cast<QPaintEvent *>(event)->rect();
                name += QStringLiteral(" paint %1x%2").arg(r.width()).arg(r.height());
            } else {
                name += event->type() == QEvent::LayoutRequest ? QLatin1String(" layout")
                        : event->type() == QEvent::Resize      ? QLatin1String(" resize")
                                                               : QLatin1String(" move");
            }
            ++counts[name];
        }
        return QObject::eventFilter(watched, event);
    }
};

// Everything the event loop has to do after a slot's frames: queued fits, layouts, the backing store's
// paint. Timers of the window (quote poll and the like) are stopped before the runs.
void drain()
{
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// Runs the event loop for a while of wall time (the window's start and its data start).
void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

__attribute__((noinline)) void feed(MainWindow &window, const QList<Slot> &slots, int from, int count)
{
    for (int index = from; index < from + count; ++index) {
        const Slot &slot = slots.at(index % slots.size());
        window.onBinanceDepth(slot.depth);
        if (!slot.trade.isEmpty())
            window.onBinanceTrade(slot.trade);
        for (const QString &ticker : slot.tickers)
            window.onBinanceTicker(ticker);
        drain();
    }
}

struct Pane
{
    const char *label;
    const char *name;
    int mainTab;  // 0: Terminal
    int rightTab; // 0: Book, 1: Tape
    std::vector<double> msPerSecond;
    int bookPaints = 0;
    int tapePaints = 0;
    double simulatedSeconds = 0.0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}
} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc >= 2 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    const int runs = argc >= 3 ? std::max(1, QByteArray(argv[2]).toInt()) : 5;
    const QByteArray only = argc >= 4 ? QByteArray(argv[3]) : QByteArray();

    const bool countEveryWidget = qEnvironmentVariableIsSet("MVX_BOOK_BENCH_PAINTS");
    QTemporaryDir home;
    isolateBenchProcess(home.path(), false);
    QApplication app(argc, argv);
    applyApplicationIdentity(app);

    MainWindow window;
    window.show();
    for (int tries = 0; tries < 100 && !(window.windowHandle() && window.windowHandle()->isExposed());
         ++tries)
        wait(20);
    if (!window.windowHandle() || !window.windowHandle()->isExposed()) {
        std::fprintf(stderr, "the window was never exposed\n");
        return 1;
    }
    // Let the data start run (its requests fail at once on the closed port), then silence the timers
    // and reconnects, so that only the frames fed here cost anything.
    wait(400);
    const int row = window.findSymbolRow(QStringLiteral("BTCUSDT"));
    if (row < 0) {
        std::fprintf(stderr, "BTCUSDT is not in the starting watchlist\n");
        return 1;
    }
    window.quoteTable->setCurrentCell(row, 0);
    wait(200);
    for (QTimer *timer :
         {&window.quotePollTimer, &window.moversTimer, &window.newsTimer, &window.usdBrlTimer,
          &window.itickPingTimer, &window.itickDepthTimer, &window.itickRetryTimer,
          &window.tickerReconnectTimer, &window.depthReconnectTimer, &window.tradeReconnectTimer})
        timer->stop();
    drain();
    if (window.bookSymbol != QLatin1String("BTCUSDT") || !window.tradeStreamActive) {
        std::fprintf(stderr, "the book and tape did not follow BTCUSDT\n");
        return 1;
    }

    QStringList cryptoRows;
    for (int r = 0; r < window.quoteTable->rowCount(); ++r) {
        const QString symbol = window.quoteTable->item(r, QuoteColumnSymbol)
                                   ? window.quoteTable->item(r, QuoteColumnSymbol)->text()
                                   : QString();
        if (window.classifySymbol(symbol) == QLatin1String("Crypto"))
            cryptoRows << symbol;
    }
    const QList<Slot> slots = streamSlots(seconds + 1, cryptoRows);
    const int warmUp = kSlotsPerSecond;

    PaintCounter paints;
    paints.book = window.askTable->viewport();
    paints.tape = window.tapeTable->viewport();
    paints.everyWidget = countEveryWidget;
    if (paints.everyWidget)
        app.installEventFilter(&paints);
    else {
        paints.book->installEventFilter(&paints);
        paints.tape->installEventFilter(&paints);
    }

    Pane panes[] = {{"book in front", "book", 0, 0, {}},
                    {"tape in front", "tape", 0, 1, {}},
                    {"another tab in front", "other", 1, 1, {}}};
    for (int run = 0; run < runs; ++run) {
        for (Pane &pane : panes) {
            if (!only.isEmpty() && only != pane.name)
                continue;
            window.mainTabs->setCurrentIndex(pane.mainTab);
            window.rightTabs->setCurrentIndex(pane.rightTab);
            drain();
            feed(window, slots, 0, warmUp);
            paints.bookPaints = paints.tapePaints = 0;
            paints.counts.clear();
            const double start = cpuSeconds();
            feed(window, slots, warmUp, seconds * kSlotsPerSecond);
            const double cpu = cpuSeconds() - start;
            pane.msPerSecond.push_back(1000.0 * cpu / seconds);
            pane.bookPaints += paints.bookPaints;
            pane.tapePaints += paints.tapePaints;
            pane.simulatedSeconds += seconds;
            for (auto it = paints.counts.cbegin(); it != paints.counts.cend(); ++it)
                std::fprintf(stderr, "%s: %6.1f/s %s\n", pane.name, it.value() / double(seconds),
                             qPrintable(it.key()));
        }
    }
    if (!window.bookLive || window.askTable->rowCount() == 0 || window.tapeTable->rowCount() == 0) {
        std::fprintf(stderr, "the frames did not reach the book and the tape\n");
        return 1;
    }

    std::printf("BTCUSDT selected, %dx%d window (%s): per simulated second %d depth frames, %d trades, "
                "%lld ticker frames; %d s a run, %d runs a pane\n",
                window.width(), window.height(), qPrintable(QGuiApplication::platformName()), kSlotsPerSecond,
                kSlotsPerSecond / kTradeEverySlots, static_cast<long long>(cryptoRows.size()), seconds, runs);
    for (const Pane &pane : panes) {
        if (pane.msPerSecond.empty())
            continue;
        const auto [low, high] = std::minmax_element(pane.msPerSecond.begin(), pane.msPerSecond.end());
        const double ms = median(pane.msPerSecond);
        std::printf("  %-21s %7.2f ms CPU per simulated second (%5.2f %% of a core; runs %.2f .. %.2f), "
                    "paints per second: book %.1f, tape %.1f\n",
                    pane.label, ms, ms / 10.0, *low, *high, pane.bookPaints / pane.simulatedSeconds,
                    pane.tapePaints / pane.simulatedSeconds);
    }
    if (!only.isEmpty())
        return 0;
    const double book = median(panes[0].msPerSecond);
    const double tape = median(panes[1].msPerSecond);
    std::printf("  book / tape: %.2f (goal: at most 1.5)\n", book / tape);
    return 0;
}
