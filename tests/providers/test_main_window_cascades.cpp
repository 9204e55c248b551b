#include "providers/provider_limits.h"
#include "providers/reply_cache.h"
#include "tests/providers/quote_road_fixture.h"
#include "tests/support/test_main.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>

#include <functional>

using Keys = QMap<QString, QString>;

namespace {

const QString kAllFailed = QStringLiteral("all providers failed");

// Keys long enough to be redacted wherever a provider echoes them.
const Keys kUsKeys = {{"finnhub_api_key", "fh-secret-0001"},
                      {"twelvedata_api_key", "td-secret-0002"},
                      {"financial_modeling_prep_api_key", "fmp-secret-0003"},
                      {"alpha_vantage_api_key", "av-secret-0004"}};

void setKeys(MainWindow &window, const Keys &keys)
{
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        window.setApiKey(it.key(), it.value());
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// Runs `act` once while a reply is being delivered: at the first queued call that reaches the reply, its
// error still on the way, or with `afterError` at the first one that comes after the error was delivered
// and before the reply finished. The call is not delivered when the act took the reply with it.
class MidDelivery : public QObject
{
public:
    MidDelivery(QNetworkReply *reply, bool afterError, std::function<void()> act)
        : m_reply(reply), m_afterError(afterError), m_act(std::move(act))
    {
        reply->installEventFilter(this);
    }

    bool fired() const { return m_fired; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_fired || watched != m_reply || event->type() != QEvent::MetaCall)
            return false;
        if (m_afterError && (m_reply->error() == QNetworkReply::NoError || m_reply->isFinished()))
            return false;
        m_fired = true;
        const QPointer<QObject> alive(watched);
        m_act();
        return alive.isNull();
    }

private:
    QNetworkReply *m_reply;
    bool m_afterError;
    std::function<void()> m_act;
    bool m_fired = false;
};

} // namespace

