#include "shell/main_window.h"
#include "tests/providers/quote_road_fixture.h"
#include "tests/support/loopback_services.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/test_main.h"
#include "watchlist/builtin_universe.h"

#include <QCompleter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QUrlQuery>

namespace {
const QString kSearchPath = QStringLiteral("/v1/finance/search");
const QString kExchangePath = QStringLiteral("/api/v3/exchangeInfo");

QStringList completions(MainWindow &window, const QString &typed)
{
    QCompleter *completer = window.symbolInput->completer();
    completer->setCompletionPrefix(typed);
    QStringList out;
    for (bool more = completer->setCurrentRow(0); more;
         more = completer->setCurrentRow(completer->currentRow() + 1))
        out << completer->currentCompletion();
    return out;
}

QByteArray exchangeList(int pairs)
{
    QJsonArray symbols;
    for (int i = 0; i < pairs; ++i) {
        const QString base = i == 0 ? QStringLiteral("BTC") : QStringLiteral("COIN%1").arg(i);
        symbols.append(QJsonObject{
            {"symbol", base + "USDT"}, {"status", "TRADING"}, {"baseAsset", base}, {"quoteAsset", "USDT"}});
    }
    return QJsonDocument(QJsonObject{{"symbols", symbols}}).toJson();
}

QByteArray searchReply(const QStringList &symbols, const QString &type = QStringLiteral("EQUITY"))
{
    QJsonArray quotes;
    for (const QString &symbol : symbols)
        quotes.append(QJsonObject{{"symbol", symbol}, {"quoteType", type}});
    return QJsonDocument(QJsonObject{{"quotes", quotes}}).toJson();
}

bool consoleHas(const MainWindow &window, const QString &text)
{
    return window.eventConsole->toPlainText().contains(text);
}

int unfinishedReplies(MainWindow &window)
{
    const auto replies = window.networkManager.findChildren<QNetworkReply *>();
    return int(std::count_if(replies.cbegin(), replies.cend(),
                             [](const QNetworkReply *reply) { return !reply->isFinished(); }));
}
} // namespace

