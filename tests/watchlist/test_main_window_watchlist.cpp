#include "shell/main_window.h"
#include "tests/support/quote_request_log.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>

namespace {
QString watchlistPath(const TempHome &home)
{
    return home.appConfigDir() + QStringLiteral("/watchlists/default.json");
}

QStringList tableSymbols(const MainWindow &window)
{
    QStringList out;
    for (int row = 0; row < window.quoteTable->rowCount(); ++row)
        out << window.quoteTable->item(row, QuoteColumnSymbol)->text();
    return out;
}

QString cell(const MainWindow &window, const QString &symbol, int column)
{
    const int row = window.findSymbolRow(symbol);
    const QTableWidgetItem *item = row >= 0 ? window.quoteTable->item(row, column) : nullptr;
    return item ? item->text() : QStringLiteral("<none>");
}

QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(TempHome::readFile(path)).object();
}

QStringList fileSymbols(const QString &path)
{
    QStringList out;
    for (const QJsonValue &value : readJson(path).value("symbols").toArray())
        out << value.toObject().value("symbol").toString();
    return out;
}

QByteArray watchlistFile(const QList<QPair<QString, QString>> &rows)
{
    QJsonArray symbols;
    for (const auto &row : rows)
        symbols.append(QJsonObject{{"symbol", row.first}, {"provider", row.second}});
    return QJsonDocument(QJsonObject{{"name", "Default"}, {"symbols", symbols}}).toJson();
}

const QStringList kDefaults = {"PETR4.SA", "VALE3.SA", "AAPL", "NVDA", "BTCUSDT", "ETHUSDT", "BRL=X"};
} // namespace

