#include "tests/support/recorded_replies.h"
#include "tests/support/test_main.h"
#include "watchlist/builtin_universe.h"
#include "watchlist/symbol_universe.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrlQuery>

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray exchangeList(int tradingUsdtPairs, const QJsonArray &extra = {})
{
    QJsonArray symbols = extra;
    for (int i = 0; i < tradingUsdtPairs; ++i) {
        const QString base = i == 0 ? QStringLiteral("BTC") : QStringLiteral("C%1").arg(i);
        symbols.append(QJsonObject{
            {"symbol", base + "USDT"}, {"status", "TRADING"}, {"baseAsset", base}, {"quoteAsset", "USDT"}});
    }
    return QJsonDocument(QJsonObject{{"timezone", "UTC"}, {"symbols", symbols}}).toJson();
}

QByteArray searchReply(const QJsonArray &quotes)
{
    return QJsonDocument(QJsonObject{{"quotes", quotes}, {"news", QJsonArray()}}).toJson();
}
} // namespace

class TestSymbolUniverse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void universeLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("plain") << "petr4.sa"
                               << "PETR4.SA";
        QTest::newRow("blanks") << "  aapl \t"
                                << "AAPL";
        QTest::newRow("comment") << "# B3 list"
                                 << "";
        QTest::newRow("empty") << "   "
                               << "";
        QTest::newRow("header") << "Symbol,Name"
                                << "";
        QTest::newRow("header any case") << "SYMBOL"
                                         << "";
        QTest::newRow("semicolon") << "vale3.sa;Vale"
                                   << "VALE3.SA";
        QTest::newRow("tab") << "msft\tMicrosoft"
                             << "MSFT";
        QTest::newRow("first separator wins") << "a;b,c"
                                              << "A";
        QTest::newRow("blank before comma") << "  itub4.sa , Itau"
                                            << "ITUB4.SA";
        QTest::newRow("nothing before comma") << ",AAPL"
                                              << "";
        QTest::newRow("index") << "^bvsp"
                               << "^BVSP";
    }

    void universeLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, symbol);
        QCOMPARE(universeLineSymbol(line), symbol);
    }

    void directoriesInOrderWithoutDuplicates()
    {
        const QStringList dirs = universeDirectoriesFor(QStringLiteral("/opt/mvx/bin"));
        QCOMPARE(dirs,
                 (QStringList{"/opt/mvx/bin/data/universe", "/opt/mvx/bin/share/MURVEX_TERMINAL/universe",
                              "/opt/mvx/bin/../share/MURVEX_TERMINAL/universe",
                              "/usr/local/share/MURVEX_TERMINAL/universe",
                              "/usr/share/MURVEX_TERMINAL/universe"}));
        // An application whose directory is /usr names the system directory twice: it is listed once.
        const QStringList usr = universeDirectoriesFor(QStringLiteral("/usr"));
        QCOMPARE(usr, (QStringList{"/usr/data/universe", "/usr/share/MURVEX_TERMINAL/universe",
                                   "/usr/../share/MURVEX_TERMINAL/universe",
                                   "/usr/local/share/MURVEX_TERMINAL/universe"}));
    }

    void filesReadInDirectoryNameAndLineOrder()
    {
        QTemporaryDir root;
        writeFile(root.filePath("one/b.txt"), "ZZZ1\nAAA1\n");
        writeFile(root.filePath("one/a.csv"), "Symbol,Name\nmmm,Thing\n");
        writeFile(root.filePath("one/skip.json"), "JSON\n");
        writeFile(root.filePath("two/c.txt"), "# comment\r\nvale3.sa;Vale\r\n\r\n");
        const QStringList symbols =
            readUniverseFiles({root.filePath("one"), root.filePath("missing"), root.filePath("two")});
        QCOMPARE(symbols, (QStringList{"MMM", "ZZZ1", "AAA1", "VALE3.SA"}));
    }

    void oneDirectoryReachedTwiceIsReadOnce()
    {
        QTemporaryDir root;
        writeFile(root.filePath("list/x.txt"), "XYZ\n");
        QVERIFY(QFile::link(root.filePath("list"), root.filePath("alias")));
        QVERIFY(QDir().mkpath(root.filePath("other")));
        QVERIFY(QFile::link(root.filePath("list/x.txt"), root.filePath("other/y.txt")));
        const QStringList symbols =
            readUniverseFiles({root.filePath("list"), root.filePath("alias"), root.filePath("list/../list"),
                               root.filePath("other")});
        QCOMPARE(symbols, QStringList{"XYZ"});
    }

    void overlongLinesAreSkipped()
    {
        QTemporaryDir root;
        QByteArray bytes = "FIRST\n";
        bytes += QByteArray(kUniverseMaxLineLength + 1, 'A') + "\n";
        bytes += QByteArray(200000, '\x01') + "\n"; // a stray binary blob
        bytes += QByteArray(kUniverseMaxLineLength, 'B') + "\n";
        bytes += "LAST";
        writeFile(root.filePath("u/blob.txt"), bytes);
        const QStringList symbols = readUniverseFiles({root.filePath("u")});
        // The line at the length limit is read, and then refused as a symbol far over the symbol limit.
        QCOMPARE(symbols, (QStringList{"FIRST", "LAST"}));
    }

    void classificationLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("sector"); // empty: the symbol has none
        QTest::newRow("blanks around sector") << QByteArray("petr4.sa, Energy ,x\n") << "PETR4.SA"
                                              << "Energy";
        QTest::newRow("semicolon is one field") << QByteArray("PETR4.SA;Energy\n") << "PETR4.SA"
                                                << "";
        QTest::newRow("header") << QByteArray("symbol,sector\n") << "SYMBOL"
                                << "";
        QTest::newRow("header padded is data") << QByteArray(" Symbol,Odd\n") << "SYMBOL"
                                               << "";
        QTest::newRow("comment") << QByteArray("#AAPL,Tech\n") << "#AAPL"
                                 << "";
        QTest::newRow("empty sector") << QByteArray("AAPL, \n") << "AAPL"
                                      << "";
        QTest::newRow("later line wins") << QByteArray("AAPL,Tech\naapl,Hardware\n") << "AAPL"
                                         << "Hardware";
        QTest::newRow("case of sector kept") << QByteArray("vale3.sa,Basic materials\n") << "VALE3.SA"
                                             << "Basic materials";
    }

    void classificationLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, symbol);
        QFETCH(QString, sector);
        QTemporaryDir root;
        writeFile(root.filePath("classification.csv"), content);
        const QMap<QString, QString> sectors = readClassificationFile(root.filePath("classification.csv"));
        QCOMPARE(sectors.value(symbol), sector);
        if (sector.isEmpty())
            QVERIFY(sectors.isEmpty());
    }

    void onlyTheFirstClassificationFileCounts()
    {
        QTemporaryDir root;
        writeFile(root.filePath("a/keep.txt"), "X\n");
        writeFile(root.filePath("b/classification.csv"), "AAPL,Tech\n");
        writeFile(root.filePath("c/classification.csv"), "MSFT,Software\n");
        const QStringList dirs = {root.filePath("missing"), root.filePath("a"), root.filePath("b"),
                                  root.filePath("c")};
        QCOMPARE(findClassificationFile(dirs), root.filePath("b/classification.csv"));
        QCOMPARE(readClassificationFile(findClassificationFile(dirs)).keys(), QStringList{"AAPL"});
        // Both files still add their first column to the universe.
        QCOMPARE(readUniverseFiles(dirs), (QStringList{"X", "AAPL", "MSFT"}));
        QVERIFY(readClassificationFile(QString()).isEmpty());
        QVERIFY(findClassificationFile({root.filePath("a")}).isEmpty());
    }

    void acceptableSymbols_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "AAPL" << true;
        QTest::newRow("index") << "^GSPC" << true;
        QTest::newRow("64 chars") << QString(64, 'A') << true;
        QTest::newRow("65 chars") << QString(65, 'A') << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blank inside") << "BRK B" << false;
        QTest::newRow("tab") << "A\tB" << false;
        QTest::newRow("newline") << "A\nB" << false;
        QTest::newRow("control") << QString("A") + QChar(0x7f) << false;
        QTest::newRow("nul") << QString("A") + QChar(0) << false;
        QTest::newRow("right-to-left override") << QString::fromUtf8("\u202eLPAA") << false;
        QTest::newRow("zero-width space") << QString::fromUtf8("TS\u200bLA") << false;
        QTest::newRow("no-break space") << QString::fromUtf8("BRK\u00a0B") << false;
        QTest::newRow("lone surrogate") << QString("AB") + QChar(0xd800) << false;
    }

    void acceptableSymbols()
    {
        QFETCH(QString, symbol);
        QFETCH(bool, accepted);
        QCOMPARE(isAcceptableUniverseSymbol(symbol), accepted);
    }

    // Every way in from outside refuses what the watchlist refuses; a symbol that looks like AAPL but
    // is not must not reach the completer from any of them.
    void outsideSymbolsKeepTheWatchlistRule_data()
    {
        QTest::addColumn<QString>("symbol"); // upper case already
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "NEWCO" << true;
        QTest::newRow("60 characters") << QString(60, 'N') << true;
        QTest::newRow("right-to-left override") << QString::fromUtf8("\u202eLPAA") << false;
        QTest::newRow("zero-width space") << QString::fromUtf8("TS\u200bLA") << false;
        QTest::newRow("escape") << QString("AB\x1b[2J") << false;
        QTest::newRow("65 characters") << QString(65, 'N') << false;
        QTest::newRow("87 with an override")
            << QString::fromUtf8("\u202e") + QString(86, 'M') << false; // as a movers reply once held
    }

    void outsideSymbolsKeepTheWatchlistRule()
    {
        QFETCH(QString, symbol);
        QFETCH(bool, accepted);
        const QStringList expected = accepted ? QStringList{symbol} : QStringList{};

        QCOMPARE(
            parseSymbolSearchReply(searchReply({QJsonObject{{"symbol", symbol}, {"quoteType", "EQUITY"}}})),
            expected);

        const QString pair = symbol + QStringLiteral("USDT");
        const CryptoExchangeList list = parseCryptoExchangeList(exchangeList(
            0, {QJsonObject{
                   {"symbol", pair}, {"status", "TRADING"}, {"baseAsset", symbol}, {"quoteAsset", "USDT"}}}));
        QCOMPARE(list.pairs, accepted ? QStringList{pair} : QStringList{});
        QCOMPARE(list.bases, expected);

        QCOMPARE(universeLineSymbol(symbol.toLower() + QStringLiteral(";Company")),
                 accepted ? symbol : QString());
        QTemporaryDir root;
        writeFile(root.filePath("u/list.txt"), symbol.toUtf8() + "\n");
        writeFile(root.filePath("u/classification.csv"), symbol.toUtf8() + ",Energy\n");
        const QStringList fromFiles = accepted ? QStringList{symbol, symbol} : QStringList{};
        QCOMPARE(readUniverseFiles({root.filePath("u")}), fromFiles);
        QCOMPARE(readClassificationFile(root.filePath("u/classification.csv")).keys(), expected);

        QStringList universe;
        QSet<QString> members;
        QCOMPARE(appendNewUniverseSymbols(universe, members, {symbol}), accepted ? 1 : 0);
        QCOMPARE(universe, expected);
    }

    void exchangeListKeepsTradingUsdtPairs()
    {
        const QJsonArray extra = {
            QJsonObject{
                {"symbol", "ETHBTC"}, {"status", "TRADING"}, {"baseAsset", "ETH"}, {"quoteAsset", "BTC"}},
            QJsonObject{
                {"symbol", "OLDUSDT"}, {"status", "BREAK"}, {"baseAsset", "OLD"}, {"quoteAsset", "USDT"}},
            QJsonObject{{"symbol", "BAD PAIRUSDT"},
                        {"status", "TRADING"},
                        {"baseAsset", "BAD"},
                        {"quoteAsset", "USDT"}},
            QJsonObject{{"symbol", "NOBASEUSDT"}, {"status", "TRADING"}, {"quoteAsset", "USDT"}},
            QJsonValue(42)};
        const CryptoExchangeList list = parseCryptoExchangeList(exchangeList(400, extra));
        QVERIFY(list.wellFormed);
        QCOMPARE(list.pairs.size(), 401);
        QCOMPARE(list.pairs.first(), QStringLiteral("NOBASEUSDT"));
        QCOMPARE(list.pairs.at(1), QStringLiteral("BTCUSDT"));
        QCOMPARE(list.bases.size(), 400);
        QVERIFY(!list.bases.contains(QString()));
    }

    void malformedExchangeLists_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("wellFormed");
        QTest::newRow("not json") << QByteArray("<html>502</html>") << false;
        QTest::newRow("array") << QByteArray("[]") << false;
        QTest::newRow("no symbols") << QByteArray("{\"code\":-1121}") << false;
        QTest::newRow("symbols not array") << QByteArray("{\"symbols\":{}}") << false;
        QTest::newRow("empty symbols") << QByteArray("{\"symbols\":[]}") << true;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void malformedExchangeLists()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, wellFormed);
        const CryptoExchangeList list = parseCryptoExchangeList(body);
        QCOMPARE(list.wellFormed, wellFormed);
        QVERIFY(list.pairs.isEmpty());
        QVERIFY(list.bases.isEmpty());
    }

    void searchReplyKeepsAcceptedTypes()
    {
        QJsonArray quotes;
        const QStringList types = {"EQUITY", "ETF",    "INDEX", "CRYPTOCURRENCY", "CURRENCY", "MUTUALFUND",
                                   "FUTURE", "equity", ""};
        for (int i = 0; i < types.size(); ++i)
            quotes.append(QJsonObject{{"symbol", QStringLiteral("S%1").arg(i)}, {"quoteType", types.at(i)}});
        quotes.append(QJsonObject{{"quoteType", "EQUITY"}});
        quotes.append(QJsonObject{{"symbol", "TWO WORDS"}, {"quoteType", "EQUITY"}});
        quotes.append(QJsonValue("garbage"));
        QCOMPARE(parseSymbolSearchReply(searchReply(quotes)), (QStringList{"S0", "S1", "S2", "S3", "S4"}));
        QVERIFY(parseSymbolSearchReply("not json").isEmpty());
        QVERIFY(parseSymbolSearchReply("{\"quotes\":7}").isEmpty());
    }

    void searchReplyReadsAtMostTwentyQuotes()
    {
        QJsonArray quotes;
        for (int i = 0; i < 5000; ++i)
            quotes.append(QJsonObject{{"symbol", QStringLiteral("Q%1").arg(i)}, {"quoteType", "EQUITY"}});
        const QStringList symbols = parseSymbolSearchReply(searchReply(quotes));
        QCOMPARE(symbols.size(), kSymbolSearchQuoteCount);
        QCOMPARE(symbols.last(), QStringLiteral("Q19"));
    }

    void searchTextIsOneQueryValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "abcd3";
        QTest::newRow("ampersand") << "a&quotesCount=5000";
        QTest::newRow("hash") << "brk#b";
        QTest::newRow("plus") << "a+b";
        QTest::newRow("percent") << "100%25";
        QTest::newRow("blanks") << "petro bras";
        QTest::newRow("equals") << "q=x";
        QTest::newRow("unicode") << QString::fromUtf8("ação");
    }

    void searchTextIsOneQueryValue()
    {
        QFETCH(QString, text);
        const QUrl url = symbolSearchUrl(QStringLiteral("http://127.0.0.1:9"), text);
        QCOMPARE(url.path(), QStringLiteral("/v1/finance/search"));
        QVERIFY(url.fragment().isEmpty());
        const QUrlQuery query(url);
        const auto items = query.queryItems(QUrl::FullyDecoded);
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.at(0).first, QStringLiteral("q"));
        QCOMPARE(items.at(0).second, text);
        QCOMPARE(items.at(1), qMakePair(QStringLiteral("quotesCount"), QStringLiteral("20")));
        QCOMPARE(items.at(2), qMakePair(QStringLiteral("newsCount"), QStringLiteral("0")));
    }

    void b3Guess_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("guess");
        QTest::newRow("five") << "petr4"
                              << "PETR4.SA";
        QTest::newRow("six") << "taee11"
                             << "TAEE11.SA";
        QTest::newRow("no digit") << "abcd"
                                  << "";
        QTest::newRow("dot") << "abc3.sa"
                             << "";
        QTest::newRow("four") << "abc3"
                              << "";
        QTest::newRow("seven") << "abcdef3"
                               << "";
        QTest::newRow("letter last") << "abcd3x"
                                     << "";
    }

    void b3Guess()
    {
        QFETCH(QString, text);
        QFETCH(QString, guess);
        QCOMPARE(guessedB3Symbol(text), guess);
    }

    void appendingSkipsMembersAndSorting()
    {
        QStringList universe;
        QSet<QString> members;
        QCOMPARE(appendNewUniverseSymbols(universe, members, builtinSymbolUniverse()), 295);
        QCOMPARE(appendNewUniverseSymbols(universe, members, {" btcusdt ", "", "^bvsp", "^BVSP", "zzz"}), 2);
        sortUniverse(universe);
        QCOMPARE(universe.first(), QStringLiteral("^BVSP"));
        QCOMPARE(universe.last(), QStringLiteral("ZZZ"));
        QCOMPARE(universe.count(QStringLiteral("BTCUSDT")), 1);
        QCOMPARE(members.size(), universe.size());
    }

    void completionEntries_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("entry");
        QTest::newRow("us") << "AAPL"
                            << "AAPL  (US)";
        QTest::newRow("b3") << "PETR4.SA"
                            << "PETR4.SA  (B3)";
        QTest::newRow("forex code") << "BRL=X"
                                    << "USD/BRL  (Forex)";
        QTest::newRow("crypto") << "BTCUSDT"
                                << "BTCUSDT  (Crypto)";
        QTest::newRow("slash pair") << "USD/BRL"
                                    << "USD/BRL  (US)";
    }

    void completionEntries()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, entry);
        QCOMPARE(completionEntry(symbol), entry);
    }

    void recordedSearchReplies_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("mustHave");
        QTest::newRow("AAPL") << "yahoo/search_v1_q_AAPL_with_news.json" << QStringList{"AAPL"};
        QTest::newRow("EURUSD=X") << "yahoo/search_v1_q_EURUSD_X.json" << QStringList{"EURUSD=X"};
        QTest::newRow("apple") << "yahoo/search_v1_q_apple_raw.json" << QStringList{"AAPL"};
        QTest::newRow("error 400") << "yahoo/search_v1_error_400_missing_q.json" << QStringList{};
    }

    void recordedSearchReplies()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, mustHave);
        if (realDataDirectory().isEmpty())
            QSKIP("recorded replies are not available");
        const QByteArray body = recordedBody(file);
        QVERIFY(!body.isEmpty());
        const QStringList symbols = parseSymbolSearchReply(body);
        for (const QString &symbol : mustHave)
            QVERIFY2(symbols.contains(symbol), qPrintable(symbols.join(',')));
        QVERIFY(symbols.size() <= kSymbolSearchQuoteCount);
        for (const QString &symbol : symbols)
            QVERIFY(isAcceptableUniverseSymbol(symbol));
        if (mustHave.isEmpty())
            QVERIFY(symbols.isEmpty());
    }

    void recordedExchangeListExcerpt()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("recorded replies are not available");
        const QJsonObject element =
            QJsonDocument::fromJson(
                recordedBody("binance/rest_exchangeInfo_symbol_BTCUSDT_testnet_recorded_excerpt.json"))
                .object();
        QVERIFY(!element.isEmpty());
        const QByteArray body = QJsonDocument(QJsonObject{{"symbols", QJsonArray{element}}}).toJson();
        const CryptoExchangeList list = parseCryptoExchangeList(body);
        QVERIFY(list.wellFormed);
        QCOMPARE(list.pairs, QStringList{"BTCUSDT"});
        QCOMPARE(list.bases, QStringList{"BTC"});
    }
};

MVX_TEST_MAIN(TestSymbolUniverse)
#include "test_symbol_universe.moc"
