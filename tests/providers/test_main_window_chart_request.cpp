#include "tests/providers/quote_road_fixture.h"
#include "tests/support/test_main.h"

#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>

#include <cmath>

Q_DECLARE_METATYPE(FakeReply)

namespace {

// A chart body with `count` bars from `firstTime`, one hour apart, closing at base + i.
QByteArray chartBody(double price, double previousClose, int count, qint64 firstTime, double base)
{
    QByteArray times, prices;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            times += ',';
            prices += ',';
        }
        times += QByteArray::number(firstTime + i * 3600);
        prices += QByteArray::number(base + i);
    }
    QByteArray meta = "{";
    if (price > 0)
        meta += "\"regularMarketPrice\":" + QByteArray::number(price);
    if (previousClose > 0)
        meta += QByteArray(price > 0 ? "," : "") + "\"previousClose\":" + QByteArray::number(previousClose);
    meta += "}";
    return "{\"chart\":{\"result\":[{\"meta\":" + meta + ",\"timestamp\":[" + times +
           "],\"indicators\":{\"quote\":[{\"open\":[" + prices + "],\"high\":[" + prices + "],\"low\":[" +
           prices + "],\"close\":[" + prices + "],\"volume\":[" + prices + "]}]}}]}}";
}

const QByteArray kEmptyResult = "{\"chart\":{\"result\":[],\"error\":null}}";

} // namespace

class TestMainWindowChartRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The request: the symbol percent-encoded as one path segment, the chart's interval and range, and
    // the direct requests' own agent.
    void requestShape_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("timeframe");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("query");
        QTest::newRow("plain, 1m") << "AAPL"
                                   << "1m"
                                   << "/v8/finance/chart/AAPL"
                                   << "interval=1m&range=1d&includePrePost=false";
        QTest::newRow("forex, 1d") << "BRL=X"
                                   << "1d"
                                   << "/v8/finance/chart/BRL%3DX"
                                   << "interval=1d&range=1y&includePrePost=false";
        QTest::newRow("index, 4h") << "^BVSP"
                                   << "4h"
                                   << "/v8/finance/chart/%5EBVSP"
                                   << "interval=1h&range=3mo&includePrePost=false";
        // No character of a symbol may end the segment, add a query or reach another path.
        QTest::newRow("breakers") << "A/../B?x=1#f"
                                  << "5m"
                                  << "/v8/finance/chart/A%2F..%2FB%3Fx%3D1%23f"
                                  << "interval=5m&range=5d&includePrePost=false";
    }

    void requestShape()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, timeframe);
        QFETCH(QString, path);
        QFETCH(QString, query);
        QuoteRoad road;
        road.setTimeframe(timeframe);
        road.w().requestYahooChart(symbol, false);
        QVERIFY(road.server.waitForRequests(1));
        const RecordedRequest &request = road.server.requests().first();
        QCOMPARE(request.method, QByteArray("GET"));
        QCOMPARE(request.path, path);
        QCOMPARE(request.query, query);
        QCOMPARE(request.header("User-Agent"), QByteArray("MURVEX_TERMINAL/0.1 Qt"));
    }

    // A symbol that can only be a dot segment is never sent; as a quote it ends as an HTTP error.
    void dotSymbolIsNotSent()
    {
        QuoteRoad road;
        road.addRow("..");
        road.w().requestYahooChart("..", true);
        QTRY_COMPARE(road.status(".."), QStringLiteral("http error"));
        QVERIFY(road.server.requests().isEmpty());
    }

    void quoteFillsTheRow()
    {
        QuoteRoad road;
        road.server.setReply(RoadPath::yahoo("AAPL"),
                             FakeReply::json(chartBody(110, 100, 3, 1700000000, 101)));
        road.addRow("AAPL");
        road.w().requestYahooChart("AAPL", true);
        QCOMPARE(road.status("AAPL"), QStringLiteral("loading"));
        QTRY_COMPARE(road.status("AAPL"), QStringLiteral("free/delayed"));
        QCOMPARE(road.source("AAPL"), QStringLiteral("Yahoo"));
        QVERIFY(road.cell("AAPL", QuoteColumnLatency).endsWith(" ms"));
        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("110.0000"));
        QCOMPARE(road.cell("AAPL", QuoteColumnChange), QStringLiteral("10.00%"));
        const CandleList candles = road.w().candlesBySymbol.value("AAPL");
        QCOMPARE(candles.size(), 3);
        // The market price moves the last bar's close.
        QCOMPARE(candles.last().close, 110.0);
        QCOMPARE(road.cell("AAPL", QuoteColumnOpen), QStringLiteral("103.0000"));
        QCOMPARE(road.cell("AAPL", QuoteColumnClose), QStringLiteral("110.0000"));
    }

    void usdBrlFeedsTheTicker()
    {
        QuoteRoad road;
        road.server.setReply(RoadPath::yahoo("BRL%3DX"),
                             FakeReply::json(chartBody(5.5, 5.0, 2, 1700000000, 5)));
        road.w().requestYahooChart("BRL=X", false);
        QTRY_COMPARE(road.w().usdBrlRate, 5.5);
        QVERIFY(road.w().fxTickerLabel->text().contains("5.5000"));
    }

    // What an empty or unusable reply does, as a quote and as history only.
    void badReplies_data()
    {
        QTest::addColumn<FakeReply>("reply");
        QTest::addColumn<bool>("asQuote");
        QTest::addColumn<QString>("status"); // "pending": untouched
        QTest::addColumn<QString>("console");
        QTest::newRow("empty result, quote") << FakeReply::json(kEmptyResult) << true << "no free data"
                                             << "No free data response for: AAPL";
        QTest::newRow("not JSON, quote") << FakeReply::text("<html>") << true << "no free data"
                                         << "No free data response for: AAPL";
        QTest::newRow("no price, quote")
            << FakeReply::json(chartBody(0, 0, 0, 0, 0)) << true << "invalid free data"
            << "Invalid free data response for: AAPL";
        QTest::newRow("HTTP 404, quote") << FakeReply::json(kEmptyResult, 404) << true << "http error"
                                         << "Yahoo quote error: AAPL";
        QTest::newRow("refused, quote") << FakeReply{0, {}, {}, 0, false, true} << true << "http error"
                                        << "Yahoo quote error: AAPL";
        QTest::newRow("empty result, history") << FakeReply::json(kEmptyResult) << false << "pending"
                                               << "";
        QTest::newRow("no price, history") << FakeReply::json(chartBody(0, 0, 0, 0, 0)) << false << "pending"
                                           << "";
        QTest::newRow("HTTP 500, history") << FakeReply::json("{}", 500) << false << "pending"
                                           << "";
    }

    void badReplies()
    {
        QFETCH(FakeReply, reply);
        QFETCH(bool, asQuote);
        QFETCH(QString, status);
        QFETCH(QString, console);
        QuoteRoad road;
        road.server.setReply(RoadPath::yahoo("AAPL"), reply);
        road.addRow("AAPL");
        const int linesBefore = road.console().count('\n');
        road.w().requestYahooChart("AAPL", asQuote);
        QVERIFY(road.server.waitForRequests(1));
        if (asQuote) {
            QTRY_COMPARE(road.status("AAPL"), status);
            QVERIFY2(road.console().contains(console), qPrintable(road.console()));
            if (status == QLatin1String("http error"))
                QVERIFY(road.cell("AAPL", QuoteColumnLatency).endsWith(" ms"));
        } else {
            road.settle(200);
            QCOMPARE(road.status("AAPL"), status);
            QCOMPARE(road.console().count('\n'), linesBefore);
        }
        QVERIFY(!road.console().contains(road.server.baseUrl()));
        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("--"));
    }

    void portugueseTexts()
    {
        QuoteRoad road;
        road.w().setLanguage("pt_BR");
        road.server.setReply(RoadPath::yahoo("AAPL"), FakeReply::json(kEmptyResult));
        road.server.setReply(RoadPath::yahoo("MSFT"), FakeReply::json(chartBody(0, 0, 0, 0, 0)));
        road.server.setReply(RoadPath::yahoo("NVDA"), FakeReply::json("{}", 503));
        road.w().requestYahooChart("AAPL", true);
        road.w().requestYahooChart("MSFT", true);
        road.w().requestYahooChart("NVDA", true);
        QTRY_VERIFY(road.console().contains("Sem resposta de dados gratuitos para: AAPL"));
        QTRY_VERIFY(
            road.console().contains(QString::fromUtf8("Resposta de dados gratuitos inválida para: MSFT")));
        QTRY_VERIFY(road.console().contains(QString::fromUtf8("Erro de cotação Yahoo: NVDA")));
    }

    // A stalled host: the transfer limit ends the request, so the row does not stay loading.
    void stalledHostEndsAsHttpError()
    {
        QuoteRoad road(11000, 300);
        road.server.setReply(RoadPath::yahoo("AAPL"), FakeReply::hanging());
        road.addRow("AAPL");
        road.w().requestYahooChart("AAPL", true);
        QTRY_COMPARE_WITH_TIMEOUT(road.status("AAPL"), QStringLiteral("http error"), 5000);
    }

    // History only: the candles replace the series and the Open to Close cells, nothing else of the row.
    void historyOnlyWritesCandlesNotTheQuote()
    {
        QuoteRoad road;
        road.server.setReply(RoadPath::yahoo("AAPL"),
                             FakeReply::json(chartBody(110, 100, 3, 1700000000, 101)));
        road.addRow("AAPL");
        road.w().requestYahooChart("AAPL", false);
        QTRY_COMPARE(road.w().candlesBySymbol.value("AAPL").size(), 3);
        QCOMPARE(road.cell("AAPL", QuoteColumnClose), QStringLiteral("103.0000"));
        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("--"));
        QCOMPARE(road.status("AAPL"), QStringLiteral("pending"));
        QCOMPARE(road.source("AAPL"), QStringLiteral("--"));
        QVERIFY(road.w()
                    .quoteTable->item(road.w().findSymbolRow("AAPL"), QuoteColumnSymbol)
                    ->toolTip()
                    .startsWith("AAPL  1m"));
    }

    void fourHourTimeframeMergesTheBars()
    {
        QuoteRoad road;
        road.setTimeframe("4h");
        road.server.setReply(RoadPath::yahoo("AAPL"),
                             FakeReply::json(chartBody(110, 100, 9, 1700006400, 101)));
        road.addRow("AAPL");
        road.w().requestYahooChart("AAPL", false);
        QTRY_VERIFY(!road.w().candlesBySymbol.value("AAPL").isEmpty());
        const CandleList candles = road.w().candlesBySymbol.value("AAPL");
        QCOMPARE(candles.size(), 3);
        for (const Candle &candle : candles)
            QCOMPARE(candle.time % 14400, qint64(0));
    }

    // A late reply for a timeframe the user has left would put the old timeframe's bars under the new one.
    void lateReplyForAnotherTimeframeIsDropped()
    {
        QuoteRoad road;
        FakeReply late = FakeReply::json(chartBody(110, 100, 3, 1700000000, 101));
        late.delayMs = 300;
        road.server.enqueueReply(RoadPath::yahoo("MSFT"), late); // the timeframe's own refresh gets a 404
        road.addRow("MSFT");
        road.w().requestYahooChart("MSFT", false);
        QVERIFY(road.server.waitForRequests(1));
        road.w().chartTimeframeCombo->setCurrentText("1d");
        QTest::qWait(600);
        QVERIFY(road.w().candlesBySymbol.value("MSFT").isEmpty());

        // Asked again in the timeframe now shown, the reply is taken.
        road.server.setReply(RoadPath::yahoo("MSFT"),
                             FakeReply::json(chartBody(110, 100, 3, 1700000000, 101)));
        road.w().requestYahooChart("MSFT", false);
        QTRY_COMPARE(road.w().candlesBySymbol.value("MSFT").size(), 3);
    }

    // With the table sorted by Close, a history reply that moves a row must still write that symbol's
    // indicator cells into that symbol's row.
    void sortedTableKeepsEachRowsCells()
    {
        QuoteRoad road;
        road.addRow("AAA");
        road.addRow("BBB");
        road.w().candlesBySymbol.insert("AAA", {{1, 1, 1, 1, 1, 1}});
        road.w().candlesBySymbol.insert("BBB", {{1, 50, 50, 50, 50, 1}});
        road.w().refreshRowFromCandles("AAA");
        road.w().refreshRowFromCandles("BBB");
        road.w().quoteTable->setSortingEnabled(true);
        road.w().quoteTable->sortByColumn(QuoteColumnClose, Qt::AscendingOrder);
        QCOMPARE(road.w().findSymbolRow("AAA"), 0);

        // AAA's new close sorts it below BBB.
        road.server.setReply(RoadPath::yahoo("AAA"), FakeReply::json(chartBody(500, 0, 1, 1700000000, 500)));
        road.w().requestYahooChart("AAA", false);
        QTRY_COMPARE(road.w().findSymbolRow("AAA"), 1);
        QCOMPARE(road.cell("AAA", QuoteColumnClose), QStringLiteral("500.0000"));
        QCOMPARE(road.cell("AAA", QuoteColumnEma), QStringLiteral("500.0000"));
        QCOMPARE(road.cell("BBB", QuoteColumnClose), QStringLiteral("50.0000"));
        QCOMPARE(road.cell("BBB", QuoteColumnEma), QStringLiteral("50.0000"));
    }

    // The chart history goes to the first history provider of the symbol's market.
    void chartHistoryByMarket_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("US: Yahoo chart") << "AAPL" << QStringList{RoadPath::yahoo("AAPL")};
        QTest::newRow("forex: Yahoo chart") << "BRL=X" << QStringList{RoadPath::yahoo("BRL%3DX")};
        QTest::newRow("B3: comes with the quote") << "PETR4.SA" << QStringList{};
    }

    void chartHistoryByMarket()
    {
        QFETCH(QString, symbol);
        QFETCH(QStringList, paths);
        QuoteRoad road;
        road.addRow(symbol);
        road.w().requestChartHistory(symbol);
        road.settle(300);
        QCOMPARE(road.paths(), paths);
        // History only: its failure (404 here) shows nothing.
        QCOMPARE(road.status(symbol), QStringLiteral("pending"));
    }

    void candlesMember()
    {
        const QJsonArray one = QJsonDocument::fromJson("[1]").array();
        const CandleList candles = MainWindow::yahooChartCandles(one, one, one, one, one, QJsonArray());
        QCOMPARE(candles.size(), 1);
        QCOMPARE(candles.first().volume, 0.0);
    }
};

MVX_TEST_MAIN(TestMainWindowChartRequest)
#include "test_main_window_chart_request.moc"