class TestMainWindowCascades : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every provider answers 404: the attempts come in catalogue order, keyed ones first, the row ends
    // "all providers failed" and the console names each attempt in that order.
    void everyProviderFailsInOrder_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("consoleLine"); // empty: no line at all

        const QString us = QStringLiteral("All quote providers failed for AAPL: ");
        QTest::newRow("US, no keys") << "AAPL" << Keys{} << QStringList{RoadPath::yahoo("AAPL")}
                                     << us + "yahoo_us: HTTP 404";
        QTest::newRow("US, all keys")
            << "AAPL" << kUsKeys
            << QStringList{RoadPath::finnhub, RoadPath::twelve, RoadPath::fmp("AAPL"), RoadPath::alpha,
                           RoadPath::yahoo("AAPL")}
            << us + "finnhub: HTTP 404 | twelvedata: HTTP 404 | fmp: HTTP 404 | alpha_vantage: HTTP 404 | "
                    "yahoo_us: HTTP 404";
        QTest::newRow("US, blank keys") << "AAPL" << Keys{{"finnhub_api_key", "   "}}
                                        << QStringList{RoadPath::yahoo("AAPL")} << us + "yahoo_us: HTTP 404";
        QTest::newRow("B3, no token")
            << "PETR4.SA" << Keys{} << QStringList{RoadPath::brapi("PETR4"), RoadPath::yahoo("PETR4.SA")}
            << "All B3 providers failed for PETR4.SA: brapi_public: HTTP 404 | "
               "yahoo_b3: HTTP 404";
        QTest::newRow("B3, token") << "PETR4.SA" << Keys{{"brapi_token", "brapi-secret-5"}}
                                   << QStringList{RoadPath::brapi("PETR4"), RoadPath::brapi("PETR4"),
                                                  RoadPath::yahoo("PETR4.SA")}
                                   << "All B3 providers failed for PETR4.SA: brapi_keyed: HTTP 404 | "
                                      "brapi_public: HTTP 404 | yahoo_b3: HTTP 404";
        QTest::newRow("forex, no key") << "BRL=X" << Keys{} << QStringList{RoadPath::yahoo("BRL%3DX")}
                                       << "Forex quote failed for BRL=X: yahoo_fx: HTTP 404";
        QTest::newRow("forex, key")
            << "BRL=X" << Keys{{"twelvedata_api_key", "td-secret-0002"}}
            << QStringList{RoadPath::twelve, RoadPath::yahoo("BRL%3DX")}
            << "Forex quote failed for BRL=X: twelvedata: HTTP 404 | yahoo_fx: HTTP 404";
        QTest::newRow("crypto") << "BTCUSDT" << kUsKeys << QStringList{RoadPath::binance} << QString();
    }

    void everyProviderFailsInOrder()
    {
        QFETCH(QString, symbol);
        QFETCH(Keys, keys);
        QFETCH(QStringList, paths);
        QFETCH(QString, consoleLine);

        QuoteRoad road;
        setKeys(road.w(), keys);
        road.addRow(symbol);
        const QString before = road.status(symbol);
        const quint64 generation = road.w().quoteGenerations.value(symbol);
        road.w().requestQuote(symbol);
        // Crypto rows follow the ticker stream: an HTTP refresh does not mark them loading.
        QCOMPARE(road.status(symbol), symbol == "BTCUSDT" ? before : QStringLiteral("loading"));

        QTRY_COMPARE(road.status(symbol), kAllFailed);
        QCOMPARE(road.paths(), paths);
        if (consoleLine.isEmpty()) {
            QVERIFY(!road.console().contains(symbol));
        } else {
            QVERIFY2(road.console().contains(consoleLine), qPrintable(road.console()));
            QCOMPARE(road.console().count(QStringLiteral("failed for")), 1);
        }
        // The run is over: nothing is left registered for the symbol.
        QVERIFY(!road.w().quoteCascades.contains(symbol));
        QCOMPARE(road.w().quoteGenerations.value(symbol), generation + 1);
    }

    void consoleLineInPortuguese()
    {
        QuoteRoad road;
        road.w().setLanguage(QStringLiteral("pt_BR"));
        road.addRow(QStringLiteral("AAPL"));
        road.w().requestQuote(QStringLiteral("AAPL"));
        QTRY_VERIFY(road.console().contains(
            QString::fromUtf8("Todos os provedores de cotação falharam para AAPL: yahoo_us: HTTP 404")));
    }

    // The first provider that answers ends the run; its quote fills the row and nothing after it is asked.
    void firstAnswerWins_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("last");

        QTest::newRow("finnhub") << "AAPL" << kUsKeys << RoadPath::finnhub << RoadReply::finnhub(187.5) << 1
                                 << "Finnhub"
                                 << "key/delayed"
                                 << "187.5000";
        QTest::newRow("fmp after two failures") << "AAPL" << kUsKeys << RoadPath::fmp("AAPL")
                                                << RoadReply::fmp(190) << 3 << "Financial Modeling Prep"
                                                << "key/delayed"
                                                << "190.0000";
        QTest::newRow("alpha vantage")
            << "AAPL" << kUsKeys << RoadPath::alpha << RoadReply::alpha(191.25) << 4 << "Alpha Vantage"
            << "key/delayed"
            << "191.2500";
        QTest::newRow("yahoo us") << "AAPL" << Keys{} << RoadPath::yahoo("AAPL") << RoadReply::yahoo(1234.5)
                                  << 1 << "Yahoo Public"
                                  << "free/delayed"
                                  << "1234.50";
        // brapi's quote came without history: the chart history is fetched quietly beside it.
        QTest::newRow("brapi public")
            << "PETR4.SA" << Keys{} << RoadPath::brapi("PETR4") << RoadReply::brapi(38.25) << 2 << "BrAPI"
            << "free/delayed"
            << "38.2500";
        QTest::newRow("yahoo b3") << "PETR4.SA" << Keys{} << RoadPath::yahoo("PETR4.SA")
                                  << RoadReply::yahoo(38.5) << 2 << "Yahoo Public"
                                  << "free/delayed"
                                  << "38.5000";
        QTest::newRow("binance") << "BTCUSDT" << Keys{} << RoadPath::binance << RoadReply::binance(65000) << 1
                                 << "Binance Public"
                                 << "key/delayed"
                                 << "65000.00";
    }

    void firstAnswerWins()
    {
        QFETCH(QString, symbol);
        QFETCH(Keys, keys);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(int, requests);
        QFETCH(QString, source);
        QFETCH(QString, status);
        QFETCH(QString, last);

        QuoteRoad road;
        setKeys(road.w(), keys);
        road.server.setReply(path, FakeReply::json(body));
        road.addRow(symbol);
        road.w().requestQuote(symbol);
        QTRY_COMPARE(road.status(symbol), status);
        QCOMPARE(road.source(symbol), source);
        QCOMPARE(road.cell(symbol, QuoteColumnLast), last);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+ ms$"))
                    .match(road.cell(symbol, QuoteColumnLatency))
                    .hasMatch());
        // A follow-up history request goes out beside the quote and may reach the server a moment later.
        QTRY_COMPARE(road.server.requests().size(), requests);
        road.settle();
        QCOMPARE(road.server.requests().size(), requests);
        QVERIFY(!road.w().quoteCascades.contains(symbol));
        QVERIFY(!road.console().contains(QStringLiteral("failed for")));
    }

    // 429 with and without Retry-After, garbage, an API error inside a 200 and a limit note: each fails
    // its attempt with the reply check's reason, and the limited providers start their cooldowns.
    void badRepliesFailTheirAttempts()
    {
        QuoteRoad road;
        setKeys(road.w(), kUsKeys);
        FakeReply limitedWithHeader = FakeReply::json("{}", 429);
        limitedWithHeader.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("30")));
        road.server.setReply(RoadPath::finnhub, FakeReply::text("<html>busy</html>"));
        road.server.setReply(RoadPath::twelve, limitedWithHeader);
        road.server.setReply(RoadPath::fmp("AAPL"), FakeReply::json("{}", 429));
        road.server.setReply(
            RoadPath::alpha,
            FakeReply::json("{\"Note\":\"Our standard API call frequency is 5 calls per minute.\"}"));
        road.server.setReply(RoadPath::yahoo("AAPL"),
                             FakeReply::json("{\"chart\":{\"result\":null,\"error\":{\"code\":\"Not Found\","
                                             "\"description\":\"No data found, symbol may be delisted\"}}}"));
        road.addRow(QStringLiteral("AAPL"));
        const qint64 before = now();
        road.w().requestQuote(QStringLiteral("AAPL"));
        QTRY_COMPARE(road.status(QStringLiteral("AAPL")), kAllFailed);
        const qint64 after = now();

        QVERIFY2(
            road.console().contains(
                "All quote providers failed for AAPL: finnhub: Malformed or empty JSON | "
                "twelvedata: HTTP 429 rate limit [rate limited] | fmp: HTTP 429 rate limit [rate limited] | "
                "alpha_vantage: Our standard API call frequency is 5 calls per minute. [rate limited] | "
                "yahoo_us: Invalid or limited payload"),
            qPrintable(road.console()));
        // Twelve Data keeps the server's 30 s; Financial Modeling Prep without a header gets 60 s; Alpha
        // Vantage, limited by a note, waits at least 60 s.
        const qint64 twelve = road.w().providerCooldownUntilMs.value("twelvedata");
        QVERIFY(twelve >= before + 30000 && twelve <= after + 30000);
        const qint64 fmp = road.w().providerCooldownUntilMs.value("fmp");
        QVERIFY(fmp >= before + 60000 && fmp <= after + 60000);
        QVERIFY(road.w().alphaVantageCooldownUntilMs >= before + 60000);
        QVERIFY(road.w().alphaVantageCooldownUntilMs <= after + 60000);
        QVERIFY(!road.w().providerCooldownUntilMs.contains("finnhub"));
    }

    void alphaVantageCooldownFollowsRetryAfter_data()
    {
        QTest::addColumn<QByteArray>("retryAfter"); // empty: no header
        QTest::addColumn<qint64>("cooldownMs");
        QTest::newRow("none") << QByteArray() << qint64(60000);
        QTest::newRow("30 s: at least 60") << QByteArray("30") << qint64(60000);
        QTest::newRow("120 s") << QByteArray("120") << qint64(120000);
        QTest::newRow("a date counts as none")
            << QByteArray("Wed, 21 Oct 2015 07:28:00 GMT") << qint64(60000);
    }

    void alphaVantageCooldownFollowsRetryAfter()
    {
        QFETCH(QByteArray, retryAfter);
        QFETCH(qint64, cooldownMs);
        QuoteRoad road;
        road.w().setApiKey("alpha_vantage_api_key", "av-secret-0004");
        FakeReply limited = FakeReply::json("{}", 429);
        if (!retryAfter.isEmpty())
            limited.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray(retryAfter)));
        road.server.setReply(RoadPath::alpha, limited);
        road.server.setReply(RoadPath::yahoo("AAPL"), FakeReply::json(RoadReply::yahoo(10)));
        road.addRow("AAPL");
        const qint64 before = now();
        road.w().requestQuote("AAPL");
        // The cascade moves on to Yahoo, which answers.
        QTRY_COMPARE(road.status("AAPL"), QStringLiteral("free/delayed"));
        const qint64 until = road.w().alphaVantageCooldownUntilMs;
        QVERIFY(until >= before + cooldownMs && until <= now() + cooldownMs);
        QCOMPARE(road.paths(), (QStringList{RoadPath::alpha, RoadPath::yahoo("AAPL")}));
    }

    // Twelve Data's "out of credits" arrives with HTTP 200: it is a rate limit all the same, in both markets.
    void twelveDataLimitInsideA200()
    {
        QuoteRoad road;
        road.w().setApiKey("twelvedata_api_key", "td-secret-0002");
        road.server.setReply(
            RoadPath::twelve,
            FakeReply::json("{\"code\":429,\"message\":\"You have run out of API credits for the "
                            "current minute. 18 API credits were used, with the current limit "
                            "being 8.\",\"status\":\"error\"}"));
        road.server.setReply(RoadPath::yahoo("BRL%3DX"), FakeReply::json(RoadReply::yahoo(5.4321)));
        road.addRow("BRL=X");
        const qint64 before = now();
        road.w().requestQuote("BRL=X");
        QTRY_COMPARE(road.status("BRL=X"), QStringLiteral("free/delayed"));
        QCOMPARE(road.source("BRL=X"), QStringLiteral("Yahoo Public"));
        QVERIFY(road.w().providerCooldownUntilMs.value("twelvedata") >= before + 60000);

        // During the cooldown the gate refuses Twelve Data without asking it.
        road.server.clearRequests();
        road.w().providerLastRequestMs.clear();
        road.w().requestQuote("BRL=X");
        QTRY_COMPARE(road.server.requests().size(), 1);
        QCOMPARE(road.paths(), QStringList{RoadPath::yahoo("BRL%3DX")});
    }

    // The forex symbol goes to Twelve Data as its pair text, and the quote lands on the requested symbol.
    void forexPairTextToTwelveData()
    {
        QuoteRoad road;
        road.w().setApiKey("twelvedata_api_key", "td-secret-0002");
        road.w().providerCooldownUntilMs.insert("twelvedata", now() - 1); // an ended cooldown
        road.server.setReply(RoadPath::twelve, FakeReply::json(RoadReply::twelve("USD/BRL", 5.25)));
        road.addRow("BRL=X");
        road.w().requestQuote("BRL=X");
        QTRY_COMPARE(road.status("BRL=X"), QStringLiteral("key/delayed"));
        QCOMPARE(road.server.requests().size(), 1);
        QCOMPARE(road.server.requests().first().query,
                 QStringLiteral("symbol=USD%2FBRL&apikey=td-secret-0002"));
        QCOMPARE(road.source("BRL=X"), QStringLiteral("Twelve Data"));
        QCOMPARE(road.cell("BRL=X", QuoteColumnLast), QStringLiteral("5.2500"));
        QCOMPARE(road.w().usdBrlRate, 5.25);
        // A quote from the provider ends its cooldown entry.
        QVERIFY(!road.w().providerCooldownUntilMs.contains("twelvedata"));
    }

    // A provider that never answers: the attempt's own limit gives it up as "timeout" and the next
    // provider is asked; the transfer limit, when shorter, fails it as a reply without a status.
    void hangingProvider_data()
    {
        QTest::addColumn<int>("attemptMs");
        QTest::addColumn<int>("transferMs");
        QTest::addColumn<QString>("line");
        QTest::newRow("attempt limit first") << 300 << 20000 << "yahoo_b3: timeout";
        QTest::newRow("transfer limit first") << 3000 << 300 << "yahoo_b3: HTTP 0";
    }

    void hangingProvider()
    {
        QFETCH(int, attemptMs);
        QFETCH(int, transferMs);
        QFETCH(QString, line);
        QuoteRoad road(attemptMs, transferMs);
        road.server.setReply(RoadPath::yahoo("PETR4.SA"), FakeReply::hanging());
        road.addRow("PETR4.SA");
        road.w().requestQuote("PETR4.SA");
        QTRY_COMPARE_WITH_TIMEOUT(road.status("PETR4.SA"), kAllFailed, 10000);
        QVERIFY2(road.console().contains("brapi_public: HTTP 404 | " + line), qPrintable(road.console()));
    }

    // An attempt given up for its time must not write the row once the cascade has moved on: here the
    // late brapi reply comes while Yahoo is being asked, and Yahoo then times out too.
    void lateReplyOfATimedOutAttemptIsDropped()
    {
        QuoteRoad road(250, 20000);
        FakeReply slow = FakeReply::json(RoadReply::brapi(99));
        slow.delayMs = 350;
        road.server.setReply(RoadPath::brapi("PETR4"), slow);
        road.server.setReply(RoadPath::yahoo("PETR4.SA"), FakeReply::hanging());
        road.addRow("PETR4.SA");
        road.w().requestQuote("PETR4.SA");
        QTRY_COMPARE(road.status("PETR4.SA"), kAllFailed);
        QVERIFY(road.console().contains("brapi_public: timeout | yahoo_b3: timeout"));
        QCOMPARE(road.cell("PETR4.SA", QuoteColumnLast), QStringLiteral("--"));
        QVERIFY(road.w().candlesBySymbol.value("PETR4.SA").isEmpty());
    }

    // An attempt given up for its time is aborted there and then: the server sees its connection close.
    // Left to its transfer limit, each would hold one of the host's six connections, and from the
    // seventh round on the Yahoo request of the same host would wait behind them and time out too.
    void aTimedOutAttemptIsAbortedAndLaterRoundsAreNotDelayed()
    {
        QuoteRoad road(150, 20000);
        road.server.setReply(RoadPath::brapi("PETR4"), FakeReply::hanging());
        road.server.setReply(RoadPath::yahoo("PETR4.SA"), FakeReply::json(RoadReply::yahoo(30, 29)));
        road.addRow("PETR4.SA");
        for (int round = 1; round <= 8; ++round) {
            road.w().setQuoteStatus("PETR4.SA", QStringLiteral("pending"));
            road.w().requestQuote("PETR4.SA");
            QTRY_COMPARE_WITH_TIMEOUT(road.status("PETR4.SA"), QStringLiteral("free/delayed"), 3000);
            QTRY_COMPARE(road.server.openHeldConnections(), 0);
            QCOMPARE(road.unfinishedRequests(), 0);
        }
        QCOMPARE(road.server.requestsFor(RoadPath::brapi("PETR4")).size(), 8);
        QCOMPARE(road.server.requestsFor(RoadPath::yahoo("PETR4.SA")).size(), 8);
    }

    // A symbol that leaves the watchlist takes its requests with it: the quote attempt and the chart
    // request are aborted, and nothing of the symbol comes back, not even candles.
    void removingARowAbortsItsRequests_data()
    {
        QTest::addColumn<bool>("hang");
        QTest::newRow("hanging server") << true;
        QTest::newRow("late reply") << false;
    }

    void removingARowAbortsItsRequests()
    {
        QFETCH(bool, hang);
        QuoteRoad road(5000, 20000);
        FakeReply reply = FakeReply::json(RoadReply::yahoo(100, 90));
        reply.delayMs = 300;
        road.server.setReply(RoadPath::yahoo("AAPL"), hang ? FakeReply::hanging() : reply);
        road.addRow("AAPL");
        road.w().quoteTable->selectRow(road.w().findSymbolRow("AAPL")); // asks for the quote
        road.w().requestYahooChart("AAPL", false);                      // and the history
        QVERIFY(road.server.waitForRequests(2));
        QCOMPARE(road.server.openHeldConnections(), 2);

        road.w().removeSelectedSymbol();
        QCOMPARE(road.unfinishedRequests(), 0);
        QTRY_COMPARE(road.server.openHeldConnections(), 0);
        QTest::qWait(450); // past the late reply
        QCOMPARE(road.w().findSymbolRow("AAPL"), -1);
        QVERIFY(!road.w().candlesBySymbol.contains("AAPL"));
        QVERIFY(!road.w().quoteCascades.contains("AAPL"));

        // Added again, the symbol starts from nothing: no candles of the removed row reappear.
        road.addRow("AAPL");
        QTest::qWait(100);
        QVERIFY(!road.w().candlesBySymbol.contains("AAPL"));
        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("--"));
    }

    // The USD/BRL ticker asks for "BRL=X" whether or not it has a row; without one the rate still
    // reaches the ticker but the candle store keeps nothing of it.
    void aQuoteForASymbolWithoutARowKeepsNoCandles()
    {
        QuoteRoad road;
        road.server.setReply(RoadPath::yahoo("BRL%3DX"), FakeReply::json(RoadReply::yahoo(5.25, 5.0)));
        road.w().requestQuote("BRL=X");
        QTRY_COMPARE(road.w().usdBrlRate, 5.25);
        QTRY_VERIFY(road.w().quoteCascades.isEmpty());
        QVERIFY(!road.w().candlesBySymbol.contains("BRL=X"));
    }

    // Two requests for one symbol in quick succession: the first run is cancelled and only the second
    // run's reply reaches the row, however late the first one's reply comes.
    void secondRequestReplacesTheFirst()
    {
        QuoteRoad road;
        FakeReply first = FakeReply::json(RoadReply::yahoo(100));
        first.delayMs = 400;
        road.server.enqueueReply(RoadPath::yahoo("AAPL"), first);
        road.server.enqueueReply(RoadPath::yahoo("AAPL"), FakeReply::json(RoadReply::yahoo(200)));
        road.addRow("AAPL");
        road.w().requestQuote("AAPL");
        QPointer<AsyncProviderCascade> firstRun = road.w().quoteCascades.value("AAPL");
        QVERIFY(firstRun);
        road.w().requestQuote("AAPL");
        // Cancelled at once, released later.
        QVERIFY(firstRun && !firstRun->running);
        QCOMPARE(road.w().quoteGenerations.value("AAPL"), quint64(2));
        QVERIFY(road.w().quoteCascades.value("AAPL") != firstRun);

        QTRY_COMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("200.0000"));
        QTRY_VERIFY(!firstRun);
        QTest::qWait(600); // the first reply has come and gone
        QCOMPARE(road.server.requests().size(), 2);
        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("200.0000"));
        QCOMPARE(road.status("AAPL"), QStringLiteral("free/delayed"));
    }

    // A replaced run that fails later shows nothing: neither a status nor a console line.
    void replacedRunReportsNothing()
    {
        QuoteRoad road;
        FakeReply failing = FakeReply::json("{}", 500);
        failing.delayMs = 300;
        road.server.enqueueReply(RoadPath::yahoo("AAPL"), failing);
        road.server.enqueueReply(RoadPath::yahoo("AAPL"), FakeReply::json(RoadReply::yahoo(50)));
        road.addRow("AAPL");
        road.w().requestQuote("AAPL");
        road.w().requestQuote("AAPL");
        QTRY_COMPARE(road.status("AAPL"), QStringLiteral("free/delayed"));
        QTest::qWait(500);
        QCOMPARE(road.status("AAPL"), QStringLiteral("free/delayed"));
        QVERIFY(!road.console().contains("failed for"));
    }

    // A second request for a symbol whose walk still runs: a timer's beat leaves the walk to answer, a
    // request the user makes replaces it. Either way one walk runs at a time and only its reply lands.
    void oneWalkPerSymbol_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("path");  // the one provider the walk asks
        QTest::addColumn<QString>("asked"); // how the second request comes
        QTest::addColumn<QString>("last");  // the row's price in the end
        QTest::addColumn<int>("requests");  // made to that provider

        const QString aapl = RoadPath::yahoo("AAPL");
        QTest::newRow("poll beat") << "AAPL" << aapl << "poll beat"
                                   << "100.0000" << 1;
        QTest::newRow("poll beat, crypto row") << "BTCUSDT" << RoadPath::binance << "poll beat"
                                               << "100.0000" << 1;
        QTest::newRow("USD/BRL beat") << "BRL=X" << RoadPath::yahoo("BRL%3DX") << "USD/BRL beat"
                                      << "100.0000" << 1;
        QTest::newRow("row selected") << "AAPL" << aapl << "row selected"
                                      << "200.0000" << 2;
        QTest::newRow("refresh button") << "AAPL" << aapl << "refresh button"
                                        << "200.0000" << 2;
    }

    void oneWalkPerSymbol()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, path);
        QFETCH(QString, asked);
        QFETCH(QString, last);
        QFETCH(int, requests);
        const bool crypto = path == RoadPath::binance;
        const auto reply = [crypto](double price) {
            return FakeReply::json(crypto ? RoadReply::binance(price) : RoadReply::yahoo(price));
        };
        QuoteRoad road;
        FakeReply slow = reply(100);
        slow.delayMs = 300;
        road.server.enqueueReply(path, slow);
        road.server.enqueueReply(path, reply(200));
        road.addRow(symbol);
        road.w().requestQuote(symbol);
        QVERIFY(road.server.waitForRequests(1));
        QVERIFY(road.walkRunning(symbol));

        if (asked == QLatin1String("poll beat"))
            road.w().onQuotePollTimer();
        else if (asked == QLatin1String("USD/BRL beat"))
            road.w().onUsdBrlTickerTimer();
        else if (asked == QLatin1String("row selected"))
            road.w().quoteTable->selectRow(road.w().findSymbolRow(symbol));
        else
            road.w().onRefreshQuotesClicked();

        QTRY_VERIFY(!road.walkRunning(symbol));
        QTest::qWait(400); // past the first reply, whichever walk it belonged to
        QCOMPARE(road.cell(symbol, QuoteColumnLast), last);
        QCOMPARE(road.server.requestsFor(path).size(), requests);
        QVERIFY(!road.status(symbol).contains(kAllFailed));
    }

    // A walk that fails leaves the row's status alone when a newer price reached the row while it ran;
    // beside a price from before the walk it still shows "all providers failed".
    void aFailedWalkKeepsANewerPrice_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<bool>("priceFirst"); // the other price came before the walk started
        QTest::addColumn<QString>("status");

        QTest::newRow("ticker frame while the walk runs") << "BTCUSDT" << false << "realtime";
        QTest::newRow("ticker frame before the walk") << "BTCUSDT" << true << kAllFailed;
        QTest::newRow("chart quote while the walk runs") << "AAPL" << false << "free/delayed";
        QTest::newRow("chart quote before the walk") << "AAPL" << true << kAllFailed;
    }

    void aFailedWalkKeepsANewerPrice()
    {
        QFETCH(QString, symbol);
        QFETCH(bool, priceFirst);
        QFETCH(QString, status);
        const bool crypto = symbol == QLatin1String("BTCUSDT");
        QuoteRoad road;
        FakeReply failing = FakeReply::json("{}", 500);
        failing.delayMs = 300;
        // The walk's one provider fails late. For the US row the direct chart request brings the other
        // price over the same path; the replies go out in the order the requests come.
        const QString walkPath = crypto ? RoadPath::binance : RoadPath::yahoo("AAPL");
        if (!crypto && priceFirst)
            road.server.enqueueReply(walkPath, FakeReply::json(RoadReply::yahoo(150)));
        road.server.enqueueReply(walkPath, failing);
        if (!crypto && !priceFirst)
            road.server.enqueueReply(walkPath, FakeReply::json(RoadReply::yahoo(150)));
        road.addRow(symbol);

        const auto otherPrice = [&] {
            if (crypto) {
                road.w().onBinanceTicker(QStringLiteral(
                    R"({"stream":"btcusdt@ticker","data":{"s":"BTCUSDT","c":"150","P":"1.5"}})"));
            } else {
                road.w().requestYahooChart(symbol, true);
            }
            QTRY_COMPARE(road.cell(symbol, QuoteColumnLast), QStringLiteral("150.0000"));
        };
        if (priceFirst)
            otherPrice();
        road.w().requestQuote(symbol);
        QVERIFY(road.server.waitForRequests(priceFirst && !crypto ? 2 : 1));
        if (!priceFirst)
            otherPrice();
        QTRY_VERIFY(!road.walkRunning(symbol));
        QCOMPARE(road.status(symbol), status);
        QCOMPARE(road.cell(symbol, QuoteColumnLast), QStringLiteral("150.0000"));
        // The console still tells which providers failed (the crypto walk never writes there).
        QCOMPARE(road.console().contains("failed for " + symbol), !crypto);
    }

    // A fresh cached reply serves the Alpha Vantage attempt inside its throttle window without a request.
    void freshCacheServesAlphaCache()
    {
        QuoteRoad road;
        road.w().setApiKey("alpha_vantage_api_key", "av-secret-0004");
        QVERIFY(writeCache(road, "AAPL", RoadReply::alpha(321.5), 0));
        road.w().alphaVantageLastCallMs = now() - 5000;
        road.addRow("AAPL");
        road.w().requestQuote("AAPL");
        QCOMPARE(road.source("AAPL"), QStringLiteral("Alpha Cache"));
        QCOMPARE(road.cell("AAPL", QuoteColumnLatency), QStringLiteral("cache"));
        QCOMPARE(road.status("AAPL"), QStringLiteral("cached/delayed"));
        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("321.5000"));
        QCOMPARE(road.cell("AAPL", QuoteColumnChange), QStringLiteral("1.50%"));
        road.settle();
        QVERIFY(road.server.requests().isEmpty());
        QVERIFY(!road.w().quoteCascades.contains("AAPL"));
    }

    // A stale cache inside the throttle window fails the attempt as a throttle and Yahoo is asked;
    // during a cooldown even a fresh cache is not shown.
    void throttledAlphaVantageMovesOn_data()
    {
        QTest::addColumn<int>("cacheAgeSeconds"); // negative: no cache file
        QTest::addColumn<bool>("cooldown");
        QTest::addColumn<QString>("line");
        QTest::newRow("stale cache") << 901 << false << "alpha_vantage: local throttle [rate limited]";
        QTest::newRow("no cache") << -1 << false << "alpha_vantage: local throttle [rate limited]";
        QTest::newRow("cooldown, fresh cache") << 0 << true << "alpha_vantage: cooldown [rate limited]";
    }

    void throttledAlphaVantageMovesOn()
    {
        QFETCH(int, cacheAgeSeconds);
        QFETCH(bool, cooldown);
        QFETCH(QString, line);
        QuoteRoad road;
        road.w().setApiKey("alpha_vantage_api_key", "av-secret-0004");
        if (cacheAgeSeconds >= 0)
            QVERIFY(writeCache(road, "AAPL", RoadReply::alpha(321.5), cacheAgeSeconds));
        road.w().alphaVantageLastCallMs = now() - 5000;
        if (cooldown)
            road.w().alphaVantageCooldownUntilMs = now() + 60000;
        road.addRow("AAPL");
        road.w().requestQuote("AAPL");
        QTRY_COMPARE(road.status("AAPL"), kAllFailed);
        QCOMPARE(road.paths(), QStringList{RoadPath::yahoo("AAPL")});
        QVERIFY2(road.console().contains("AAPL: " + line + " | yahoo_us: HTTP 404"),
                 qPrintable(road.console()));
    }

    // An Alpha Vantage quote is applied, stamps the throttle and becomes the symbol's cached reply.
    void alphaVantageQuoteIsCached()
    {
        QuoteRoad road;
        road.w().setApiKey("alpha_vantage_api_key", "av-secret-0004");
        road.server.setReply(RoadPath::alpha, FakeReply::json(RoadReply::alpha(222)));
        road.addRow("AAPL");
        const qint64 before = now();
        road.w().requestQuote("AAPL");
        QTRY_COMPARE(road.source("AAPL"), QStringLiteral("Alpha Vantage"));
        QVERIFY(road.w().alphaVantageLastCallMs >= before);
        QCOMPARE(road.server.requests().first().query,
                 QStringLiteral("function=GLOBAL_QUOTE&symbol=AAPL&apikey=av-secret-0004"));
        QCOMPARE(TempHome::readFile(road.w().alphaVantageCacheWritePath("AAPL")), RoadReply::alpha(222));

        // A second symbol inside the throttle window is throttled: no cache for it, so Yahoo answers.
        road.server.clearRequests();
        road.addRow("MSFT");
        road.server.setReply(RoadPath::yahoo("MSFT"), FakeReply::json(RoadReply::yahoo(400)));
        road.w().requestQuote("MSFT");
        QTRY_COMPARE(road.source("MSFT"), QStringLiteral("Yahoo Public"));
        QCOMPARE(road.paths(), QStringList{RoadPath::yahoo("MSFT")});
    }

    // Many rows at once share the gates: one Twelve Data and one Financial Modeling Prep request go out.
    void gatesAreSharedAcrossSymbols()
    {
        QuoteRoad road;
        road.w().setApiKey("twelvedata_api_key", "td-secret-0002");
        road.w().setApiKey("financial_modeling_prep_api_key", "fmp-secret-0003");
        const QStringList symbols = {"AAPL", "MSFT", "NVDA"};
        for (const QString &symbol : symbols) {
            road.addRow(symbol);
            road.server.setReply(RoadPath::yahoo(symbol), FakeReply::json(RoadReply::yahoo(10)));
        }
        for (const QString &symbol : symbols)
            road.w().requestQuote(symbol);
        for (const QString &symbol : symbols)
            QTRY_COMPARE(road.status(symbol), QStringLiteral("free/delayed"));
        // Whichever run reaches a gate first gets its one request; the others record a throttle.
        QCOMPARE(road.server.requestsFor(RoadPath::twelve).size(), 1);
        int fmpRequests = 0;
        for (const QString &symbol : symbols)
            fmpRequests += road.server.requestsFor(RoadPath::fmp(symbol)).size();
        QCOMPARE(fmpRequests, 1);
        QCOMPARE(road.server.requests().size(), 2 + symbols.size());
    }

    // Provider texts may echo the caller's key; request URLs and reply error strings carry it. None of
    // them reaches the console.
    void keysNeverReachTheConsole()
    {
        QuoteRoad road;
        setKeys(road.w(), kUsKeys);
        road.server.setReply(
            RoadPath::finnhub,
            FakeReply::json("{\"error\":\"Invalid API key fh-secret-0001. Please retry.\"}"));
        road.server.setReply(
            RoadPath::alpha,
            FakeReply::json("{\"Information\":\"Thank you for using Alpha Vantage! Our standard "
                            "API rate limit is 25 requests per day. Key: av-secret-0004\"}"));
        road.server.setReply(RoadPath::twelve, FakeReply{0, {}, {}, 0, false, true}); // connection dropped
        road.addRow("AAPL");
        road.w().requestQuote("AAPL");
        QTRY_COMPARE(road.status("AAPL"), kAllFailed);
        const QString console = road.console();
        for (const QString &secret : kUsKeys)
            QVERIFY2(!console.contains(secret), qPrintable(console));
        QVERIFY(!console.contains(road.server.baseUrl()));
        QVERIFY(!console.contains("apikey"));
        QVERIFY(console.contains("finnhub: Invalid API key ***. Please retry."));
        QVERIFY(console.contains("twelvedata: HTTP 0"));
    }

    void providerSymbolAndDefaultTag()
    {
        QuoteRoad road;
        QCOMPARE(road.w().providerSymbol("twelvedata", "BRL=X"), QStringLiteral("USD/BRL"));
        QCOMPARE(road.w().providerSymbol("twelvedata", "AAPL"), QStringLiteral("AAPL"));
        QCOMPARE(road.w().providerSymbol("yahoo_fx", "BRL=X"), QStringLiteral("BRL=X"));
        QCOMPARE(road.w().defaultProviderForSymbol("BTCUSDT"), QStringLiteral("binance"));
        QCOMPARE(road.w().defaultProviderForSymbol("PETR4.SA"), QStringLiteral("yahoo"));
        road.w().settings.brapiToken = QStringLiteral("tok");
        QCOMPARE(road.w().defaultProviderForSymbol("PETR4.SA"), QStringLiteral("brapi"));
        QCOMPARE(road.w().defaultProviderForSymbol("AAPL"), QStringLiteral("yahoo"));
        QCOMPARE(road.w().historySourceForClass("BRL=X"), 3);
    }

    // A request given up while its reply is still being delivered (its error on the way, or delivered
    // and the finish still to come) ends without Qt's "Internal problem" warning on the console.
    void aDroppedRequestLeavesQtQuiet_data()
    {
        QTest::addColumn<QString>("drop");
        QTest::addColumn<bool>("afterError");
        for (const char *drop : {"newer request", "row removed", "window closed"}) {
            QTest::addRow("%s, error on the way", drop) << QString::fromLatin1(drop) << false;
            QTest::addRow("%s, error delivered", drop) << QString::fromLatin1(drop) << true;
        }
    }

    void aDroppedRequestLeavesQtQuiet()
    {
        QFETCH(QString, drop);
        QFETCH(bool, afterError);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("must only be called once")));
        QuoteRoad road;
        road.addRow("AAPL"); // the server knows no path: the attempt fails with HTTP 404
        road.w().requestQuote("AAPL");
        const QPointer<QNetworkReply> reply = road.w().quoteAttemptReplies.value("AAPL");
        QVERIFY(reply);
        MidDelivery midDelivery(reply, afterError, [&road, drop] {
            if (drop == QLatin1String("newer request"))
                road.w().requestQuote("AAPL");
            else if (drop == QLatin1String("row removed"))
                road.w().forgetSymbolRequests("AAPL");
            else
                road.window.reset();
        });
        QTRY_VERIFY(midDelivery.fired());
        // Whatever the dropped reply still had queued goes with it.
        QTRY_VERIFY(!reply);
        QuoteRoad::settle();
    }

    void replyHeadersAsTheServerWroteThem()
    {
        QuoteRoad road;
        FakeReply reply = FakeReply::json("{}");
        reply.headers.append(qMakePair(QByteArray("X-Test"), QByteArray("two")));
        reply.headers.append(qMakePair(QByteArray("retry-after"), QByteArray("7")));
        road.server.setReply("/h", reply);
        QNetworkReply *network =
            road.w().networkManager.get(QNetworkRequest(QUrl(road.server.baseUrl() + "/h")));
        QTRY_VERIFY(network->isFinished());
        const ProviderReplyHeaders headers = MainWindow::replyHeaders(network);
        QCOMPARE(headers.value("X-Test"), QByteArray("two"));
        QCOMPARE(headers.value("retry-after"), QByteArray("7"));
        QCOMPARE(retryAfterSeconds(headers), 7);
        QVERIFY(MainWindow::replyHeaders(nullptr).isEmpty());
        delete network;
    }

private:
    static bool writeCache(QuoteRoad &road, const QString &symbol, const QByteArray &body, int ageSeconds)
    {
        const QString path = road.w().alphaVantageCacheWritePath(symbol);
        if (!writeReplyCacheFile(path, body))
            return false;
        QFile file(path);
        return file.open(QIODevice::ReadWrite) &&
               file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                QFileDevice::FileModificationTime);
    }
};

MVX_TEST_MAIN(TestMainWindowCascades)
#include "test_main_window_cascades.moc"
