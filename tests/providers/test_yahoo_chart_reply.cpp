#include "providers/yahoo_chart_reply.h"
#include "tests/support/test_main.h"

#include <QFile>
#include <QJsonDocument>

#include <cmath>
#include <limits>

namespace {

QJsonArray array(const char *json)
{
    return QJsonDocument::fromJson(QByteArray("[") + json + "]").array();
}

QByteArray chartBody(const QByteArray &meta, const QByteArray &timestamps, const QByteArray &quote)
{
    return "{\"chart\":{\"result\":[{\"meta\":" + meta + ",\"timestamp\":[" + timestamps +
           "],\"indicators\":{\"quote\":[" + quote + "]}}],\"error\":null}}";
}

QByteArray readRealReply(const QString &relative)
{
    QFile file(realDataDirectory() + QLatin1Char('/') + relative);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestYahooChartReply : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void candlesFromArrays_data()
    {
        QTest::addColumn<QJsonArray>("times");
        QTest::addColumn<QJsonArray>("opens");
        QTest::addColumn<QJsonArray>("closes");
        QTest::addColumn<QJsonArray>("volumes");
        QTest::addColumn<QList<qint64>>("expectedTimes");
        QTest::addColumn<QList<double>>("expectedVolumes");

        QTest::newRow("all complete") << array("1,2,3") << array("10,11,12") << array("10,11,12")
                                      << array("5,6,7") << QList<qint64>{1, 2, 3} << QList<double>{5, 6, 7};
        // The shortest of the time and price arrays sets the length; the volume array does not.
        QTest::newRow("short close array")
            << array("1,2,3,4,5") << array("1,1,1,1,1") << array("1,1,1,1") << array("1,1,1,1,1")
            << QList<qint64>{1, 2, 3, 4} << QList<double>{1, 1, 1, 1};
        QTest::newRow("short volume array") << array("1,2,3") << array("1,1,1") << array("1,1,1")
                                            << array("9") << QList<qint64>{1, 2, 3} << QList<double>{9, 0, 0};
        QTest::newRow("null price drops that bar only")
            << array("1,2,3") << array("1,1,1") << array("1,null,1") << array("4,5,6") << QList<qint64>{1, 3}
            << QList<double>{4, 6};
        QTest::newRow("price as text is no price") << array("1,2") << array("\"1\",1") << array("1,1")
                                                   << array("1,1") << QList<qint64>{2} << QList<double>{1};
        // The time is not tested: a bar with four prices stays, at time 0.
        QTest::newRow("null time") << array("null,7") << array("1,1") << array("1,1") << array("1,1")
                                   << QList<qint64>{0, 7} << QList<double>{1, 1};
        QTest::newRow("null and text volume")
            << array("1,2") << array("1,1") << array("1,1") << array("null,\"3\"") << QList<qint64>{1, 2}
            << QList<double>{0, 0};
        QTest::newRow("empty") << QJsonArray() << QJsonArray() << QJsonArray() << QJsonArray()
                               << QList<qint64>{} << QList<double>{};
    }

    void candlesFromArrays()
    {
        QFETCH(QJsonArray, times);
        QFETCH(QJsonArray, opens);
        QFETCH(QJsonArray, closes);
        QFETCH(QJsonArray, volumes);
        QFETCH(QList<qint64>, expectedTimes);
        QFETCH(QList<double>, expectedVolumes);

        // High and low mirror the opens: the four prices are tested alike.
        const CandleList candles = yahooChartCandles(times, opens, opens, opens, closes, volumes);
        QList<qint64> gotTimes;
        QList<double> gotVolumes;
        for (const Candle &candle : candles) {
            gotTimes << candle.time;
            gotVolumes << candle.volume;
        }
        QCOMPARE(gotTimes, expectedTimes);
        QCOMPARE(gotVolumes, expectedVolumes);
    }

    void candleFieldsInOrder()
    {
        const CandleList candles = yahooChartCandles(array("100"), array("1.5"), array("2.5"), array("0.5"),
                                                     array("2"), array("42"));
        QCOMPARE(candles.size(), 1);
        const Candle &c = candles.first();
        QCOMPARE(c.time, qint64(100));
        QCOMPARE(c.open, 1.5);
        QCOMPARE(c.high, 2.5);
        QCOMPARE(c.low, 0.5);
        QCOMPARE(c.close, 2.0);
        QCOMPARE(c.volume, 42.0);
    }

    void readsPriceAndChange_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("hasResult");
        QTest::addColumn<double>("price");  // NaN: no usable price
        QTest::addColumn<double>("change"); // NaN: no change
        QTest::addColumn<int>("candles");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const QByteArray bars =
            "{\"open\":[1,2],\"high\":[1,2],\"low\":[1,2],\"close\":[1,8],\"volume\":[1,1]}";
        QTest::newRow("meta price and previous close")
            << chartBody("{\"regularMarketPrice\":11,\"previousClose\":10}", "1,2", bars) << true << 11.0
            << 10.0 << 2;
        QTest::newRow("no meta price: last close")
            << chartBody("{\"previousClose\":4}", "1,2", bars) << true << 8.0 << 100.0 << 2;
        // chartPreviousClose is the close before the window, not yesterday's: never used here.
        QTest::newRow("only chartPreviousClose")
            << chartBody("{\"regularMarketPrice\":11,\"chartPreviousClose\":10}", "1,2", bars) << true << 11.0
            << nan << 2;
        QTest::newRow("previous close 0")
            << chartBody("{\"regularMarketPrice\":11,\"previousClose\":0}", "1,2", bars) << true << 11.0
            << nan << 2;
        QTest::newRow("meta price 0 falls back to the bars")
            << chartBody("{\"regularMarketPrice\":0}", "1,2", bars) << true << 8.0 << nan << 2;
        QTest::newRow("no price anywhere") << chartBody("{}", "", "{}") << true << nan << nan << 0;
        QTest::newRow("no quote element")
            << chartBody("{\"regularMarketPrice\":3}", "1", "") << true << 3.0 << nan << 0;
        QTest::newRow("empty result")
            << QByteArray("{\"chart\":{\"result\":[]}}") << false << nan << nan << 0;
        QTest::newRow("null result")
            << QByteArray("{\"chart\":{\"result\":null,\"error\":{\"code\":\"Not Found\"}}}") << false << nan
            << nan << 0;
        QTest::newRow("not JSON") << QByteArray("<html>") << false << nan << nan << 0;
        QTest::newRow("empty body") << QByteArray() << false << nan << nan << 0;
    }

