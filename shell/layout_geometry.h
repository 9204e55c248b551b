#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// The splitter sizes of a layout preset: the workspace splitter's (left splitter, right tabs) and the
// left splitter's (quote table, chart, bottom tabs). Keys compare exactly; an unknown key is "balanced".
struct LayoutPresetSizes
{
    QList<int> workspace;
    QList<int> left;
};
LayoutPresetSizes layoutPresetSizes(const QString &presetKey);

// One monitor as the window sees it.
struct MonitorInfo
{
    QString name;
    QRect available; // the area without task bars and docks
};

// The monitors and which of them holds the window (-1 when none of the list does).
struct MonitorList
{
    QList<MonitorInfo> monitors;
    int current = -1;
};

// Where the window goes on the next monitor: the monitor after `current` in list order (wrapping; a
// window on no listed monitor goes to the first), its size bounded by that monitor's available area
// and centred in it. Only meaningful with two monitors or more.
struct MonitorPlacement
{
    int target = 0;
    QRect geometry;
};
MonitorPlacement nextMonitorPlacement(const MonitorList &list, const QSize &windowSize);