class TestMainWindowUniverse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutDirectoriesTheUniverseIsTheBuiltInList()
    {
        TempHome home;
        MainWindow window;
        QStringList expected = builtinSymbolUniverse();
        std::sort(expected.begin(), expected.end(),
                  [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(window.symbolUniverse.size(), 295);
        QCOMPARE(window.symbolUniverse, expected);
        QCOMPARE(window.completerModel->stringList().size(), 295);
        QVERIFY(window.completerModel->stringList().contains(QStringLiteral("USD/BRL  (Forex)")));
        QCOMPARE(window.b3BaseSymbols.size(), 122);
        QCOMPARE(window.symbolInput->completer()->filterMode(), Qt::MatchContains);
        QCOMPARE(window.symbolInput->completer()->caseSensitivity(), Qt::CaseInsensitive);
    }

    void typingPetrOffersBothTickers()
    {
        TempHome home;
        MainWindow window;
        const QStringList offered = completions(window, QStringLiteral("petr"));
        QCOMPARE(offered, (QStringList{"PETR3.SA  (B3)", "PETR4.SA  (B3)"}));
        // "contains": the typed text may stand anywhere in the entry.
        QVERIFY(completions(window, QStringLiteral("brl")).contains(QStringLiteral("USD/BRL  (Forex)")));
    }

    // Lists are taken beside the program only: a folder the terminal is started from must not plant
    // symbols or sectors.
    void universeFilesAndSectorsBesideTheProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("read");
        QTest::newRow("program directory") << "app" << true;
        QTest::newRow("working directory") << "work" << false;
    }

    void universeFilesAndSectorsBesideTheProgram()
    {
        QFETCH(QString, folder);
        QFETCH(bool, read);
        TempHome home;
        home.writeFile(folder + QStringLiteral("/data/universe/extra.txt"),
                       "# local list\nSymbol\n^bvsp\nvale3.sa;Vale\nabev3.sa\nxpto11.sa\n\n");
        home.writeFile(folder + QStringLiteral("/data/universe/classification.csv"),
                       "symbol,sector\npetr4.sa, Energy ,x\nNEWCO3.SA,Utilities\n");
        MainWindow window;
        if (!read) {
            QCOMPARE(window.symbolUniverse.size(), 295);
            QVERIFY(!window.b3BaseSymbols.contains(QStringLiteral("XPTO11")));
            QVERIFY(window.sectorBySymbol.isEmpty());
            return;
        }
        QCOMPARE(window.symbolUniverse.first(), QStringLiteral("^BVSP"));
        QCOMPARE(window.symbolUniverse.size(), 295 + 3); // ^BVSP, XPTO11.SA and NEWCO3.SA are new
        QCOMPARE(window.symbolUniverse.count(QStringLiteral("VALE3.SA")), 1);
        QVERIFY(window.symbolUniverse.contains(QStringLiteral("NEWCO3.SA")));
        QVERIFY(window.b3BaseSymbols.contains(QStringLiteral("XPTO11")));
        QCOMPARE(window.normalizeSymbol(QStringLiteral("xpto11")), QStringLiteral("XPTO11.SA"));
        QCOMPARE(window.sectorBySymbol.value(QStringLiteral("PETR4.SA")), QStringLiteral("Energy"));
        QCOMPARE(window.sectorBySymbol.value(QStringLiteral("NEWCO3.SA")), QStringLiteral("Utilities"));
    }

    void universeFileLinesKeepTheWatchlistRule()
    {
        TempHome home;
        home.writeFile(
            QStringLiteral("app/data/universe/planted.txt"),
            QString::fromUtf8("\u202eLPAA\nTS\u200bLA\n%1\nGOODCO\n").arg(QString(65, 'X')).toUtf8());
        MainWindow window;
        QCOMPARE(window.symbolUniverse.size(), 295 + 1);
        QVERIFY(window.symbolUniverse.contains(QStringLiteral("GOODCO")));
    }

    void pausedTypingSendsOneSearchForTheLastText()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kSearchPath, FakeReply::hanging());
        MainWindow window;
        services.server().clearRequests();
        window.onSymbolSearchEdited(QStringLiteral("ab"));
        window.onSymbolSearchEdited(QStringLiteral(" abcd3 "));
        QTRY_COMPARE(services.server().requestsFor(kSearchPath).size(), 1);
        const RecordedRequest request = services.server().requestsFor(kSearchPath).first();
        QCOMPARE(request.query, QStringLiteral("q=abcd3&quotesCount=20&newsCount=0"));
        QCOMPARE(request.header("User-Agent"), QByteArray("MURVEX_TERMINAL/0.1 Qt"));
        // The guess is offered at once, before any reply.
        QVERIFY(window.completerModel->stringList().contains(QStringLiteral("ABCD3.SA  (B3)")));
        QTest::qWait(450);
        QCOMPARE(services.server().requestsFor(kSearchPath).size(), 1);
    }

    void shortOrUnguessableTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("requests");
        QTest::newRow("one character") << "a" << 0;
        QTest::newRow("blanks around one") << "  a  " << 0;
        QTest::newRow("no final digit") << "abcd" << 1;
        QTest::newRow("has a dot") << "abc3.sa" << 1;
        QTest::newRow("guess with an override") << QString::fromUtf8("ab\u202ec3") << 1;
    }

    void shortOrUnguessableTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, requests);
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kSearchPath, FakeReply::json(searchReply({})));
        MainWindow window;
        services.server().clearRequests();
        window.requestSymbolSearch(text);
        if (requests)
            QTRY_COMPARE(services.server().requestsFor(kSearchPath).size(), requests);
        else
            QTest::qWait(100);
        QCOMPARE(services.server().requestsFor(kSearchPath).size(), requests);
        QCOMPARE(window.symbolUniverse.size(), 295);
    }

    void searchResultsAreMergedByType()
    {
        TempHome home;
        LoopbackServices services;
        QJsonArray quotes = {
            QJsonObject{{"symbol", "NEWETF"}, {"quoteType", "ETF"}},
            QJsonObject{{"symbol", "FUND1"}, {"quoteType", "MUTUALFUND"}},
            QJsonObject{{"symbol", "ESM25.CME"}, {"quoteType", "FUTURE"}},
            QJsonObject{{"symbol", "aapl"}, {"quoteType", "EQUITY"}},
            QJsonObject{{"symbol", QString::fromUtf8("\u202eLPAA")}, {"quoteType", "EQUITY"}},
            QJsonObject{{"symbol", QString::fromUtf8("TS\u200bLA")}, {"quoteType", "EQUITY"}}};
        services.server().setReply(kSearchPath,
                                   FakeReply::json(QJsonDocument(QJsonObject{{"quotes", quotes}}).toJson()));
        MainWindow window;
        window.requestSymbolSearch(QStringLiteral("new"));
        QTRY_VERIFY(window.symbolUniverse.contains(QStringLiteral("NEWETF")));
        QVERIFY(!window.symbolUniverse.contains(QStringLiteral("FUND1")));
        QVERIFY(!window.symbolUniverse.contains(QStringLiteral("ESM25.CME")));
        QCOMPARE(window.symbolUniverse.count(QStringLiteral("AAPL")), 1);
        QVERIFY(window.completerModel->stringList().contains(QStringLiteral("NEWETF  (US)")));
        // Look-alikes of AAPL and TSLA are not offered: only NEWETF was new.
        QCOMPARE(window.symbolUniverse.size(), 295 + 1);
        QCOMPARE(window.completerModel->stringList().size(), 295 + 1);
    }

    void recordedSearchReplyReachesTheCompleter()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("recorded replies are not available");
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kSearchPath,
                                   recordedReply(QStringLiteral("yahoo/search_v1_q_apple_raw.json")));
        MainWindow window;
        const int before = window.symbolUniverse.size();
        window.onSymbolSearchEdited(QStringLiteral("apple"));
        QTRY_VERIFY(window.symbolUniverse.size() > before);
        QVERIFY(window.completerModel->stringList().size() == window.symbolUniverse.size());
    }

    // The search shares its host with the Yahoo quotes: searches typed against a search that hangs must
    // not hold every connection to it.
    void aHangingSearchDoesNotDelayAQuote()
    {
        QuoteRoad road;
        road.server.setReply(kSearchPath, FakeReply::hanging());
        road.server.setReply(RoadPath::yahoo(QStringLiteral("AAPL")),
                             FakeReply::json(RoadReply::yahoo(187.5)));
        road.addRow(QStringLiteral("AAPL"));
        for (const char *typed : {"ap", "app", "appl", "apple", "apple i", "apple in", "apple inc", "aapl"})
            road.w().requestSymbolSearch(QString::fromLatin1(typed));
        QTRY_VERIFY(!road.server.requestsFor(kSearchPath).isEmpty());
        road.w().requestQuote(QStringLiteral("AAPL"));
        QTRY_COMPARE(road.server.requestsFor(RoadPath::yahoo(QStringLiteral("AAPL"))).size(), 1);
        QTRY_COMPARE(road.source(QStringLiteral("AAPL")), QStringLiteral("Yahoo Public"));
        QCOMPARE(road.status(QStringLiteral("AAPL")), QStringLiteral("free/delayed"));
    }

    void aNewerSearchEndsTheOlderOne()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kSearchPath, FakeReply::hanging());
        MainWindow window;
        window.marketDataStarted = true; // only the searches below reach the server
        window.requestSymbolSearch(QStringLiteral("first"));
        QTRY_COMPARE(services.server().openHeldConnections(), 1);
        window.requestSymbolSearch(QStringLiteral("second"));
        QTRY_COMPARE(services.server().requestsFor(kSearchPath).size(), 2);
        QCOMPARE(unfinishedReplies(window), 1);
        QTRY_COMPARE(services.server().openHeldConnections(), 1);
        QVERIFY(
            services.server().requestsFor(kSearchPath).last().query.startsWith(QLatin1String("q=second")));
    }

    // Neither request waits forever on a host that never answers: each ends at the quotes' limit and
    // gives its connection back, changing nothing.
    void hangingSearchAndPairListEndAtTheTransferLimit_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("symbol search") << kSearchPath;
        QTest::newRow("pair list") << kExchangePath;
    }

    void hangingSearchAndPairListEndAtTheTransferLimit()
    {
        QFETCH(QString, path);
        TempHome home;
        LoopbackServices services;
        services.server().setReply(path, FakeReply::hanging());
        MainWindow window;
        window.marketDataStarted = true;
        window.quoteTransferLimitMs = 200;
        const QStringList universe = window.symbolUniverse;
        if (path == kSearchPath)
            window.requestSymbolSearch(QStringLiteral("zz"));
        else
            window.requestCryptoUniverse();
        QTRY_COMPARE(services.server().requestsFor(path).size(), 1);
        QTRY_COMPARE(unfinishedReplies(window), 0);
        QTRY_COMPARE(services.server().openHeldConnections(), 0);
        QCOMPARE(window.symbolUniverse, universe);
        QVERIFY(!consoleHas(window, QStringLiteral("Crypto universe loaded")));
    }

    void failedSearchesChangeNothing()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kSearchPath, FakeReply::json(searchReply({"ZZZZ"}), 500));
        MainWindow window;
        window.requestSymbolSearch(QStringLiteral("zz"));
        QTRY_COMPARE(services.server().requestsFor(kSearchPath).size(), 1);
        QTest::qWait(100);
        QVERIFY(!window.symbolUniverse.contains(QStringLiteral("ZZZZ")));
    }

    void exchangeListLoadsPairsAndBases()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kExchangePath, FakeReply::json(exchangeList(400)));
        MainWindow window;
        QTRY_VERIFY(consoleHas(window, QStringLiteral("Crypto universe loaded: 400 Binance USDT pairs")));
        QCOMPARE(window.symbolUniverse.count(QStringLiteral("BTCUSDT")), 1);
        QCOMPARE(window.symbolUniverse.size(), 295 + 399);
        QCOMPARE(window.cryptoBaseAssets.size(), 400);
        QCOMPARE(window.completerModel->stringList().count(QStringLiteral("BTCUSDT  (Crypto)")), 1);
        QVERIFY(
            completions(window, QStringLiteral("coin399")).contains(QStringLiteral("COIN399USDT  (Crypto)")));
        QCOMPARE(window.normalizeSymbol(QStringLiteral("coin7")), QStringLiteral("COIN7USDT"));
    }

    void badExchangeListsKeepTheGoodOne_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("logged"); // empty: nothing is logged
        QTest::newRow("no pairs") << QByteArray("{\"symbols\":[]}") << 200
                                  << "Crypto universe loaded: 0 Binance USDT pairs";
        QTest::newRow("not an object")
            << QByteArray("[1,2]") << 200 << "Crypto universe loaded: 0 Binance USDT pairs";
        QTest::newRow("garbage") << QByteArray("\x00\xff<html>") << 200
                                 << "Crypto universe loaded: 0 Binance USDT pairs";
        QTest::newRow("http error") << exchangeList(3) << 503 << QString();
    }

    void badExchangeListsKeepTheGoodOne()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, logged);
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kExchangePath, FakeReply::json(exchangeList(5)));
        MainWindow window;
        QTRY_VERIFY(consoleHas(window, QStringLiteral("Crypto universe loaded: 5 Binance USDT pairs")));
        const QStringList bases = window.cryptoBaseAssets;
        const QStringList universe = window.symbolUniverse;
        window.eventConsole->clear();
        services.server().setReply(kExchangePath, FakeReply::json(body, status));
        services.server().clearRequests();
        window.requestCryptoUniverse();
        QTRY_COMPARE(services.server().requestsFor(kExchangePath).size(), 1);
        if (logged.isEmpty())
            QTest::qWait(150);
        else
            QTRY_VERIFY(consoleHas(window, logged));
        QCOMPARE(window.cryptoBaseAssets, bases);
        QCOMPARE(window.symbolUniverse, universe);
        if (logged.isEmpty())
            QVERIFY(!consoleHas(window, QStringLiteral("Crypto universe loaded")));
    }

    void portugueseLogLine()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(kExchangePath, FakeReply::json(exchangeList(2)));
        MainWindow window;
        window.setLanguage(QStringLiteral("pt_BR"));
        window.requestCryptoUniverse();
        QTRY_VERIFY(consoleHas(window, QStringLiteral("Universo crypto carregado: 2 pares USDT Binance")));
    }
};

MVX_TEST_MAIN(TestMainWindowUniverse)
#include "test_main_window_universe.moc"
