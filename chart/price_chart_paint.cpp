#include "chart/chart_cache.h"
#include "chart/price_chart.h"
#include "shell/formats.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
const QColor kRising(0x20, 0xc8, 0x78);
const QColor kFalling(0xf4, 0x5d, 0x5d);
const QColor kSmaColor(0x5e, 0xa1, 0xff);
const QColor kAmber(0xf3, 0xb2, 0x4a);
const QColor kVwapColor(0xd5, 0x6b, 0xff);

QPointF bounded(double x, double y)
{
    return {boundedCoordinate(x), boundedCoordinate(y)};
}

QRectF boundedRect(double x, double y, double width, double height)
{
    return {boundedCoordinate(x), boundedCoordinate(y), boundedCoordinate(width), boundedCoordinate(height)};
}
} // namespace

namespace {
// Turns the points of a series, in time order, into the segments that draw it. Within one merged
// pixel column the points only span the column's lowest and highest value, so a column is drawn
// as that one vertical stroke plus the segment that joins it to the column before: two segments
// a column instead of a zigzag of four, which a wide antialiased pen strokes many times faster.
class SegmentBuilder
{
public:
    explicit SegmentBuilder(QVector<QLineF> &out) : m_out(out) {}

    void point(const QPointF &p)
    {
        if (m_have)
            m_out.append(QLineF(m_last, p));
        m_last = p;
        m_have = true;
    }

    // One column's points: joined to the previous column at its first point, then its extent.
    void column(const QPointF *points, int count)
    {
        if (count <= 0)
            return;
        point(points[0]);
        double low = points[0].y();
        double high = points[0].y();
        for (int k = 1; k < count; ++k) {
            low = std::min(low, points[k].y());
            high = std::max(high, points[k].y());
        }
        const double x = points[0].x();
        if (high > low)
            m_out.append(QLineF(x, low, x, high));
        m_last = points[count - 1];
    }

    bool isEmpty() const { return !m_have; }

private:
    QVector<QLineF> &m_out;
    QPointF m_last;
    bool m_have = false;
};
} // namespace

int PriceChart::pixelColumns(const QRectF &plot)
{
    return plot.width() >= 1.0 ? int(std::floor(plot.width())) : 0;
}

bool PriceChart::decimates(const IndexRange &range, int columns) const
{
    if (columns < 1 || decimation == Decimation::Never)
        return false;
    return decimation == Decimation::Always ? range.last - range.first + 1 >= columns
                                            : needsDecimation(range, columns);
}

PriceRange PriceChart::paintPriceRange(const IndexRange &range, int columns)
{
    if (!decimates(range, columns))
        return candlePriceRange(candles, range.first, range.last);
    const DecimatedCandles &merged = cache.candleColumns(candles, range, columns);
    PriceRange prices{std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()};
    for (const CandleColumn &column : merged.candles) {
        prices.low = std::min(prices.low, column.low);
        prices.high = std::max(prices.high, column.high);
    }
    if (std::fabs(prices.high - prices.low) < std::numeric_limits<double>::epsilon()) {
        prices.high += 1.0;
        prices.low -= 1.0;
    }
    return prices;
}

