#include "shell/main_window.h"
#include "tests/support/modal_script.h"
#include "tests/support/test_main.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>

#include <functional>

namespace {
const int kTagRole = Qt::UserRole + 1; // which symbol's row a test cell was written for

struct Row
{
    QString symbol;
    double last;
    double change; // NaN: the change cell shows "--"
};

const QList<Row> kRows = {{"PETR4.SA", 38.5, 1.25},
                          {"AAPL", 1000.0, -0.5},
                          {"BTCUSDT", 65000.0, std::numeric_limits<double>::quiet_NaN()},
                          {"USD/BRL", 5.4321, 0.0},
                          {"VALE3.SA", 61.02, -2.75}};

// Fills every column of every row; numeric columns get numbers, the others texts, and each cell is
// tagged with its row's symbol so a test can tell whether a row's cells stayed together.
void fillRows(MainWindow &window, const QList<Row> &rows = kRows)
{
    QTableWidget *table = window.quoteTable;
    // The initial loading seeds the default watchlist and greets in the console; these tests start from
    // their own rows and a quiet console.
    table->setRowCount(0);
    window.eventConsole->clear();
    const bool sorting = table->isSortingEnabled();
    table->setSortingEnabled(false);
    for (const Row &row : rows) {
        const int index = table->rowCount();
        table->insertRow(index);
        for (int column = 0; column < QuoteColumnCount; ++column) {
            MarketTableItem *item = nullptr;
            if (column == QuoteColumnSymbol)
                item = new MarketTableItem(row.symbol);
            else if (column == QuoteColumnLast || column == QuoteColumnOpen)
                item = MarketTableItem::withNumber(QString::number(row.last, 'f', 4), row.last + column);
            else if (column == QuoteColumnChange)
                item = std::isfinite(row.change)
                           ? MarketTableItem::withNumber(QStringLiteral("%1%").arg(row.change, 0, 'f', 2),
                                                         row.change)
                           : new MarketTableItem(QStringLiteral("--"));
            else
                item = new MarketTableItem(row.symbol.left(2) + QString::number(column));
            item->setData(kTagRole, row.symbol);
            table->setItem(index, column, item);
        }
    }
    // Restoring sorting re-sorts by the header's indicator; with none the rows keep the order given here.
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSortingEnabled(sorting);
}

QStringList symbolOrder(const MainWindow &window)
{
    QStringList out;
    for (int row = 0; row < window.quoteTable->rowCount(); ++row)
        out << window.quoteTable->item(row, QuoteColumnSymbol)->text();
    return out;
}

// Every cell of every row belongs to the symbol in column 0.
bool rowsIntact(const MainWindow &window, QString *problem)
{
    for (int row = 0; row < window.quoteTable->rowCount(); ++row) {
        const QString symbol = window.quoteTable->item(row, QuoteColumnSymbol)->text();
        for (int column = 0; column < QuoteColumnCount; ++column) {
            const QTableWidgetItem *item = window.quoteTable->item(row, column);
            // Selecting a row asks for its quote, which writes the row's Status cell afresh (untagged).
            if (column == QuoteColumnStatus && item && !item->data(kTagRole).isValid())
                continue;
            if (!item || item->data(kTagRole).toString() != symbol) {
                *problem = QStringLiteral("row %1 column %2").arg(row).arg(column);
                return false;
            }
        }
    }
    return true;
}

QPoint rowCentre(const QTableWidget *table, int row)
{
    return QPoint(table->columnViewportPosition(0) + 10,
                  table->rowViewportPosition(row) + table->rowHeight(row) / 2);
}

// Runs `choose` on the context menu once it is open, so the modal menu can be driven from a test.
void whenMenuOpens(std::function<void(QMenu *)> choose)
{
    QTimer::singleShot(0, [choose]() {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        choose(menu);
    });
}

QAction *actionNamed(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

// Chooses an entry the way a user does, so the menu reports it as its choice.
bool choose(QMenu *menu, const QString &text)
{
    QAction *action = actionNamed(menu, text);
    if (!action)
        return false;
    menu->setActiveAction(action);
    QTest::keyClick(menu, Qt::Key_Return);
    return true;
}

QString lastConsoleLine(const MainWindow &window)
{
    return window.eventConsole->toPlainText().section(QLatin1Char('\n'), -1);
}
} // namespace

class TestQuoteTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsRowsBySymbolExactly()
    {
        TempHome home;
        MainWindow window;
        window.quoteTable->setRowCount(0);
        QCOMPARE(window.findSymbolRow(QStringLiteral("AAPL")), -1);
        fillRows(window);
        QCOMPARE(window.findSymbolRow(QStringLiteral("PETR4.SA")), 0);
        QCOMPARE(window.findSymbolRow(QStringLiteral("VALE3.SA")), 4);
        QCOMPARE(window.findSymbolRow(QStringLiteral("aapl")), -1);
        QCOMPARE(window.findSymbolRow(QStringLiteral("AAP")), -1);
        QCOMPARE(window.findSymbolRow(QString()), -1);
    }

