#include "tests/support/test_main.h"
#include "watchlist/market_table_item.h"

#include <QTableWidget>

#include <cmath>
#include <limits>
#include <memory>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A cell: text plus an optional number (an invalid QVariant means none).
std::unique_ptr<MarketTableItem> cell(const QString &text, const QVariant &number = QVariant())
{
    auto item = std::make_unique<MarketTableItem>(text);
    if (number.isValid())
        item->setData(Qt::UserRole, number);
    return item;
}
} // namespace

class TestMarketTableItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ordering_data()
    {
        QTest::addColumn<QString>("leftText");
        QTest::addColumn<QVariant>("leftNumber");
        QTest::addColumn<QString>("rightText");
        QTest::addColumn<QVariant>("rightNumber");
        QTest::addColumn<bool>("less");
        QTest::addColumn<bool>("greater");

        const QVariant none;
        QTest::newRow("numbers, not their texts")
            << "1000.00" << QVariant(1000.0) << "999.9900" << QVariant(999.99) << false << true;
        QTest::newRow("negative numbers")
            << "-2.00%" << QVariant(-2.0) << "-0.25%" << QVariant(-0.25) << true << false;
        QTest::newRow("equal numbers, neither first")
            << "5" << QVariant(5.0) << "5.0000" << QVariant(5.0) << false << false;
        QTest::newRow("texts when neither has a number")
            << "AAPL" << none << "BTCUSDT" << none << true << false;
        QTest::newRow("texts are case-sensitive") << "aapl" << none << "BTCUSDT" << none << false << true;
        QTest::newRow("equal texts, neither first") << "--" << none << "--" << none << false << false;
        QTest::newRow("number against dash falls back to text")
            << "12.3400" << QVariant(12.34) << "--" << none << false << true;
        QTest::newRow("negative number against dash")
            << "-0.25%" << QVariant(-0.25) << "--" << none << false << true;
        QTest::newRow("NaN counts as absent")
            << "b" << QVariant(kNaN) << "a" << QVariant(1.0) << false << true;
        QTest::newRow("two NaNs sort by text")
            << "a" << QVariant(kNaN) << "b" << QVariant(kNaN) << true << false;
        QTest::newRow("infinity counts as absent")
            << "z" << QVariant(kInf) << "a" << QVariant(-5.0) << false << true;
        QTest::newRow("minus infinity counts as absent")
            << "a" << QVariant(-kInf) << "b" << QVariant(1e300) << true << false;
        QTest::newRow("non-numeric data counts as absent")
            << "b" << QVariant(QStringLiteral("x")) << "a" << QVariant(1.0) << false << true;
        QTest::newRow("numeric string data counts")
            << "b" << QVariant(QStringLiteral("1.5")) << "a" << QVariant(2.0) << true << false;
    }

    void ordering()
    {
        QFETCH(QString, leftText);
        QFETCH(QVariant, leftNumber);
        QFETCH(QString, rightText);
        QFETCH(QVariant, rightNumber);
        QFETCH(bool, less);
        QFETCH(bool, greater);
        const auto left = cell(leftText, leftNumber);
        const auto right = cell(rightText, rightNumber);
        QCOMPARE(*left < *right, less);
        QCOMPARE(*right < *left, greater);
    }

    void comparesAgainstAPlainItemByItsData()
    {
        const auto mine = cell(QStringLiteral("2"), 2.0);
        QTableWidgetItem plain(QStringLiteral("10"));
        plain.setData(Qt::UserRole, 10.0);
        QVERIFY(*mine < plain);
    }

    void withNumberCarriesTextAndValue()
    {
        std::unique_ptr<MarketTableItem> item(MarketTableItem::withNumber(QStringLiteral("1.50%"), 1.5));
        QCOMPARE(item->text(), QStringLiteral("1.50%"));
        QCOMPARE(item->data(Qt::UserRole).toDouble(), 1.5);
        QCOMPARE(item->type(), 0);
        double value = 0.0;
        QVERIFY(marketItemNumber(*item, &value));
        QCOMPARE(value, 1.5);
        QVERIFY(!marketItemNumber(*cell(QStringLiteral("--")), &value));
    }

    // A column mixing prices, dashes and values that are not finite still sorts into an order in which
    // no later cell orders before an earlier one.
    void sortingAColumnWithNonFiniteValuesGivesAConsistentOrder()
    {
        QTableWidget table(0, 2);
        const QList<QPair<QString, double>> cells = {
            {"10.0000", 10.0}, {"--", kNaN}, {"2.0000", 2.0},   {"nan", kNaN},       {"1000.00", 1000.0},
            {"inf", kInf},     {"--", kNaN}, {"-3.0000", -3.0}, {"999.9900", 999.99}};
        for (int i = 0; i < cells.size(); ++i) {
            table.insertRow(i);
            table.setItem(i, 0, MarketTableItem::withNumber(cells.at(i).first, cells.at(i).second));
            table.setItem(i, 1, new MarketTableItem(QString::number(i)));
        }
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            table.sortItems(0, order);
            for (int a = 0; a < table.rowCount(); ++a) {
                for (int b = a + 1; b < table.rowCount(); ++b) {
                    const QTableWidgetItem &first = *table.item(a, 0);
                    const QTableWidgetItem &second = *table.item(b, 0);
                    const bool inverted = order == Qt::AscendingOrder ? second < first : first < second;
                    QVERIFY2(!inverted, qPrintable(first.text() + QStringLiteral(" / ") + second.text()));
                }
            }
            // The finite prices stay in numeric order among themselves.
            QList<double> prices;
            for (int row = 0; row < table.rowCount(); ++row) {
                double value = 0.0;
                if (marketItemNumber(*table.item(row, 0), &value))
                    prices << value;
            }
            QList<double> expected = {-3.0, 2.0, 10.0, 999.99, 1000.0};
            if (order == Qt::DescendingOrder)
                std::reverse(expected.begin(), expected.end());
            QCOMPARE(prices, expected);
        }
    }
};

MVX_TEST_MAIN(TestMarketTableItem)
#include "test_market_table_item.moc"
