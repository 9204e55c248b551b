#include "chart/price_chart.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/chart/modal_answers.h"
#include "tests/support/test_main.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QJsonDocument>
#include <QLineEdit>
#include <QSpinBox>

namespace {
QJsonObject json(const char *text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

// A chart with every callback recording what it was told.
struct ChartFixture
{
    PriceChart chart{nullptr};
    QStringList statuses;
    QList<int> modes;
    int changes = 0;

    ChartFixture()
    {
        chart.setStatusCallback([this](const QString &text) { statuses << text; });
        chart.setDrawModeCallback([this](PriceChart::DrawMode mode) { modes << mode; });
        chart.setChangedCallback([this]() { ++changes; });
    }
};
// Eleven candles in the band 100 .. 110 on a 400 x 300 chart: the plot is (18, 18, 364, 190), so
// one price unit is 19 px and price 105 lies at y 113; index i lies at x 18 + 36.4 i.
CandleList bandCandles(int count = 11)
{
    CandleList candles;
    for (int i = 0; i < count; ++i)
        candles << makeCandle(1700000000 + i * 60, 104, 110, 100, 106, 10);
    return candles;
}

struct SeriesFixture : ChartFixture
{
    explicit SeriesFixture(const CandleList &candles = bandCandles())
    {
        chart.resize(400, 300);
        chart.setTimeZone(QTimeZone::utc());
        chart.setSeries(QStringLiteral("BTCUSDT"), candles, 1, QStringLiteral("1h"));
        // Snapping reads the application's modifiers, which the last key event of another test set.
        QTest::keyClick(&chart, Qt::Key_A);
    }

    void load(const char *drawingsJson)
    {
        chart.loadDrawings(QJsonDocument::fromJson(QByteArray(drawingsJson)).array());
    }
};
} // namespace

class TestPriceChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void construction()
    {
        PriceChart chart(nullptr);
        QCOMPARE(chart.minimumHeight(), chartMinimumHeight());
        // At its least height the chart still has a price plot that reads.
        QCOMPARE(chartPlotRect(QSize(400, chart.minimumHeight())).height(), double(kMinimumPlotHeight));
        QVERIFY(chart.hasMouseTracking());
        QCOMPARE(chart.focusPolicy(), Qt::StrongFocus);
        QCOMPARE(chart.chartTool(), PriceChart::SelectZoom);
        QCOMPARE(chart.smaPeriod(), 20);
        QCOMPARE(chart.emaPeriod(), 20);
        QCOMPARE(chart.macdFastPeriod(), 12);
        QCOMPARE(chart.macdSlowPeriod(), 26);
        QVERIFY(!chart.vwapSessionReset());
        QCOMPARE(chart.resetZoomKeys(), QKeySequence(QStringLiteral("Alt+0")));
        QCOMPARE(
            chart.indicatorSettingsToJson(),
            json(R"({"sma20":false,"ema20":false,"vwap":false,"macd":false,"sma_period":20,"ema_period":20,
                          "macd_fast":12,"macd_slow":26,"macd_signal":9,"vwap_session":false,"draw_hline":true,
                          "draw_vline":true,"draw_trend":true})"));
    }

