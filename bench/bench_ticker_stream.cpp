// What the Binance ticker stream costs a typical session: the terminal's window with 50 crypto rows
// and the other rows of a session (B3, US, forex), a portfolio holding some of them and the movers in
// "watchlist" scope, fed by a loopback fixture in a process of its own with one ticker frame per
// symbol per second. The figure is the terminal process's CPU time over the wall time, as a share of
// one core, beside the same window with the stream connected and silent for the same time.
//
//   bench_ticker_stream [seconds]             driver (default 30 s per run, or MVX_TICKER_BENCH_SECONDS)
//   bench_ticker_stream --fixture spread|burst|idle the stream fixture: prints "port N", then serves
//   bench_ticker_stream --terminal seconds    one terminal run: prints "result cpu wall messages maxrss"
//
// Every provider host points at a closed loopback port; the terminal runs in a private home on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "app/app_identity.h"
#include "app/endpoints.h"
#include "bench/isolated_environment.h"
#include "shell/main_window.h"
#include "watchlist/watchlist_file.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QPaintEvent>
#include <QPointer>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {
constexpr int kWarmUpMs = 2000;

const char *const kCryptoSymbols[] = {
    "BTCUSDT",  "ETHUSDT",   "BNBUSDT",  "SOLUSDT",   "XRPUSDT",  "DOGEUSDT", "ADAUSDT",  "TRXUSDT",
    "AVAXUSDT", "LINKUSDT",  "DOTUSDT",  "MATICUSDT", "LTCUSDT",  "BCHUSDT",  "UNIUSDT",  "ATOMUSDT",
    "XLMUSDT",  "ETCUSDT",   "FILUSDT",  "APTUSDT",   "ARBUSDT",  "OPUSDT",   "NEARUSDT", "ICPUSDT",
    "VETUSDT",  "ALGOUSDT",  "HBARUSDT", "SANDUSDT",  "MANAUSDT", "AXSUSDT",  "AAVEUSDT", "EGLDUSDT",
    "XTZUSDT",  "THETAUSDT", "EOSUSDT",  "FTMUSDT",   "GRTUSDT",  "SNXUSDT",  "CRVUSDT",  "MKRUSDT",
    "COMPUSDT", "RUNEUSDT",  "INJUSDT",  "SUIUSDT",   "SEIUSDT",  "TIAUSDT",  "PEPEUSDT", "SHIBUSDT",
    "WLDUSDT",  "LDOUSDT"};
const char *const kOtherSymbols[] = {"PETR4.SA", "VALE3.SA", "ITUB4.SA", "BBDC4.SA", "ABEV3.SA", "WEGE3.SA",
                                     "AAPL",     "NVDA",     "MSFT",     "AMZN",     "GOOGL",    "TSLA",
                                     "META",     "BRL=X",    "EURUSD=X", "JPY=X"};

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// ---- the fixture ---------------------------------------------------------------------------------

// One connected client: the "@ticker" symbols its address asked for, and how many frames it was sent
// since it connected, so that each symbol gets one frame a second spread evenly over the second.
struct FixtureClient
{
    QPointer<QWebSocket> socket;
    QStringList symbols;
    QElapsedTimer since;
    qint64 sent = 0;
};

QByteArray tickerFrame(const QString &symbol, qint64 sequence)
{
    const double drift = std::sin(static_cast<double>(sequence) * 0.37);
    const double price = 100.0 + 3.0 * drift;
    const double changePct = 2.0 * drift;
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    return QStringLiteral(R"({"stream":"%1@ticker","data":{"e":"24hrTicker","E":%2,"s":"%3",)"
                          R"("p":"%4","P":"%5","w":"100.00000000","x":"100.00000000","c":"%6",)"
                          R"("Q":"0.00250000","b":"%7","B":"0.32000000","a":"%8","A":"0.35414300",)"
                          R"("o":"100.00000000","h":"103.00000000","l":"97.00000000",)"
                          R"("v":"48745.36667100","q":"455442476.18534620","O":%9,"C":%2,)"
                          R"("F":343178738,"L":343729077,"n":550340}})")
        .arg(symbol.toLower(), QString::number(nowMs), symbol, QString::number(price - 100.0, 'f', 8),
             QString::number(changePct, 'f', 3), QString::number(price, 'f', 8),
             QString::number(price - 0.01, 'f', 8), QString::number(price + 0.01, 'f', 8),
             QString::number(nowMs - 86400000))
        .toUtf8();
}

