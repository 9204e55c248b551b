#include "shell/main_window.h"
#include "tests/portfolio/dialog_script.h"
#include "tests/portfolio/portfolio_readers.h"
#include "tests/support/loopback_services.h"
#include "tests/support/quote_request_log.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QComboBox>
#include <QJsonDocument>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

Q_DECLARE_METATYPE(PortfolioTransaction)
Q_DECLARE_METATYPE(PortfolioPosition)

namespace {
int rowOf(const QTableWidget *table, const QString &text)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 0)->text() == text)
            return row;
    }
    return -1;
}

const char *const kStart = R"({"active": "Main", "items": [
    {"name": "Main", "base_currency": "USD",
     "positions": [{"symbol": "PETR4.SA", "quantity": 100, "average_price": 20},
                   {"symbol": "AAPL", "quantity": 10, "average_price": 150}],
     "transactions": [{"timestamp": "2024-01-02T09:30:00", "type": "cash", "symbol": "", "amount": 10,
                       "currency": "BRL", "note": "a"},
                      {"timestamp": "2024-01-02T09:30:00", "type": "cash", "symbol": "", "amount": 10,
                       "currency": "BRL", "note": "b"}]}]})";

// A window with one portfolio "Main" (base USD), two positions and two identical-looking transactions,
// and the portfolio page in view.
struct Fixture
{
    TempHome home;
    LoopbackServices services;
    MainWindow window;

    Fixture()
    {
        window.loadPortfolios(parseObject(kStart), QJsonArray());
        window.show();
        window.mainTabs->setCurrentIndex(4);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    QJsonObject savedPortfolios() const
    {
        const QByteArray bytes = TempHome::readFile(home.appConfigDir() + QStringLiteral("/local.json"));
        return QJsonDocument::fromJson(bytes).object().value("portfolios").toObject();
    }

    // Runs `operation` with `script` answering its windows, then checks every answer was used.
    static void run(DialogScript &script, const std::function<void()> &operation)
    {
        operation();
        QVERIFY2(script.finished(), "a scripted answer found no window to answer");
        QVERIFY2(!script.failed(), "a window of another kind opened than the script expected");
    }

    // Applies a quote to a row every few milliseconds while it lives, as a busy market does.
    std::unique_ptr<QTimer> streamQuotes(const QString &symbol)
    {
        auto timer = std::make_unique<QTimer>();
        timer->setInterval(3);
        QObject::connect(timer.get(), &QTimer::timeout, &window, [this, symbol, price = 20.0]() mutable {
            price = price > 40.0 ? 20.0 : price + 0.5;
            window.updateQuoteRow(symbol, price, 0.5, "test", "1 ms", "ok");
        });
        timer->start();
        return timer;
    }
};
} // namespace

class TestPortfolioOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void createsAPortfolio()
    {
        Fixture f;
        DialogScript script;
        script.text("  Growth  ");
        Fixture::run(script, [&]() { f.window.portfolioNewButton->click(); });
        QCOMPARE(script.seen.at(0).title, QStringLiteral("New portfolio"));
        QCOMPARE(script.seen.at(0).label, QStringLiteral("Name"));
        QCOMPARE(script.seen.at(0).preset, QString());
        QCOMPARE(comboTexts(f.window.portfolioCombo), (QStringList{"Growth", "Main"}));
        QCOMPARE(f.window.portfolioCombo->currentText(), QStringLiteral("Growth"));
        QCOMPARE(f.window.portfolioCurrencyCombo->currentText(), QStringLiteral("BRL"));
        QCOMPARE(f.window.positionsTable->rowCount(), 0);
        QCOMPARE(f.savedPortfolios().value("active").toString(), QStringLiteral("Growth"));
    }

    void refusesOrSkipsACreation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("box");
        QTest::newRow("duplicate") << " Main" << false << "A portfolio with this name already exists.";
        QTest::newRow("blank") << "   " << false << "";
        QTest::newRow("cancelled") << "Other" << true << "";
    }

    void refusesOrSkipsACreation()
    {
        QFETCH(QString, name);
        QFETCH(bool, cancel);
        QFETCH(QString, box);
        Fixture f;
        const QJsonObject before = f.window.portfoliosToJson();
        DialogScript script;
        if (cancel)
            script.cancel();
        else
            script.text(name);
        if (!box.isEmpty())
            script.button(QMessageBox::Ok);
        Fixture::run(script, [&]() { f.window.createPortfolio(); });
        QCOMPARE(f.window.portfoliosToJson(), before);
        if (!box.isEmpty()) {
            QCOMPARE(script.seen.at(1).label, box);
            QCOMPARE(script.seen.at(1).title, QStringLiteral("Murvex Terminal"));
        }
    }

    void renameKeepsEverythingUnderTheNewName()
    {
        Fixture f;
        DialogScript script;
        script.text("Long term");
        Fixture::run(script, [&]() { f.window.portfolioRenameButton->click(); });
        QCOMPARE(script.seen.at(0).title, QStringLiteral("Rename portfolio"));
        QCOMPARE(script.seen.at(0).preset, QStringLiteral("Main"));
        QCOMPARE(comboTexts(f.window.portfolioCombo), QStringList{"Long term"});
        QCOMPARE(f.window.activePortfolio, QStringLiteral("Long term"));
        QCOMPARE(f.window.portfolioBaseCurrency, (PortfolioCurrencyMap{{"Long term", "USD"}}));
        QCOMPARE(f.window.activePositions().size(), 2);
        QCOMPARE(f.window.portfolioTransactions.value("Long term").size(), 2);
        QCOMPARE(f.window.portfolioCurrencyCombo->currentText(), QStringLiteral("USD"));
        QCOMPARE(f.savedPortfolios().value("items").toArray().at(0).toObject().value("name").toString(),
                 QStringLiteral("Long term"));
    }

    void renameToAnExistingNameChangesNothing()
    {
        Fixture f;
        f.window.portfolioPositions.insert("Other", {});
        const QJsonObject before = f.window.portfoliosToJson();
        DialogScript script;
        script.text("Other").button(QMessageBox::Ok);
        Fixture::run(script, [&]() { f.window.renamePortfolio(); });
        QCOMPARE(script.seen.at(1).label, QStringLiteral("A portfolio with this name already exists."));
        QCOMPARE(f.window.portfoliosToJson(), before);
    }

    void theLastPortfolioCannotBeDeleted()
    {
        Fixture f;
        DialogScript script;
        script.button(QMessageBox::Ok);
        Fixture::run(script, [&]() { f.window.portfolioDeleteButton->click(); });
        QCOMPARE(script.seen.at(0).label, QStringLiteral("At least one portfolio must remain."));
        QCOMPARE(f.window.portfolioPositions.keys(), QStringList{"Main"});
    }

    void deletesOneOfTwoAfterAsking_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void deletesOneOfTwoAfterAsking()
    {
        QFETCH(bool, yes);
        Fixture f;
        f.window.portfolioPositions.insert("<b>Zeta</b>", {{"AAPL", 1, 1}});
        f.window.populatePortfolioCombo();
        f.window.portfolioCombo->setCurrentText("<b>Zeta</b>");
        DialogScript script;
        script.button(yes ? QMessageBox::Yes : QMessageBox::No);
        Fixture::run(script, [&]() { f.window.deletePortfolio(); });
        QCOMPARE(script.seen.at(0).label,
                 QStringLiteral("Delete portfolio '<b>Zeta</b>' and all its positions?"));
        QCOMPARE(script.seen.at(0).textFormat, Qt::PlainText);
        QCOMPARE(script.seen.at(0).items.size(), 2);
        if (yes) {
            QCOMPARE(comboTexts(f.window.portfolioCombo), QStringList{"Main"});
            QCOMPARE(f.window.activePortfolio, QStringLiteral("Main"));
            QCOMPARE(f.window.portfolioCurrencyCombo->currentText(), QStringLiteral("USD"));
        } else {
            QCOMPARE(comboTexts(f.window.portfolioCombo), (QStringList{"<b>Zeta</b>", "Main"}));
            QCOMPARE(f.window.activePortfolio, QStringLiteral("<b>Zeta</b>"));
        }
    }

    void addsASymbolTheWatchlistLacks()
    {
        Fixture f;
        QVERIFY(f.window.findSymbolRow("MSFT") < 0);
        const QuoteRequestLog log(f.window);
        f.services.server().clearRequests();
        DialogScript script;
        script.text(" msft ").number(3).number(410.25);
        Fixture::run(script, [&]() { f.window.portfolioAddPositionButton->click(); });
        QCOMPARE(script.seen.at(0).title, QStringLiteral("Add position"));
        QCOMPARE(script.seen.at(1).title, QStringLiteral("Position quantity"));
        QCOMPARE(script.seen.at(1).preset, QStringLiteral("0.00000000"));
        QCOMPARE(script.seen.at(1).minimum, -1e12);
        QCOMPARE(script.seen.at(1).maximum, 1e12);
        QCOMPARE(script.seen.at(2).title, QStringLiteral("Average price"));
        QCOMPARE(script.seen.at(2).preset, QStringLiteral("0.00000000")); // no price known yet
        QCOMPARE(script.seen.at(2).maximum, 1e15);

        QCOMPARE(columnTexts(f.window.positionsTable, 0), (QStringList{"PETR4.SA", "AAPL", "MSFT"}));
        const int row = f.window.findSymbolRow("MSFT");
        QVERIFY(row >= 0);
        // Added as "pending", and its quote request is under way at once.
        QCOMPARE(f.window.quoteTable->item(row, QuoteColumnStatus)->text(), QStringLiteral("loading"));
        QVERIFY(f.window.quoteTable->currentRow() != row);
        QVERIFY(TempHome::readFile(f.home.appConfigDir() + "/watchlists/default.json").contains("MSFT"));
        QVERIFY(log.count("MSFT") >= 1);
        const auto askedForMsft = [&]() {
            for (const RecordedRequest &request : f.services.server().requests()) {
                if (request.rawTarget.contains("MSFT"))
                    return true;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(askedForMsft(), 5000);
        const QJsonArray saved =
            f.savedPortfolios().value("items").toArray().at(0).toObject().value("positions").toArray();
        QCOMPARE(saved.last().toObject().value("average_price").toDouble(), 410.25);
    }

    void addingAHeldSymbolReplacesItsPosition()
    {
        Fixture f;
        f.window.updateQuoteRow("AAPL", 170.0, 1.0, "test", "1 ms", "ok");
        QCoreApplication::processEvents(); // a quote refreshes the portfolio once per turn
        f.window.quoteTable->setCurrentCell(f.window.findSymbolRow("AAPL"), 0);
        const int watchlistRows = f.window.quoteTable->rowCount();
        DialogScript script;
        script.text("AAPL").number(12).number(155);
        Fixture::run(script, [&]() { f.window.addPortfolioPosition(); });
        QCOMPARE(script.seen.at(0).preset, QStringLiteral("AAPL")); // the quote table's symbol
        QCOMPARE(script.seen.at(1).preset, QStringLiteral("10.00000000"));
        QCOMPARE(script.seen.at(2).preset, QStringLiteral("150.00000000"));
        QCOMPARE(f.window.activePositions().size(), 2);
        QCOMPARE(f.window.activePositions().at(1), (PortfolioPosition{"AAPL", 12, 155}));
        QCOMPARE(f.window.quoteTable->rowCount(), watchlistRows);
    }

    // The price the quote cell stores, not the 4 or 2 decimals it shows.
    void aNewPositionStartsAtTheLastPrice_data()
    {
        QTest::addColumn<double>("last");
        QTest::addColumn<QString>("preset");
        QTest::newRow("as shown") << 880.5 << "880.50000000";
        QTest::newRow("more decimals than shown") << 0.123456 << "0.12345600";
        QTest::newRow("a price that shows as zero") << 0.0000123 << "0.00001230";
        QTest::newRow("two decimals from 1000 up") << 1234.5678 << "1234.56780000";
    }

    void aNewPositionStartsAtTheLastPrice()
    {
        QFETCH(double, last);
        QFETCH(QString, preset);
        Fixture f;
        f.window.updateQuoteRow("NVDA", last, 1.0, "test", "1 ms", "ok");
        QCoreApplication::processEvents(); // a quote refreshes the portfolio once per turn
        DialogScript script;
        script.text("nvda").number(1).cancel();
        Fixture::run(script, [&]() { f.window.addPortfolioPosition(); });
        QCOMPARE(script.seen.at(2).preset, preset);
        QCOMPARE(f.window.indexOfPosition("NVDA"), -1); // cancelled at the price: nothing stored
    }

    void recordsACashFlow()
    {
        Fixture f;
        DialogScript script;
        script.number(-250).text("BRL").text("   ");
        Fixture::run(script, [&]() { f.window.portfolioCashFlowButton->click(); });
        QCOMPARE(script.seen.at(0).title, QStringLiteral("Add cash flow"));
        QCOMPARE(script.seen.at(0).label, QStringLiteral("Amount (negative for withdrawal)"));
        QCOMPARE(script.seen.at(0).decimals, 2);
        QCOMPARE(script.seen.at(1).items, (QStringList{"BRL", "USD"}));
        QCOMPARE(script.seen.at(1).preset, QStringLiteral("BRL"));
        QCOMPARE(script.seen.at(2).label, QStringLiteral("Optional note"));
        const PortfolioTransaction added = f.window.portfolioTransactions.value("Main").last();
        QCOMPARE(added.type, QStringLiteral("cash"));
        QCOMPARE(added.amount, -250.0);
        QCOMPARE(added.note, QString());
        QCOMPARE(added.symbol, QString());
        QVERIFY(QDateTime::fromString(added.timestamp, Qt::ISODate).isValid());
        QCOMPARE(added.timestamp.size(), 19);
        QCOMPARE(f.window.transactionsTable->item(2, 3)->text(), QStringLiteral("-250.00"));
        QCOMPARE(f.window.transactionsTable->item(2, 3)->foreground().color(), QColor("#f45d5d"));
        QCOMPARE(f.savedPortfolios()
                     .value("items")
                     .toArray()
                     .at(0)
                     .toObject()
                     .value("transactions")
                     .toArray()
                     .size(),
                 3);
    }

    void aZeroAmountCreatesNothing()
    {
        Fixture f;
        DialogScript script;
        script.number(0);
        Fixture::run(script, [&]() { f.window.addPortfolioCashFlow("cash"); });
        QCOMPARE(script.seen.size(), 1); // no currency or note asked
        QCOMPARE(f.window.portfolioTransactions.value("Main").size(), 2);
    }

    void recordsADividend()
    {
        Fixture f;
        f.window.quoteTable->setCurrentCell(f.window.findSymbolRow("PETR4.SA"), 0);
        DialogScript script;
        script.text("vale3").number(12.346).text("USD").text("  jcp  ");
        Fixture::run(script, [&]() { f.window.portfolioDividendButton->click(); });
        QCOMPARE(script.seen.at(0).title, QStringLiteral("Add dividend"));
        QCOMPARE(script.seen.at(0).preset, QStringLiteral("PETR4.SA"));
        QCOMPARE(script.seen.at(1).label, QStringLiteral("Net amount"));
        const PortfolioTransaction added = f.window.portfolioTransactions.value("Main").last();
        QCOMPARE(added.type, QStringLiteral("dividend"));
        QCOMPARE(added.symbol, QStringLiteral("VALE3.SA"));
        QCOMPARE(added.amount, 12.35); // the dialog keeps 2 decimals
        QCOMPARE(added.currency, QStringLiteral("USD"));
        QCOMPARE(added.note, QStringLiteral("jcp"));
    }

    void editsAPosition()
    {
        Fixture f;
        DialogScript script;
        script.number(7).number(33.5);
        Fixture::run(script, [&]() { f.window.editPositionRow(rowOf(f.window.positionsTable, "AAPL")); });
        QCOMPARE(script.seen.at(0).title, QStringLiteral("Edit quantity"));
        QCOMPARE(script.seen.at(0).preset, QStringLiteral("10.00000000"));
        QCOMPARE(script.seen.at(1).title, QStringLiteral("Edit average price"));
        QCOMPARE(f.window.activePositions().at(1), (PortfolioPosition{"AAPL", 7, 33.5}));

        DialogScript cancelled;
        cancelled.number(99).cancel();
        Fixture::run(cancelled, [&]() { f.window.editPositionRow(rowOf(f.window.positionsTable, "AAPL")); });
        QCOMPARE(f.window.activePositions().at(1), (PortfolioPosition{"AAPL", 7, 33.5}));
    }

    // The average price steps as every price box does: below 1 by one unit of its last shown digit,
    // so a coin below a cent keeps its price, and from 1 up by 1; whether the position is added again
    // or edited.
    void averagePriceStepsFromItsOwnDigits_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<double>("average");
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("stepped");
        QTest::newRow("edited below a cent, up") << true << 0.0000125 << int(Qt::Key_Up) << 0.00001251;
        QTest::newRow("edited below a cent, down") << true << 0.0000125 << int(Qt::Key_Down) << 0.00001249;
        QTest::newRow("edited equity, up") << true << 150.0 << int(Qt::Key_Up) << 151.0;
        QTest::newRow("added again below a cent, up") << false << 0.0000125 << int(Qt::Key_Up) << 0.00001251;
        QTest::newRow("added again below 1, down") << false << 0.5 << int(Qt::Key_Down) << 0.4999;
    }

    void averagePriceStepsFromItsOwnDigits()
    {
        QFETCH(bool, edit);
        QFETCH(double, average);
        QFETCH(int, key);
        QFETCH(double, stepped);
        Fixture f;
        f.window.portfolioPositions["Main"][1].averagePrice = average; // AAPL
        f.window.refreshPortfolio();
        DialogScript script;
        if (!edit)
            script.text("AAPL");
        script.number(10).stepped(Qt::Key(key));
        Fixture::run(script, [&]() {
            if (edit)
                f.window.editPositionRow(rowOf(f.window.positionsTable, "AAPL"));
            else
                f.window.portfolioAddPositionButton->click();
        });
        QCOMPARE(f.window.activePositions().at(1), (PortfolioPosition{"AAPL", 10, stepped}));
    }

    void removesTheSelectedPositionAfterQuotesMoveItsRow_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QList<PortfolioPosition>>("left");
        // PETR4.SA passes AAPL's price: the two rows swap.
        QTest::newRow("selected row moves up")
            << QStringLiteral("AAPL") << QList<PortfolioPosition>{{"PETR4.SA", 100, 20}};
        QTest::newRow("selected row moves down")
            << QStringLiteral("PETR4.SA") << QList<PortfolioPosition>{{"AAPL", 10, 150}};
    }

    // Quotes rebuild the table under the selection (throttled, so the rebuild is called here directly):
    // Remove must still take the position the user selected, not the one now on its old row.
    void removesTheSelectedPositionAfterQuotesMoveItsRow()
    {
        QFETCH(QString, selected);
        QFETCH(QList<PortfolioPosition>, left);
        Fixture f;
        f.window.positionsTable->sortItems(3, Qt::AscendingOrder); // by last price
        f.window.updateQuoteRow("PETR4.SA", 20.0, 0.5, "test", "1 ms", "ok");
        f.window.updateQuoteRow("AAPL", 30.0, 0.5, "test", "1 ms", "ok");
        f.window.refreshPortfolio();
        const int before = rowOf(f.window.positionsTable, selected);
        f.window.positionsTable->setCurrentCell(before, 0);
        f.window.updateQuoteRow("PETR4.SA", 40.0, 0.5, "test", "1 ms", "ok");
        f.window.refreshPortfolio();
        QVERIFY2(rowOf(f.window.positionsTable, selected) != before, "the quote did not move the row");
        f.window.portfolioRemoveButton->click();
        QCOMPARE(f.window.activePositions(), left);
    }

    void editsTheRowItWasOpenedForAfterARebuild()
    {
        Fixture f;
        const int row = rowOf(f.window.positionsTable, "AAPL");
        const auto quotes = f.streamQuotes("PETR4.SA");
        DialogScript script;
        // Meanwhile a position is put in front and the table rebuilt: the row index now shows another.
        script.number(5)
            .meanwhile([&]() {
                f.window.portfolioPositions["Main"].prepend({"NVDA", 1, 1});
                f.window.refreshPortfolio();
            })
            .number(44);
        Fixture::run(script, [&]() { f.window.editPositionRow(row); });
        QCOMPARE(f.window.activePositions(),
                 (QList<PortfolioPosition>{{"NVDA", 1, 1}, {"PETR4.SA", 100, 20}, {"AAPL", 5, 44}}));
    }

    void anEditOfAPositionThatWentStoresNothing()
    {
        Fixture f;
        DialogScript script;
        script.number(5)
            .meanwhile([&]() {
                f.window.portfolioPositions["Main"].removeLast();
                f.window.refreshPortfolio();
            })
            .number(44);
        Fixture::run(script, [&]() { f.window.editPositionRow(rowOf(f.window.positionsTable, "AAPL")); });
        QCOMPARE(f.window.activePositions(), (QList<PortfolioPosition>{{"PETR4.SA", 100, 20}}));
    }

    void deletesTheClickedOfTwoLookalikeTransactions_data()
    {
        QTest::addColumn<PortfolioTransaction>("second");
        QTest::addColumn<bool>("rebuildWhileOpen");
        QTest::addColumn<QString>("question");
        const PortfolioTransaction first{"2024-01-02T09:30:00", "cash", "", 10, "BRL", "a"};
        PortfolioTransaction currency = first;
        currency.currency = QStringLiteral("USD");
        PortfolioTransaction type = first;
        type.type = QStringLiteral("dividend");
        PortfolioTransaction note = first;
        note.note = QStringLiteral("b");
        const QString cashQuestion = QStringLiteral("Delete Cash flow transaction of 10.00?");
        QTest::newRow("another currency") << currency << false << cashQuestion;
        QTest::newRow("another type")
            << type << false << QStringLiteral("Delete Dividend transaction of 10.00?");
        QTest::newRow("another note") << note << false << cashQuestion;
        QTest::newRow("another currency, rebuilt while the menu is open") << currency << true << cashQuestion;
        QTest::newRow("identical: one of them goes") << first << false << cashQuestion;
        QTest::newRow("identical, rebuilt while the menu is open") << first << true << cashQuestion;
    }

    void deletesTheClickedOfTwoLookalikeTransactions()
    {
        QFETCH(PortfolioTransaction, second);
        QFETCH(bool, rebuildWhileOpen);
        QFETCH(QString, question);
        Fixture f;
        const PortfolioTransaction first{"2024-01-02T09:30:00", "cash", "", 10, "BRL", "a"};
        f.window.portfolioTransactions["Main"] = {first, second};
        f.window.refreshPortfolio();
        f.window.portfolioTabs->setCurrentIndex(1);
        QTest::qWait(10);
        const auto quotes = f.streamQuotes("PETR4.SA");
        const PortfolioTransaction other{"2024-02-01T10:00:00", "dividend", "AAPL", 3, "USD", "other"};
        DialogScript script;
        if (rebuildWhileOpen)
            script.meanwhile([&]() {
                f.window.portfolioTransactions["Main"].prepend(other);
                f.window.refreshPortfolio();
            });
        script.menuEntry("Delete transaction").button(QMessageBox::Yes);
        const QRect cell = f.window.transactionsTable->visualItemRect(f.window.transactionsTable->item(1, 0));
        Fixture::run(script, [&]() { f.window.onTransactionsContextMenu(cell.center()); });
        QCOMPARE(script.seen.at(0).label, QStringLiteral("Delete transaction"));
        QCOMPARE(script.seen.at(1).label, question);
        QList<PortfolioTransaction> left = f.window.portfolioTransactions.value("Main");
        if (rebuildWhileOpen)
            QCOMPARE(left.takeFirst(), other);
        QCOMPARE(left, QList<PortfolioTransaction>{first});
    }

    void aDeclinedTransactionDeletionKeepsIt()
    {
        Fixture f;
        f.window.portfolioTabs->setCurrentIndex(1);
        QTest::qWait(10);
        DialogScript script;
        script.menuEntry("Delete transaction").button(QMessageBox::No);
        const QRect cell = f.window.transactionsTable->visualItemRect(f.window.transactionsTable->item(0, 0));
        Fixture::run(script, [&]() { f.window.onTransactionsContextMenu(cell.center()); });
        QCOMPARE(f.window.portfolioTransactions.value("Main").size(), 2);
    }
};

MVX_TEST_MAIN(TestPortfolioOperations)
#include "test_portfolio_operations.moc"
