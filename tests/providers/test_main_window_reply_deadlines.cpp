#include "tests/providers/quote_road_fixture.h"
#include "tests/support/test_main.h"

#include <QElapsedTimer>
#include <QStatusBar>

namespace {

// Which of the window's deadlines a request is given.
enum class Kind
{
    Quote,
    History,
    Feed,
    SymbolList
};

// Every deadline far beyond the test's wait.
ReplyDeadlines farOff()
{
    constexpr int ms = 600000;
    return {ms, ms, ms, ms};
}

// Every deadline far beyond the test's wait except `kind`'s, so that a request ending in time shows
// that it was given its own kind's deadline.
ReplyDeadlines onlyShort(Kind kind, int ms)
{
    ReplyDeadlines deadlines = farOff();
    switch (kind) {
    case Kind::Quote:
        deadlines.quoteMs = ms;
        break;
    case Kind::History:
        deadlines.historyMs = ms;
        break;
    case Kind::Feed:
        deadlines.feedMs = ms;
        break;
    case Kind::SymbolList:
        deadlines.symbolListMs = ms;
        break;
    }
    return deadlines;
}

int deadlineOf(const ReplyDeadlines &deadlines, Kind kind)
{
    switch (kind) {
    case Kind::Quote:
        return deadlines.quoteMs;
    case Kind::History:
        return deadlines.historyMs;
    case Kind::Feed:
        return deadlines.feedMs;
    case Kind::SymbolList:
        return deadlines.symbolListMs;
    }
    return -1;
}

QByteArray rssFeed(int count)
{
    QByteArray items;
    for (int i = 0; i < count; ++i)
        items += "<item><title>Rss " + QByteArray::number(i) + "</title></item>";
    return "<rss version=\"2.0\"><channel><title>c</title>" + items + "</channel></rss>";
}

const QString kRssPath = QStringLiteral("/rss/2.0/headline");

// Sends one of the window's requests, as the program would.
void send(MainWindow &w, const QString &request)
{
    if (request == QLatin1String("news")) {
        // Choosing the source refreshes the news.
        w.newsSourceCombo->setCurrentIndex(w.newsSourceCombo->findData(QStringLiteral("public")));
    } else if (request == QLatin1String("quote")) {
        w.requestQuote(QStringLiteral("BTCUSDT"));
    } else if (request == QLatin1String("chart quote")) {
        w.requestYahooChart(QStringLiteral("AAPL"), true);
    } else if (request == QLatin1String("klines")) {
        w.requestBinanceKlines(QStringLiteral("BTCUSDT"));
    } else if (request == QLatin1String("chart history")) {
        w.requestYahooChart(QStringLiteral("AAPL"), false);
    } else if (request == QLatin1String("movers")) {
        w.populateMoversScopeCombo(QStringLiteral("crypto"));
        w.refreshMarketMovers();
    } else if (request == QLatin1String("symbol list")) {
        w.requestCryptoUniverse();
    } else if (request == QLatin1String("search")) {
        w.requestSymbolSearch(QStringLiteral("zz"));
    } else if (request == QLatin1String("book")) {
        w.requestBinanceDepthSnapshot(QStringLiteral("BTCUSDT"));
    } else if (request == QLatin1String("level 1 finnhub")) {
        w.settings.configValues.insert(QStringLiteral("finnhub_api_key"), QStringLiteral("test-key"));
        w.requestFinnhubLevel1Quote(QStringLiteral("AAPL"), QStringLiteral("test"));
    } else if (request == QLatin1String("level 1 alpha")) {
        w.settings.alphaVantageApiKey = QStringLiteral("test-key");
        w.requestAlphaLevel1Quote(QStringLiteral("AAPL"), QStringLiteral("test"));
    } else if (request == QLatin1String("health probes")) {
        w.runApiHealthChecks(nullptr);
    } else if (request == QLatin1String("row removed")) {
        w.forgetSymbolRequests(QStringLiteral("BTCUSDT"));
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown request ") + request));
    }
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestMainWindowReplyDeadlines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What a fresh window gives each request for its whole answer. Every other test sets its own, so
    // only this one notices a default that would hold a request far too long (or cut a symbol list
    // short); which kind each request gets is checked by the dripping answers below.
    void freshWindowDeadlines_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("expectedMs");
        QTest::newRow("quote, provider probe, book snapshot, symbol search") << Kind::Quote << 10000;
        QTest::newRow("candle history") << Kind::History << 20000;
        QTest::newRow("news feed, movers list") << Kind::Feed << 20000;
        QTest::newRow("symbol list") << Kind::SymbolList << 90000;
    }

    void freshWindowDeadlines()
    {
        QFETCH(Kind, kind);
        QFETCH(int, expectedMs);
        TempHome home;
        const MainWindow window;
        QCOMPARE(deadlineOf(window.replyDeadlines, kind), expectedMs);
    }

