#include "providers/fetchers.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/test_main.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>

#include <cmath>
#include <limits>
#include <memory>

namespace {
// A quote without a previous close has no change at all, not a flat day.
constexpr double kNoChange = std::numeric_limits<double>::quiet_NaN();

// A key full of characters that a careless query builder would pass through or mangle.
const QString kKey = QStringLiteral("k+y/%41 z");
const QString kKeyOnTheWire = QStringLiteral("k%2By%2F%2541%20z");

// "name" or "name:arg1:arg2" (interval and range for brapi and Yahoo, the token as third for brapi).
std::shared_ptr<DataFetcher> makeFetcher(const QString &recipe)
{
    const QStringList parts = recipe.split(QLatin1Char(':'));
    const QString name = parts.first();
    const QString interval = parts.value(1, QStringLiteral("1d"));
    const QString range = parts.value(2, QStringLiteral("1d"));
    if (name == QLatin1String("binance"))
        return std::make_shared<BinanceFetcher>();
    if (name == QLatin1String("brapi"))
        return std::make_shared<BrAPIFetcher>(parts.value(3), interval, range);
    if (name == QLatin1String("alpha"))
        return std::make_shared<AlphaVantageFetcher>(kKey);
    if (name == QLatin1String("finnhub"))
        return std::make_shared<FinnhubFetcher>(kKey);
    if (name == QLatin1String("twelve"))
        return std::make_shared<TwelveDataFetcher>(kKey);
    if (name == QLatin1String("fmp"))
        return std::make_shared<FinancialModelingPrepFetcher>(kKey);
    if (name == QLatin1String("yahoo"))
        return std::make_shared<YahooFetcher>(interval, range);
    qFatal("unknown fetcher %s", qPrintable(recipe));
    return nullptr;
}

void setAllEndpoints(const QString &base)
{
    for (const char *variable : {"MVX_BINANCE_REST_URL", "MVX_BRAPI_URL", "MVX_ALPHA_VANTAGE_URL",
                                 "MVX_FINNHUB_URL", "MVX_TWELVE_DATA_URL", "MVX_FMP_URL", "MVX_YAHOO_URL"})
        qputenv(variable, base.toUtf8());
}

// Fields compared by the parse table, in this order.
QList<double> numbersOf(const Quote &quote)
{
    return {quote.price, quote.changePercent, quote.open,  quote.high,
            quote.low,   quote.prevClose,     quote.volume};
}

using Numbers = QList<double>;

} // namespace

