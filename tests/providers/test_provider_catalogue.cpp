#include "providers/provider_catalogue.h"
#include "tests/support/test_main.h"

namespace {
using KeyMap = QMap<QString, QString>;

// Every key the catalogue can ask for, set to a usable value.
KeyMap allKeys()
{
    KeyMap keys;
    for (const ProviderInfo &info : buildProviderCatalog()) {
        if (!info.apiKeyName.isEmpty())
            keys.insert(info.apiKeyName, QStringLiteral("k-") + info.key);
    }
    return keys;
}

QStringList split(const char *keys)
{
    return QString::fromLatin1(keys).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
} // namespace

class TestProviderCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueOrderAndShape()
    {
        const QList<ProviderInfo> catalogue = buildProviderCatalog();
        QStringList keys;
        for (const ProviderInfo &info : catalogue) {
            keys << info.key;
            // Public entries need no key; keyed entries name theirs.
            QCOMPARE(info.isPublic, info.apiKeyName.isEmpty());
            QVERIFY(!info.markets.isEmpty());
            QVERIFY(!info.dataKinds.isEmpty());
        }
        QCOMPARE(keys,
                 split("binance_public itick polygon finnhub twelvedata iex fmp tiingo eodhd marketstack "
                       "alpha_vantage brapi_keyed brapi_public yahoo_us yahoo_b3 yahoo_fx murvex_news "
                       "newsapi yahoo_rss"));

        QStringList announced;
        for (const ProviderInfo &info : catalogue) {
            if (!info.implemented)
                announced << info.key;
        }
        QCOMPARE(announced, split("polygon iex tiingo eodhd marketstack"));
        QCOMPARE(catalogue.at(6).apiKeyName, QStringLiteral("financial_modeling_prep_api_key"));
        QCOMPARE(catalogue.at(11).apiKeyName, QStringLiteral("brapi_token"));
    }

    void supports()
    {
        const QList<ProviderInfo> catalogue = buildProviderCatalog();
        const ProviderInfo &twelve = catalogue.at(4);
        QVERIFY(providerSupports(twelve, ProviderMarket::UsEquities, ProviderDataKind::Quote));
        QVERIFY(providerSupports(twelve, ProviderMarket::Forex, ProviderDataKind::Quote));
        QVERIFY(!providerSupports(twelve, ProviderMarket::Forex, ProviderDataKind::History));
        QVERIFY(!providerSupports(twelve, ProviderMarket::B3Equities, ProviderDataKind::Quote));
    }

    void credentials_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<KeyMap>("keys");
        QTest::addColumn<bool>("expected");
        const KeyMap none;
        QTest::newRow("public without keys") << 0 << none << true;
        QTest::newRow("keyed without keys") << 3 << none << false;
        QTest::newRow("keyed with key")
            << 3 << KeyMap{{QStringLiteral("finnhub_api_key"), QStringLiteral("k")}} << true;
        QTest::newRow("keyed with blank key")
            << 3 << KeyMap{{QStringLiteral("finnhub_api_key"), QStringLiteral("  \t ")}} << false;
        QTest::newRow("keyed with another provider's key")
            << 3 << KeyMap{{QStringLiteral("twelvedata_api_key"), QStringLiteral("k")}} << false;
    }

    void credentials()
    {
        QFETCH(int, entry);
        QFETCH(KeyMap, keys);
        QFETCH(bool, expected);
        QCOMPARE(hasCredentials(buildProviderCatalog().at(entry), keys), expected);
    }

    void keyedEntryWithoutKeyNameHasNoCredentials()
    {
        ProviderInfo info;
        info.key = QStringLiteral("odd");
        QVERIFY(!hasCredentials(info, {{QString(), QStringLiteral("k")}}));
    }

    void order_data()
    {
        QTest::addColumn<int>("market");
        QTest::addColumn<int>("kind");
        QTest::addColumn<KeyMap>("keys");
        QTest::addColumn<QStringList>("expected");
        using namespace ProviderMarket;
        namespace Kind = ProviderDataKind;
        const KeyMap none;
        const KeyMap all = allKeys();
        const auto row = [](const char *tag, int market, int kind, const KeyMap &keys, const char *expected) {
            QTest::newRow(tag) << market << kind << keys << split(expected);
        };

        row("us quote, all keys", UsEquities, Kind::Quote, all,
            "finnhub twelvedata fmp alpha_vantage yahoo_us");
        row("us quote, no keys", UsEquities, Kind::Quote, none, "yahoo_us");
        row("us quote, one key", UsEquities, Kind::Quote,
            {{QStringLiteral("financial_modeling_prep_api_key"), QStringLiteral("k")}}, "fmp yahoo_us");
        row("us quote, blank key", UsEquities, Kind::Quote,
            {{QStringLiteral("finnhub_api_key"), QStringLiteral("   ")}}, "yahoo_us");
        row("b3 quote, all keys", B3Equities, Kind::Quote, all, "brapi_keyed brapi_public yahoo_b3");
        row("b3 quote, no keys", B3Equities, Kind::Quote, none, "brapi_public yahoo_b3");
        row("forex quote, all keys", Forex, Kind::Quote, all, "twelvedata yahoo_fx");
        row("forex quote, no keys", Forex, Kind::Quote, none, "yahoo_fx");
        row("crypto quote", Crypto, Kind::Quote, all, "binance_public");
        row("us history", UsEquities, Kind::History, all, "yahoo_us");
        row("b3 history", B3Equities, Kind::History, all, "brapi_keyed brapi_public yahoo_b3");
        row("forex history", Forex, Kind::History, all, "yahoo_fx");
        row("crypto history", Crypto, Kind::History, all, "binance_public");
        row("us movers", UsEquities, Kind::Movers, all, "alpha_vantage yahoo_us");
        row("b3 movers", B3Equities, Kind::Movers, all, "brapi_keyed brapi_public yahoo_b3");
        row("crypto movers", Crypto, Kind::Movers, all, "binance_public");
        row("forex movers", Forex, Kind::Movers, all, "");
        row("us depth", UsEquities, Kind::Depth, all, "itick");
        row("us trades", UsEquities, Kind::Trades, all, "itick");
        row("us depth, no keys", UsEquities, Kind::Depth, none, "");
        row("crypto depth", Crypto, Kind::Depth, none, "binance_public");
        row("crypto trades", Crypto, Kind::Trades, none, "binance_public");
        row("news", News, Kind::News, all, "newsapi murvex_news yahoo_rss");
        row("news, no keys", News, Kind::News, none, "murvex_news yahoo_rss");
        row("news market, quote kind", News, Kind::Quote, all, "");
        row("unknown market", 7, Kind::Quote, all, "");
        row("unknown kind", UsEquities, 9, all, "");
        row("negative codes", -1, -1, all, "");
    }

    void order()
    {
        QFETCH(int, market);
        QFETCH(int, kind);
        QFETCH(KeyMap, keys);
        QFETCH(QStringList, expected);
        QCOMPARE(providersFor(market, kind, keys), expected);
    }

    void announcedProvidersAreNeverChosen()
    {
        const KeyMap all = allKeys();
        for (int market = 0; market <= 4; ++market) {
            for (int kind = 0; kind <= 5; ++kind) {
                const QStringList chosen = providersFor(market, kind, all);
                for (const char *key : {"polygon", "iex", "tiingo", "eodhd", "marketstack"})
                    QVERIFY2(!chosen.contains(QLatin1String(key)), key);
            }
        }
    }
};

MVX_TEST_MAIN(TestProviderCatalogue)
#include "test_provider_catalogue.moc"
