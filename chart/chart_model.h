#pragma once

#include "chart/candle.h"
#include "chart/drawing.h"

#include <QPair>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimeZone>

class QFontMetricsF;

// The chart's geometry and view as plain values: which candles are visible, where a candle or a
// price lands in the widget, and how the view moves. The widget paints and handles the mouse through
// these; tests drive them without painting.
//
// Every mapping is safe on a degenerate plot (narrower or lower than one pixel): nothing divides by
// zero and no NaN becomes an index.

struct ChartView
{
    double start = 0.0; // left edge, as a fraction of the index range 0 .. count - 1
    double end = 1.0;   // right edge, same scale
};

struct IndexRange
{
    qint64 first = 0;
    qint64 last = 0;
};

struct PriceRange
{
    double low = 0.0;
    double high = 0.0;
};

constexpr double kMinViewSpan = 0.04;
constexpr double kMaxViewStart = 0.96;

// The price plot of a widget: inset 18 px at the left, top and right and 92 px at the bottom.
QRectF chartPlotRect(const QSize &widgetSize);
// The volume pane under the plot: 8 px below it, 34 px high, as wide as the plot.
QRectF chartVolumeRect(const QRectF &plot);
// True when the plot is at least one pixel wide and high; the mappings below need no more.
bool isUsablePlot(const QRectF &plot);
// The least height of a price plot that still reads: room for its price scale's five labels.
constexpr int kMinimumPlotHeight = 60;
// The chart's least height: its plot at kMinimumPlotHeight with the insets and the volume pane around
// it. Anything more is left to the panes beside the chart on a small window.
int chartMinimumHeight();

// First and last visible candle index of a series of `count` candles; (0, 0) when empty.
IndexRange visibleIndexRange(qint64 count, const ChartView &view);

// The lowest low and highest high of candles first .. last; a flat range is widened to low - 1 ..
// high + 1. An empty series, or an empty index range, gives the flat band -1 .. 1 around 0.
PriceRange candlePriceRange(const CandleList &candles, qint64 first, qint64 last);

double xForIndex(const QRectF &rect, qint64 index, qint64 first, qint64 last);
double yForPrice(const QRectF &rect, double price, double low, double high);
// Candle body and volume bar centres: the middle of the index's slot.
double slotCentreX(const QRectF &rect, qint64 index, qint64 first, qint64 last);
// The candle index at widget x: the nearest visible index (halves go to the later one), clamped to
// the visible range; -1 for an empty series, `first` on a plot narrower than a pixel.
qint64 indexAtX(const QRectF &plot, double x, qint64 count, const IndexRange &range);
// The price at widget y, clamped to low .. high; `low` on a plot lower than a pixel.
double priceAtY(const QRectF &rect, double y, double low, double high);

// "dd/MM" for the "1d" and "1mo" timeframes, "HH:mm" otherwise, in `zone`.
QString chartTimeLabel(qint64 time, const QString &timeframe, const QTimeZone &zone);

// Brings a view back inside the limits: 0 <= start <= 0.96 and start + 0.04 <= end <= 1, keeping the
// span where it can. A view that is not finite becomes the full view.
ChartView normalizedView(ChartView view);
// The view after dragging from `startX` to `x` on a plot, starting from `startView`; unchanged on a
// plot narrower than a pixel.
ChartView pannedView(const ChartView &startView, double startX, double x, const QRectF &plot);
// One wheel step at widget x: zoom in (0.78) unless `zoomOut` (1.28), about the candle under x.
ChartView wheelZoomedView(const ChartView &view, double x, bool zoomOut, const QRectF &plot);
// The view after a zoom band from x1 to x2; the view unchanged when the band spans no more than 3 %
// of the plot or the plot is narrower than a pixel.
ChartView bandZoomedView(const ChartView &view, double x1, double x2, const QRectF &plot);

// The nearest of a candle's open, high, low and close to `price`; ties keep the earlier of them.
double snapPriceToCandle(const Candle &candle, double price);

// Where a drawing is on the plot, for hit tests and painting alike.
struct DrawingGeometry
{
    bool visible = false; // false: neither drawn nor hit
    QPointF p1;           // horizontal: y only; vertical: x only
    QPointF p2;
};
DrawingGeometry drawingGeometry(const Drawing &drawing, const QRectF &plot, const IndexRange &range,
                                const PriceRange &prices);
// Distance in pixels from `point` to a drawing's line, +inf when it cannot be hit.
double drawingDistance(const Drawing &drawing, const QPointF &point, const QRectF &plot,
                       const IndexRange &range, const PriceRange &prices);

// The crosshair's details box for the crosshair at x: 10 px right of the line and 10 px below the plot's
// top, 74 px high, and as wide as its widest line (in `metrics`) plus 8 px of margin on each side, but
// never narrower than 160 px, so a five-digit price is not cut. A box that would pass the plot's right
// edge goes to the left of the line instead, its right edge 10 px from it.
QRectF crosshairBoxRect(const QRectF &plot, double x, const QStringList &lines, const QFontMetricsF &metrics);
// The inner margins of that box: the text is laid out in the box inset by these.
constexpr double kCrosshairBoxMarginX = 8.0;
constexpr double kCrosshairBoxMarginY = 6.0;

// Bounds a painter coordinate to a band of a few thousand pixels around the widget, so a line at a
// price far outside the view cannot overflow the raster engine; NaN becomes 0.
double boundedCoordinate(double value);
