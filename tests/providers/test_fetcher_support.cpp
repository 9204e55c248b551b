#include "providers/data_fetcher.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>

#include <cmath>

namespace {

// The value of "v" in a one-member JSON object, as a reply would carry it; "missing" gives an absent key.
QJsonValue valueFrom(const QByteArray &json)
{
    if (json == "missing")
        return QJsonObject().value(QLatin1String("v"));
    const QJsonDocument document = QJsonDocument::fromJson("{\"v\":" + json + "}");
    Q_ASSERT(document.isObject());
    return document.object().value(QLatin1String("v"));
}

QJsonArray arrayFrom(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).array();
}

QJsonObject objectFrom(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    Q_ASSERT(document.isObject());
    return document.object();
}

} // namespace

class TestFetcherSupport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jsonNumberReadsNumbersAndNumericText_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<double>("expected");
        QTest::newRow("percent text") << QByteArray("\"-1.25%\"") << -1.25;
        QTest::newRow("every percent goes") << QByteArray("\"1%2%\"") << 12.0;
        QTest::newRow("plain text") << QByteArray("\"112.1300\"") << 112.13;
        QTest::newRow("text with blanks") << QByteArray("\" 7.5 \"") << 7.5;
        QTest::newRow("exponent text") << QByteArray("\"1e3\"") << 1000.0;
        QTest::newRow("word") << QByteArray("\"abc\"") << 0.0;
        QTest::newRow("empty text") << QByteArray("\"\"") << 0.0;
        QTest::newRow("comma decimal") << QByteArray("\"1,5\"") << 0.0;
        QTest::newRow("number") << QByteArray("7") << 7.0;
        QTest::newRow("negative number") << QByteArray("-0.5") << -0.5;
        QTest::newRow("null") << QByteArray("null") << 0.0;
        QTest::newRow("true") << QByteArray("true") << 0.0;
        QTest::newRow("object") << QByteArray("{\"a\":1}") << 0.0;
        QTest::newRow("array") << QByteArray("[1]") << 0.0;
        QTest::newRow("missing") << QByteArray("missing") << 0.0;
        // Text that a decimal reader accepts but that is no price at all.
        QTest::newRow("inf") << QByteArray("\"inf\"") << 0.0;
        QTest::newRow("minus inf") << QByteArray("\"-inf\"") << 0.0;
        QTest::newRow("upper INF") << QByteArray("\"INF\"") << 0.0;
        QTest::newRow("nan") << QByteArray("\"nan\"") << 0.0;
        QTest::newRow("nan percent") << QByteArray("\"NaN%\"") << 0.0;
        QTest::newRow("overflowing text") << QByteArray("\"1e400\"") << 0.0;
    }

    void jsonNumberReadsNumbersAndNumericText()
    {
        QFETCH(QByteArray, json);
        QFETCH(double, expected);
        const double number = jsonNumber(valueFrom(json));
        QVERIFY(std::isfinite(number));
        QCOMPARE(number, expected);
    }

    void jsonNumberRejectsNonFiniteNumbersBuiltInMemory()
    {
        QCOMPARE(jsonNumber(QJsonValue(std::numeric_limits<double>::infinity())), 0.0);
        QCOMPARE(jsonNumber(QJsonValue(std::numeric_limits<double>::quiet_NaN())), 0.0);
    }

    void lastJsonNumberScansFromTheEnd_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<double>("expected");
        QTest::newRow("trailing null") << QByteArray("[1, 2, null]") << 2.0;
        QTest::newRow("all null") << QByteArray("[null, null]") << 0.0;
        QTest::newRow("empty") << QByteArray("[]") << 0.0;
        QTest::newRow("numeric text is not a number") << QByteArray("[3, \"4\"]") << 3.0;
        QTest::newRow("mixed") << QByteArray("[5, {}, [], true, null]") << 5.0;
        QTest::newRow("last is taken") << QByteArray("[1, 2, 3]") << 3.0;
        QTest::newRow("zero counts") << QByteArray("[1, 0]") << 0.0;
    }

    void lastJsonNumberScansFromTheEnd()
    {
        QFETCH(QByteArray, json);
        QFETCH(double, expected);
        QCOMPARE(lastJsonNumber(arrayFrom(json)), expected);
    }

    void lastJsonNumberSkipsNonFiniteNumbers()
    {
        QJsonArray array{4.0, std::numeric_limits<double>::infinity()};
        QCOMPARE(lastJsonNumber(array), 4.0);
    }

    void stripSaSuffixRemovesEveryOccurrence_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("expected");
        QTest::newRow("suffix") << "PETR4.SA"
                                << "PETR4";
        QTest::newRow("lower case") << "petr4.sa"
                                    << "petr4";
        QTest::newRow("no suffix") << "ITUB4"
                                   << "ITUB4";
        QTest::newRow("inside and mixed case") << "AB.SACD.sa"
                                               << "ABCD";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only suffix") << ".Sa"
                                     << "";
    }

    void stripSaSuffixRemovesEveryOccurrence()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, expected);
        QCOMPARE(stripSaSuffix(symbol), expected);
    }

    void yahooCandlesFollowTheShortestPriceArray_data()
    {
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<QList<qint64>>("times");
        QTest::addColumn<QList<double>>("volumes");

        QTest::newRow("close shorter than timestamps")
            << QByteArray(R"({"timestamp":[1,2,3,4,5],"indicators":{"quote":[{"open":[1,1,1,1,1],
                "high":[2,2,2,2,2],"low":[0.5,0.5,0.5,0.5,0.5],"close":[1.5,1.5,1.5,1.5],"volume":[9,9,9,9,9]}]}})")
            << QList<qint64>{1, 2, 3, 4} << QList<double>{9, 9, 9, 9};
        QTest::newRow("short volume reads 0 for the tail")
            << QByteArray(R"({"timestamp":[10,20,30],"indicators":{"quote":[{"open":[1,1,1],"high":[2,2,2],
                "low":[0.5,0.5,0.5],"close":[1.5,1.5,1.5],"volume":[100]}]}})")
            << QList<qint64>{10, 20, 30} << QList<double>{100, 0, 0};
        QTest::newRow("null close drops that bar only")
            << QByteArray(R"({"timestamp":[1,2,3,4],"indicators":{"quote":[{"open":[1,1,1,1],"high":[2,2,2,2],
                "low":[0.5,0.5,0.5,0.5],"close":[1.5,1.5,null,1.5],"volume":[1,2,3,4]}]}})")
            << QList<qint64>{1, 2, 4} << QList<double>{1, 2, 4};
        QTest::newRow("null volume reads 0")
            << QByteArray(R"({"timestamp":[1],"indicators":{"quote":[{"open":[1],"high":[2],"low":[0.5],
                "close":[1.5],"volume":[null]}]}})")
            << QList<qint64>{1} << QList<double>{0};
        QTest::newRow("no timestamp key")
            << QByteArray(R"({"indicators":{"quote":[{}]}})") << QList<qint64>{} << QList<double>{};
        QTest::newRow("empty quote array") << QByteArray(R"({"timestamp":[1],"indicators":{"quote":[]}})")
                                           << QList<qint64>{} << QList<double>{};
        QTest::newRow("timestamp as text is skipped")
            << QByteArray(R"({"timestamp":["1",2],"indicators":{"quote":[{"open":[1,1],"high":[2,2],
                "low":[0.5,0.5],"close":[1.5,1.5]}]}})")
            << QList<qint64>{2} << QList<double>{0};
    }

    void yahooCandlesFollowTheShortestPriceArray()
    {
        QFETCH(QByteArray, result);
        QFETCH(QList<qint64>, times);
        QFETCH(QList<double>, volumes);
        const CandleList candles = parseYahooCandles(objectFrom(result));
        QCOMPARE(candles.size(), times.size());
        for (qsizetype i = 0; i < candles.size(); ++i) {
            QCOMPARE(candles.at(i).time, times.at(i));
            QCOMPARE(candles.at(i).volume, volumes.at(i));
        }
    }

    void yahooCandleCarriesEveryField()
    {
        const CandleList candles = parseYahooCandles(objectFrom(R"({"timestamp":[1727875800],
            "indicators":{"quote":[{"open":[10.5],"high":[12.25],"low":[9.75],"close":[11],"volume":[12345]}]}})"));
        QCOMPARE(candles.size(), 1);
        const Candle &c = candles.first();
        QCOMPARE(c.time, qint64(1727875800));
        QCOMPARE(c.open, 10.5);
        QCOMPARE(c.high, 12.25);
        QCOMPARE(c.low, 9.75);
        QCOMPARE(c.close, 11.0);
        QCOMPARE(c.volume, 12345.0);
    }

    void fetcherRequestCarriesOnlyTheUserAgent()
    {
        const QUrl url(QStringLiteral("https://example.test/path?token=secret"));
        const QNetworkRequest request = makeFetcherRequest(url);
        QCOMPARE(request.url(), url);
        QCOMPARE(request.header(QNetworkRequest::UserAgentHeader).toByteArray(),
                 QByteArray("MurvexTerminal/1.0"));
        QCOMPARE(request.rawHeaderList(), QList<QByteArray>{QByteArray("User-Agent")});
    }
};

MVX_TEST_MAIN(TestFetcherSupport)
#include "test_fetcher_support.moc"
