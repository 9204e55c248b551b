#include "providers/fetchers.h"
#include "providers/provider_catalogue.h"
#include "providers/quote_routing.h"
#include "tests/support/test_main.h"

Q_DECLARE_METATYPE(ProviderReplyCheck)

namespace {
using Keys = QMap<QString, QString>;

ProviderReplyCheck check(bool ok, bool rateLimited = false, const QString &message = QString(),
                         int retryAfter = 0)
{
    ProviderReplyCheck c;
    c.ok = ok;
    c.rateLimited = rateLimited;
    c.message = message;
    c.retryAfterSec = retryAfter;
    return c;
}

const Keys kAllKeys = {{"finnhub_api_key", "fh-key-123456"},
                       {"twelvedata_api_key", "td-key-123456"},
                       {"financial_modeling_prep_api_key", "fmp-key-123456"},
                       {"alpha_vantage_api_key", "av-key-123456"},
                       {"brapi_token", "brapi-token-123456"}};
} // namespace

class TestQuoteRouting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void marketOfSymbol_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<int>("market");
        QTest::newRow("B3") << "PETR4.SA" << ProviderMarket::B3Equities;
        QTest::newRow("US") << "AAPL" << ProviderMarket::UsEquities;
        QTest::newRow("US index") << "^GSPC" << ProviderMarket::UsEquities;
        QTest::newRow("crypto") << "BTCUSDT" << ProviderMarket::Crypto;
        QTest::newRow("forex") << "BRL=X" << ProviderMarket::Forex;
        QTest::newRow("forex pair") << "EURUSD=X" << ProviderMarket::Forex;
    }

    void marketOfSymbol()
    {
        QFETCH(QString, symbol);
        QFETCH(int, market);
        QCOMPARE(quoteMarketOfSymbol(symbol), market);
    }

    void providerSymbol_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("expected");
        QTest::newRow("twelvedata forex") << "twelvedata"
                                          << "BRL=X"
                                          << "USD/BRL";
        QTest::newRow("twelvedata pair") << "twelvedata"
                                         << "EURUSD=X"
                                         << "EUR/USD";
        // Yahoo's USD-based form names one currency; Twelve Data needs the pair.
        QTest::newRow("twelvedata JPY=X") << "twelvedata"
                                          << "JPY=X"
                                          << "USD/JPY";
        QTest::newRow("twelvedata CHF=X") << "twelvedata"
                                          << "CHF=X"
                                          << "USD/CHF";
        QTest::newRow("twelvedata CAD=X") << "twelvedata"
                                          << "CAD=X"
                                          << "USD/CAD";
        QTest::newRow("twelvedata crypto") << "twelvedata"
                                           << "BTCUSDT"
                                           << "BTCUSDT";
        QTest::newRow("twelvedata equity") << "twelvedata"
                                           << "AAPL"
                                           << "AAPL";
        QTest::newRow("yahoo forex") << "yahoo_fx"
                                     << "BRL=X"
                                     << "BRL=X";
        QTest::newRow("brapi") << "brapi_public"
                               << "PETR4.SA"
                               << "PETR4.SA";
    }

    void providerSymbol()
    {
        QFETCH(QString, key);
        QFETCH(QString, symbol);
        QFETCH(QString, expected);
        QCOMPARE(quoteProviderSymbol(key, symbol), expected);
    }

    void defaultProviderTag_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("tag");
        QTest::newRow("crypto") << "BTCUSDT"
                                << ""
                                << "binance";
        QTest::newRow("B3 without token") << "PETR4.SA"
                                          << ""
                                          << "yahoo";
        QTest::newRow("B3 with token") << "PETR4.SA"
                                       << "tok"
                                       << "brapi";
        // Tested as stored: a token of blanks still counts here.
        QTest::newRow("B3 with blank token") << "PETR4.SA"
                                             << "  "
                                             << "brapi";
        QTest::newRow("US with token") << "AAPL"
                                       << "tok"
                                       << "yahoo";
        QTest::newRow("forex") << "BRL=X"
                               << "tok"
                               << "yahoo";
    }

    void defaultProviderTag()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, token);
        QFETCH(QString, tag);
        QCOMPARE(::defaultProviderTag(symbol, token), tag);
    }

    void fetcherSets_data()
    {
        QTest::addColumn<int>("market");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<QStringList>("providers"); // keys of the set, sorted
        QTest::newRow("US no keys") << ProviderMarket::UsEquities << Keys{} << QStringList{"yahoo_us"};
        QTest::newRow("US all keys") << ProviderMarket::UsEquities << kAllKeys
                                     << QStringList{"alpha_vantage", "finnhub", "fmp", "twelvedata",
                                                    "yahoo_us"};
        QTest::newRow("US blank keys")
            << ProviderMarket::UsEquities << Keys{{"finnhub_api_key", "  "}, {"alpha_vantage_api_key", "\t"}}
            << QStringList{"yahoo_us"};
        QTest::newRow("B3 no token") << ProviderMarket::B3Equities << Keys{}
                                     << QStringList{"brapi_public", "yahoo_b3"};
        QTest::newRow("B3 token") << ProviderMarket::B3Equities << kAllKeys
                                  << QStringList{"brapi_keyed", "brapi_public", "yahoo_b3"};
        QTest::newRow("forex no key") << ProviderMarket::Forex << Keys{} << QStringList{"yahoo_fx"};
        QTest::newRow("forex key") << ProviderMarket::Forex << kAllKeys
                                   << QStringList{"twelvedata", "yahoo_fx"};
        QTest::newRow("crypto") << ProviderMarket::Crypto << kAllKeys << QStringList{"binance_public"};
        QTest::newRow("news") << ProviderMarket::News << kAllKeys << QStringList{};
    }

    void fetcherSets()
    {
        QFETCH(int, market);
        QFETCH(Keys, keys);
        QFETCH(QStringList, providers);
        const QuoteFetcherSet set =
            quoteFetchersFor(market, keys, QStringLiteral("5m"), QStringLiteral("5d"));
        QCOMPARE(set.keys(), providers);
        for (const auto &fetcher : set)
            QVERIFY(fetcher);
        // Every provider the catalogue offers the market has a fetcher with these keys: no attempt of a
        // run can find none.
        if (market != ProviderMarket::News) {
            for (const QString &key : providersFor(market, ProviderDataKind::Quote, keys))
                QVERIFY2(set.contains(key), qPrintable(key));
        }
    }

    void fetchersCarryTrimmedKeysAndTheChartWindow()
    {
        const Keys keys = {{"twelvedata_api_key", "  td-key-123456 "}, {"brapi_token", " tok "}};
        const QuoteFetcherSet us = quoteFetchersFor(ProviderMarket::UsEquities, keys, "5m", "5d");
        QCOMPARE(us.value("twelvedata")->buildRequest("AAPL").url().query(),
                 QStringLiteral("symbol=AAPL&apikey=td-key-123456"));
        // US Yahoo quotes always ask for one day of daily bars, whatever the chart shows.
        QCOMPARE(us.value("yahoo_us")->buildRequest("AAPL").url().query(),
                 QStringLiteral("range=1d&interval=1d&includePrePost=false"));
        const QuoteFetcherSet b3 = quoteFetchersFor(ProviderMarket::B3Equities, keys, "5m", "5d");
        QCOMPARE(b3.value("brapi_keyed")->buildRequest("PETR4.SA").url().query(),
                 QStringLiteral("interval=5m&range=5d&token=tok"));
        QCOMPARE(b3.value("brapi_public")->buildRequest("PETR4.SA").url().query(),
                 QStringLiteral("interval=5m&range=5d"));
        QCOMPARE(b3.value("yahoo_b3")->buildRequest("PETR4.SA").url().query(),
                 QStringLiteral("range=5d&interval=5m&includePrePost=false"));
        const QuoteFetcherSet fx = quoteFetchersFor(ProviderMarket::Forex, keys, "5m", "5d");
        QCOMPARE(fx.value("yahoo_fx")->buildRequest("BRL=X").url().query(),
                 QStringLiteral("range=5d&interval=5m&includePrePost=false"));
    }

    void verdicts_data()
    {
        QTest::addColumn<int>("market");
        QTest::addColumn<QString>("key");
        QTest::addColumn<ProviderReplyCheck>("replyCheck");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("rateLimited");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>(
            "effects"); // a = alpha cooldown, c = key cooldown, x = clear, w = cache, q = apply

        const int us = ProviderMarket::UsEquities;
        const int b3 = ProviderMarket::B3Equities;
        const int fx = ProviderMarket::Forex;
        const int crypto = ProviderMarket::Crypto;
        const auto limited = check(false, true, "HTTP 429 rate limit", 30);
        const auto http = check(false, false, "HTTP 500");
        const auto bare = check(false, false, QString());
        const auto good = check(true);

        QTest::newRow("US alpha limited")
            << us << "alpha_vantage" << limited << false << false << true << "HTTP 429 rate limit"
            << "a";
        QTest::newRow("US alpha quote") << us << "alpha_vantage" << good << true << true << false << ""
                                        << "qw";
        QTest::newRow("US alpha unparsed")
            << us << "alpha_vantage" << good << false << false << false << "invalid quote payload"
            << "";
        QTest::newRow("US twelvedata limited")
            << us << "twelvedata" << limited << false << false << true << "HTTP 429 rate limit"
            << "c";
        QTest::newRow("US fmp limited")
            << us << "fmp" << limited << false << false << true << "HTTP 429 rate limit"
            << "c";
        QTest::newRow("US fmp quote") << us << "fmp" << good << true << true << false << ""
                                      << "qx";
        QTest::newRow("US finnhub limited")
            << us << "finnhub" << limited << false << false << true << "HTTP 429 rate limit"
            << "";
        QTest::newRow("US yahoo http error")
            << us << "yahoo_us" << http << false << false << false << "HTTP 500"
            << "";
        QTest::newRow("US empty message stays empty")
            << us << "yahoo_us" << bare << false << false << false << ""
            << "";
        QTest::newRow("B3 limited: no cooldown")
            << b3 << "brapi_keyed" << limited << false << false << true << "HTTP 429 rate limit"
            << "";
        QTest::newRow("B3 quote") << b3 << "brapi_public" << good << true << true << false << ""
                                  << "q";
        QTest::newRow("B3 unparsed") << b3 << "yahoo_b3" << good << false << false << false
                                     << "invalid quote payload"
                                     << "";
        QTest::newRow("forex twelvedata limited")
            << fx << "twelvedata" << limited << false << false << true << "HTTP 429 rate limit"
            << "c";
        QTest::newRow("forex twelvedata quote") << fx << "twelvedata" << good << true << true << false << ""
                                                << "qx";
        QTest::newRow("forex empty message")
            << fx << "yahoo_fx" << bare << false << false << false << "invalid forex payload"
            << "";
        QTest::newRow("forex unparsed")
            << fx << "yahoo_fx" << good << false << false << false << "invalid forex payload"
            << "";
        QTest::newRow("crypto empty message")
            << crypto << "binance_public" << bare << false << false << false << "invalid crypto payload"
            << "";
        QTest::newRow("crypto unparsed")
            << crypto << "binance_public" << good << false << false << false << "invalid crypto payload"
            << "";
        QTest::newRow("crypto quote") << crypto << "binance_public" << good << true << true << false << ""
                                      << "q";
    }

    void verdicts()
    {
        QFETCH(int, market);
        QFETCH(QString, key);
        QFETCH(ProviderReplyCheck, replyCheck);
        QFETCH(bool, parsed);
        QFETCH(bool, ok);
        QFETCH(bool, rateLimited);
        QFETCH(QString, message);
        QFETCH(QString, effects);

        const QuoteAttemptVerdict verdict = quoteAttemptVerdict(market, key, replyCheck, parsed);
        QCOMPARE(verdict.result.ok, ok);
        QCOMPARE(verdict.result.rateLimited, rateLimited);
        QCOMPARE(verdict.result.message, message);
        QString got;
        if (verdict.startAlphaVantageCooldown)
            got += 'a';
        if (verdict.startProviderCooldown)
            got += 'c';
        if (verdict.clearProviderCooldown)
            got += 'x';
        if (verdict.writeAlphaVantageCache)
            got += 'w';
        if (verdict.applyQuote)
            got += 'q';
        std::sort(got.begin(), got.end());
        std::sort(effects.begin(), effects.end());
        QCOMPARE(got, effects);
    }

    void failureTexts()
    {
        QCOMPARE(quoteCascadeFailureTexts(ProviderMarket::UsEquities).first,
                 QStringLiteral("All quote providers failed for %1: %2"));
        QCOMPARE(quoteCascadeFailureTexts(ProviderMarket::B3Equities).second,
                 QStringLiteral("Todos os provedores B3 falharam para %1: %2"));
        QCOMPARE(quoteCascadeFailureTexts(ProviderMarket::Forex).second,
                 QString::fromUtf8("Cotação Forex falhou para %1: %2"));
        QVERIFY(quoteCascadeFailureTexts(ProviderMarket::Crypto).first.isEmpty());
    }
};

MVX_TEST_MAIN(TestQuoteRouting)
#include "test_quote_routing.moc"
