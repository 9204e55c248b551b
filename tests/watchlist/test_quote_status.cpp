#include "tests/support/test_main.h"
#include "watchlist/quote_status.h"

class TestQuoteStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusTexts_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("portuguese");
        QTest::newRow("pending") << "pending"
                                 << "pendente";
        QTest::newRow("loading") << "loading"
                                 << "carregando";
        QTest::newRow("free/delayed") << "free/delayed"
                                      << "gratuito/com delay";
        QTest::newRow("realtime") << "realtime"
                                  << "tempo real";
        QTest::newRow("stream") << "stream"
                                << "stream";
        QTest::newRow("ws connecting") << "ws connecting"
                                       << "ws conectando";
        QTest::newRow("ws disconnected") << "ws disconnected"
                                         << "ws desconectado";
        QTest::newRow("brapi error") << "brapi error"
                                     << "erro BrAPI";
        QTest::newRow("http error") << "http error"
                                    << "erro HTTP";
        QTest::newRow("kline error") << "kline error"
                                     << "erro kline";
        QTest::newRow("no free data") << "no free data"
                                      << "sem dado gratuito";
        QTest::newRow("invalid free data")
            << "invalid free data" << QString::fromUtf8("dado gratuito inválido");
        QTest::newRow("key/delayed has no translation") << "key/delayed"
                                                        << "key/delayed";
        QTest::newRow("cached/delayed has no translation") << "cached/delayed"
                                                           << "cached/delayed";
        QTest::newRow("all providers failed has no translation") << "all providers failed"
                                                                 << "all providers failed";
        QTest::newRow("unknown key passes through") << "HTTP 503"
                                                    << "HTTP 503";
    }

    // Each key shows itself in English and its Portuguese text in Portuguese, and both shown texts lead
    // back to the key, so the column can be re-rendered in either direction.
    void statusTexts()
    {
        QFETCH(QString, key);
        QFETCH(QString, portuguese);
        QCOMPARE(quoteStatusText(key, false), key);
        QCOMPARE(quoteStatusText(key, true), portuguese);
        QCOMPARE(quoteStatusKey(portuguese), key);
        QCOMPARE(quoteStatusKey(key), key);
    }

    void translationIsExact()
    {
        // Only the exact key is translated; the table never holds other spellings.
        QCOMPARE(quoteStatusText(QStringLiteral("Pending"), true), QStringLiteral("Pending"));
        QCOMPARE(quoteStatusText(QStringLiteral(" pending"), true), QStringLiteral(" pending"));
        QCOMPARE(quoteStatusKey(QStringLiteral("Pendente")), QStringLiteral("Pendente"));
        QCOMPARE(quoteStatusText(QString(), true), QString());
    }

    void statusForProvider_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("history");
        QTest::newRow("yahoo us") << "yahoo_us"
                                  << "free/delayed" << false;
        QTest::newRow("yahoo b3") << "yahoo_b3"
                                  << "free/delayed" << false;
        QTest::newRow("yahoo fx") << "yahoo_fx"
                                  << "free/delayed" << false;
        QTest::newRow("public brapi") << "brapi_public"
                                      << "free/delayed" << true;
        QTest::newRow("keyed brapi") << "brapi_keyed"
                                     << "key/delayed" << true;
        QTest::newRow("binance") << "binance_public"
                                 << "key/delayed" << false;
        QTest::newRow("finnhub") << "finnhub"
                                 << "key/delayed" << false;
        QTest::newRow("case matters") << "Yahoo_us"
                                      << "key/delayed" << false;
        QTest::newRow("brapi case matters") << "BRAPI_public"
                                            << "key/delayed" << false;
        QTest::newRow("empty") << ""
                               << "key/delayed" << false;
    }

    void statusForProvider()
    {
        QFETCH(QString, provider);
        QFETCH(QString, status);
        QFETCH(bool, history);
        QCOMPARE(quoteStatusForProvider(provider), status);
        QCOMPARE(quoteWantsChartHistory(provider), history);
    }

    void latencyText()
    {
        QCOMPARE(quoteLatencyText(0), QStringLiteral("0 ms"));
        QCOMPARE(quoteLatencyText(10999), QStringLiteral("10999 ms"));
        QCOMPARE(quoteLatencyText(5000000000LL), QStringLiteral("5000000000 ms"));
    }

    void displayNames_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("name");
        QTest::newRow("binance") << "binance"
                                 << "Binance WS";
        QTest::newRow("brapi any case") << "BrApi"
                                        << "BrAPI";
        QTest::newRow("alpha vantage") << "alphavantage"
                                       << "Alpha Vantage";
        QTest::newRow("twelve data") << "TWELVEDATA"
                                     << "Twelve Data";
        QTest::newRow("fmp") << "fmp"
                             << "Financial Modeling Prep";
        QTest::newRow("fmp long") << "financialmodelingprep"
                                  << "Financial Modeling Prep";
        QTest::newRow("yahoo") << "yahoo"
                               << "Yahoo";
        QTest::newRow("catalogue key is not a tag") << "brapi_public"
                                                    << "Yahoo";
        QTest::newRow("empty") << ""
                               << "Yahoo";
    }

    void displayNames()
    {
        QFETCH(QString, tag);
        QFETCH(QString, name);
        QCOMPARE(providerDisplayNameForTag(tag), name);
    }
};

MVX_TEST_MAIN(TestQuoteStatus)
#include "test_quote_status.moc"
