#include "tests/support/test_main.h"
#include "watchlist/quote_display.h"

#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
} // namespace

class TestQuoteDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void price_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("below a thousand") << 999.99 << QStringLiteral("999.9900");
        QTest::newRow("a thousand") << 1000.0 << QStringLiteral("1000.00");
        QTest::newRow("small") << 0.00012345 << QStringLiteral("0.0001");
        QTest::newRow("negative large keeps 4") << -1500.0 << QStringLiteral("-1500.0000");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0.0000");
    }

    void price()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(formatQuotePrice(value), expected);
    }

    void direction_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("up") << "0.01%"
                            << "up";
        QTest::newRow("down") << "-1.50%"
                              << "down";
        QTest::newRow("zero is flat") << "0.00%"
                                      << "flat";
        QTest::newRow("negative zero is flat") << "-0.00%"
                                               << "flat";
        QTest::newRow("dash is flat") << "--"
                                      << "flat";
        QTest::newRow("empty is flat") << ""
                                       << "flat";
        QTest::newRow("without the percent sign") << "2.5"
                                                  << "up";
    }

    void direction()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        QCOMPARE(changeDirection(change), expected);
    }

    void tileColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("columns");
        QTest::newRow("narrow") << 1049 << 2;
        QTest::newRow("threshold") << 1050 << 4;
        QTest::newRow("wide") << 1920 << 4;
        QTest::newRow("tiny") << 0 << 2;
    }

    void tileColumns()
    {
        QFETCH(int, width);
        QFETCH(int, columns);
        QCOMPARE(quoteTileColumns(width), columns);
    }

    void fxTicker_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("falling") << 5.4321 << -0.5 << QStringLiteral("USD/BRL 5.4321 -0.50%");
        QTest::newRow("no plus sign") << 5.0 << 1.234 << QStringLiteral("USD/BRL 5.0000 1.23%");
        QTest::newRow("change unknown") << 5.4321 << kNaN << QStringLiteral("USD/BRL 5.4321");
        QTest::newRow("change infinite") << 5.4321 << kInf << QStringLiteral("USD/BRL 5.4321");
    }

    void fxTicker()
    {
        QFETCH(double, rate);
        QFETCH(double, change);
        QFETCH(QString, expected);
        QCOMPARE(fxTickerText(rate, change), expected);
    }
};

MVX_TEST_MAIN(TestQuoteDisplay)
#include "test_quote_display.moc"