    void selectedSymbolFollowsTheCurrentRow()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        QCOMPARE(window.selectedSymbol(), QString());
        window.quoteTable->setCurrentCell(2, 5);
        QCOMPARE(window.selectedSymbol(), QStringLiteral("BTCUSDT"));
        delete window.quoteTable->takeItem(2, QuoteColumnSymbol);
        QCOMPARE(window.selectedSymbol(), QString());
    }

    void sortingByAnyColumnKeepsEachRowTogether()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        for (int column = 0; column < QuoteColumnCount; ++column) {
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                window.quoteTable->sortItems(column, order);
                QString problem;
                QVERIFY2(rowsIntact(window, &problem), qPrintable(problem));
            }
        }
        window.quoteTable->sortItems(QuoteColumnLast, Qt::DescendingOrder);
        QCOMPARE(symbolOrder(window), (QStringList{"BTCUSDT", "AAPL", "VALE3.SA", "PETR4.SA", "USD/BRL"}));
        // The change column: "--" orders before every number, numbers by value.
        window.quoteTable->sortItems(QuoteColumnChange, Qt::AscendingOrder);
        QCOMPARE(symbolOrder(window), (QStringList{"BTCUSDT", "VALE3.SA", "AAPL", "USD/BRL", "PETR4.SA"}));
    }

    void moveRow_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("down") << 0 << 2 << QStringList{"AAPL", "BTCUSDT", "PETR4.SA", "USD/BRL", "VALE3.SA"};
        QTest::newRow("up") << 3 << 1 << QStringList{"PETR4.SA", "USD/BRL", "AAPL", "BTCUSDT", "VALE3.SA"};
        QTest::newRow("to the end") << 0 << 4
                                    << QStringList{"AAPL", "BTCUSDT", "USD/BRL", "VALE3.SA", "PETR4.SA"};
        QTest::newRow("to the top") << 4 << 0
                                    << QStringList{"VALE3.SA", "PETR4.SA", "AAPL", "BTCUSDT", "USD/BRL"};
    }

    void moveRow()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, order);
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.moveWatchlistRow(from, to);
        QCOMPARE(symbolOrder(window), order);
        QString problem;
        QVERIFY2(rowsIntact(window, &problem), qPrintable(problem));
        QCOMPARE(window.quoteTable->currentRow(), to);
        QVERIFY(window.quoteTable->selectionModel()->isRowSelected(to, QModelIndex()));
        QVERIFY(!window.quoteTable->isSortingEnabled());
        QVERIFY(lastConsoleLine(window).endsWith(QStringLiteral("] Watchlist row moved")));
    }

    void moveRowIgnoresIndicesOutOfRange_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("same row") << 2 << 2;
        QTest::newRow("negative source") << -1 << 2;
        QTest::newRow("negative target") << 1 << -1;
        QTest::newRow("source past the end") << 5 << 0;
        QTest::newRow("target past the end") << 0 << 5;
    }

    void moveRowIgnoresIndicesOutOfRange()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        TempHome home;
        MainWindow window;
        fillRows(window);
        const QStringList before = symbolOrder(window);
        window.moveWatchlistRow(from, to);
        QCOMPARE(symbolOrder(window), before);
        QVERIFY(window.quoteTable->isSortingEnabled());
        QVERIFY(window.eventConsole->toPlainText().isEmpty());
    }

    void afterAMoveAHeaderClickNoLongerSorts()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.moveWatchlistRow(0, 4);
        const QStringList moved = symbolOrder(window);
        QHeaderView *header = window.quoteTable->horizontalHeader();
        const QPoint section(header->sectionViewportPosition(QuoteColumnSymbol) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, section);
        QCOMPARE(symbolOrder(window), moved);
    }

    void removeSelectedSymbol()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.candlesBySymbol[QStringLiteral("AAPL")] = {Candle{1, 1, 2, 0.5, 1.5, 10}};
        window.candlesBySymbol[QStringLiteral("PETR4.SA")] = {Candle{1, 1, 2, 0.5, 1.5, 10}};
        window.bookSymbol = QStringLiteral("PETR4.SA");
        window.quoteTable->setCurrentCell(1, 0);
        window.removeSelectedSymbol();
        QCOMPARE(symbolOrder(window), (QStringList{"PETR4.SA", "BTCUSDT", "USD/BRL", "VALE3.SA"}));
        QVERIFY(!window.candlesBySymbol.contains(QStringLiteral("AAPL")));
        QVERIFY(window.candlesBySymbol.contains(QStringLiteral("PETR4.SA")));
        QCOMPARE(window.bookSymbol, QStringLiteral("PETR4.SA")); // another symbol's book stays
        QString problem;
        QVERIFY2(rowsIntact(window, &problem), qPrintable(problem));
        QVERIFY(window.eventConsole->toPlainText().isEmpty()); // removal is silent
    }

    void removingTheBookSymbolResetsTheBook()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.bookSymbol = QStringLiteral("BTCUSDT");
        window.bookTitleLabel->setText(QStringLiteral("ORDER BOOK  BTCUSDT  live"));
        window.bookPending = true;
        window.bookLive = true;
        window.askTable->setRowCount(3);
        window.bidTable->setRowCount(3);
        window.quoteTable->setCurrentCell(window.findSymbolRow(QStringLiteral("BTCUSDT")), 3);
        window.removeSelectedSymbol();
        QCOMPARE(window.findSymbolRow(QStringLiteral("BTCUSDT")), -1);
        // The removed symbol's book is gone; the book now follows the row that became current.
        QVERIFY(window.bookSymbol != QStringLiteral("BTCUSDT"));
        QCOMPARE(window.bookSymbol, window.selectedSymbol());
        QVERIFY(!window.bookTitleLabel->text().contains(QStringLiteral("BTCUSDT")));
        QVERIFY(!window.bookLive);
        QVERIFY(!window.tapeTitleLabel->text().contains(QStringLiteral("BTCUSDT")));
    }

    void removeWithoutACurrentRowDoesNothing()
    {
        TempHome home;
        MainWindow window;
        window.quoteTable->setRowCount(0);
        window.removeSelectedSymbol(); // empty table
        fillRows(window);
        window.removeSelectedSymbol();
        QCOMPARE(window.quoteTable->rowCount(), kRows.size());
        window.quoteTable->setCurrentCell(0, 0);
        delete window.quoteTable->takeItem(0, QuoteColumnSymbol);
        window.removeSelectedSymbol(); // a row without a symbol cell is left alone
        QCOMPARE(window.quoteTable->rowCount(), kRows.size());
    }

    void deleteKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << kRows.size() - 1;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << kRows.size() - 1;
        QTest::newRow("another key") << int(Qt::Key_X) << kRows.size();
    }

    void deleteKeys()
    {
        QFETCH(int, key);
        QFETCH(int, rowsLeft);
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.quoteTable->setCurrentCell(2, 0);
        QTest::keyClick(window.quoteTable, Qt::Key(key));
        QCOMPARE(window.quoteTable->rowCount(), rowsLeft);
        if (rowsLeft < kRows.size())
            QCOMPARE(window.findSymbolRow(QStringLiteral("BTCUSDT")), -1);
    }

    void dragRow_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("releaseRow");     // -1: below the last row
        QTest::addColumn<int>("releaseOffsetX"); // extra horizontal travel
        QTest::addColumn<QStringList>("order");
        const QStringList unchanged = {"PETR4.SA", "AAPL", "BTCUSDT", "USD/BRL", "VALE3.SA"};
        QTest::newRow("down two rows")
            << 0 << 2 << 0 << QStringList{"AAPL", "BTCUSDT", "PETR4.SA", "USD/BRL", "VALE3.SA"};
        QTest::newRow("up to the top")
            << 3 << 0 << 0 << QStringList{"USD/BRL", "PETR4.SA", "AAPL", "BTCUSDT", "VALE3.SA"};
        QTest::newRow("below the rows goes to the end")
            << 1 << -1 << 0 << QStringList{"PETR4.SA", "BTCUSDT", "USD/BRL", "VALE3.SA", "AAPL"};
        QTest::newRow("same row moves nothing") << 2 << 2 << 40 << unchanged;
    }

    void dragRow()
    {
        QFETCH(int, from);
        QFETCH(int, releaseRow);
        QFETCH(int, releaseOffsetX);
        QFETCH(QStringList, order);
        TempHome home;
        MainWindow window;
        window.resize(1320, 1200);
        fillRows(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableWidget *table = window.quoteTable;
        QWidget *viewport = table->viewport();
        const QPoint press = rowCentre(table, from);
        QPoint release = releaseRow >= 0
                             ? rowCentre(table, releaseRow)
                             : QPoint(press.x(), table->rowViewportPosition(table->rowCount() - 1) +
                                                     table->rowHeight(0) * 2);
        QVERIFY(release.y() < viewport->height());
        release.rx() += releaseOffsetX;
        QTest::mousePress(viewport, Qt::LeftButton, {}, press);
        QCOMPARE(window.selectedSymbol(), kRows.at(from).symbol); // the press still selects
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, release);
        QCOMPARE(symbolOrder(window), order);
        QString problem;
        QVERIFY2(rowsIntact(window, &problem), qPrintable(problem));
        QCOMPARE(window.dragSourceRow, -1);
    }

    void shortOrRightButtonDragsMoveNothing()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableWidget *table = window.quoteTable;
        QWidget *viewport = table->viewport();
        const QStringList before = symbolOrder(window);

        // Ending one pixel short of the drag distance, though on another row.
        const QPoint press = QPoint(20, table->rowViewportPosition(1) + table->rowHeight(1) - 2);
        const QPoint nearby = press + QPoint(0, QApplication::startDragDistance() - 1);
        QVERIFY(table->rowAt(nearby.y()) == 2);
        QTest::mousePress(viewport, Qt::LeftButton, {}, press);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, nearby);
        QCOMPARE(symbolOrder(window), before);

        QTest::mousePress(viewport, Qt::RightButton, {}, rowCentre(table, 0));
        QTest::mouseRelease(viewport, Qt::RightButton, {}, rowCentre(table, 3));
        QCOMPARE(symbolOrder(window), before);
        QVERIFY(window.quoteTable->isSortingEnabled());
    }

    void rowMenu_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("order");
        const QStringList unchanged = {"PETR4.SA", "AAPL", "BTCUSDT", "USD/BRL", "VALE3.SA"};
        QTest::newRow("move up") << "en" << 2 << "Move up"
                                 << QStringList{"PETR4.SA", "BTCUSDT", "AAPL", "USD/BRL", "VALE3.SA"};
        QTest::newRow("move up on the first row") << "en" << 0 << "Move up" << unchanged;
        QTest::newRow("move down") << "en" << 0 << "Move down"
                                   << QStringList{"AAPL", "PETR4.SA", "BTCUSDT", "USD/BRL", "VALE3.SA"};
        QTest::newRow("move down on the last row") << "en" << 4 << "Move down" << unchanged;
        QTest::newRow("move to top") << "en" << 3 << "Move to top"
                                     << QStringList{"USD/BRL", "PETR4.SA", "AAPL", "BTCUSDT", "VALE3.SA"};
        QTest::newRow("move to bottom") << "pt_BR" << 1 << "Mover para o fim"
                                        << QStringList{"PETR4.SA", "BTCUSDT", "USD/BRL", "VALE3.SA", "AAPL"};
        QTest::newRow("remove symbol") << "pt_BR" << 3 << QString::fromUtf8("Remover símbolo")
                                       << QStringList{"PETR4.SA", "AAPL", "BTCUSDT", "VALE3.SA"};
        QTest::newRow("below the rows a move does nothing") << "en" << -1 << "Move to top" << unchanged;
        QTest::newRow("create alert moves nothing") << "en" << 1 << "Create alert" << unchanged;
        QTest::newRow("closed without a choice") << "en" << 1 << "" << unchanged;
    }

    void rowMenu()
    {
        QFETCH(QString, language);
        QFETCH(int, row);
        QFETCH(QString, entry);
        QFETCH(QStringList, order);
        TempHome home;
        MainWindow window;
        window.resize(1320, 1200);
        window.settings.language = language;
        fillRows(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableWidget *table = window.quoteTable;
        const QPoint pos = row >= 0 ? rowCentre(table, row)
                                    : QPoint(20, table->rowViewportPosition(table->rowCount() - 1) + 80);
        QStringList shown;
        whenMenuOpens([&](QMenu *menu) {
            for (QAction *action : menu->actions())
                shown << (action->isSeparator() ? QStringLiteral("--") : action->text());
            if (entry.isEmpty()) {
                menu->close();
                return;
            }
            QVERIFY(choose(menu, entry));
        });
        // "Create alert" opens its dialog for the row's symbol; cancelled, it changes nothing.
        QString alertDialogTitle;
        NextWidget<QDialog> alertDialog([&](QDialog *dialog) {
            alertDialogTitle = dialog->windowTitle();
            dialog->reject();
        });
        window.showWatchlistMenu(pos);
        QCOMPARE(alertDialogTitle,
                 entry == QLatin1String("Create alert") ? QStringLiteral("Create alert - AAPL") : QString());
        QCOMPARE(symbolOrder(window), order);
        if (language == QLatin1String("en"))
            QCOMPARE(shown, (QStringList{"Create alert", "--", "Move up", "Move down", "Move to top",
                                         "Move to bottom", "--", "Remove symbol"}));
        else
            QCOMPARE(shown, (QStringList{"Criar alerta", "--", "Mover para cima", "Mover para baixo",
                                         "Mover para o topo", "Mover para o fim", "--",
                                         QString::fromUtf8("Remover símbolo")}));
        if (row >= 0 && entry.isEmpty())
            QCOMPARE(window.selectedSymbol(), kRows.at(row).symbol); // opening the menu selects the row
        QString problem;
        QVERIFY2(rowsIntact(window, &problem), qPrintable(problem));
    }

    // Quotes arriving while the menu is open may re-sort the table; the move applies to the row that
    // was under the pointer, wherever it went.
    void rowMenuFollowsItsSymbolWhenTheTableResorts()
    {
        TempHome home;
        MainWindow window;
        window.resize(1320, 1200);
        fillRows(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        whenMenuOpens([&](QMenu *menu) {
            window.quoteTable->sortItems(QuoteColumnLast,
                                         Qt::AscendingOrder); // AAPL goes from row 1 to row 3
            QCOMPARE(window.findSymbolRow(QStringLiteral("AAPL")), 3);
            QVERIFY(choose(menu, QStringLiteral("Move to top")));
        });
        window.showWatchlistMenu(rowCentre(window.quoteTable, 1)); // AAPL
        QCOMPARE(window.quoteTable->item(0, QuoteColumnSymbol)->text(), QStringLiteral("AAPL"));
    }

    void indicatorCells_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("lastPrice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("price below a thousand") << 999.99 << 1000.0 << "999.9900" << true;
        QTest::newRow("a thousand") << 1000.0 << 30000.0 << "1000.00" << true;
        QTest::newRow("negative MACD") << -1234.5 << 30000.0 << "-1234.5000" << true;
        // MACD of a coin below a cent reads as its value, with the same decimals for both signs.
        QTest::newRow("coin below a cent") << 0.00000012 << 0.0000123 << "0.00000012" << true;
        QTest::newRow("coin below a cent, negative") << -0.00000012 << 0.0000123 << "-0.00000012" << true;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 36.71 << "--" << false;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 36.71 << "--" << false;
    }

    void indicatorCells()
    {
        QFETCH(double, value);
        QFETCH(double, lastPrice);
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.setIndicatorCell(1, QuoteColumnMacd, value, lastPrice);
        const QTableWidgetItem *item = window.quoteTable->item(1, QuoteColumnMacd);
        QCOMPARE(item->text(), text);
        QCOMPARE(item->data(Qt::UserRole).isValid(), numeric);
        QVERIFY(dynamic_cast<const MarketTableItem *>(item));
    }

    // The row's MACD takes its decimals from the symbol's last price, the close of its last candle.
    void macdOfACoinBelowACentReadsAsANumber()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        window.candlesBySymbol[QStringLiteral("AAPL")] = {Candle{1700000000, 0.0000123, 0.0000123, 0.0000123,
                                                                 0.0000123, 100},
                                                          Candle{1700000060, 0.0000125, 0.0000125, 0.0000125,
                                                                 0.0000125, 100}};
        window.refreshAllIndicatorColumns();
        const int aapl = window.findSymbolRow(QStringLiteral("AAPL"));
        // EMA12 - EMA26 of the two closes: 2e-7 x (2/13 - 2/27).
        QCOMPARE(window.quoteTable->item(aapl, QuoteColumnMacd)->text(), QStringLiteral("0.00000002"));
        QCOMPARE(window.quoteTable->item(aapl, QuoteColumnEma)->text(), QStringLiteral("0.00001232"));
    }

    void refreshingIndicatorsRewritesOnlyRowsWithCandles()
    {
        TempHome home;
        MainWindow window;
        fillRows(window);
        // One candle is fewer than the SMA period: that column has no value whatever the indicators.
        window.candlesBySymbol[QStringLiteral("AAPL")] = {Candle{1700000000, 10, 12, 9, 11, 100}};
        window.quoteTable->sortItems(QuoteColumnSma, Qt::AscendingOrder);
        window.refreshAllIndicatorColumns();
        QVERIFY(window.quoteTable->isSortingEnabled());
        const int aapl = window.findSymbolRow(QStringLiteral("AAPL"));
        QCOMPARE(window.quoteTable->item(aapl, QuoteColumnSma)->text(), QStringLiteral("--"));
        for (int row = 0; row < window.quoteTable->rowCount(); ++row) {
            if (row == aapl)
                continue;
            for (int column = QuoteColumnSma; column <= QuoteColumnMacd; ++column)
                QCOMPARE(window.quoteTable->item(row, column)->data(kTagRole).toString(),
                         window.quoteTable->item(row, QuoteColumnSymbol)->text());
        }

        window.quoteTable->setSortingEnabled(false);
        window.refreshAllIndicatorColumns();
        QVERIFY(!window.quoteTable->isSortingEnabled());
    }
};

MVX_TEST_MAIN(TestQuoteTable)
#include "test_quote_table.moc"