class TestMainWindowWatchlist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartSeedsTheDefaultsAndWritesTheFile()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(tableSymbols(window), kDefaults);
        QCOMPARE(cell(window, "PETR4.SA", QuoteColumnAsset), QStringLiteral("BR Equity"));
        QCOMPARE(cell(window, "PETR4.SA", QuoteColumnSource), QStringLiteral("Yahoo"));
        QCOMPARE(cell(window, "BTCUSDT", QuoteColumnSource), QStringLiteral("Binance WS"));
        QCOMPARE(cell(window, "BRL=X", QuoteColumnAsset), QStringLiteral("Forex"));
        for (const QString &symbol : kDefaults) {
            // The first row is selected at the end of start-up, and selecting a row asks for its quote.
            QCOMPARE(cell(window, symbol, QuoteColumnStatus),
                     symbol == kDefaults.first() ? QStringLiteral("loading") : QStringLiteral("pending"));
            QCOMPARE(cell(window, symbol, QuoteColumnLast), QStringLiteral("--"));
            QCOMPARE(cell(window, symbol, QuoteColumnLatency), QStringLiteral("--"));
        }
        const QJsonObject file = readJson(watchlistPath(home));
        QCOMPARE(file.value("name").toString(), QStringLiteral("Default"));
        QCOMPARE(fileSymbols(watchlistPath(home)), kDefaults);
        const QJsonArray symbols = file.value("symbols").toArray();
        QCOMPARE(symbols.at(0).toObject().value("asset_class").toString(), QStringLiteral("equity_br"));
        QCOMPARE(symbols.at(0).toObject().value("provider").toString(), QStringLiteral("yahoo"));
        QCOMPARE(symbols.at(4).toObject().value("provider").toString(), QStringLiteral("binance"));
        QCOMPARE(symbols.at(6).toObject().value("asset_class").toString(), QStringLiteral("forex"));
    }

    void aBrapiTokenMakesB3RowsBrapiRows()
    {
        TempHome home;
        qputenv("MVX_BRAPI_TOKEN", "token-for-test");
        MainWindow window;
        qunsetenv("MVX_BRAPI_TOKEN");
        QCOMPARE(cell(window, "PETR4.SA", QuoteColumnSource), QStringLiteral("BrAPI"));
        QCOMPARE(cell(window, "AAPL", QuoteColumnSource), QStringLiteral("Yahoo"));
        QCOMPARE(readJson(watchlistPath(home)).value("symbols").toArray().at(1).toObject().value("provider"),
                 QJsonValue("brapi"));
        // Typed in, a B3 symbol reads Yahoo until its first quote, whatever the token.
        window.symbolInput->setText(QStringLiteral("itub4"));
        window.addSymbolFromInput();
        QCOMPARE(cell(window, "ITUB4.SA", QuoteColumnSource), QStringLiteral("Yahoo"));
    }

    void loadingKeepsTheFileOrderNormalisesAndSkipsDuplicates()
    {
        TempHome home;
        QDir().mkpath(QFileInfo(watchlistPath(home)).absolutePath());
        QFile file(watchlistPath(home));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(watchlistFile({{"vale3.sa", "yahoo"},
                                  {"petr4", "brapi"},
                                  {"PETR4.SA", "yahoo"},
                                  {"  ", "yahoo"},
                                  {"BTCUSDT", "BINANCE"},
                                  {"usd/brl", ""},
                                  {"AAPL", "nonsense"},
                                  {"ETH/USDT", "twelvedata"}}));
        file.close();

        MainWindow window;
        // Not re-sorted by any column: the rows stand as the file lists them.
        QCOMPARE(tableSymbols(window),
                 (QStringList{"VALE3.SA", "PETR4.SA", "BTCUSDT", "BRL=X", "AAPL", "ETH/USDT"}));
        QCOMPARE(cell(window, "PETR4.SA", QuoteColumnSource), QStringLiteral("BrAPI"));
        QCOMPARE(cell(window, "BTCUSDT", QuoteColumnSource), QStringLiteral("Binance WS"));
        QCOMPARE(cell(window, "BRL=X", QuoteColumnSource), QStringLiteral("Yahoo"));
        QCOMPARE(cell(window, "BRL=X", QuoteColumnAsset), QStringLiteral("Forex"));
        QCOMPARE(cell(window, "AAPL", QuoteColumnSource), QStringLiteral("Yahoo"));
        QCOMPARE(cell(window, "ETH/USDT", QuoteColumnSource), QStringLiteral("Twelve Data"));
        QCOMPARE(window.quoteTable->currentRow(), 0); // the first row is selected at the end of start-up
        // Saved again, each row gets its class and default provider, whatever the file said.
        window.saveWatchlist();
        const QJsonArray saved = readJson(watchlistPath(home)).value("symbols").toArray();
        QCOMPARE(saved.at(5).toObject(),
                 (QJsonObject{{"symbol", "ETH/USDT"}, {"asset_class", "crypto"}, {"provider", "binance"}}));
        QCOMPARE(saved.at(1).toObject().value("provider").toString(), QStringLiteral("yahoo"));
    }

    void addingMovingAndRemovingRowsIsSavedAndReloaded()
    {
        TempHome home;
        {
            MainWindow window;
            window.symbolInput->setText(QStringLiteral(" msft "));
            window.addSymbolFromInput();
            QVERIFY(window.symbolInput->text().isEmpty());
            // Added as "pending" and selected, which asks for its quote at once.
            QCOMPARE(cell(window, "MSFT", QuoteColumnStatus), QStringLiteral("loading"));
            QCOMPARE(window.selectedSymbol(), QStringLiteral("MSFT"));
            QCOMPARE(fileSymbols(watchlistPath(home)), kDefaults + QStringList{"MSFT"});

            window.symbolInput->setText(QStringLiteral("msft")); // already a row: nothing at all
            window.addSymbolFromInput();
            QCOMPARE(window.symbolInput->text(), QStringLiteral("msft"));
            QCOMPARE(window.quoteTable->rowCount(), 8);

            window.moveWatchlistRow(7, 0);
            QCOMPARE(fileSymbols(watchlistPath(home)).first(), QStringLiteral("MSFT"));

            window.quoteTable->selectRow(window.findSymbolRow(QStringLiteral("NVDA")));
            window.removeSelectedSymbol();
            QCOMPARE(fileSymbols(watchlistPath(home)),
                     (QStringList{"MSFT", "PETR4.SA", "VALE3.SA", "AAPL", "BTCUSDT", "ETHUSDT", "BRL=X"}));
        }
        MainWindow again;
        QCOMPARE(tableSymbols(again),
                 (QStringList{"MSFT", "PETR4.SA", "VALE3.SA", "AAPL", "BTCUSDT", "ETHUSDT", "BRL=X"}));
    }

    void aHeaderSortIsSavedAsTheOrderShown()
    {
        TempHome home;
        {
            MainWindow window;
            window.quoteTable->horizontalHeader()->setSortIndicator(QuoteColumnSymbol, Qt::AscendingOrder);
            window.saveWatchlist();
            QCOMPARE(fileSymbols(watchlistPath(home)),
                     (QStringList{"AAPL", "BRL=X", "BTCUSDT", "ETHUSDT", "NVDA", "PETR4.SA", "VALE3.SA"}));
            // A row added while sorted lands where the sort puts it, and is saved there.
            window.symbolInput->setText(QStringLiteral("msft"));
            window.addSymbolFromInput();
            QCOMPARE(window.selectedSymbol(), QStringLiteral("MSFT"));
            QCOMPARE(fileSymbols(watchlistPath(home)).indexOf(QStringLiteral("MSFT")), 4);
        }
        MainWindow again;
        QCOMPARE(tableSymbols(again), (QStringList{"AAPL", "BRL=X", "BTCUSDT", "ETHUSDT", "MSFT", "NVDA",
                                                   "PETR4.SA", "VALE3.SA"}));
    }

    void aFileWithoutUsableRowsGivesTheDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("keptAside");
        QTest::newRow("empty array") << QByteArray(R"({"name": "Default", "symbols": []})") << false;
        QTest::newRow("no array") << QByteArray(R"({"name": "Default"})") << false;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("not json") << QByteArray("PETR4.SA\nAAPL\n") << true;
        QTest::newRow("entries without symbols")
            << QByteArray(R"({"symbols": [{"ticker": "AAPL"}, 3]})") << true;
        QTest::newRow("symbols as text") << QByteArray(R"({"symbols": "MSFT,TSLA"})") << true;
        QTest::newRow("symbols as an object")
            << QByteArray(R"({"symbols": {"MSFT": {"provider": "yahoo"}}})") << true;
    }

    void aFileWithoutUsableRowsGivesTheDefaults()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, keptAside);
        TempHome home;
        QDir().mkpath(QFileInfo(watchlistPath(home)).absolutePath());
        QFile file(watchlistPath(home));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        MainWindow window;
        QCOMPARE(tableSymbols(window), kDefaults);
        QCOMPARE(fileSymbols(watchlistPath(home)), kDefaults); // the unusable file is replaced at once
        const QStringList copies = QDir(QFileInfo(watchlistPath(home)).absolutePath())
                                       .entryList({QStringLiteral("default.json.unreadable-*")}, QDir::Files);
        QCOMPARE(copies.size(), keptAside ? 1 : 0);
        if (keptAside) {
            const QString copy =
                QFileInfo(watchlistPath(home)).absolutePath() + QLatin1Char('/') + copies.first();
            QCOMPARE(TempHome::readFile(copy), content);
            QVERIFY(window.eventConsole->toPlainText().contains(copy));
        }
    }

    // Something at the file's path that cannot be opened (a directory: no one can read it as a file,
    // root included) is moved aside before the defaults take its place.
    void aFileThatCannotBeOpenedIsMovedAside()
    {
        TempHome home;
        const QString inside = home.writeFile(
            QDir(home.path()).relativeFilePath(watchlistPath(home)) + QStringLiteral("/mine.txt"), "AAPL");
        MainWindow window;
        QCOMPARE(tableSymbols(window), kDefaults);
        const QString folder = QFileInfo(watchlistPath(home)).absolutePath();
        const QStringList aside =
            QDir(folder).entryList({QStringLiteral("default.json.unreadable-*")}, QDir::Dirs);
        QCOMPARE(aside.size(), 1);
        const QString moved = folder + QLatin1Char('/') + aside.first();
        QCOMPARE(TempHome::readFile(moved + QStringLiteral("/mine.txt")), QByteArray("AAPL"));
        QVERIFY(!QFileInfo::exists(inside));
        QVERIFY(window.eventConsole->toPlainText().contains(moved));
        QCOMPARE(fileSymbols(watchlistPath(home)), kDefaults);
    }

    // Entries that would show as another symbol (control and format characters) or flood the console
    // and the status bar (longer than 64 characters) get no row; the console says how many went. The
    // next save drops them from the file, so the file as it was is kept aside and named first.
    void unsafeEntriesAreSkipped_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("NUL inside") << QStringLiteral("AA") + QChar(0) + QStringLiteral("PL");
        QTest::newRow("escape sequence") << QStringLiteral("\x1b[2JAAPL");
        QTest::newRow("right-to-left override") << QString(QChar(0x202E)) + QStringLiteral("LPAA");
        QTest::newRow("zero-width space") << QStringLiteral("AA") + QChar(0x200B) + QStringLiteral("PL");
        QTest::newRow("65 characters") << QString(65, QLatin1Char('B'));
        QTest::newRow("100,000 characters") << QString(100000, QLatin1Char('A'));
    }

    void unsafeEntriesAreSkipped()
    {
        QFETCH(QString, entry);
        TempHome home;
        const QString longest(64, QLatin1Char('C'));
        const QByteArray original = watchlistFile({{"MSFT", "yahoo"}, {entry, "yahoo"}, {longest, "yahoo"}});
        home.writeFile(QDir(home.path()).relativeFilePath(watchlistPath(home)), original);
        MainWindow window;
        QCOMPARE(tableSymbols(window), (QStringList{QStringLiteral("MSFT"), longest}));
        const QString console = window.eventConsole->toPlainText();
        QVERIFY2(console.contains(QStringLiteral("1 watchlist entries skipped")), qPrintable(console));
        QVERIFY(console.size() < 2000);
        window.saveWatchlist();
        QCOMPARE(fileSymbols(watchlistPath(home)), (QStringList{QStringLiteral("MSFT"), longest}));

        const QString folder = QFileInfo(watchlistPath(home)).absolutePath();
        const QStringList copies =
            QDir(folder).entryList({QStringLiteral("default.json.unreadable-*")}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        const QString copy = folder + QLatin1Char('/') + copies.first();
        QCOMPARE(TempHome::readFile(copy), original);
        QVERIFY2(console.contains(copy), qPrintable(console));
    }

    void theSymbolBoxRefusesUnsafeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("right-to-left override") << QString(QChar(0x202E)) + QStringLiteral("LPAA");
        QTest::newRow("escape") << QStringLiteral("\x1b") + QStringLiteral("MSFT");
        QTest::newRow("too long") << QString(5000, QLatin1Char('Z'));
    }

    void theSymbolBoxRefusesUnsafeText()
    {
        QFETCH(QString, text);
        TempHome home;
        MainWindow window;
        window.symbolInput->setText(text);
        window.addSymbolFromInput();
        QCOMPARE(tableSymbols(window), kDefaults);
        const QString console = window.eventConsole->toPlainText();
        QVERIFY2(console.contains(QStringLiteral("Symbol refused")), qPrintable(console));
        QVERIFY(!console.contains(text));
    }

    void theLegacyFileIsReadUntilTheNewOneExists()
    {
        TempHome home;
        home.writeFile(QStringLiteral("app/data/watchlists/default.json"),
                       watchlistFile({{"NVDA", "yahoo"}, {"AAPL", "yahoo"}}));
        {
            MainWindow window;
            QCOMPARE(tableSymbols(window), (QStringList{"NVDA", "AAPL"}));
            QVERIFY(!QFile::exists(watchlistPath(home))); // loading alone writes nothing
            window.moveWatchlistRow(1, 0);
            QCOMPARE(fileSymbols(watchlistPath(home)), (QStringList{"AAPL", "NVDA"}));
        }
        MainWindow again;
        QCOMPARE(tableSymbols(again), (QStringList{"AAPL", "NVDA"}));
        QCOMPARE(fileSymbols(home.path() + QStringLiteral("/app/data/watchlists/default.json")),
                 (QStringList{"NVDA", "AAPL"})); // the legacy file is never written
    }

    void aDownloadedWatchlistReplacesTheRows()
    {
        TempHome home;
        MainWindow window;
        window.candlesBySymbol[QStringLiteral("AAPL")] = {Candle{}};
        QuoteRequestLog asked(window);
        window.applyWatchlistJson(
            QJsonDocument::fromJson(watchlistFile({{"btcusdt", "binance"}, {"aapl", ""}})).object());
        QCOMPARE(tableSymbols(window), (QStringList{"BTCUSDT", "AAPL"}));
        QCOMPARE(fileSymbols(watchlistPath(home)), (QStringList{"BTCUSDT", "AAPL"}));
        QCOMPARE(window.candlesBySymbol.value(QStringLiteral("AAPL")).size(), 1); // candles are kept
        QCOMPARE(asked.count(QStringLiteral("AAPL")), 1);                         // and a full refresh runs

        window.applyWatchlistJson(QJsonObject{{"symbols", QJsonArray()}});
        QCOMPARE(tableSymbols(window), kDefaults);
        QCOMPARE(fileSymbols(watchlistPath(home)), kDefaults);
    }

    void theSyncPayloadIsTheFileObject()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.buildWatchlistJson(), readJson(watchlistPath(home)));
    }
};

MVX_TEST_MAIN(TestMainWindowWatchlist)
#include "test_main_window_watchlist.moc"