    void chartTool_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("cursor");
        QTest::newRow("horizontal") << 1 << "Chart tool: Horizontal line" << int(Qt::CrossCursor);
        QTest::newRow("vertical") << 2 << "Chart tool: Vertical line" << int(Qt::CrossCursor);
        QTest::newRow("trend") << 3 << "Chart tool: Trend line" << int(Qt::CrossCursor);
        QTest::newRow("select") << 0 << "Chart tool: Select/zoom" << int(Qt::ArrowCursor);
    }

    void chartTool()
    {
        QFETCH(int, mode);
        QFETCH(QString, status);
        QFETCH(int, cursor);
        ChartFixture f;
        f.chart.setChartTool(PriceChart::DrawMode(mode));
        QCOMPARE(f.chart.chartTool(), PriceChart::DrawMode(mode));
        QCOMPARE(f.statuses, QStringList{status});
        QCOMPARE(f.modes, QList<int>{mode});
        QCOMPARE(int(f.chart.cursor().shape()), cursor);
        QCOMPARE(f.changes, 0);
    }

    void callbacksAreOptional()
    {
        PriceChart chart(nullptr);
        chart.setChartTool(PriceChart::TrendLine);
        chart.resetZoom();
        chart.setLightTheme(true);
        QVERIFY(chart.isLightTheme());
    }

    void resetZoomReports()
    {
        ChartFixture f;
        f.chart.resetZoom();
        QCOMPARE(f.statuses, QStringList{QStringLiteral("Chart zoom reset")});
        QCOMPARE(f.chart.visibleStart(), 0.0);
        QCOMPARE(f.chart.visibleEnd(), 1.0);
        QVERIFY(f.modes.isEmpty());
    }

    void keys()
    {
        ChartFixture f;
        f.chart.setChartTool(PriceChart::VerticalLine);
        f.statuses.clear();
        QTest::keyClick(&f.chart, Qt::Key_0, Qt::AltModifier);
        QCOMPARE(f.statuses, QStringList{QStringLiteral("Chart zoom reset")});
        QTest::keyClick(&f.chart, Qt::Key_Escape);
        QCOMPARE(f.chart.chartTool(), PriceChart::SelectZoom);

        f.chart.setResetZoomShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
        f.statuses.clear();
        QTest::keyClick(&f.chart, Qt::Key_0, Qt::AltModifier); // the old key no longer resets
        QTest::keyClick(&f.chart, Qt::Key_R);                  // nor the key without its modifier
        QVERIFY(f.statuses.isEmpty());
        QTest::keyClick(&f.chart, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(f.statuses, QStringList{QStringLiteral("Chart zoom reset")});

        f.chart.setResetZoomShortcut(QKeySequence());
        f.statuses.clear();
        QTest::keyClick(&f.chart, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(f.statuses.isEmpty());
    }

    void indicatorSettings_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected"); // members compared; the others keep their defaults
        QTest::newRow("all applied")
            << QByteArray(R"({"sma20":true,"ema20":true,"vwap":true,"macd":true,"sma_period":50,
                                                      "ema_period":9,"macd_fast":5,"macd_slow":35,"macd_signal":4,
                                                      "vwap_session":true,"draw_hline":false,"draw_vline":false,
                                                      "draw_trend":false})")
            << QByteArray(R"({"sma20":true,"ema20":true,"vwap":true,"macd":true,"sma_period":50,
                                                      "ema_period":9,"macd_fast":5,"macd_slow":35,"macd_signal":4,
                                                      "vwap_session":true,"draw_hline":false,"draw_vline":false,
                                                      "draw_trend":false})");
        QTest::newRow("empty changes nothing") << QByteArray("{}") << QByteArray("{}");
        QTest::newRow("periods clamped")
            << QByteArray(R"({"sma_period":0,"ema_period":1000,"macd_signal":-4})")
            << QByteArray(R"({"sma_period":1,"ema_period":400,"macd_signal":1})");
        QTest::newRow("huge period clamped")
            << QByteArray(R"({"sma_period":1e300})") << QByteArray(R"({"sma_period":400})");
        QTest::newRow("wrong types keep the current value")
            << QByteArray(R"({"sma20":"yes","sma_period":"50","ema_period":true,"vwap":1})")
            << QByteArray(R"({"sma20":false,"sma_period":20,"ema_period":20,"vwap":false})");
        QTest::newRow("non-integral period is ignored")
            << QByteArray(R"({"sma_period":20.5})") << QByteArray(R"({"sma_period":20})");
        QTest::newRow("slow kept above fast") << QByteArray(R"({"macd_fast":30,"macd_slow":10})")
                                              << QByteArray(R"({"macd_fast":30,"macd_slow":31})");
        // The fast period gives up the top value, so slow = fast + 1 always exists.
        QTest::newRow("both at the top") << QByteArray(R"({"macd_fast":400,"macd_slow":400})")
                                         << QByteArray(R"({"macd_fast":399,"macd_slow":400})");
        QTest::newRow("fast at the top, slow below") << QByteArray(R"({"macd_fast":400,"macd_slow":10})")
                                                     << QByteArray(R"({"macd_fast":399,"macd_slow":400})");
        QTest::newRow("fast at the top, slow above kept")
            << QByteArray(R"({"macd_fast":399,"macd_slow":400})")
            << QByteArray(R"({"macd_fast":399,"macd_slow":400})");
    }

    void indicatorSettings()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        ChartFixture f;
        f.chart.applyIndicatorSettings(json(input.constData()));
        const QJsonObject out = f.chart.indicatorSettingsToJson();
        QCOMPARE(out.size(), 13);
        const QJsonObject want = json(expected.constData());
        for (auto it = want.begin(); it != want.end(); ++it)
            QVERIFY2(out.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(f.changes, 0); // applying settings is not a user change
        QCOMPARE(f.chart.smaPeriod(), out.value(QStringLiteral("sma_period")).toInt());
        QCOMPARE(f.chart.macdSlowPeriod(), out.value(QStringLiteral("macd_slow")).toInt());
    }

    void settingsRoundTrip()
    {
        PriceChart first(nullptr);
        first.applyIndicatorSettings(
            json(R"({"sma20":true,"sma_period":33,"vwap_session":true,"draw_trend":false})"));
        PriceChart second(nullptr);
        second.applyIndicatorSettings(first.indicatorSettingsToJson());
        QCOMPARE(second.indicatorSettingsToJson(), first.indicatorSettingsToJson());
        QVERIFY(second.vwapSessionReset());
        QCOMPARE(second.smaPeriod(), 33);
    }

    void seriesMembersUseTheChartsSettings()
    {
        SeriesFixture f(closesOnly({1, 2, 3, 4, 5, 6, 7, 8}));
        f.chart.applyIndicatorSettings(json(R"({"macd_fast":2,"macd_slow":4,"macd_signal":3})"));
        MVX_COMPARE_SERIES(f.chart.computeSma(3), computeSma(f.chart.series(), 3));
        MVX_COMPARE_SERIES(f.chart.computeEma(3), computeEma(f.chart.series(), 3));
        const IndicatorSeries line = f.chart.computeMacdLine();
        MVX_COMPARE_SERIES(line, computeMacdLine(f.chart.series(), 2, 4));
        MVX_COMPARE_SERIES(f.chart.computeMacdSignal(line), emaOfSeries(line, 3));
        MVX_COMPARE_SERIES(f.chart.vwapSeries(), vwapSeries(f.chart.series(), false, QTimeZone::utc()));
        QCOMPARE(PriceChart::lastFiniteValue({1, 2, kNaN}), 2.0);
        QVERIFY(std::isnan(PriceChart::lastFiniteValue({kNaN})));
    }

    void vwapSessionsFollowTheChartsZone()
    {
        // Two candles an hour apart across midnight in UTC, the same date three hours ahead.
        const CandleList candles{makeCandle(1772668800 - 1800, 10, 10, 10, 10, 1),
                                 makeCandle(1772668800 + 1800, 20, 20, 20, 20, 1)};
        SeriesFixture f(candles);
        f.chart.applyIndicatorSettings(json(R"({"vwap_session":true})"));
        QCOMPARE(f.chart.vwapSeries().last(), 20.0);
        f.chart.setTimeZone(QTimeZone(3 * 3600));
        QCOMPARE(f.chart.vwapSeries().last(), 15.0);
    }

    void visiblePriceRange_data()
    {
        QTest::addColumn<CandleList>("candles");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("band") << bandCandles() << 100.0 << 110.0;
        QTest::newRow("flat") << closesOnly({5, 5}) << 4.0 << 6.0;
        QTest::newRow("empty series: the band around 0") << CandleList{} << -1.0 << 1.0;
    }

    void visiblePriceRange()
    {
        QFETCH(CandleList, candles);
        QFETCH(double, low);
        QFETCH(double, high);
        SeriesFixture f(candles);
        double gotLow = 0;
        double gotHigh = 0;
        f.chart.visiblePriceRange(gotLow, gotHigh);
        QCOMPARE(gotLow, low);
        QCOMPARE(gotHigh, high);
    }

    void summary_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<CandleList>("candles");
        QTest::addColumn<QStringList>("statuses");
        const CandleList four = closesOnly({1, 2, 3, 4});
        QTest::newRow("nothing on") << QByteArray("{}") << four << QStringList{};
        QTest::newRow("VWAP only, anchored") << QByteArray(R"({"vwap":true})") << four
                                             << QStringList{"Indicators BTCUSDT VWAP(anchored)=2.5000"};
        QTest::newRow("VWAP by session") << QByteArray(R"({"vwap":true,"vwap_session":true})") << four
                                         << QStringList{"Indicators BTCUSDT VWAP(session)=2.5000"};
        QTest::newRow("a period longer than the series prints nan")
            << QByteArray(R"({"sma20":true,"ema20":true,"ema_period":1})") << four
            << QStringList{"Indicators BTCUSDT SMA20=nan | EMA1=4.0000"};
        QTest::newRow("MACD") << QByteArray(R"({"macd":true,"macd_fast":1,"macd_slow":2,"macd_signal":1})")
                              << closesOnly({3, 3})
                              << QStringList{"Indicators BTCUSDT MACD1/2/1=0.0000 signal=0.0000"};
        QTest::newRow("no candles") << QByteArray(R"({"sma20":true})") << CandleList{} << QStringList{};
        QTest::newRow("averages below a cent keep four digits")
            << QByteArray(R"({"sma20":true,"sma_period":2,"ema20":true,"ema_period":2,"vwap":true})")
            << closesOnly({0.0000123, 0.0000123})
            << QStringList{
                   "Indicators BTCUSDT SMA2=0.00001230 | EMA2=0.00001230 | VWAP(anchored)=0.00001230"};
        // MACD takes the decimals of the last price: a coin below a cent reads its value on both sides
        // of zero, a price from 1 up keeps 4.
        QTest::newRow("MACD of a rising coin below a cent")
            << QByteArray(R"({"macd":true,"macd_fast":1,"macd_slow":2,"macd_signal":1})")
            << closesOnly({0.0000123, 0.0000125})
            << QStringList{"Indicators BTCUSDT MACD1/2/1=0.00000007 signal=0.00000007"};
        QTest::newRow("MACD of a falling coin below a cent")
            << QByteArray(R"({"macd":true,"macd_fast":1,"macd_slow":2,"macd_signal":1})")
            << closesOnly({0.0000125, 0.0000123})
            << QStringList{"Indicators BTCUSDT MACD1/2/1=-0.00000007 signal=-0.00000007"};
        QTest::newRow("MACD of a falling price above 1")
            << QByteArray(R"({"macd":true,"macd_fast":1,"macd_slow":2,"macd_signal":1})") << closesOnly({3, 2})
            << QStringList{"Indicators BTCUSDT MACD1/2/1=-0.3333 signal=-0.3333"};
    }

    void summary()
    {
        QFETCH(QByteArray, settings);
        QFETCH(CandleList, candles);
        QFETCH(QStringList, statuses);
        SeriesFixture f(candles);
        f.chart.applyIndicatorSettings(json(settings.constData()));
        f.chart.updateIndicatorSummary();
        QCOMPARE(f.statuses, statuses);
    }

    void periodDialog()
    {
        SeriesFixture f;
        int period = 20;
        ModalAnswers answers;
        answers.then([](QWidget *widget) {
            auto *dialog = qobject_cast<QInputDialog *>(widget);
            QVERIFY(dialog);
            QCOMPARE(dialog->labelText(), QStringLiteral("Period"));
            QCOMPARE(dialog->intMinimum(), 1);
            QCOMPARE(dialog->intMaximum(), 400);
            QCOMPARE(dialog->intValue(), 20);
            dialog->setIntValue(55);
            dialog->accept();
        });
        f.chart.askIndicatorPeriod(QStringLiteral("SMA period"), period);
        QCOMPARE(period, 55);
        answers.then(ModalAnswers::cancel());
        f.chart.askIndicatorPeriod(QStringLiteral("SMA period"), period);
        QCOMPARE(period, 55);
        QCOMPARE(answers.titles, (QStringList{"SMA period", "SMA period"}));
    }

    void macdDialog_data()
    {
        QTest::addColumn<int>("cancelAt"); // 0: none cancelled
        QTest::addColumn<int>("fast");
        QTest::addColumn<int>("slow");
        QTest::addColumn<int>("signal");
        QTest::newRow("accepted") << 0 << 5 << 30 << 4;
        QTest::newRow("fast cancelled") << 1 << 12 << 26 << 9;
        QTest::newRow("slow cancelled") << 2 << 12 << 26 << 9;
        QTest::newRow("signal cancelled") << 3 << 12 << 26 << 9;
    }

    void macdDialog()
    {
        QFETCH(int, cancelAt);
        QFETCH(int, fast);
        QFETCH(int, slow);
        QFETCH(int, signal);
        SeriesFixture f;
        ModalAnswers answers;
        const QList<int> values{5, 30, 4};
        for (int step = 1; step <= 3; ++step) {
            answers.then(step == cancelAt ? ModalAnswers::cancel()
                                          : ModalAnswers::intValue(values.at(step - 1)));
            if (step == cancelAt)
                break;
        }
        f.chart.showMacdDialog();
        QVERIFY(answers.allUsed());
        QCOMPARE(f.chart.macdFastPeriod(), fast);
        QCOMPARE(f.chart.macdSlowPeriod(), slow);
        QCOMPARE(f.chart.macdSignalPeriod(), signal);
    }

    // A fast period of 400 would leave the slow box only 401, out of range: the fast box stops at 399.
    void macdDialogAtTheTop()
    {
        SeriesFixture f;
        ModalAnswers answers;
        answers
            .then([](QWidget *widget) {
                auto *dialog = qobject_cast<QInputDialog *>(widget);
                QVERIFY(dialog);
                QCOMPARE(dialog->intMaximum(), 399);
                dialog->setIntValue(400);
                dialog->accept();
            })
            .then([](QWidget *widget) {
                auto *dialog = qobject_cast<QInputDialog *>(widget);
                QVERIFY(dialog);
                QCOMPARE(dialog->intMinimum(), 400);
                QCOMPARE(dialog->intMaximum(), 400);
                dialog->accept();
            })
            .then(ModalAnswers::intValue(9));
        f.chart.showMacdDialog();
        QCOMPARE(f.chart.macdFastPeriod(), 399);
        QCOMPARE(f.chart.macdSlowPeriod(), 400);
        PriceChart reloaded(nullptr);
        reloaded.applyIndicatorSettings(f.chart.indicatorSettingsToJson());
        QCOMPARE(reloaded.macdFastPeriod(), 399);
        QCOMPARE(reloaded.macdSlowPeriod(), 400);
    }

    void horizontalLineIsPlaced_data()
    {
        QTest::addColumn<double>("typed");
        QTest::addColumn<QString>("label");
        QTest::newRow("equity") << 104.5 << "104.5000";
        QTest::newRow("below a cent") << 0.00001234 << "0.00001234";
    }

    void horizontalLineIsPlaced()
    {
        QFETCH(double, typed);
        QFETCH(QString, label);
        SeriesFixture f;
        f.chart.setChartTool(PriceChart::HorizontalLine);
        f.statuses.clear();
        ModalAnswers answers;
        double initial = 0, minimum = -1;
        int decimals = 0;
        // Read, then answered: a check that failed in here would leave the dialog open.
        answers
            .then([&, typed](QWidget *widget) {
                auto *dialog = qobject_cast<QInputDialog *>(widget);
                QVERIFY(dialog);
                decimals = dialog->doubleDecimals();
                minimum = dialog->doubleMinimum();
                initial = dialog->doubleValue();
                dialog->setDoubleValue(typed);
                dialog->accept();
            })
            .then(ModalAnswers::color(QColor(0x11, 0x22, 0x33)));
        f.chart.addDrawingAt(QPointF(200, 113));
        QCOMPARE(decimals, 8);
        QCOMPARE(minimum, 0.00000001);
        QCOMPARE(initial, 105.0);
        QCOMPARE(answers.titles, (QStringList{"Horizontal line", "Line color"}));
        QCOMPARE(f.chart.drawingList().size(), 1);
        const Drawing &line = f.chart.drawingList().first();
        QCOMPARE(line.type, int(DrawingType::Horizontal));
        QCOMPARE(line.price1, typed);
        QCOMPARE(line.price2, typed);
        QCOMPARE(line.index1, qint64(5));
        QCOMPARE(line.label, label);
        QCOMPARE(line.color, QColor(0x11, 0x22, 0x33));
        QCOMPARE(f.statuses, (QStringList{"Drawing added: horizontal " + label, "Chart tool: Select/zoom"}));
        QCOMPARE(f.chart.chartTool(), PriceChart::SelectZoom);
        QCOMPARE(f.changes, 1);
    }

    // An edit takes a price below a cent to the finest tick, and no price below that tick.
    void editedPricesKeepTheFinestTick()
    {
        SeriesFixture f;
        f.load(R"([{"price1":0.00001234},
                   {"type":"trend","index1":2,"index2":6,"price1":0.00001234,"price2":0.0000125}])");
        // Each box is read, then answered: a check that failed in here would leave the dialog open.
        struct Box
        {
            int decimals = 0;
            double minimum = -1, value = -1;
        };
        QList<Box> boxes;
        ModalAnswers answers;
        answers
            .then([&](QWidget *widget) {
                auto *dialog = qobject_cast<QInputDialog *>(widget);
                QVERIFY(dialog);
                boxes.append({dialog->doubleDecimals(), dialog->doubleMinimum(), dialog->doubleValue()});
                dialog->setDoubleValue(0.00001236);
                dialog->accept();
            })
            .then(ModalAnswers::cancel());
        f.chart.editDrawing(0);
        QVERIFY(answers.allUsed());
        QCOMPARE(f.chart.drawingList().at(0).price1, 0.00001236);
        QCOMPARE(f.chart.drawingList().at(0).label, QStringLiteral("0.00001236"));

        answers.then([&](QWidget *widget) {
            const QList<QDoubleSpinBox *> spins = widget->findChildren<QDoubleSpinBox *>();
            for (QDoubleSpinBox *spin : spins)
                boxes.append({spin->decimals(), spin->minimum(), spin->value()});
            if (spins.size() == 2)
                spins.at(1)->setValue(0.000000004);
            qobject_cast<QDialog *>(widget)->accept();
        });
        f.chart.editDrawing(1);
        QVERIFY(answers.allUsed());
        QCOMPARE(boxes.size(), 3);
        const QList<double> opened{0.00001234, 0.00001234, 0.0000125};
        for (int i = 0; i < boxes.size(); ++i) {
            QCOMPARE(boxes.at(i).decimals, 8);
            QCOMPARE(boxes.at(i).minimum, 0.00000001);
            QCOMPARE(boxes.at(i).value, opened.at(i));
        }
        QCOMPARE(f.chart.drawingList().at(1).price1, 0.00001234);
        QCOMPARE(f.chart.drawingList().at(1).price2, 0.00000001);
    }

    // Control held snaps to the candle's nearest price; the tie between open 104 and close 106 keeps
    // the open.
    void snapWithControl_data()
    {
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("price");
        QTest::newRow("near the high") << 20.0 << 110.0;
        QTest::newRow("tie keeps the open") << 113.0 << 104.0;
        QTest::newRow("near the low") << 200.0 << 100.0;
    }

    void snapWithControl()
    {
        QFETCH(double, y);
        QFETCH(double, price);
        SeriesFixture f;
        QCOMPARE(f.chart.priceAtPoint(QPointF(200, y), 100, 110),
                 priceAtY(QRectF(18, 18, 364, 190), y, 100, 110));
        QTest::keyPress(&f.chart, Qt::Key_Control, Qt::ControlModifier);
        QVERIFY(PriceChart::isSnapModifierHeld());
        QCOMPARE(f.chart.priceAtPoint(QPointF(200, y), 100, 110), price);
        QTest::keyRelease(&f.chart, Qt::Key_Control, Qt::NoModifier);
        QVERIFY(!PriceChart::isSnapModifierHeld());
    }

    void cancelledPlacementKeepsTheTool_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("horizontal, price") << int(PriceChart::HorizontalLine) << 1;
        QTest::newRow("horizontal, colour") << int(PriceChart::HorizontalLine) << 2;
        QTest::newRow("vertical, label") << int(PriceChart::VerticalLine) << 1;
        QTest::newRow("vertical, colour") << int(PriceChart::VerticalLine) << 2;
    }

    void cancelledPlacementKeepsTheTool()
    {
        QFETCH(int, tool);
        QFETCH(int, cancelAt);
        SeriesFixture f;
        f.chart.setChartTool(PriceChart::DrawMode(tool));
        ModalAnswers answers;
        answers.then(cancelAt == 1 ? ModalAnswers::cancel() : ModalAnswers::accept());
        if (cancelAt == 2)
            answers.then(ModalAnswers::cancel());
        f.chart.addDrawingAt(QPointF(200, 113));
        QVERIFY(answers.allUsed());
        QVERIFY(f.chart.drawingList().isEmpty());
        QCOMPARE(f.chart.chartTool(), PriceChart::DrawMode(tool));
        QCOMPARE(f.changes, 0);
    }

    void verticalLineIsPlaced()
    {
        SeriesFixture f;
        f.chart.setChartTool(PriceChart::VerticalLine);
        f.statuses.clear();
        ModalAnswers answers;
        QString initial;
        answers
            .then([&initial](QWidget *widget) {
                auto *dialog = qobject_cast<QInputDialog *>(widget);
                QVERIFY(dialog);
                initial = dialog->textValue();
                dialog->setTextValue(QString());
                dialog->accept();
            })
            .then(ModalAnswers::accept());
        // x 18 + 36.4 * 3 is index 3, its time 1700000180 in UTC is 22:16.
        f.chart.addDrawingAt(QPointF(18 + 36.4 * 3, 60));
        QCOMPARE(initial, QStringLiteral("22:16"));
        QCOMPARE(f.chart.drawingList().size(), 1);
        const Drawing &line = f.chart.drawingList().first();
        QCOMPARE(line.type, int(DrawingType::Vertical));
        QCOMPARE(line.index1, qint64(3));
        QCOMPARE(line.index2, qint64(3));
        QVERIFY(line.label.isEmpty());
        QCOMPARE(line.color, QColor(0xf3, 0xb2, 0x4a));
        QCOMPARE(f.statuses.first(), QStringLiteral("Drawing added: vertical "));
    }

    void trendDrag()
    {
        SeriesFixture f;
        f.chart.setChartTool(PriceChart::TrendLine);
        f.chart.setTrendPreview(QPointF(100, 100));
        QVERIFY(f.chart.isTrendPreviewActive());
        f.chart.addTrendDrawing(QPointF(107, 100)); // 7 px: no line, the tool stays
        QVERIFY(!f.chart.isTrendPreviewActive());
        QVERIFY(f.chart.drawingList().isEmpty());
        QCOMPARE(f.chart.chartTool(), PriceChart::TrendLine);

        ModalAnswers answers;
        answers.then([](QWidget *widget) {
            auto *dialog = qobject_cast<QDialog *>(widget);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Trend line"));
            auto *label = dialog->findChild<QLineEdit *>();
            QVERIFY(label);
            QCOMPARE(label->text(), QStringLiteral("Trend"));
            label->clear(); // an empty label is stored as "Trend"
            dialog->accept();
        });
        f.chart.setTrendPreview(QPointF(100, 113));
        f.chart.addTrendDrawing(QPointF(100, 121)); // 8 px
        QVERIFY(answers.allUsed());
        QCOMPARE(f.chart.drawingList().size(), 1);
        const Drawing &line = f.chart.drawingList().first();
        QCOMPARE(line.type, int(DrawingType::Trend));
        QCOMPARE(line.label, QStringLiteral("Trend"));
        QCOMPARE(line.price1, 105.0);
        QVERIFY(std::fabs(line.price2 - (105.0 - 8.0 / 19.0)) < 1e-8); // the spin boxes keep 8 decimals
        QCOMPARE(f.chart.chartTool(), PriceChart::SelectZoom);
        QVERIFY(f.statuses.contains(QStringLiteral("Drawing added: trend")));

        // A cancelled dialog adds nothing but still ends the tool.
        f.chart.setChartTool(PriceChart::TrendLine);
        answers.then(ModalAnswers::cancel());
        f.chart.setTrendPreview(QPointF(100, 100));
        f.chart.addTrendDrawing(QPointF(200, 200));
        QCOMPARE(f.chart.drawingList().size(), 1);
        QCOMPARE(f.chart.chartTool(), PriceChart::SelectZoom);
    }

    void hitTest_data()
    {
        QTest::addColumn<QByteArray>("drawings");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("hit");
        QTest::newRow("6 px from a horizontal line")
            << QByteArray(R"([{"price1":105}])") << QPointF(5, 119) << 0;
        QTest::newRow("7 px from a horizontal line")
            << QByteArray(R"([{"price1":105}])") << QPointF(200, 120) << -1;
        QTest::newRow("the later drawing wins")
            << QByteArray(R"([{"price1":105},{"price1":105.1},{"price1":90}])") << QPointF(200, 113) << 1;
        QTest::newRow("a hidden type is not hit")
            << QByteArray(R"([{"type":"vertical","index1":5}])") << QPointF(200, 100) << -1;
        QTest::newRow("a trend line left of the view")
            << QByteArray(R"([{"type":"trend","index1":-20,"index2":-1,"price1":100,"price2":110}])")
            << QPointF(18, 113) << -1;
    }

    void hitTest()
    {
        QFETCH(QByteArray, drawings);
        QFETCH(QPointF, point);
        QFETCH(int, hit);
        SeriesFixture f;
        f.chart.applyIndicatorSettings(json(R"({"draw_vline":false})"));
        f.load(drawings.constData());
        QCOMPARE(f.chart.drawingAt(point), hit);
    }

    void hitTestOnDegenerateCharts_data()
    {
        QTest::addColumn<CandleList>("candles");
        QTest::addColumn<QSize>("size");
        QTest::newRow("empty series") << CandleList{} << QSize(400, 300);
        QTest::newRow("plot 1 px wide") << bandCandles() << QSize(37, 300);
        QTest::newRow("plot of negative size") << bandCandles() << QSize(20, 20);
        QTest::newRow("one candle") << bandCandles(1) << QSize(400, 300);
    }

    void hitTestOnDegenerateCharts()
    {
        QFETCH(CandleList, candles);
        QFETCH(QSize, size);
        SeriesFixture f(candles);
        f.chart.resize(size);
        f.load(R"([{"price1":0},{"type":"vertical"},{"type":"trend","index2":3,"price2":200}])");
        const int hit = f.chart.drawingAt(QPointF(10, 10));
        QVERIFY(hit >= -1 && hit < 3);
        if (candles.isEmpty())
            QCOMPARE(hit, -1);
        f.chart.moveDrawing(0, QPointF(30, 30), QPointF(10, 10));
        f.chart.moveDrawing(2, QPointF(30, 30), QPointF(10, 10));
        for (const Drawing &drawing : f.chart.drawingList())
            QVERIFY(std::isfinite(drawing.price1) && std::isfinite(drawing.price2));
        QVERIFY(f.chart.indexAtX(10) >= -1);
        f.chart.setViewWindow(0.2, 0.6);
        const double start = f.chart.visibleStart();
        f.chart.panTo(5000);
        QCOMPARE(f.chart.visibleStart(), size.width() < 37 ? start : f.chart.visibleStart());
        QVERIFY(std::isfinite(f.chart.visibleStart()) && std::isfinite(f.chart.visibleEnd()));
    }

    void moveDrawing_data()
    {
        QTest::addColumn<QByteArray>("drawings");
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<double>("price1");
        QTest::addColumn<qint64>("index1");
        QTest::addColumn<qint64>("index2");
        // View 0.5 .. 1: candles 5 .. 10 on 364 px, 72.8 px apart.
        QTest::newRow("horizontal up two units")
            << QByteArray(R"([{"price1":105,"index1":5}])") << QPointF(50, 113) << QPointF(50, 75) << 107.0
            << qint64(5) << qint64(5);
        QTest::newRow("vertical stops at the last visible candle")
            << QByteArray(R"([{"type":"vertical","index1":8,"price1":1}])") << QPointF(18, 50)
            << QPointF(900, 50) << 1.0 << qint64(10) << qint64(10);
        QTest::newRow("trend moves both ends, clamped to the series")
            << QByteArray(R"([{"type":"trend","index1":6,"index2":10,"price1":101,"price2":109}])")
            << QPointF(18, 113) << QPointF(18 + 72.8 * 2, 94) << 102.0 << qint64(8) << qint64(10);
    }

    void moveDrawing()
    {
        QFETCH(QByteArray, drawings);
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(double, price1);
        QFETCH(qint64, index1);
        QFETCH(qint64, index2);
        SeriesFixture f;
        f.chart.setViewWindow(0.5, 1.0);
        f.load(drawings.constData());
        f.chart.moveDrawing(0, to, from);
        const Drawing &moved = f.chart.drawingList().first();
        QVERIFY2(std::fabs(moved.price1 - price1) < 1e-9, qPrintable(QString::number(moved.price1)));
        QCOMPARE(moved.index1, index1);
        QCOMPARE(moved.index2, index2);
        QCOMPARE(f.changes, 0);           // the release reports the change
        f.chart.moveDrawing(5, to, from); // out of the list: nothing
    }

    // One step of a price box moves it by one unit of the last digit shown below 1, by 1 from 1 up:
    // the new and the edited horizontal line's box, and a trend line's start and end boxes.
    void priceBoxesStepFromTheirOwnDigits_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("stepped");
        QTest::newRow("up below a cent") << 0.0000125 << int(Qt::Key_Up) << 0.00001251;
        QTest::newRow("down below a cent") << 0.0000125 << int(Qt::Key_Down) << 0.00001249;
        QTest::newRow("up below 1") << 0.5 << int(Qt::Key_Up) << 0.5001;
        QTest::newRow("up from 1 up") << 36.71 << int(Qt::Key_Up) << 37.71;
        QTest::newRow("down from 1 up") << 36.71 << int(Qt::Key_Down) << 35.71;
    }

    void priceBoxesStepFromTheirOwnDigits()
    {
        QFETCH(double, start);
        QFETCH(int, key);
        QFETCH(double, stepped);
        // Set, stepped once, accepted; nothing in here may fail, or the dialog would stay open.
        const auto stepBox = [&](QDoubleSpinBox *box) {
            if (!box)
                return;
            box->setValue(start);
            QTest::keyClick(box, Qt::Key(key));
        };
        const auto stepPriceDialog = [&](QWidget *widget) {
            stepBox(widget->findChild<QDoubleSpinBox *>());
            if (auto *dialog = qobject_cast<QDialog *>(widget))
                dialog->accept();
        };
        SeriesFixture f;
        ModalAnswers answers;

        f.chart.setChartTool(PriceChart::HorizontalLine);
        answers.then(stepPriceDialog).then(ModalAnswers::color(QColor(0x11, 0x22, 0x33)));
        f.chart.addDrawingAt(QPointF(200, 113));
        QCOMPARE(f.chart.drawingList().size(), 1);
        QCOMPARE(f.chart.drawingList().first().price1, stepped);

        f.load(R"([{"price1":105}])");
        answers.then(stepPriceDialog).then(ModalAnswers::cancel());
        f.chart.editDrawing(0);
        QCOMPARE(f.chart.drawingList().first().price1, stepped);

        f.load(R"([{"type":"trend","index1":2,"index2":6,"price1":101,"price2":104}])");
        int boxes = 0;
        answers.then([&](QWidget *widget) {
            const QList<QDoubleSpinBox *> spins = widget->findChildren<QDoubleSpinBox *>();
            boxes = int(spins.size());
            for (QDoubleSpinBox *spin : spins)
                stepBox(spin);
            if (auto *dialog = qobject_cast<QDialog *>(widget))
                dialog->accept();
        });
        f.chart.editDrawing(0);
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.titles,
                 (QStringList{"Horizontal line", "Line color", "Edit horizontal line", "Line color", "Trend line"}));
        QCOMPARE(boxes, 2);
        QCOMPARE(f.chart.drawingList().first().price1, stepped);
        QCOMPARE(f.chart.drawingList().first().price2, stepped);
    }

    void lockedLineIsEditedAndRemoved()
    {
        SeriesFixture f;
        f.load("[{\"price1\":105,\"locked\":true,\"color\":\"#ff0000\"}]");
        ModalAnswers answers;
        answers.then(ModalAnswers::menuEntry(QStringLiteral("Unlock")));
        f.chart.showDrawingMenu(0, QPoint(10, 10));
        QVERIFY(!f.chart.drawingList().first().locked);
        QCOMPARE(f.statuses.last(), QStringLiteral("Drawing unlocked"));
        answers.then(ModalAnswers::menuEntry(QStringLiteral("Lock")));
        f.chart.showDrawingMenu(0, QPoint(10, 10));
        QVERIFY(f.chart.drawingList().first().locked);
        QCOMPARE(f.statuses.last(), QStringLiteral("Drawing locked"));

        // Edit with the price cancelled: the colour dialog still opens and the edit is reported.
        answers.then(ModalAnswers::menuEntry(QStringLiteral("Edit")))
            .then(ModalAnswers::cancel())
            .then(ModalAnswers::color(QColor(0, 0, 255)));
        f.chart.showDrawingMenu(0, QPoint(10, 10));
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.titles.mid(2), (QStringList{"menu", "Edit horizontal line", "Line color"}));
        QCOMPARE(f.chart.drawingList().first().price1, 105.0);
        QCOMPARE(f.chart.drawingList().first().color, QColor(0, 0, 255));
        QCOMPARE(f.statuses.last(), QStringLiteral("Drawing edited"));

        answers.then(ModalAnswers::menuEntry(QStringLiteral("Remove")));
        f.chart.showDrawingMenu(0, QPoint(10, 10));
        QVERIFY(f.chart.drawingList().isEmpty());
        QCOMPARE(f.statuses.last(), QStringLiteral("Drawing removed"));
        QCOMPARE(f.changes, 4);

        answers.then(ModalAnswers::cancel());
        f.load(R"([{"price1":105}])");
        f.chart.showDrawingMenu(0, QPoint(10, 10)); // dismissed: nothing changes
        QCOMPARE(f.chart.drawingList().size(), 1);
        QCOMPARE(f.changes, 4);
    }

    void editWritesBackOnlyToTheSameDrawings()
    {
        SeriesFixture f;
        f.load(R"([{"type":"vertical","index1":4,"label":"a"}])");
        ModalAnswers answers;
        // While the label dialog is open, another symbol's drawings come in.
        answers
            .then([&f](QWidget *widget) {
                f.load(R"([{"type":"vertical","index1":2,"label":"other"}])");
                ModalAnswers::textValue(QStringLiteral("edited"))(widget);
            })
            .then(ModalAnswers::cancel());
        f.chart.editDrawing(0);
        QCOMPARE(f.chart.drawingList().first().label, QStringLiteral("other"));
        QVERIFY(!f.statuses.contains(QStringLiteral("Drawing edited"))); // nothing was written

        answers.then(ModalAnswers::textValue(QStringLiteral("edited"))).then(ModalAnswers::cancel());
        f.chart.editDrawing(0);
        QCOMPARE(f.chart.drawingList().first().label, QStringLiteral("edited"));
        f.chart.editDrawing(3); // out of the list: nothing, no report
        QCOMPARE(f.statuses.count(QStringLiteral("Drawing edited")), 1);
    }

    // Every dialog of an edit cancelled: the drawing stays as it was, yet the edit is still reported
    // and the listener still told, once.
    void cancelledEditIsStillReported_data()
    {
        QTest::addColumn<QByteArray>("drawing");
        QTest::addColumn<QStringList>("dialogs");
        QTest::newRow("horizontal") << QByteArray(R"([{"price1":105,"label":"105.0000"}])")
                                    << QStringList{"Edit horizontal line", "Line color"};
        QTest::newRow("vertical") << QByteArray(R"([{"type":"vertical","index1":4,"label":"a"}])")
                                  << QStringList{"Edit vertical line", "Line color"};
        QTest::newRow("trend") << QByteArray(
                                      R"([{"type":"trend","index1":2,"index2":6,"price1":101,"price2":104}])")
                               << QStringList{"Trend line"};
    }

    void cancelledEditIsStillReported()
    {
        QFETCH(QByteArray, drawing);
        QFETCH(QStringList, dialogs);
        SeriesFixture f;
        f.load(drawing.constData());
        const QJsonArray before = f.chart.drawingsToJson();
        ModalAnswers answers;
        for (int i = 0; i < dialogs.size(); ++i)
            answers.then(ModalAnswers::cancel());
        f.chart.editDrawing(0);
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.titles, dialogs);
        QCOMPARE(f.chart.drawingsToJson(), before);
        QCOMPARE(f.statuses.count(QStringLiteral("Drawing edited")), 1);
        QCOMPARE(f.changes, 1);
    }

    void loadingDrawingsEndsATrendPreview()
    {
        SeriesFixture f;
        f.chart.setChartTool(PriceChart::TrendLine);
        f.chart.setTrendPreview(QPointF(100, 100));
        f.load("[]");
        QVERIFY(!f.chart.isTrendPreviewActive());
        QCOMPARE(f.changes, 0);
    }

    void paintsWithoutData()
    {
        PriceChart chart(nullptr);
        chart.resize(400, 300);
        QVERIFY(!chart.grab().isNull());
        chart.resize(20, 20); // smaller than its margins
        QVERIFY(!chart.grab().isNull());
    }
};

MVX_TEST_MAIN(TestPriceChart)
#include "test_price_chart.moc"
