#include "app/endpoints.h"
#include "tests/support/test_main.h"

class TestEndpoints : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every test here starts from the program's own defaults, not the harness's refusing addresses.
    void init() { useDefaultEndpoints(); }
    void cleanup() { clearMurvexEnvironment(); }

    void tableRowsFollowTheEnumOrder()
    {
        const auto &table = endpointTable();
        for (int i = 0; i < table.size(); ++i)
            QCOMPARE(static_cast<int>(table.at(i).endpoint), i);
        QCOMPARE(table.size(), static_cast<int>(Endpoint::Service) + 1);
    }

    void defaultsAreSecureRealHosts()
    {
        for (const EndpointInfo &info : endpointTable()) {
            const QUrl url(endpointBase(info.endpoint));
            QVERIFY2(url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("wss"),
                     info.envVar);
            QVERIFY2(!url.host().isEmpty(), info.envVar);
        }
    }

    void variableReplacesTheBase_data()
    {
        QTest::addColumn<int>("endpoint");
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("yahoo") << int(Endpoint::Yahoo) << QByteArray("MVX_YAHOO_URL")
                               << QByteArray("http://127.0.0.1:8081")
                               << QStringLiteral("http://127.0.0.1:8081");
        QTest::newRow("trailing slash dropped")
            << int(Endpoint::Brapi) << QByteArray("MVX_BRAPI_URL") << QByteArray("http://127.0.0.1:9/")
            << QStringLiteral("http://127.0.0.1:9");
        QTest::newRow("blank means default") << int(Endpoint::Finnhub) << QByteArray("MVX_FINNHUB_URL")
                                             << QByteArray("   ") << QStringLiteral("https://finnhub.io");
        QTest::newRow("stream") << int(Endpoint::BinanceStream) << QByteArray("MVX_BINANCE_STREAM_URL")
                                << QByteArray("ws://127.0.0.1:7000") << QStringLiteral("ws://127.0.0.1:7000");
    }

    void variableReplacesTheBase()
    {
        QFETCH(int, endpoint);
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);
        qputenv(variable.constData(), value);
        QCOMPARE(endpointBase(static_cast<Endpoint>(endpoint)), expected);
    }

    void serviceAddressesStayUnsendableUntilConfigured()
    {
        QVERIFY(!serviceEndpointConfigured());
        QVERIFY(QUrl(kAuthBaseUrl).host().endsWith(QLatin1String(".invalid")));
        qputenv("MVX_SERVICE_URL", "http://127.0.0.1:5555");
        QVERIFY(serviceEndpointConfigured());
        QCOMPARE(kAuthBaseUrl.toString(), QStringLiteral("http://127.0.0.1:5555/TERMINAL/auth"));
        QCOMPARE(kSyncBaseUrl.toString(), QStringLiteral("http://127.0.0.1:5555/TERMINAL/sync"));
        QCOMPARE(kLoginPageUrl.toString(), QStringLiteral("http://127.0.0.1:5555/login_page.php"));
        QCOMPARE(kDefaultNewsFeedUrl.toString(), QStringLiteral("http://127.0.0.1:5555/TERMINAL/NEWS.json"));
    }

    void endpointUrlJoinsThePath()
    {
        qputenv("MVX_ALPHA_VANTAGE_URL", "http://127.0.0.1:1234/");
        QCOMPARE(endpointUrl(Endpoint::AlphaVantage, QStringLiteral("/query")).toString(),
                 QStringLiteral("http://127.0.0.1:1234/query"));
    }
};

MVX_TEST_MAIN(TestEndpoints)
#include "test_endpoints.moc"