void PriceChart::paintEvent(QPaintEvent *)
{
    ++paints;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(rect(), backgroundColor());
    const QRectF plot = plotRect();
    painter.setPen(frameColor());
    painter.setBrush(Qt::NoBrush);
    if (plot.width() > 0 && plot.height() > 0)
        painter.drawRect(plot);
    painter.setPen(mutedTextColor());
    QFont font = painter.font();
    font.setPointSize(9);
    painter.setFont(font);
    const QString header = symbol.isEmpty() ? QStringLiteral("Select a symbol")
                                            : QStringLiteral("%1  %2").arg(symbol, timeframe);
    painter.drawText(QRectF(rect().adjusted(18, 4, -18, -4)), Qt::AlignLeft | Qt::AlignTop, header);
    if (candles.isEmpty()) {
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("Waiting for market data"));
        return;
    }
    // A plot without a pixel to draw in shows its frame and header only: every mapping below would
    // divide by nothing.
    if (!isUsablePlot(plot))
        return;

    const IndexRange range = currentRange();
    const QRectF volume = volumeRect(plot);
    const int columns = pixelColumns(plot);
    const PriceRange prices = paintPriceRange(range, columns);
    const double low = prices.low;
    const double high = prices.high;

    painter.setPen(gridLineColor());
    for (int k = 1; k <= 3; ++k) {
        const double y = plot.top() + plot.height() * k / 4.0;
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (chartStyle == 1)
        drawCandles(painter, plot, low, high, range.first, range.last);
    else
        drawLineChart(painter, plot, low, high, range.first, range.last);
    drawIndicators(painter, plot, low, high, range.first, range.last);
    drawDrawings(painter, plot, low, high, range.first, range.last);
    drawVolumePane(painter, volume, range.first, range.last);
    drawTimeAxis(painter, volume, range.first, range.last);
    if (hoverIndex >= range.first && hoverIndex <= range.last)
        drawCrosshair(painter, plot, volume, low, high, range.first, range.last);
    if (zoomSelecting)
        drawZoomSelection(painter, plot.united(volume));

    painter.setPen(mutedTextColor());
    const QRectF labels(plot.left(), rect().bottom() - 18, plot.width(), 16);
    painter.drawText(labels, Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("min %1").arg(formatPriceFixed(low, 2)));
    painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("max %1").arg(formatPriceFixed(high, 2)));
}

void PriceChart::drawCandles(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                             qint64 last)
{
    const IndexRange range{first, last};
    const int columns = pixelColumns(plot);
    // Gathered by colour and drawn in four calls: per-candle calls cost more than the pixels.
    QVector<QLineF> wicks[2];
    QVector<QRectF> bodies[2];
    const auto addOne = [&](double x, double slot, double open, double candleHigh, double candleLow,
                            double close) {
        const double bodyWidth = std::clamp(slot * 0.62, 2.0, 12.0);
        const double yOpen = yForPrice(plot, open, low, high);
        const double yClose = yForPrice(plot, close, low, high);
        const int side = open <= close ? 0 : 1;
        wicks[side].append(QLineF(bounded(x, yForPrice(plot, candleHigh, low, high)),
                                  bounded(x, yForPrice(plot, candleLow, low, high))));
        bodies[side].append(boundedRect(x - bodyWidth / 2, std::min(yOpen, yClose), bodyWidth,
                                        std::max(1.0, std::fabs(yClose - yOpen))));
    };
    if (decimates(range, columns)) {
        const DecimatedCandles &merged = cache.candleColumns(candles, range, columns);
        const double width = plot.width() / columns;
        for (int column = 0; column < columns; ++column) {
            const CandleColumn &c = merged.candles.at(column);
            addOne(plot.left() + width * (column + 0.5), width, c.open, c.high, c.low, c.close);
        }
    } else {
        const double slot = plot.width() / double(std::max<qint64>(1, last - first + 1));
        for (qint64 i = first; i <= last; ++i) {
            const Candle &c = candles.at(i);
            addOne(plot.left() + slot * (double(i - first) + 0.5), slot, c.open, c.high, c.low, c.close);
        }
    }
    for (int side = 0; side < 2; ++side) {
        const QColor color = side == 0 ? kRising : kFalling;
        painter.setPen(QPen(color, 1.2));
        painter.drawLines(wicks[side]);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRects(bodies[side]);
    }
    painter.setBrush(Qt::NoBrush);
}

