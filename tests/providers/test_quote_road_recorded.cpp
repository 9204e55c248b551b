#include "tests/providers/quote_road_fixture.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/test_main.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRegularExpression>

namespace {

using Keys = QMap<QString, QString>;

const QString kAlphaKey = QStringLiteral("AVKEY1234567890X");

} // namespace

// The whole road of a quote against a loopback server that replays provider replies recorded by others.
class TestQuoteRoadRealdata : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("no recorded replies");
    }

    void recordedQuotesFillTheRows_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("last");

        QTest::newRow("US from Yahoo") << "AAPL" << Keys{} << RoadPath::yahoo("AAPL")
                                       << "yahoo/chart_AAPL_1m_intraday_2024-10-02_previousClose.json"
                                       << "Yahoo Public"
                                       << "free/delayed"
                                       << "225.6700";
        QTest::newRow("US from Finnhub") << "AAPL" << Keys{{"finnhub_api_key", "fh-recorded-01"}}
                                         << RoadPath::finnhub << "finnhub/quote_AAPL_docs_sample_no_d_dp.json"
                                         << "Finnhub"
                                         << "key/delayed"
                                         << "261.7400";
        QTest::newRow("US from Twelve Data") << "AAPL" << Keys{{"twelvedata_api_key", "td-recorded-01"}}
                                             << RoadPath::twelve << "twelvedata/quote_AAPL_docs_example.json"
                                             << "Twelve Data"
                                             << "key/delayed"
                                             << "148.8500";
        QTest::newRow("US from Financial Modeling Prep")
            << "AAPL" << Keys{{"financial_modeling_prep_api_key", "fmp-recorded-01"}} << RoadPath::fmp("AAPL")
            << "fmp/v3_quote_AAPL_legacy_docs_example.json"
            << "Financial Modeling Prep"
            << "key/delayed"
            << "145.7750";
        QTest::newRow("US from Alpha Vantage")
            << "MSFT" << Keys{{"alpha_vantage_api_key", kAlphaKey}} << RoadPath::alpha
            << "alphavantage/global_quote_MSFT_2018-10-05_fixture.json"
            << "Alpha Vantage"
            << "key/delayed"
            << "112.1300";
        QTest::newRow("B3 from brapi")
            << "PETR4.SA" << Keys{} << RoadPath::brapi("PETR4")
            << "brapi/quote_PETR4+BVSP_range_interval_modules_docs_example_200.json"
            << "BrAPI"
            << "free/delayed"
            << "36.7100";
        QTest::newRow("B3 from Yahoo")
            << "PETR4.SA" << Keys{} << RoadPath::yahoo("PETR4.SA")
            << "yahoo/chart_PETR4.SA_B3_1d_period1-period2_2022-11-23_2022-12-22.json"
            << "Yahoo Public"
            << "free/delayed"
            << "25.1200";
        QTest::newRow("forex from Yahoo") << "EURUSD=X" << Keys{} << RoadPath::yahoo("EURUSD%3DX")
                                          << "yahoo/chart_EURUSD_X_forex_1d_2020-01-01_2020-01-03.json"
                                          << "Yahoo Public"
                                          << "free/delayed"
                                          << "1.1131";
        QTest::newRow("crypto from Binance") << "BTCUSDT" << Keys{} << RoadPath::binance
                                             << "binance/rest_ticker_24hr_BTCUSDT_testnet_recorded.json"
                                             << "Binance Public"
                                             << "key/delayed"
                                             << "65861.66";
    }

    void recordedQuotesFillTheRows()
    {
        QFETCH(QString, symbol);
        QFETCH(Keys, keys);
        QFETCH(QString, path);
        QFETCH(QString, file);
        QFETCH(QString, source);
        QFETCH(QString, status);
        QFETCH(QString, last);

        QuoteRoad road;
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            road.w().setApiKey(it.key(), it.value());
        road.server.setReply(path, recordedReply(file));
        road.addRow(symbol);
        road.w().requestQuote(symbol);
        QTRY_COMPARE(road.status(symbol), status);
        QCOMPARE(road.source(symbol), source);
        QCOMPARE(road.cell(symbol, QuoteColumnLast), last);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+ ms$"))
                    .match(road.cell(symbol, QuoteColumnLatency))
                    .hasMatch());
        QVERIFY(!road.w().candlesBySymbol.value(symbol).isEmpty());
        QVERIFY(!road.console().contains(QStringLiteral("failed")));
    }

    // Yahoo answers the "1mo" timeframe with monthly bars and no previous close. Such a quote has no
    // change: the Change cell, the tile and the USD/BRL ticker show "--", never a green "0.00%".
    void aMonthlyReplyWithoutPreviousCloseHasNoChange()
    {
        // Recorded daily charts, given the meta of a monthly answer (granularity "1mo", range "5y").
        const auto monthly = [](const QString &file) {
            QJsonObject root = QJsonDocument::fromJson(recordedBody(file)).object();
            QJsonObject chart = root.value("chart").toObject();
            QJsonArray results = chart.value("result").toArray();
            QJsonObject result = results.first().toObject();
            QJsonObject meta = result.value("meta").toObject();
            meta.insert("dataGranularity", "1mo");
            meta.insert("range", "5y");
            result.insert("meta", meta);
            results.replace(0, result);
            chart.insert("result", results);
            root.insert("chart", chart);
            return FakeReply::json(QJsonDocument(root).toJson());
        };
        for (const char *file : {"yahoo/chart_AAPL_range_6mo_1d_with_dividends_raw.json",
                                 "yahoo/chart_EURUSD_X_forex_1d_2020-01-01_2020-01-03.json"})
            QVERIFY(!recordedBody(QString::fromLatin1(file)).contains("\"previousClose\""));
        QuoteRoad road;
        road.setTimeframe(QStringLiteral("1mo"));
        road.server.setReply(RoadPath::yahoo("AAPL"),
                             monthly("yahoo/chart_AAPL_range_6mo_1d_with_dividends_raw.json"));
        road.server.setReply(RoadPath::yahoo("BRL%3DX"),
                             monthly("yahoo/chart_EURUSD_X_forex_1d_2020-01-01_2020-01-03.json"));
        road.addRow("AAPL");
        road.addRow("BRL=X");
        road.w().requestQuote("AAPL");
        road.w().requestQuote("BRL=X");
        QTRY_COMPARE(road.status("AAPL"), QStringLiteral("free/delayed"));
        QTRY_COMPARE(road.status("BRL=X"), QStringLiteral("free/delayed"));

        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("269.7000"));
        QCOMPARE(road.cell("AAPL", QuoteColumnChange), QStringLiteral("--"));
        const QTableWidgetItem *change =
            road.w().quoteTable->item(road.w().findSymbolRow("AAPL"), QuoteColumnChange);
        QVERIFY(change->foreground().color() != QColor(QStringLiteral("#20c878")));
        QCOMPARE(road.w().quoteTileLabels.at(0)->text(), QStringLiteral("AAPL  269.7000  --"));
        QCOMPARE(road.w().quoteTileLabels.at(0)->property("direction").toString(), QStringLiteral("flat"));
        QCOMPARE(road.cell("BRL=X", QuoteColumnChange), QStringLiteral("--"));
        QCOMPARE(road.w().fxTickerLabel->text(), QStringLiteral("USD/BRL 1.1131 --"));
    }

    // With the server answering nothing but the providers' recorded errors, every row ends "all providers
    // failed", well within its attempts' limits, and no key reaches the console.
    void recordedErrorsFailEveryRow()
    {
        QuoteRoad road;
        const Keys keys = {{"finnhub_api_key", "fh-recorded-01"},
                           {"twelvedata_api_key", "td-recorded-01"},
                           {"financial_modeling_prep_api_key", "fmp-recorded-01"},
                           {"alpha_vantage_api_key", kAlphaKey},
                           {"brapi_token", "brapi-recorded-01"}};
        for (auto it = keys.cbegin(); it != keys.cend(); ++it)
            road.w().setApiKey(it.key(), it.value());

        // Alpha Vantage's daily-limit text echoes the caller's key; the recording has it masked, the live
        // reply does not.
        QByteArray information =
            recordedBody("alphavantage/information_daily_limit_25_requests_key_redacted.json");
        information.replace("XXXXXXXXXXXXXXXX", kAlphaKey.toLatin1());
        road.server.setHandler([&](const RecordedRequest &request) {
            const QString &path = request.path;
            if (path == RoadPath::finnhub)
                return recordedReply("finnhub/error_429_api_limit_reached_observed.json", 429);
            if (path == RoadPath::twelve)
                return recordedReply("twelvedata/error_429_out_of_api_credits_recorded.json");
            if (path.startsWith("/api/v3/quote/"))
                return recordedReply("fmp/error_401_invalid_api_key_recorded.json", 401);
            if (path == RoadPath::alpha)
                return FakeReply::json(information);
            if (path.startsWith("/api/quote/"))
                return recordedReply("brapi/quote_error_402_rate_limit_docs_example.json", 402);
            if (path == RoadPath::binance)
                return recordedReply("binance/rest_error_generic_-1121_doc.json", 400);
            return recordedReply("yahoo/chart_error_404_SI_no_data_found.json", 404);
        });

        const QStringList symbols = {"AAPL", "PETR4.SA", "BRL=X", "BTCUSDT"};
        for (const QString &symbol : symbols)
            road.addRow(symbol);
        QElapsedTimer clock;
        clock.start();
        for (const QString &symbol : symbols)
            road.w().requestQuote(symbol);
        for (const QString &symbol : symbols)
            QTRY_COMPARE_WITH_TIMEOUT(road.status(symbol), QStringLiteral("all providers failed"), 5 * 11000);
        // Every provider answered: no attempt needed its limit.
        QVERIFY2(clock.elapsed() < 11000, qPrintable(QString::number(clock.elapsed())));

        const QString console = road.console();
        // The forex run reaches Twelve Data first; the US run then finds its gate closed.
        QVERIFY2(console.contains(
                     "All quote providers failed for AAPL: finnhub: HTTP 429 rate limit [rate limited] | "
                     "twelvedata: local throttle [rate limited] | fmp: HTTP 401 | alpha_vantage: We have "
                     "detected your API key as [redacted] and our standard API rate limit is 25 "
                     "requests per day."),
                 qPrintable(console));
        QVERIFY(console.contains("| yahoo_us: HTTP 404"));
        QVERIFY(console.contains(
            "All B3 providers failed for PETR4.SA: brapi_keyed: HTTP 402 | brapi_public: HTTP "
            "402 | yahoo_b3: HTTP 404"));
        QVERIFY(console.contains(
            "Forex quote failed for BRL=X: twelvedata: You have run out of API credits for the "
            "current minute."));
        QVERIFY(console.contains("[rate limited] | yahoo_fx: HTTP 404"));
        QVERIFY(!console.contains("BTCUSDT"));
        for (const QString &secret : keys)
            QVERIFY2(!console.contains(secret), qPrintable(secret));
        // Each limited keyed provider is cooling down.
        QVERIFY(road.w().alphaVantageCooldownUntilMs > QDateTime::currentMSecsSinceEpoch());
        QVERIFY(road.w().providerCooldownUntilMs.value("twelvedata") > QDateTime::currentMSecsSinceEpoch());
    }
};

MVX_TEST_MAIN(TestQuoteRoadRealdata)
#include "test_quote_road_recorded.moc"
