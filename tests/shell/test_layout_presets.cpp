#include "chart/price_chart.h"
#include "shell/layout_geometry.h"
#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/test_main.h"

#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

namespace {
// Monitors side by side; the window is on the one that holds its centre.
MonitorList monitorsAround(const QWidget &window, const QList<QRect> &areas)
{
    MonitorList list;
    for (int i = 0; i < areas.size(); ++i) {
        list.monitors.append({QStringLiteral("screen-%1").arg(i), areas.at(i)});
        if (areas.at(i).contains(window.geometry().center()))
            list.current = i;
    }
    return list;
}
} // namespace

class TestLayoutPresets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void presets_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("workspace");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QString>("title");
        QTest::newRow("balanced") << "balanced" << QList<int>{1080, 320} << QList<int>{360, 420, 150}
                                  << "Balanced";
        QTest::newRow("dense") << "dense" << QList<int>{1080, 320} << QList<int>{330, 390, 150}
                               << "Dense Terminal";
        QTest::newRow("chart") << "chart" << QList<int>{1180, 240} << QList<int>{230, 560, 150}
                               << "Chart Focus";
        QTest::newRow("order flow") << "order_flow" << QList<int>{930, 430} << QList<int>{360, 360, 160}
                                    << "Order Flow Focus";
        QTest::newRow("Chart is unknown")
            << "Chart" << QList<int>{1080, 320} << QList<int>{360, 420, 150} << "Balanced";
    }

    void presets()
    {
        QFETCH(QString, key);
        QFETCH(QList<int>, workspace);
        QFETCH(QList<int>, left);
        QFETCH(QString, title);
        const LayoutPresetSizes sizes = layoutPresetSizes(key);
        QCOMPARE(sizes.workspace, workspace);
        QCOMPARE(sizes.left, left);

        TempHome home;
        MainWindow window;
        window.applyLayoutPreset(key);
        QVERIFY(
            window.eventConsole->toPlainText().endsWith(QStringLiteral("Layout preset applied: ") + title));
        const QJsonObject stored =
            QJsonDocument::fromJson(TempHome::readFile(window.localSettingsWritePath())).object();
        QCOMPARE(stored.value("left_splitter_sizes").toArray().size(), 3);
        // The splitters spread their real extent in the preset's proportions.
        const QList<int> actual = window.leftSplitter->sizes();
        QVERIFY(actual.at(1) * left.at(0) >= actual.at(0) * left.at(1) - 2 * left.at(0) * 10);
        window.setLanguage(QStringLiteral("pt_BR"));
        window.applyLayoutPreset(QStringLiteral("nope"));
        QVERIFY(window.eventConsole->toPlainText().endsWith(
            QStringLiteral("Preset de layout aplicado: Balanceado")));
    }

    void presetsAtTheDefaultSize_data()
    {
        QTest::addColumn<QString>("key"); // empty: sizes stored by an earlier run
        QTest::addColumn<QList<int>>("stored");
        QTest::newRow("balanced") << "balanced" << QList<int>{};
        QTest::newRow("dense") << "dense" << QList<int>{};
        QTest::newRow("chart") << "chart" << QList<int>{};
        QTest::newRow("order flow") << "order_flow" << QList<int>{};
        QTest::newRow("stored, bottom pane nearly closed") << "" << QList<int>{500, 300, 10};
        QTest::newRow("stored, chart nearly closed") << "" << QList<int>{500, 10, 300};
    }

    // In the default window every preset, and any stored sizes, still leave three rows of the alert
    // history and a chart whose plot reads; the chart preset still gives the chart the most room.
    void presetsAtTheDefaultSize()
    {
        QFETCH(QString, key);
        QFETCH(QList<int>, stored);
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.bottomTabs->setCurrentIndex(1);
        if (key.isEmpty()) {
            window.settings.leftSplitterSizes = stored;
            window.restoreSplitterSizes();
        } else {
            window.applyLayoutPreset(key);
        }
        const int threeRows = 3 * window.alertHistoryTable->verticalHeader()->defaultSectionSize();
        QTRY_VERIFY2(window.alertHistoryTable->viewport()->height() >= threeRows,
                     qPrintable(QDebug::toString(window.leftSplitter->sizes())));
        QVERIFY(chartPlotRect(window.priceChart->size()).height() >= kMinimumPlotHeight);
        QVERIFY(window.quoteTable->viewport()->height() > 0);
        const QList<int> sizes = window.leftSplitter->sizes();
        if (key == QLatin1String("chart"))
            QVERIFY2(sizes.at(1) > sizes.at(0) && sizes.at(1) > sizes.at(2),
                     qPrintable(QDebug::toString(sizes)));
    }

    void theMenuKeysApplyPresets()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.layoutChartAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+3")));
        QCOMPARE(window.moveToNextMonitorAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+M")));
        window.layoutOrderFlowAction->trigger();
        QVERIFY(window.eventConsole->toPlainText().endsWith(QStringLiteral("Order Flow Focus")));
    }

    void placement_data()
    {
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<int>("current");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("target");
        QTest::addColumn<QRect>("geometry");
        const QList<QRect> two = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 984)};
        QTest::newRow("first to second, shrunk")
            << two << 0 << QSize(1600, 1000) << 1 << QRect(1920, 0, 1280, 984);
        QTest::newRow("second wraps to first")
            << two << 1 << QSize(800, 600) << 0 << QRect(560, 220, 800, 600);
        QTest::newRow("on no listed monitor")
            << two << -1 << QSize(801, 601) << 0 << QRect(559, 219, 801, 601);
        const QList<QRect> three = {QRect(0, 0, 1000, 800), QRect(1000, 0, 1000, 800),
                                    QRect(2000, 0, 1000, 800)};
        QTest::newRow("three: middle to last")
            << three << 1 << QSize(500, 400) << 2 << QRect(2250, 200, 500, 400);
        QTest::newRow("three: last wraps") << three << 2 << QSize(500, 400) << 0 << QRect(250, 200, 500, 400);
    }

    void placement()
    {
        QFETCH(QList<QRect>, areas);
        QFETCH(int, current);
        QFETCH(QSize, size);
        QFETCH(int, target);
        QFETCH(QRect, geometry);
        MonitorList list;
        for (const QRect &area : areas)
            list.monitors.append({QString(), area});
        list.current = current;
        const MonitorPlacement placement = nextMonitorPlacement(list, size);
        QCOMPARE(placement.target, target);
        QCOMPARE(placement.geometry, geometry);
    }

    void movingAcrossTwoMonitorsAndBack()
    {
        TempHome home;
        MainWindow window;
        const QList<QRect> areas = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1600, 900)};
        window.monitorListProvider = [&window, areas]() { return monitorsAround(window, areas); };
        window.resize(1320, 820);
        window.move(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.moveToNextMonitor();
        QTRY_VERIFY(areas.at(1).contains(window.geometry().center()));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Moved to monitor: screen-1"));
        const QJsonObject stored =
            QJsonDocument::fromJson(TempHome::readFile(window.localSettingsWritePath())).object();
        QVERIFY(stored.contains("window_geometry"));
        window.moveToNextMonitor();
        QTRY_VERIFY(areas.at(0).contains(window.geometry().center()));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Moved to monitor: screen-0"));
    }

    void aMaximisedWindowArrivesNormal()
    {
        TempHome home;
        MainWindow window;
        const QList<QRect> areas = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 720)};
        window.monitorListProvider = [&window, areas]() { return monitorsAround(window, areas); };
        window.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.moveToNextMonitor();
        QTRY_VERIFY(!window.isMaximized());
        QVERIFY(window.width() <= 1280);
        QVERIFY(window.height() <= 720);
    }

    void oneMonitorOnlySaysSo()
    {
        TempHome home;
        MainWindow window;
        window.monitorListProvider = []() {
            return MonitorList{{{QStringLiteral("only"), QRect(0, 0, 800, 600)}}, 0};
        };
        const QString path = window.localSettingsWritePath();
        QFile::remove(path);
        window.eventConsole->clear();
        const QPoint before = window.pos();
        window.setLanguage(QStringLiteral("pt_BR"));
        QFile::remove(path);
        window.eventConsole->clear();
        window.moveToNextMonitor();
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Apenas um monitor detectado"));
        QCOMPARE(window.pos(), before);
        QVERIFY(!QFile::exists(path));
        QVERIFY(window.eventConsole->toPlainText().isEmpty());
    }
};

MVX_TEST_MAIN(TestLayoutPresets)
#include "test_layout_presets.moc"
