#include "tests/streams/stream_window_fixture.h"
#include "tests/support/fake_websocket_server.h"
#include "tests/support/loopback_services.h"
#include "tests/support/quote_request_log.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/test_main.h"

#include "app/endpoints.h"
#include "providers/data_fetcher.h"

#include <QDoubleSpinBox>
#include <QNetworkRequest>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <memory>

namespace {
const QByteArray kFullDepth = R"({"bids":[["100","1"],["99","1"],["98","1"],["97","1"],["96","1"]],
                                  "asks":[["101","2"],["102","1"],["103","1"],["104","1"],["105","1"]]})";

// Handshakes other than the ticker's, which the data start opens on its own schedule.
int bookHandshakes(const FakeWebSocketServer &server)
{
    int count = 0;
    for (const auto &handshake : server.handshakes())
        count += handshake.streams.contains(QLatin1String("@ticker")) ? 0 : 1;
    return count;
}

int handshakesOf(const FakeWebSocketServer &server, const QString &suffix)
{
    int count = 0;
    for (const auto &handshake : server.handshakes())
        count += handshake.streams.contains(suffix) ? 1 : 0;
    return count;
}

QList<bool> checkedStates(const MainWindow &window)
{
    QList<bool> out;
    for (const QPushButton *button : window.bookPresetButtons)
        out << button->isChecked();
    return out;
}

QByteArray depthFrame(const QByteArray &data)
{
    return "{\"stream\":\"btcusdt@depth20@100ms\",\"data\":" + data + "}";
}

QByteArray itickDepth(int levels, double bestBid = 187.24)
{
    QByteArray bids;
    QByteArray asks;
    for (int i = 0; i < levels; ++i) {
        bids += (i ? "," : "") + QByteArray("{\"po\":") + QByteArray::number(i + 1) +
                ",\"p\":" + QByteArray::number(bestBid - 0.01 * i) + ",\"v\":100}";
        asks += (i ? "," : "") + QByteArray("{\"po\":") + QByteArray::number(i + 1) +
                ",\"p\":" + QByteArray::number(bestBid + 0.01 + 0.01 * i) + ",\"v\":100}";
    }
    return "{\"type\":\"depth\",\"data\":{\"s\":\"AAPL\",\"b\":[" + bids + "],\"a\":[" + asks + "]}}";
}

// A coin below a cent, ten levels a side one tick (0.00000001) apart: bids from 0.00001110 down, asks
// from 0.00001111 up.
QByteArray subCentDepthFrame()
{
    QByteArray bids;
    QByteArray asks;
    for (int level = 0; level < 10; ++level) {
        const QByteArray comma = level ? "," : "";
        bids += comma + "[\"0.0000" + QByteArray::number(1110 - level) + "\",\"1000000\"]";
        asks += comma + "[\"0.0000" + QByteArray::number(1111 + level) + "\",\"1000000\"]";
    }
    return "{\"stream\":\"pepeusdt@depth20@100ms\",\"data\":{\"lastUpdateId\":1,\"bids\":[" + bids +
           "],\"asks\":[" + asks + "]}}";
}

// Loopback REST and WebSocket services and a window with only the rows a test adds.
struct LiveWindow
{
    LoopbackServices services;
    FakeWebSocketServer streams; // after the REST services: the stream variables point here
    StreamWindow f;
    MainWindow &window = f.window;
    LiveWindow()
    {
        window.quoteTransferLimitMs = 1000;
        // The data start runs 250 ms after construction and opens the ticker on its own; let it pass first.
        if (!QTest::qWaitFor([this]() { return window.marketDataStarted; }))
            qWarning("the data start did not run");
    }
};
} // namespace

