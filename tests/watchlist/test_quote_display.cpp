#include "tests/support/test_main.h"
#include "watchlist/quote_display.h"

#include <QDateTime>

#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
} // namespace

class TestQuoteDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void direction_data()
    {
        QTest::addColumn<double>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("up") << 0.01 << "up";
        QTest::newRow("down") << -1.5 << "down";
        QTest::newRow("zero is flat") << 0.0 << "flat";
        QTest::newRow("negative zero is flat") << -0.0 << "flat";
        QTest::newRow("not a number is flat") << qQNaN() << "flat";
        QTest::newRow("a rise too small to show") << 0.004 << "up";
        QTest::newRow("a fall too small to show") << -0.003 << "down";
    }

    void direction()
    {
        QFETCH(double, change);
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
        QTest::newRow("change unknown") << 5.4321 << kNaN << QStringLiteral("USD/BRL 5.4321 --");
        QTest::newRow("change infinite") << 5.4321 << kInf << QStringLiteral("USD/BRL 5.4321 --");
    }

    void fxTicker()
    {
        QFETCH(double, rate);
        QFETCH(double, change);
        QFETCH(QString, expected);
        QCOMPARE(fxTickerText(rate, change), expected);
    }

    void changeCell_data()
    {
        QTest::addColumn<double>("change");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colour");
        QTest::newRow("rise, no plus sign") << 1.5 << QStringLiteral("1.50%") << QStringLiteral("#20c878");
        QTest::newRow("fall") << -0.25 << QStringLiteral("-0.25%") << QStringLiteral("#f45d5d");
        QTest::newRow("zero is a rise") << 0.0 << QStringLiteral("0.00%") << QStringLiteral("#20c878");
        QTest::newRow("rounds to 2 decimals")
            << 2.345678 << QStringLiteral("2.35%") << QStringLiteral("#20c878");
        QTest::newRow("unknown") << kNaN << QStringLiteral("--") << QStringLiteral("#d8e6e3");
        QTest::newRow("infinite") << -kInf << QStringLiteral("--") << QStringLiteral("#d8e6e3");
    }

    void changeCell()
    {
        QFETCH(double, change);
        QFETCH(QString, text);
        QFETCH(QString, colour);
        QCOMPARE(formatChangePercent(change), text);
        QCOMPARE(changeColorName(change), colour);
    }

    void displayedNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("change text") << "1.50%" << true << 1.5;
        QTest::newRow("negative change") << "-0.25%" << true << -0.25;
        QTest::newRow("price") << "38.5000" << true << 38.5;
        QTest::newRow("dash") << "--" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("word") << "pending" << false << 0.0;
        // A cell showing these holds no number a caller could compute with.
        QTest::newRow("nan text") << "nan" << false << 0.0;
        QTest::newRow("inf text") << "inf" << false << 0.0;
    }

    void displayedNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        bool parsed = !ok;
        QCOMPARE(::displayedNumber(text, &parsed), value);
        QCOMPARE(parsed, ok);
    }

    void tooltipWithoutCandles()
    {
        QCOMPARE(candleTooltipText(QStringLiteral("AAPL"), QStringLiteral("1h"), {}),
                 QStringLiteral("AAPL\nNo OHLC data yet"));
    }

    void tooltipReadsTheLastCandle_data()
    {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<QList<double>>("ohlc");
        QTest::addColumn<QString>("prices");
        const QList<double> thousands{1234.5, 1300.123456, 1200.0, 1250.25};
        const QString thousandsText = "Open: 1234.5000\nHigh: 1300.1235\nLow: 1200.0000\nClose: 1250.2500";
        QTest::newRow("seconds") << qint64(1700000000) << thousands << thousandsText;
        QTest::newRow("milliseconds") << qint64(1700000000000) << thousands << thousandsText;
        QTest::newRow("below a cent")
            << qint64(1700000000) << QList<double>{0.00001234, 0.0000125, 0.00001201, 0.00001249}
            << "Open: 0.00001234\nHigh: 0.00001250\nLow: 0.00001201\nClose: 0.00001249";
        QTest::newRow("below 1") << qint64(1700000000) << QList<double>{0.5, 0.51234, 0.49, 0.5012}
                                 << "Open: 0.5000\nHigh: 0.5123\nLow: 0.4900\nClose: 0.5012";
    }

    void tooltipReadsTheLastCandle()
    {
        QFETCH(qint64, time);
        QFETCH(QList<double>, ohlc);
        QFETCH(QString, prices);
        const CandleList candles = {{1600000000, 1, 2, 0.5, 1.5, 10},
                                    {time, ohlc.at(0), ohlc.at(1), ohlc.at(2), ohlc.at(3), 2500000.0}};
        const QString when =
            QDateTime::fromSecsSinceEpoch(1700000000).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        QCOMPARE(candleTooltipText(QStringLiteral("MSFT"), QStringLiteral("4h"), candles),
                 QStringLiteral("MSFT  4h\nTime: %1\n%2\nVolume: 2.50M").arg(when, prices));
    }
};

MVX_TEST_MAIN(TestQuoteDisplay)
#include "test_quote_display.moc"
