#include "chart/candle_store.h"
#include "chart/price_chart.h"
#include "shell/formats.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/chart/modal_answers.h"
#include "tests/providers/quote_road_fixture.h"
#include "tests/support/test_main.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QPushButton>
#include <QStandardPaths>

Q_DECLARE_METATYPE(FakeReply)

namespace {
const QString kKlines = QStringLiteral("/api/v3/klines");

QByteArray recordedKlines()
{
    const QString dir = realDataDirectory();
    if (dir.isEmpty())
        return QByteArray();
    QFile file(QDir(dir).filePath(QStringLiteral("binance/rest_klines_BTCUSDT_1d_testnet_recorded.json")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `count` klines rows from `base`, one minute apart, each closing one above the last.
QByteArray klinesBody(int count, double base)
{
    QByteArray body = "[";
    for (int i = 0; i < count; ++i) {
        const QByteArray price = QByteArray::number(base + i);
        body += (i ? "," : "") + QByteArray("[") + QByteArray::number(1700000000000LL + i * 60000LL) + ",\"" +
                price + "\",\"" + price + "\",\"" + price + "\",\"" + price + "\",\"5\"]";
    }
    return body + "]";
}

// The console without the order book's lines: its depth stream has no server here, and a failed
// connect is logged like a drop. Whatever the chart logs still shows.
QString chartConsole(const QuoteRoad &road)
{
    QStringList lines = road.console().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf(
        [](const QString &line) { return line.contains(QStringLiteral("Order book stream disconnected")); });
    return lines.join(QLatin1Char('\n'));
}

void select(QuoteRoad &road, const QString &symbol)
{
    road.w().quoteTable->setCurrentCell(road.w().findSymbolRow(symbol), 0);
    QCOMPARE(road.w().selectedSymbol(), symbol);
}

QJsonArray drawings(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).array();
}

// The drawing change a user makes through the chart: the chart's changed callback follows it.
void drawOnChart(MainWindow &window, const char *json)
{
    window.priceChart->loadDrawings(drawings(json));
    window.onChartChanged();
}

QJsonObject settingsFile()
{
    QFile file(QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                   .filePath(QStringLiteral("local.json")));
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}
} // namespace

class TestChartHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestShape_data()
    {
        QTest::addColumn<QString>("timeframe");
        QTest::addColumn<QString>("query");
        QTest::newRow("1m") << "1m"
                            << "symbol=BTCUSDT&interval=1m&limit=180";
        QTest::newRow("4h") << "4h"
                            << "symbol=BTCUSDT&interval=4h&limit=180";
        QTest::newRow("1mo asks for 1M") << "1mo"
                                         << "symbol=BTCUSDT&interval=1M&limit=180";
    }

    void requestShape()
    {
        QFETCH(QString, timeframe);
        QFETCH(QString, query);
        QuoteRoad road;
        road.setTimeframe(timeframe);
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        QVERIFY(road.server.waitForRequests(1));
        const RecordedRequest &request = road.server.requests().first();
        QCOMPARE(request.method, QByteArray("GET"));
        QCOMPARE(request.path, kKlines);
        QCOMPARE(request.query, query);
    }

    void recordedReplyFillsRowStoreAndChart()
    {
        const QByteArray body = recordedKlines();
        if (body.isEmpty())
            QSKIP("no recorded replies");
        QuoteRoad road;
        road.server.setReply(kKlines, FakeReply::json(body));
        road.addRow(QStringLiteral("BTCUSDT"));
        select(road, QStringLiteral("BTCUSDT"));
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        QTRY_VERIFY(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnLatency).endsWith(QStringLiteral(" ms")));
        const CandleList stored = road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT"));
        QCOMPARE(stored.size(), 13);
        QCOMPARE(stored.first().low, 802.04); // the real outlier is kept: it is a valid price
        const Candle &last = stored.last();
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnOpen), formatPrice(last.open));
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnClose), formatPrice(last.close));
        // Thirteen bars: no SMA20 yet, every other indicator has a value.
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnSma), QStringLiteral("--"));
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnEma),
                 formatPrice(MainWindow::latestEma(stored, 20)));
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnVwap),
                 formatPrice(MainWindow::latestVwap(stored, false)));
        QVERIFY(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnMacd) != QStringLiteral("--"));
        // The chart shows the same list, not a copy of it.
        QCOMPARE(road.w().priceChart->series().size(), 13);
        QVERIFY(road.w().priceChart->series().constData() ==
                road.w().candlesBySymbol.value("BTCUSDT").constData());
        QVERIFY(chartConsole(road).isEmpty());
    }

    void unusableRepliesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("rows of five items") << QByteArray(R"([[1700000000000,"1","2","0.5","1.5"]])");
        QTest::newRow("an error object") << QByteArray(R"({"code":-1121,"msg":"Invalid symbol."})");
        QTest::newRow("garbage") << QByteArray("\x01\xff<html>");
        QTest::newRow("only zero prices") << QByteArray(R"([[1700000000000,"0","0","0","0","1"]])");
    }

    void unusableRepliesChangeNothing()
    {
        QFETCH(QByteArray, body);
        QuoteRoad road;
        road.server.setReply(kKlines, FakeReply::json(body));
        road.addRow(QStringLiteral("BTCUSDT"));
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({7, 8}));
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        QVERIFY(road.server.waitForRequests(1));
        QTRY_COMPARE(road.unfinishedRequests(), 0);
        QuoteRoad::settle();
        MVX_COMPARE_CANDLES(road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")), closesOnly({7, 8}));
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnLatency), QStringLiteral("--"));
        QVERIFY(road.console().isEmpty());
    }

    void aZeroPriceRowIsSkipped()
    {
        QuoteRoad road;
        road.server.setReply(kKlines, FakeReply::json(R"([[1700000000000,"1","2","0","1.5","1"],)"
                                                      R"([1700000060000,"2","3","1","2.5","4"]])"));
        road.addRow(QStringLiteral("BTCUSDT"));
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        QTRY_VERIFY(road.w().candlesBySymbol.contains(QStringLiteral("BTCUSDT")));
        MVX_COMPARE_CANDLES(road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")),
                            (CandleList{makeCandle(1700000060000, 2, 3, 1, 2.5, 4)}));
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnLow), QStringLiteral("1.0000"));
    }

    void failuresAreReported_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<FakeReply>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("HTTP 500") << "en" << FakeReply::json("{}", 500) << "kline error"
                                  << "Binance kline error: BTCUSDT";
        QTest::newRow("HTTP 500, Portuguese") << "pt_BR" << FakeReply::json("{}", 500) << "erro kline"
                                              << "Erro de kline Binance: BTCUSDT";
        QTest::newRow("a host that never answers") << "en" << FakeReply::hanging() << "kline error"
                                                   << "Binance kline error: BTCUSDT";
    }

    void failuresAreReported()
    {
        QFETCH(QString, language);
        QFETCH(FakeReply, reply);
        QFETCH(QString, status);
        QFETCH(QString, line);
        QuoteRoad road(11000, 300);
        road.w().settings.language = language;
        road.server.setReply(kKlines, reply);
        road.addRow(QStringLiteral("BTCUSDT"));
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({7}));
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        QTRY_COMPARE(road.status(QStringLiteral("BTCUSDT")), status);
        QVERIFY2(road.console().contains(line), qPrintable(road.console()));
        QVERIFY(!road.console().contains(QStringLiteral("127.0.0.1")));
        MVX_COMPARE_CANDLES(road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")), closesOnly({7}));
    }

    // A slow reply for the interval the user has left cannot overwrite the new interval's bars.
    void lateReplyForTheOldIntervalIsDropped()
    {
        QuoteRoad road;
        road.setTimeframe(QStringLiteral("1h"));
        road.server.setHandler([](const RecordedRequest &request) {
            if (request.path != kKlines)
                return FakeReply::json("{}", 404);
            FakeReply reply =
                FakeReply::json(request.query.contains(QStringLiteral("interval=1h")) ? klinesBody(3, 100)
                                                                                      : klinesBody(2, 500));
            if (request.query.contains(QStringLiteral("interval=1h")))
                reply.delayMs = 400;
            return reply;
        });
        road.addRow(QStringLiteral("BTCUSDT"));
        select(road, QStringLiteral("BTCUSDT"));
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        QVERIFY(road.server.waitForRequests(1));
        road.w().chartTimeframeCombo->setCurrentText(QStringLiteral("4h")); // asks again, in 4h
        QTRY_COMPARE(road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")).size(), 2);
        QTRY_COMPARE(road.unfinishedRequests(), 0);
        QuoteRoad::settle(100);
        QCOMPARE(road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")).first().close, 500.0);
        QCOMPARE(road.w().priceChart->series().size(), 2);
        QCOMPARE(road.w().priceChart->chartTimeframe(), QStringLiteral("4h"));
    }

    void staleRepliesChangeNothing_data()
    {
        QTest::addColumn<int>("change"); // 0 another interval shown, 1 symbol removed, 2 newer request
        QTest::newRow("the chart shows another interval") << 0;
        QTest::newRow("the symbol left the watchlist") << 1;
        QTest::newRow("a newer request was sent") << 2;
    }

    void staleRepliesChangeNothing()
    {
        QFETCH(int, change);
        QuoteRoad road;
        road.server.enqueueReply(kKlines, [] {
            FakeReply reply = FakeReply::json(klinesBody(3, 100));
            reply.delayMs = 300;
            return reply;
        }());
        road.server.enqueueReply(kKlines, FakeReply::hanging());
        road.addRow(QStringLiteral("BTCUSDT"));
        select(road, QStringLiteral("BTCUSDT"));
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        // The klines request itself, not the book's that the selection started: the replies are handed
        // out in the order the requests arrive, so the next one must not overtake it.
        QTRY_COMPARE(road.server.requestsFor(kKlines).size(), 1);
        if (change == 0) {
            const QSignalBlocker blocker(road.w().chartTimeframeCombo);
            road.w().chartTimeframeCombo->setCurrentText(QStringLiteral("1d"));
        } else if (change == 1) {
            road.w().removeSelectedSymbol();
        } else {
            road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        }
        QTest::qWait(600);
        // The stale reply would bring its three candles; on a slow machine the row's own quote may have
        // added a single live sample meanwhile, which is not history.
        QVERIFY(road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")).size() < 3);
        QVERIFY(chartConsole(road).isEmpty() || change == 1);
    }

    // A symbol removed and added back before its klines reply: the request went with the row, and the
    // reply, late or never sent, brings nothing of the removed row to the new one.
    void klinesOfARemovedRowNeverReachItsSuccessor_data()
    {
        QTest::addColumn<bool>("hang");
        QTest::newRow("hanging server") << true;
        QTest::newRow("late reply") << false;
    }

    void klinesOfARemovedRowNeverReachItsSuccessor()
    {
        QFETCH(bool, hang);
        QuoteRoad road;
        FakeReply late = FakeReply::json(klinesBody(3, 100));
        late.delayMs = 300;
        road.server.setReply(kKlines, hang ? FakeReply::hanging() : late);
        road.addRow(QStringLiteral("BTCUSDT"));
        select(road, QStringLiteral("BTCUSDT"));
        road.w().requestBinanceKlines(QStringLiteral("BTCUSDT"));
        QVERIFY(road.server.waitForRequests(1));
        QTRY_COMPARE(road.server.openHeldConnections(), 1);

        road.w().removeSelectedSymbol();
        QTRY_COMPARE(road.server.openHeldConnections(), 0);
        road.addRow(QStringLiteral("BTCUSDT"));
        QTest::qWait(450); // past the late reply
        QVERIFY(!road.w().candlesBySymbol.contains(QStringLiteral("BTCUSDT")));
        QCOMPARE(road.cell(QStringLiteral("BTCUSDT"), QuoteColumnLatency), QStringLiteral("--"));
        QVERIFY(chartConsole(road).isEmpty());
    }

    // One list: the chart holds the store's buffer, and a quote writes it in place without a copy.
    void quotesWriteTheSharedListInPlace()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("BTCUSDT"));
        CandleList history;
        for (int i = 0; i < 1000; ++i)
            history << makeCandle(1700000000 + i * 60, 10, 11, 9, 10, 3);
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), history);
        history = CandleList();
        select(road, QStringLiteral("BTCUSDT"));
        const Candle *buffer = road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")).constData();
        QVERIFY(road.w().priceChart->series().constData() == buffer);

        Quote quote;
        quote.symbol = QStringLiteral("BTCUSDT");
        quote.price = 12.5;
        quote.open = 10;
        quote.high = 13;
        quote.low = 9;
        quote.volume = 99999;
        road.w().applyQuote(QStringLiteral("BTCUSDT"), QStringLiteral("binance"), quote, 5);
        QVERIFY(road.w().candlesBySymbol.value(QStringLiteral("BTCUSDT")).constData() == buffer);
        QVERIFY(road.w().priceChart->series().constData() == buffer);
        QCOMPARE(road.w().priceChart->series().last().close, 12.5);
        QCOMPARE(road.w().priceChart->series().last().high, 13.0);
        // A day's volume does not land in the last minute's bar.
        QCOMPARE(road.w().priceChart->series().last().volume, 3.0);
    }

    // A quote carrying a day of bars keeps a longer history and folds its price into it.
    void aQuoteNeverShrinksTheHistory()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("AAPL"));
        CandleList history;
        for (int i = 0; i < 60; ++i)
            history << makeCandle(1700000000 + i * 86400, 100, 101, 99, 100, 7);
        road.w().candlesBySymbol.insert(QStringLiteral("AAPL"), history);
        Quote quote;
        quote.symbol = QStringLiteral("AAPL");
        quote.price = 105;
        quote.candles = {makeCandle(1800000000, 104, 106, 103, 105, 1000),
                         makeCandle(1800086400, 104, 106, 103, 105, 1000)};
        road.w().applyQuote(QStringLiteral("AAPL"), QStringLiteral("yahoo_us"), quote, 5);
        const CandleList after = road.w().candlesBySymbol.value(QStringLiteral("AAPL"));
        QCOMPARE(after.size(), 60);
        QCOMPARE(after.last().close, 105.0);
        QCOMPARE(after.last().volume, 7.0);
        QVERIFY(road.cell(QStringLiteral("AAPL"), QuoteColumnSma) != QStringLiteral("--"));

        // A quote with as many bars or more still replaces the list.
        road.w().candlesBySymbol.insert(QStringLiteral("AAPL"), closesOnly({1}));
        road.w().applyQuote(QStringLiteral("AAPL"), QStringLiteral("yahoo_us"), quote, 5);
        QCOMPARE(road.w().candlesBySymbol.value(QStringLiteral("AAPL")).size(), 2);
    }

    // After the timeframe changes, a quote's bars replace the old timeframe's series even when
    // fewer: a daily series is always shorter than the intraday one it follows.
    void aQuoteReplacesTheSeriesOfAnotherTimeframe()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("AAPL"));
        road.setTimeframe(QStringLiteral("5m"));
        Quote quote;
        quote.symbol = QStringLiteral("AAPL");
        quote.price = 100;
        for (int i = 0; i < 300; ++i)
            quote.candles << makeCandle(1800000000 + i * 300, 100, 101, 99, 100, 7);
        road.w().applyQuote(QStringLiteral("AAPL"), QStringLiteral("yahoo_us"), quote, 5);
        QCOMPARE(road.w().candlesBySymbol.value(QStringLiteral("AAPL")).size(), 300);

        road.setTimeframe(QStringLiteral("1d"));
        quote.price = 105;
        quote.candles.clear();
        for (int i = 0; i < 20; ++i)
            quote.candles << makeCandle(1790000000 + i * 86400, 104, 106, 103, 105, 1000);
        road.w().applyQuote(QStringLiteral("AAPL"), QStringLiteral("yahoo_us"), quote, 5);
        const CandleList held = road.w().candlesBySymbol.value(QStringLiteral("AAPL"));
        QCOMPARE(held.size(), 20);
        QCOMPARE(held.first().time, qint64(1790000000));

        // Within the new timeframe the guard holds again: a shorter quote keeps the daily series.
        quote.candles.resize(2);
        road.w().applyQuote(QStringLiteral("AAPL"), QStringLiteral("yahoo_us"), quote, 5);
        QCOMPARE(road.w().candlesBySymbol.value(QStringLiteral("AAPL")).size(), 20);
    }

    void drawingsAreStoredPerSymbolAndTimeframe()
    {
        auto road = std::make_unique<QuoteRoad>();
        road->addRow(QStringLiteral("BTCUSDT"));
        road->addRow(QStringLiteral("AAPL"));
        road->w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({1, 2, 3}));
        road->w().candlesBySymbol.insert(QStringLiteral("AAPL"), closesOnly({4, 5, 6}));
        road->setTimeframe(QStringLiteral("1h"));
        select(*road, QStringLiteral("BTCUSDT"));
        QCOMPARE(road->w().currentDrawingsKey, QStringLiteral("BTCUSDT|1h"));
        drawOnChart(road->w(), R"([{"type":"horizontal","price1":2.5}])");

        select(*road, QStringLiteral("AAPL"));
        QVERIFY(road->w().priceChart->drawingList().isEmpty());
        road->w().chartTimeframeCombo->setCurrentText(QStringLiteral("1d"));
        QCOMPARE(road->w().currentDrawingsKey, QStringLiteral("AAPL|1d"));
        drawOnChart(road->w(), R"([{"type":"vertical","index1":1,"label":"earnings"}])");

        // AAPL in 1h has none of them; BTCUSDT in 1d has none either.
        road->w().chartTimeframeCombo->setCurrentText(QStringLiteral("1h"));
        QVERIFY(road->w().priceChart->drawingList().isEmpty());
        select(*road, QStringLiteral("BTCUSDT"));
        QCOMPARE(road->w().priceChart->drawingList().size(), 1);
        QCOMPARE(road->w().priceChart->drawingList().first().price1, 2.5);

        road->w().saveLocalSettings();
        const QJsonObject stored = settingsFile().value(QStringLiteral("drawings")).toObject();
        QCOMPARE(stored.keys(), (QStringList{"AAPL|1d", "BTCUSDT|1h"}));

        // After a restart each drawing comes back on its own symbol and timeframe.
        road->window.reset();
        road->window = std::make_unique<MainWindow>();
        road->w().marketDataStarted = true;
        QCOMPARE(road->w().chartDrawings.keys(), (QStringList{"AAPL|1d", "BTCUSDT|1h"}));
        road->w().quoteTable->setRowCount(0);
        road->addRow(QStringLiteral("BTCUSDT"));
        road->addRow(QStringLiteral("AAPL"));
        QCOMPARE(road->w().currentChartTimeframe(), QStringLiteral("1h"));
        select(*road, QStringLiteral("BTCUSDT"));
        QCOMPARE(road->w().priceChart->drawingList().size(), 1);
        select(*road, QStringLiteral("AAPL"));
        road->w().chartTimeframeCombo->setCurrentText(QStringLiteral("1d"));
        QCOMPARE(road->w().priceChart->drawingList().size(), 1);
        QCOMPARE(road->w().priceChart->drawingList().first().label, QStringLiteral("earnings"));

        // Removing the last drawing of a key removes the key.
        drawOnChart(road->w(), "[]");
        QCOMPARE(settingsFile().value(QStringLiteral("drawings")).toObject().keys(),
                 QStringList{"BTCUSDT|1h"});
        QTRY_COMPARE(road->unfinishedRequests(), 0);
    }

    void refreshWithTheSameKeyKeepsTheChartsDrawings()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("BTCUSDT"));
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({1, 2, 3}));
        select(road, QStringLiteral("BTCUSDT"));
        road.w().priceChart->setChartTool(PriceChart::TrendLine);
        road.w().priceChart->setTrendPreview(QPointF(50, 50));
        road.w().refreshChart();
        QVERIFY(road.w().priceChart->isTrendPreviewActive());
        road.addRow(QStringLiteral("ETHUSDT"));
        select(road, QStringLiteral("ETHUSDT"));
        QVERIFY(!road.w().priceChart->isTrendPreviewActive());
    }

    // A quote redraws the chart but stores nothing: the store follows the chart's reported changes
    // (a drag under way is not one) and the switch to another symbol.
    void quotesLeaveTheStoredDrawingsAlone()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("BTCUSDT"));
        road.addRow(QStringLiteral("ETHUSDT"));
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({1, 2, 3}));
        select(road, QStringLiteral("BTCUSDT"));
        drawOnChart(road.w(), R"([{"type":"horizontal","price1":2.5}])");
        const QJsonObject stored = road.w().chartDrawings;

        road.w().priceChart->loadDrawings(drawings(R"([{"type":"horizontal","price1":2.75}])"));
        road.w().updateQuoteRow(QStringLiteral("BTCUSDT"), 3.5, 1.0, QStringLiteral("Binance"),
                                QStringLiteral("stream"), QStringLiteral("realtime"));
        QCOMPARE(road.w().chartDrawings, stored);
        QCOMPARE(road.w().priceChart->drawingList().first().price1, 2.75);

        select(road, QStringLiteral("ETHUSDT"));
        QCOMPARE(road.w()
                     .chartDrawings.value(QStringLiteral("BTCUSDT|1m"))
                     .toArray()
                     .first()
                     .toObject()
                     .value(QStringLiteral("price1"))
                     .toDouble(),
                 2.75);
    }

    // Quotes keep arriving while a modal edit dialog is open; the edit lands on the drawing it began
    // on, and never on another symbol's list.
    void editWhileQuotesArrive_data()
    {
        QTest::addColumn<bool>("switchSymbol");
        QTest::newRow("quotes of the shown symbol") << false;
        QTest::newRow("another symbol selected meanwhile") << true;
    }

    void editWhileQuotesArrive()
    {
        QFETCH(bool, switchSymbol);
        QuoteRoad road;
        road.addRow(QStringLiteral("BTCUSDT"));
        road.addRow(QStringLiteral("ETHUSDT"));
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({1, 2, 3}));
        road.w().candlesBySymbol.insert(QStringLiteral("ETHUSDT"), closesOnly({4, 5, 6}));
        select(road, QStringLiteral("ETHUSDT"));
        drawOnChart(road.w(), R"([{"type":"vertical","index1":0,"label":"eth"}])");
        select(road, QStringLiteral("BTCUSDT"));
        drawOnChart(road.w(), R"([{"type":"vertical","index1":1,"label":"before"}])");

        ModalAnswers answers;
        answers
            .then([&road, switchSymbol](QWidget *widget) {
                for (int i = 0; i < 5; ++i)
                    road.w().updateQuoteRow(QStringLiteral("BTCUSDT"), 3.5 + i, 1.0,
                                            QStringLiteral("Binance"), QStringLiteral("stream"),
                                            QStringLiteral("realtime"));
                if (switchSymbol)
                    select(road, QStringLiteral("ETHUSDT"));
                ModalAnswers::textValue(QStringLiteral("after"))(widget);
            })
            .then(ModalAnswers::cancel());
        road.w().priceChart->editDrawing(0);
        QVERIFY(answers.allUsed());
        const QJsonObject store = road.w().chartDrawings;
        const QString btc =
            store.value(QStringLiteral("BTCUSDT|1m")).toArray().first().toObject().value("label").toString();
        const QString eth =
            store.value(QStringLiteral("ETHUSDT|1m")).toArray().first().toObject().value("label").toString();
        QCOMPARE(btc, switchSymbol ? QStringLiteral("before") : QStringLiteral("after"));
        QCOMPARE(eth, QStringLiteral("eth"));
    }

    void choosingCandleSendsNoRequest()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("BTCUSDT"));
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({1, 2, 3}));
        select(road, QStringLiteral("BTCUSDT"));
        QTRY_COMPARE(road.unfinishedRequests(), 0);
        road.server.clearRequests();
        road.w().chartModeCombo->setCurrentIndex(1);
        QuoteRoad::settle(100);
        QVERIFY(road.server.requests().isEmpty());
        QCOMPARE(road.w().settings.chartMode, QStringLiteral("candle"));
        QCOMPARE(settingsFile().value(QStringLiteral("chart_mode")).toString(), QStringLiteral("candle"));
    }

    void aNewTimeframeAsksForEveryQuoteAgain()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("BTCUSDT"));
        road.addRow(QStringLiteral("AAPL"));
        road.w().chartTimeframeCombo->setCurrentText(QStringLiteral("4h"));
        QVERIFY(road.server.waitForRequests(2));
        QTRY_COMPARE(road.unfinishedRequests(), 0);
        const QList<RecordedRequest> klines = road.server.requestsFor(kKlines);
        QVERIFY(!klines.isEmpty());
        QVERIFY(klines.first().query.contains(QStringLiteral("interval=4h")));
        QVERIFY(road.server.requests().size() > klines.size()); // AAPL's cascade too
    }

    void escapeOnTheChartChecksSelect()
    {
        QuoteRoad road;
        road.w().chartTrendButton->click();
        QVERIFY(road.w().chartTrendButton->isChecked());
        QVERIFY(!road.w().chartSelectButton->isChecked());
        QTest::keyClick(road.w().priceChart, Qt::Key_Escape);
        QVERIFY(road.w().chartSelectButton->isChecked());
        QVERIFY(!road.w().chartTrendButton->isChecked());
        QVERIFY(road.console().contains(QStringLiteral("Chart tool: Select/zoom")));
    }

    // A new SMA period retitles the column and recomputes every row's indicators; the table keeps
    // its sorting.
    void periodsRetitleAndRecomputeTheTable()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("AAPL"));
        road.addRow(QStringLiteral("MSFT"));
        road.w().candlesBySymbol.insert(QStringLiteral("AAPL"), closesOnly({1, 2, 3, 4}));
        road.w().candlesBySymbol.insert(QStringLiteral("MSFT"), closesOnly({10, 20, 30, 40}));
        road.w().quoteTable->setSortingEnabled(true);
        road.w().priceChart->applyIndicatorSettings(QJsonDocument::fromJson(R"({"sma_period":3})").object());
        road.w().onChartChanged();
        QCOMPARE(road.w().quoteTable->horizontalHeaderItem(QuoteColumnSma)->text(), QStringLiteral("SMA3"));
        QCOMPARE(road.cell(QStringLiteral("AAPL"), QuoteColumnSma), formatPrice(3.0));
        QCOMPARE(road.cell(QStringLiteral("MSFT"), QuoteColumnSma), formatPrice(30.0));
        QVERIFY(road.w().quoteTable->isSortingEnabled());
        QCOMPARE(settingsFile()
                     .value(QStringLiteral("indicators"))
                     .toObject()
                     .value(QStringLiteral("sma_period"))
                     .toInt(),
                 3);
    }

    // A chart change re-labels every table and refreshes the portfolio, with no quote to do it: a
    // position held but not yet shown appears, and the headers follow the language of the moment.
    void aChartChangeWithoutQuotesRefreshesTheTables()
    {
        QuoteRoad road;
        road.w().activePositionsForEdit().append(PortfolioPosition{QStringLiteral("PETR4.SA"), 100, 30.0});
        road.w().settings.language = QStringLiteral("pt_BR");
        QCOMPARE(road.w().positionsTable->rowCount(), 0);
        road.w().onChartChanged();
        QCOMPARE(road.w().positionsTable->rowCount(), 1);
        QCOMPARE(road.w().positionsTable->item(0, 0)->text(), QStringLiteral("PETR4.SA"));
        QCOMPARE(road.w().quoteTable->horizontalHeaderItem(QuoteColumnSymbol)->text(),
                 QString::fromUtf8("Símbolo"));
        QCOMPARE(road.w().alertHistoryTable->horizontalHeaderItem(0)->text(), QString::fromUtf8("Horário"));
        QCOMPARE(road.w().positionsTable->horizontalHeaderItem(0)->text(), QString::fromUtf8("Símbolo"));
    }

    // The reset key is the toolbar button's shortcut and the chart's own key: one press, one reset.
    void theResetKeyResetsOnce()
    {
        QuoteRoad road;
        road.addRow(QStringLiteral("BTCUSDT"));
        road.w().candlesBySymbol.insert(QStringLiteral("BTCUSDT"), closesOnly({1, 2, 3, 4}));
        select(road, QStringLiteral("BTCUSDT"));
        road.w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&road.w()));
        road.w().activateWindow();
        road.w().priceChart->setFocus();
        QTRY_VERIFY(road.w().priceChart->hasFocus());
        road.w().eventConsole->clear();
        QTest::keyClick(road.w().priceChart, Qt::Key_0, Qt::AltModifier);
        QCOMPARE(road.console().count(QStringLiteral("Chart zoom reset")), 1);
    }
};

MVX_TEST_MAIN(TestChartHistory)
#include "test_chart_history.moc"
