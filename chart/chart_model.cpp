#include "chart/chart_model.h"

#include <QDateTime>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kCoordinateBound = 4096.0 * 4;
constexpr double kCrosshairBoxMinWidth = 160.0;
constexpr double kCrosshairBoxHeight = 74.0;
constexpr double kCrosshairBoxGap = 10.0; // from the line, and from the plot's top
} // namespace

QRectF chartPlotRect(const QSize &widgetSize)
{
    return QRectF(QRect(QPoint(0, 0), widgetSize).adjusted(18, 18, -18, -92));
}

QRectF chartVolumeRect(const QRectF &plot)
{
    return QRectF(plot.left(), plot.bottom() + 8, plot.width(), 34);
}

bool isUsablePlot(const QRectF &plot)
{
    return plot.width() >= 1.0 && plot.height() >= 1.0;
}

int chartMinimumHeight()
{
    // The insets of an empty widget come out as a negative plot height.
    return kMinimumPlotHeight - qRound(chartPlotRect(QSize(0, 0)).height());
}

IndexRange visibleIndexRange(qint64 count, const ChartView &view)
{
    if (count <= 0)
        return {0, 0};
    const qint64 n = count - 1;
    const double start = std::isfinite(view.start) ? view.start : 0.0;
    const double end = std::isfinite(view.end) ? view.end : 1.0;
    // Compared in doubles first: a fraction far outside 0 .. 1 must not overflow the conversion.
    const double firstValue = std::clamp(std::floor(start * double(n)), 0.0, double(n));
    const qint64 first = qint64(firstValue);
    const double lastValue = std::clamp(std::ceil(end * double(n)), double(first), double(n));
    return {first, qint64(lastValue)};
}

PriceRange candlePriceRange(const CandleList &candles, qint64 first, qint64 last)
{
    double low = std::numeric_limits<double>::max();
    double high = -std::numeric_limits<double>::max();
    first = std::max<qint64>(first, 0);
    last = std::min<qint64>(last, candles.size() - 1);
    for (qint64 i = first; i <= last; ++i) {
        const Candle &candle = candles.at(i);
        low = std::min(low, candle.low);
        high = std::max(high, candle.high);
    }
    if (first > last) {
        low = 0.0;
        high = 0.0;
    }
    if (std::fabs(high - low) < std::numeric_limits<double>::epsilon()) {
        high += 1.0;
        low -= 1.0;
    }
    return {low, high};
}

double xForIndex(const QRectF &rect, qint64 index, qint64 first, qint64 last)
{
    return rect.left() + rect.width() * double(index - first) / double(std::max<qint64>(1, last - first));
}

double yForPrice(const QRectF &rect, double price, double low, double high)
{
    return rect.bottom() - (price - low) / (high - low) * rect.height();
}

double slotCentreX(const QRectF &rect, qint64 index, qint64 first, qint64 last)
{
    const double slot = rect.width() / double(std::max<qint64>(1, last - first + 1));
    return rect.left() + slot * (double(index - first) + 0.5);
}

qint64 indexAtX(const QRectF &plot, double x, qint64 count, const IndexRange &range)
{
    if (count <= 0)
        return -1;
    if (plot.width() < 1.0 || !std::isfinite(x))
        return range.first;
    const double t = std::clamp((x - plot.left()) / plot.width(), 0.0, 1.0);
    const qint64 index = range.first + qint64(std::round(t * double(range.last - range.first)));
    return std::clamp(index, range.first, range.last);
}

double priceAtY(const QRectF &rect, double y, double low, double high)
{
    if (rect.height() < 1.0 || !std::isfinite(y))
        return low;
    return low + std::clamp((rect.bottom() - y) / rect.height(), 0.0, 1.0) * (high - low);
}

QString chartTimeLabel(qint64 time, const QString &timeframe, const QTimeZone &zone)
{
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(candleSeconds(time), zone);
    if (timeframe == QLatin1String("1d") || timeframe == QLatin1String("1mo"))
        return moment.toString(QStringLiteral("dd/MM"));
    return moment.toString(QStringLiteral("HH:mm"));
}

ChartView normalizedView(ChartView view)
{
    if (!std::isfinite(view.start) || !std::isfinite(view.end))
        return ChartView{};
    if (view.start < 0.0) {
        view.end -= view.start;
        view.start = 0.0;
    }
    if (view.end > 1.0) {
        view.start -= view.end - 1.0;
        view.end = 1.0;
    }
    view.start = std::clamp(view.start, 0.0, kMaxViewStart);
    view.end = std::clamp(view.end, view.start + kMinViewSpan, 1.0);
    return view;
}

ChartView pannedView(const ChartView &startView, double startX, double x, const QRectF &plot)
{
    if (plot.width() < 1.0 || !std::isfinite(x))
        return startView;
    const double shift = (x - startX) / plot.width();
    const double span = startView.end - startView.start;
    return normalizedView({startView.start - shift * span, startView.end - shift * span});
}