void PriceChart::drawLineChart(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                               qint64 last)
{
    if (first == last) {
        painter.setPen(QPen(kRising, 2));
        painter.setBrush(kRising);
        painter.drawEllipse(
            bounded(xForIndex(plot, first, first, last), yForPrice(plot, candles.at(first).close, low, high)),
            3, 3);
        painter.setBrush(Qt::NoBrush);
        return;
    }
    const QColor color = candles.at(last).close < candles.at(first).close ? kFalling : kRising;
    QVector<QLineF> segments;
    SegmentBuilder builder(segments);
    const IndexRange range{first, last};
    const int columns = pixelColumns(plot);
    const auto map = [&](qint64 i) {
        return bounded(xForIndex(plot, i, first, last), yForPrice(plot, candles.at(i).close, low, high));
    };
    if (decimates(range, columns)) {
        QPointF points[4];
        for (const ColumnPoints &column : cache.candleColumns(candles, range, columns).closes) {
            for (int k = 0; k < column.count; ++k)
                points[k] = map(column.index[k]);
            builder.column(points, column.count);
        }
    } else {
        for (qint64 i = first; i <= last; ++i)
            builder.point(map(i));
    }
    painter.setPen(QPen(color, 2));
    painter.drawLines(segments);
}

void PriceChart::drawVolumePane(QPainter &painter, const QRectF &pane, qint64 first, qint64 last)
{
    painter.setPen(frameColor());
    painter.drawRect(pane);
    const IndexRange range{first, last};
    const int columns = pixelColumns(pane);
    const bool merged = decimates(range, columns);
    const DecimatedCandles *columnsData = merged ? &cache.candleColumns(candles, range, columns) : nullptr;
    double largest = 0.0;
    if (merged) {
        for (const CandleColumn &column : columnsData->candles)
            largest = std::max(largest, column.volume);
    } else {
        for (qint64 i = first; i <= last; ++i)
            largest = std::max(largest, candles.at(i).volume);
    }
    if (!(largest > 0.0) || !std::isfinite(largest))
        return;
    QVector<QRectF> bars[2];
    const auto bar = [&](double centre, double slot, double volume, bool falling) {
        const double width = std::clamp(slot * 0.62, 1.0, 10.0);
        const double height = std::max(1.0, volume / largest * pane.height());
        bars[falling ? 1 : 0].append(boundedRect(centre - width / 2, pane.bottom() - height, width, height));
    };
    if (merged) {
        const double width = pane.width() / columns;
        for (int column = 0; column < columns; ++column) {
            const CandleColumn &c = columnsData->candles.at(column);
            bar(pane.left() + width * (column + 0.5), width, c.volume, c.close < c.open);
        }
    } else {
        const double slot = pane.width() / double(std::max<qint64>(1, last - first + 1));
        for (qint64 i = first; i <= last; ++i) {
            const Candle &c = candles.at(i);
            bar(pane.left() + slot * (double(i - first) + 0.5), slot, c.volume, c.close < c.open);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(32, 200, 120, 120));
    painter.drawRects(bars[0]);
    painter.setBrush(QColor(244, 93, 93, 120));
    painter.drawRects(bars[1]);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(mutedTextColor());
    painter.drawText(QRectF(pane.left() + 4, pane.top() + 2, 180, 14), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Volume max %1").arg(formatCompactNumber(largest)));
}

void PriceChart::drawTimeAxis(QPainter &painter, const QRectF &pane, qint64 first, qint64 last)
{
    painter.setPen(frameColor());
    painter.drawLine(QPointF(pane.left(), pane.bottom()), QPointF(pane.right(), pane.bottom()));
    painter.setPen(mutedTextColor());
    for (int k = 0; k <= 5; ++k) {
        const qint64 index = first + qint64(std::round(k / 5.0 * double(last - first)));
        const double x = xForIndex(pane, index, first, last);
        painter.drawLine(QPointF(x, pane.bottom()), QPointF(x, pane.bottom() + 4));
        painter.drawText(QRectF(x - 42, pane.bottom() + 6, 84, 16), Qt::AlignCenter,
                         timeAxisLabel(candles.at(index).time));
    }
}

void PriceChart::drawIndicators(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                                qint64 last)
{
    legendOffset = 0;
    if (showSma) {
        cache.sma(candles, smaLength);
        drawSeriesPath(painter, plot, ChartSeriesCache::SmaSlot, low, high, first, last, kSmaColor,
                       QStringLiteral("SMA%1").arg(smaLength));
    }
    if (showEma) {
        cache.ema(candles, emaLength);
        drawSeriesPath(painter, plot, ChartSeriesCache::EmaSlot, low, high, first, last, kAmber,
                       QStringLiteral("EMA%1").arg(emaLength));
    }
    if (showVwap) {
        cache.vwap(candles, vwapSessionFlag, zone);
        drawSeriesPath(painter, plot, ChartSeriesCache::VwapSlot, low, high, first, last, kVwapColor,
                       QStringLiteral("VWAP"));
    }
    if (showMacd)
        drawMacdPane(painter, plot, first, last);
}

const IndicatorSeries &PriceChart::cachedSeries(int slot)
{
    switch (slot) {
    case ChartSeriesCache::SmaSlot:
        return cache.sma(candles, smaLength);
    case ChartSeriesCache::EmaSlot:
        return cache.ema(candles, emaLength);
    case ChartSeriesCache::VwapSlot:
        return cache.vwap(candles, vwapSessionFlag, zone);
    case ChartSeriesCache::MacdLineSlot:
        return cache.macdLine(candles, macdFast, macdSlow);
    default:
        return cache.macdSignal(candles, macdFast, macdSlow, macdSignal);
    }
}

double PriceChart::cachedLastFinite(int slot) const
{
    switch (slot) {
    case ChartSeriesCache::SmaSlot:
        return cache.smaLast();
    case ChartSeriesCache::EmaSlot:
        return cache.emaLast();
    case ChartSeriesCache::VwapSlot:
        return cache.vwapLast();
    case ChartSeriesCache::MacdLineSlot:
        return cache.macdLineLast();
    default:
        return cache.macdSignalLast();
    }
}

bool PriceChart::seriesSegments(int slot, const IndexRange &range, int columns,
                                const std::function<QPointF(qint64, double)> &map, QVector<QLineF> &segments)
{
    const IndicatorSeries &series = cachedSeries(slot);
    SegmentBuilder builder(segments);
    if (decimates(range, columns)) {
        const DecimatedSeries &decimated = cache.seriesColumns(ChartSeriesCache::Slot(slot), range, columns);
        QPointF points[4];
        for (const ColumnPoints &column : decimated.points) {
            for (int k = 0; k < column.count; ++k)
                points[k] = map(column.index[k], series.at(column.index[k]));
            builder.column(points, column.count);
        }
        return !builder.isEmpty();
    }
    const qint64 end = std::min<qint64>(range.last, series.size() - 1);
    for (qint64 i = range.first; i <= end; ++i) {
        const double value = series.at(i);
        if (std::isfinite(value))
            builder.point(map(i, value));
    }
    return !builder.isEmpty();
}

void PriceChart::drawSeriesPath(QPainter &painter, const QRectF &plot, int slot, double low, double high,
                                qint64 first, qint64 last, const QColor &color, const QString &label)
{
    QVector<QLineF> segments;
    const bool any = seriesSegments(
        slot, {first, last}, pixelColumns(plot),
        [&](qint64 i, double value) {
            return bounded(xForIndex(plot, i, first, last), yForPrice(plot, value, low, high));
        },
        segments);
    if (!any)
        return;
    painter.setPen(QPen(color, 1.6));
    painter.drawLines(segments);
    painter.drawText(QRectF(plot.right() - 160, plot.top() + 4 + legendOffset, 156, 16),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("%1 %2").arg(label, formatPriceFixed(cachedLastFinite(slot), 2)));
    legendOffset += 16;
}

void PriceChart::drawMacdPane(QPainter &painter, const QRectF &plot, qint64 first, qint64 last)
{
    const IndicatorSeries &line = cache.macdLine(candles, macdFast, macdSlow);
    const IndicatorSeries &signal = cache.macdSignal(candles, macdFast, macdSlow, macdSignal);
    const QRectF box(plot.left() + 6, plot.bottom() - 76, 240, 68);
    painter.fillRect(box, overlayBoxFill());
    painter.setPen(frameColor());
    painter.drawRect(box);

    const IndexRange range{first, last};
    const int columns = int(box.width()) - 12;
    // The decimated points hold every column's extremes, so their range is the range of the view.
    double lo = std::numeric_limits<double>::max();
    double hi = -std::numeric_limits<double>::max();
    const auto widen = [&](qint64, double value) {
        lo = std::min(lo, value);
        hi = std::max(hi, value);
        return QPointF();
    };
    QVector<QLineF> unused;
    seriesSegments(ChartSeriesCache::MacdLineSlot, range, columns, widen, unused);
    seriesSegments(ChartSeriesCache::MacdSignalSlot, range, columns, widen, unused);
    Q_UNUSED(line);
    Q_UNUSED(signal);
    if (lo == std::numeric_limits<double>::max() || std::fabs(hi - lo) < 1e-12)
        return;
    const auto macdValueToY = [&](double value) {
        return box.bottom() - 18 - (value - lo) / (hi - lo) * (box.height() - 28);
    };
    const auto xOf = [&](qint64 i) {
        const double t = first == last ? 0.0 : double(i - first) / double(last - first);
        return box.left() + 6 + t * (box.width() - 12);
    };
    const auto drawMacdSeriesPath = [&](int slot, const QColor &color) {
        QVector<QLineF> segments;
        seriesSegments(
            slot, range, columns,
            [&](qint64 i, double value) { return bounded(xOf(i), macdValueToY(value)); }, segments);
        painter.setPen(QPen(color, 1.2));
        painter.drawLines(segments);
    };
    drawMacdSeriesPath(ChartSeriesCache::MacdLineSlot, kRising);
    drawMacdSeriesPath(ChartSeriesCache::MacdSignalSlot, kAmber);
    painter.setPen(mutedTextColor());
    painter.drawText(QRectF(box.left() + 6, box.top() + 3, box.width() - 12, 14),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("MACD %1/%2/%3").arg(macdFast).arg(macdSlow).arg(macdSignal));
    const double lastPrice = candles.constLast().close;
    painter.setPen(kRising);
    painter.drawText(QRectF(box.left() + 6, box.bottom() - 18, 108, 14), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("M %1").arg(formatMacdValue(cache.macdLineLast(), lastPrice, 3)));
    painter.setPen(kAmber);
    painter.drawText(QRectF(box.left() + 120, box.bottom() - 18, 108, 14), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("S %1").arg(formatMacdValue(cache.macdSignalLast(), lastPrice, 3)));
}

void PriceChart::drawHandleBox(QPainter &painter, const QPointF &centre, const QColor &color, bool locked)
{
    painter.save();
    painter.setPen(QPen(color, 1));
    painter.setBrush(locked ? QColor(40, 40, 40, 180) : labelBoxFill());
    painter.drawRect(QRectF(centre.x() - 3.5, centre.y() - 3.5, 7, 7));
    painter.restore();
}

void PriceChart::drawDrawings(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                              qint64 last)
{
    const IndexRange range{first, last};
    const PriceRange prices{low, high};
    for (const Drawing &drawing : std::as_const(drawings)) {
        if (!isDrawingTypeVisible(drawing.type))
            continue;
        const DrawingGeometry geometry = drawingGeometry(drawing, plot, range, prices);
        if (!geometry.visible)
            continue;
        const QColor color = drawing.locked ? drawing.color.darker(135) : drawing.color;
        QPen pen(color, 1.5, Qt::DashLine);
        painter.setPen(pen);
        const QPointF p1 = bounded(geometry.p1.x(), geometry.p1.y());
        const QPointF p2 = bounded(geometry.p2.x(), geometry.p2.y());
        painter.drawLine(p1, p2);
        if (drawing.type == DrawingType::Horizontal) {
            drawHandleBox(painter, QPointF(plot.left() + 4, p1.y()), color, drawing.locked);
            drawHandleBox(painter, QPointF(plot.right() - 4, p1.y()), color, drawing.locked);
            painter.setPen(pen);
            painter.drawText(QRectF(plot.right() - 150, p1.y() - 18, 146, 16),
                             Qt::AlignRight | Qt::AlignVCenter, formatPriceFixed(drawing.price1, 4));
        } else if (drawing.type == DrawingType::Vertical) {
            drawHandleBox(painter, QPointF(p1.x(), plot.top() + 4), color, drawing.locked);
            drawHandleBox(painter, QPointF(p1.x(), plot.bottom() - 4), color, drawing.locked);
            painter.setPen(pen);
            painter.drawText(QRectF(plot.right() - 150, plot.top() + 20, 146, 16),
                             Qt::AlignRight | Qt::AlignVCenter, drawing.label);
        } else {
            drawHandleBox(painter, p1, color, drawing.locked);
            drawHandleBox(painter, p2, color, drawing.locked);
            painter.setPen(pen);
            painter.drawText(QRectF(plot.right() - 190, p2.y() - 18, 186, 16),
                             Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("%1  %2 -> %3")
                                 .arg(drawing.label, formatPriceFixed(drawing.price1, 4),
                                      formatPriceFixed(drawing.price2, 4)));
        }
    }
    if (trendPreviewActive) {
        painter.setPen(QPen(kAmber, 1.4, Qt::DashLine));
        painter.drawLine(bounded(trendPreviewStart.x(), trendPreviewStart.y()),
                         bounded(trendPreviewEnd.x(), trendPreviewEnd.y()));
    }
}

void PriceChart::drawCrosshair(QPainter &painter, const QRectF &plot, const QRectF &volume, double low,
                               double high, qint64 first, qint64 last)
{
    const Candle &c = candles.at(hoverIndex);
    const double x = xForIndex(plot, hoverIndex, first, last);
    const double y = boundedCoordinate(yForPrice(plot, c.close, low, high));
    painter.setPen(QPen(crosshairColor(), 1, Qt::DashLine));
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, volume.bottom()));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    const QString text =
        QStringLiteral("%1\nO %2  H %3\nL %4  C %5\nV %6")
            .arg(timeAxisLabel(c.time), formatPriceFixed(c.open, 2), formatPriceFixed(c.high, 2),
                 formatPriceFixed(c.low, 2), formatPriceFixed(c.close, 2), formatCompactNumber(c.volume));
    const QRectF box = crosshairBoxRect(plot, x, text.split(QLatin1Char('\n')),
                                        QFontMetricsF(painter.font(), painter.device()));
    painter.fillRect(box, overlayBoxFill());
    painter.setPen(frameColor());
    painter.drawRect(box);
    painter.setPen(crosshairTextColor());
    painter.drawText(box.adjusted(kCrosshairBoxMarginX, kCrosshairBoxMarginY, -kCrosshairBoxMarginX,
                                  -kCrosshairBoxMarginY),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
}

void PriceChart::drawZoomSelection(QPainter &painter, const QRectF &area)
{
    const double x1 = std::clamp(std::min(zoomStartX, zoomEndX), area.left(), area.right());
    const double x2 = std::clamp(std::max(zoomStartX, zoomEndX), area.left(), area.right());
    const QRectF band(QPointF(x1, area.top()), QPointF(x2, area.bottom()));
    painter.fillRect(band, selectionFillColor());
    painter.setPen(QPen(zoomBandOutlineColor(), 1, Qt::DashLine));
    painter.drawRect(band);
}
