#include "chart/chart_model.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/support/test_main.h"

#include <QFont>
#include <QFontMetricsF>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

Q_DECLARE_METATYPE(ChartView)
Q_DECLARE_METATYPE(Drawing)

namespace {
// A plot 100 px wide and 50 px high at the widget's usual inset.
const QRectF kPlot(18, 18, 100, 50);

QJsonArray jsonArray(const char *text)
{
    return QJsonDocument::fromJson(QByteArray(text)).array();
}

Drawing horizontal(double price)
{
    Drawing drawing;
    drawing.price1 = drawing.price2 = price;
    return drawing;
}

Drawing trend(qint64 index1, double price1, qint64 index2, double price2)
{
    Drawing drawing;
    drawing.type = DrawingType::Trend;
    drawing.index1 = index1;
    drawing.index2 = index2;
    drawing.price1 = price1;
    drawing.price2 = price2;
    return drawing;
}
} // namespace

class TestChartModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout()
    {
        const QRectF plot = chartPlotRect(QSize(400, 300));
        QCOMPARE(plot, QRectF(18, 18, 364, 190));
        QCOMPARE(chartVolumeRect(plot), QRectF(18, 216, 364, 34));
        QVERIFY(isUsablePlot(plot));
        QVERIFY(!isUsablePlot(chartPlotRect(QSize(36, 300))));
        QVERIFY(!isUsablePlot(chartPlotRect(QSize(400, 110))));
    }

    void visibleRange_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        QTest::newRow("empty") << qint64(0) << 0.0 << 1.0 << qint64(0) << qint64(0);
        QTest::newRow("one candle") << qint64(1) << 0.0 << 1.0 << qint64(0) << qint64(0);
        QTest::newRow("101, middle half") << qint64(101) << 0.25 << 0.75 << qint64(25) << qint64(75);
        QTest::newRow("3, middle half") << qint64(3) << 0.25 << 0.75 << qint64(0) << qint64(2);
        QTest::newRow("101, full") << qint64(101) << 0.0 << 1.0 << qint64(0) << qint64(100);
        QTest::newRow("floor and ceil") << qint64(11) << 0.33 << 0.61 << qint64(3) << qint64(7);
        QTest::newRow("out of range view is clamped") << qint64(11) << -3.0 << 7.0 << qint64(0) << qint64(10);
        QTest::newRow("NaN view is the full view") << qint64(11) << kNaN << kNaN << qint64(0) << qint64(10);
    }

    void visibleRange()
    {
        QFETCH(qint64, count);
        QFETCH(double, start);
        QFETCH(double, end);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        const IndexRange range = visibleIndexRange(count, {start, end});
        QCOMPARE(range.first, first);
        QCOMPARE(range.last, last);
    }

    void horizontalMappings()
    {
        QCOMPARE(xForIndex(kPlot, 10, 10, 20), 18.0);
        QCOMPARE(xForIndex(kPlot, 20, 10, 20), 118.0);
        QCOMPARE(xForIndex(kPlot, 15, 10, 20), 68.0);
        // One visible candle: the line sits at the left edge, the candle body in the middle.
        QCOMPARE(xForIndex(kPlot, 0, 0, 0), 18.0);
        QCOMPARE(slotCentreX(kPlot, 0, 0, 0), 68.0);
        QCOMPARE(slotCentreX(kPlot, 1, 0, 3), 18.0 + 25 * 1.5);
    }

    void indexAtX_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        QTest::addColumn<double>("plotWidth");
        QTest::addColumn<qint64>("index");
        QTest::newRow("left of the plot")
            << 0.0 << qint64(50) << qint64(10) << qint64(14) << 100.0 << qint64(10);
        QTest::newRow("right of the plot")
            << 500.0 << qint64(50) << qint64(10) << qint64(14) << 100.0 << qint64(14);
        QTest::newRow("halfway goes to the later")
            << 30.5 << qint64(50) << qint64(10) << qint64(14) << 100.0 << qint64(11);
        QTest::newRow("second halfway")
            << 55.5 << qint64(50) << qint64(10) << qint64(14) << 100.0 << qint64(12);
        QTest::newRow("just before halfway")
            << 30.4 << qint64(50) << qint64(10) << qint64(14) << 100.0 << qint64(10);
        QTest::newRow("empty series") << 50.0 << qint64(0) << qint64(0) << qint64(0) << 100.0 << qint64(-1);
        QTest::newRow("plot narrower than a pixel")
            << 18.2 << qint64(50) << qint64(10) << qint64(14) << 0.5 << qint64(10);
        QTest::newRow("plot of negative width")
            << 18.2 << qint64(50) << qint64(10) << qint64(14) << -20.0 << qint64(10);
        QTest::newRow("NaN x") << kNaN << qint64(50) << qint64(10) << qint64(14) << 100.0 << qint64(10);
    }

    void indexAtX()
    {
        QFETCH(double, x);
        QFETCH(qint64, count);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        QFETCH(double, plotWidth);
        QFETCH(qint64, index);
        QCOMPARE(::indexAtX(QRectF(18, 18, plotWidth, 50), x, count, {first, last}), index);
    }

    void priceMappings_data()
    {
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("plotHeight");
        QTest::addColumn<double>("price");
        QTest::newRow("top edge") << 18.0 << 50.0 << 110.0;
        QTest::newRow("above the plot is the high") << -40.0 << 50.0 << 110.0;
        QTest::newRow("below the plot is the low") << 400.0 << 50.0 << 100.0;
        QTest::newRow("middle") << 43.0 << 50.0 << 105.0;
        QTest::newRow("plot lower than a pixel") << 18.2 << 0.5 << 100.0;
        QTest::newRow("NaN y") << kNaN << 50.0 << 100.0;
    }

    void priceMappings()
    {
        QFETCH(double, y);
        QFETCH(double, plotHeight);
        QFETCH(double, price);
        QCOMPARE(::priceAtY(QRectF(18, 18, 100, plotHeight), y, 100, 110), price);
    }

    void yForPriceIsNotClamped()
    {
        QCOMPARE(yForPrice(kPlot, 100, 100, 110), 68.0);
        QCOMPARE(yForPrice(kPlot, 110, 100, 110), 18.0);
        QCOMPARE(yForPrice(kPlot, 120, 100, 110), -32.0);
    }

    void priceRange_data()
    {
        QTest::addColumn<CandleList>("candles");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        const CandleList three{makeCandle(1, 5, 9, 4, 6), makeCandle(2, 6, 12, 3, 7),
                               makeCandle(3, 7, 8, 6, 7)};
        QTest::newRow("all") << three << qint64(0) << qint64(2) << 3.0 << 12.0;
        QTest::newRow("last only") << three << qint64(2) << qint64(2) << 6.0 << 8.0;
        QTest::newRow("flat widens by one")
            << CandleList{makeCandle(1, 5, 5, 5, 5), makeCandle(2, 5, 5, 5, 5)} << qint64(0) << qint64(1)
            << 4.0 << 6.0;
        QTest::newRow("empty is the band around 0") << CandleList{} << qint64(0) << qint64(0) << -1.0 << 1.0;
    }

    void priceRange()
    {
        QFETCH(CandleList, candles);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        QFETCH(double, low);
        QFETCH(double, high);
        const PriceRange range = candlePriceRange(candles, first, last);
        QCOMPARE(range.low, low);
        QCOMPARE(range.high, high);
    }

    void timeLabels_data()
    {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<QString>("timeframe");
        QTest::addColumn<QString>("label");
        // In a fixed zone three hours ahead of UTC.
        QTest::newRow("1d, 5 March") << qint64(1772658000) << "1d"
                                     << "05/03";
        QTest::newRow("1mo, 5 March") << qint64(1772658000) << "1mo"
                                      << "05/03";
        QTest::newRow("4h, 14:00") << qint64(1772708400) << "4h"
                                   << "14:00";
        QTest::newRow("1h in milliseconds") << qint64(1772708400000) << "1h"
                                            << "14:00";
        // 100000000001 is the first millisecond value: 3 March 1973; one less is seconds, in 5138.
        QTest::newRow("millisecond threshold") << qint64(100000000001) << "1d"
                                               << "03/03";
        QTest::newRow("just below the threshold") << qint64(100000000000) << "1d"
                                                  << "16/11";
    }

    void timeLabels()
    {
        QFETCH(qint64, time);
        QFETCH(QString, timeframe);
        QFETCH(QString, label);
        QCOMPARE(chartTimeLabel(time, timeframe, QTimeZone(3 * 3600)), label);
    }

    void panSequence_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("plotWidth");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        // Every pan starts at x 50 on the view 0.5 .. 1.0.
        QTest::newRow("half a plot right") << 100.0 << 100.0 << 0.25 << 0.75;
        QTest::newRow("a whole plot right") << 150.0 << 100.0 << 0.0 << 0.5;
        QTest::newRow("further stays at the oldest") << 400.0 << 100.0 << 0.0 << 0.5;
        QTest::newRow("left past the newest") << -100.0 << 100.0 << 0.5 << 1.0;
        QTest::newRow("plot narrower than a pixel") << 100.0 << 0.5 << 0.5 << 1.0;
    }

    void panSequence()
    {
        QFETCH(double, x);
        QFETCH(double, plotWidth);
        QFETCH(double, start);
        QFETCH(double, end);
        const ChartView view = pannedView({0.5, 1.0}, 50, x, QRectF(18, 18, plotWidth, 50));
        QCOMPARE(view.start, start);
        QCOMPARE(view.end, end);
    }

    void wheel()
    {
        const double middle = kPlot.center().x();
        ChartView view = wheelZoomedView({0.0, 1.0}, middle, false, kPlot);
        QVERIFY(qFuzzyCompare(view.start, 0.11) && qFuzzyCompare(view.end, 0.89));
        // 0.78 x 1.28 is below 1: one step back does not reach the full view.
        view = wheelZoomedView(view, middle, true, kPlot);
        QVERIFY(qFuzzyCompare(view.start, 0.0008) && qFuzzyCompare(view.end, 0.9992));

        for (int i = 0; i < 40; ++i)
            view = wheelZoomedView(view, middle, false, kPlot);
        QVERIFY(qFuzzyCompare(view.end - view.start, kMinViewSpan));
        for (int i = 0; i < 40; ++i)
            view = wheelZoomedView(view, 18, true, kPlot);
        QCOMPARE(view.start, 0.0);
        QCOMPARE(view.end, 1.0);

        // The candle under the cursor stays under it.
        const ChartView left = wheelZoomedView({0.0, 1.0}, 18 + 25, false, kPlot);
        QVERIFY(qFuzzyCompare(left.start + (left.end - left.start) * 0.25, 0.25));

        const QRectF thin(18, 18, 0.5, 50);
        view = wheelZoomedView({0.2, 0.6}, 18, false, thin);
        QCOMPARE(view.start, 0.2);
        QCOMPARE(view.end, 0.6);
    }

    void band_data()
    {
        QTest::addColumn<double>("x1");
        QTest::addColumn<double>("x2");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::newRow("2 % only disappears") << 50.0 << 52.0 << 0.0 << 1.0;
        QTest::newRow("25 % to 75 %") << 43.0 << 93.0 << 0.25 << 0.75;
        QTest::newRow("dragged leftwards") << 93.0 << 43.0 << 0.25 << 0.75;
        QTest::newRow("beyond the edges") << -500.0 << 68.0 << 0.0 << 0.5;
    }

    void band()
    {
        QFETCH(double, x1);
        QFETCH(double, x2);
        QFETCH(double, start);
        QFETCH(double, end);
        const ChartView view = bandZoomedView({0.0, 1.0}, x1, x2, kPlot);
        QCOMPARE(view.start, start);
        QCOMPARE(view.end, end);
        const ChartView thin = bandZoomedView({0.0, 1.0}, x1, x2, QRectF(18, 18, 0.5, 50));
        QCOMPARE(thin.start, 0.0);
        QCOMPARE(thin.end, 1.0);
    }

    void normalize_data()
    {
        QTest::addColumn<double>("inStart");
        QTest::addColumn<double>("inEnd");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::newRow("inside stays") << 0.2 << 0.6 << 0.2 << 0.6;
        QTest::newRow("negative start keeps the span") << -0.1 << 0.3 << 0.0 << 0.4;
        QTest::newRow("end past 1 keeps the span") << 0.8 << 1.2 << 0.6 << 1.0;
        QTest::newRow("start past the limit") << 0.99 << 1.0 << 0.96 << 1.0;
        QTest::newRow("too narrow widens") << 0.5 << 0.51 << 0.5 << 0.54;
        QTest::newRow("NaN is the full view") << kNaN << 0.4 << 0.0 << 1.0;
    }

    void normalize()
    {
        QFETCH(double, inStart);
        QFETCH(double, inEnd);
        QFETCH(double, start);
        QFETCH(double, end);
        const ChartView view = normalizedView({inStart, inEnd});
        QVERIFY2(qFuzzyCompare(1 + view.start, 1 + start) && qFuzzyCompare(view.end, end),
                 qPrintable(QStringLiteral("%1 .. %2").arg(view.start).arg(view.end)));
    }

    void snap_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("snapped");
        // Open 10, high 12, low 8, close 11.
        QTest::newRow("near the high") << 11.9 << 12.0;
        QTest::newRow("near the low") << 7.0 << 8.0;
        QTest::newRow("tie between open and close keeps the open") << 10.5 << 10.0;
        QTest::newRow("exactly the close") << 11.0 << 11.0;
    }

    void snap()
    {
        QFETCH(double, price);
        QFETCH(double, snapped);
        QCOMPARE(snapPriceToCandle(makeCandle(1, 10, 12, 8, 11), price), snapped);
    }

    // Distances on the plot: range 0 .. 10, prices 100 .. 110 (1 px per 0.2).
    void hitDistance_data()
    {
        QTest::addColumn<Drawing>("drawing");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<double>("distance");
        Drawing vertical;
        vertical.type = DrawingType::Vertical;
        vertical.index1 = vertical.index2 = 5;
        Drawing verticalOutside = vertical;
        verticalOutside.index1 = verticalOutside.index2 = 11;
        QTest::newRow("horizontal 6 px") << horizontal(105) << QPointF(500, 49) << 6.0;
        QTest::newRow("horizontal 7 px") << horizontal(105) << QPointF(-80, 36) << 7.0;
        QTest::newRow("vertical") << vertical << QPointF(71, 30) << 3.0;
        QTest::newRow("vertical outside the view") << verticalOutside << QPointF(118, 30) << kInf;
        QTest::newRow("trend, on the line") << trend(0, 100, 10, 110) << QPointF(68, 43) << 0.0;
        QTest::newRow("trend, past its end") << trend(0, 100, 5, 100) << QPointF(71, 72) << 5.0;
        QTest::newRow("trend clamped into the view") << trend(-5, 105, 20, 105) << QPointF(18, 43) << 0.0;
        // Both ends left of the view: not drawn, so not hit, although both would clamp to the edge.
        QTest::newRow("trend wholly left of the view") << trend(-9, 100, -2, 110) << QPointF(18, 43) << kInf;
        QTest::newRow("trend wholly right of the view")
            << trend(12, 100, 30, 110) << QPointF(118, 43) << kInf;
        QTest::newRow("trend shorter than a pixel") << trend(3, 105, 3, 105) << QPointF(48, 43) << kInf;
    }

    void hitDistance()
    {
        QFETCH(Drawing, drawing);
        QFETCH(QPointF, point);
        QFETCH(double, distance);
        const double got = drawingDistance(drawing, point, kPlot, {0, 10}, {100, 110});
        QVERIFY2(got == distance || std::fabs(got - distance) < 1e-9, qPrintable(QString::number(got)));
    }

    // The crosshair's box on the 400 x 300 chart's plot (18, 18, 364, 190). `widest` names the line that
    // sets the width, or is empty when the box keeps its least width of 160.
    void crosshairBox_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("widest");
        QTest::addColumn<bool>("flipped");
        const QStringList small{"00:00", "O 1.00  H 2.00", "L 0.50  C 1.50", "V 12"};
        const QString wide = QStringLiteral("O 123456789.12  H 123456789.12");
        const QStringList large{"00:00", wide, "L 123456789.00  C 1.00", "V 1.2K"};
        QTest::newRow("short lines keep 160") << 100.0 << small << QString() << false;
        QTest::newRow("no text keeps 160") << 100.0 << QStringList() << QString() << false;
        QTest::newRow("a long line widens it") << 40.0 << large << wide << false;
        QTest::newRow("the widest line counts wherever it is")
            << 40.0 << QStringList{"V 1.2K", "L 1.00  C 1.00", wide} << wide << false;
        QTest::newRow("touching the plot's edge stays right") << 212.0 << small << QString() << false;
        QTest::newRow("past the plot's edge flips left") << 213.0 << small << QString() << true;
        QTest::newRow("on the last candle flips left") << 382.0 << small << QString() << true;
        QTest::newRow("widened past the edge flips, though 160 would fit") << 200.0 << large << wide << true;
        QTest::newRow("widened on the last candle flips") << 382.0 << large << wide << true;
    }

    void crosshairBox()
    {
        QFETCH(double, x);
        QFETCH(QStringList, lines);
        QFETCH(QString, widest);
        QFETCH(bool, flipped);
        QFont font;
        font.setPixelSize(12);
        const QFontMetricsF metrics(font);
        const QRectF plot(18, 18, 364, 190);
        double width = 160;
        if (widest.isEmpty()) {
            for (const QString &line : lines) // the case holds in this font too
                QVERIFY(metrics.horizontalAdvance(line) + 16 <= 160);
        } else {
            width = std::ceil(metrics.horizontalAdvance(widest)) + 16;
            QVERIFY2(width > 382 - 210, "the wide line must not fit the least width in this font");
        }
        const QRectF box = crosshairBoxRect(plot, x, lines, metrics);
        QCOMPARE(box.size(), QSizeF(width, 74));
        QCOMPARE(box.top(), 28.0);
        if (flipped)
            QCOMPARE(box.right(), x - 10);
        else
            QCOMPARE(box.left(), x + 10);
        // The text, inset by the margins, has room for every line.
        for (const QString &line : lines)
            QVERIFY(metrics.horizontalAdvance(line) <= box.width() - 2 * kCrosshairBoxMarginX);
    }

    void boundedCoordinates()
    {
        // A line at 1e9 over a series near 10 maps millions of pixels away.
        const double far = yForPrice(kPlot, 1e9, 9, 11);
        QVERIFY(boundedCoordinate(far) >= -20000 && boundedCoordinate(far) < 0);
        QCOMPARE(boundedCoordinate(kNaN), 0.0);
        QVERIFY(boundedCoordinate(kInf) > 0);
        QCOMPARE(boundedCoordinate(43.5), 43.5);
    }

    void drawingTypeTexts()
    {
        QCOMPARE(drawingTypeToString(DrawingType::Vertical), QStringLiteral("vertical"));
        QCOMPARE(drawingTypeToString(DrawingType::Trend), QStringLiteral("trend"));
        QCOMPARE(drawingTypeToString(7), QStringLiteral("horizontal"));
        QCOMPARE(drawingTypeFromString(QStringLiteral("vertical")), int(DrawingType::Vertical));
        QCOMPARE(drawingTypeFromString(QStringLiteral("trend")), int(DrawingType::Trend));
        QCOMPARE(drawingTypeFromString(QStringLiteral("Trend")), int(DrawingType::Horizontal));
        const Drawing drawing;
        QCOMPARE(drawing.type, int(DrawingType::Horizontal));
        QCOMPARE(drawing.price1, 0.0);
        QCOMPARE(drawing.index1, qint64(0));
        QVERIFY(drawing.label.isEmpty());
        QVERIFY(!drawing.locked);
        QCOMPARE(drawing.color, QColor(QStringLiteral("#f3b24a")));
    }

    void drawingsReader_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<Drawing>("drawing");
        Drawing trendDefaults = trend(5, 10, 5, 10);
        QTest::newRow("trend with only its start")
            << QByteArray(R"([{"type":"trend","price1":10,"index1":5}])") << trendDefaults;
        QTest::newRow("element that is no object") << QByteArray("[7]") << Drawing();
        Drawing badColor = horizontal(3);
        QTest::newRow("colour naming nothing")
            << QByteArray(R"([{"price1":3,"color":"not a colour"}])") << badColor;
        Drawing typed;
        typed.type = DrawingType::Vertical;
        typed.index1 = typed.index2 = 4;
        typed.price1 = typed.price2 = 2.5;
        typed.label = QStringLiteral("open");
        typed.locked = true;
        typed.color = QColor(0x12, 0x34, 0x56);
        QTest::newRow("every key") << QByteArray("[{\"type\":\"vertical\",\"price1\":2.5,\"price2\":2.5,"
                                                 "\"index1\":4,\"index2\":4,\"label\":\"open\","
                                                 "\"locked\":true,\"color\":\"#123456\"}]")
                                   << typed;
        QTest::newRow("wrong types take the defaults")
            << QByteArray(R"([{"type":2,"price1":"5","index1":1.5,"label":9,"locked":"yes","color":5}])")
            << Drawing();
        QTest::newRow("an index beyond any series reads 0")
            << QByteArray(R"([{"index1":1e300}])") << Drawing();
    }

    void drawingsReader()
    {
        QFETCH(QByteArray, json);
        QFETCH(Drawing, drawing);
        const DrawingList read = drawingsFromJson(jsonArray(json.constData()));
        QCOMPARE(read.size(), 1);
        const Drawing &got = read.first();
        QCOMPARE(got.type, drawing.type);
        QCOMPARE(got.price1, drawing.price1);
        QCOMPARE(got.price2, drawing.price2);
        QCOMPARE(got.index1, drawing.index1);
        QCOMPARE(got.index2, drawing.index2);
        QCOMPARE(got.label, drawing.label);
        QCOMPARE(got.locked, drawing.locked);
        QCOMPARE(got.color, drawing.color);
    }

    void drawingsRoundTrip()
    {
        Drawing line = trend(3, 101.5, 9, 99.25);
        line.label = QStringLiteral("channel");
        line.locked = true;
        line.color = QColor(255, 0, 0, 128); // alpha is not kept
        const QJsonArray written = drawingsToJson({horizontal(7), line});
        const QJsonObject object = written.at(1).toObject();
        QCOMPARE(object.size(), 8);
        QCOMPARE(object.value(QStringLiteral("type")).toString(), QStringLiteral("trend"));
        QCOMPARE(object.value(QStringLiteral("color")).toString(), QStringLiteral("#ff0000"));
        const DrawingList read = drawingsFromJson(written);
        QCOMPARE(read.size(), 2);
        QCOMPARE(read.at(1).index2, qint64(9));
        QCOMPARE(read.at(1).price2, 99.25);
        QCOMPARE(read.at(1).label, QStringLiteral("channel"));
        QVERIFY(read.at(1).locked);
        QCOMPARE(read.at(1).color, QColor(255, 0, 0));
        QCOMPARE(drawingsToJson(read), written);
    }
};

MVX_TEST_MAIN(TestChartModel)
#include "test_chart_model.moc"
