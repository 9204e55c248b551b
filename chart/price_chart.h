#pragma once

#include "chart/candle.h"
#include "chart/chart_cache.h"
#include "chart/chart_model.h"
#include "chart/drawing.h"
#include "chart/indicators.h"

#include <QColor>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeySequence>
#include <QPair>
#include <QPointF>
#include <QString>
#include <QTimeZone>
#include <QVector>
#include <QWidget>

#include <functional>

class QPainter;
class QLineF;

// The price chart of the chart panel. It reports to the window only through the three callbacks.
// Geometry, view arithmetic and hit tests are the free functions of chart_model.h over its fields.
class PriceChart : public QWidget
{
public:
    enum DrawMode
    {
        SelectZoom = 0,
        HorizontalLine = 1,
        VerticalLine = 2,
        TrendLine = 3
    };

    explicit PriceChart(QWidget *parent);

    // ---- series, theme, callbacks ----------------------------------------------------------------
    // Shares the list given (no candle is copied); a new symbol or timeframe shows the whole series.
    void setSeries(QString symbol, CandleList candles, int style, QString timeframe);
    // For a write of the shown list in place: the chart lets go of its share (so the write copies
    // nothing) until restoreSeries hands the written list back. Nothing is painted in between.
    void releaseSeries();
    void restoreSeries(CandleList written);
    void setLightTheme(bool light);
    void setStatusCallback(std::function<void(const QString &)> callback);
    void setDrawModeCallback(std::function<void(DrawMode)> callback);
    void setChangedCallback(std::function<void()> callback);
    void setResetZoomShortcut(const QKeySequence &sequence);
    // The zone of the time labels and VWAP sessions (the system's unless a caller sets another).
    void setTimeZone(const QTimeZone &zone);

    void setChartTool(DrawMode mode);
    void resetZoom();

    // ---- indicators ------------------------------------------------------------------------------
    int smaPeriod() const { return smaLength; }
    int emaPeriod() const { return emaLength; }
    int macdFastPeriod() const { return macdFast; }
    int macdSlowPeriod() const { return macdSlow; }
    int macdSignalPeriod() const { return macdSignal; }
    bool vwapSessionReset() const { return vwapSessionFlag; }

    QJsonObject indicatorSettingsToJson() const;
    void applyIndicatorSettings(const QJsonObject &object);

    static int clampIndicatorPeriod(int period);
    static QString drawModeName(DrawMode mode);

    IndicatorSeries computeSma(int period) const;
    IndicatorSeries computeEma(int period) const;
    static IndicatorSeries emaOfSeries(const IndicatorSeries &series, int period);
    IndicatorSeries computeMacdLine() const;
    IndicatorSeries computeMacdSignal(const IndicatorSeries &macdLine) const;
    IndicatorSeries vwapSeries() const;
    static double lastFiniteValue(const IndicatorSeries &series);
    // The visible candles' price range; the flat band -1 .. 1 on an empty series.
    void visiblePriceRange(double &low, double &high) const;
    void updateIndicatorSummary();
    void askIndicatorPeriod(const QString &title, int &period);
    void showMacdDialog();

    // ---- geometry and view -----------------------------------------------------------------------
    QRectF plotRect() const;
    QRectF volumeRect(const QRectF &plot) const;
    QPair<qint64, qint64> visibleRange() const;
    static double xForIndex(const QRectF &rect, qint64 index, qint64 first, qint64 last);
    static double yForPrice(const QRectF &rect, double price, double low, double high);
    qint64 indexAtX(double x) const;
    static double priceAtY(const QRectF &rect, double y, double low, double high);
    static bool isSnapModifierHeld();
    QDate candleDate(qint64 time) const;
    QString timeAxisLabel(qint64 time) const;
    void panTo(double x);

    // ---- palette ---------------------------------------------------------------------------------
    QColor backgroundColor() const;
    QColor frameColor() const;
    QColor gridLineColor() const;
    QColor mutedTextColor() const;
    QColor overlayBoxFill() const;
    QColor labelBoxFill() const;
    QColor selectionFillColor() const;
    QColor crosshairColor() const;
    QColor crosshairTextColor() const;
    QColor zoomBandOutlineColor() const;

    // ---- drawings --------------------------------------------------------------------------------
    void addDrawingAt(const QPointF &point);
    void addTrendDrawing(const QPointF &point);
    double priceAtPoint(const QPointF &point, double low, double high) const;
    double snapToOhlc(qint64 index, double price) const;
    int drawingAt(const QPointF &point) const;
    void moveDrawing(int index, const QPointF &point, const QPointF &previous);
    void editDrawing(int index);
    bool showTrendLineDialog(Drawing &drawing);
    QColor pickLineColor(const QColor &initial);
    void showDrawingMenu(int index, const QPoint &globalPos);
    bool isDrawingTypeVisible(int type) const;
    QJsonArray drawingsToJson() const;
    void loadDrawings(const QJsonArray &array);
    void setTrendPreview(const QPointF &point);
    void setTrendPreviewEnd(const QPointF &point);

