#pragma once

#include <QColor>
#include <QJsonArray>
#include <QList>
#include <QString>

// One line the user drew on the chart. Indexes are positions in the series shown, not times, so a
// drawing keeps its place in the list when a longer or shorter history replaces the series.
namespace DrawingType {
enum Value
{
    Horizontal = 0,
    Vertical = 1,
    Trend = 2
};
}

struct Drawing
{
    int type = DrawingType::Horizontal;
    double price1 = 0.0;
    double price2 = 0.0;
    qint64 index1 = 0;
    qint64 index2 = 0;
    QString label;
    bool locked = false;
    QColor color{0xf3, 0xb2, 0x4a};
};

using DrawingList = QList<Drawing>;

// "vertical" for 1, "trend" for 2, "horizontal" for anything else.
QString drawingTypeToString(int type);
// 1 for "vertical", 2 for "trend", 0 for any other text (exact, case-sensitive).
int drawingTypeFromString(const QString &text);

// The drawings array as stored per symbol and timeframe: every drawing with all eight keys, the
// colour by name without alpha.
QJsonArray drawingsToJson(const DrawingList &drawings);
// Reads an array written by drawingsToJson, forgiving every malformed value: a missing or mistyped
// key takes its default (price2 and index2 default to the first end), an element that is not an
// object becomes a default horizontal line, a colour that names nothing is the default amber. Prices
// that are not finite read as 0, so a stored line can never carry NaN into the painter.
DrawingList drawingsFromJson(const QJsonArray &array);
