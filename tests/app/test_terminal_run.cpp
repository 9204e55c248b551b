#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/startup_log_lines.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableWidget>
#include <QUrlQuery>

#include <algorithm>
#include <memory>

namespace {

const QString kYahooChart = QStringLiteral("/v8/finance/chart/");
const QString kBrapiQuote = QStringLiteral("/api/quote/");
const QString kBinanceTicker = QStringLiteral("/api/v3/ticker/24hr");

const QStringList kDefaultRows = {"PETR4.SA", "VALE3.SA", "AAPL", "NVDA", "BTCUSDT", "ETHUSDT", "BRL=X"};
const QStringList kCryptoRows = {"BTCUSDT", "ETHUSDT"};
const QStringList kPolledRows = {"PETR4.SA", "VALE3.SA", "AAPL", "NVDA", "BRL=X"};

// A recording made for one symbol, answering for another: the recorded symbol, quoted as it stands in
// the reply, becomes the asked one. Prices and times stay as recorded.
FakeReply recordedFor(const QString &file, const QByteArray &recordedSymbol, const QString &symbol,
                      int status = 200)
{
    QByteArray body = recordedBody(file);
    body.replace('"' + recordedSymbol + '"', '"' + symbol.toUtf8() + '"');
    return FakeReply::json(body, status);
}

// Every outside service as the terminal meets it, answered with replies recorded from the real ones:
// Yahoo's chart for US, B3 and forex symbols, brapi's quote for PETR4 (its recording's own ticker) and
// brapi's recorded "unknown ticker" answer for any other, so VALE3.SA goes on to Yahoo, and Binance's
// 24-hour ticker for crypto pairs.
FakeReply recordedMarketReply(const RecordedRequest &request)
{
    if (request.path.startsWith(kYahooChart)) {
        const QString symbol = QUrl::fromPercentEncoding(request.path.mid(kYahooChart.size()).toUtf8());
        if (symbol.endsWith(QLatin1String(".SA")))
            return recordedFor("yahoo/chart_PETR4.SA_B3_1d_period1-period2_2022-11-23_2022-12-22.json",
                               "PETR4.SA", symbol);
        if (symbol.endsWith(QLatin1String("=X")))
            return recordedFor("yahoo/chart_EURUSD_X_forex_1d_2020-01-01_2020-01-03.json", "EURUSD=X",
                               symbol);
        return recordedFor("yahoo/chart_AAPL_1m_intraday_2024-10-02_previousClose.json", "AAPL", symbol);
    }
    if (request.path == kBrapiQuote + QStringLiteral("PETR4"))
        return recordedReply("brapi/quote_PETR4+BVSP_range_interval_modules_docs_example_200.json");
    if (request.path.startsWith(kBrapiQuote)) {
        // The recording names the ticker it did not find in its message.
        FakeReply reply = recordedReply("brapi/quote_error_404_unknown_ticker_docs_example.json", 404);
        reply.body.replace("G3X", request.path.mid(kBrapiQuote.size()).toUtf8());
        return reply;
    }
    if (request.path == kBinanceTicker)
        return recordedFor("binance/rest_ticker_24hr_BTCUSDT_testnet_recorded.json", "BTCUSDT",
                           QUrlQuery(request.query).queryItemValue(QStringLiteral("symbol")));
    return FakeReply::text("not found", 404);
}

// The watchlist symbol a request asks about, or empty for any other request.
QString requestedSymbol(const RecordedRequest &request)
{
    if (request.path.startsWith(kYahooChart))
        return QUrl::fromPercentEncoding(request.path.mid(kYahooChart.size()).toUtf8());
    if (request.path.startsWith(kBrapiQuote))
        return request.path.mid(kBrapiQuote.size()) + QStringLiteral(".SA");
    if (request.path == kBinanceTicker)
        return QUrlQuery(request.query).queryItemValue(QStringLiteral("symbol"));
    return {};
}

using Counts = QMap<QString, int>;

// How many requests the services received about each symbol so far.
Counts requestCounts(const FakeHttpServer &server)
{
    Counts counts;
    for (const RecordedRequest &request : server.requests()) {
        const QString symbol = requestedSymbol(request);
        if (!symbol.isEmpty())
            ++counts[symbol];
    }
    return counts;
}

// What a filled row shows once the recorded replies above have reached it.
struct FilledRow
{
    QString source;
    QString last;
};

const QMap<QString, FilledRow> &filledRows()
{
    static const QMap<QString, FilledRow> rows = {
        {"PETR4.SA", {"BrAPI", "36.7100"}},          {"VALE3.SA", {"Yahoo Public", "25.1200"}},
        {"AAPL", {"Yahoo Public", "225.6700"}},      {"NVDA", {"Yahoo Public", "225.6700"}},
        {"MSFT", {"Yahoo Public", "225.6700"}},      {"BTCUSDT", {"Binance Public", "65861.66"}},
        {"ETHUSDT", {"Binance Public", "65861.66"}}, {"BRL=X", {"Yahoo Public", "1.1131"}},
    };
    return rows;
}

QString cell(const MainWindow &window, const QString &symbol, int column)
{
    const int row = window.findSymbolRow(symbol);
    const QTableWidgetItem *item = row >= 0 ? window.quoteTable->item(row, column) : nullptr;
    return item ? item->text() : QStringLiteral("<none>");
}

QStringList rowSymbols(const MainWindow &window)
{
    QStringList symbols;
    for (int row = 0; row < window.quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = window.quoteTable->item(row, QuoteColumnSymbol);
        symbols << (item ? item->text() : QString());
    }
    return symbols;
}

// What keeps a row from being filled as the user should see it; empty when it is.
QString rowProblem(const MainWindow &window, const QString &symbol)
{
    const QString last = cell(window, symbol, QuoteColumnLast);
    const QString source = cell(window, symbol, QuoteColumnSource);
    const QString latency = cell(window, symbol, QuoteColumnLatency);
    const QString status = cell(window, symbol, QuoteColumnStatus);
    static const QRegularExpression milliseconds(QStringLiteral("^\\d+ ms$"));
    const FilledRow expected = filledRows().value(symbol);
    const bool filled = last == expected.last && source == expected.source &&
                        milliseconds.match(latency).hasMatch() && !status.isEmpty() && status != "--" &&
                        status != "loading" && status != "pending" && status != "all providers failed";
    if (filled)
        return {};
    return QStringLiteral("%1: last %2, source %3, latency %4, status %5")
        .arg(symbol, last, source, latency, status);
}

QStringList unfilledRows(const MainWindow &window, const QStringList &symbols)
{
    QStringList problems;
    for (const QString &symbol : symbols) {
        const QString problem = rowProblem(window, symbol);
        if (!problem.isEmpty())
            problems << problem;
    }
    return problems;
}

// No quote run is going and no request is still out: what the server recorded is complete.
bool quiet(const MainWindow &window)
{
    if (!window.quoteCascades.isEmpty())
        return false;
    const auto replies = window.networkManager.findChildren<QNetworkReply *>();
    return std::none_of(replies.cbegin(), replies.cend(),
                        [](const QNetworkReply *reply) { return !reply->isFinished(); });
}

QStringList consoleLines(const MainWindow &window)
{
    QStringList lines;
    for (const QString &line : window.eventConsole->toPlainText().split(QLatin1Char('\n')))
        lines << line.mid(line.indexOf(QLatin1String("] ")) + 2); // without the time stamp
    return lines;
}

QJsonObject storedSettings(const TempHome &home)
{
    return QJsonDocument::fromJson(TempHome::readFile(home.appConfigDir() + QStringLiteral("/local.json")))
        .object();
}

QList<int> ints(const QJsonValue &value)
{
    QList<int> out;
    for (const QJsonValue &element : value.toArray())
        out << element.toInt();
    return out;
}

// A press on one row, a release on another: the user drags the row there (both rows in view).
void dragRow(MainWindow &window, int from, int to)
{
    QTableWidget *table = window.quoteTable;
    table->scrollToItem(table->item(std::max(from, to), QuoteColumnSymbol));
    table->scrollToItem(table->item(std::min(from, to), QuoteColumnSymbol));
    const QPoint start = table->visualItemRect(table->item(from, QuoteColumnSymbol)).center();
    const QPoint end = table->visualItemRect(table->item(to, QuoteColumnSymbol)).center();
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(table->viewport(), end);
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, end);
}

