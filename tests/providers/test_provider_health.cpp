#include "app/endpoints.h"
#include "providers/provider_coverage.h"
#include "providers/provider_health.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>
#include <QUrlQuery>

namespace {
std::function<QString(const QString &)> keys(const QMap<QString, QString> &values)
{
    return [values](const QString &name) { return values.value(name); };
}

ProviderCoverageRow rowNamed(const QString &market, const QString &name)
{
    for (const ProviderCoverageRow &row : providerCoverageRows()) {
        if (row.market == market && row.name == name)
            return row;
    }
    return {};
}
} // namespace

class TestProviderHealth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { useDefaultEndpoints(); }

    void theTableHas26RowsInMarketOrder()
    {
        const QList<ProviderCoverageRow> rows = providerCoverageRows();
        QCOMPARE(rows.size(), 26);
        QStringList markets;
        for (const ProviderCoverageRow &row : rows) {
            if (markets.isEmpty() || markets.last() != row.market)
                markets << row.market;
        }
        QCOMPARE(markets, (QStringList{"Crypto", "US/America", "B3", "Forex", "News"}));
        QStringList polygonKeys;
        for (const ProviderCoverageRow &row : rows) {
            if (row.name == QLatin1String("Polygon.io"))
                polygonKeys << coverageKey(row);
        }
        QCOMPARE(polygonKeys,
                 (QStringList{"Crypto|Polygon.io", "US/America|Polygon.io", "Forex|Polygon.io"}));
    }

    void statuses_data()
    {
        QTest::addColumn<QString>("market");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("status");
        QTest::newRow("finnhub without key") << "US/America"
                                             << "Finnhub"
                                             << ""
                                             << "skipped: no key";
        QTest::newRow("finnhub with key") << "US/America"
                                          << "Finnhub"
                                          << "k"
                                          << "enabled";
        QTest::newRow("blank key is none") << "US/America"
                                           << "Finnhub"
                                           << "   "
                                           << "skipped: no key";
        QTest::newRow("twelve crypto") << "Crypto"
                                       << "Twelve Data"
                                       << "k"
                                       << "not implemented";
        QTest::newRow("twelve b3 without key") << "B3"
                                               << "Twelve Data"
                                               << ""
                                               << "not implemented";
        QTest::newRow("twelve us") << "US/America"
                                   << "Twelve Data"
                                   << "k"
                                   << "enabled";
        QTest::newRow("twelve forex") << "Forex"
                                      << "Twelve Data"
                                      << "k"
                                      << "enabled";
        QTest::newRow("brapi without token") << "B3"
                                             << "BrAPI"
                                             << ""
                                             << "public fallback";
        QTest::newRow("brapi with token") << "B3"
                                          << "BrAPI"
                                          << "t"
                                          << "enabled";
        QTest::newRow("public row") << "Crypto"
                                    << "Binance Public"
                                    << ""
                                    << "public fallback";
        QTest::newRow("murvex json set") << "News"
                                         << "Murvex JSON"
                                         << "https://x"
                                         << "public fallback";
        QTest::newRow("keyed without fetcher") << "US/America"
                                               << "Tiingo"
                                               << "k"
                                               << "enabled";
    }

    void statuses()
    {
        QFETCH(QString, market);
        QFETCH(QString, name);
        QFETCH(QString, key);
        QFETCH(QString, status);
        const ProviderCoverageRow row = rowNamed(market, name);
        QCOMPARE(row.name, name);
        QCOMPARE(coverageStatus(row, keys({{row.keyName, key}})), status);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("dark");
        QTest::addColumn<QString>("light");
        QTest::newRow("enabled") << "enabled"
                                 << "#20c878"
                                 << "#20c878";
        QTest::newRow("public") << "public fallback"
                                << "#8fb8ad"
                                << "#006cb4";
        QTest::newRow("not implemented") << "not implemented"
                                         << "#9aa0a6"
                                         << "#52606d";
        QTest::newRow("skipped") << "skipped: no key"
                                 << "#f45d5d"
                                 << "#f45d5d";
    }

    void colours()
    {
        QFETCH(QString, status);
        QFETCH(QString, dark);
        QFETCH(QString, light);
        QCOMPARE(coverageStatusColour(status, false).name(), dark);
        QCOMPARE(coverageStatusColour(status, true).name(), light);
    }

    void healthColours_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("dark");
        QTest::addColumn<QString>("light");
        QTest::newRow("ok") << "ok"
                            << "#20c878"
                            << "#20c878";
        QTest::newRow("testing") << "testing"
                                 << "#f3b24a"
                                 << "#f3b24a";
        QTest::newRow("rate limited") << "rate limited"
                                      << "#f3b24a"
                                      << "#f3b24a";
        QTest::newRow("skipped") << "skipped: no key"
                                 << "#9aa0a6"
                                 << "#52606d";
        QTest::newRow("not implemented") << "not implemented"
                                         << "#9aa0a6"
                                         << "#52606d";
        QTest::newRow("error") << "error"
                               << "#f45d5d"
                               << "#f45d5d";
        QTest::newRow("not tested") << "not tested"
                                    << "#f45d5d"
                                    << "#f45d5d";
    }

    void healthColours()
    {
        QFETCH(QString, state);
        QFETCH(QString, dark);
        QFETCH(QString, light);
        QCOMPARE(healthStateColour(state, false).name(), dark);
        QCOMPARE(healthStateColour(state, true).name(), light);
    }

    void groupsWithoutKeys()
    {
        const QList<ProviderCoverageRow> rows = providerCoverageRows();
        QStringList statuses;
        for (const ProviderCoverageRow &row : rows)
            statuses << coverageStatus(row, keys({}));
        const auto groups = cascadeGroups(rows, statuses);
        QStringList lines;
        for (const auto &[market, entries] : groups)
            lines << market + ": " + entries.join(" -> ");
        QCOMPARE(
            lines,
            (QStringList{"Crypto: Binance Public [public fallback] -> Twelve Data [not implemented]",
                         "US/America: Yahoo Public [public fallback]",
                         "B3: BrAPI [public fallback] -> Twelve Data [not implemented] -> Yahoo .SA Public "
                         "[public fallback]",
                         "Forex: Yahoo FX Public [public fallback]",
                         "News: Murvex JSON [public fallback] -> Yahoo Finance RSS [public fallback]"}));
    }

    void probes_data()
    {
        QTest::addColumn<QString>("market");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("url"); // empty: no probe
        QTest::newRow("binance") << "Crypto"
                                 << "Binance Public"
                                 << ""
                                 << "https://api.binance.com/api/v3/ticker/price?symbol=BTCUSDT";
        QTest::newRow("yahoo us")
            << "US/America"
            << "Yahoo Public"
            << ""
            << "https://query1.finance.yahoo.com/v8/finance/chart/AAPL?range=1d&interval=1d";
        QTest::newRow("yahoo fx")
            << "Forex"
            << "Yahoo FX Public"
            << ""
            << "https://query1.finance.yahoo.com/v8/finance/chart/BRL=X?range=1d&interval=1d";
        QTest::newRow("brapi no token") << "B3"
                                        << "BrAPI"
                                        << ""
                                        << "https://brapi.dev/api/quote/PETR4";
        QTest::newRow("brapi token") << "B3"
                                     << "BrAPI"
                                     << "t&x=1"
                                     << "https://brapi.dev/api/quote/PETR4?token=t%26x%3D1";
        QTest::newRow("alpha")
            << "US/America"
            << "Alpha Vantage"
            << "AK"
            << "https://www.alphavantage.co/query?function=GLOBAL_QUOTE&symbol=AAPL&apikey=AK";
        QTest::newRow("alpha no key") << "US/America"
                                      << "Alpha Vantage"
                                      << ""
                                      << "";
        QTest::newRow("finnhub") << "US/America"
                                 << "Finnhub"
                                 << "FK"
                                 << "https://finnhub.io/api/v1/quote?symbol=AAPL&token=FK";
        QTest::newRow("twelve forex") << "Forex"
                                      << "Twelve Data"
                                      << "TK"
                                      << "https://api.twelvedata.com/quote?symbol=USD%2FBRL&apikey=TK";
        QTest::newRow("twelve us") << "US/America"
                                   << "Twelve Data"
                                   << "TK"
                                   << "https://api.twelvedata.com/quote?symbol=AAPL&apikey=TK";
        QTest::newRow("fmp") << "US/America"
                             << "Financial Modeling Prep"
                             << "MK"
                             << "https://financialmodelingprep.com/api/v3/quote/AAPL?apikey=MK";
        QTest::newRow("polygon keyed") << "US/America"
                                       << "Polygon.io"
                                       << "PK"
                                       << "";
        QTest::newRow("rss") << "News"
                             << "Yahoo Finance RSS"
                             << ""
                             << "";
        QTest::newRow("news endpoint") << "News"
                                       << "Murvex JSON"
                                       << " https://news.example/feed.json "
                                       << "https://news.example/feed.json";
    }

    void probes()
    {
        QFETCH(QString, market);
        QFETCH(QString, name);
        QFETCH(QString, key);
        QFETCH(QString, url);
        const ProviderCoverageRow row = rowNamed(market, name);
        const std::optional<QNetworkRequest> request = healthCheckRequest(row, keys({{row.keyName, key}}));
        QCOMPARE(request.has_value(), !url.isEmpty());
        if (!request)
            return;
        QCOMPARE(request->url().toString(QUrl::FullyEncoded), url);
        QCOMPARE(request->header(QNetworkRequest::UserAgentHeader).toString(),
                 QStringLiteral("MurvexTerminal/1.0"));
    }

    void newsProbeNeverReadsALocalThing_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::newRow("blanks") << "   ";
        QTest::newRow("file") << "file:///etc/passwd";
        QTest::newRow("qrc") << "qrc:/themes/coffee_dark.qss";
        QTest::newRow("data") << "data:text/plain,hello";
        QTest::newRow("bare path") << "/home/user/news.json";
        QTest::newRow("no host") << "https://";
        QTest::newRow("ftp") << "ftp://news.example/feed.json";
    }

    void newsProbeNeverReadsALocalThing()
    {
        QFETCH(QString, configured);
        const ProviderCoverageRow row = rowNamed("News", "Murvex JSON");
        const std::optional<QNetworkRequest> request =
            healthCheckRequest(row, keys({{QStringLiteral("murvex_news_endpoint"), configured}}));
        QVERIFY(request);
        QCOMPARE(request->url(), kDefaultNewsFeedUrl.toUrl());
    }

    void recordsRoundTrip()
    {
        ProviderHealthMap records;
        ProviderHealth ok;
        ok.status = QStringLiteral("ok");
        ok.latencyMs = 123;
        ok.lastSuccess = QStringLiteral("2026-01-02 03:04:05");
        ok.attempts = 5;
        ok.successes = 4;
        ok.failures = 1;
        records.insert(QStringLiteral("B3|BrAPI"), ok);
        records.insert(QStringLiteral("Old|Gone"), ProviderHealth());
        const QJsonObject json = providerHealthJson(records);
        QCOMPARE(json.value("B3|BrAPI").toObject().keys(),
                 (QStringList{"attempts", "failures", "last_error", "last_success", "latency_ms", "state",
                              "successes"}));
        const ProviderHealthMap back = providerHealthFromJson(json);
        QCOMPARE(back.keys(), records.keys());
        QCOMPARE(back.value("B3|BrAPI").latencyMs, 123);
        QCOMPARE(back.value("B3|BrAPI").successes, 4);
        QCOMPARE(back.value("Old|Gone").latencyMs, -1);
    }

    void readingStoredRecords_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QString>("state");
        QTest::addColumn<qint64>("latency");
        QTest::addColumn<qint64>("attempts");
        QTest::newRow("no latency") << QByteArray("{\"state\":\"ok\",\"attempts\":3}") << "ok" << qint64(0)
                                    << qint64(3);
        QTest::newRow("not an object") << QByteArray("17") << "not tested" << qint64(0) << qint64(0);
        QTest::newRow("pending probe")
            << QByteArray("{\"state\":\"testing\",\"latency_ms\":5,\"attempts\":2}") << "not tested"
            << qint64(5) << qint64(2);
        QTest::newRow("wrong types") << QByteArray("{\"state\":7,\"latency_ms\":\"x\",\"attempts\":[1]}")
                                     << "not tested" << qint64(0) << qint64(0);
    }

    void readingStoredRecords()
    {
        QFETCH(QByteArray, member);
        QFETCH(QString, state);
        QFETCH(qint64, latency);
        QFETCH(qint64, attempts);
        const QJsonObject object =
            QJsonDocument::fromJson("{\"Crypto|Binance Public\":" + member + "}").object();
        const ProviderHealth health = providerHealthFromJson(object).value("Crypto|Binance Public");
        QCOMPARE(health.status, state);
        QCOMPARE(health.latencyMs, latency);
        QCOMPARE(health.attempts, attempts);
    }

    void networkErrorTextsNameOnlyTheKind()
    {
        QCOMPARE(healthNetworkErrorText(QNetworkReply::OperationCanceledError),
                 QStringLiteral("network error: timeout"));
        QCOMPARE(healthNetworkErrorText(QNetworkReply::ConnectionRefusedError),
                 QStringLiteral("network error: connection refused"));
        QCOMPARE(healthNetworkErrorText(QNetworkReply::ProtocolFailure),
                 QStringLiteral("network error: failed"));
    }
};

MVX_TEST_MAIN(TestProviderHealth)
#include "test_provider_health.moc"
