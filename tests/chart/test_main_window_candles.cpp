#include "shell/main_window.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/support/test_main.h"

#include <QComboBox>
#include <QDateTime>

class TestMainWindowCandles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quoteSamplesGoToTheSymbolsList()
    {
        TempHome home;
        MainWindow window;
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        window.recordQuoteSample(QStringLiteral("PETR4"), 30.0, 31.0, 29.5, 30.5, 1000.0);
        const qint64 after = QDateTime::currentSecsSinceEpoch();
        const CandleList first = window.candlesBySymbol.value(QStringLiteral("PETR4"));
        QCOMPARE(first.size(), 1);
        QVERIFY(first.first().time >= before && first.first().time <= after);
        MVX_COMPARE_CANDLES(first, (CandleList{makeCandle(first.first().time, 30, 31, 29.5, 30.5, 1000)}));

        window.recordQuoteSample(QStringLiteral("PETR4"), 0, 0, 0, 32.0, 0);
        MVX_COMPARE_CANDLES(window.candlesBySymbol.value(QStringLiteral("PETR4")),
                            (CandleList{makeCandle(first.first().time, 30, 32, 29.5, 32, 1000)}));
        QCOMPARE(window.candlesBySymbol.size(), 1);
    }

    // A quote carries the day's (or 24 hours') volume: it belongs only in the bar the quotes built, which
    // holds no history's timeframe. A history's only bar keeps its own volume.
    void quoteVolumeGoesOnlyIntoTheQuoteBuiltBar_data()
    {
        QTest::addColumn<QString>("heldTimeframe"); // empty: no history held
        QTest::addColumn<CandleList>("before");
        QTest::addColumn<CandleList>("after");
        const Candle bar = makeCandle(100, 5, 6, 4, 5, 50);
        const Candle older = makeCandle(40, 1, 2, 1, 2, 7);
        // The sample: open 5, day high 68, day low 1, price 5.5, day volume 1e6.
        QTest::newRow("one-bar 1m history")
            << "1m" << CandleList{bar} << CandleList{makeCandle(100, 5, 6, 4, 5.5, 50)};
        QTest::newRow("one-bar 1h history")
            << "1h" << CandleList{bar} << CandleList{makeCandle(100, 5, 6, 4, 5.5, 50)};
        QTest::newRow("one-bar daily history")
            << "1d" << CandleList{bar} << CandleList{makeCandle(100, 5, 68, 1, 5.5, 50)};
        QTest::newRow("one-bar monthly history")
            << "1mo" << CandleList{bar} << CandleList{makeCandle(100, 5, 68, 1, 5.5, 50)};
        QTest::newRow("quote-built bar")
            << "" << CandleList{bar} << CandleList{makeCandle(100, 5, 68, 1, 5.5, 1e6)};
        QTest::newRow("multi-bar 1m history")
            << "1m" << CandleList{older, bar} << CandleList{older, makeCandle(100, 5, 6, 4, 5.5, 50)};
        QTest::newRow("multi-bar daily history")
            << "1d" << CandleList{older, bar} << CandleList{older, makeCandle(100, 5, 68, 1, 5.5, 50)};
    }

    void quoteVolumeGoesOnlyIntoTheQuoteBuiltBar()
    {
        QFETCH(QString, heldTimeframe);
        QFETCH(CandleList, before);
        QFETCH(CandleList, after);
        TempHome home;
        MainWindow window;
        const QString symbol = QStringLiteral("NEWUSDT");
        window.candlesBySymbol.insert(symbol, before);
        if (!heldTimeframe.isEmpty())
            window.candleTimeframeBySymbol.insert(symbol, heldTimeframe);
        window.recordQuoteSample(symbol, 5, 68, 1, 5.5, 1e6);
        MVX_COMPARE_CANDLES(window.candlesBySymbol.value(symbol), after);
    }

    void rejectedSampleLeavesNoEntry_data()
    {
        QTest::addColumn<double>("price");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -1.0;
        QTest::newRow("NaN") << kNaN;
        QTest::newRow("infinite") << kInf;
    }

    void rejectedSampleLeavesNoEntry()
    {
        QFETCH(double, price);
        TempHome home;
        MainWindow window;
        window.recordQuoteSample(QStringLiteral("AAPL"), 1, 1, 1, price, 1);
        QVERIFY(!window.candlesBySymbol.contains(QStringLiteral("AAPL")));
    }

    void intervalFollowsTheTimeframeBox()
    {
        TempHome home;
        MainWindow window;
        auto *combo = new QComboBox(&window);
        combo->addItems({QStringLiteral("1m"), QStringLiteral("4h"), QStringLiteral("1d")});
        combo->setCurrentText(QStringLiteral("4h"));
        QComboBox *const previous = window.chartTimeframeCombo;
        window.chartTimeframeCombo = combo;
        window.settings.chartTimeframe = QStringLiteral("1d");
        QCOMPARE(window.chartIntervalAndRange(), qMakePair(QStringLiteral("1h"), QStringLiteral("3mo")));
        combo->setCurrentText(QStringLiteral("1m"));
        QCOMPARE(window.chartIntervalAndRange(), qMakePair(QStringLiteral("1m"), QStringLiteral("1d")));
        window.chartTimeframeCombo = previous;
    }

    void intervalFallsBackToTheStoredTimeframe()
    {
        TempHome home;
        MainWindow window;
        QComboBox *const previous = window.chartTimeframeCombo;
        window.chartTimeframeCombo = nullptr;
        window.settings.chartTimeframe = QStringLiteral("1d");
        QCOMPARE(window.chartIntervalAndRange(), qMakePair(QStringLiteral("1d"), QStringLiteral("1y")));
        window.settings.chartTimeframe = QStringLiteral("1mo");
        QCOMPARE(window.chartIntervalAndRange(), qMakePair(QStringLiteral("1mo"), QStringLiteral("5y")));
        window.chartTimeframeCombo = previous;
    }
};

MVX_TEST_MAIN(TestMainWindowCandles)
#include "test_main_window_candles.moc"
