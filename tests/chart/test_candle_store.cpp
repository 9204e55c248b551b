#include "chart/candle_store.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/support/test_main.h"

#include <QDir>
#include <QFile>

namespace {
// 2023-11-15 00:00:00 UTC, a multiple of four hours since the epoch.
constexpr qint64 kMidnight = 1700006400;
constexpr qint64 kHour = 3600;
constexpr qint64 kNow = 1700000000;

const Candle kLast = makeCandle(100, 5.0, 6.0, 4.0, 5.0, 50.0);
} // namespace

Q_DECLARE_METATYPE(LastBarKind)

class TestCandleStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void intervalAndRange_data()
    {
        QTest::addColumn<QString>("timeframe");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("binance");
        QTest::addColumn<bool>("spansDay"); // a quote's day range belongs in the last bar
        QTest::newRow("1m") << "1m"
                            << "1m"
                            << "1d"
                            << "1m" << false;
        QTest::newRow("5m") << "5m"
                            << "5m"
                            << "5d"
                            << "5m" << false;
        QTest::newRow("15m") << "15m"
                             << "15m"
                             << "5d"
                             << "15m" << false;
        QTest::newRow("30m") << "30m"
                             << "30m"
                             << "1mo"
                             << "30m" << false;
        QTest::newRow("1h") << "1h"
                            << "1h"
                            << "3mo"
                            << "1h" << false;
        QTest::newRow("4h asks for hours, Binance for 4h") << "4h"
                                                           << "1h"
                                                           << "3mo"
                                                           << "4h" << false;
        QTest::newRow("1d") << "1d"
                            << "1d"
                            << "1y"
                            << "1d" << true;
        QTest::newRow("1mo is 1M on Binance") << "1mo"
                                              << "1mo"
                                              << "5y"
                                              << "1M" << true;
        QTest::newRow("unknown word") << "2h"
                                      << "1mo"
                                      << "5y"
                                      << "2h" << true;
        QTest::newRow("case matters") << "4H"
                                      << "1mo"
                                      << "5y"
                                      << "4H" << true;
        QTest::newRow("empty") << ""
                               << "1mo"
                               << "5y"
                               << "" << true;
    }

    void intervalAndRange()
    {
        QFETCH(QString, timeframe);
        QFETCH(QString, interval);
        QFETCH(QString, range);
        QFETCH(QString, binance);
        const QPair<QString, QString> pair = chartIntervalAndRange(timeframe);
        QCOMPARE(pair.first, interval);
        QCOMPARE(pair.second, range);
        QCOMPARE(binanceKlineInterval(timeframe), binance);
        QFETCH(bool, spansDay);
        QCOMPARE(timeframeBarSpansDay(timeframe), spansDay);
    }

    void lastBarKind_data()
    {
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("timeframe");
        QTest::addColumn<LastBarKind>("kind");
        QTest::newRow("no history held: the quotes built it") << false << "" << LastBarKind::QuoteBuilt;
        QTest::newRow("1m") << true << "1m" << LastBarKind::Intraday;
        QTest::newRow("1h") << true << "1h" << LastBarKind::Intraday;
        QTest::newRow("4h") << true << "4h" << LastBarKind::Intraday;
        QTest::newRow("1d") << true << "1d" << LastBarKind::SpansDay;
        QTest::newRow("1mo") << true << "1mo" << LastBarKind::SpansDay;
        QTest::newRow("empty word held") << true << "" << LastBarKind::SpansDay;
    }

    void lastBarKind()
    {
        QFETCH(bool, held);
        QFETCH(QString, timeframe);
        QFETCH(LastBarKind, kind);
        QCOMPARE(lastBarKindFor(held ? &timeframe : nullptr), kind);
    }

    void quoteSample_data()
    {
        QTest::addColumn<CandleList>("before");
        QTest::addColumn<QList<double>>("sample"); // open, high, low, price, volume
        QTest::addColumn<CandleList>("after");
        QTest::addColumn<LastBarKind>("lastBar");

        QTest::newRow("first candle from price alone, negative volume dropped")
            << CandleList{} << QList<double>{0, 0, 0, 10, -5}
            << CandleList{makeCandle(kNow, 10, 10, 10, 10, 0)} << LastBarKind::QuoteBuilt;
        QTest::newRow("first candle keeps the sample's prices")
            << CandleList{} << QList<double>{9, 11, 8, 10, 100}
            << CandleList{makeCandle(kNow, 9, 11, 8, 10, 100)} << LastBarKind::QuoteBuilt;
        QTest::newRow("first candle widened to the price")
            << CandleList{} << QList<double>{9, 9.5, 9.25, 10, 0}
            << CandleList{makeCandle(kNow, 9, 10, 9, 10, 0)} << LastBarKind::QuoteBuilt;
        QTest::newRow("missing high and low come from open and price")
            << CandleList{} << QList<double>{12, 0, -1, 10, 0}
            << CandleList{makeCandle(kNow, 12, 12, 10, 10, 0)} << LastBarKind::QuoteBuilt;
        QTest::newRow("non-finite open, high, low and volume")
            << CandleList{} << QList<double>{kNaN, kInf, kNaN, 10, kNaN}
            << CandleList{makeCandle(kNow, 10, 10, 10, 10, 0)} << LastBarKind::QuoteBuilt;
        QTest::newRow("zero price ignored")
            << CandleList{} << QList<double>{1, 1, 1, 0, 5} << CandleList{} << LastBarKind::QuoteBuilt;
        QTest::newRow("negative price ignored") << CandleList{kLast} << QList<double>{1, 1, 1, -2, 5}
                                                << CandleList{kLast} << LastBarKind::QuoteBuilt;
        QTest::newRow("NaN price ignored") << CandleList{kLast} << QList<double>{1, 1, 1, kNaN, 5}
                                           << CandleList{kLast} << LastBarKind::QuoteBuilt;
        QTest::newRow("infinite price ignored")
            << CandleList{} << QList<double>{1, 1, 1, kInf, 5} << CandleList{} << LastBarKind::QuoteBuilt;
        QTest::newRow("zero volume keeps the last volume, time and open")
            << CandleList{kLast} << QList<double>{5.5, 7, 4.5, 6.5, 0}
            << CandleList{makeCandle(100, 5, 7, 4, 6.5, 50)} << LastBarKind::QuoteBuilt;
        QTest::newRow("a volume replaces the last volume")
            << CandleList{kLast} << QList<double>{5.5, 5.5, 3, 4.5, 80}
            << CandleList{makeCandle(100, 5, 6, 3, 4.5, 80)} << LastBarKind::QuoteBuilt;
        QTest::newRow("price beyond the sample's own high widens the candle")
            << CandleList{kLast} << QList<double>{0, 0, 0, 9, 0}
            << CandleList{makeCandle(100, 5, 9, 4, 9, 50)} << LastBarKind::QuoteBuilt;
        // A day's volume does not belong in the last bar of a history.
        QTest::newRow("only the last candle changes, its volume kept")
            << CandleList{makeCandle(40, 1, 2, 1, 2, 7), kLast} << QList<double>{0, 0, 0, 3, 1000}
            << CandleList{makeCandle(40, 1, 2, 1, 2, 7), makeCandle(100, 5, 6, 3, 3, 50)}
            << LastBarKind::SpansDay;
        QTest::newRow("a last candle without high or low takes the sample's")
            << CandleList{makeCandle(100, 5, kNaN, kNaN, 5, 0)} << QList<double>{0, 0, 0, 6, 0}
            << CandleList{makeCandle(100, 5, 6, 6, 6, 0)} << LastBarKind::QuoteBuilt;

        // An intraday bar keeps its own range: the quote's day high and low stay out, the price alone
        // stretches it.
        QTest::newRow("intraday bar: day range kept out")
            << CandleList{kLast} << QList<double>{5, 68, 1, 5.5, 0}
            << CandleList{makeCandle(100, 5, 6, 4, 5.5, 50)} << LastBarKind::Intraday;
        QTest::newRow("intraday bar: price above the high stretches it")
            << CandleList{kLast} << QList<double>{5, 68, 1, 6.5, 0}
            << CandleList{makeCandle(100, 5, 6.5, 4, 6.5, 50)} << LastBarKind::Intraday;
        QTest::newRow("intraday bar: price below the low stretches it")
            << CandleList{kLast} << QList<double>{5, 68, 1, 3.5, 0}
            << CandleList{makeCandle(100, 5, 6, 3.5, 3.5, 50)} << LastBarKind::Intraday;
        QTest::newRow("intraday bar without high or low takes the price")
            << CandleList{makeCandle(100, 5, kNaN, kNaN, 5, 0)} << QList<double>{5, 68, 1, 6, 0}
            << CandleList{makeCandle(100, 5, 6, 6, 6, 0)} << LastBarKind::Intraday;
        QTest::newRow("the first candle spans the quote's range whatever the timeframe")
            << CandleList{} << QList<double>{9, 11, 8, 10, 100}
            << CandleList{makeCandle(kNow, 9, 11, 8, 10, 100)} << LastBarKind::Intraday;

        // The quote's volume is the day's: only the bar the quotes built takes it. A history's only bar
        // (a coin listed today, a minute history at the session's start) keeps its own.
        QTest::newRow("quote-built bar takes the day's volume")
            << CandleList{kLast} << QList<double>{5, 6.5, 3.5, 5.5, 1000}
            << CandleList{makeCandle(100, 5, 6.5, 3.5, 5.5, 1000)} << LastBarKind::QuoteBuilt;
        QTest::newRow("one-bar intraday history keeps its volume")
            << CandleList{kLast} << QList<double>{5, 68, 1, 5.5, 1000}
            << CandleList{makeCandle(100, 5, 6, 4, 5.5, 50)} << LastBarKind::Intraday;
        QTest::newRow("one-bar day history takes the range, keeps its volume")
            << CandleList{kLast} << QList<double>{5, 6.5, 3.5, 5.5, 1000}
            << CandleList{makeCandle(100, 5, 6.5, 3.5, 5.5, 50)} << LastBarKind::SpansDay;
        QTest::newRow("multi-bar intraday history keeps its volume")
            << CandleList{makeCandle(40, 1, 2, 1, 2, 7), kLast} << QList<double>{5, 68, 1, 5.5, 1000}
            << CandleList{makeCandle(40, 1, 2, 1, 2, 7), makeCandle(100, 5, 6, 4, 5.5, 50)}
            << LastBarKind::Intraday;
    }

    void quoteSample()
    {
        QFETCH(CandleList, before);
        QFETCH(QList<double>, sample);
        QFETCH(CandleList, after);
        QFETCH(LastBarKind, lastBar);
        CandleList candles = before;
        recordQuoteSample(candles, sample.at(0), sample.at(1), sample.at(2), sample.at(3), sample.at(4), kNow,
                          lastBar);
        MVX_COMPARE_CANDLES(candles, after);
    }

    void quoteSampleNeverStartsACandle()
    {
        CandleList candles{kLast};
        for (int i = 1; i <= 5; ++i)
            recordQuoteSample(candles, 0, 0, 0, 5.0 + i, 0, kNow + i * 86400, LastBarKind::QuoteBuilt);
        MVX_COMPARE_CANDLES(candles, (CandleList{makeCandle(100, 5, 10, 4, 10, 50)}));
    }

    void priceIntoLastCandle_data()
    {
        QTest::addColumn<CandleList>("before");
        QTest::addColumn<double>("price");
        QTest::addColumn<CandleList>("after");
        QTest::newRow("empty list gets a flat candle")
            << CandleList{} << 10.0 << CandleList{makeCandle(kNow, 10, 10, 10, 10, 0)};
        QTest::newRow("inside the range")
            << CandleList{kLast} << 5.5 << CandleList{makeCandle(100, 5, 6, 4, 5.5, 50)};
        QTest::newRow("above the high")
            << CandleList{kLast} << 8.0 << CandleList{makeCandle(100, 5, 8, 4, 8, 50)};
        QTest::newRow("below the low")
            << CandleList{kLast} << 3.0 << CandleList{makeCandle(100, 5, 6, 3, 3, 50)};
        QTest::newRow("NaN ignored") << CandleList{kLast} << kNaN << CandleList{kLast};
        QTest::newRow("zero ignored by an empty list") << CandleList{} << 0.0 << CandleList{};
        QTest::newRow("zero ignored by a candle") << CandleList{kLast} << 0.0 << CandleList{kLast};
        QTest::newRow("negative ignored by a candle") << CandleList{kLast} << -3.0 << CandleList{kLast};
        QTest::newRow("missing high and low repaired") << CandleList{makeCandle(100, 5, kNaN, kInf, 5, 0)}
                                                       << 7.0 << CandleList{makeCandle(100, 5, 7, 7, 7, 0)};
    }

    void priceIntoLastCandle()
    {
        QFETCH(CandleList, before);
        QFETCH(double, price);
        QFETCH(CandleList, after);
        CandleList candles = before;
        applyPriceToLastCandle(candles, price, kNow);
        MVX_COMPARE_CANDLES(candles, after);
    }

    void aggregate_data()
    {
        QTest::addColumn<CandleList>("input");
        QTest::addColumn<int>("hours");
        QTest::addColumn<CandleList>("expected");

        const CandleList hourly{makeCandle(kMidnight, 10, 12, 9, 11, 100),
                                makeCandle(kMidnight + kHour, 11, 15, 10, 14, 200),
                                makeCandle(kMidnight + 2 * kHour, 14, 14, 8, 9, 50),
                                makeCandle(kMidnight + 3 * kHour, 9, 10, 7.5, 9.5, 25),
                                makeCandle(kMidnight + 4 * kHour, 9.5, 11, 9, 10.5, 10)};
        const CandleList fourHourly{makeCandle(kMidnight, 10, 15, 7.5, 9.5, 375),
                                    makeCandle(kMidnight + 4 * kHour, 9.5, 11, 9, 10.5, 10)};
        CandleList hourlyMs = hourly;
        for (Candle &candle : hourlyMs)
            candle.time *= 1000;

        QTest::newRow("empty") << CandleList{} << 4 << CandleList{};
        QTest::newRow("five hours into two") << hourly << 4 << fourHourly;
        QTest::newRow("milliseconds in, seconds out") << hourlyMs << 4 << fourHourly;
        QTest::newRow("one hour leaves milliseconds as they are") << hourlyMs << 1 << hourlyMs;
        QTest::newRow("zero hours unchanged") << hourly << 0 << hourly;
        QTest::newRow("negative hours unchanged") << hourly << -4 << hourly;
        QTest::newRow("a day") << hourly << 24 << CandleList{makeCandle(kMidnight, 10, 15, 7.5, 10.5, 385)};
        QTest::newRow("last second of a bucket and first of the next")
            << CandleList{makeCandle(kMidnight + 4 * kHour - 1, 1, 2, 1, 2, 1),
                          makeCandle(kMidnight + 4 * kHour, 2, 3, 2, 3, 1)}
            << 4
            << CandleList{makeCandle(kMidnight, 1, 2, 1, 2, 1),
                          makeCandle(kMidnight + 4 * kHour, 2, 3, 2, 3, 1)};
        QTest::newRow("stamped with the bucket start, not the first candle")
            << CandleList{makeCandle(kMidnight + 2 * kHour + 30, 4, 5, 3, 4, 2)} << 4
            << CandleList{makeCandle(kMidnight, 4, 5, 3, 4, 2)};
        QTest::newRow("a bucket met again later is a new candle")
            << CandleList{makeCandle(kMidnight, 1, 1, 1, 1, 1),
                          makeCandle(kMidnight + 4 * kHour, 2, 2, 2, 2, 1),
                          makeCandle(kMidnight + kHour, 3, 3, 3, 3, 1)}
            << 4
            << CandleList{makeCandle(kMidnight, 1, 1, 1, 1, 1),
                          makeCandle(kMidnight + 4 * kHour, 2, 2, 2, 2, 1),
                          makeCandle(kMidnight, 3, 3, 3, 3, 1)};
        QTest::newRow("values that are not finite are skipped")
            << CandleList{makeCandle(kMidnight, kNaN, 12, kNaN, 11, kNaN),
                          makeCandle(kMidnight + kHour, 11, kInf, 10, kNaN, 200),
                          makeCandle(kMidnight + 2 * kHour, 14, 14, 8, 9, 50)}
            << 4 << CandleList{makeCandle(kMidnight, 11, 14, 8, 9, 250)};
    }

    void aggregate()
    {
        QFETCH(CandleList, input);
        QFETCH(int, hours);
        QFETCH(CandleList, expected);
        MVX_COMPARE_CANDLES(aggregateCandlesByHours(input, hours), expected);
    }

    void historyForTimeframe_data()
    {
        QTest::addColumn<QString>("timeframe");
        QTest::addColumn<int>("count");
        QTest::newRow("4h merges") << "4h" << 2;
        QTest::newRow("1h keeps") << "1h" << 5;
        QTest::newRow("1d keeps") << "1d" << 5;
        QTest::newRow("4H is not 4h") << "4H" << 5;
    }

    void historyForTimeframe()
    {
        QFETCH(QString, timeframe);
        QFETCH(int, count);
        CandleList hourly;
        for (int i = 0; i < 5; ++i)
            hourly << makeCandle(kMidnight + i * kHour, 1, 1, 1, 1, 1);
        QCOMPARE(historyCandlesForTimeframe(hourly, timeframe).size(), count);
    }

    void klines_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<CandleList>("expected");
        QTest::newRow("a full row")
            << QByteArray(
                   R"([[1499040000000,"0.01634790","0.80000000","0.01575800","0.01577100","148976.11427815",)"
                   R"(1499644799999,"2434.19055334",308,"1756.87402397","28.46694368","0"]])")
            << CandleList{makeCandle(1499040000000, 0.0163479, 0.8, 0.015758, 0.015771, 148976.11427815)};
        QTest::newRow("exactly six items") << QByteArray(R"([[60,"1","2","0.5","1.5","10"]])")
                                           << CandleList{makeCandle(60, 1, 2, 0.5, 1.5, 10)};
        QTest::newRow("five-item rows are skipped")
            << QByteArray(R"([[60,"1","2","0.5","1.5"],[120,"2","3","1","2","4"]])")
            << CandleList{makeCandle(120, 2, 3, 1, 2, 4)};
        QTest::newRow("only five-item rows") << QByteArray(R"([[60,"1","2","0.5","1.5"]])") << CandleList{};
        QTest::newRow("numbers taken as numbers")
            << QByteArray(R"([[60,1,2,0.5,1.5,10]])") << CandleList{makeCandle(60, 1, 2, 0.5, 1.5, 10)};
        QTest::newRow("unreadable prices skip the row")
            << QByteArray(R"([[60,"abc","",null,true,"1"],[120,"2","3","1","2","4"]])")
            << CandleList{makeCandle(120, 2, 3, 1, 2, 4)};
        QTest::newRow("non-finite prices skip the row")
            << QByteArray(R"([[60,"nan","inf","-inf","NaN","1"]])") << CandleList{};
        QTest::newRow("a zero price skips the row")
            << QByteArray(R"([[60,"1","2","0","1.5","1"],[120,"2","3","1","2","4"]])")
            << CandleList{makeCandle(120, 2, 3, 1, 2, 4)};
        QTest::newRow("a negative price skips the row")
            << QByteArray(R"([[60,"1","2","0.5","-1.5","1"]])") << CandleList{};
        QTest::newRow("a time that is not a number skips the row")
            << QByteArray(R"([["60","1","1","1","1","1"]])") << CandleList{};
        QTest::newRow("a zero or fractional time skips the row")
            << QByteArray(R"([[0,"1","1","1","1","1"],[60.5,"1","1","1","1","1"],[-60,"1","1","1","1","1"]])")
            << CandleList{};
        QTest::newRow("a bad volume reads 0")
            << QByteArray(
                   R"([[60,"1","1","1","1","x"],[120,"1","1","1","1","-5"],[180,"1","1","1","1","inf"]])")
            << CandleList{makeCandle(60, 1, 1, 1, 1, 0), makeCandle(120, 1, 1, 1, 1, 0),
                          makeCandle(180, 1, 1, 1, 1, 0)};
        QTest::newRow("rows that are not arrays are skipped")
            << QByteArray(R"([7,{"a":1},[60,"1","1","1","1","1"]])")
            << CandleList{makeCandle(60, 1, 1, 1, 1, 1)};
        QTest::newRow("an error object")
            << QByteArray(R"({"code":-1121,"msg":"Invalid symbol."})") << CandleList{};
        QTest::newRow("not JSON") << QByteArray("<html>") << CandleList{};
        QTest::newRow("empty body") << QByteArray() << CandleList{};
        QTest::newRow("empty array") << QByteArray("[]") << CandleList{};
    }

    void klines()
    {
        QFETCH(QByteArray, body);
        QFETCH(CandleList, expected);
        MVX_COMPARE_CANDLES(parseBinanceKlines(body), expected);
    }

    void klinesFromRecordedReply()
    {
        const QString dir = realDataDirectory();
        if (dir.isEmpty())
            QSKIP("no recorded replies");
        QFile file(
            QDir(dir).filePath(QStringLiteral("binance/rest_klines_BTCUSDT_1d_testnet_recorded.json")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const CandleList candles = parseBinanceKlines(file.readAll());
        QCOMPARE(candles.size(), 13);
        QVERIFY(sameCandle(candles.first(),
                           makeCandle(1780444800000, 67101.71, 76707.8, 802.04, 64463.6, 677.36109)));
        for (qsizetype i = 1; i < candles.size(); ++i) {
            QCOMPARE(candles.at(i).time - candles.at(i - 1).time, qint64(86400000));
            QVERIFY(candles.at(i).low > 0 && candles.at(i).low <= candles.at(i).high);
        }
        // Daily candles in milliseconds become the same days in seconds when merged by 24 hours.
        const CandleList daily = aggregateCandlesByHours(candles, 24);
        QCOMPARE(daily.size(), 13);
        QCOMPARE(daily.first().time, qint64(1780444800));
    }

    void localDate_data()
    {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<int>("offsetSeconds");
        QTest::addColumn<QDate>("date");
        QTest::newRow("UTC midnight") << kMidnight << 0 << QDate(2023, 11, 15);
        QTest::newRow("one second before, UTC") << kMidnight - 1 << 0 << QDate(2023, 11, 14);
        QTest::newRow("three hours west is still the day before")
            << kMidnight + 2 * kHour << -3 * 3600 << QDate(2023, 11, 14);
        QTest::newRow("three hours west reaches midnight")
            << kMidnight + 3 * kHour << -3 * 3600 << QDate(2023, 11, 15);
        QTest::newRow("milliseconds") << (kMidnight + 3 * kHour) * 1000 << -3 * 3600 << QDate(2023, 11, 15);
        QTest::newRow("east of UTC turns the day earlier")
            << kMidnight - kHour << 2 * 3600 << QDate(2023, 11, 15);
    }

    void localDate()
    {
        QFETCH(qint64, time);
        QFETCH(int, offsetSeconds);
        QFETCH(QDate, date);
        QCOMPARE(candleDate(time, QTimeZone(offsetSeconds)), date);
    }
};

MVX_TEST_MAIN(TestCandleStore)
#include "test_candle_store.moc"