// "spread": each symbol once a second, the frames spread evenly over the second; "burst": every
// symbol at once each second, as a server that ticks all its symbols together sends them; "idle": none.
int runFixture(int argc, char **argv, const QByteArray &mode)
{
    QCoreApplication app(argc, argv);
    QWebSocketServer server(QStringLiteral("ticker fixture"), QWebSocketServer::NonSecureMode);
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "fixture: cannot listen\n");
        return 1;
    }
    QList<FixtureClient> clients;
    QObject::connect(&server, &QWebSocketServer::newConnection, &server, [&]() {
        while (QWebSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
            FixtureClient client;
            client.socket = socket;
            const QString streams =
                QUrlQuery(socket->requestUrl()).queryItemValue(QStringLiteral("streams"), QUrl::FullyDecoded);
            for (const QString &name : streams.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
                if (name.endsWith(QLatin1String("@ticker")))
                    client.symbols.append(name.section(QLatin1Char('@'), 0, 0).toUpper());
            }
            client.since.start();
            clients.append(client);
        }
    });
    const bool burst = mode == "burst";
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    pace.setInterval(5);
    QObject::connect(&pace, &QTimer::timeout, &server, [&]() {
        for (FixtureClient &client : clients) {
            if (!client.socket || client.symbols.isEmpty())
                continue;
            const qint64 elapsed = client.since.elapsed();
            const qint64 due =
                burst ? (elapsed / 1000) * client.symbols.size() : elapsed * client.symbols.size() / 1000;
            for (; client.sent < due; ++client.sent) {
                const QString &symbol =
                    client.symbols.at(static_cast<int>(client.sent % client.symbols.size()));
                client.socket->sendTextMessage(QString::fromUtf8(tickerFrame(symbol, client.sent)));
            }
        }
    });
    if (mode != "idle")
        pace.start();
    std::printf("port %u\n", static_cast<unsigned>(server.serverPort()));
    std::fflush(stdout);
    return app.exec();
}

// ---- one terminal run ----------------------------------------------------------------------------