// The user drags a splitter's handle by the given distance, in a few steps.
void dragSplitterHandle(QSplitter *splitter, int index, const QPoint &distance)
{
    QWidget *handle = splitter->handle(index);
    const QPoint start = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(handle, start + distance * step / 4);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, start + distance);
}

// A loopback server standing in for every service, answering with the recorded replies.
class RecordedMarket
{
public:
    RecordedMarket() { services.server().setHandler(recordedMarketReply); }
    bool isRunning() const { return services.isRunning(); }
    FakeHttpServer &server() { return services.server(); }

private:
    LoopbackServices services;
};

} // namespace

// The terminal as its user runs it: a real window in a private home, every service a loopback server
// that replays replies recorded from the real ones.
class TestTerminalRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Closing a test window must not end the test process's event handling.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void init()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("no recorded replies");
    }

    // A first start in an empty home: the whole start-up log, the seven default rows filled well within
    // fifteen seconds, then the fifteen-second poll asking for every row but the crypto ones again.
    void aFirstStartFillsTheDefaultRowsAndKeepsPolling()
    {
        TempHome home;
        RecordedMarket market;
        QVERIFY(market.isRunning());
        MainWindow window;
        QElapsedTimer sinceConstruction;
        sinceConstruction.start();
        window.show();

        QCOMPARE(startupLogTexts(home), expectedStartupLogTexts());
        QCOMPARE(consoleLines(window), QStringList{"Terminal initialized"});
        QCOMPARE(rowSymbols(window), kDefaultRows);
        QVERIFY(QFile::exists(window.watchlistWritePath()));

        QTRY_VERIFY2_WITH_TIMEOUT(unfilledRows(window, kDefaultRows).isEmpty(),
                                  qPrintable(unfilledRows(window, kDefaultRows).join("; ")), 15000);
        QVERIFY2(!window.eventConsole->toPlainText().contains("failed"),
                 qPrintable(window.eventConsole->toPlainText()));
        // Every first request has been answered; from here on only the poll asks again.
        QTRY_VERIFY(quiet(window));
        const Counts beforePoll = requestCounts(market.server());
        for (const QString &symbol : kDefaultRows)
            QVERIFY2(beforePoll.value(symbol) > 0, qPrintable(symbol));

        int polls = 0;
        qint64 pollAtMs = -1;
        Counts atPoll;
        QObject pollWatch;
        connect(&window.quotePollTimer, &QTimer::timeout, &pollWatch, [&]() {
            if (++polls > 1)
                return;
            pollAtMs = sinceConstruction.elapsed();
            atPoll = requestCounts(market.server());
        });
        QTRY_VERIFY_WITH_TIMEOUT(polls > 0, 17000);
        // The timer's own period, counted from the data start 250 ms after the loop began (a coarse timer
        // may fire up to 5% early).
        QVERIFY2(pollAtMs >= 14000, qPrintable(QString::number(pollAtMs)));
        QCOMPARE(atPoll, beforePoll);

        QTRY_VERIFY(quiet(window));
        const Counts afterPoll = requestCounts(market.server());
        for (const QString &symbol : kPolledRows)
            QVERIFY2(afterPoll.value(symbol) > beforePoll.value(symbol), qPrintable(symbol));
        // No WebSocket answers here: with the ticker stream down the poll fetches the crypto rows by HTTP.
        for (const QString &symbol : kCryptoRows)
            QVERIFY2(afterPoll.value(symbol) > beforePoll.value(symbol), qPrintable(symbol));
        QCOMPARE(unfilledRows(window, kDefaultRows), QStringList());
        QCOMPARE(polls, 1);
    }

    // What the user changed is there again after a restart in the same home.
    void aRestartShowsWhatTheUserLeft()
    {
        TempHome home;
        RecordedMarket market;
        QVERIFY(market.isRunning());
        QStringList order;
        QList<int> leftSizes;
        QList<int> workspaceSizes;
        QRect geometry;
        int frameWidth = 0;
        {
            auto window = std::make_unique<MainWindow>();
            // Above the smallest size the themed window allows, so the size asked for is the size kept.
            window->resize(860, 780);
            window->move(24, 16);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QTRY_VERIFY(window->marketDataStarted);

            QTest::keyClicks(window->symbolInput, QStringLiteral("msft"));
            QTest::keyClick(window->symbolInput, Qt::Key_Return);
            QCOMPARE(window->findSymbolRow(QStringLiteral("MSFT")), 7);

            dragRow(*window, 2, 0);
            order = rowSymbols(*window);
            QCOMPARE(order, (QStringList{"AAPL", "PETR4.SA", "VALE3.SA", "NVDA", "BTCUSDT", "ETHUSDT",
                                         "BRL=X", "MSFT"}));

            window->languagePortugueseAction->trigger();
            QCOMPARE(window->windowTitle(), QStringLiteral("Terminal Murvex"));
            window->chartTimeframeCombo->setCurrentText(QStringLiteral("1h"));

            const QList<int> sizesBefore = window->leftSplitter->sizes();
            dragSplitterHandle(window->leftSplitter, 1, QPoint(0, -60));
            QVERIFY(window->leftSplitter->sizes() != sizesBefore);
            // The drag is saved by itself once it stops.
            QTRY_COMPARE(ints(storedSettings(home).value("left_splitter_sizes")),
                         window->leftSplitter->sizes());
            leftSizes = window->leftSplitter->sizes();
            workspaceSizes = window->workspaceSplitter->sizes();
            geometry = window->geometry();
            QCOMPARE(geometry.size(), QSize(860, 780));
            frameWidth = std::max(geometry.top() - window->frameGeometry().top(),
                                  geometry.left() - window->frameGeometry().left());

            QVERIFY(window->close());
            QTRY_VERIFY(quiet(*window));
        }

        market.server().clearRequests();
        MainWindow again;
        QCOMPARE(rowSymbols(again), order);
        QCOMPARE(again.settings.language, QStringLiteral("pt_BR"));
        QVERIFY(again.languagePortugueseAction->isChecked());
        QCOMPARE(again.windowTitle(), QStringLiteral("Terminal Murvex"));
        QCOMPARE(consoleLines(again), QStringList{"Terminal inicializado"});
        QCOMPARE(again.chartTimeframeCombo->currentText(), QStringLiteral("1h"));
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), geometry.size());
        // A window placed before it was ever shown cannot know its frame yet: the toolkit may put it off by
        // up to the frame's width.
        const QPoint shift = again.pos() - geometry.topLeft();
        QVERIFY2(qAbs(shift.x()) <= frameWidth && qAbs(shift.y()) <= frameWidth,
                 qPrintable(QStringLiteral("%1,%2").arg(shift.x()).arg(shift.y())));
        QCOMPARE(again.leftSplitter->sizes(), leftSizes);
        QCOMPARE(again.workspaceSplitter->sizes(), workspaceSizes);
        // And it goes on working: every row, the added one too, fills again.
        QTRY_VERIFY2_WITH_TIMEOUT(unfilledRows(again, order).isEmpty(),
                                  qPrintable(unfilledRows(again, order).join("; ")), 15000);
        // B3 and forex quotes bring the chart's candles: they are asked for in the timeframe the user left.
        QStringList inTimeframe;
        for (const RecordedRequest &request : market.server().requests()) {
            const QString symbol = requestedSymbol(request);
            if (symbol.endsWith(QLatin1String(".SA")) || symbol.endsWith(QLatin1String("=X"))) {
                QCOMPARE(QUrlQuery(request.query).queryItemValue(QStringLiteral("interval")),
                         QStringLiteral("1h"));
                inTimeframe << symbol;
            }
        }
        for (const QString &symbol : {"PETR4.SA", "VALE3.SA", "BRL=X"})
            QVERIFY2(inTimeframe.contains(symbol), qPrintable(symbol));
    }

    // The services go away while the terminal runs and come back: the polled rows say so, the console
    // names every failed attempt, and the rows fill again without a restart.
    void anOutageIsReportedAndRecoveredFrom()
    {
        TempHome home;
        RecordedMarket market;
        QVERIFY(market.isRunning());
        MainWindow window;
        window.show();
        QTRY_VERIFY2_WITH_TIMEOUT(unfilledRows(window, kDefaultRows).isEmpty(),
                                  qPrintable(unfilledRows(window, kDefaultRows).join("; ")), 15000);
        QTRY_VERIFY(quiet(window));
        // A refused connection fails at once; shorter limits only bound a run that would not.
        window.quoteAttemptLimitMs = 3000;
        window.quoteTransferLimitMs = 2000;
        const QMap<QString, QString> cryptoStatus = {{"BTCUSDT", cell(window, "BTCUSDT", QuoteColumnStatus)},
                                                     {"ETHUSDT", cell(window, "ETHUSDT", QuoteColumnStatus)}};
        window.eventConsole->clear();

        market.server().setRefuseConnections(true);
        window.refreshHttpQuotes(); // what each tick of the poll runs
        for (const QString &symbol : kPolledRows)
            QTRY_COMPARE(cell(window, symbol, QuoteColumnStatus), QStringLiteral("all providers failed"));
        const QStringList lines = consoleLines(window);
        for (const QString &line : {
                 QStringLiteral(
                     "All B3 providers failed for PETR4.SA: brapi_public: HTTP 0 | yahoo_b3: HTTP 0"),
                 QStringLiteral(
                     "All B3 providers failed for VALE3.SA: brapi_public: HTTP 0 | yahoo_b3: HTTP 0"),
                 QStringLiteral("All quote providers failed for AAPL: yahoo_us: HTTP 0"),
                 QStringLiteral("All quote providers failed for NVDA: yahoo_us: HTTP 0"),
                 QStringLiteral("Forex quote failed for BRL=X: yahoo_fx: HTTP 0"),
             })
            QVERIFY2(lines.contains(line), qPrintable(lines.join('\n')));
        for (auto it = cryptoStatus.cbegin(); it != cryptoStatus.cend(); ++it)
            QCOMPARE(cell(window, it.key(), QuoteColumnStatus), it.value());
        QVERIFY(window.quotePollTimer.isActive());

        market.server().setRefuseConnections(false);
        window.refreshQuotesButton->click();
        QTRY_VERIFY2_WITH_TIMEOUT(unfilledRows(window, kDefaultRows).isEmpty(),
                                  qPrintable(unfilledRows(window, kDefaultRows).join("; ")), 15000);
    }
};

MVX_TEST_MAIN(TestTerminalRun)
#include "test_terminal_run.moc"
