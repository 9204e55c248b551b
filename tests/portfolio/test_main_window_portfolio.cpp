#include "shell/main_window.h"
#include "tests/portfolio/portfolio_readers.h"
#include "tests/support/loopback_services.h"
#include "tests/support/test_main.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>

namespace {
// A quote refreshes the portfolio in a later turn, and no more often than the window's rebuild interval
// while quotes keep coming: waits until the refresh asked for has run.
void waitForPortfolioRefresh(MainWindow &window)
{
    QCoreApplication::processEvents();
    QTRY_VERIFY(!window.portfolioRefreshCall.isPending());
}

QString settingsPath(const TempHome &home)
{
    return home.appConfigDir() + QStringLiteral("/local.json");
}

void writeSettings(const TempHome &home, const QJsonObject &object)
{
    home.writeFile(QStringLiteral(".config/Murvex/Terminal Murvex/local.json"),
                   QJsonDocument(object).toJson());
}

QJsonObject readSettings(const TempHome &home)
{
    return QJsonDocument::fromJson(TempHome::readFile(settingsPath(home))).object();
}

QJsonArray parseArray(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).array();
}

QStringList rowTexts(const QTableWidget *table, int row)
{
    QStringList out;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *item = table->item(row, column);
        out << (item ? item->text() : QStringLiteral("<none>"));
    }
    return out;
}

const char *const kTwoPortfolios = R"({"active": "Brasil", "items": [
    {"name": "Brasil", "base_currency": "BRL",
     "positions": [{"symbol": "PETR4.SA", "quantity": 100, "average_price": 20},
                   {"symbol": "VALE3.SA", "quantity": 10, "average_price": 60}],
     "transactions": [{"timestamp": "2024-01-02T09:30:00", "type": "dividend", "symbol": "PETR4.SA",
                       "amount": 10, "currency": "BRL", "note": "jcp"},
                      {"timestamp": "2024-01-03T09:30:00", "type": "cash", "symbol": "",
                       "amount": -50, "currency": "BRL", "note": ""}]},
    {"name": "US", "base_currency": "USD",
     "positions": [{"symbol": "AAPL", "quantity": 10, "average_price": 100}], "transactions": []}]})";
struct FedQuote
{
    QString symbol;
    double price;
};

// What the portfolio page shows: every position row with its colors and sort keys, and the summary.
QStringList shownPortfolio(const MainWindow &window)
{
    QStringList out;
    const QTableWidget *table = window.positionsTable;
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            out << (item ? QStringLiteral("%1|%2|%3")
                               .arg(item->text(), item->foreground().color().name(),
                                    item->data(Qt::UserRole).toString())
                         : QStringLiteral("<none>"));
        }
    }
    out << window.portfolioSummaryLabel->text() << window.portfolioSummaryLabel->styleSheet();
    out << QString::number(table->currentRow());
    return out;
}
} // namespace

