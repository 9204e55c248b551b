#include "movers/movers_ranking.h"
#include "movers/movers_sources.h"
#include "movers/screener_rules.h"
#include "tests/support/test_main.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(CandleList)
Q_DECLARE_METATYPE(MoverEntry)

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

MoverEntry mover(const QString &symbol, double change, double price = 10.0, double volume = 1000.0)
{
    MoverEntry entry;
    entry.symbol = symbol;
    entry.changePct = change;
    entry.price = price;
    entry.volume = volume;
    return entry;
}

QStringList symbolsOf(const QList<MoverEntry> &entries)
{
    QStringList out;
    for (const MoverEntry &entry : entries)
        out.append(entry.symbol);
    return out;
}

// Closes at the given times (seconds), oldest first.
CandleList series(const QList<QPair<qint64, double>> &closes, qint64 timeScale = 1)
{
    CandleList candles;
    for (const auto &[time, close] : closes) {
        Candle candle;
        candle.time = time * timeScale;
        candle.open = candle.high = candle.low = candle.close = close;
        candles.append(candle);
    }
    return candles;
}
} // namespace

// The movers' pure rules: symbol sets and batches, the readers' number rules, re-basing, turnover,
// filters, ranking and breadth, the screener's signals and the mosaic's layout and colours.
class TestMoversLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultEntryIsEmpty()
    {
        const MoverEntry entry;
        QVERIFY(entry.symbol.isEmpty());
        QCOMPARE(entry.price, 0.0);
        QCOMPARE(entry.changePct, 0.0);
        QCOMPARE(entry.volume, 0.0);
        QCOMPARE(entry.turnover, 0.0);
    }

    void symbolSetsComeFromTheUniverse()
    {
        const QStringList universe = {"vale3.SA", "PETR4.SA", "AAPL",  "BTCUSDT", "ETHBUSD", "USDCUSDC",
                                      "EURUSD=X", "PETR4.SA", "BRK.B", "msft",    "AAPL",    "ITUB4.sa"};
        QCOMPARE(universeB3Symbols(universe), (QStringList{"PETR4.SA", "vale3.SA"}));
        QCOMPARE(universeUsSymbols(universe), (QStringList{"AAPL", "EURUSD=X", "msft"}));
        QVERIFY(universeB3Symbols({}).isEmpty());
    }

    void batchesAndChunks_data()
    {
        QTest::addColumn<int>("symbols");
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("chunkSizes");
        QTest::newRow("45 brapi") << 45 << kBrapiMoversBatch << QList<int>{20, 20, 5};
        QTest::newRow("20 brapi") << 20 << kBrapiMoversBatch << QList<int>{20};
        QTest::newRow("81 yahoo") << 81 << kYahooMoversBatch << QList<int>{80, 1};
        QTest::newRow("none") << 0 << kYahooMoversBatch << QList<int>{};
    }

    void batchesAndChunks()
    {
        QFETCH(int, symbols);
        QFETCH(int, size);
        QFETCH(QList<int>, chunkSizes);
        QStringList list;
        for (int i = 0; i < symbols; ++i)
            list.append(QStringLiteral("S%1").arg(i));
        const int count = size == kBrapiMoversBatch ? brapiBatchCount(list) : yahooBatchCount(list);
        QCOMPARE(count, chunkSizes.size());
        QList<int> sizes;
        for (const QStringList &chunk : moversChunks(list + list.mid(0, 3), size)) // duplicates dropped
            sizes.append(static_cast<int>(chunk.size()));
        QCOMPARE(sizes, chunkSizes);
    }

    void eligibleUsdtPairs_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<bool>("eligible");
        QTest::newRow("btc") << "BTCUSDT" << true;
        QTest::newRow("busd quote") << "ETHBUSD" << false;
        QTest::newRow("up token") << "BTCUPUSDT" << false;
        QTest::newRow("contains UPUSDT") << "SUPUSDT" << false;
        QTest::newRow("down") << "ETHDOWNUSDT" << false;
        QTest::newRow("bull") << "BULLUSDT" << false;
        QTest::newRow("bear") << "XRPBEARUSDT" << false;
        QTest::newRow("lower case") << "btcusdt" << false;
        QTest::newRow("btc quote") << "BNBBTC" << false;
    }

    void eligibleUsdtPairs()
    {
        QFETCH(QString, symbol);
        QFETCH(bool, eligible);
        QCOMPARE(isEligibleUsdtPair(symbol), eligible);
    }

    void requestsCarryWhatEachSourceNeeds()
    {
        useDefaultEndpoints();
        const QNetworkRequest keyed = brapiMoversRequest({"PETR4", "VALE3"}, "tok", 10000);
        QCOMPARE(keyed.url().toString(QUrl::FullyEncoded),
                 QStringLiteral("https://brapi.dev/api/quote/PETR4,VALE3"));
        QCOMPARE(keyed.rawHeader("Authorization"), QByteArray("Bearer tok"));
        QCOMPARE(keyed.header(QNetworkRequest::UserAgentHeader).toByteArray(),
                 QByteArray("MURVEX_TERMINAL/0.1 Qt"));
        QCOMPARE(keyed.transferTimeout(), 10000);
        QVERIFY(!brapiMoversRequest({"PETR4"}, QString(), 10000).hasRawHeader("Authorization"));

        // No symbol can add a segment, a query or a fragment to the brapi path.
        const QUrl hostile = brapiMoversRequest({"A/B", "C?x=1", "D#E", ".."}, QString(), 10000).url();
        QCOMPARE(hostile.path(QUrl::FullyEncoded), QStringLiteral("/api/quote/A%2FB,C%3Fx%3D1,D%23E,.."));
        QVERIFY(!hostile.hasQuery());
        QVERIFY(!hostile.hasFragment());
        QVERIFY(brapiMoversRequest({".."}, QString(), 1).url().isEmpty()); // refused unsent

        const QNetworkRequest yahoo = yahooMoversRequest({"AAPL", "PETR4.SA"}, 10000);
        QCOMPARE(yahoo.url().path(), QStringLiteral("/v7/finance/quote"));
        QCOMPARE(QUrlQuery(yahoo.url()).queryItemValue("symbols", QUrl::FullyDecoded),
                 QStringLiteral("AAPL,PETR4.SA"));
        QCOMPARE(yahoo.header(QNetworkRequest::UserAgentHeader).toByteArray(),
                 QByteArray("MURVEX_TERMINAL/0.1 Qt"));

        const QNetworkRequest alpha = alphaTopMoversRequest("k&y", 10000);
        QCOMPARE(alpha.url().query(QUrl::FullyEncoded),
                 QStringLiteral("function=TOP_GAINERS_LOSERS&apikey=k%26y"));

        const QNetworkRequest binance = binanceMoversRequest(10000);
        QCOMPARE(binance.url().toString(), QStringLiteral("https://api.binance.com/api/v3/ticker/24hr"));
        QVERIFY(binance.rawHeaderList().isEmpty());
        QCOMPARE(binance.transferTimeout(), 10000);
        pointServicesAtNothing();
    }

    void brapiAndYahooReaders()
    {
        const QByteArray brapi = R"({"results":[
            {"symbol":"PETR4","regularMarketPrice":36.7,"regularMarketChangePercent":3.2,"regularMarketVolume":100,"sector":"Energy"},
            {"symbol":"VALE3.SA","regularMarketPrice":60,"regularMarketChangePercent":-1,"summaryProfile":{"sector":"Materials"}},
            {"symbol":"ITUB4","regularMarketPrice":"30","regularMarketChangePercent":1},
            {"symbol":"HALT3","regularMarketPrice":0,"regularMarketChangePercent":0},
            {"symbol":"","regularMarketPrice":1,"regularMarketChangePercent":1},
            7]})";
        const MoversReply reply = parseBrapiMovers(brapi);
        QCOMPARE(reply.resultCount, 6);
        QCOMPARE(symbolsOf(reply.entries), (QStringList{"PETR4.SA", "VALE3.SA"}));
        QCOMPARE(reply.entries.at(0).volume, 100.0);
        QCOMPARE(reply.entries.at(1).volume, 0.0); // missing
        QCOMPARE(reply.sectors,
                 (QList<QPair<QString, QString>>{{"PETR4.SA", "Energy"}, {"VALE3.SA", "Materials"}}));
        QCOMPARE(parseBrapiMovers("{\"results\":[]}").resultCount, 0);
        QCOMPARE(parseBrapiMovers("<html>").resultCount, 0);

        const QByteArray yahoo = R"({"quoteResponse":{"result":[
            {"symbol":"AAPL","regularMarketPrice":200,"regularMarketChangePercent":1.5,"regularMarketVolume":5,"sector":"Technology"},
            {"symbol":"PETR4","regularMarketPrice":30,"regularMarketChangePercent":null},
            {"symbol":"BRL=X","regularMarketPrice":5.1,"regularMarketChangePercent":-0.2,"summaryProfile":{"sector":"x"}}]}})";
        const MoversReply fromYahoo = parseYahooMovers(yahoo);
        QCOMPARE(symbolsOf(fromYahoo.entries), (QStringList{"AAPL", "BRL=X"})); // no suffix added
        QCOMPARE(fromYahoo.sectors, (QList<QPair<QString, QString>>{{"AAPL", "Technology"}}));
    }

    // A symbol the watchlist would refuse never leaves a reader, so it reaches neither the tables, the
    // mosaic nor the sectors, whichever source named it.
    void readersKeepTheWatchlistRule_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<bool>("kept");
        QTest::newRow("plain") << "NEWCO" << true;
        QTest::newRow("60 characters") << QString(60, 'N') << true;
        QTest::newRow("right-to-left override") << QString::fromUtf8("\u202eLPAA") << false;
        QTest::newRow("zero-width space") << QString::fromUtf8("TS\u200bLA") << false;
        QTest::newRow("control") << QString("AB\x07") << false;
        QTest::newRow("87 with an override") << QString::fromUtf8("\u202e") + QString(86, 'M') << false;
    }

    void readersKeepTheWatchlistRule()
    {
        QFETCH(QString, symbol);
        QFETCH(bool, kept);
        QJsonObject quote{{"symbol", symbol},
                          {"regularMarketPrice", 10.0},
                          {"regularMarketChangePercent", 2.0},
                          {"sector", "Energy"}};
        const MoversReply brapi =
            parseBrapiMovers(QJsonDocument(QJsonObject{{"results", QJsonArray{quote}}}).toJson());
        QCOMPARE(brapi.entries.size(), kept ? 1 : 0);
        QCOMPARE(brapi.sectors.size(), kept ? 1 : 0);
        const MoversReply yahoo = parseYahooMovers(
            QJsonDocument(QJsonObject{{"quoteResponse", QJsonObject{{"result", QJsonArray{quote}}}}})
                .toJson());
        QCOMPARE(symbolsOf(yahoo.entries), kept ? QStringList{symbol} : QStringList{});
        QCOMPARE(yahoo.sectors.size(), kept ? 1 : 0);
        const QJsonObject alpha{{"ticker", symbol}, {"price", "10"}, {"change_percentage", "2%"}};
        QCOMPARE(symbolsOf(parseAlphaMoversArray(QJsonArray{alpha})),
                 kept ? QStringList{symbol} : QStringList{});
        const QString pair = symbol + QStringLiteral("USDT");
        const QJsonObject binance{{"symbol", pair}, {"lastPrice", "10"}, {"priceChangePercent", "2"}};
        QCOMPARE(symbolsOf(parseBinanceMovers(QJsonDocument(QJsonArray{binance}).toJson())),
                 kept ? QStringList{pair} : QStringList{});
    }

    void alphaAndBinanceTextNumbers_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<double>("changeValue");
        QTest::newRow("percent sign") << "12.5"
                                      << "3.5%" << true << 3.5;
        QTest::newRow("negative") << "1.25"
                                  << "-40.1234%" << true << -40.1234;
        QTest::newRow("zero price (halted)") << "0.00000000"
                                             << "0" << false << 0.0;
        QTest::newRow("unreadable price") << "n/a"
                                          << "1%" << false << 0.0;
        QTest::newRow("unreadable change reads 0") << "5"
                                                   << "abc" << true << 0.0;
        QTest::newRow("infinite price") << "inf"
                                        << "1%" << false << 0.0;
    }

    void alphaAndBinanceTextNumbers()
    {
        QFETCH(QString, price);
        QFETCH(QString, change);
        QFETCH(bool, kept);
        QFETCH(double, changeValue);
        const QJsonObject alpha{
            {"ticker", "ABC"}, {"price", price}, {"change_percentage", change}, {"volume", "42"}};
        const QList<MoverEntry> fromAlpha = parseAlphaMoversArray(QJsonArray{alpha});
        QCOMPARE(fromAlpha.size(), kept ? 1 : 0);
        if (kept) {
            QCOMPARE(fromAlpha.first().changePct, changeValue);
            QCOMPARE(fromAlpha.first().volume, 42.0);
        }
        QString binanceChange = change;
        binanceChange.remove('%');
        const QJsonObject binance{{"symbol", "ABCUSDT"},
                                  {"lastPrice", price},
                                  {"priceChangePercent", binanceChange},
                                  {"quoteVolume", "5000000"}};
        const QJsonObject leveraged{{"symbol", "ABCUPUSDT"}, {"lastPrice", "1"}, {"priceChangePercent", "1"}};
        const QByteArray body = QJsonDocument(QJsonArray{binance, leveraged}).toJson();
        const QList<MoverEntry> fromBinance = parseBinanceMovers(body);
        QCOMPARE(fromBinance.size(), kept ? 1 : 0);
        if (kept)
            QCOMPARE(fromBinance.first().volume, 5e6);
        QVERIFY(parseBinanceMovers("{\"code\":-1121}").isEmpty()); // an object is no list
    }

    void alphaListsGainersFirst()
    {
        const QByteArray body =
            R"({"top_losers":[{"ticker":"L","price":"1","change_percentage":"-5%","volume":"1"}],
            "top_gainers":[{"ticker":"G","price":"2","change_percentage":"9%","volume":"1"}]})";
        QCOMPARE(symbolsOf(parseAlphaTopMovers(body)), (QStringList{"G", "L"}));
    }

    void localSeriesChangeRebases_data()
    {
        QTest::addColumn<CandleList>("candles");
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<double>("expected");
        const qint64 t = 1700000000;
        const auto hourly = series({{t, 100}, {t + 1800, 105}, {t + 3600, 110}, {t + 5400, 121}});
        QTest::newRow("hour: base at the cutoff")
            << hourly << qint64(3600) << (121.0 - 105.0) / 105.0 * 100.0;
        QTest::newRow("hour in milliseconds")
            << series({{t, 100}, {t + 1800, 105}, {t + 3600, 110}, {t + 5400, 121}}, 1000) << qint64(3600)
            << (121.0 - 105.0) / 105.0 * 100.0;
        QTest::newRow("week younger than the interval: first candle") << hourly << qint64(604800) << 21.0;
        QTest::newRow("month") << series({{t, 50}, {t + 2592000, 40}, {t + 2592000 + 60, 45}})
                               << qint64(2592000) << -10.0;
        QTest::newRow("one candle: fallback") << series({{t, 100}}) << qint64(3600) << -7.0;
        QTest::newRow("last close 0: fallback") << series({{t, 100}, {t + 7200, 0}}) << qint64(3600) << -7.0;
        QTest::newRow("base close NaN: fallback")
            << series({{t, kNaN}, {t + 7200, 10}}) << qint64(3600) << -7.0;
        QTest::newRow("empty") << CandleList() << qint64(3600) << -7.0;
    }

    void localSeriesChangeRebases()
    {
        QFETCH(CandleList, candles);
        QFETCH(qint64, interval);
        QFETCH(double, expected);
        QVERIFY(qFuzzyCompare(localSeriesChange(candles, interval, -7.0), expected));
    }

    void intervalSeconds()
    {
        QCOMPARE(moversIntervalSecondsFor("hour"), qint64(3600));
        QCOMPARE(moversIntervalSecondsFor("week"), qint64(604800));
        QCOMPARE(moversIntervalSecondsFor("month"), qint64(2592000));
        QCOMPARE(moversIntervalSecondsFor("day"), qint64(86400));
        QCOMPARE(moversIntervalSecondsFor("year"), qint64(86400));
    }

    void turnover_data()
    {
        QTest::addColumn<MoverEntry>("entry");
        QTest::addColumn<double>("expected");
        QTest::newRow("b3 price x volume") << mover("PETR4.SA", 1, 10, 1000) << 10000.0;
        QTest::newRow("crypto volume is turnover") << mover("BTCUSDT", 1, 60000, 5e6) << 5e6;
        MoverEntry reported = mover("AAPL", 1, 10, 10);
        reported.turnover = 7.0;
        QTest::newRow("reported turnover") << reported << 7.0;
        QTest::newRow("non-finite volume") << mover("AAPL", 1, 10, kNaN) << 0.0;
        QTest::newRow("crypto non-finite volume") << mover("ETHUSDT", 1, 10, kInf) << 0.0;
    }

    void turnover()
    {
        QFETCH(MoverEntry, entry);
        QFETCH(double, expected);
        QCOMPARE(moverTurnover(entry), expected);
    }

    // An entry read from the quote table carries its last candle's volume, a count of units (coins for
    // a crypto pair): its turnover is that volume at the price, where the 24-hour list's crypto volume
    // already is quote currency.
    void quoteTableTurnover_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("expected");
        QTest::newRow("SHIB coins at their price") << "SHIBUSDT" << 0.00002 << 1245.55e9 << 24911000.0;
        QTest::newRow("a Bitcoin candle of 677 coins") << "BTCUSDT" << 60000.0 << 677.0 << 40620000.0;
        QTest::newRow("b3 shares") << "PETR4.SA" << 10.0 << 1000.0 << 10000.0;
        QTest::newRow("us shares") << "AAPL" << 200.0 << 1500.0 << 300000.0;
        QTest::newRow("no volume") << "BTCUSDT" << 60000.0 << 0.0 << 0.0;
        QTest::newRow("non-finite volume") << "BTCUSDT" << 60000.0 << kNaN << 0.0;
        QTest::newRow("infinite volume") << "ETHUSDT" << 3000.0 << kInf << 0.0;
        QTest::newRow("negative volume") << "AAPL" << 200.0 << -5.0 << 0.0;
        QTest::newRow("zero price") << "AAPL" << 0.0 << 1500.0 << 0.0;
    }

    void quoteTableTurnover()
    {
        QFETCH(QString, symbol);
        QFETCH(double, price);
        QFETCH(double, volume);
        QFETCH(double, expected);
        QCOMPARE(candleVolumeTurnover(price, volume), expected);
        MoverEntry entry = mover(symbol, 1.0, price, std::isfinite(volume) && volume > 0.0 ? volume : 0.0);
        entry.turnover = candleVolumeTurnover(price, volume);
        QCOMPARE(moverTurnover(entry), expected);
    }

    void filters_data()
    {
        QTest::addColumn<double>("minVolume");
        QTest::addColumn<double>("minTurnover");
        QTest::addColumn<QString>("sector");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("all off keeps non-finite volume")
            << 0.0 << 0.0 << "all" << QStringList{"A", "B", "C", "N"};
        QTest::newRow("min volume") << 500.0 << 0.0 << "all" << QStringList{"A", "C"};
        QTest::newRow("min turnover") << 0.0 << 50000.0 << "all" << QStringList{"C"};
        QTest::newRow("named sector drops unclassified") << 0.0 << 0.0 << "Energy" << QStringList{"A"};
        QTest::newRow("sector set drops non-finite volume")
            << 0.0 << 0.0 << "Unclassified" << QStringList{"B", "C"};
    }

    void filters()
    {
        QFETCH(double, minVolume);
        QFETCH(double, minTurnover);
        QFETCH(QString, sector);
        QFETCH(QStringList, kept);
        const QList<MoverEntry> entries = {mover("A", 1, 10, 1000), mover("B", 1, 10, 100),
                                           mover("C", 1, 100, 1000), mover("N", 1, 10, kNaN)};
        auto sectorOf = [](const QString &symbol) {
            return symbol == QLatin1String("A") ? QStringLiteral("Energy") : QStringLiteral("Unclassified");
        };
        QCOMPARE(symbolsOf(filterMovers(entries, minVolume, minTurnover, sector, sectorOf)), kept);
    }

    void rankingCutsAndOrders()
    {
        QList<MoverEntry> entries;
        for (int i = 1; i <= 120; ++i)
            entries.append(mover(QStringLiteral("G%1").arg(i), i * 0.1));
        for (int i = 1; i <= 10; ++i)
            entries.append(mover(QStringLiteral("L%1").arg(i), -i));
        entries.append(mover("Z1", 0.0));
        entries.append(mover("NAN", kNaN));
        entries.append(mover("INF", kInf)); // not finite either: no table, no sort
        const MoversRanking ranking = rankMovers(entries);
        QCOMPARE(ranking.gainers.size(), 50);
        QCOMPARE(ranking.gainers.first().symbol, QStringLiteral("G120"));
        QCOMPARE(ranking.gainers.last().symbol, QStringLiteral("G71"));
        QCOMPARE(ranking.losers.size(), 10);
        QCOMPARE(ranking.losers.first().symbol, QStringLiteral("L10"));
        QCOMPARE(ranking.mosaic.size(), 25);
        for (qsizetype i = 1; i < ranking.mosaic.size(); ++i)
            QVERIFY(std::abs(ranking.mosaic.at(i - 1).changePct) >= std::abs(ranking.mosaic.at(i).changePct));
        QCOMPARE(ranking.mosaic.first().symbol, QStringLiteral("G120"));
        QVERIFY(!symbolsOf(ranking.gainers + ranking.losers).contains("Z1"));
    }

    void rankingOfNothing()
    {
        const MoversRanking ranking = rankMovers({mover("Z", 0.0), mover("N", kNaN)});
        QVERIFY(ranking.gainers.isEmpty());
        QVERIFY(ranking.losers.isEmpty());
        QVERIFY(ranking.mosaic.isEmpty());
    }

    void breadth_data()
    {
        QTest::addColumn<QList<double>>("changes");
        QTest::addColumn<int>("advancers");
        QTest::addColumn<int>("decliners");
        QTest::addColumn<double>("median");
        QTest::addColumn<QString>("best");
        QTest::addColumn<QString>("worst");
        QTest::newRow("empty") << QList<double>{} << 0 << 0 << 0.0 << ""
                               << "";
        QTest::newRow("upper middle") << QList<double>{1, 2, 3, 4} << 4 << 0 << 3.0 << "S3"
                                      << "S0";
        QTest::newRow("zero counts nowhere") << QList<double>{-1, 0, 2} << 1 << 1 << 0.0 << "S2"
                                             << "S0";
        QTest::newRow("ties keep the earlier") << QList<double>{5, 5, -2, -2} << 2 << 2 << 5.0 << "S0"
                                               << "S2";
        QTest::newRow("NaN counts nowhere") << QList<double>{kNaN, -3, kNaN} << 0 << 1 << -3.0 << "S1"
                                            << "S1";
    }

    void breadth()
    {
        QFETCH(QList<double>, changes);
        QFETCH(int, advancers);
        QFETCH(int, decliners);
        QFETCH(double, median);
        QFETCH(QString, best);
        QFETCH(QString, worst);
        QList<MoverEntry> entries;
        for (qsizetype i = 0; i < changes.size(); ++i)
            entries.append(mover(QStringLiteral("S%1").arg(i), changes.at(i)));
        const BreadthStats stats = computeBreadth(entries);
        QCOMPARE(stats.advancers, advancers);
        QCOMPARE(stats.decliners, decliners);
        QCOMPARE(stats.median, median);
        QCOMPARE(stats.hasBest, !best.isEmpty());
        if (stats.hasBest) {
            QCOMPARE(stats.best.symbol, best);
            QCOMPARE(stats.worst.symbol, worst);
        }
    }

    void breadthTurnoverAddsCryptoVolumeAndPriceTimesVolume()
    {
        const BreadthStats stats =
            computeBreadth({mover("BTCUSDT", 1, 60000, 2.5e6), mover("PETR4.SA", -1, 10, 100)});
        QCOMPARE(stats.turnover, 2.5e6 + 1000.0);
    }

    void trendSignals_data()
    {
        QTest::addColumn<double>("change");
        QTest::addColumn<int>("signal");
        QTest::newRow("2.0") << 2.0 << int(TrendSignal::StrongUp);
        QTest::newRow("0.25") << 0.25 << int(TrendSignal::Up);
        QTest::newRow("0.2499") << 0.2499 << int(TrendSignal::Flat);
        QTest::newRow("-0.25") << -0.25 << int(TrendSignal::Down);
        QTest::newRow("-2.0") << -2.0 << int(TrendSignal::StrongDown);
        QTest::newRow("NaN") << kNaN << int(TrendSignal::Flat);
    }

    void trendSignals()
    {
        QFETCH(double, change);
        QFETCH(int, signal);
        QCOMPARE(int(trendSignalFor(change)), signal);
    }

    void minimumChange_data()
    {
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("change");
        QTest::addColumn<bool>("passes");
        QTest::newRow("2 keeps +2.5") << 2.0 << 2.5 << true;
        QTest::newRow("2 keeps -3.1") << 2.0 << -3.1 << true;
        QTest::newRow("2 drops +1.9") << 2.0 << 1.9 << false;
        QTest::newRow("-2 keeps -3.1") << -2.0 << -3.1 << true;
        QTest::newRow("-2 drops +2.5") << -2.0 << 2.5 << false;
        QTest::newRow("-2 drops -1.9") << -2.0 << -1.9 << false;
        QTest::newRow("0 keeps all") << 0.0 << -0.01 << true;
        QTest::newRow("NaN minimum keeps all") << kNaN << 0.01 << true;
        QTest::newRow("NaN change passes") << 2.0 << kNaN << true;
    }

    void minimumChange()
    {
        QFETCH(double, minimum);
        QFETCH(double, change);
        QFETCH(bool, passes);
        QCOMPARE(passesMinChange(change, minimum), passes);
    }

    void assetFilterAndMarket_data()
    {
        QTest::addColumn<QString>("asset");
        QTest::addColumn<QString>("classKey");
        QTest::addColumn<bool>("matches");
        QTest::newRow("all") << "all"
                             << "forex" << true;
        QTest::newRow("br") << "br"
                            << "equity_br" << true;
        QTest::newRow("br vs us") << "br"
                                  << "equity_us" << false;
        QTest::newRow("us") << "us"
                            << "equity_us" << true;
        QTest::newRow("crypto") << "crypto"
                                << "crypto" << true;
        QTest::newRow("forex vs crypto") << "forex"
                                         << "crypto" << false;
        QTest::newRow("unknown key") << "bonds"
                                     << "equity_us" << false;
    }

    void assetFilterAndMarket()
    {
        QFETCH(QString, asset);
        QFETCH(QString, classKey);
        QFETCH(bool, matches);
        QCOMPARE(screenerAssetMatches(asset, classKey), matches);
    }

    void marketLabels()
    {
        QCOMPARE(marketSourceLabel("PETR4.SA"), QStringLiteral("B3"));
        QCOMPARE(marketSourceLabel("BTCUSDT"), QStringLiteral("Binance"));
        QCOMPARE(marketSourceLabel("EURUSD=X"), QStringLiteral("FX"));
        QCOMPARE(marketSourceLabel("AAPL"), QStringLiteral("US"));
    }
};

MVX_TEST_MAIN(TestMoversLogic)
#include "test_movers_logic.moc"
