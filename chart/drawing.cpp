#include "chart/drawing.h"

#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace {
const QColor kDefaultDrawingColor(0xf3, 0xb2, 0x4a);

double readPrice(const QJsonValue &value, double fallback)
{
    if (!value.isDouble())
        return fallback;
    const double number = value.toDouble();
    return std::isfinite(number) ? number : fallback;
}

qint64 readIndex(const QJsonValue &value, qint64 fallback)
{
    if (!value.isDouble())
        return fallback;
    const double number = value.toDouble();
    // Far beyond any series, but inside qint64, so index arithmetic cannot overflow.
    if (!std::isfinite(number) || std::floor(number) != number || std::fabs(number) > 1e15)
        return fallback;
    return static_cast<qint64>(number);
}
} // namespace

QString drawingTypeToString(int type)
{
    if (type == DrawingType::Vertical)
        return QStringLiteral("vertical");
    if (type == DrawingType::Trend)
        return QStringLiteral("trend");
    return QStringLiteral("horizontal");
}

int drawingTypeFromString(const QString &text)
{
    if (text == QLatin1String("vertical"))
        return DrawingType::Vertical;
    if (text == QLatin1String("trend"))
        return DrawingType::Trend;
    return DrawingType::Horizontal;
}

QJsonArray drawingsToJson(const DrawingList &drawings)
{
    QJsonArray array;
    for (const Drawing &drawing : drawings) {
        QJsonObject object;
        object.insert(QStringLiteral("type"), drawingTypeToString(drawing.type));
        object.insert(QStringLiteral("price1"), drawing.price1);
        object.insert(QStringLiteral("price2"), drawing.price2);
        object.insert(QStringLiteral("index1"), drawing.index1);
        object.insert(QStringLiteral("index2"), drawing.index2);
        object.insert(QStringLiteral("label"), drawing.label);
        object.insert(QStringLiteral("locked"), drawing.locked);
        object.insert(QStringLiteral("color"), drawing.color.name(QColor::HexRgb));
        array.append(object);
    }
    return array;
}

DrawingList drawingsFromJson(const QJsonArray &array)
{
    DrawingList drawings;
    drawings.reserve(array.size());
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        Drawing drawing;
        const QJsonValue type = object.value(QStringLiteral("type"));
        drawing.type = type.isString() ? drawingTypeFromString(type.toString()) : DrawingType::Horizontal;
        drawing.price1 = readPrice(object.value(QStringLiteral("price1")), 0.0);
        drawing.price2 = readPrice(object.value(QStringLiteral("price2")), drawing.price1);
        drawing.index1 = readIndex(object.value(QStringLiteral("index1")), 0);
        drawing.index2 = readIndex(object.value(QStringLiteral("index2")), drawing.index1);
        const QJsonValue label = object.value(QStringLiteral("label"));
        drawing.label = label.isString() ? label.toString() : QString();
        const QJsonValue locked = object.value(QStringLiteral("locked"));
        drawing.locked = locked.isBool() && locked.toBool();
        const QJsonValue color = object.value(QStringLiteral("color"));
        const QColor parsed = color.isString() ? QColor::fromString(color.toString()) : QColor();
        drawing.color = parsed.isValid() ? parsed : kDefaultDrawingColor;
        drawings.append(drawing);
    }
    return drawings;
}
