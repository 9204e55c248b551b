#include "shell/main_window.h"
#include "tests/support/test_main.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

#include <cmath>
#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A row with the cells the tiles read; an empty change text leaves the change cell out.
// The initial loading seeds the default watchlist; these tests start from their own rows.
void clearRows(MainWindow &window)
{
    window.quoteTable->setRowCount(0);
}

void addRow(MainWindow &window, const QString &symbol, const QString &last, const QString &change,
            const QString &source = QStringLiteral("Yahoo"),
            const QString &status = QStringLiteral("free/delayed"))
{
    QTableWidget *table = window.quoteTable;
    table->setSortingEnabled(false);
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, QuoteColumnSymbol, new MarketTableItem(symbol));
    table->setItem(row, QuoteColumnLast, new MarketTableItem(last));
    if (!change.isEmpty())
        table->setItem(row, QuoteColumnChange, new MarketTableItem(change));
    table->setItem(row, QuoteColumnSource, new MarketTableItem(source));
    table->setItem(row, QuoteColumnStatus, new MarketTableItem(status));
}

QStringList tileTexts(const MainWindow &window)
{
    QStringList out;
    for (const QLabel *tile : window.quoteTileLabels)
        out << tile->text();
    return out;
}

QStringList tileDirections(const MainWindow &window)
{
    QStringList out;
    for (const QLabel *tile : window.quoteTileLabels)
        out << tile->property("direction").toString();
    return out;
}

QList<QPoint> tileCells(const MainWindow &window)
{
    QList<QPoint> out;
    for (QLabel *tile : window.quoteTileLabels) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        window.quoteTilesLayout->getItemPosition(window.quoteTilesLayout->indexOf(tile), &row, &column,
                                                 &rowSpan, &columnSpan);
        out << QPoint(column, row);
    }
    return out;
}

const QList<QPoint> kOneRow = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
const QList<QPoint> kTwoRows = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
} // namespace

class TestQuoteTiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tilesMirrorTheFirstFourRows()
    {
        TempHome home;
        MainWindow window;
        clearRows(window);
        addRow(window, QStringLiteral("PETR4.SA"), QStringLiteral("38.5000"), QStringLiteral("1.25%"),
               QStringLiteral("BrAPI"), QStringLiteral("pendente"));
        addRow(window, QStringLiteral("AAPL"), QStringLiteral("1000.00"), QStringLiteral("-0.50%"));
        window.updateQuoteTiles();
        QCOMPARE(tileTexts(window),
                 (QStringList{"PETR4.SA  38.5000  1.25%", "AAPL  1000.00  -0.50%", "--", "--"}));
        QCOMPARE(tileDirections(window), (QStringList{"up", "down", "flat", "flat"}));
        QCOMPARE(window.quoteTileLabels.at(0)->toolTip(), QStringLiteral("BrAPI | pendente"));
        QCOMPARE(window.quoteTileLabels.at(2)->toolTip(), QString());
    }

    // The direction follows the number the change cell stores, as its colour does; the text decides only
    // for a cell that stores none.
    void tileDirectionAndMissingCells_data()
    {
        QTest::addColumn<QString>("change"); // empty: no change cell at all
        QTest::addColumn<double>("stored");  // NaN: the cell stores no number
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("direction");
        QTest::newRow("dash") << "--" << kNaN << "X  1.0000  --"
                              << "flat";
        QTest::newRow("zero") << "0.00%" << 0.0 << "X  1.0000  0.00%"
                              << "flat";
        QTest::newRow("smallest rise") << "0.01%" << 0.01 << "X  1.0000  0.01%"
                                       << "up";
        QTest::newRow("fall") << "-3.10%" << -3.1 << "X  1.0000  -3.10%"
                              << "down";
        QTest::newRow("rise too small to show") << "0.00%" << 0.004 << "X  1.0000  0.00%"
                                                << "up";
        QTest::newRow("fall too small to show") << "-0.00%" << -0.003 << "X  1.0000  -0.00%"
                                                << "down";
        QTest::newRow("text only") << "0.01%" << kNaN << "X  1.0000  0.01%"
                                   << "up";
        QTest::newRow("missing change cell") << "" << kNaN << "X  1.0000  --"
                                             << "flat";
    }

    void tileDirectionAndMissingCells()
    {
        QFETCH(QString, change);
        QFETCH(double, stored);
        QFETCH(QString, text);
        QFETCH(QString, direction);
        TempHome home;
        MainWindow window;
        clearRows(window);
        addRow(window, QStringLiteral("X"), QStringLiteral("1.0000"), change);
        if (!std::isnan(stored))
            window.quoteTable->setItem(0, QuoteColumnChange, MarketTableItem::withNumber(change, stored));
        window.updateQuoteTiles();
        QCOMPARE(window.quoteTileLabels.at(0)->text(), text);
        QCOMPARE(window.quoteTileLabels.at(0)->property("direction").toString(), direction);
    }

    void missingSourceAndStatusShowDashes()
    {
        TempHome home;
        MainWindow window;
        clearRows(window);
        addRow(window, QStringLiteral("X"), QStringLiteral("1.0000"), QStringLiteral("1.00%"));
        delete window.quoteTable->takeItem(0, QuoteColumnSource);
        delete window.quoteTable->takeItem(0, QuoteColumnStatus);
        delete window.quoteTable->takeItem(0, QuoteColumnLast);
        window.updateQuoteTiles();
        QCOMPARE(window.quoteTileLabels.at(0)->text(), QStringLiteral("X  --  1.00%"));
        QCOMPARE(window.quoteTileLabels.at(0)->toolTip(), QStringLiteral("-- | --"));
    }

    void rowWithoutASymbolCellShowsAnEmptyTile()
    {
        TempHome home;
        MainWindow window;
        clearRows(window);
        addRow(window, QStringLiteral("X"), QStringLiteral("1.0000"), QStringLiteral("1.00%"));
        window.updateQuoteTiles();
        delete window.quoteTable->takeItem(0, QuoteColumnSymbol);
        window.updateQuoteTiles();
        QCOMPARE(window.quoteTileLabels.at(0)->text(), QStringLiteral("--"));
        QCOMPARE(window.quoteTileLabels.at(0)->property("direction").toString(), QStringLiteral("flat"));
        QCOMPARE(window.quoteTileLabels.at(0)->toolTip(), QString());
    }

    void tilesFollowTheTableOrderOnTheNextUpdate()
    {
        TempHome home;
        MainWindow window;
        clearRows(window);
        const QStringList symbols = {"E", "D", "C", "B", "A"};
        for (const QString &symbol : symbols)
            addRow(window, symbol, QStringLiteral("1.0000"), QStringLiteral("1.00%"));
        window.updateQuoteTiles();
        QVERIFY(window.quoteTileLabels.at(0)->text().startsWith(QStringLiteral("E  ")));
        window.quoteTable->sortItems(QuoteColumnSymbol, Qt::AscendingOrder);
        QVERIFY(window.quoteTileLabels.at(0)->text().startsWith(
            QStringLiteral("E  "))); // sorting alone: no refresh
        window.updateQuoteTiles();
        QCOMPARE(tileTexts(window), (QStringList{"A  1.0000  1.00%", "B  1.0000  1.00%", "C  1.0000  1.00%",
                                                 "D  1.0000  1.00%"}));
    }

    void layoutFollowsTheWindowWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<QPoint>>("cells");
        QTest::newRow("1049") << 1049 << kTwoRows;
        QTest::newRow("1050") << 1050 << kOneRow;
        QTest::newRow("narrow") << 700 << kTwoRows;
    }

    void layoutFollowsTheWindowWidth()
    {
        QFETCH(int, width);
        QFETCH(QList<QPoint>, cells);
        TempHome home;
        MainWindow window;
        window.resize(width, 800);
        window.layoutQuoteTiles();
        QCOMPARE(tileCells(window), cells);
        QCOMPARE(window.quoteTilesLayout->count(), 4); // re-placed, never added twice
        window.layoutQuoteTiles();
        QCOMPARE(window.quoteTilesLayout->count(), 4);
    }

    void resizingTheShownWindowReflowsTheTiles()
    {
        TempHome home;
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(tileCells(window), kOneRow);
        window.resize(1000, 800);
        QTRY_COMPARE(tileCells(window), kTwoRows);
        window.resize(1100, 800);
        QTRY_COMPARE(tileCells(window), kOneRow);
    }

    void fxTicker()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL --"));
        QVERIFY(!window.fxTickerLabel->property("direction").isValid());

        window.updateFxTicker(5.4321, -0.5);
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL 5.4321 -0.50%"));
        QCOMPARE(window.fxTickerLabel->property("direction").toString(), QStringLiteral("down"));
        QCOMPARE(window.usdBrlRate, 5.4321);

        window.updateFxTicker(5.5, kNaN); // no change known: the direction stays
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL 5.5000 --"));
        QCOMPARE(window.fxTickerLabel->property("direction").toString(), QStringLiteral("down"));
        QCOMPARE(window.usdBrlRate, 5.5);

        window.updateFxTicker(5.6, 0.0);
        QCOMPARE(window.fxTickerLabel->property("direction").toString(), QStringLiteral("up"));
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL 5.6000 0.00%"));
    }

    void fxTickerIgnoresARateThatIsNotFinite_data()
    {
        QTest::addColumn<double>("rate");
        QTest::newRow("nan") << kNaN;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    }

    void fxTickerIgnoresARateThatIsNotFinite()
    {
        QFETCH(double, rate);
        TempHome home;
        MainWindow window;
        window.updateFxTicker(5.1, 1.0);
        window.updateFxTicker(rate, -2.0);
        QCOMPARE(window.usdBrlRate, 5.1);
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL 5.1000 1.00%"));
        QCOMPARE(window.fxTickerLabel->property("direction").toString(), QStringLiteral("up"));
    }
};

MVX_TEST_MAIN(TestQuoteTiles)
#include "test_quote_tiles.moc"