ChartView wheelZoomedView(const ChartView &view, double x, bool zoomOut, const QRectF &plot)
{
    if (plot.width() < 1.0 || !std::isfinite(x))
        return view;
    const double f = std::clamp((x - plot.left()) / plot.width(), 0.0, 1.0);
    const double anchor = view.start + (view.end - view.start) * f;
    const double span = std::clamp((view.end - view.start) * (zoomOut ? 1.28 : 0.78), kMinViewSpan, 1.0);
    const double start = anchor - span * f;
    return normalizedView({start, start + span});
}

ChartView bandZoomedView(const ChartView &view, double x1, double x2, const QRectF &plot)
{
    if (plot.width() < 1.0 || !std::isfinite(x1) || !std::isfinite(x2))
        return view;
    const double a = std::clamp((std::min(x1, x2) - plot.left()) / plot.width(), 0.0, 1.0);
    const double b = std::clamp((std::max(x1, x2) - plot.left()) / plot.width(), 0.0, 1.0);
    if (b - a <= 0.03)
        return view;
    const double span = view.end - view.start;
    return normalizedView({view.start + span * a, view.start + span * b});
}

double snapPriceToCandle(const Candle &candle, double price)
{
    const double levels[] = {candle.open, candle.high, candle.low, candle.close};
    double best = levels[0];
    double bestDistance = std::fabs(levels[0] - price);
    for (double level : levels) {
        const double distance = std::fabs(level - price);
        if (distance < bestDistance) {
            best = level;
            bestDistance = distance;
        }
    }
    return best;
}

DrawingGeometry drawingGeometry(const Drawing &drawing, const QRectF &plot, const IndexRange &range,
                                const PriceRange &prices)
{
    DrawingGeometry geometry;
    if (drawing.type == DrawingType::Horizontal) {
        const double y = yForPrice(plot, drawing.price1, prices.low, prices.high);
        geometry.visible = true;
        geometry.p1 = {plot.left(), y};
        geometry.p2 = {plot.right(), y};
        return geometry;
    }
    if (drawing.type == DrawingType::Vertical) {
        if (drawing.index1 < range.first || drawing.index1 > range.last)
            return geometry;
        const double x = xForIndex(plot, drawing.index1, range.first, range.last);
        geometry.visible = true;
        geometry.p1 = {x, plot.top()};
        geometry.p2 = {x, plot.bottom()};
        return geometry;
    }
    // A trend line with both ends on one side outside the view is not shown, so it cannot be hit.
    const bool reachesFirst = range.first <= drawing.index1 || range.first <= drawing.index2;
    const bool reachesLast = drawing.index1 <= range.last || drawing.index2 <= range.last;
    if (!reachesFirst || !reachesLast)
        return geometry;
    const qint64 i1 = std::clamp(drawing.index1, range.first, range.last);
    const qint64 i2 = std::clamp(drawing.index2, range.first, range.last);
    geometry.visible = true;
    geometry.p1 = {xForIndex(plot, i1, range.first, range.last),
                   yForPrice(plot, drawing.price1, prices.low, prices.high)};
    geometry.p2 = {xForIndex(plot, i2, range.first, range.last),
                   yForPrice(plot, drawing.price2, prices.low, prices.high)};
    return geometry;
}

double drawingDistance(const Drawing &drawing, const QPointF &point, const QRectF &plot,
                       const IndexRange &range, const PriceRange &prices)
{
    constexpr double kFar = std::numeric_limits<double>::infinity();
    const DrawingGeometry geometry = drawingGeometry(drawing, plot, range, prices);
    if (!geometry.visible)
        return kFar;
    double distance = kFar;
    if (drawing.type == DrawingType::Horizontal) {
        distance = std::fabs(point.y() - geometry.p1.y());
    } else if (drawing.type == DrawingType::Vertical) {
        distance = std::fabs(point.x() - geometry.p1.x());
    } else {
        const double dx = geometry.p2.x() - geometry.p1.x();
        const double dy = geometry.p2.y() - geometry.p1.y();
        const double lengthSquared = dx * dx + dy * dy;
        if (!(lengthSquared > 1.0))
            return kFar;
        const double t = std::clamp(
            ((point.x() - geometry.p1.x()) * dx + (point.y() - geometry.p1.y()) * dy) / lengthSquared, 0.0,
            1.0);
        distance = std::hypot(point.x() - (geometry.p1.x() + t * dx), point.y() - (geometry.p1.y() + t * dy));
    }
    return std::isfinite(distance) ? distance : kFar;
}

double boundedCoordinate(double value)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? 0.0 : std::copysign(kCoordinateBound, value);
    return std::clamp(value, -kCoordinateBound, kCoordinateBound);
}

QRectF crosshairBoxRect(const QRectF &plot, double x, const QStringList &lines, const QFontMetricsF &metrics)
{
    double widest = 0.0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    // Whole pixels: a text laid out a fraction wider than its box is clipped at the last glyph.
    const double width = std::max(kCrosshairBoxMinWidth, std::ceil(widest) + 2 * kCrosshairBoxMarginX);
    QRectF box(x + kCrosshairBoxGap, plot.top() + kCrosshairBoxGap, width, kCrosshairBoxHeight);
    if (box.right() > plot.right())
        box.moveRight(x - kCrosshairBoxGap);
    return box;
}
