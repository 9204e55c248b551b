#include "chart/price_chart.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>

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
} // namespace

class TestPriceChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void construction()
    {
        PriceChart chart(nullptr);
        QCOMPARE(chart.minimumHeight(), 260);
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
        QTest::newRow("both at the top") << QByteArray(R"({"macd_fast":400,"macd_slow":400})")
                                         << QByteArray(R"({"macd_fast":400,"macd_slow":400})");
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