// With MVX_TICKER_BENCH_PAINTS set, the run also tells which widgets the stream made repaint (and with
// MVX_TICKER_BENCH_RECTS too, which window areas).
class PaintCounter : public QObject
{
public:
    bool counting = false;
    QHash<QString, int> paints;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (counting && event->type() == QEvent::Paint) {
            QString name = QString::fromLatin1(watched->metaObject()->className());
            for (QObject *up = watched; up; up = up->parent()) {
                if (!up->objectName().isEmpty()) {
                    name += QLatin1Char(' ') + up->objectName();
                    break;
                }
            }
            ++paints[name];
            if (qEnvironmentVariableIsSet("MVX_TICKER_BENCH_RECTS") && watched->isWidgetType() &&
                static_cast<QWidget *>(watched)->isWindow()) {
                const QRect r = static_cast<QPaintEvent *>(event)->rect();
                ++paints
                    [QStringLiteral("rect %1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())];
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

int runTerminal(int argc, char **argv, int seconds)
{
    qInstallMessageHandler(quietOffscreenWarnings);
    QApplication app(argc, argv);
    applyApplicationIdentity(app);
    MainWindow window;
    window.resize(1320, 820);

    QList<WatchlistRow> rows;
    for (const char *symbol : kCryptoSymbols)
        rows.append({QString::fromLatin1(symbol), window.classifySymbol(QString::fromLatin1(symbol)),
                     QStringLiteral("Binance")});
    for (const char *symbol : kOtherSymbols)
        rows.append({QString::fromLatin1(symbol), window.classifySymbol(QString::fromLatin1(symbol)),
                     QStringLiteral("Yahoo")});
    window.quoteTable->setRowCount(0);
    window.appendWatchlistRows(rows);

    QList<PortfolioPosition> positions;
    for (int i = 0; i < 8; ++i)
        positions.append({QString::fromLatin1(kCryptoSymbols[i]), 1.0 + i, 90.0 + i});
    for (int i = 0; i < 6; ++i)
        positions.append({QString::fromLatin1(kOtherSymbols[i]), 100.0 * (i + 1), 30.0 + i});
    window.portfolioPositions.insert(window.activePortfolio, positions);
    window.populateMoversScopeCombo(QStringLiteral("watchlist"));
    window.show();

    qint64 messages = 0;
    QObject::connect(&window.tickerSocket, &QWebSocket::textMessageReceived, &window,
                     [&messages](const QString &) { ++messages; });

    // The window starts its market data a moment after it opens; the stream joins then.
    QElapsedTimer waiting;
    waiting.start();
    while (window.tickerSocket.state() != QAbstractSocket::ConnectedState && waiting.elapsed() < 15000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (window.tickerSocket.state() != QAbstractSocket::ConnectedState) {
        std::fprintf(stderr, "terminal: the ticker stream did not connect\n");
        return 1;
    }
    QEventLoop settle;
    QTimer::singleShot(kWarmUpMs, &settle, &QEventLoop::quit);
    settle.exec();

    PaintCounter paintCounter;
    const bool countPaints = qEnvironmentVariableIsSet("MVX_TICKER_BENCH_PAINTS");
    if (countPaints) {
        app.installEventFilter(&paintCounter);
        paintCounter.counting = true;
    }
    const qint64 firstMessage = messages;
    QElapsedTimer wall;
    const double cpuStart = cpuSeconds();
    wall.start();
    QEventLoop run;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &run, &QEventLoop::quit);
    run.exec();
    const double cpu = cpuSeconds() - cpuStart;
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    paintCounter.counting = false;
    for (auto it = paintCounter.paints.cbegin(); it != paintCounter.paints.cend(); ++it)
        std::fprintf(stderr, "paints %6d %s\n", it.value(), qPrintable(it.key()));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("result %.6f %.6f %lld %ld\n", cpu, wallSeconds,
                static_cast<long long>(messages - firstMessage), usage.ru_maxrss);
    std::fflush(stdout);
    return 0;
}

// ---- the driver ----------------------------------------------------------------------------------

struct RunResult
{
    bool ok = false;
    double cpu = 0.0;
    double wall = 0.0;
    qint64 messages = 0;
    long maxRssKb = 0;
};

RunResult measure(const QString &self, const QString &mode, int seconds)
{
    RunResult result;
    QProcess fixture;
    fixture.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    fixture.start(self, {QStringLiteral("--fixture"), mode});
    if (!fixture.waitForReadyRead(10000))
        return result;
    const QByteArray line = fixture.readLine().trimmed();
    if (!line.startsWith("port "))
        return result;
    const QByteArray port = line.mid(5);

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : env.keys()) {
        if (key.startsWith(QLatin1String("MVX_")))
            env.remove(key);
    }
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
    for (const EndpointInfo &info : endpointTable())
        env.insert(QString::fromLatin1(info.envVar), QStringLiteral("http://127.0.0.1:1"));
    env.insert(QStringLiteral("MVX_BINANCE_STREAM_URL"),
               QStringLiteral("ws://127.0.0.1:") + QString::fromLatin1(port));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess terminal;
    terminal.setProcessEnvironment(env);
    terminal.setWorkingDirectory(home.path());
    terminal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    terminal.start(self, {QStringLiteral("--terminal"), QString::number(seconds)});
    terminal.waitForFinished((seconds + 60) * 1000);
    const QList<QByteArray> lines = terminal.readAllStandardOutput().split('\n');
    for (const QByteArray &output : lines) {
        const QList<QByteArray> fields = output.trimmed().split(' ');
        if (fields.size() == 5 && fields.at(0) == "result") {
            result.cpu = fields.at(1).toDouble();
            result.wall = fields.at(2).toDouble();
            result.messages = fields.at(3).toLongLong();
            result.maxRssKb = fields.at(4).toLong();
            result.ok = result.wall > 0.0;
        }
    }
    fixture.kill();
    fixture.waitForFinished(5000);
    return result;
}

void printRun(const char *label, const RunResult &run)
{
    std::printf(
        "  %-26s cpu %8.3f s over %7.3f s wall = %6.3f %% of one core, %lld messages, max RSS %ld MiB\n",
        label, run.cpu, run.wall, 100.0 * run.cpu / run.wall, static_cast<long long>(run.messages),
        run.maxRssKb / 1024);
}
} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--fixture")
        return runFixture(argc, argv, QByteArray(argv[2]));
    if (argc >= 3 && QByteArray(argv[1]) == "--terminal")
        return runTerminal(argc, argv, std::max(1, QByteArray(argv[2]).toInt()));

    QCoreApplication app(argc, argv);
    int seconds = 30;
    if (argc >= 2)
        seconds = std::max(1, QByteArray(argv[1]).toInt());
    else if (qEnvironmentVariableIntValue("MVX_TICKER_BENCH_SECONDS") > 0)
        seconds = qEnvironmentVariableIntValue("MVX_TICKER_BENCH_SECONDS");
    const QString self = QCoreApplication::applicationFilePath();
    const int crypto = static_cast<int>(std::size(kCryptoSymbols));
    const int others = static_cast<int>(std::size(kOtherSymbols));

    const RunResult idle = measure(self, QStringLiteral("idle"), seconds);
    const RunResult spread = measure(self, QStringLiteral("spread"), seconds);
    const RunResult burst = measure(self, QStringLiteral("burst"), seconds);
    std::printf(
        "ticker stream: %d crypto rows (one frame per symbol per second) and %d other rows, %d s each\n",
        crypto, others, seconds);
    if (!idle.ok || !spread.ok || !burst.ok) {
        std::printf("  a run failed (idle %s, spread %s, burst %s)\n", idle.ok ? "ok" : "failed",
                    spread.ok ? "ok" : "failed", burst.ok ? "ok" : "failed");
        return 1;
    }
    printRun("idle (stream silent):", idle);
    const double idleShare = idle.cpu / idle.wall;
    bool met = true;
    for (const auto &[label, run] :
         {std::pair<const char *, RunResult>{"spread over each second:", spread},
          std::pair<const char *, RunResult>{"in one burst each second:", burst}}) {
        printRun(label, run);
        const double share = run.cpu / run.wall;
        met = met && share < 0.05;
        if (run.messages > 0)
            std::printf("  %-26s cost per message %.1f us in all, %.1f us above idle\n", "",
                        1e6 * run.cpu / static_cast<double>(run.messages),
                        1e6 * (share - idleShare) * run.wall / static_cast<double>(run.messages));
    }
    std::printf("  goal: under 5 %% of one core: %s\n", met ? "met" : "NOT met");
    return 0;
}