class TestFetchers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Requests are compared against the program's own default hosts, not the harness's refusing addresses.
    void init() { useDefaultEndpoints(); }
    void cleanup() { clearMurvexEnvironment(); }

    void requestUrlIsExact_data()
    {
        QTest::addColumn<QString>("fetcher");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("binance upper-cases")
            << "binance"
            << "btcusdt" << QByteArray("https://api.binance.com/api/v3/ticker/24hr?symbol=BTCUSDT");
        QTest::newRow("binance escapes separators")
            << "binance"
            << "btc&x=1#f" << QByteArray("https://api.binance.com/api/v3/ticker/24hr?symbol=BTC%26X%3D1%23F");
        QTest::newRow("brapi public drops suffix, no token")
            << "brapi:1d:1y"
            << "PETR4.SA" << QByteArray("https://brapi.dev/api/quote/PETR4?interval=1d&range=1y");
        QTest::newRow("brapi keyed adds the token last")
            << "brapi:5m:5d:t+k/%41"
            << "petr4.sa"
            << QByteArray("https://brapi.dev/api/quote/petr4?interval=5m&range=5d&token=t%2Bk%2F%2541");
        QTest::newRow("brapi keeps a ticker list")
            << "brapi:1d:1d"
            << "PETR4,^BVSP" << QByteArray("https://brapi.dev/api/quote/PETR4,%5EBVSP?interval=1d&range=1d");
        QTest::newRow("brapi symbol stays in its segment")
            << "brapi:1d:1d"
            << "a?b#c/d%41 e"
            << QByteArray("https://brapi.dev/api/quote/a%3Fb%23c%2Fd%2541%20e?interval=1d&range=1d");
        QTest::newRow("brapi backslash")
            << "brapi:1d:1d"
            << "a\\b" << QByteArray("https://brapi.dev/api/quote/a%5Cb?interval=1d&range=1d");
        QTest::newRow("brapi dot segment is not sent") << "brapi:1d:1d"
                                                       << ".." << QByteArray();
        QTest::newRow("brapi dot left after the suffix") << "brapi:1d:1d"
                                                         << "..sa" << QByteArray();
        QTest::newRow("alpha vantage")
            << "alpha"
            << "MSFT"
            << QByteArray("https://www.alphavantage.co/query?function=GLOBAL_QUOTE&symbol=MSFT&apikey=") +
                   kKeyOnTheWire.toLatin1();
        QTest::newRow("alpha vantage plus and percent")
            << "alpha"
            << "A+B%41"
            << QByteArray(
                   "https://www.alphavantage.co/query?function=GLOBAL_QUOTE&symbol=A%2BB%2541&apikey=") +
                   kKeyOnTheWire.toLatin1();
        QTest::newRow("finnhub") << "finnhub"
                                 << "AAPL"
                                 << QByteArray("https://finnhub.io/api/v1/quote?symbol=AAPL&token=") +
                                        kKeyOnTheWire.toLatin1();
        QTest::newRow("finnhub semicolon")
            << "finnhub"
            << "A;B"
            << QByteArray("https://finnhub.io/api/v1/quote?symbol=A%3BB&token=") + kKeyOnTheWire.toLatin1();
        QTest::newRow("twelve data forex pair")
            << "twelve"
            << "USD/BRL"
            << QByteArray("https://api.twelvedata.com/quote?symbol=USD%2FBRL&apikey=") +
                   kKeyOnTheWire.toLatin1();
        QTest::newRow("fmp equals sign")
            << "fmp"
            << "BRL=X"
            << QByteArray("https://financialmodelingprep.com/api/v3/quote/BRL%3DX?apikey=") +
                   kKeyOnTheWire.toLatin1();
        QTest::newRow("fmp slash and query marks")
            << "fmp"
            << "A/B?C#D"
            << QByteArray("https://financialmodelingprep.com/api/v3/quote/A%2FB%3FC%23D?apikey=") +
                   kKeyOnTheWire.toLatin1();
        QTest::newRow("fmp dot segment is not sent") << "fmp"
                                                     << "." << QByteArray();
        QTest::newRow("yahoo forex") << "yahoo:1d:1d"
                                     << "BRL=X"
                                     << QByteArray("https://query1.finance.yahoo.com/v8/finance/chart/"
                                                   "BRL%3DX?range=1d&interval=1d&includePrePost=false");
        QTest::newRow("yahoo index") << "yahoo:5m:5d"
                                     << "^BVSP"
                                     << QByteArray("https://query1.finance.yahoo.com/v8/finance/chart/"
                                                   "%5EBVSP?range=5d&interval=5m&includePrePost=false");
        QTest::newRow("yahoo B3 keeps its dot")
            << "yahoo:1d:1y"
            << "PETR4.SA"
            << QByteArray("https://query1.finance.yahoo.com/v8/finance/chart/"
                          "PETR4.SA?range=1y&interval=1d&includePrePost=false");
        QTest::newRow("yahoo non-ASCII") << "yahoo:1d:1d" << QString::fromUtf8("\xc3\xa9")
                                         << QByteArray("https://query1.finance.yahoo.com/v8/finance/chart/"
                                                       "%C3%A9?range=1d&interval=1d&includePrePost=false");
        QTest::newRow("yahoo percent and blank")
            << "yahoo:1d:1d"
            << "%2F x"
            << QByteArray("https://query1.finance.yahoo.com/v8/finance/chart/"
                          "%252F%20x?range=1d&interval=1d&includePrePost=false");
        QTest::newRow("yahoo dot segment is not sent") << "yahoo:1d:1d"
                                                       << ".." << QByteArray();
    }

    void requestUrlIsExact()
    {
        QFETCH(QString, fetcher);
        QFETCH(QString, symbol);
        QFETCH(QByteArray, expected);
        const QNetworkRequest request = makeFetcher(fetcher)->buildRequest(symbol);
        QCOMPARE(request.url().toEncoded(), expected);
        QCOMPARE(request.rawHeaderList(), QList<QByteArray>{QByteArray("User-Agent")});
        QCOMPARE(request.rawHeader("User-Agent"), QByteArray("MurvexTerminal/1.0"));
    }

    // What the server receives, header by header: the target as built, the fetcher's user agent, and the
    // key nowhere but in the query.
    void requestOnTheWire_data()
    {
        QTest::addColumn<QString>("fetcher");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("target");
        const QString key = kKeyOnTheWire;
        QTest::newRow("binance") << "binance"
                                 << "ethbtc"
                                 << "/api/v3/ticker/24hr?symbol=ETHBTC";
        QTest::newRow("brapi") << "brapi:1d:1mo:" + kKey << "VALE3.SA"
                               << "/api/quote/VALE3?interval=1d&range=1mo&token=" + key;
        QTest::newRow("brapi breakers") << "brapi:1d:1d"
                                        << "x?y#z/w"
                                        << "/api/quote/x%3Fy%23z%2Fw?interval=1d&range=1d";
        QTest::newRow("alpha vantage") << "alpha"
                                       << "IBM"
                                       << "/query?function=GLOBAL_QUOTE&symbol=IBM&apikey=" + key;
        QTest::newRow("finnhub") << "finnhub"
                                 << "A B"
                                 << "/api/v1/quote?symbol=A%20B&token=" + key;
        QTest::newRow("twelve data") << "twelve"
                                     << "EUR/USD"
                                     << "/quote?symbol=EUR%2FUSD&apikey=" + key;
        QTest::newRow("fmp") << "fmp"
                             << "BRK/B"
                             << "/api/v3/quote/BRK%2FB?apikey=" + key;
        QTest::newRow("yahoo") << "yahoo:15m:5d"
                               << "BRL=X"
                               << "/v8/finance/chart/BRL%3DX?range=5d&interval=15m&includePrePost=false";
        QTest::newRow("yahoo escape attempt")
            << "yahoo:1d:1d"
            << "../../v7/x?y"
            << "/v8/finance/chart/..%2F..%2Fv7%2Fx%3Fy?range=1d&interval=1d&includePrePost=false";
    }

    void requestOnTheWire()
    {
        QFETCH(QString, fetcher);
        QFETCH(QString, symbol);
        QFETCH(QString, target);
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setDefaultReply(FakeReply::json("{}"));
        setAllEndpoints(server.baseUrl());

        QNetworkAccessManager network;
        std::unique_ptr<QNetworkReply> reply(network.get(makeFetcher(fetcher)->buildRequest(symbol)));
        QVERIFY(server.waitForRequests(1));
        const RecordedRequest &sent = server.requests().first();
        QCOMPARE(sent.method, QByteArray("GET"));
        QCOMPARE(sent.rawTarget, target);
        QCOMPARE(sent.header("User-Agent"), QByteArray("MurvexTerminal/1.0"));
        for (const auto &header : sent.headers) {
            QVERIFY2(!header.second.contains(kKey.toUtf8()) &&
                         !header.second.contains(kKeyOnTheWire.toUtf8()) && !header.second.contains("k+y"),
                     header.first.constData());
        }
    }

    void unsendableSymbolNeverReachesTheServer()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        setAllEndpoints(server.baseUrl());
        QNetworkAccessManager network;
        for (const QString &recipe :
             {QStringLiteral("yahoo"), QStringLiteral("fmp"), QStringLiteral("brapi")}) {
            std::unique_ptr<QNetworkReply> reply(
                network.get(makeFetcher(recipe)->buildRequest(QStringLiteral(".."))));
            QSignalSpy finished(reply.get(), &QNetworkReply::finished);
            QVERIFY(finished.wait(5000));
            QVERIFY(reply->error() != QNetworkReply::NoError);
            QVERIFY(!reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid());
        }
        QTest::qWait(50);
        QVERIFY(server.requests().isEmpty());
    }

    void parseReply_data()
    {
        QTest::addColumn<QString>("fetcher");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("quoteSymbol");
        QTest::addColumn<Numbers>("numbers"); // price, change %, open, high, low, previous close, volume
        QTest::addColumn<int>("candles");

        const Numbers none;
        auto invalid = [&](const char *name, const QString &fetcher, const QByteArray &body) {
            QTest::newRow(name) << fetcher << "SYM" << body << false << QString() << none << 0;
        };

        // Binance: every field is decimal text.
        QTest::newRow("binance ticker")
            << "binance"
            << "btcusdt"
            << QByteArray(R"({"lastPrice":"65861.66","priceChangePercent":"2.496","openPrice":"64258.00",
                "highPrice":"68000.0","lowPrice":"54000.0","prevClosePrice":"64258.01","volume":"980.74245"})")
            << true << "BTCUSDT" << Numbers{65861.66, 2.496, 64258.0, 68000.0, 54000.0, 64258.01, 980.74245}
            << 0;
        QTest::newRow("binance mini ticker")
            << "binance"
            << "BNBBTC" << QByteArray(R"({"lastPrice":"4.00000200","openPrice":"99.0"})") << true << "BNBBTC"
            << Numbers{4.000002, 0, 99.0, 0, 0, 0, 0} << 0;
        QTest::newRow("binance non-finite field reads 0")
            << "binance"
            << "X" << QByteArray(R"({"lastPrice":"2","openPrice":"inf","volume":"nan"})") << true << "X"
            << Numbers{2, 0, 0, 0, 0, 0, 0} << 0;
        invalid("binance price as number", "binance", R"({"lastPrice":65861.66})");
        invalid("binance zero price", "binance", R"({"lastPrice":"0.00000000"})");
        invalid("binance negative price", "binance", R"({"lastPrice":"-3"})");
        invalid("binance inf price", "binance", R"({"lastPrice":"inf"})");
        invalid("binance nan price", "binance", R"({"lastPrice":"NaN"})");
        invalid("binance error object", "binance", R"({"code":-1121,"msg":"Invalid symbol."})");
        invalid("binance array", "binance", R"([{"lastPrice":"4"}])");
        invalid("binance not json", "binance", "<html>");

        // brapi: numbers, with history.
        QTest::newRow("brapi with history")
            << "brapi"
            << "petr4.sa"
            << QByteArray(R"({"results":[{"regularMarketPrice":38.5,"regularMarketChangePercent":-1.2,
                "regularMarketOpen":38.9,"regularMarketDayHigh":39.1,"regularMarketDayLow":38.2,
                "regularMarketPreviousClose":38.97,"regularMarketVolume":45000000,
                "historicalDataPrice":[{"date":1700000000,"open":1,"high":2,"low":0.5,"close":1.5,"volume":10},
                                       {"date":1700086400,"open":1,"high":2,"low":0.5,"close":null,"volume":10},
                                       {"open":1,"high":2,"low":0.5,"close":1.7}]}]})")
            << true << "PETR4.SA" << Numbers{38.5, -1.2, 38.9, 39.1, 38.2, 38.97, 45000000} << 2;
        invalid("brapi empty results", "brapi", R"({"results":[]})");
        invalid("brapi missing results", "brapi", R"({"error":true,"message":"x"})");
        invalid("brapi price as text", "brapi", R"({"results":[{"regularMarketPrice":"38.5"}]})");
        invalid("brapi zero price", "brapi", R"({"results":[{"regularMarketPrice":0}]})");

        // Alpha Vantage: strings through the number reader.
        QTest::newRow("alpha vantage global quote")
            << "alpha"
            << "msft"
            << QByteArray(R"({"Global Quote":{"01. symbol":"MSFT","02. open":"112.6300","03. high":"113.1700",
                "04. low":"110.6400","05. price":"112.1300","06. volume":"29062853","08. previous close":"112.7900",
                "10. change percent":"-0.5852%"}})")
            << true << "MSFT" << Numbers{112.13, -0.5852, 112.63, 113.17, 110.64, 112.79, 29062853} << 0;
        invalid("alpha vantage empty quote", "alpha", R"({"Global Quote":{}})");
        invalid("alpha vantage nan price", "alpha", R"({"Global Quote":{"05. price":"nan"}})");
        invalid("alpha vantage word price", "alpha", R"({"Global Quote":{"05. price":"n/a"}})");

        // Finnhub: numbers, never a volume.
        QTest::newRow("finnhub quote")
            << "finnhub"
            << "aapl"
            << QByteArray(
                   R"({"c":261.74,"d":2.29,"dp":0.8826,"h":263.31,"l":260.68,"o":261.07,"pc":259.45,"v":999})")
            << true << "AAPL" << Numbers{261.74, 0.8826, 261.07, 263.31, 260.68, 259.45, 0} << 0;
        invalid("finnhub unknown symbol", "finnhub",
                R"({"c":0,"d":null,"dp":null,"h":0,"l":0,"o":0,"pc":0,"t":0})");
        invalid("finnhub price as text", "finnhub", R"({"c":"261.74"})");

        // Twelve Data: its own symbol, errors that come with HTTP 200.
        QTest::newRow("twelve data quote")
            << "twelve"
            << "requested"
            << QByteArray(R"({"symbol":"aapl","open":"148.44000","high":"148.96840","low":"147.22099",
                "close":"148.85001","volume":"67903927","previous_close":"149.09000","percent_change":"-0.16097"})")
            << true << "AAPL" << Numbers{148.85001, -0.16097, 148.44, 148.9684, 147.22099, 149.09, 67903927}
            << 0;
        QTest::newRow("twelve data without symbol") << "twelve"
                                                    << "usd/brl" << QByteArray(R"({"close":5.1})") << true
                                                    << "USD/BRL" << Numbers{5.1, 0, 0, 0, 0, 0, 0} << 0;
        QTest::newRow("twelve data empty symbol") << "twelve"
                                                  << "aapl" << QByteArray(R"({"symbol":"","close":"3"})")
                                                  << true << "AAPL" << Numbers{3, 0, 0, 0, 0, 0, 0} << 0;
        QTest::newRow("twelve data text code is no error code")
            << "twelve"
            << "X" << QByteArray(R"({"code":"400","close":"2"})") << true << "X"
            << Numbers{2, 0, 0, 0, 0, 0, 0} << 0;
        invalid("twelve data error status with close", "twelve", R"({"status":"error","close":"148.85"})");
        invalid("twelve data numeric code", "twelve", R"({"code":429,"close":"148.85"})");
        invalid("twelve data zero close", "twelve", R"({"close":"0"})");
        invalid("twelve data infinite close", "twelve", R"({"close":"-INF"})");

        // Financial Modeling Prep: first element of an array.
        QTest::newRow("fmp quote")
            << "fmp"
            << "requested"
            << QByteArray(R"([{"symbol":"aapl","price":145.775,"changesPercentage":0.32,"dayLow":143.9,
                "dayHigh":146.71,"volume":42478176,"open":144.38,"previousClose":145.31},{"symbol":"MSFT","price":1}])")
            << true << "AAPL" << Numbers{145.775, 0.32, 144.38, 146.71, 143.9, 145.31, 42478176} << 0;
        QTest::newRow("fmp text price") << "fmp"
                                        << "x" << QByteArray(R"([{"price":"12.5"}])") << true << "X"
                                        << Numbers{12.5, 0, 0, 0, 0, 0, 0} << 0;
        invalid("fmp empty array", "fmp", "[]");
        invalid("fmp object", "fmp", R"({"price":1})");
        invalid("fmp nan price", "fmp", R"([{"price":"nan"}])");

        // Yahoo.
        QTest::newRow("yahoo with previous close")
            << "yahoo"
            << "aapl"
            << QByteArray(R"({"chart":{"result":[{"meta":{"regularMarketPrice":110,"previousClose":100,
                "chartPreviousClose":90,"regularMarketTime":1700000000},"timestamp":[1699990000,1699999000],
                "indicators":{"quote":[{"open":[1,2],"high":[3,4],"low":[0.5,0.7],"close":[2,3],"volume":[10,null]}]}}]}})")
            << true << "AAPL" << Numbers{110, 10, 1, 4, 0.5, 100, 10} << 2;
        QTest::newRow("yahoo price from the last close, no previous close")
            << "yahoo"
            << "X" << QByteArray(R"({"chart":{"result":[{"meta":{},"timestamp":[1,2,3],
                "indicators":{"quote":[{"open":[1,1,1],"high":[2,2,2],"low":[1,1,1],"close":[1.5,1.75,null]}]}}]}})")
            << true << "X" << Numbers{1.75, kNoChange, 1, 2, 1, 0, 0} << 2;
        QTest::newRow("yahoo one-day window uses the chart's previous close")
            << "yahoo"
            << "X"
            << QByteArray(R"({"chart":{"result":[{"meta":{"regularMarketPrice":105,"chartPreviousClose":100,
                "range":"1d","dataGranularity":"1m","regularMarketTime":1700006000},"timestamp":[1700000000],
                "indicators":{"quote":[{"open":[1],"high":[2],"low":[1],"close":[104]}]}}]}})")
            << true << "X" << Numbers{105, 5, 1, 2, 1, 100, 0} << 1;
        // A year of daily bars: the close before the window is a year old; the bar of the day before is
        // yesterday's close.
        QTest::newRow("yahoo long window uses the previous day's bar")
            << "yahoo:1d:1y"
            << "X"
            << QByteArray(R"({"chart":{"result":[{"meta":{"regularMarketPrice":102,"chartPreviousClose":50,
                "range":"1y","dataGranularity":"1d","gmtoffset":-10800,"regularMarketTime":1700254800},
                "timestamp":[1700053200,1700139600,1700226000],
                "indicators":{"quote":[{"open":[1,1,1],"high":[2,2,2],"low":[1,1,1],"close":[90,100,102]}]}}]}})")
            << true << "X" << Numbers{102, 2, 1, 2, 1, 100, 0} << 3;
        QTest::newRow("yahoo bars ending the day before the quote")
            << "yahoo:1d:1y"
            << "X"
            << QByteArray(R"({"chart":{"result":[{"meta":{"regularMarketPrice":99,"chartPreviousClose":50,
                "gmtoffset":0,"regularMarketTime":1700265600},"timestamp":[1700092800,1700179200],
                "indicators":{"quote":[{"open":[1,1],"high":[2,2],"low":[1,1],"close":[80,90]}]}}]}})")
            << true << "X" << Numbers{99, 10, 1, 2, 1, 90, 0} << 2;
        // Five-minute bars over several days: the day's range comes from the quote's day only.
        QTest::newRow("yahoo intraday bars give the day's range")
            << "yahoo:5m:5d"
            << "X"
            << QByteArray(R"({"chart":{"result":[{"meta":{"regularMarketPrice":12,"chartPreviousClose":3,
                "range":"5d","dataGranularity":"5m","gmtoffset":-10800,"regularMarketTime":1700254800},
                "timestamp":[1700168400,1700226000,1700229600,1700233200],
                "indicators":{"quote":[{"open":[5,10,11,12],"high":[6,13,12.5,12.2],"low":[4,9.5,10.5,11.8],
                "close":[5.5,11,12,12],"volume":[100,1,2,3]}]}}]}})")
            << true << "X" << Numbers{12, (12 - 5.5) / 5.5 * 100, 10, 13, 9.5, 5.5, 6} << 4;
        QTest::newRow("yahoo monthly bars know no previous day")
            << "yahoo:1mo:5y"
            << "X"
            << QByteArray(R"({"chart":{"result":[{"meta":{"regularMarketPrice":120,"chartPreviousClose":40,
                "range":"5y","dataGranularity":"1mo","regularMarketTime":1700000000},"timestamp":[1690000000,1695000000],
                "indicators":{"quote":[{"open":[1,1],"high":[2,2],"low":[1,1],"close":[100,110]}]}}]}})")
            << true << "X" << Numbers{120, kNoChange, 1, 2, 1, 0, 0} << 2;
        invalid("yahoo empty result", "yahoo", R"({"chart":{"result":[]}})");
        invalid("yahoo error", "yahoo", R"({"chart":{"result":null,"error":{"code":"Not Found"}}})");
        invalid("yahoo empty quote", "yahoo",
                R"({"chart":{"result":[{"meta":{"regularMarketPrice":5},"indicators":{"quote":[]}}]}})");
        invalid("yahoo zero price", "yahoo",
                R"({"chart":{"result":[{"meta":{"regularMarketPrice":0},"indicators":{"quote":[{}]}}]}})");
        invalid("yahoo price as text", "yahoo",
                R"({"chart":{"result":[{"meta":{"regularMarketPrice":"5"},"indicators":{"quote":[{}]}}]}})");
        invalid("yahoo not json", "yahoo", "{\"chart\":");
    }

    void parseReply()
    {
        QFETCH(QString, fetcher);
        QFETCH(QString, symbol);
        QFETCH(QByteArray, body);
        QFETCH(bool, valid);
        QFETCH(QString, quoteSymbol);
        QFETCH(Numbers, numbers);
        QFETCH(int, candles);

        const std::shared_ptr<DataFetcher> parser = makeFetcher(fetcher);
        const std::optional<Quote> quote = parser->parseReply(symbol, body);
        QCOMPARE(quote.has_value(), valid);
        if (!quote)
            return;
        QCOMPARE(quote->symbol, quoteSymbol);
        QCOMPARE(quote->source, parser->name());
        const Numbers actual = numbersOf(*quote);
        for (int i = 0; i < actual.size(); ++i)
            QVERIFY2(
                std::isnan(numbers.at(i)) ? std::isnan(actual.at(i))
                                          : qFuzzyCompare(1.0 + actual.at(i), 1.0 + numbers.at(i)),
                qPrintable(QStringLiteral("field %1: %2 != %3").arg(i).arg(actual.at(i)).arg(numbers.at(i))));
        QCOMPARE(quote->candles.size(), candles);
    }

    void providerNames()
    {
        QCOMPARE(makeFetcher("binance")->name(), QStringLiteral("Binance Public"));
        QCOMPARE(makeFetcher("brapi")->name(), QStringLiteral("BrAPI"));
        QCOMPARE(makeFetcher("alpha")->name(), QStringLiteral("Alpha Vantage"));
        QCOMPARE(makeFetcher("finnhub")->name(), QStringLiteral("Finnhub"));
        QCOMPARE(makeFetcher("twelve")->name(), QStringLiteral("Twelve Data"));
        QCOMPARE(makeFetcher("fmp")->name(), QStringLiteral("Financial Modeling Prep"));
        QCOMPARE(makeFetcher("yahoo")->name(), QStringLiteral("Yahoo Public"));
    }

    void brapiHistoryKeepsEveryField()
    {
        const std::optional<Quote> quote =
            BrAPIFetcher({}, "1d", "1mo")
                .parseReply("VALE3", R"({"results":[{"regularMarketPrice":60,"historicalDataPrice":[
                {"date":1752843600,"open":60.1,"high":61.2,"low":59.3,"close":60.4,"volume":1234},
                {"date":1752930000,"open":1,"high":1,"low":1,"volume":5}]}]})");
        QVERIFY(quote);
        QCOMPARE(quote->candles.size(), 1);
        const Candle &bar = quote->candles.first();
        QCOMPARE(bar.time, qint64(1752843600));
        QCOMPARE(bar.open, 60.1);
        QCOMPARE(bar.high, 61.2);
        QCOMPARE(bar.low, 59.3);
        QCOMPARE(bar.close, 60.4);
        QCOMPARE(bar.volume, 1234.0);
    }
};

MVX_TEST_MAIN(TestFetchers)
#include "test_fetchers.moc"
