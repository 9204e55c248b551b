#include "shell/layout_geometry.h"
#include "shell/main_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>

LayoutPresetSizes layoutPresetSizes(const QString &presetKey)
{
    if (presetKey == QLatin1String("chart"))
        return {{1180, 240}, {230, 560, 150}};
    if (presetKey == QLatin1String("order_flow"))
        return {{930, 430}, {360, 360, 160}};
    if (presetKey == QLatin1String("dense"))
        return {{1080, 320}, {330, 390, 150}};
    return {{1080, 320}, {360, 420, 150}};
}

MonitorPlacement nextMonitorPlacement(const MonitorList &list, const QSize &windowSize)
{
    MonitorPlacement placement;
    const int count = list.monitors.size();
    if (count == 0)
        return placement;
    const int current = list.current >= 0 && list.current < count ? list.current : -1;
    placement.target = (current + 1 + count) % count;
    const QRect area = list.monitors.at(placement.target).available;
    const QSize size = windowSize.boundedTo(area.size());
    // Centred by the free space on each side: the toolkit's centre point rounds down, which would leave a
    // window as large as the area one pixel over its left and top edges, on the neighbouring monitor.
    const QPoint topLeft =
        area.topLeft() + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
    placement.geometry = QRect(topLeft, size);
    return placement;
}

MonitorList MainWindow::currentMonitors() const
{
    if (monitorListProvider)
        return monitorListProvider();
    MonitorList list;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        list.monitors.append({screen->name(), screen->availableGeometry()});
    list.current = static_cast<int>(screens.indexOf(screen()));
    return list;
}

void MainWindow::applyLayoutPreset(const QString &presetKey)
{
    const LayoutPresetSizes sizes = layoutPresetSizes(presetKey);
    if (workspaceSplitter)
        workspaceSplitter->setSizes(sizes.workspace);
    if (leftSplitter)
        leftSplitter->setSizes(sizes.left);
    saveLocalSettings();
    appendEventLog(localizedText(QStringLiteral("Layout preset applied: %1"),
                                 QStringLiteral("Preset de layout aplicado: %1"))
                       .arg(layoutPresetTitle(presetKey)));
}

void MainWindow::moveToNextMonitor()
{
    const MonitorList list = currentMonitors();
    if (list.monitors.size() < 2) {
        statusBar()->showMessage(localizedText(QStringLiteral("Only one monitor detected"),
                                               QStringLiteral("Apenas um monitor detectado")),
                                 3000);
        return;
    }
    // The size is read before a maximised window is restored: it arrives with its maximised extent,
    // bounded by the target area.
    const MonitorPlacement placement = nextMonitorPlacement(list, size());
    if (isMaximized())
        showNormal();
    resize(placement.geometry.size());
    move(placement.geometry.topLeft());
    saveLocalSettings();
    statusBar()->showMessage(
        localizedText(QStringLiteral("Moved to monitor: %1"), QStringLiteral("Movido para o monitor: %1"))
            .arg(list.monitors.at(placement.target).name),
        3000);
}