    void readsPriceAndChange()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, hasResult);
        QFETCH(double, price);
        QFETCH(double, change);
        QFETCH(int, candles);

        const YahooChartReading reading = readYahooChartReply(body);
        QCOMPARE(reading.hasResult, hasResult);
        QCOMPARE(std::isnan(reading.price), std::isnan(price));
        if (!std::isnan(price))
            QCOMPARE(reading.price, price);
        QCOMPARE(std::isnan(reading.changePercent), std::isnan(change));
        if (!std::isnan(change))
            QVERIFY(qAbs(reading.changePercent - change) < 1e-9);
        QCOMPARE(reading.candles.size(), candles);
    }

    void recordedReplies_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("hasResult");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("previousClose"); // NaN: absent
        QTest::addColumn<int>("candles");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("AAPL 1m with previousClose")
            << "yahoo/chart_AAPL_1m_intraday_2024-10-02_previousClose.json" << true << 225.67 << 226.78
            << 390;
        QTest::newRow("AAPL window without previousClose")
            << "yahoo/chart_AAPL_1d_period1-period2_2020-01-01_2020-01-03.json" << true << 222.5 << nan << 1;
        QTest::newRow("weekend, no bars")
            << "yahoo/chart_AAPL_1m_weekend_empty_quote.json" << true << 244.87 << 244.47 << 0;
        QTest::newRow("null bar in the middle")
            << "yahoo/chart_WSU.DE_xetra_1d_2023-08-04_2023-08-09.json" << true << 33.35 << nan << 2;
        QTest::newRow("B3 empty arrays")
            << "yahoo/chart_GRND3.SA_B3_range_1d_1m_empty_arrays.json" << true << 9.27 << 9.27 << 0;
        QTest::newRow("404 no data") << "yahoo/chart_error_404_SI_no_data_found.json" << false << nan << nan
                                     << 0;
        QTest::newRow("400 bad request")
            << "yahoo/chart_error_400_BEKE_data_doesnt_exist.json" << false << nan << nan << 0;
    }

    void recordedReplies()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("no recorded replies");
        QFETCH(QString, file);
        QFETCH(bool, hasResult);
        QFETCH(double, price);
        QFETCH(double, previousClose);
        QFETCH(int, candles);

        const QByteArray body = readRealReply(file);
        QVERIFY(!body.isEmpty());
        const YahooChartReading reading = readYahooChartReply(body);
        QCOMPARE(reading.hasResult, hasResult);
        QCOMPARE(std::isnan(reading.price), std::isnan(price));
        if (!std::isnan(price))
            QCOMPARE(reading.price, price);
        QCOMPARE(std::isnan(reading.previousClose), std::isnan(previousClose));
        if (!std::isnan(previousClose))
            QCOMPARE(reading.previousClose, previousClose);
        QCOMPARE(reading.candles.size(), candles);
        for (const Candle &candle : reading.candles) {
            QVERIFY(std::isfinite(candle.close));
            QVERIFY(candle.time > 0);
        }
        if (std::isfinite(reading.price) && std::isfinite(reading.previousClose))
            QVERIFY(std::isfinite(reading.changePercent));
    }
};

MVX_TEST_MAIN(TestYahooChartReply)
#include "test_yahoo_chart_reply.moc"
