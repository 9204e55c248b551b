#include "movers/movers_sources.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/test_main.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// The movers readers against replies the real services sent (or their documentation shows).
class TestMoversRecordedReplies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("recorded replies not available");
    }

    void alphaVantageTopGainersAndLosers()
    {
        const QByteArray body = recordedBody(
            QStringLiteral("alphavantage/top_gainers_losers_2024-07-12_recorded_keys_sorted.json"));
        const QList<MoverEntry> entries = parseAlphaTopMovers(body);
        const QJsonObject root = QJsonDocument::fromJson(body).object();
        QCOMPARE(entries.size(),
                 root.value("top_gainers").toArray().size() + root.value("top_losers").toArray().size());
        QCOMPARE(entries.size(), 40); // the most-active list is not read
        for (const MoverEntry &entry : entries) {
            QVERIFY(!entry.symbol.isEmpty());
            QVERIFY(entry.price > 0.0);
            QVERIFY(std::isfinite(entry.changePct));
        }
        // Odd tickers ("TDW+", warrants) stay as sent; gainers come first and rise.
        QVERIFY(entries.first().changePct > 0.0);
        QVERIFY(entries.last().changePct < 0.0);
        const QJsonObject first = root.value("top_gainers").toArray().first().toObject();
        QCOMPARE(entries.first().symbol, first.value("ticker").toString());
        QCOMPARE(entries.first().changePct,
                 first.value("change_percentage").toString().remove('%').toDouble());
        QCOMPARE(entries.first().volume, first.value("volume").toString().toDouble());
    }

    void brapiQuotes()
    {
        const MoversReply reply = parseBrapiMovers(recordedBody(
            QStringLiteral("brapi/quote_PETR4+BVSP_range_interval_modules_docs_example_200.json")));
        QCOMPARE(reply.resultCount, 2);
        QCOMPARE(reply.entries.size(), 2);
        QCOMPARE(reply.entries.at(0).symbol, QStringLiteral("PETR4.SA"));
        QCOMPARE(reply.entries.at(0).price, 36.71);
        QCOMPARE(reply.entries.at(0).changePct, 3.2630093);
        QCOMPARE(reply.entries.at(0).volume, 87666300.0);
        QCOMPARE(reply.entries.at(1).symbol, QStringLiteral("^BVSP.SA"));

        // One recorded results[] item, put back in its envelope.
        const QJsonObject item =
            QJsonDocument::fromJson(
                recordedBody("brapi/quote_results_item_GMCO34_range_1mo_interval_1d_recorded.json"))
                .object();
        const MoversReply single =
            parseBrapiMovers(QJsonDocument(QJsonObject{{"results", QJsonArray{item}}}).toJson());
        QCOMPARE(single.entries.size(), 1);
        QCOMPARE(single.entries.first().symbol, item.value("symbol").toString() + ".SA");
        QCOMPARE(single.entries.first().changePct, item.value("regularMarketChangePercent").toDouble());
    }

    void brapiErrorsGiveNoResults_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("400") << "brapi/quote_error_400_invalid_range_docs_example.json";
        QTest::newRow("401") << "brapi/quote_error_401_invalid_token_docs_example.json";
        QTest::newRow("402") << "brapi/quote_error_402_rate_limit_docs_example.json";
        QTest::newRow("404") << "brapi/quote_error_404_unknown_ticker_docs_example.json";
    }

    void brapiErrorsGiveNoResults()
    {
        QFETCH(QString, file);
        const MoversReply reply = parseBrapiMovers(recordedBody(file));
        QCOMPARE(reply.resultCount, 0); // so a keyed request is retried bare, then Yahoo is asked
        QVERIFY(reply.entries.isEmpty());
    }

    void yahooQuotes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("symbols");
        QTest::newRow("AAPL+MSFT") << "yahoo/quote_v7_AAPL+MSFT_raw.json" << QStringList{"AAPL", "MSFT"};
        QTest::newRow("AAPL+BABA") << "yahoo/quote_v7_AAPL+BABA_two_symbols.json"
                                   << QStringList{"AAPL", "BABA"};
        QTest::newRow("unknown dropped")
            << "yahoo/quote_v7_AAPL+NONEXIST_unknown_symbol_dropped.json" << QStringList{"AAPL"};
        QTest::newRow("forex") << "yahoo/quote_v7_EURUSD_X_forex.json" << QStringList{"EURUSD=X"};
        QTest::newRow("crypto") << "yahoo/quote_v7_BTC-USD_crypto.json" << QStringList{"BTC-USD"};
        QTest::newRow("empty") << "yahoo/quote_v7_NONEXIST_empty_result.json" << QStringList{};
    }

    void yahooQuotes()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, symbols);
        const QByteArray body = recordedBody(file);
        const MoversReply reply = parseYahooMovers(body);
        QStringList got;
        for (const MoverEntry &entry : reply.entries)
            got.append(entry.symbol);
        QCOMPARE(got, symbols);
        const QJsonArray result = QJsonDocument::fromJson(body)
                                      .object()
                                      .value("quoteResponse")
                                      .toObject()
                                      .value("result")
                                      .toArray();
        for (qsizetype i = 0; i < reply.entries.size(); ++i) {
            const QJsonObject object = result.at(i).toObject();
            QCOMPARE(reply.entries.at(i).price, object.value("regularMarketPrice").toDouble());
            QCOMPARE(reply.entries.at(i).changePct, object.value("regularMarketChangePercent").toDouble());
            if (object.value("sector").isString())
                QVERIFY(reply.sectors.contains(
                    {object.value("symbol").toString(), object.value("sector").toString()}));
        }
    }

    void binanceTwentyFourHourTickers()
    {
        // The documented lists hold BTC-quoted pairs only: none is a USDT pair.
        QVERIFY(
            parseBinanceMovers(
                recordedBody("binance/doc_comments_stripped_DERIVED/rest_ticker_24hr_array_FULL_doc.json"))
                .isEmpty());
        QVERIFY(parseBinanceMovers(recordedBody("binance/rest_ticker_24hr_array_MINI_doc.json")).isEmpty());
        // A single recorded ticker is an object, not a list: nothing.
        const QByteArray single = recordedBody("binance/rest_ticker_24hr_BTCUSDT_testnet_recorded.json");
        QVERIFY(parseBinanceMovers(single).isEmpty());
        // The same ticker inside a list is read.
        const QJsonObject ticker = QJsonDocument::fromJson(single).object();
        const QList<MoverEntry> entries = parseBinanceMovers(QJsonDocument(QJsonArray{ticker}).toJson());
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().symbol, QStringLiteral("BTCUSDT"));
        QCOMPARE(entries.first().price, ticker.value("lastPrice").toString().toDouble());
        QCOMPARE(entries.first().changePct, ticker.value("priceChangePercent").toString().toDouble());
        QCOMPARE(entries.first().volume, ticker.value("quoteVolume").toString().toDouble());
    }
};

MVX_TEST_MAIN(TestMoversRecordedReplies)
#include "test_movers_recorded_replies.moc"