    // ---- read-only state -------------------------------------------------------------------------
    DrawMode chartTool() const { return drawMode; }
    bool isLightTheme() const { return lightTheme; }
    QKeySequence resetZoomKeys() const { return resetZoomShortcut; }
    double visibleStart() const { return viewStart; }
    double visibleEnd() const { return viewEnd; }
    const QString &chartSymbol() const { return symbol; }
    const QString &chartTimeframe() const { return timeframe; }
    const CandleList &series() const { return candles; }
    const DrawingList &drawingList() const { return drawings; }
    qint64 hoveredIndex() const { return hoverIndex; }
    bool isTrendPreviewActive() const { return trendPreviewActive; }
    bool isDraggingDrawing() const { return draggingDrawing; }
    bool isPanning() const { return panning; }
    // Sets the view as the user's pan and zoom would (normalised).
    void setViewWindow(double start, double end);
    void normalizeView();

    // How many times the widget has painted; a hover that stays on one candle adds nothing.
    quint64 paintCount() const { return paints; }
    // Per pixel column merging: Auto merges only when more candles are visible than the plot has
    // columns; Never draws every candle; Always merges as soon as there are as many.
    enum class Decimation
    {
        Auto,
        Always,
        Never
    };
    void setDecimation(Decimation mode);

    // ---- painting --------------------------------------------------------------------------------
    void drawCandles(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                     qint64 last);
    void drawLineChart(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                       qint64 last);
    void drawVolumePane(QPainter &painter, const QRectF &pane, qint64 first, qint64 last);
    void drawTimeAxis(QPainter &painter, const QRectF &pane, qint64 first, qint64 last);
    void drawIndicators(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                        qint64 last);
    void drawSeriesPath(QPainter &painter, const QRectF &plot, int slot, double low, double high,
                        qint64 first, qint64 last, const QColor &color, const QString &label);
    void drawMacdPane(QPainter &painter, const QRectF &plot, qint64 first, qint64 last);
    void drawDrawings(QPainter &painter, const QRectF &plot, double low, double high, qint64 first,
                      qint64 last);
    void drawHandleBox(QPainter &painter, const QPointF &centre, const QColor &color, bool locked);
    void drawCrosshair(QPainter &painter, const QRectF &plot, const QRectF &volume, double low, double high,
                       qint64 first, qint64 last);
    void drawZoomSelection(QPainter &painter, const QRectF &area);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void emitStatus(const QString &text);
    void emitChanged();
    // Ends a drag, a pan and a trend preview: the drawings they worked on are no longer shown.
    void endDrawingInteraction();
    IndexRange currentRange() const;
    PriceRange currentPriceRange() const;
    // Runs `edit` on a copy of drawing `index` and writes it back when the same drawings are still
    // shown and the index still exists: quotes (and a new key) may arrive while a dialog is open.
    template <typename Edit> bool editDrawingCopy(int index, Edit edit);

    QString symbol;
    CandleList candles;
    int chartStyle = 0;
    QString timeframe = QStringLiteral("1m");
    double viewStart = 0.0;
    double viewEnd = 1.0;
    bool zoomSelecting = false;
    qint64 hoverIndex = -1;
    double zoomStartX = 0.0;
    double zoomEndX = 0.0;
    bool showSma = false;
    bool showEma = false;
    bool showVwap = false;
    bool showMacd = false;
    int smaLength = 20;
    int emaLength = 20;
    int macdFast = 12;
    int macdSlow = 26;
    int macdSignal = 9;
    bool vwapSessionFlag = false;
    bool showHLine = true;
    bool showVLine = true;
    bool showTrend = true;
    int legendOffset = 0;
    DrawMode drawMode = SelectZoom;
    DrawingList drawings;
    bool trendPreviewActive = false;
    QPointF trendPreviewStart;
    QPointF trendPreviewEnd;
    bool draggingDrawing = false;
    int selectedDrawing = -1;
    QPointF lastDragPos;
    bool panning = false;
    bool lightTheme = false;
    double panStartX = 0.0;
    double panStartViewStart = 0.0;
    double panStartViewEnd = 1.0;
    QKeySequence resetZoomShortcut{QStringLiteral("Alt+0")};
    std::function<void(const QString &)> statusCallback;
    std::function<void(DrawMode)> drawModeCallback;
    std::function<void()> changedCallback;

    static int pixelColumns(const QRectF &plot);
    bool decimates(const IndexRange &range, int columns) const;
    PriceRange paintPriceRange(const IndexRange &range, int columns);
    const IndicatorSeries &cachedSeries(int slot);
    double cachedLastFinite(int slot) const;
    // The segments that draw a cached series over the view (merged per column when the view needs
    // it), through `map`; false when the view holds no finite value.
    bool seriesSegments(int slot, const IndexRange &range, int columns,
                        const std::function<QPointF(qint64, double)> &map, QVector<QLineF> &segments);
    void showChartMenu(const QPoint &globalPos);
    void clearSchemes();
    void restoreToolCursor();

    QTimeZone zone = QTimeZone::systemTimeZone();
    ChartSeriesCache cache;
    Decimation decimation = Decimation::Auto;
    quint64 paints = 0;
    const Candle *releasedData = nullptr;
    qsizetype releasedSize = -1;
    // Bumped whenever `drawings` is replaced as a whole, so an edit begun on the old list is dropped.
    quint64 drawingsGeneration = 0;
};