class TestMainWindowPortfolio : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aLegacyFileOpensAsTheDefaultPortfolioAndIsSavedInTheNewForm_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("name");
        QTest::newRow("English") << "en"
                                 << "Main";
        QTest::newRow("Portuguese") << "pt_BR"
                                    << "Principal";
    }

    void aLegacyFileOpensAsTheDefaultPortfolioAndIsSavedInTheNewForm()
    {
        QFETCH(QString, language);
        QFETCH(QString, name);
        TempHome home;
        LoopbackServices services;
        writeSettings(home, QJsonObject{{"language", language}, {"portfolio", parseArray(R"([
                                             {"symbol": "PETR4.SA", "quantity": 100, "average_price": 20},
                                             {"symbol": "aapl", "quantity": -10, "average_price": 50}])")}});
        {
            MainWindow window;
            QCOMPARE(comboTexts(window.portfolioCombo), QStringList{name});
            QCOMPARE(window.activePortfolio, name);
            QCOMPARE(columnTexts(window.positionsTable, 0), (QStringList{"PETR4.SA", "AAPL"}));
            QCOMPARE(window.portfolioCurrencyCombo->currentText(), QStringLiteral("BRL"));
            window.saveLocalSettings();
        }
        const QJsonObject saved = readSettings(home);
        QVERIFY(!saved.contains("portfolio"));
        const QJsonArray items = saved.value("portfolios").toObject().value("items").toArray();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).toObject().value("name").toString(), name);
        QCOMPARE(items.at(0).toObject().value("positions").toArray().size(), 2);

        // And the next start reads them from the new form.
        MainWindow again;
        QCOMPARE(again.activePortfolio, name);
        QCOMPARE(columnTexts(again.positionsTable, 0), (QStringList{"PETR4.SA", "AAPL"}));
    }

    void aFileWrittenByThePreviousBuildKeepsItsPortfolios()
    {
        TempHome home;
        LoopbackServices services;
        // What the build before this one wrote back as it had read it, number forms included.
        const QJsonObject stored = parseObject(kTwoPortfolios);
        writeSettings(home, QJsonObject{{"portfolios", stored}});
        {
            MainWindow window;
            QCOMPARE(comboTexts(window.portfolioCombo), (QStringList{"Brasil", "US"}));
            QCOMPARE(window.portfolioCombo->currentText(), QStringLiteral("Brasil"));
            window.saveLocalSettings();
        }
        QCOMPARE(readSettings(home).value("portfolios").toObject(), stored);
    }

    void loadingSavesNothing()
    {
        TempHome home;
        LoopbackServices services;
        writeSettings(home, QJsonObject{{"portfolios", parseObject(kTwoPortfolios)}});
        const QByteArray before = TempHome::readFile(settingsPath(home));
        MainWindow window;
        window.loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
        QCOMPARE(TempHome::readFile(settingsPath(home)), before);
    }

    void aGoodSyncPayloadReplacesThePortfolios()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QVERIFY(window.applySyncPortfoliosPayload(parseObject(kTwoPortfolios)));
        QCOMPARE(comboTexts(window.portfolioCombo), (QStringList{"Brasil", "US"}));
        QCOMPARE(window.activePortfolio, QStringLiteral("Brasil"));
        QCOMPARE(window.positionsTable->rowCount(), 2);
        QCOMPARE(window.transactionsTable->rowCount(), 2);

        // An empty "items" array is a deliberate empty set: one empty default portfolio.
        QVERIFY(window.applySyncPortfoliosPayload(parseObject(R"({"active": "US", "items": []})")));
        QCOMPARE(comboTexts(window.portfolioCombo), QStringList{"Main"});
        QCOMPARE(window.positionsTable->rowCount(), 0);
        QCOMPARE(window.portfolioBaseCurrency.value("Main"), QStringLiteral("BRL"));
    }

    void aMalformedSyncPayloadChangesNothing_data()
    {
        QTest::addColumn<QJsonValue>("payload");
        QTest::newRow("no items") << QJsonValue(parseObject(R"({"active": "X"})"));
        QTest::newRow("items not an array") << QJsonValue(parseObject(R"({"items": {"name": "X"}})"));
        QTest::newRow("an array") << QJsonValue(parseArray(R"([{"name": "X"}])"));
        QTest::newRow("a string") << QJsonValue("items");
        QTest::newRow("null") << QJsonValue();
    }

    void aMalformedSyncPayloadChangesNothing()
    {
        QFETCH(QJsonValue, payload);
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
        const QJsonObject before = window.portfoliosToJson();
        QVERIFY(!window.applySyncPortfoliosPayload(payload));
        QCOMPARE(window.portfoliosToJson(), before);
        QCOMPARE(comboTexts(window.portfolioCombo), (QStringList{"Brasil", "US"}));
    }

    void quotesAndTheRateValueThePositions()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
        window.updateQuoteRow("PETR4.SA", 25.0, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        QCOMPARE(rowTexts(window.positionsTable, 0), (QStringList{"PETR4.SA", "100.00000000", "20.0000",
                                                                  "25.0000", "2500.00", "500.00", "25.00%"}));
        QCOMPARE(window.positionsTable->item(0, 5)->foreground().color(), QColor("#20c878"));
        QCOMPARE(window.positionsTable->item(0, 4)->data(Qt::UserRole).toDouble(), 2500.0);
        QCOMPARE(rowTexts(window.positionsTable, 1),
                 (QStringList{"VALE3.SA", "10.00000000", "60.0000", "--", "--", "--", "--"}));
        QCOMPARE(window.portfolioSummaryLabel->text(),
                 QStringLiteral("BRL Market 2500.00 | P&L -100.00 | Cash -40.00 | Div 10.00"));
        QCOMPARE(window.portfolioSummaryLabel->styleSheet(),
                 QStringLiteral("color:#f45d5d;font-weight:700;"));
        QCOMPARE(window.transactionsTable->item(1, 3)->foreground().color(), QColor("#f45d5d"));

        // The US portfolio in USD needs no rate; switched to BRL it waits for one.
        window.portfolioCombo->setCurrentText("US");
        window.updateQuoteRow("AAPL", 110.0, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        QCOMPARE(window.portfolioSummaryLabel->text(),
                 QStringLiteral("USD Market 1100.00 | P&L 100.00 | Cash 0.00 | Div 0.00"));
        window.portfolioCurrencyCombo->setCurrentText("BRL");
        QCOMPARE(window.portfolioSummaryLabel->text(),
                 QStringLiteral("BRL Market 0.00 | P&L 0.00 | Cash 0.00 | Div 0.00 | partial FX"));
        window.updateFxTicker(5.0, 0.1);
        QCOMPARE(window.portfolioSummaryLabel->text(),
                 QStringLiteral("BRL Market 5500.00 | P&L 500.00 | Cash 0.00 | Div 0.00"));
    }

    // A stream delivers many quotes before the portfolio refreshes; it refreshes once for them all and
    // must end exactly where a refresh after every quote would.
    void quotesOfOneTurnEndAsQuotesOneByOne_data()
    {
        QTest::addColumn<QList<FedQuote>>("quotes");
        QTest::addColumn<QString>("lastShown"); // the last quoted symbol's price column
        QTest::newRow("one symbol, many prices")
            << QList<FedQuote>{{"PETR4.SA", 21.0}, {"PETR4.SA", 19.0}, {"PETR4.SA", 25.5}}
            << QStringLiteral("25.5000");
        QTest::newRow("both symbols trade places") << QList<FedQuote>{{"PETR4.SA", 25.0},
                                                                      {"VALE3.SA", 400.0},
                                                                      {"PETR4.SA", 30.0},
                                                                      {"VALE3.SA", 55.0}}
                                                   << QStringLiteral("55.0000");
        QTest::newRow("a price lost last")
            << QList<FedQuote>{{"VALE3.SA", 70.0}, {"VALE3.SA", qQNaN()}} << QStringLiteral("--");
    }

    void quotesOfOneTurnEndAsQuotesOneByOne()
    {
        QFETCH(QList<FedQuote>, quotes);
        QFETCH(QString, lastShown);
        TempHome home;
        LoopbackServices services;
        MainWindow oneByOne;
        MainWindow inOneTurn;
        for (MainWindow *window : {&oneByOne, &inOneTurn}) {
            window->loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
            window->positionsTable->sortItems(4, Qt::DescendingOrder);
            window->updateQuoteRow("PETR4.SA", 22.0, 1.0, "test", "1 ms", "ok");
            window->updateQuoteRow("VALE3.SA", 61.0, 1.0, "test", "1 ms", "ok");
            waitForPortfolioRefresh(*window);
            window->positionsTable->setCurrentCell(
                window->positionsTable->findItems("VALE3.SA", Qt::MatchExactly).first()->row(), 0);
        }
        for (const FedQuote &quote : quotes) {
            oneByOne.updateQuoteRow(quote.symbol, quote.price, 1.0, "test", "1 ms", "ok");
            waitForPortfolioRefresh(oneByOne);
        }
        for (const FedQuote &quote : quotes)
            inOneTurn.updateQuoteRow(quote.symbol, quote.price, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(inOneTurn);
        QCOMPARE(shownPortfolio(inOneTurn), shownPortfolio(oneByOne));
        const QTableWidget *table = inOneTurn.positionsTable;
        QCOMPARE(
            table->item(table->findItems(quotes.last().symbol, Qt::MatchExactly).first()->row(), 3)->text(),
            lastShown);
        QCOMPARE(inOneTurn.positionsTable->item(inOneTurn.positionsTable->currentRow(), 0)->text(),
                 QStringLiteral("VALE3.SA"));
    }

    // While quotes stream in, the portfolio is rebuilt once for a burst of them; a quote after a quiet
    // spell is shown in the very next turn. Each rebuild empties the positions table once, which its
    // model reports even while the table's own signals are blocked.
    void aBurstOfQuotesRefreshesThePortfolioOnce()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.marketDataStarted = true; // only the quotes below reach the portfolio
        window.loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
        window.updateQuoteRow("PETR4.SA", 22.0, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        const QSignalSpy refreshes(window.positionsTable->model(), &QAbstractItemModel::rowsRemoved);

        QTest::qWait(MainWindow::kQuoteRebuildIntervalMs); // a quiet spell
        window.updateQuoteRow("PETR4.SA", 25.0, 1.0, "test", "1 ms", "ok");
        QCOMPARE(refreshes.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(refreshes.count(), 1);
        QCOMPARE(window.positionsTable->item(0, 3)->text(), QStringLiteral("25.0000"));

        for (const double price : {26.0, 27.0, 28.0})
            window.updateQuoteRow("PETR4.SA", price, 1.0, "test", "1 ms", "ok");
        window.updateQuoteRow("VALE3.SA", 70.0, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        QCOMPARE(refreshes.count(), 2);
        QCOMPARE(rowTexts(window.positionsTable, 0).at(3), QStringLiteral("28.0000"));
        QCOMPARE(rowTexts(window.positionsTable, 1).at(3), QStringLiteral("70.0000"));

        // A stream spreads its quotes over turns of the event loop: every one of them that comes within
        // the interval after a rebuild joins the next rebuild. The test relies on a few turns taking far
        // less than the interval; a machine stalled for longer cannot tell, and skips.
        QElapsedTimer burst;
        burst.start();
        for (const double price : {29.0, 30.0, 31.0}) {
            window.updateQuoteRow("PETR4.SA", price, 1.0, "test", "1 ms", "ok");
            QCoreApplication::processEvents();
        }
        window.updateQuoteRow("VALE3.SA", 71.0, 1.0, "test", "1 ms", "ok");
        QCoreApplication::processEvents();
        const int duringBurst = refreshes.count();
        if (burst.elapsed() >= MainWindow::kQuoteRebuildIntervalMs)
            QSKIP("the turns of the burst took longer than the throttle interval");
        QCOMPARE(duringBurst, 2);
        waitForPortfolioRefresh(window);
        QCOMPARE(refreshes.count(), 3);
        QCOMPARE(rowTexts(window.positionsTable, 0).at(3), QStringLiteral("31.0000"));
        QCOMPARE(rowTexts(window.positionsTable, 1).at(3), QStringLiteral("71.0000"));
    }

    // A position is valued at the price its quote cell stores, not at the decimals the cell shows; its
    // average and last prices show a coin below a cent with four significant digits.
    void positionsAreValuedAtTheStoredPrice_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("quantity");
        QTest::addColumn<double>("averagePrice");
        QTest::addColumn<double>("last");
        QTest::addColumn<QString>("market");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("averageText");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("below a cent") << "SHIBUSDT" << 100000000.0 << 0.00001 << 0.0000123 << "1230.00"
                                      << "USD Market 1230.00 | P&L 230.00 | Cash 0.00 | Div 0.00"
                                      << "0.00001000"
                                      << "0.00001230";
        QTest::newRow("more decimals than shown")
            << "ADAUSDT" << 1000000.0 << 0.12 << 0.123456 << "123456.00"
            << "USD Market 123456.00 | P&L 3456.00 | Cash 0.00 | Div 0.00"
            << "0.1200"
            << "0.1235";
        QTest::newRow("equity") << "AAPL" << 10.0 << 30.0 << 36.71 << "367.10"
                                << "USD Market 367.10 | P&L 67.10 | Cash 0.00 | Div 0.00"
                                << "30.0000"
                                << "36.7100";
        QTest::newRow("two decimals from 1000 up") << "BTCUSDT" << 3.0 << 1000.0 << 1234.5678 << "3703.70"
                                                   << "USD Market 3703.70 | P&L 703.70 | Cash 0.00 | Div 0.00"
                                                   << "1000.0000"
                                                   << "1234.57";
    }

    void positionsAreValuedAtTheStoredPrice()
    {
        QFETCH(QString, symbol);
        QFETCH(double, quantity);
        QFETCH(double, averagePrice);
        QFETCH(double, last);
        QFETCH(QString, market);
        QFETCH(QString, summary);
        QFETCH(QString, averageText);
        QFETCH(QString, lastText);
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        const QJsonObject portfolios{
            {"active", "Crypto"},
            {"items",
             QJsonArray{QJsonObject{{"name", "Crypto"},
                                    {"base_currency", "USD"},
                                    {"positions", QJsonArray{QJsonObject{{"symbol", symbol},
                                                                         {"quantity", quantity},
                                                                         {"average_price", averagePrice}}}},
                                    {"transactions", QJsonArray()}}}}};
        window.loadPortfolios(portfolios, QJsonArray());
        if (window.findSymbolRow(symbol) < 0)
            window.addWatchlistRow(symbol, window.classifySymbol(symbol), "Binance", "pending", false);
        window.updateQuoteRow(symbol, last, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        QCOMPARE(window.positionsTable->item(0, 4)->text(), market);
        QCOMPARE(window.portfolioSummaryLabel->text(), summary);
        QCOMPARE(window.positionsTable->item(0, 2)->text(), averageText);
        QCOMPARE(window.positionsTable->item(0, 3)->text(), lastText);
    }

    void switchingPortfoliosShowsTheirOwnCurrency()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
        QCOMPARE(window.portfolioCurrencyCombo->currentText(), QStringLiteral("BRL"));
        window.portfolioCombo->setCurrentText("US");
        QCOMPARE(window.activePortfolio, QStringLiteral("US"));
        QCOMPARE(window.portfolioCurrencyCombo->currentText(), QStringLiteral("USD"));
        // Showing it wrote nothing back to either portfolio.
        QCOMPARE(window.portfolioBaseCurrency, (PortfolioCurrencyMap{{"Brasil", "BRL"}, {"US", "USD"}}));
        QCOMPARE(readSettings(home).value("portfolios").toObject().value("active").toString(),
                 QStringLiteral("US"));

        window.portfolioCurrencyCombo->setCurrentText("BRL");
        QCOMPARE(window.portfolioBaseCurrency, (PortfolioCurrencyMap{{"Brasil", "BRL"}, {"US", "BRL"}}));
        window.portfolioCombo->setCurrentText("Brasil");
        QCOMPARE(window.portfolioCurrencyCombo->currentText(), QStringLiteral("BRL"));
    }

    void theSelectedPositionSurvivesAQuote()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
        // Sorted by market value, descending: a quote moves rows around.
        window.positionsTable->sortItems(4, Qt::DescendingOrder);
        window.updateQuoteRow("PETR4.SA", 25.0, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        window.positionsTable->setCurrentCell(
            window.positionsTable->findItems("VALE3.SA", Qt::MatchExactly).first()->row(), 0);
        window.updateQuoteRow("VALE3.SA", 400.0, 1.0, "test", "1 ms", "ok"); // VALE3 now first
        waitForPortfolioRefresh(window);
        QCOMPARE(columnTexts(window.positionsTable, 0), (QStringList{"VALE3.SA", "PETR4.SA"}));
        const int row = window.positionsTable->currentRow();
        QVERIFY(row >= 0);
        QCOMPARE(window.positionsTable->item(row, 0)->text(), QStringLiteral("VALE3.SA"));
    }

    void theScrollPositionSurvivesAQuote()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QList<PortfolioPosition> many;
        for (int i = 0; i < 80; ++i)
            many.append({QStringLiteral("SYM%1").arg(i), 1.0, 1.0});
        many.append({"AAPL", 1.0, 1.0});
        window.portfolioPositions.insert(window.activePortfolio, many);
        window.resize(1100, 700);
        window.show();
        window.mainTabs->setCurrentIndex(4);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.refreshPortfolio();
        QScrollBar *bar = window.positionsTable->verticalScrollBar();
        QTRY_VERIFY2(bar->maximum() > 10, qPrintable(QString::number(bar->maximum())));
        window.positionsTable->setCurrentCell(3, 0); // selected near the top, then scrolled away
        bar->setValue(bar->maximum() / 2);
        const int value = bar->value();
        window.updateQuoteRow("AAPL", 120.0, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        QCOMPARE(window.positionsTable->item(80, 3)->text(), QStringLiteral("120.0000"));
        QCOMPARE(bar->value(), value);
        QCOMPARE(window.positionsTable->currentRow(), 3);
    }

    void theTransactionsTableIsRebuiltOnlyWhenItsContentChanges()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.loadPortfolios(parseObject(kTwoPortfolios), QJsonArray());
        const QTableWidgetItem *first = window.transactionsTable->item(0, 0);
        window.updateQuoteRow("PETR4.SA", 25.0, 1.0, "test", "1 ms", "ok");
        waitForPortfolioRefresh(window);
        window.updateFxTicker(5.1, 0.0);
        QCOMPARE(window.transactionsTable->item(0, 0), first);

        window.settings.language = QStringLiteral("pt_BR");
        window.refreshPortfolio();
        QCOMPARE(window.transactionsTable->item(0, 1)->text(), QStringLiteral("Dividendo"));
        QCOMPARE(window.transactionsTable->item(1, 1)->text(), QStringLiteral("Fluxo de caixa"));

        window.portfolioTransactions["Brasil"].removeFirst();
        window.refreshPortfolio();
        QCOMPARE(window.transactionsTable->rowCount(), 1);
        window.portfolioCombo->setCurrentText("US");
        QCOMPARE(window.transactionsTable->rowCount(), 0);
    }

    void namesAndNotesShowAsPlainText()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QVERIFY(window.applySyncPortfoliosPayload(parseObject(R"({"active": "<b>x</b>", "items": [
            {"name": "<b>x</b>", "base_currency": "<i>BRL</i>", "transactions": [
             {"timestamp": "<img src=a>", "type": "cash", "amount": 1, "currency": "BRL", "note": "<u>n</u>"}]}]})")));
        QCOMPARE(window.portfolioCombo->currentText(), QStringLiteral("<b>x</b>"));
        QCOMPARE(window.portfolioSummaryLabel->textFormat(), Qt::PlainText);
        QVERIFY(window.portfolioSummaryLabel->text().startsWith("<i>BRL</i> Market"));
        QCOMPARE(window.transactionsTable->item(0, 5)->text(), QStringLiteral("<u>n</u>"));
    }
};

MVX_TEST_MAIN(TestMainWindowPortfolio)
#include "test_main_window_portfolio.moc"
