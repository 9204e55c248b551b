#include "chart/indicators.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/support/test_main.h"

namespace {
using Series = QList<double>;

// 2023-11-15 02:30 UTC, which is 23:30 of the 14th three hours west of UTC.
constexpr qint64 kLateEvening = 1700006400 + 2 * 3600 + 1800;
constexpr qint64 kQuarter = 900;

// (high, low, close) chosen so the typical price is a round number.
Candle typicalCandle(qint64 time, double typical, double volume)
{
    return makeCandle(time, typical, typical + 1.0, typical - 1.0, typical, volume);
}

// Four quarter-hour candles around local midnight in UTC-3: the third opens the 15th.
CandleList aroundLocalMidnight(qint64 scale)
{
    return CandleList{typicalCandle(kLateEvening * scale, 10, 10),
                      typicalCandle((kLateEvening + kQuarter) * scale, 20, 30),
                      typicalCandle((kLateEvening + 2 * kQuarter) * scale, 40, 10),
                      typicalCandle((kLateEvening + 3 * kQuarter) * scale, 10, 30)};
}
} // namespace

class TestIndicators : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void clampPeriod_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("clamped");
        QTest::newRow("negative") << -5 << 1;
        QTest::newRow("zero") << 0 << 1;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("inside") << 20 << 20;
        QTest::newRow("top") << 400 << 400;
        QTest::newRow("above") << 401 << 400;
    }

    void clampPeriod()
    {
        QFETCH(int, period);
        QFETCH(int, clamped);
        QCOMPARE(clampIndicatorPeriod(period), clamped);
    }

    void lastFinite_data()
    {
        QTest::addColumn<Series>("series");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << Series{} << kNaN;
        QTest::newRow("all NaN") << Series{kNaN, kNaN} << kNaN;
        QTest::newRow("last entry") << Series{1, 2} << 2.0;
        QTest::newRow("skips trailing NaN and infinity") << Series{kNaN, 3, kInf, kNaN} << 3.0;
    }

    void lastFinite()
    {
        QFETCH(Series, series);
        QFETCH(double, expected);
        QVERIFY(sameNumber(lastFiniteValue(series), expected));
    }

    // Each row: closes, period, the SMA series and the value for the quote table.
    void sma_data()
    {
        QTest::addColumn<Series>("closes");
        QTest::addColumn<int>("period");
        QTest::addColumn<Series>("expected");
        QTest::addColumn<double>("latest");
        QTest::newRow("period 3") << Series{1, 2, 3, 4} << 3 << Series{kNaN, kNaN, 2, 3} << 3.0;
        QTest::newRow("period 1 is the closes") << Series{5, 7, 6} << 1 << Series{5, 7, 6} << 6.0;
        QTest::newRow("period equal to the length") << Series{2, 4, 9} << 3 << Series{kNaN, kNaN, 5} << 5.0;
        QTest::newRow("period longer than the list") << Series{1, 2} << 3 << Series{kNaN, kNaN} << kNaN;
        QTest::newRow("empty") << Series{} << 3 << Series{} << kNaN;
        QTest::newRow("period 0 has no values") << Series{1, 2} << 0 << Series{kNaN, kNaN} << kNaN;
        QTest::newRow("a NaN close blanks only its windows")
            << Series{1, 2, kNaN, 4, 5, 6} << 2 << Series{kNaN, 1.5, kNaN, kNaN, 4.5, 5.5} << 5.5;
        QTest::newRow("an infinite close blanks only its windows")
            << Series{1, kInf, 3, 5} << 2 << Series{kNaN, kNaN, kNaN, 4} << 4.0;
        QTest::newRow("a NaN last close blanks the latest value")
            << Series{1, 3, kNaN} << 2 << Series{kNaN, 2, kNaN} << kNaN;
        QTest::newRow("a NaN close before the window does not matter")
            << Series{kNaN, 1, 2, 3} << 3 << Series{kNaN, kNaN, kNaN, 2} << 2.0;
    }

    void sma()
    {
        QFETCH(Series, closes);
        QFETCH(int, period);
        QFETCH(Series, expected);
        QFETCH(double, latest);
        const CandleList candles = closesOnly(closes);
        MVX_COMPARE_SERIES(computeSma(candles, period), expected);
        QVERIFY2(sameNumber(latestSma(candles, period), latest),
                 qPrintable(QString::number(latestSma(candles, period))));
    }

    // Each row: closes, period, the EMA series and the value for the quote table.
    void ema_data()
    {
        QTest::addColumn<Series>("closes");
        QTest::addColumn<int>("period");
        QTest::addColumn<Series>("expected");
        QTest::addColumn<double>("latest");
        QTest::newRow("period 1 is the closes") << Series{5, 7, 6} << 1 << Series{5, 7, 6} << 6.0;
        QTest::newRow("period 3 halves toward each close")
            << Series{2, 4, 6} << 3 << Series{2, 3, 4.5} << 4.5;
        QTest::newRow("first entry is the first close") << Series{8, 8} << 20 << Series{8, 8} << 8.0;
        QTest::newRow("period 4 weighs 0.4") << Series{10, 20} << 4 << Series{10, 14} << 14.0;
        QTest::newRow("empty") << Series{} << 3 << Series{} << kNaN;
        QTest::newRow("period 0 has no values") << Series{1, 2} << 0 << Series{kNaN, kNaN} << kNaN;
        QTest::newRow("a NaN first close seeds from the next")
            << Series{kNaN, 4, 8} << 3 << Series{kNaN, 4, 6} << 6.0;
        QTest::newRow("a NaN close leaves the average untouched")
            << Series{2, kNaN, 6} << 3 << Series{2, kNaN, 4} << 4.0;
        QTest::newRow("a NaN last close keeps the average so far")
            << Series{2, 4, kNaN} << 3 << Series{2, 3, kNaN} << 3.0;
        QTest::newRow("no finite close") << Series{kNaN, kInf} << 3 << Series{kNaN, kNaN} << kNaN;
    }

    void ema()
    {
        QFETCH(Series, closes);
        QFETCH(int, period);
        QFETCH(Series, expected);
        QFETCH(double, latest);
        const CandleList candles = closesOnly(closes);
        const Series series = computeEma(candles, period);
        MVX_COMPARE_SERIES(series, expected);
        QVERIFY2(sameNumber(latestEma(candles, period), latest),
                 qPrintable(QString::number(latestEma(candles, period))));
        QVERIFY(sameNumber(latestEma(candles, period), lastFiniteValue(series)));
    }

    void emaOfASeries_data()
    {
        QTest::addColumn<Series>("series");
        QTest::addColumn<int>("period");
        QTest::addColumn<Series>("expected");
        QTest::newRow("NaN entries skipped") << Series{kNaN, 4, kNaN, 6} << 3 << Series{kNaN, 4, kNaN, 5};
        QTest::newRow("infinity skipped") << Series{2, kInf, 4} << 3 << Series{2, kNaN, 3};
        QTest::newRow("all NaN") << Series{kNaN, kNaN} << 3 << Series{kNaN, kNaN};
        QTest::newRow("empty") << Series{} << 3 << Series{};
    }

    void emaOfASeries()
    {
        QFETCH(Series, series);
        QFETCH(int, period);
        QFETCH(Series, expected);
        MVX_COMPARE_SERIES(emaOfSeries(series, period), expected);
    }

    void macd_data()
    {
        QTest::addColumn<Series>("closes");
        QTest::addColumn<int>("fast");
        QTest::addColumn<int>("slow");
        QTest::addColumn<int>("signal");
        QTest::addColumn<Series>("line");
        QTest::addColumn<Series>("signalLine");
        QTest::newRow("one candle") << Series{42} << 12 << 26 << 9 << Series{0} << Series{0};
        // fast 2, 4, 6; slow 2, 3, 4.5
        QTest::newRow("fast 1, slow 3, signal 3")
            << Series{2, 4, 6} << 1 << 3 << 3 << Series{0, 1, 1.5} << Series{0, 0.5, 1};
        QTest::newRow("a NaN close is a gap in both lines")
            << Series{2, kNaN, 6} << 1 << 3 << 3 << Series{0, kNaN, 2} << Series{0, kNaN, 1};
        QTest::newRow("empty") << Series{} << 12 << 26 << 9 << Series{} << Series{};
    }

    void macd()
    {
        QFETCH(Series, closes);
        QFETCH(int, fast);
        QFETCH(int, slow);
        QFETCH(int, signal);
        QFETCH(Series, line);
        QFETCH(Series, signalLine);
        const Series macdLine = computeMacdLine(closesOnly(closes), fast, slow);
        MVX_COMPARE_SERIES(macdLine, line);
        MVX_COMPARE_SERIES(computeMacdSignal(macdLine, signal), signalLine);
    }

    // Each row: candles, session reset, zone offset, the VWAP series and the value for the quote table.
    void vwap_data()
    {
        QTest::addColumn<CandleList>("candles");
        QTest::addColumn<bool>("reset");
        QTest::addColumn<int>("offsetSeconds");
        QTest::addColumn<Series>("expected");
        QTest::addColumn<double>("latest");

        const qint64 t = kLateEvening;
        QTest::newRow("anchored") << CandleList{typicalCandle(t, 10, 10), typicalCandle(t + 60, 20, 30)}
                                  << false << 0 << Series{10, 17.5} << 17.5;
        QTest::newRow("typical price is high, low and close")
            << CandleList{makeCandle(t, 0, 12, 9, 9, 2)} << false << 0 << Series{10} << 10.0;
        QTest::newRow("no value before the first traded candle")
            << CandleList{typicalCandle(t, 10, 0), typicalCandle(t + 60, 20, 10),
                          typicalCandle(t + 120, 40, 0)}
            << false << 0 << Series{kNaN, 20, 20} << 20.0;
        QTest::newRow("no volume at all") << CandleList{typicalCandle(t, 10, 0), typicalCandle(t + 60, 20, 0)}
                                          << true << 0 << Series{kNaN, kNaN} << kNaN;
        QTest::newRow("empty") << CandleList{} << true << 0 << Series{} << kNaN;
        QTest::newRow("a candle without a price adds nothing")
            << CandleList{typicalCandle(t, 10, 10), makeCandle(t + 60, 1, kNaN, 1, 1, 50),
                          typicalCandle(t + 120, 40, 10)}
            << false << 0 << Series{10, 10, 25} << 25.0;
        QTest::newRow("NaN, infinite and negative volumes add nothing")
            << CandleList{typicalCandle(t, 10, 10), typicalCandle(t + 60, 99, kNaN),
                          typicalCandle(t + 120, 99, kInf), typicalCandle(t + 180, 99, -10)}
            << false << 0 << Series{10, 10, 10, 10} << 10.0;
        QTest::newRow("anchored across local midnight")
            << aroundLocalMidnight(1) << false << -3 * 3600 << Series{10, 17.5, 22, 17.5} << 17.5;
        QTest::newRow("session restarts at local midnight")
            << aroundLocalMidnight(1) << true << -3 * 3600 << Series{10, 17.5, 40, 17.5} << 17.5;
        QTest::newRow("session restarts with millisecond times")
            << aroundLocalMidnight(1000) << true << -3 * 3600 << Series{10, 17.5, 40, 17.5} << 17.5;
        QTest::newRow("same candles, one UTC date, no restart")
            << aroundLocalMidnight(1) << true << 0 << Series{10, 17.5, 22, 17.5} << 17.5;
        QTest::newRow("a new session without volume has no value yet")
            << CandleList{typicalCandle(kLateEvening, 10, 10),
                          typicalCandle(kLateEvening + 2 * kQuarter, 40, 0)}
            << true << -3 * 3600 << Series{10, kNaN} << kNaN;
    }

    void vwap()
    {
        QFETCH(CandleList, candles);
        QFETCH(bool, reset);
        QFETCH(int, offsetSeconds);
        QFETCH(Series, expected);
        QFETCH(double, latest);
        const QTimeZone zone(offsetSeconds);
        MVX_COMPARE_SERIES(vwapSeries(candles, reset, zone), expected);
        QVERIFY2(sameNumber(latestVwap(candles, reset, zone), latest),
                 qPrintable(QString::number(latestVwap(candles, reset, zone))));
    }

    void vwapFollowsDaylightSavingZones()
    {
        // New York left daylight saving at 06:00 UTC on 2023-11-05: local midnight of the 6th is
        // 05:00 UTC, and a fixed -4 hour offset would put it at 04:00.
        const QTimeZone newYork("America/New_York");
        if (!newYork.isValid())
            QSKIP("no time zone database");
        const qint64 midnight6th = 1699246800; // 2023-11-06 05:00 UTC
        const CandleList candles{typicalCandle(midnight6th - 5400, 10, 10),
                                 typicalCandle(midnight6th - 1800, 20, 10),
                                 typicalCandle(midnight6th, 40, 10)};
        MVX_COMPARE_SERIES(vwapSeries(candles, true, newYork), (Series{10, 15, 40}));
        MVX_COMPARE_SERIES(vwapSeries(candles, true, QTimeZone(-4 * 3600)), (Series{10, 20, 30}));
    }
};

MVX_TEST_MAIN(TestIndicators)
#include "test_indicators.moc"
