#include "tests/support/test_main.h"
#include "watchlist/builtin_universe.h"
#include "watchlist/symbol_rules.h"

namespace {
enum class B3Bases
{
    None,
    Builtin
};

QStringList b3Bases(B3Bases which)
{
    return which == B3Bases::Builtin ? b3BaseSymbolsFrom(builtinSymbolUniverse()) : QStringList();
}
} // namespace

Q_DECLARE_METATYPE(B3Bases)

class TestSymbolRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void normalize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("cryptoBases");
        QTest::addColumn<B3Bases>("b3");
        QTest::addColumn<QString>("expected");

        const QStringList fallback; // the exchange list has not arrived
        const QStringList exchange = {QStringLiteral("BTC"), QStringLiteral("SEI")};
        const auto row = [](const char *tag, const QString &text, const QStringList &crypto, B3Bases b3,
                            const QString &expected) {
            QTest::newRow(tag) << text << crypto << b3 << expected;
        };

        row("empty", QString(), fallback, B3Bases::Builtin, QString());
        row("only blanks", QStringLiteral("    "), fallback, B3Bases::Builtin, QString());
        row("only white space", QStringLiteral(" \t\n "), fallback, B3Bases::Builtin, QString());
        row("separator with nothing before it", QStringLiteral("  (B3)"), fallback, B3Bases::Builtin,
            QStringLiteral("(B3)"));

        // B3 tickers are completed only from the known bases, and only when bare.
        row("b3 lower case", QStringLiteral("petr4"), fallback, B3Bases::Builtin, QStringLiteral("PETR4.SA"));
        row("b3 padded", QStringLiteral("  vale3 "), fallback, B3Bases::Builtin, QStringLiteral("VALE3.SA"));
        row("b3 with suffix", QStringLiteral("PETR4.SA"), fallback, B3Bases::Builtin,
            QStringLiteral("PETR4.SA"));
        row("b3 suffix lower case", QStringLiteral("petr4.sa"), fallback, B3Bases::Builtin,
            QStringLiteral("PETR4.SA"));
        row("b3 without bases", QStringLiteral("PETR4"), fallback, B3Bases::None, QStringLiteral("PETR4"));
        row("b3 unknown ticker", QStringLiteral("ABCD3"), fallback, B3Bases::Builtin,
            QStringLiteral("ABCD3"));

        // Crypto bases: the fixed list stands in only while the exchange's list is empty.
        row("crypto fallback", QStringLiteral("btc"), fallback, B3Bases::Builtin, QStringLiteral("BTCUSDT"));
        row("crypto exchange list", QStringLiteral("btc"), exchange, B3Bases::Builtin,
            QStringLiteral("BTCUSDT"));
        row("crypto not in fallback", QStringLiteral("SEI"), fallback, B3Bases::Builtin,
            QStringLiteral("SEI"));
        row("crypto from exchange list", QStringLiteral("sei"), exchange, B3Bases::Builtin,
            QStringLiteral("SEIUSDT"));
        row("exchange list replaces fallback", QStringLiteral("DOGE"), exchange, B3Bases::Builtin,
            QStringLiteral("DOGE"));
        row("crypto pair stays", QStringLiteral("btcusdt"), fallback, B3Bases::Builtin,
            QStringLiteral("BTCUSDT"));
        row("crypto base is exact", QStringLiteral("BTC2"), fallback, B3Bases::Builtin,
            QStringLiteral("BTC2"));

        // Forex pairs in every spelling end as one code.
        row("usd/brl", QStringLiteral("usd/brl"), fallback, B3Bases::Builtin, QStringLiteral("BRL=X"));
        row("usd / brl", QStringLiteral("USD / BRL"), fallback, B3Bases::Builtin, QStringLiteral("BRL=X"));
        row("usdbrl", QStringLiteral("USDBRL"), fallback, B3Bases::Builtin, QStringLiteral("BRL=X"));
        row("usdbrl=x", QStringLiteral("USDBRL=X"), fallback, B3Bases::Builtin, QStringLiteral("BRL=X"));
        row("eur/usd", QStringLiteral("eur/usd"), fallback, B3Bases::Builtin, QStringLiteral("EURUSD=X"));
        row("eurusd", QStringLiteral("EURUSD"), fallback, B3Bases::Builtin, QStringLiteral("EURUSD=X"));
        row("brl/usd", QStringLiteral("BRL/USD"), fallback, B3Bases::Builtin, QStringLiteral("BRLUSD=X"));
        row("usdjpy=x", QStringLiteral("USDJPY=X"), fallback, B3Bases::Builtin, QStringLiteral("JPY=X"));
        row("eur=x", QStringLiteral("EUR=X"), fallback, B3Bases::Builtin, QStringLiteral("EUR=X"));
        row("equal codes with slash", QStringLiteral("USD/USD"), fallback, B3Bases::Builtin,
            QStringLiteral("USD/USD"));
        row("equal codes", QStringLiteral("USDUSD"), fallback, B3Bases::Builtin, QStringLiteral("USDUSD"));
        row("equal codes as forex code", QStringLiteral("USDUSD=X"), fallback, B3Bases::Builtin,
            QStringLiteral("USD=X"));
        row("pair with a blank as separator", QStringLiteral("USD BRL"), fallback, B3Bases::Builtin,
            QStringLiteral("BRL=X"));

        // Completer entries are cut back to their symbol.
        row("entry forex", QStringLiteral("USD/BRL  (Forex)"), fallback, B3Bases::Builtin,
            QStringLiteral("BRL=X"));
        row("entry crypto", QStringLiteral("BTCUSDT  (Crypto)"), fallback, B3Bases::Builtin,
            QStringLiteral("BTCUSDT"));
        row("entry b3", QStringLiteral("PETR4.SA  (B3)"), fallback, B3Bases::Builtin,
            QStringLiteral("PETR4.SA"));
        row("entry cut at first separator", QStringLiteral("AAPL  (US)  (X)"), fallback, B3Bases::Builtin,
            QStringLiteral("AAPL"));
        row("one blank is no separator", QStringLiteral("AAPL (US)"), fallback, B3Bases::Builtin,
            QStringLiteral("AAPL(US)"));

        // Blanks are removed, nothing else is rewritten.
        row("crypto pair with slash", QStringLiteral("ETH/USDT"), fallback, B3Bases::Builtin,
            QStringLiteral("ETH/USDT"));
        row("blank inside", QStringLiteral("BRK B"), fallback, B3Bases::Builtin, QStringLiteral("BRKB"));
        row("dash kept", QStringLiteral("brk-b"), fallback, B3Bases::Builtin, QStringLiteral("BRK-B"));
        row("index", QStringLiteral("^gspc"), fallback, B3Bases::Builtin, QStringLiteral("^GSPC"));
        row("tab inside kept", QStringLiteral("A\tB"), fallback, B3Bases::Builtin, QStringLiteral("A\tB"));

        // Order of the rules: forex before crypto, crypto before B3.
        row("forex before crypto", QStringLiteral("USDBRL"), {QStringLiteral("USDBRL")}, B3Bases::Builtin,
            QStringLiteral("BRL=X"));
    }

    void normalize()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, cryptoBases);
        QFETCH(B3Bases, b3);
        QFETCH(QString, expected);
        QCOMPARE(normalizeSymbol(text, cryptoBases, b3Bases(b3)), expected);
    }

    void normalizeCryptoBeforeB3()
    {
        const QStringList both = {QStringLiteral("ABC")};
        QCOMPARE(normalizeSymbol(QStringLiteral("abc"), both, both), QStringLiteral("ABCUSDT"));
        QCOMPARE(normalizeSymbol(QStringLiteral("abc"), {QStringLiteral("XYZ")}, both),
                 QStringLiteral("ABC.SA"));
        // A dotted text is never completed to a B3 ticker, even when listed.
        QCOMPARE(normalizeSymbol(QStringLiteral("a.b"), {}, {QStringLiteral("A.B")}), QStringLiteral("A.B"));
    }

    void normalizeIsStable_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text : {"petr4", "btc", "usd/brl", "USDJPY=X", "eur/usd  (Forex)", "BRK B", "^bvsp",
                                 "ETH/USDT", "USDUSD=X", "Straße", "  x  y  "})
            QTest::newRow(text) << QString::fromUtf8(text);
    }

    void normalizeIsStable()
    {
        // Stored symbols are normalised again when read back; that must not change them.
        QFETCH(QString, text);
        const QStringList b3 = b3Bases(B3Bases::Builtin);
        const QString once = normalizeSymbol(text, {}, b3);
        QCOMPARE(normalizeSymbol(once, {}, b3), once);
    }

    void parseForexPair_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *text, const char *expected) {
            QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(expected);
        };
        row("USD/BRL", "BRL=X");
        row("USDBRL", "BRL=X");
        row("EUR/USD", "EURUSD=X");
        row("BRL/USD", "BRLUSD=X");
        row("EURGBP", "EURGBP=X");
        row("USD//BRL", "BRL=X");
        row("/USD/BRL/", "BRL=X");
        row("USD/BRL/EUR", "");
        row("/BRL", "");
        row("/", "");
        row("USD/USD", "");
        row("ETH/USDT", "");
        row("AAPL", "");
        row("USDBR", "");
        row("USDBRLX", "");
        row("usdbrl", ""); // membership is case-sensitive
        row("XXXYYY", "");
        // Texts already ending in "=X" are never emptied.
        row("USDJPY=X", "JPY=X");
        row("USDUSD=X", "USD=X");
        row("EURUSD=X", "EURUSD=X");
        row("BRLUSD=X", "BRLUSD=X");
        row("JPY=X", "JPY=X");
        row("=X", "=X");
        row("USDXYZ=X", "USDXYZ=X");
        row("USD/BRL=X", "USD/BRL=X");
    }

    void parseForexPair()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(::parseForexPair(text), expected);
    }

    void currencyTable()
    {
        const QStringList codes = knownCurrencyCodes();
        QCOMPARE(codes.size(), 26);
        QCOMPARE(codes.first(), QStringLiteral("USD"));
        QCOMPARE(codes.last(), QStringLiteral("INR"));
        QCOMPARE(QSet<QString>(codes.cbegin(), codes.cend()).size(), 26);
        for (const QString &code : codes)
            QVERIFY2(isKnownCurrency(code), qPrintable(code));
        for (const char *code : {"usd", "Usd", "USDT", "US", "", "XXX", " USD"})
            QVERIFY2(!isKnownCurrency(QString::fromLatin1(code)), code);

        QCOMPARE(defaultCryptoBases().size(), 24);
        QCOMPARE(defaultCryptoBases().first(), QStringLiteral("BTC"));
        QCOMPARE(defaultCryptoBases().last(), QStringLiteral("AAVE"));
    }

    void classify_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("assetClass");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("label");
        const auto row = [](const char *symbol, const char *assetClass, const char *key, const char *label) {
            QTest::newRow(symbol) << QString::fromLatin1(symbol) << QString::fromLatin1(assetClass)
                                  << QString::fromLatin1(key) << QString::fromLatin1(label);
        };
        row("PETR4.SA", "BR Equity", "equity_br", "B3");
        row("BTCUSDT", "Crypto", "crypto", "Crypto");
        row("ETHBUSD", "Crypto", "crypto", "Crypto");
        row("SOLUSDC", "Crypto", "crypto", "Crypto");
        row("ETH/USDT", "Crypto", "crypto", "Crypto");
        row("BRL=X", "Forex", "forex", "Forex");
        row("EURUSD=X", "Forex", "forex", "Forex");
        row("AAPL", "US Equity", "equity_us", "US");
        row("BRK-B", "US Equity", "equity_us", "US");
        row("^GSPC", "US Equity", "equity_us", "US Index");
        row("^", "US Equity", "equity_us", "US Index");
        row("USD/BRL", "US Equity", "equity_us", "US"); // not normalised: no rule for "/"
        row("", "US Equity", "equity_us", "US");
        // Suffix tests are case-sensitive and the first matching rule wins.
        row("petr4.sa", "US Equity", "equity_us", "US");
        row("btcusdt", "US Equity", "equity_us", "US");
        row("brl=x", "US Equity", "equity_us", "US");
        row("USDT.SA", "BR Equity", "equity_br", "B3");
        row("^BVSP.SA", "BR Equity", "equity_br", "B3");
        row("X=XUSDT", "Crypto", "crypto", "Crypto");
        row("USDT=X", "Forex", "forex", "Forex");
    }

    void classify()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, assetClass);
        QFETCH(QString, key);
        QFETCH(QString, label);
        QCOMPARE(classifySymbol(symbol), assetClass);
        QCOMPARE(assetClassKey(symbol), key);
        QCOMPARE(marketLabelForSymbol(symbol), label);
    }

    // The text as given decides on hidden characters; the canonical symbol decides on length.
    void acceptableSymbols_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << QStringLiteral("AAPL") << true;
        QTest::newRow("blanks around") << QStringLiteral("  petr4.sa ") << true;
        QTest::newRow("completion label is not the symbol")
            << QStringLiteral("AAPL  (US) ") + QString(80, QLatin1Char('x')) << true;
        QTest::newRow("accented") << QString::fromUtf8("AÇÃO") << true;
        QTest::newRow("64 characters") << QString(64, QLatin1Char('A')) << true;
        QTest::newRow("65 characters") << QString(65, QLatin1Char('A')) << false;
        QTest::newRow("NUL") << QStringLiteral("AA") + QChar(0) + QStringLiteral("PL") << false;
        QTest::newRow("tab") << QStringLiteral("AA\tPL") << false;
        QTest::newRow("escape") << QStringLiteral("\x1b[31mAAPL") << false;
        QTest::newRow("right-to-left override") << QString(QChar(0x202E)) + QStringLiteral("LPAA") << false;
        QTest::newRow("byte-order mark") << QString(QChar(0xFEFF)) + QStringLiteral("AAPL") << false;
        QTest::newRow("format character beyond the BMP")
            << QStringLiteral("AAPL") + QString::fromUcs4(U"\U000E0041") << false;
        QTest::newRow("lone surrogate") << QStringLiteral("AA") + QChar(0xDC00) << false;
        QTest::newRow("empty") << QString() << false;
    }

    void acceptableSymbols()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(isAcceptableSymbol(text, normalizeSymbol(text, {}, {})), accepted);
    }

    void forexDisplay_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("displaySymbol");
        const auto row = [](const char *tag, const char *symbol, const char *name, const char *pair) {
            QTest::newRow(tag) << QString::fromLatin1(symbol) << QString::fromLatin1(name)
                               << QString::fromLatin1(pair);
        };
        row("dollar in reais", "BRL=X", "USD/BRL", "USD/BRL");
        row("padded lower case", "  brl=x ", "  brl=x ", "USD/BRL");
        row("six-letter code", "EURUSD=X", "EUR/USD", "EUR/USD");
        row("six-letter lower case", "eurusd=x", "eurusd=x", "EUR/USD");
        row("three-letter code", "JPY=X", "JPY=X", "JPY");
        row("equity", "AAPL", "AAPL", "AAPL");
        row("equity lower case", " aapl ", " aapl ", "AAPL");
        row("already a pair", "USD/BRL", "USD/BRL", "USD/BRL");
        row("bare suffix", "=X", "=X", "");
        row("seven letters", "ABCDEFG=X", "ABCDEFG=X", "ABCDEFG");
        row("six of anything", "AB/DEF=X", "AB//DEF", "AB//DEF");
        row("empty", "", "", "");
    }

    void forexDisplay()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, displayName);
        QFETCH(QString, displaySymbol);
        QCOMPARE(forexDisplayName(symbol), displayName);
        QCOMPARE(forexDisplaySymbol(symbol), displaySymbol);
    }

    void b3BasesFromUniverse()
    {
        const QStringList universe = {QStringLiteral("PETR4.SA"), QStringLiteral("AAPL"),
                                      QStringLiteral("PETR4.SA"), QStringLiteral("petr4.sa"),
                                      QStringLiteral("VALE3.SA"), QStringLiteral("X.SA.SA"),
                                      QStringLiteral("BRL=X")};
        QCOMPARE(b3BaseSymbolsFrom(universe),
                 QStringList({QStringLiteral("PETR4"), QStringLiteral("VALE3"), QStringLiteral("X.SA")}));
        QVERIFY(b3BaseSymbolsFrom({}).isEmpty());
    }
};

MVX_TEST_MAIN(TestSymbolRules)
#include "test_symbol_rules.moc"