    // A host that keeps sending a byte now and then never trips the silence limit; each request still
    // ends at its kind's deadline, gives its connection back and fails the way its caller already shows
    // a failure, once.
    void aDrippingAnswerEndsAtItsDeadline_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("path");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("shown"); // what the failure shows, once; empty: nothing
        QTest::newRow("news feed") << "news" << kRssPath << Kind::Feed << "Public RSS error (0 headlines)";
        QTest::newRow("quote walk") << "quote" << RoadPath::binance << Kind::Quote << "all providers failed";
        QTest::newRow("chart as a quote")
            << "chart quote" << RoadPath::yahoo("AAPL") << Kind::Quote << "Yahoo quote error: AAPL";
        QTest::newRow("candle history")
            << "klines"
            << "/api/v3/klines" << Kind::History << "Binance kline error: BTCUSDT";
        QTest::newRow("chart history") << "chart history" << RoadPath::yahoo("AAPL") << Kind::History << "";
        QTest::newRow("movers") << "movers" << RoadPath::binance << Kind::Feed
                                << "Market movers error: Binance 24h request failed";
        QTest::newRow("symbol list") << "symbol list"
                                     << "/api/v3/exchangeInfo" << Kind::SymbolList << "";
        QTest::newRow("symbol search") << "search"
                                       << "/v1/finance/search" << Kind::Quote << "";
        QTest::newRow("book snapshot") << "book"
                                       << "/api/v3/depth" << Kind::Quote << "";
        QTest::newRow("level 1, Finnhub") << "level 1 finnhub"
                                          << "/api/v1/quote" << Kind::Quote << "";
        QTest::newRow("level 1, Alpha Vantage") << "level 1 alpha"
                                                << "/query" << Kind::Quote << "";
        QTest::newRow("health probe") << "health probes"
                                      << "/api/v3/ticker/price" << Kind::Quote << "";
    }

    void aDrippingAnswerEndsAtItsDeadline()
    {
        QFETCH(QString, request);
        QFETCH(QString, path);
        QFETCH(Kind, kind);
        QFETCH(QString, shown);
        QuoteRoad road(600000, 600000);
        road.w().replyDeadlines = onlyShort(kind, 400);
        road.server.setReply(path, FakeReply::dripping(50));
        road.addRow(QStringLiteral("BTCUSDT"));
        road.addRow(QStringLiteral("AAPL"));
        road.w().statusBar()->clearMessage();
        send(road.w(), request);
        QTRY_VERIFY(!road.server.requestsFor(path).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(road.server.openHeldConnections(), 0, 5000);
        QTRY_COMPARE(road.unfinishedRequests(), 0);
        const auto seen = [&road] {
            return road.w().statusBar()->currentMessage() + QLatin1Char('\n') + road.console() +
                   QLatin1Char('\n') + road.status(QStringLiteral("BTCUSDT"));
        };
        if (!shown.isEmpty())
            QTRY_VERIFY2(seen().contains(shown), qPrintable(seen()));
        QTest::qWait(300); // a second report would have come by now
        // A logged failure shows on the status line too; the console counts the reports.
        if (!shown.isEmpty() && road.console().contains(shown))
            QCOMPARE(road.console().count(shown), 1);
        // The only request the dripping path got: a failure that ran twice would have asked again.
        QCOMPARE(road.server.requestsFor(path).size(), 1);
    }

    // A request whose answer nobody wants any more ends at once, not at its deadline (far off here):
    // the server sees its connection closed while the answer still drips.
    void aRequestNobodyWaitsForEndsAtOnce_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("requests"); // what the dripping path got in all
        QTest::addColumn<int>("held");     // connections still dripping at the end
        QTest::newRow("replaced quote walk") << "quote"
                                             << "quote" << RoadPath::binance << 2 << 1;
        QTest::newRow("quote walk of a removed row") << "quote"
                                                     << "row removed" << RoadPath::binance << 1 << 0;
        QTest::newRow("newer candle request") << "klines"
                                              << "klines"
                                              << "/api/v3/klines" << 2 << 1;
        QTest::newRow("candles of a removed row") << "klines"
                                                  << "row removed"
                                                  << "/api/v3/klines" << 1 << 0;
        QTest::newRow("newer movers refresh") << "movers"
                                              << "movers" << RoadPath::binance << 2 << 1;
        QTest::newRow("newer symbol search") << "search"
                                             << "search"
                                             << "/v1/finance/search" << 2 << 1;
    }

    void aRequestNobodyWaitsForEndsAtOnce()
    {
        QFETCH(QString, first);
        QFETCH(QString, then);
        QFETCH(QString, path);
        QFETCH(int, requests);
        QFETCH(int, held);
        QuoteRoad road(600000, 600000);
        road.w().replyDeadlines = farOff();
        road.server.setReply(path, FakeReply::dripping(50));
        road.addRow(QStringLiteral("BTCUSDT"));
        send(road.w(), first);
        QTRY_COMPARE(road.server.openHeldConnections(), 1);
        send(road.w(), then);
        QTRY_COMPARE(road.server.requestsFor(path).size(), requests);
        QTRY_COMPARE_WITH_TIMEOUT(road.server.openHeldConnections(), held, 3000);
        QCOMPARE(road.unfinishedRequests(), held);
    }

    // Every service behind one host, as behind a proxy, and a news feed that drips: refreshes come and
    // go while it drips, then the host recovers. The next news refresh shows headlines and the next
    // quote beat prices every row; the window's own timers run, at a twentieth of the real intervals
    // and deadlines, and the time from recovery to that point is printed, beside the same outage with
    // a feed that refuses at once instead of dripping.
    void newsAndQuotesComeBackAfterADrippingFeedRecovers_data()
    {
        QTest::addColumn<bool>("dripping");
        QTest::newRow("the feed drips") << true;
        QTest::newRow("baseline: the feed refuses") << false;
    }

    void newsAndQuotesComeBackAfterADrippingFeedRecovers()
    {
        QFETCH(bool, dripping);
        constexpr int kScale = 20;
        QuoteRoad road(11000 / kScale, 10000 / kScale);
        MainWindow &w = road.w();
        const ReplyDeadlines real;
        w.replyDeadlines = {real.quoteMs / kScale, real.historyMs / kScale, real.feedMs / kScale,
                            real.symbolListMs / kScale};
        const QStringList symbols{"AAPL", "MSFT", "PETR4.SA", "BRL=X", "BTCUSDT"};
        for (const QString &symbol : symbols)
            road.addRow(symbol);
        bool recovered = false;
        road.server.setHandler([&recovered, dripping](const RecordedRequest &request) {
            if (request.path == kRssPath && !recovered)
                return dripping ? FakeReply::dripping(100) : FakeReply::text("unavailable", 503);
            if (request.path == kRssPath)
                return FakeReply::text(rssFeed(4));
            if (!recovered)
                return FakeReply::hanging();
            if (request.path.startsWith(QLatin1String("/v8/finance/chart/")))
                return FakeReply::json(RoadReply::yahoo(101.5));
            if (request.path.startsWith(QLatin1String("/api/quote/")))
                return FakeReply::json(RoadReply::brapi(30.25));
            if (request.path == RoadPath::binance)
                return FakeReply::json(RoadReply::binance(50000));
            return FakeReply::text("not found", 404);
        });
        w.newsSourceCombo->setCurrentIndex(w.newsSourceCombo->findData(QStringLiteral("public")));
        // More refreshes than Qt keeps connections to one host, each while the feed drips.
        for (int refresh = 1; refresh <= 8; ++refresh) {
            if (refresh > 1)
                w.refreshNews();
            // Each refresh's request reaches the server, unless the host's connections are all held.
            QTRY_VERIFY(road.server.requestsFor(kRssPath).size() == refresh ||
                        road.server.openHeldConnections() >= 6);
        }

        const int newsIntervalMs = w.newsTimer.interval() / kScale;
        w.newsTimer.start(newsIntervalMs);
        w.quotePollTimer.start(w.quotePollTimer.interval() / kScale);
        recovered = true;
        QElapsedTimer sinceRecovery;
        sinceRecovery.start();
        const auto allPriced = [&road, &symbols] {
            return std::all_of(symbols.cbegin(), symbols.cend(), [&road](const QString &symbol) {
                return road.cell(symbol, QuoteColumnLast) != QLatin1String("--");
            });
        };
        // One beat each, and the walks a beat starts with their time to answer, with room to spare.
        QTRY_VERIFY_WITH_TIMEOUT(allPriced(), w.quotePollTimer.interval() + 8000);
        const qint64 pricedMs = sinceRecovery.elapsed();
        QTRY_COMPARE_WITH_TIMEOUT(w.newsTable->rowCount(), 4, newsIntervalMs + 8000);
        const qint64 newsMs = sinceRecovery.elapsed();
        qInfo("%s: every row priced %lld ms and news shown %lld ms after recovery, every interval and "
              "deadline at 1/%d (%lld ms and %lld ms at the real ones)",
              QTest::currentDataTag(), pricedMs, newsMs, kScale, pricedMs * kScale, newsMs * kScale);
        w.newsTimer.stop();
        w.quotePollTimer.stop();
    }
};

MVX_TEST_MAIN(TestMainWindowReplyDeadlines)
#include "test_main_window_reply_deadlines.moc"
