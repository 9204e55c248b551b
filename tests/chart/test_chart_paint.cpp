#include "chart/price_chart.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/support/painted_texts.h"
#include "tests/support/test_main.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// A 400 x 300 chart: plot (18, 18, 364, 190), volume pane (18, 216, 364, 34).
struct PaintFixture
{
    PriceChart chart{nullptr};

    explicit PaintFixture(bool light = false)
    {
        chart.resize(400, 300);
        chart.setTimeZone(QTimeZone::utc());
        chart.setLightTheme(light);
    }

    void settings(const char *json) { chart.applyIndicatorSettings(QJsonDocument::fromJson(json).object()); }
    void drawings(const char *json) { chart.loadDrawings(QJsonDocument::fromJson(json).array()); }

    QImage image()
    {
        QImage out(chart.size(), QImage::Format_ARGB32);
        out.fill(Qt::magenta);
        chart.render(&out);
        return out;
    }

    QColor background() const { return chart.backgroundColor(); }
};

bool near(const QColor &a, const QColor &b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of the area that differ from `color`.
int pixelsUnlike(const QImage &image, const QRect &area, const QColor &color)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += near(image.pixelColor(x, y), color, 2) ? 0 : 1;
    return count;
}

// Pixels of the area whose colour is dominated as asked: "g" green above red and blue, and so on.
int pixelsLeaning(const QImage &image, const QRect &area, char channel)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int r = c.red(), g = c.green(), b = c.blue();
            const bool hit = channel == 'g'   ? g > r + 40 && g > b + 20
                             : channel == 'r' ? r > g + 60 && r > b + 60
                             : channel == 'b' ? b > r + 80 && b > g + 20
                                              : r > g + 60 && b > g + 60; // 'p': purple
            count += hit ? 1 : 0;
        }
    return count;
}

CandleList twoCandles()
{
    return {makeCandle(1700000000, 100, 110, 100, 110, 5), makeCandle(1700000060, 110, 110, 100, 100, 10)};
}

QColor over(const QColor &top, const QColor &bottom)
{
    const double a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a),
                            top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a));
}
} // namespace

