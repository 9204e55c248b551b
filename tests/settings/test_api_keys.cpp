#include "app/endpoints.h"
#include "settings/api_keys.h"
#include "tests/support/test_main.h"

using Entries = QList<KeyFileEntry>;
using StringMap = QMap<QString, QString>;
Q_DECLARE_METATYPE(Entries)
Q_DECLARE_METATYPE(StringMap)

namespace {
QProcessEnvironment environmentOf(const StringMap &variables)
{
    QProcessEnvironment environment;
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        environment.insert(it.key(), it.value());
    return environment;
}

// The three named fields and configValues in one map, so a case can state every key it expects.
StringMap keysOf(const LocalSettings &settings)
{
    return effectiveApiKeyValues(settings);
}
} // namespace

class TestApiKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void catalogueOrderAndNewsFeedAddress()
    {
        qputenv("MVX_SERVICE_URL", "http://127.0.0.1:9");
        const QList<ApiKeySpec> catalogue = apiKeyCatalog();
        qunsetenv("MVX_SERVICE_URL");
        QStringList keys;
        for (const ApiKeySpec &keySpec : catalogue)
            keys << keySpec.configKey;
        QCOMPARE(keys,
                 (QStringList{"alpha_vantage_api_key", "itick_api_key", "brapi_token", "polygon_api_key",
                              "finnhub_api_key", "twelvedata_api_key", "iex_cloud_api_key",
                              "financial_modeling_prep_api_key", "tiingo_api_key", "eodhd_api_key",
                              "marketstack_api_key", "murvex_news_endpoint", "murvex_news_token",
                              "newsapi_api_key", "binance_api_key", "binance_api_secret"}));
        QCOMPARE(catalogue.at(2).displayName, QStringLiteral("BrAPI"));
        QCOMPARE(catalogue.at(11).description,
                 QStringLiteral("Optional override for http://127.0.0.1:9/TERMINAL/NEWS.json"));
        for (const ApiKeySpec &keySpec : catalogue)
            QVERIFY2(!keySpec.displayName.isEmpty() && !keySpec.description.isEmpty(),
                     qPrintable(keySpec.configKey));
    }

    void parseKeyFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Entries>("expected");
        QTest::newRow("empty") << QString() << Entries{};
        QTest::newRow("header, comments and blank lines")
            << QStringLiteral("# MURVEX_TERMINAL local keys. Do not commit this file.\n\n   \n  # a=b\nx=1\n")
            << Entries{{"x", "1"}};
        QTest::newRow("blanks around key and value")
            << QStringLiteral("  finnhub_api_key   =   abc  \n") << Entries{{"finnhub_api_key", "abc"}};
        QTest::newRow("further '=' stay in the value")
            << QStringLiteral("finnhub_api_key = a=b==\n") << Entries{{"finnhub_api_key", "a=b=="}};
        QTest::newRow("no '=' and leading '=' are skipped")
            << QStringLiteral("justtext\n=orphan\n  =orphan2\nk=v") << Entries{{"k", "v"}};
        QTest::newRow("empty value is kept for the caller")
            << QStringLiteral("itick_api_key=\n") << Entries{{"itick_api_key", ""}};
        QTest::newRow("unknown keys and repeats in file order")
            << QStringLiteral("my_key=1\nmy_key=2\n") << Entries{{"my_key", "1"}, {"my_key", "2"}};
        QTest::newRow("CRLF, CR and a missing final newline")
            << QStringLiteral("a=1\r\nb=2\rc=3") << Entries{{"a", "1"}, {"b", "2"}, {"c", "3"}};
        QTest::newRow("'#' inside a value is not a comment")
            << QStringLiteral("k=ab#cd\n") << Entries{{"k", "ab#cd"}};
        QTest::newRow("a byte-order mark before the first key")
            << QString(QChar(0xFEFF)) + QStringLiteral("k=v\nx=1") << Entries{{"k", "v"}, {"x", "1"}};
        QTest::newRow("non-ASCII survives")
            << QString::fromUtf8("k=chave-ção\n") << Entries{{"k", QString::fromUtf8("chave-ção")}};
    }

    void parseKeyFile()
    {
        QFETCH(QString, text);
        QFETCH(Entries, expected);
        QCOMPARE(parseKeyFileText(text), expected);
    }

    // Environment first, then the file over it; each row states every key that ends up held.
    void precedence_data()
    {
        QTest::addColumn<StringMap>("environment");
        QTest::addColumn<QString>("file");
        QTest::addColumn<StringMap>("expected");
        const StringMap none{{"alpha_vantage_api_key", ""}, {"brapi_token", ""}, {"itick_api_key", ""}};
        const StringMap allEnv{{"MVX_ALPHA_VANTAGE_API_KEY", "env-alpha"},
                               {"MVX_BRAPI_TOKEN", "env-brapi"},
                               {"MVX_ITICK_API_KEY", "env-itick"}};
        const StringMap fromEnv{{"alpha_vantage_api_key", "env-alpha"},
                                {"brapi_token", "env-brapi"},
                                {"itick_api_key", "env-itick"}};

        QTest::newRow("nothing anywhere") << StringMap{} << QString() << none;
        QTest::newRow("environment only") << allEnv << QString() << fromEnv;
        QTest::newRow("empty variables are not taken")
            << StringMap{{"MVX_ALPHA_VANTAGE_API_KEY", ""}, {"MVX_BRAPI_TOKEN", ""}} << QString() << none;
        QTest::newRow("environment values are not trimmed")
            << StringMap{{"MVX_BRAPI_TOKEN", " tok "}} << QString()
            << StringMap{{"alpha_vantage_api_key", ""}, {"brapi_token", " tok "}, {"itick_api_key", ""}};
        QTest::newRow("file values replace the environment")
            << allEnv
            << QStringLiteral("alpha_vantage_api_key=f-alpha\nbrapi_token=f-brapi\nitick_api_key=f-itick\n")
            << StringMap{{"alpha_vantage_api_key", "f-alpha"},
                         {"brapi_token", "f-brapi"},
                         {"itick_api_key", "f-itick"}};
        QTest::newRow("placeholders and empty lines keep the environment, but iTick empties")
            << allEnv
            << QStringLiteral(
                   "alpha_vantage_api_key=YOUR_ALPHA_VANTAGE_KEY_HERE\nbrapi_token=YOUR_BRAPI_TOKEN_HERE\n"
                   "alpha_vantage_api_key=\nbrapi_token=\nitick_api_key=\n")
            << StringMap{{"alpha_vantage_api_key", "env-alpha"},
                         {"brapi_token", "env-brapi"},
                         {"itick_api_key", ""}};
        QTest::newRow("last valid line wins")
            << StringMap{}
            << QStringLiteral("brapi_token=one\nbrapi_token=two\nbrapi_token=YOUR_BRAPI_TOKEN_HERE\n"
                              "newsapi_api_key=n1\nnewsapi_api_key=n2\nnewsapi_api_key=\n")
            << StringMap{{"alpha_vantage_api_key", ""},
                         {"brapi_token", "two"},
                         {"itick_api_key", ""},
                         {"newsapi_api_key", "n2"}};
        QTest::newRow("other keys: empty ones are not stored, unknown ones are")
            << StringMap{} << QStringLiteral("finnhub_api_key=\nmy_own_key=x\n")
            << StringMap{{"alpha_vantage_api_key", ""},
                         {"brapi_token", ""},
                         {"itick_api_key", ""},
                         {"my_own_key", "x"}};
        QTest::newRow("hidden_columns is not a key")
            << StringMap{} << QStringLiteral("hidden_columns=3,4\n") << none;
        QTest::newRow("unrelated variables are ignored")
            << StringMap{{"MVX_FINNHUB_API_KEY", "x"}, {"ALPHA_VANTAGE_API_KEY", "y"}} << QString() << none;
    }

    void precedence()
    {
        QFETCH(StringMap, environment);
        QFETCH(QString, file);
        QFETCH(StringMap, expected);
        LocalSettings settings;
        applyEnvironmentApiKeys(settings, environmentOf(environment));
        applyKeyFileEntries(settings, parseKeyFileText(file));
        QCOMPARE(keysOf(settings), expected);
    }

    void hiddenColumnsLineIsHandedBack()
    {
        LocalSettings settings;
        QCOMPARE(applyKeyFileEntries(settings, parseKeyFileText(QStringLiteral("k=v\n"))), std::nullopt);
        const auto hidden = applyKeyFileEntries(
            settings, parseKeyFileText(QStringLiteral("hidden_columns=1,2\nhidden_columns=\n")));
        QVERIFY(hidden.has_value());
        QCOMPARE(*hidden, QString()); // the last line wins, even empty
    }

    void writtenFile()
    {
        LocalSettings settings;
        settings.alphaVantageApiKey = QStringLiteral("AV");
        settings.brapiToken = QStringLiteral("BR");
        settings.configValues.insert(QStringLiteral("newsapi_api_key"), QStringLiteral("N=1"));
        settings.configValues.insert(QStringLiteral("not_in_catalogue"), QStringLiteral("dropped"));
        settings.configValues.insert(QStringLiteral("hidden_columns"), QStringLiteral("3"));
        settings.configValues.insert(QStringLiteral("brapi_token"), QStringLiteral("shadowed"));
        const QString expected = QStringLiteral("# MURVEX_TERMINAL local keys. Do not commit this file.\n"
                                                "alpha_vantage_api_key=AV\n"
                                                "itick_api_key=\n"
                                                "brapi_token=BR\n"
                                                "polygon_api_key=\n"
                                                "finnhub_api_key=\n"
                                                "twelvedata_api_key=\n"
                                                "iex_cloud_api_key=\n"
                                                "financial_modeling_prep_api_key=\n"
                                                "tiingo_api_key=\n"
                                                "eodhd_api_key=\n"
                                                "marketstack_api_key=\n"
                                                "murvex_news_endpoint=\n"
                                                "murvex_news_token=\n"
                                                "newsapi_api_key=N=1\n"
                                                "binance_api_key=\n"
                                                "binance_api_secret=\n");
        QCOMPARE(keyFileText(settings), expected);
    }

    void lineBreaksNeverReachTheFile_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("LF in a named key") << "itick_api_key"
                                           << "abc\nbrapi_token=evil";
        QTest::newRow("CR in a named key") << "alpha_vantage_api_key"
                                           << "abc\rx=y";
        QTest::newRow("CRLF in another key") << "finnhub_api_key"
                                             << "abc\r\nx=y";
        QTest::newRow("line separator") << "newsapi_api_key" << QString::fromUtf8("abc\u2028x=y");
        QTest::newRow("vertical tab") << "binance_api_secret"
                                      << "abc\vx";
    }

    void lineBreaksNeverReachTheFile()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        LocalSettings settings;
        setApiKeyValue(settings, key, value);
        setApiKeyValue(settings, QStringLiteral("tiingo_api_key"), QStringLiteral("kept"));
        QVERIFY(containsLineBreak(value));
        const QString text = keyFileText(settings);
        QVERIFY(!text.contains(QStringLiteral("x=y")));
        QVERIFY(!text.contains(QStringLiteral("evil")));
        QVERIFY(!text.contains(key + QLatin1Char('=')));
        QCOMPARE(text.count(QLatin1Char('\n')), 16); // header and the 15 other keys, one line each
        QVERIFY(text.contains(QStringLiteral("\ntiingo_api_key=kept\n")));
        // The value itself is still what the requests get.
        QCOMPARE(apiKeyValue(settings, key), value);
    }

    void roundTripThroughText()
    {
        LocalSettings written;
        const QList<ApiKeySpec> catalogue = apiKeyCatalog();
        for (int i = 0; i < catalogue.size(); ++i)
            setApiKeyValue(written, catalogue.at(i).configKey, QStringLiteral("value-%1=x").arg(i));
        setApiKeyValue(written, QStringLiteral("my_own_key"), QStringLiteral("gone after a save"));
        LocalSettings read;
        applyKeyFileEntries(read, parseKeyFileText(keyFileText(written)));
        StringMap expected = keysOf(written);
        expected.remove(QStringLiteral("my_own_key"));
        QCOMPARE(keysOf(read), expected);

        // A cleared key comes back as nothing held (iTick as an empty field).
        setApiKeyValue(written, QStringLiteral("itick_api_key"), QString());
        setApiKeyValue(written, QStringLiteral("finnhub_api_key"), QString());
        LocalSettings again;
        again.itickApiKey = QStringLiteral("from environment");
        applyKeyFileEntries(again, parseKeyFileText(keyFileText(written)));
        QCOMPARE(again.itickApiKey, QString());
        QVERIFY(!again.configValues.contains(QStringLiteral("finnhub_api_key")));
    }

    void settingAndReadingKeys()
    {
        LocalSettings settings;
        setApiKeyValue(settings, QStringLiteral("brapi_token"), QStringLiteral("b"));
        setApiKeyValue(settings, QStringLiteral("finnhub_api_key"), QStringLiteral("f"));
        QCOMPARE(apiKeyValue(settings, QStringLiteral("brapi_token")), QStringLiteral("b"));
        QCOMPARE(apiKeyValue(settings, QStringLiteral("finnhub_api_key")), QStringLiteral("f"));
        QCOMPARE(apiKeyValue(settings, QStringLiteral("absent")), QString());
        QVERIFY(!settings.configValues.contains(QStringLiteral("brapi_token")));

        setApiKeyValue(settings, QStringLiteral("brapi_token"), QString());
        setApiKeyValue(settings, QStringLiteral("finnhub_api_key"), QString());
        QVERIFY(settings.brapiToken.isEmpty());
        QVERIFY(settings.configValues.isEmpty());
        // The named keys are always present for the requests, even empty.
        QCOMPARE(effectiveApiKeyValues(settings).keys(),
                 (QStringList{"alpha_vantage_api_key", "brapi_token", "itick_api_key"}));
    }

    void redaction_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("secrets");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no secrets") << "limit reached" << QStringList{} << "limit reached";
        QTest::newRow("echoed key, twice")
            << "Thank you for using Alpha Vantage! key ABCD1234EFGH used; ABCD1234EFGH is over its limit"
            << QStringList{"ABCD1234EFGH"}
            << "Thank you for using Alpha Vantage! key *** used; *** is over its limit";
        QTest::newRow("exactly eight characters")
            << "token 12345678 bad" << QStringList{"12345678"} << "token *** bad";
        QTest::newRow("seven characters are left")
            << "token 1234567 bad" << QStringList{"1234567"} << "token 1234567 bad";
        QTest::newRow("several secrets, empty ones ignored")
            << "a=aaaaaaaa b=bbbbbbbbbb" << QStringList{"", "aaaaaaaa", "bbbbbbbbbb"} << "a=*** b=***";
        QTest::newRow("a secret inside another goes with it")
            << "x longsecret-and-more y" << QStringList{"longsecret", "longsecret-and-more"} << "x *** y";
        QTest::newRow("percent-encoded echo")
            << "url ?apikey=ab%2Bcd%2Fef%3D" << QStringList{"ab+cd/ef="} << "url ?apikey=***";
        QTest::newRow("untrimmed secret, trimmed echo")
            << "key secret99 seen" << QStringList{" secret99\n"} << "key *** seen";
        QTest::newRow("case differs: another text")
            << "key ABCDEFGH" << QStringList{"abcdefgh"} << "key ABCDEFGH";
    }

    void redaction()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, secrets);
        QFETCH(QString, expected);
        QCOMPARE(redactSecrets(text, secrets), expected);
    }
};

MVX_TEST_MAIN(TestApiKeys)
#include "test_api_keys.moc"
