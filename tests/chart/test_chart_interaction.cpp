#include "chart/price_chart.h"
#include "tests/chart/candle_fixtures.h"
#include "tests/chart/modal_answers.h"
#include "tests/support/test_main.h"

#include <QContextMenuEvent>
#include <QJsonDocument>
#include <QMessageBox>
#include <QPushButton>
#include <QWheelEvent>

namespace {
// A shown 400 x 300 chart of eleven candles in the band 100 .. 110: the plot is (18, 18, 364, 190).
struct InputFixture
{
    PriceChart chart{nullptr};
    QStringList statuses;
    int changes = 0;

    explicit InputFixture(int count = 11)
    {
        chart.resize(400, 300);
        chart.setTimeZone(QTimeZone::utc());
        chart.setStatusCallback([this](const QString &text) { statuses << text; });
        chart.setChangedCallback([this] { ++changes; });
        CandleList candles;
        for (int i = 0; i < count; ++i)
            candles << makeCandle(1700000000 + i * 60, 104, 110, 100, 106, 10);
        chart.setSeries(QStringLiteral("BTCUSDT"), candles, 1, QStringLiteral("1h"));
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QTest::keyClick(&chart, Qt::Key_A); // no modifier left over from another test
    }

    void wheel(double x, int delta)
    {
        const QPointF at(x, 100);
        QWheelEvent event(at, chart.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&chart, &event);
    }

    void drag(Qt::MouseButton button, QPoint from, QPoint to,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mousePress(&chart, button, modifiers, from);
        QMouseEvent move(QEvent::MouseMove, to, chart.mapToGlobal(to), Qt::NoButton, button, modifiers);
        QApplication::sendEvent(&chart, &move);
        QTest::mouseRelease(&chart, button, modifiers, to);
    }

    void view(double start, double end) { chart.setViewWindow(start, end); }
};

bool sameView(const PriceChart &chart, double start, double end)
{
    return std::fabs(chart.visibleStart() - start) < 1e-9 && std::fabs(chart.visibleEnd() - end) < 1e-9;
}
} // namespace