class TestChartPaint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data()
    {
        QTest::addColumn<bool>("light");
        QTest::newRow("dark") << false;
        QTest::newRow("light") << true;
    }

    void backgroundFrameAndWaitingText()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("BTCUSDT"), {}, 1, QStringLiteral("1m"));
        QImage image = f.image();
        QCOMPARE(image.pixelColor(395, 5), f.background());
        QCOMPARE(image.pixelColor(200, 290), f.background());
        QVERIFY(!near(image.pixelColor(18, 150), f.background(), 2)); // the plot's frame
        // The waiting text, centred in the plot; no axis or labels without candles.
        QVERIFY(pixelsUnlike(image, QRect(150, 105, 100, 16), f.background()) > 20);
        QCOMPARE(pixelsUnlike(image, QRect(18, 252, 364, 44), f.background()), 0);

        f.chart.setSeries(QStringLiteral("BTCUSDT"), twoCandles(), 1, QStringLiteral("1m"));
        image = f.image();
        QCOMPARE(pixelsUnlike(image, QRect(150, 105, 100, 6), f.background()), 0);
        QVERIFY(pixelsUnlike(image, QRect(18, 252, 364, 44), f.background()) > 20); // axis and labels
    }

    void candleColours()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"), twoCandles(), 1, QStringLiteral("1m"));
        const QImage image = f.image();
        QCOMPARE(image.pixelColor(109, 100), QColor(0x20, 0xc8, 0x78));
        QCOMPARE(image.pixelColor(291, 100), QColor(0xf4, 0x5d, 0x5d));
        // The middle of the plot between them is background but for the grid line.
        QCOMPARE(image.pixelColor(200, 100), f.background());
    }

    void flatCandleHasABody()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        // The flat candle in the middle: open = close = 105 at y 113, high 110 and low 100.
        f.chart.setSeries(QStringLiteral("X"),
                          {makeCandle(1, 100, 110, 100, 110), makeCandle(2, 105, 110, 100, 105),
                           makeCandle(3, 110, 110, 100, 100)},
                          1, QStringLiteral("1m"));
        const QImage image = f.image();
        const int x = 18 + 364 / 2;
        // The body is wider than the wick: green a few pixels beside the wick, on the body's row only.
        QVERIFY(pixelsLeaning(image, QRect(x + 3, 112, 2, 3), 'g') > 0);
        QCOMPARE(pixelsLeaning(image, QRect(x + 3, 100, 2, 8), 'g'), 0);
    }

    void singleCandleLineIsADot()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"), {makeCandle(1, 5, 5, 5, 5, 1)}, 0, QStringLiteral("1m"));
        const QImage image = f.image();
        QVERIFY(pixelsLeaning(image, QRect(16, 111, 5, 5), 'g') >= 4);
        QCOMPARE(pixelsLeaning(image, QRect(40, 100, 300, 100), 'g'), 0);
    }

    void volumeBarsStandOnThePanesBottom()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"), twoCandles(), 1, QStringLiteral("1m"));
        QImage image = f.image();
        // The falling candle has the larger volume: a full-height bar; the rising one half of it.
        QVERIFY(pixelsLeaning(image, QRect(290, 220, 2, 28), 'r') >= 50);
        QVERIFY(pixelsLeaning(image, QRect(108, 236, 2, 12), 'g') >= 20);
        QCOMPARE(pixelsLeaning(image, QRect(108, 220, 2, 12), 'g'), 0);
        QVERIFY(pixelsUnlike(image, QRect(22, 218, 80, 12), f.background()) > 10); // the caption

        CandleList quiet = twoCandles();
        quiet[0].volume = quiet[1].volume = 0;
        f.chart.setSeries(QStringLiteral("X"), quiet, 1, QStringLiteral("1m"));
        image = f.image();
        QCOMPARE(pixelsUnlike(image, QRect(20, 218, 360, 30), f.background()), 0);
    }

    void legendsStackWithoutGaps()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"), closesOnly({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), 0,
                          QStringLiteral("1m"));
        f.settings(R"({"sma20":true,"sma_period":3,"vwap":true})");
        QImage image = f.image();
        // SMA at top + 4, VWAP at top + 20; nothing below.
        QVERIFY(pixelsLeaning(image, QRect(230, 22, 148, 16), 'b') > 10);
        QVERIFY(pixelsLeaning(image, QRect(230, 38, 148, 16), 'p') > 10);
        QCOMPARE(pixelsLeaning(image, QRect(230, 54, 148, 16), 'p'), 0);

        // A period longer than the series: no SMA line nor legend, VWAP moves up.
        f.settings(R"({"sma_period":50})");
        image = f.image();
        QCOMPARE(pixelsLeaning(image, QRect(18, 18, 364, 190), 'b'), 0);
        QVERIFY(pixelsLeaning(image, QRect(230, 22, 148, 16), 'p') > 10);
    }

    void macdPaneWithOneCandleIsAnEmptyBox()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"), {makeCandle(1, 5, 6, 4, 5, 1)}, 0, QStringLiteral("1m"));
        f.settings(R"({"macd":true})");
        const QImage image = f.image();
        const QColor fill = over(f.chart.overlayBoxFill(), f.background());
        // Box (24, 132, 240, 68): filled, no title, no values.
        QCOMPARE(pixelsUnlike(image, QRect(28, 135, 232, 22), fill), 0);
    }

    // MACD and its signal take the decimals of the last price: a coin below a cent reads its value on
    // both sides of zero, a price from 1 up keeps 3.
    void macdPaneReadsItsValues_data()
    {
        QTest::addColumn<QList<double>>("closes");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("rising coin below a cent")
            << QList<double>{0.0000123, 0.0000125} << QStringList{"M 0.00000007", "S 0.00000007"};
        QTest::newRow("falling coin below a cent")
            << QList<double>{0.0000125, 0.0000123} << QStringList{"M -0.00000007", "S -0.00000007"};
        QTest::newRow("falling price above 1") << QList<double>{3, 2} << QStringList{"M -0.333", "S -0.333"};
    }

    void macdPaneReadsItsValues()
    {
        QFETCH(QList<double>, closes);
        QFETCH(QStringList, shown);
        PaintFixture f;
        f.chart.setSeries(QStringLiteral("X"), closesOnly(closes), 0, QStringLiteral("1m"));
        f.settings(R"({"macd":true,"macd_fast":1,"macd_slow":2,"macd_signal":1})");
        const QStringList painted = PaintedTexts::of(f.chart);
        for (const QString &text : shown)
            QVERIFY2(painted.contains(text), qPrintable(text + " not in: " + painted.join(" | ")));
    }

    void lockedLineIsDarkerWithDarkHandles()
    {
        PaintFixture f(true); // light: an unlocked handle is white, a locked one dark grey
        f.chart.setSeries(QStringLiteral("X"), twoCandles(), 1, QStringLiteral("1m"));
        f.drawings("[{\"price1\":105,\"color\":\"#00ff00\"}]");
        QImage image = f.image();
        QVERIFY(image.pixelColor(22, 113).lightness() > 200);
        f.drawings("[{\"price1\":105,\"color\":\"#00ff00\",\"locked\":true}]");
        image = f.image();
        const QColor handle = image.pixelColor(22, 113);
        QVERIFY2(handle.lightness() < 110, qPrintable(handle.name()));
        // The dashed line itself: darker green than the colour given.
        int brightest = 0;
        for (int x = 30; x < 300; ++x)
            brightest = std::max(brightest, image.pixelColor(x, 113).green());
        QVERIFY(brightest < 0xff && brightest >= 0xff * 100 / 135 - 10);
    }

    void crosshairBoxFlipsAtTheRightEdge()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"), twoCandles(), 1, QStringLiteral("1m"));
        f.chart.resetZoom(); // the crosshair rests on the last candle, at the plot's right edge
        const QImage image = f.image();
        const QColor fill = over(f.chart.overlayBoxFill(), f.background());
        // The box ends 10 px left of the line at x 382.
        QVERIFY(near(image.pixelColor(369, 100), fill));
        if (!light) // the light box is white on white
            QVERIFY(!near(image.pixelColor(395, 100), fill, 2));
    }

    // A price of many digits widens the box instead of being cut. On the last candle the wider box still
    // ends 10 px left of the line, so its text starts left of where a 160 px box would begin (x 212).
    void crosshairBoxWidensForLongPrices()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"),
                          {makeCandle(1700000000, 123456789.12, 123456790.5, 123456780.25, 123456785.75, 5),
                           makeCandle(1700000060, 123456785.75, 123456789.5, 123456781.5, 123456788.25, 10)},
                          1, QStringLiteral("1m"));
        f.chart.resetZoom();
        const QImage image = f.image();
        const QColor text = f.chart.crosshairTextColor();
        int left = 0; // text pixels left of a 160 px box's inner edge (x 220), and right of it
        int right = 0;
        for (int y = 28; y < 102; ++y) {
            for (int x = 18; x < 220; ++x)
                left += near(image.pixelColor(x, y), text, 40) ? 1 : 0;
            for (int x = 220; x < 364; ++x)
                right += near(image.pixelColor(x, y), text, 40) ? 1 : 0;
        }
        QVERIFY2(left > 20, qPrintable(QString::number(left)));
        QVERIFY(right > 20);
    }

    // The prices the chart writes: 2 decimals in the min and max labels, the legends and the crosshair
    // box, 4 on a line's label, each widened below 1 to four significant digits.
    void pricesReadAtEveryScale_data()
    {
        QTest::addColumn<double>("mid");
        QTest::addColumn<double>("reach");
        QTest::addColumn<QStringList>("shown"); // low, high and mid with 2 decimals, mid with 4
        QTest::newRow("below a cent")
            << 0.0000125 << 0.0000003 << QStringList{"0.00001220", "0.00001280", "0.00001250", "0.00001250"};
        QTest::newRow("equity") << 36.71 << 0.5 << QStringList{"36.21", "37.21", "36.71", "36.7100"};
        QTest::newRow("from a thousand up")
            << 104532.18 << 10.0 << QStringList{"104522.18", "104542.18", "104532.18", "104532.1800"};
    }

    void pricesReadAtEveryScale()
    {
        QFETCH(double, mid);
        QFETCH(double, reach);
        QFETCH(QStringList, shown);
        const QString low = shown.at(0), high = shown.at(1), two = shown.at(2), four = shown.at(3);
        PaintFixture f;
        CandleList candles;
        for (int i = 0; i < 5; ++i)
            candles << makeCandle(1700000000 + i * 60, mid, mid + reach, mid - reach, mid, 1);
        f.chart.setSeries(QStringLiteral("X"), candles, 1, QStringLiteral("1m"));
        f.settings(R"({"sma20":true,"sma_period":3,"ema20":true,"ema_period":3,"vwap":true})");
        f.chart.loadDrawings(QJsonArray{QJsonObject{{"price1", mid}}, QJsonObject{{"type", "trend"},
                                                                                  {"index1", 0},
                                                                                  {"index2", 4},
                                                                                  {"price1", mid},
                                                                                  {"price2", mid},
                                                                                  {"label", "T"}}});
        f.chart.resetZoom(); // the crosshair rests on the last candle
        const QStringList painted = PaintedTexts::of(f.chart);
        const QStringList expected{"min " + low,
                                   "max " + high,
                                   "SMA3 " + two,
                                   "EMA3 " + two,
                                   "VWAP " + two,
                                   "O " + two + "  H " + high,
                                   "L " + low + "  C " + two,
                                   four,
                                   "T  " + four + " -> " + four};
        for (const QString &text : expected)
            QVERIFY2(painted.contains(text), qPrintable(text + " not in: " + painted.join(" | ")));
    }

    void zoomBandIsCutAtThePlot()
    {
        QFETCH_GLOBAL(bool, light);
        PaintFixture f(light);
        f.chart.setSeries(QStringLiteral("X"), closesOnly({1, 2, 3}), 0, QStringLiteral("1m"));
        f.chart.show();
        QTest::mousePress(&f.chart, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 150));
        QTest::mouseMove(&f.chart, QPoint(2, 150));
        const QImage image = f.image();
        const QColor band = over(f.chart.selectionFillColor(), f.background());
        QVERIFY(near(image.pixelColor(60, 60), band));
        QCOMPARE(image.pixelColor(10, 60), f.background());
        QCOMPARE(image.pixelColor(150, 60), f.background());
        QTest::mouseRelease(&f.chart, Qt::LeftButton, Qt::ShiftModifier, QPoint(2, 150));
    }

    // A line at a price far outside the view maps millions of pixels away; it must still paint.
    void farLinesPaint()
    {
        PaintFixture f;
        f.chart.setSeries(QStringLiteral("X"), closesOnly({10, 11, 10.5}), 1, QStringLiteral("1m"));
        f.drawings(R"([{"price1":1e9},{"type":"trend","index1":0,"index2":2,"price1":-1e12,"price2":1e12}])");
        const QImage image = f.image();
        QCOMPARE(image.pixelColor(395, 5), f.background());
    }

    // With as many candles as pixel columns, merging changes nothing in the picture.
    void decimationMatchesAtOneCandlePerColumn_data()
    {
        QTest::addColumn<int>("style");
        QTest::newRow("candles") << 1;
        QTest::newRow("line") << 0;
    }

    void decimationMatchesAtOneCandlePerColumn()
    {
        QFETCH(int, style);
        PaintFixture f;
        CandleList candles;
        for (int i = 0; i < 364; ++i) {
            const double open = 100 + (i % 17) - (i % 5) * 1.5;
            candles << makeCandle(1700000000 + i * 60, open, open + 2, open - 2, open + ((i % 3) - 1),
                                  10 + i % 7);
        }
        f.chart.setSeries(QStringLiteral("X"), candles, style, QStringLiteral("1m"));
        f.settings(R"({"sma20":true,"ema20":true,"vwap":true})");
        f.chart.setDecimation(PriceChart::Decimation::Never);
        const QImage every = f.image();
        f.chart.setDecimation(PriceChart::Decimation::Always);
        const QImage merged = f.image();
        QCOMPARE(merged, every);
    }

    // More candles than columns: each column keeps its extremes, so a single spike still shows.
    void decimationKeepsEveryColumnsExtremes()
    {
        PaintFixture f;
        CandleList candles;
        for (int i = 0; i < 364 * 7; ++i)
            candles << makeCandle(1700000000 + i * 60, 100, 101, 99, 100.5, 1);
        candles[1000].high = 200; // one wick to the top of the plot
        candles[2000].low = 10;   // one to its bottom
        f.chart.setSeries(QStringLiteral("X"), candles, 1, QStringLiteral("1m"));
        const QImage image = f.image();
        QVERIFY(pixelsLeaning(image, QRect(18, 19, 364, 2), 'g') > 0);
        QVERIFY(pixelsLeaning(image, QRect(18, 205, 364, 2), 'g') > 0);
        // The line style keeps them too (its closes): a close spike shows.
        candles[1500].close = 300;
        f.chart.setSeries(QStringLiteral("X"), candles, 0, QStringLiteral("1m"));
        QVERIFY(pixelsUnlike(f.image(), QRect(18, 19, 364, 3), f.background()) > 0);
    }

    // A quote that moves the last candle paints what a fresh chart of the same list paints.
    void quoteUpdatesMatchAFreshPaint()
    {
        CandleList candles;
        for (int i = 0; i < 2000; ++i)
            candles << makeCandle(1700000000 + i * 60, 100 + i % 9, 110 + i % 9, 95, 104 + i % 5, 3 + i % 4);
        PaintFixture f;
        f.settings(R"({"sma20":true,"ema20":true,"vwap":true,"macd":true})");
        f.chart.setSeries(QStringLiteral("X"), candles, 1, QStringLiteral("1m"));
        f.image();
        f.chart.releaseSeries();
        candles.last().close = 130;
        candles.last().high = 131;
        f.chart.restoreSeries(candles);
        const QImage updated = f.image();

        PaintFixture fresh;
        fresh.settings(R"({"sma20":true,"ema20":true,"vwap":true,"macd":true})");
        fresh.chart.setSeries(QStringLiteral("X"), candles, 1, QStringLiteral("1m"));
        QCOMPARE(updated, fresh.image());
    }
};

MVX_TEST_MAIN(TestChartPaint)
#include "test_chart_paint.moc"