class TestStreams : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cryptoBookFromSnapshotThenStream()
    {
        LiveWindow live;
        live.services.server().setReply(QStringLiteral("/api/v3/depth"), FakeReply::json(kFullDepth));
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.select(QStringLiteral("BTCUSDT"));
        QVERIFY(live.streams.waitForClients(2));
        QStringList streams;
        for (const auto &handshake : live.streams.handshakes())
            streams << handshake.path + QLatin1Char('?') + handshake.streams;
        QVERIFY(streams.contains(QStringLiteral("/stream?btcusdt@depth20@100ms")));
        QVERIFY(streams.contains(QStringLiteral("/stream?btcusdt@trade")));
        QTRY_COMPARE(live.services.server().requestsFor(QStringLiteral("/api/v3/depth")).size(), 1);
        const auto rest = live.services.server().requestsFor(QStringLiteral("/api/v3/depth"));
        QCOMPARE(rest.at(0).query, QStringLiteral("symbol=BTCUSDT&limit=20"));
        QTRY_VERIFY(live.window.bookLive);
        QCOMPARE(live.f.cards().at(1), QStringLiteral("ASK\n101.0000"));

        // Real frames carry no "s": the stream name says whose book it is.
        live.streams.sendToStream(
            QStringLiteral("btcusdt@depth20@100ms"),
            depthFrame(R"({"bids":[["200","1"],["199","1"],["198","1"],["197","1"],["196","1"]],
                          "asks":[["201","1"],["202","1"],["203","1"],["204","1"],["205","1"]]})"));
        QTRY_COMPARE(live.f.cards().at(0), QStringLiteral("BID\n200.0000"));
        QVERIFY(live.f.bookTitle().startsWith(QStringLiteral("ORDER BOOK  BTCUSDT  ")));

        live.streams.sendToStream(QStringLiteral("btcusdt@depth20@100ms"),
                                  depthFrame(R"({"bids":[["200","1"]],"asks":[["201","1"]]})"));
        QTRY_COMPARE(live.f.bookTitle(),
                     QStringLiteral("QUOTE SNAPSHOT  BTCUSDT  Binance depth insufficient"));
        QVERIFY(!live.window.bookLive);
        live.streams.sendToStream(
            QStringLiteral("btcusdt@depth20@100ms"),
            depthFrame(
                R"({"bids":[],"asks":[],"b":[["300","1"],["299","1"],["298","1"],["297","1"],["296","1"]],
                          "a":[["301","1"],["302","1"],["303","1"],["304","1"],["305","1"]]})"));
        QTRY_VERIFY(live.window.bookLive);
        QCOMPARE(live.f.cards().at(0), QStringLiteral("BID\n300.0000"));
        QCOMPARE(live.window.askCaptionLabel->text(), QStringLiteral("ASK"));

        // Another symbol's frame and an upper/lower case mismatch change nothing.
        live.streams.sendToStream(
            QStringLiteral("btcusdt@depth20@100ms"),
            "{\"stream\":\"btcusdt@depth20@100ms\",\"data\":{\"s\":\"btcusdt\",\"bids\":[],"
            "\"asks\":[]}}");
        live.streams.send("{\"stream\":\"ethusdt@depth20@100ms\",\"data\":" + kFullDepth + "}");
        QTest::qWait(100);
        QCOMPARE(live.f.cards().at(0), QStringLiteral("BID\n300.0000"));

        // Reselecting the connected symbol neither asks REST again nor reopens.
        const int handshakes = bookHandshakes(live.streams);
        live.window.startBookStream();
        QTest::qWait(100);
        QCOMPARE(live.services.server().requestsFor(QStringLiteral("/api/v3/depth")).size(), 1);
        QCOMPARE(bookHandshakes(live.streams), handshakes);
    }

    void aLateSnapshotChangesNothing()
    {
        LiveWindow live;
        FakeReply slow = FakeReply::json(kFullDepth);
        slow.delayMs = 600;
        live.services.server().setReply(QStringLiteral("/api/v3/depth"), slow);
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.select(QStringLiteral("BTCUSDT"));
        QVERIFY(live.streams.waitForClients(2));
        live.streams.sendToStream(
            QStringLiteral("btcusdt@depth20@100ms"),
            depthFrame(R"({"bids":[["200","1"],["199","1"],["198","1"],["197","1"],["196","1"]],
                          "asks":[["201","1"],["202","1"],["203","1"],["204","1"],["205","1"]]})"));
        QTRY_COMPARE(live.f.cards().at(0), QStringLiteral("BID\n200.0000"));
        QVERIFY(live.services.server().waitForRequests(1));
        QTest::qWait(900);
        QCOMPARE(live.f.cards().at(0), QStringLiteral("BID\n200.0000"));
    }

    void aThinFrameLeavesRoomForAFullSnapshot()
    {
        LiveWindow live;
        live.services.server().setReply(QStringLiteral("/api/v3/depth"), FakeReply::json(kFullDepth));
        {
            const QSignalBlocker quiet(live.window.bookStepSpin);
            live.window.bookStepSpin->setValue(1.0);
        }
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.select(QStringLiteral("BTCUSDT"));
        // Straight after the request went out, so the thin frame is judged before any reply can be.
        live.window.onBinanceDepth(
            QString::fromLatin1(depthFrame(R"({"bids":[["200","1"]],"asks":[["201","1"]]})")));
        QCOMPARE(live.f.bookTitle(), QStringLiteral("QUOTE SNAPSHOT  BTCUSDT  Binance depth insufficient"));
        QTRY_VERIFY(live.window.bookLive);
        QCOMPARE(live.f.cards().at(1), QStringLiteral("ASK\n101.0000"));

        // Once the stream's own "live" title is in place, a snapshot reply titles the book with the bare
        // word: the step is no part of it.
        QTRY_COMPARE(live.window.depthSocket.state(), QAbstractSocket::ConnectedState);
        live.window.requestBinanceDepthSnapshot(QStringLiteral("BTCUSDT"));
        QTRY_COMPARE(live.f.bookTitle(), QStringLiteral("ORDER BOOK  BTCUSDT  snapshot"));
    }

    void aFailedConnectIsLoggedAndOurOwnCloseIsNot_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("lines"); // "Order book stream disconnected" before the pair is left
        QTest::newRow("refused connect") << true << 1;
        QTest::newRow("connected stream") << false << 0;
    }

    // A connect that fails leaves the book as stale as a drop and is logged as one; leaving the pair
    // closes the stream ourselves, which is no drop, whether or not it had connected.
    void aFailedConnectIsLoggedAndOurOwnCloseIsNot()
    {
        QFETCH(bool, refused);
        QFETCH(int, lines);
        LiveWindow live;
        if (refused)
            live.streams.refuse();
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.select(QStringLiteral("BTCUSDT"));
        if (refused) {
            QTRY_VERIFY(live.window.depthReconnectTimer.isActive());
        } else {
            QTRY_COMPARE(live.window.depthSocket.state(), QAbstractSocket::ConnectedState);
            QVERIFY(live.window.eventConsole->toPlainText().contains(
                QStringLiteral("Order book stream connected: BTCUSDT")));
        }
        const auto dropLines = [&live]() {
            return live.window.eventConsole->toPlainText().count(
                QStringLiteral("Order book stream disconnected"));
        };
        QCOMPARE(dropLines(), lines);

        live.f.addRow(QStringLiteral("EURUSD=X"));
        live.f.select(QStringLiteral("EURUSD=X"));
        QVERIFY(!live.window.depthReconnectTimer.isActive());
        // The socket reports its end as it turns unconnected, so by then any line would be written.
        QTRY_COMPARE(live.window.depthSocket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(dropLines(), lines);
        QVERIFY(!live.window.depthReconnectTimer.isActive());
    }

    void presetButtonsFollowTheSelectedPrice_data()
    {
        QTest::addColumn<QString>("preset"); // the stored choice
        QTest::addColumn<double>("step");
        QTest::addColumn<bool>("priceFirst"); // the price is in before the row is selected
        QTest::addColumn<QByteArray>("price");
        QTest::addColumn<QList<bool>>("checked"); // raw, tight, normal, wide
        QTest::newRow("price after the selection")
            << "" << 0.0 << false << QByteArray("65000") << QList<bool>{true, false, false, false};
        QTest::newRow("priced row selected")
            << "" << 0.0 << true << QByteArray("65000") << QList<bool>{true, false, false, false};
        QTest::newRow("stored preset, price after the selection")
            << "normal" << 50.0 << false << QByteArray("65000") << QList<bool>{false, false, true, false};
        // The price's normal step is 100 now: no button matches 50, yet the choice stays.
        QTest::newRow("a price off the preset's step")
            << "normal" << 50.0 << false << QByteArray("100010") << QList<bool>{false, false, false, false};
    }

    void presetButtonsFollowTheSelectedPrice()
    {
        QFETCH(QString, preset);
        QFETCH(double, step);
        QFETCH(bool, priceFirst);
        QFETCH(QByteArray, price);
        QFETCH(QList<bool>, checked);
        LiveWindow live;
        live.window.bookPresetKey = preset;
        {
            const QSignalBlocker quiet(live.window.bookStepSpin);
            live.window.bookStepSpin->setValue(step);
        }
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.window.startTickerStream();
        QVERIFY(live.streams.waitForClients(1));
        const auto sendPrice = [&]() {
            live.streams.sendToStream(QStringLiteral("btcusdt@ticker"),
                                      R"({"stream":"btcusdt@ticker","data":{"s":"BTCUSDT","c":")" + price +
                                          R"(","P":"1.5"}})");
            QTRY_COMPARE(live.window.lastPriceForSymbol(QStringLiteral("BTCUSDT")), price.toDouble());
        };
        if (priceFirst)
            sendPrice();
        live.f.select(QStringLiteral("BTCUSDT"));
        if (!priceFirst) {
            // Without a price only raw gives step 0; the others give the least step.
            if (step == 0.0)
                QCOMPARE(checkedStates(live.window), (QList<bool>{true, false, false, false}));
            else
                QCOMPARE(checkedStates(live.window), (QList<bool>{false, false, false, false}));
            sendPrice();
        }
        QCOMPARE(live.window.bookStep(), step);
        QCOMPARE(checkedStates(live.window), checked);
        QCOMPARE(live.window.bookPresetKey, preset);
    }

    void presetsGatherASubCentBook_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("stepText"); // what the title ends with
        QTest::addColumn<QStringList>("bids");
        QTest::addColumn<QStringList>("asks");
        const QStringList rawBids{"0.00001110", "0.00001109", "0.00001108", "0.00001107", "0.00001106",
                                  "0.00001105", "0.00001104", "0.00001103", "0.00001102", "0.00001101"};
        const QStringList rawAsks{"0.00001111", "0.00001112", "0.00001113", "0.00001114", "0.00001115",
                                  "0.00001116", "0.00001117", "0.00001118", "0.00001119", "0.00001120"};
        QTest::newRow("raw") << "raw" << 0.0 << "" << rawBids << rawAsks;
        // The least step keeps levels one tick apart apart.
        QTest::newRow("tight") << "tight" << 0.00000001 << "  Step 0.00000001" << rawBids << rawAsks;
        QTest::newRow("normal") << "normal" << 0.00000001 << "  Step 0.00000001" << rawBids << rawAsks;
        QTest::newRow("wide") << "wide" << 0.00000005 << "  Step 0.00000005"
                              << QStringList{"0.00001110", "0.00001105", "0.00001100"}
                              << QStringList{"0.00001115", "0.00001120"};
    }

    // A coin at 0.0000111: each preset button gives a step the book uses (none falls back to raw), and
    // the wide one gathers levels one tick apart into fewer rows.
    void presetsGatherASubCentBook()
    {
        QFETCH(QString, preset);
        QFETCH(double, step);
        QFETCH(QString, stepText);
        QFETCH(QStringList, bids);
        QFETCH(QStringList, asks);
        LiveWindow live;
        live.f.addRow(QStringLiteral("PEPEUSDT"));
        live.f.quote(QStringLiteral("PEPEUSDT"), 0.0000111, 1.5);
        live.f.select(QStringLiteral("PEPEUSDT"));
        QTRY_COMPARE(live.window.depthSocket.state(), QAbstractSocket::ConnectedState);
        for (QPushButton *button : std::as_const(live.window.bookPresetButtons)) {
            if (button->property("bookPreset").toString() == preset)
                button->click();
        }
        QCOMPARE(live.window.bookStep(), step);
        QCOMPARE(live.window.bookPresetKey, preset);
        if (preset != QLatin1String("raw")) {
            QVERIFY(live.window.bookStep() >= 0.00000001);
            QVERIFY(live.window.bookStepSpin->text() != live.window.bookStepSpin->specialValueText());
        }
        live.streams.sendToStream(QStringLiteral("pepeusdt@depth20@100ms"), subCentDepthFrame());
        QTRY_VERIFY(live.window.bookLive);
        QCOMPARE(StreamWindow::column(live.window.bidTable, 0), bids);
        QCOMPARE(StreamWindow::column(live.window.askTable, 0), asks);
        // The last bucket holds every level's size: nothing was lost in the gathering.
        QCOMPARE(StreamWindow::column(live.window.bidTable, 2).constLast(), QStringLiteral("10000000.00000"));
        QCOMPARE(StreamWindow::column(live.window.askTable, 2).constLast(), QStringLiteral("10000000.00000"));
        const QRegularExpression title(QStringLiteral("^ORDER BOOK  PEPEUSDT  [0-9]{2}:[0-9]{2}:[0-9]{2}") +
                                       QRegularExpression::escape(stepText) + QLatin1Char('$'));
        QVERIFY2(title.match(live.f.bookTitle()).hasMatch(), qPrintable(live.f.bookTitle()));
    }

    // A host that accepts every handshake and drops at once: each stream backs off step by step instead
    // of starting over at every handshake.
    void acceptThenCloseBacksOff()
    {
        LiveWindow live;
        for (StreamBackoff *backoff :
             {&live.window.tickerBackoff, &live.window.depthBackoff, &live.window.tradeBackoff})
            backoff->setTiming(20, 60000);
        live.streams.setCloseOnAccept(true);
        for (const char *symbol : {"BTCUSDT", "ETHUSDT", "SOLUSDT"})
            live.f.addRow(QString::fromLatin1(symbol));
        QuoteRequestLog asked(live.window);
        live.f.select(QStringLiteral("BTCUSDT"));
        live.window.startTickerStream();
        // Five drops each: the next delay has climbed to the fifth step (20, 40, 80, 160, 320 ms).
        const QList<QPair<QString, QTimer *>> streams = {
            {QStringLiteral("@ticker"), &live.window.tickerReconnectTimer},
            {QStringLiteral("@depth"), &live.window.depthReconnectTimer},
            {QStringLiteral("@trade"), &live.window.tradeReconnectTimer}};
        for (const auto &[suffix, timer] : streams) {
            QTRY_VERIFY2_WITH_TIMEOUT(handshakesOf(live.streams, suffix) >= 5, qPrintable(suffix), 10000);
            QTRY_VERIFY2_WITH_TIMEOUT(timer->interval() >= streamReconnectDelayMs(4, 20), qPrintable(suffix),
                                      10000);
        }
        // Every ticker drop got through its handshake, yet no drop refreshed the rows twice.
        const int tickerDrops = handshakesOf(live.streams, QStringLiteral("@ticker"));
        for (const char *symbol : {"BTCUSDT", "ETHUSDT", "SOLUSDT"}) {
            QVERIFY(asked.count(QString::fromLatin1(symbol)) >= 1);
            QVERIFY(asked.count(QString::fromLatin1(symbol)) <= tickerDrops);
        }
    }

    void aDropRefreshesOncePerBackoffStep()
    {
        LiveWindow live;
        // A step longer than the test: only the drops the test causes happen.
        live.window.tickerBackoff.setTiming(60000, 600000);
        live.streams.setCloseOnAccept(true);
        for (const char *symbol : {"BTCUSDT", "ETHUSDT", "SOLUSDT"})
            live.f.addRow(QString::fromLatin1(symbol));
        QuoteRequestLog asked(live.window);
        live.window.startTickerStream();
        QVERIFY(live.streams.waitForHandshakes(1));
        QTRY_VERIFY(live.window.tickerReconnectTimer.isActive());
        QCOMPARE(asked.count(QStringLiteral("BTCUSDT")), 1);
        QVERIFY(live.window.eventConsole->toPlainText().contains(
            QStringLiteral("Binance ticker stream disconnected")));

        // The poll fetches the rows itself while the stream is down and reopens it at once; the drop
        // that follows, inside the same step, adds no second burst.
        asked.restart();
        live.window.refreshAllQuotes();
        QVERIFY(!live.window.tickerReconnectTimer.isActive());
        QVERIFY(live.streams.waitForHandshakes(2));
        QTRY_VERIFY(live.window.tickerReconnectTimer.isActive());
        for (const char *symbol : {"BTCUSDT", "ETHUSDT", "SOLUSDT"})
            QCOMPARE(asked.count(QString::fromLatin1(symbol)), 1);
        QCOMPARE(live.window.tickerReconnectTimer.interval(), 120000);
    }

    void signingOutLeavesNoFrozenLiveBook()
    {
        LiveWindow live;
        live.services.server().setReply(QStringLiteral("/api/v3/depth"), FakeReply::json(kFullDepth));
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.select(QStringLiteral("BTCUSDT"));
        QVERIFY(live.streams.waitForClients(2));
        QTRY_VERIFY(live.window.bookLive);
        QTRY_COMPARE(live.f.tapeTitle(), QStringLiteral("TIME & SALES  BTCUSDT  live"));
        live.streams.sendToStream(QStringLiteral("btcusdt@depth20@100ms"), depthFrame(kFullDepth));
        QTRY_VERIFY(live.f.bookTitle().contains(QLatin1Char(':')));
        const int depthOpens = handshakesOf(live.streams, QStringLiteral("@depth"));

        live.window.logout();
        QCOMPARE(live.f.bookTitle(), QStringLiteral("ORDER BOOK  BTCUSDT  disconnected"));
        QCOMPARE(live.window.depthSocket.state(), QAbstractSocket::UnconnectedState);

        // The data start brings the selected symbol's book and tape back as a selection would.
        QTRY_COMPARE(live.services.server().requestsFor(QStringLiteral("/api/v3/depth")).size(), 2);
        QTRY_COMPARE(handshakesOf(live.streams, QStringLiteral("@depth")), depthOpens + 1);
        QTRY_VERIFY(live.window.bookLive);
        QVERIFY(!live.f.bookTitle().contains(QStringLiteral("disconnected")));
        QTRY_COMPARE(live.f.tapeTitle(), QStringLiteral("TIME & SALES  BTCUSDT  live"));
        live.streams.sendToStream(
            QStringLiteral("btcusdt@depth20@100ms"),
            depthFrame(R"({"bids":[["200","1"],["199","1"],["198","1"],["197","1"],["196","1"]],
                          "asks":[["201","1"],["202","1"],["203","1"],["204","1"],["205","1"]]})"));
        QTRY_COMPARE(live.f.cards().at(0), QStringLiteral("BID\n200.0000"));
    }

    void tradesDropsAndReconnects()
    {
        LiveWindow live;
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.select(QStringLiteral("BTCUSDT"));
        QVERIFY(live.streams.waitForClients(2));
        QTRY_COMPARE(live.f.tapeTitle(), QStringLiteral("TIME & SALES  BTCUSDT  live"));
        live.streams.sendToStream(
            QStringLiteral("btcusdt@trade"),
            R"({"stream":"btcusdt@trade","data":{"s":"BTCUSDT","p":"9302.0","q":"0.5","T":1592591955765,"m":true}})");
        QTRY_COMPARE(live.window.tapeTable->rowCount(), 1);
        QCOMPARE(live.window.tapeTable->item(0, 3)->text(), QStringLiteral("Sell"));

        live.streams.dropClients();
        QTRY_COMPARE(live.f.tapeTitle(), QStringLiteral("TIME & SALES  BTCUSDT  disconnected"));
        QTRY_VERIFY(live.f.bookTitle().contains(QStringLiteral("disconnected")) ||
                    live.f.bookTitle().startsWith(QStringLiteral("QUOTE SNAPSHOT")));
        // Back after the first back-off step, with no restart.
        QVERIFY(live.streams.waitForClients(2, 6000));
        QTRY_COMPARE(live.f.tapeTitle(), QStringLiteral("TIME & SALES  BTCUSDT  live"));

        // Leaving the pair is a planned close: no "disconnected", no reconnect.
        const int handshakes = bookHandshakes(live.streams);
        live.f.addRow(QStringLiteral("EURUSD=X"));
        live.f.select(QStringLiteral("EURUSD=X"));
        QTest::qWait(2500);
        QCOMPARE(live.f.tapeTitle(), QStringLiteral("QUOTE TAPE  EURUSD=X  delayed fallback"));
        QCOMPARE(live.f.bookTitle(), QStringLiteral("QUOTE SNAPSHOT  EURUSD=X  delayed"));
        QCOMPARE(bookHandshakes(live.streams), handshakes);
    }

    void tickerRows()
    {
        LiveWindow live;
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.addRow(QStringLiteral("AAPL"));
        live.f.addRow(QStringLiteral("ETHUSDT"));
        live.f.addRow(QString::fromUtf8("币安USDT"));
        live.window.startTickerStream();
        QVERIFY(live.streams.waitForClients(1));
        QCOMPARE(live.streams.handshakes().last().streams, QStringLiteral("btcusdt@ticker/ethusdt@ticker"));
        QCOMPARE(live.window.eventConsole->toPlainText().count(QString::fromUtf8("币安USDT")), 1);
        const QByteArray frame =
            realDataDirectory().isEmpty()
                ? QByteArray(
                      R"({"stream":"btcusdt@ticker","data":{"s":"BTCUSDT","c":"9318.48000000","P":"-0.693"}})")
                : recordedBody(QStringLiteral("binance/ws_combined_ticker_btcusdt_2020-06-19_live.json"));
        live.streams.send(frame);
        const int row = live.window.findSymbolRow(QStringLiteral("BTCUSDT"));
        QTRY_COMPARE(live.window.tableText(row, QuoteColumnLast), QStringLiteral("9318.48"));
        QCOMPARE(live.window.tableText(row, QuoteColumnChange), QStringLiteral("-0.69%"));
        QCOMPARE(live.window.tableText(row, QuoteColumnSource), QStringLiteral("Binance WS"));
        QCOMPARE(live.window.tableText(row, QuoteColumnLatency), QStringLiteral("stream"));
        QCOMPARE(live.window.tableText(row, QuoteColumnStatus), QStringLiteral("realtime"));

        // Odd prices are dropped; a missing change shows "--"; a symbol without a row only gets candles.
        live.streams.send(R"({"data":{"s":"BTCUSDT","c":"0","P":"1"}})");
        live.streams.send(R"({"data":{"s":"SOLUSDT","c":"150","P":"1"}})");
        live.streams.send(R"({"data":{"s":"ETHUSDT","c":"2000","P":"x"}})");
        const int eth = live.window.findSymbolRow(QStringLiteral("ETHUSDT"));
        QTRY_COMPARE(live.window.tableText(eth, QuoteColumnLast), QStringLiteral("2000.00"));
        QCOMPARE(live.window.tableText(eth, QuoteColumnChange), QStringLiteral("--"));
        QCOMPARE(live.window.tableText(row, QuoteColumnLast), QStringLiteral("9318.48"));
        QVERIFY(live.window.candlesBySymbol.contains(QStringLiteral("SOLUSDT")));
        QCOMPARE(live.window.findSymbolRow(QStringLiteral("SOLUSDT")), -1);

        // Unchanged and connected: nothing. A new set of rows reopens without a drop.
        live.window.startTickerStream();
        QCOMPARE(live.streams.handshakes().size(), 1);
        QuoteRequestLog asked(live.window);
        live.f.addRow(QStringLiteral("SOLUSDT"));
        live.window.startTickerStream();
        QVERIFY(live.streams.waitForHandshakes(2));
        QTest::qWait(200);
        QVERIFY(live.window.tableText(row, QuoteColumnStatus) != QStringLiteral("ws disconnected"));
        QCOMPARE(asked.count(QStringLiteral("BTCUSDT")), 0);

        // A real drop: rows say so, HTTP takes over at once, the stream comes back by itself.
        QVERIFY(live.streams.waitForClients(1));
        live.streams.dropClients();
        QTRY_COMPARE(live.window.tableText(row, QuoteColumnStatus), QStringLiteral("ws disconnected"));
        QTRY_VERIFY(asked.count(QStringLiteral("BTCUSDT")) >= 1);
        QVERIFY(live.streams.waitForHandshakes(3, 6000));
        QVERIFY(live.streams.waitForClients(1));
        live.streams.send(R"({"data":{"s":"BTCUSDT","c":"9400","P":"1"}})");
        QTRY_COMPARE(live.window.tableText(row, QuoteColumnStatus), QStringLiteral("realtime"));
    }

    void itickLevelTwo()
    {
        LiveWindow live;
        live.window.settings.itickApiKey = QStringLiteral("ITICKKEY");
        live.f.addRow(QStringLiteral("AAPL"));
        live.f.select(QStringLiteral("AAPL"));
        QVERIFY(live.streams.waitForReceived(2));
        const auto &handshake = live.streams.handshakes().last();
        QCOMPARE(handshake.path, QStringLiteral("/stock"));
        QCOMPARE(handshake.header("token"), QByteArray("ITICKKEY"));
        QCOMPARE(live.streams.received().at(0), QStringLiteral(R"({"ac":"auth","token":"ITICKKEY"})"));
        QCOMPARE(live.streams.received().at(1),
                 QStringLiteral(R"({"ac":"subscribe","params":"AAPL$US","types":"depth,quote"})"));
        QTRY_COMPARE(live.f.bookTitle(), QStringLiteral("ORDER BOOK  AAPL  iTick Level 2"));
        live.window.sendItickPing();
        QVERIFY(live.streams.waitForReceived(3));
        QVERIFY(live.streams.received().at(2).contains(
            QRegularExpression(R"(^\{"ac":"ping","params":"\d+"\}$)")));

        live.streams.send(itickDepth(5));
        QTRY_VERIFY(live.window.bookLive);
        QVERIFY(live.f.bookTitle().startsWith(
            QStringLiteral("US: Level 2 (5 levels)  AAPL  Spread 0.01000  Mid ")));
        QCOMPARE(live.f.cards().at(0), QStringLiteral("BID\n187.2400"));
        QVERIFY(!live.window.eventConsole->toPlainText().contains(QStringLiteral("ITICKKEY")));
        // A live book whose socket drops says so.
        live.streams.dropClients();
        QTRY_COMPARE(live.f.bookTitle(), QStringLiteral("ORDER BOOK  AAPL  disconnected"));
    }

    void itickRetriesThenLevelOne()
    {
        LiveWindow live;
        live.window.settings.itickApiKey = QStringLiteral("ITICKKEY");
        live.window.itickRetryBaseMs = 20;
        live.window.itickDepthTimer.setInterval(150);
        live.f.addRow(QStringLiteral("AAPL"));
        live.f.select(QStringLiteral("AAPL"));
        // Four watchdog time-outs: three retries, each its own connection, then Level 1 once.
        QTRY_VERIFY_WITH_TIMEOUT(live.f.bookTitle().startsWith(QStringLiteral("QUOTE SNAPSHOT")), 5000);
        QCOMPARE(
            live.f.bookTitle(),
            QStringLiteral("QUOTE SNAPSHOT  AAPL  US Level 1 fallback snapshot (iTick depth timeout; retries "
                           "exhausted)"));
        QCOMPARE(live.streams.handshakes().size(), 4);
        QVERIFY(live.window.eventConsole->toPlainText().contains(
            QStringLiteral("iTick retry 3/3 scheduled for AAPL")));
        // Thin depth after the hand-over starts nothing new; a full depth still makes the book live.
        live.streams.send(itickDepth(3));
        QTest::qWait(100);
        QCOMPARE(live.window.itickRetryCount, 3);
        live.streams.send(itickDepth(5));
        QTRY_VERIFY(live.window.bookLive);
        QCOMPARE(live.window.itickRetryCount, 0);
    }

    void levelOne_data()
    {
        QTest::addColumn<QString>("finnhubKey");
        QTest::addColumn<QString>("alphaKey");
        QTest::addColumn<QByteArray>("finnhubReply");
        QTest::addColumn<bool>("finnhubHangs");
        QTest::addColumn<QByteArray>("alphaReply");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("cards");
        const QByteArray finnhub =
            R"({"c":261.74,"h":263.31,"l":260.68,"o":261.07,"pc":259.45,"t":1582641000})";
        const QByteArray alpha =
            R"({"Global Quote":{"01. symbol":"MSFT","05. price":"112.1300","09. change":"0.6600"}})";
        const QStringList empty = {"BID\n--", "ASK\n--", "SPR\n--", "IMB\n--"};
        QTest::newRow("finnhub") << "FINNKEY"
                                 << "" << finnhub << false << QByteArray()
                                 << "US: Level 1 Finnhub fallback (iTick key missing)  snapshot fallback"
                                 << QStringList{"BID\n259.4500", "ASK\n261.7400", "SPR\n2.2900", "IMB\n--"};
        QTest::newRow("zero price goes to alpha")
            << "FINNKEY"
            << "ALPHAKEY" << QByteArray(R"({"c":0,"pc":0})") << false << alpha
            << "US: Level 1 Alpha fallback (iTick key missing)  snapshot fallback"
            << QStringList{"BID\n111.4700", "ASK\n112.1300", "SPR\n0.6600", "IMB\n--"};
        QTest::newRow("zero price without alpha key")
            << "FINNKEY"
            << "" << QByteArray(R"({"c":0})") << false << QByteArray() << "QUOTE SNAPSHOT  AAPL  delayed"
            << empty;
        QTest::newRow("no keys") << ""
                                 << "" << QByteArray() << false << QByteArray()
                                 << "QUOTE SNAPSHOT  AAPL  US Level 1 fallback snapshot (iTick key missing)"
                                 << empty;
        QTest::newRow("alpha throttled") << ""
                                         << "ALPHAKEY" << QByteArray() << false
                                         << QByteArray(R"({"Note":"Thank you for using Alpha Vantage"})")
                                         << "QUOTE SNAPSHOT  AAPL  delayed" << empty;
        QTest::newRow("hanging host")
            << "FINNKEY"
            << "" << QByteArray() << true << QByteArray() << "QUOTE SNAPSHOT  AAPL  delayed" << empty;
    }

    void levelOne()
    {
        QFETCH(QString, finnhubKey);
        QFETCH(QString, alphaKey);
        QFETCH(QByteArray, finnhubReply);
        QFETCH(bool, finnhubHangs);
        QFETCH(QByteArray, alphaReply);
        QFETCH(QString, title);
        QFETCH(QStringList, cards);
        LiveWindow live;
        live.window.quoteTransferLimitMs = 300;
        live.window.settings.configValues.insert(QStringLiteral("finnhub_api_key"), finnhubKey);
        live.window.settings.alphaVantageApiKey = alphaKey;
        auto &http = live.services.server();
        // The row's own quote walk asks the same Finnhub and Alpha Vantage paths; a quote it applied
        // would rightly turn the Level 1 view into the plain snapshot. Its requests (they carry the
        // fetchers' user agent) are refused, so only the Level 1 requests get the replies under test.
        http.setHandler([=](const RecordedRequest &request) {
            if (request.header("User-Agent") == QByteArray(kFetcherUserAgent))
                return FakeReply::json("{}", 503);
            if (request.path == QLatin1String("/api/v1/quote"))
                return finnhubHangs ? FakeReply::hanging() : FakeReply::json(finnhubReply);
            if (request.path == QLatin1String("/query"))
                return FakeReply::json(alphaReply);
            return FakeReply::json("{}", 404);
        });
        live.f.addRow(QStringLiteral("AAPL"));
        live.f.select(QStringLiteral("AAPL"));
        QTRY_COMPARE(live.f.bookTitle(), title);
        QCOMPARE(live.f.cards(), cards);
        QVERIFY(live.streams.handshakes().isEmpty());
        if (!finnhubKey.isEmpty()) {
            QStringList levelOneQueries;
            for (const RecordedRequest &request : http.requestsFor(QStringLiteral("/api/v1/quote"))) {
                if (request.header("User-Agent") != QByteArray(kFetcherUserAgent))
                    levelOneQueries << request.query;
            }
            QCOMPARE(levelOneQueries, QStringList{QStringLiteral("symbol=AAPL&token=") + finnhubKey});
        }
        for (const QString &key : {finnhubKey, alphaKey}) {
            if (!key.isEmpty())
                QVERIFY(!live.window.eventConsole->toPlainText().contains(key));
        }
    }

    void aLateLevelOneReplyChangesNothing()
    {
        LiveWindow live;
        live.window.settings.configValues.insert(QStringLiteral("finnhub_api_key"),
                                                 QStringLiteral("FINNKEY"));
        FakeReply slow = FakeReply::json(R"({"c":261.74,"pc":259.45})");
        slow.delayMs = 400;
        live.services.server().setReply(QStringLiteral("/api/v1/quote"), slow);
        live.f.addRow(QStringLiteral("AAPL"));
        live.f.addRow(QStringLiteral("EURUSD=X"));
        live.f.select(QStringLiteral("AAPL"));
        QVERIFY(live.services.server().waitForRequests(1));
        live.f.select(QStringLiteral("EURUSD=X"));
        QTest::qWait(700);
        QCOMPARE(live.f.bookTitle(), QStringLiteral("QUOTE SNAPSHOT  EURUSD=X  delayed"));
        QCOMPARE(live.f.cards().at(1), QStringLiteral("ASK\n--"));
    }

    void closingWithAllFourStreamsOpen()
    {
        auto live = std::make_unique<LiveWindow>();
        live->f.addRow(QStringLiteral("BTCUSDT"));
        live->f.select(QStringLiteral("BTCUSDT"));
        live->window.startTickerStream();
        QNetworkRequest request(endpointUrl(Endpoint::ITick, QStringLiteral("/stock")));
        live->window.reopenStream(live->window.itickSocket, live->window.itickLink, request);
        QVERIFY(live->streams.waitForClients(4));
        // The server counts a client once it has answered the handshake; the window's side may not have
        // read that answer yet.
        MainWindow &window = live->window;
        for (const QWebSocket *socket :
             {&window.tickerSocket, &window.depthSocket, &window.itickSocket, &window.tradeSocket})
            QTRY_COMPARE(socket->state(), QAbstractSocket::ConnectedState);
        // The window goes first, with every socket open and frames on their way.
        live->streams.send(depthFrame(kFullDepth));
        QTest::qWait(20);
        live.reset();
    }

    void stopAllStreamsClosesEverything()
    {
        LiveWindow live;
        live.window.settings.itickApiKey = QStringLiteral("ITICKKEY");
        live.window.itickRetryBaseMs = 300;
        live.f.addRow(QStringLiteral("BTCUSDT"));
        live.f.addRow(QStringLiteral("AAPL"));
        live.window.startTickerStream();
        live.f.select(QStringLiteral("AAPL"));
        QVERIFY(live.streams.waitForClients(2));
        live.window.scheduleItickRetry(QStringLiteral("test"));
        QVERIFY(live.window.itickRetryTimer.isActive());
        live.window.stopAllStreams();
        QVERIFY(!live.window.itickPingTimer.isActive());
        QVERIFY(!live.window.itickDepthTimer.isActive());
        QVERIFY(!live.window.quotePollTimer.isActive());
        QVERIFY(!live.window.tickerReconnectTimer.isActive());
        QVERIFY(live.window.itickRetryTimer.isActive()); // left to its own guard
        QTRY_COMPARE(live.streams.clientCount(), 0);
        for (QWebSocket *socket : {&live.window.tickerSocket, &live.window.depthSocket,
                                   &live.window.itickSocket, &live.window.tradeSocket})
            QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
        // The pending retry still runs, for the still selected symbol only.
        live.f.addRow(QStringLiteral("EURUSD=X"));
        live.f.select(QStringLiteral("EURUSD=X"));
        const int handshakes = bookHandshakes(live.streams);
        QTest::qWait(500);
        QCOMPARE(bookHandshakes(live.streams), handshakes);
    }
};

MVX_TEST_MAIN(TestStreams)
#include "test_streams.moc"