class TestChartInteraction : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoCandlesIgnorePressesDragsAndTheWheel()
    {
        InputFixture f(2);
        f.drag(Qt::LeftButton, QPoint(100, 100), QPoint(300, 100));
        f.wheel(200, 120);
        QVERIFY(sameView(f.chart, 0, 1));
        QVERIFY(!f.chart.isPanning());
        ModalAnswers answers;
        answers.then(ModalAnswers::cancel());
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(200, 100),
                               f.chart.mapToGlobal(QPoint(200, 100)));
        QApplication::sendEvent(&f.chart, &menu);
        QCOMPARE(answers.titles, QStringList{"menu"});
    }

    void wheel()
    {
        InputFixture f;
        f.wheel(200, 120); // over the middle of the plot
        QVERIFY(qFuzzyCompare(f.chart.visibleStart(), 0.11) && qFuzzyCompare(f.chart.visibleEnd(), 0.89));
        f.wheel(200, -120);
        QVERIFY(qFuzzyCompare(f.chart.visibleStart(), 0.0008) && qFuzzyCompare(f.chart.visibleEnd(), 0.9992));
        for (int i = 0; i < 30; ++i)
            f.wheel(200, 120);
        QVERIFY(qFuzzyCompare(f.chart.visibleEnd() - f.chart.visibleStart(), 0.04));
        for (int i = 0; i < 30; ++i)
            f.wheel(200, -120);
        QVERIFY(sameView(f.chart, 0, 1));
        // A horizontal scroll counts as a step out.
        f.view(0.2, 0.6);
        const QPointF at(200, 100);
        QWheelEvent sideways(at, f.chart.mapToGlobal(at), QPoint(), QPoint(120, 0), Qt::NoButton,
                             Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&f.chart, &sideways);
        QVERIFY(f.chart.visibleEnd() - f.chart.visibleStart() > 0.4);
    }

    void wheelAndBandOnAPlotWithoutWidth()
    {
        InputFixture f;
        f.chart.resize(30, 300);
        f.view(0.2, 0.6);
        f.wheel(10, 120);
        f.drag(Qt::LeftButton, QPoint(1, 100), QPoint(25, 100), Qt::ShiftModifier);
        f.drag(Qt::LeftButton, QPoint(1, 100), QPoint(25, 100));
        QVERIFY(sameView(f.chart, 0.2, 0.6));
        QVERIFY(!f.chart.grab().isNull());
    }

    void zoomBand_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        // x 18 + 364 t.
        QTest::newRow("2 % only disappears") << 200 << 207 << 0.0 << 1.0;
        QTest::newRow("25 % to 75 %") << 109 << 291 << 0.25 << 0.75;
        QTest::newRow("right to left") << 291 << 109 << 0.25 << 0.75;
    }

    void zoomBand()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(double, start);
        QFETCH(double, end);
        InputFixture f;
        f.drag(Qt::LeftButton, QPoint(from, 100), QPoint(to, 100), Qt::ShiftModifier);
        QVERIFY2(
            sameView(f.chart, start, end),
            qPrintable(QStringLiteral("%1 .. %2").arg(f.chart.visibleStart()).arg(f.chart.visibleEnd())));
    }

    void panPastTheOldestCandle()
    {
        InputFixture f;
        f.view(0.5, 1.0);
        f.drag(Qt::LeftButton, QPoint(100, 100), QPoint(2000, 100));
        QVERIFY(sameView(f.chart, 0.0, 0.5));
        QCOMPARE(f.chart.cursor().shape(), Qt::ArrowCursor);
    }

    void lockedLinePans()
    {
        InputFixture f;
        f.view(0.5, 1.0);
        f.chart.loadDrawings(QJsonDocument::fromJson(R"([{"price1":105,"locked":true}])").array());
        f.drag(Qt::LeftButton, QPoint(200, 113), QPoint(382, 60));
        QVERIFY(sameView(f.chart, 0.25, 0.75));
        QCOMPARE(f.chart.drawingList().first().price1, 105.0);
        QCOMPARE(f.changes, 0);

        // Unlocked, the same press drags the line instead and reports it on release.
        f.chart.loadDrawings(QJsonDocument::fromJson(R"([{"price1":105}])").array());
        f.drag(Qt::LeftButton, QPoint(200, 113), QPoint(200, 75));
        QVERIFY(std::fabs(f.chart.drawingList().first().price1 - 107.0) < 1e-9);
        QCOMPARE(f.changes, 1);
    }

    void escapeEndsTheTrendTool()
    {
        InputFixture f;
        f.chart.setChartTool(PriceChart::TrendLine);
        QTest::mousePress(&f.chart, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QVERIFY(f.chart.isTrendPreviewActive());
        f.statuses.clear();
        QTest::keyClick(&f.chart, Qt::Key_Escape);
        QVERIFY(!f.chart.isTrendPreviewActive());
        QCOMPARE(f.chart.chartTool(), PriceChart::SelectZoom);
        QCOMPARE(f.statuses, QStringList{"Chart tool: Select/zoom"});
        QTest::mouseRelease(&f.chart, Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
        QVERIFY(f.chart.drawingList().isEmpty());
    }

    void middleButtonPansUnderADrawingTool()
    {
        InputFixture f;
        f.view(0.5, 1.0);
        f.chart.setChartTool(PriceChart::HorizontalLine);
        QTest::mousePress(&f.chart, Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
        QCOMPARE(f.chart.cursor().shape(), Qt::ClosedHandCursor);
        QMouseEvent move(QEvent::MouseMove, QPointF(282, 100), f.chart.mapToGlobal(QPointF(282, 100)),
                         Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(&f.chart, &move);
        QTest::mouseRelease(&f.chart, Qt::MiddleButton, Qt::NoModifier, QPoint(282, 100));
        QVERIFY(sameView(f.chart, 0.25, 0.75));
        QCOMPARE(f.chart.cursor().shape(), Qt::CrossCursor);
        QVERIFY(f.chart.drawingList().isEmpty());
    }

    void hoverRepaintsOnlyOnAnotherCandle()
    {
        InputFixture f;
        QTest::mouseMove(&f.chart, QPoint(200, 100));
        QTRY_COMPARE(f.chart.hoveredIndex(), qint64(5));
        QTest::qWait(30);
        const quint64 paints = f.chart.paintCount();
        QTest::mouseMove(&f.chart, QPoint(203, 100)); // still candle 5
        QTest::qWait(30);
        QCOMPARE(f.chart.paintCount(), paints);
        QTest::mouseMove(&f.chart, QPoint(240, 100)); // candle 6
        QTRY_VERIFY(f.chart.paintCount() > paints);
        QCOMPARE(f.chart.hoveredIndex(), qint64(6));
    }

    void leavingHidesTheCrosshair()
    {
        InputFixture f;
        QTest::mouseMove(&f.chart, QPoint(200, 100));
        QTRY_COMPARE(f.chart.hoveredIndex(), qint64(5));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&f.chart, &leave);
        QCOMPARE(f.chart.hoveredIndex(), qint64(-1));
    }

    void contextMenuSwitchesAndReports()
    {
        InputFixture f;
        ModalAnswers answers;
        // "Indicators" is a submenu: open it from the keyboard, then choose its entry.
        answers
            .then([](QWidget *widget) {
                auto *menu = qobject_cast<QMenu *>(widget);
                QVERIFY(menu);
                for (QAction *action : menu->actions())
                    if (action->text() == QStringLiteral("Indicators")) {
                        menu->setActiveAction(action);
                        QTest::keyClick(menu, Qt::Key_Right);
                    }
            })
            .then(ModalAnswers::menuEntry(QStringLiteral("VWAP")));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(200, 60),
                               f.chart.mapToGlobal(QPoint(200, 60)));
        QApplication::sendEvent(&f.chart, &menu);
        QVERIFY(answers.allUsed());
        QCOMPARE(f.chart.indicatorSettingsToJson().value(QStringLiteral("vwap")).toBool(), true);
        QCOMPARE(f.statuses.last(), QStringLiteral("Indicators BTCUSDT VWAP(anchored)=105.3333"));
        QCOMPARE(f.changes, 1);
    }

    void contextMenuOnAnEmptyChart()
    {
        InputFixture f(0);
        ModalAnswers answers;
        answers.then(ModalAnswers::menuEntry(QStringLiteral("Reset zoom to latest")));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(200, 60),
                               f.chart.mapToGlobal(QPoint(200, 60)));
        QApplication::sendEvent(&f.chart, &menu);
        QVERIFY(answers.allUsed());
        QVERIFY(f.statuses.contains(QStringLiteral("Chart zoom reset")));
        QCOMPARE(f.changes, 1);
    }

    void clearSchemes_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void clearSchemes()
    {
        QFETCH(bool, yes);
        InputFixture f;
        f.chart.applyIndicatorSettings(
            QJsonDocument::fromJson(R"({"sma20":true,"sma_period":7,"draw_hline":false})").object());
        f.chart.loadDrawings(QJsonDocument::fromJson(R"([{"type":"vertical","index1":2}])").array());
        ModalAnswers answers;
        answers.then(ModalAnswers::menuEntry(QStringLiteral("Clear schemes"))).then([yes](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Clear chart schemes"));
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(300, 60),
                               f.chart.mapToGlobal(QPoint(300, 60)));
        QApplication::sendEvent(&f.chart, &menu);
        QVERIFY(answers.allUsed());
        QCOMPARE(f.chart.drawingList().isEmpty(), yes);
        QCOMPARE(f.chart.smaPeriod(), yes ? 20 : 7);
        QCOMPARE(f.changes, yes ? 1 : 0);
        QVERIFY(!f.statuses.join(QLatin1Char('\n')).contains(QStringLiteral("Indicators")));
    }

    // A new drawings list (another symbol or timeframe) ends a drag: no move lands on its lines.
    void newDrawingsEndADrag()
    {
        InputFixture f;
        f.chart.loadDrawings(QJsonDocument::fromJson(R"([{"price1":105}])").array());
        QTest::mousePress(&f.chart, Qt::LeftButton, Qt::NoModifier, QPoint(200, 113));
        QVERIFY(f.chart.isDraggingDrawing());
        f.chart.loadDrawings(QJsonDocument::fromJson(R"([{"price1":105}])").array());
        QMouseEvent move(QEvent::MouseMove, QPointF(200, 60), f.chart.mapToGlobal(QPointF(200, 60)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.chart, &move);
        QTest::mouseRelease(&f.chart, Qt::LeftButton, Qt::NoModifier, QPoint(200, 60));
        QCOMPARE(f.chart.drawingList().first().price1, 105.0);
        QCOMPARE(f.changes, 0);
    }
};

MVX_TEST_MAIN(TestChartInteraction)
#include "test_chart_interaction.moc"
