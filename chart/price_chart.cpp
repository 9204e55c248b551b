#include "chart/price_chart.h"

#include "chart/candle_store.h"
#include "shell/formats.h"

#include <QApplication>
#include <QInputDialog>
#include <QJsonValue>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

PriceChart::PriceChart(QWidget *parent) : QWidget(parent)
{
    setMinimumHeight(chartMinimumHeight());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PriceChart::setLightTheme(bool light)
{
    lightTheme = light;
    update();
}

void PriceChart::setStatusCallback(std::function<void(const QString &)> callback)
{
    statusCallback = std::move(callback);
}

void PriceChart::setDrawModeCallback(std::function<void(DrawMode)> callback)
{
    drawModeCallback = std::move(callback);
}

void PriceChart::setChangedCallback(std::function<void()> callback)
{
    changedCallback = std::move(callback);
}

void PriceChart::setResetZoomShortcut(const QKeySequence &sequence)
{
    resetZoomShortcut = sequence;
}

void PriceChart::emitStatus(const QString &text)
{
    if (statusCallback)
        statusCallback(text);
}

QString PriceChart::drawModeName(DrawMode mode)
{
    switch (mode) {
    case HorizontalLine:
        return QStringLiteral("Horizontal line");
    case VerticalLine:
        return QStringLiteral("Vertical line");
    case TrendLine:
        return QStringLiteral("Trend line");
    default:
        return QStringLiteral("Select/zoom");
    }
}

void PriceChart::setChartTool(DrawMode mode)
{
    drawMode = mode;
    trendPreviewActive = false;
    setCursor(mode == SelectZoom ? Qt::ArrowCursor : Qt::CrossCursor);
    emitStatus(QStringLiteral("Chart tool: %1").arg(drawModeName(mode)));
    if (drawModeCallback)
        drawModeCallback(mode);
}

void PriceChart::resetZoom()
{
    viewStart = 0.0;
    viewEnd = 1.0;
    zoomSelecting = false;
    panning = false;
    draggingDrawing = false;
    trendPreviewActive = false;
    hoverIndex = candles.isEmpty() ? -1 : candles.size() - 1;
    update();
    emitStatus(QStringLiteral("Chart zoom reset"));
}

int PriceChart::clampIndicatorPeriod(int period)
{
    return ::clampIndicatorPeriod(period);
}

QJsonObject PriceChart::indicatorSettingsToJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("sma20"), showSma);
    object.insert(QStringLiteral("ema20"), showEma);
    object.insert(QStringLiteral("vwap"), showVwap);
    object.insert(QStringLiteral("macd"), showMacd);
    object.insert(QStringLiteral("sma_period"), smaLength);
    object.insert(QStringLiteral("ema_period"), emaLength);
    object.insert(QStringLiteral("macd_fast"), macdFast);
    object.insert(QStringLiteral("macd_slow"), macdSlow);
    object.insert(QStringLiteral("macd_signal"), macdSignal);
    object.insert(QStringLiteral("vwap_session"), vwapSessionFlag);
    object.insert(QStringLiteral("draw_hline"), showHLine);
    object.insert(QStringLiteral("draw_vline"), showVLine);
    object.insert(QStringLiteral("draw_trend"), showTrend);
    return object;
}

namespace {
void readFlag(const QJsonObject &object, const char *key, bool &field)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isBool())
        field = value.toBool();
}

// A period stored as anything but an integral number keeps the current one; out-of-range integers
// are clamped afterwards, so a huge value must not overflow on the way in.
void readPeriod(const QJsonObject &object, const char *key, int &field)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble())
        return;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::floor(number) != number)
        return;
    field = static_cast<int>(std::clamp(number, -1.0e9, 1.0e9));
}
} // namespace

void PriceChart::applyIndicatorSettings(const QJsonObject &object)
{
    readFlag(object, "sma20", showSma);
    readFlag(object, "ema20", showEma);
    readFlag(object, "vwap", showVwap);
    readFlag(object, "macd", showMacd);
    readPeriod(object, "sma_period", smaLength);
    readPeriod(object, "ema_period", emaLength);
    readPeriod(object, "macd_fast", macdFast);
    readPeriod(object, "macd_slow", macdSlow);
    readPeriod(object, "macd_signal", macdSignal);
    readFlag(object, "vwap_session", vwapSessionFlag);
    readFlag(object, "draw_hline", showHLine);
    readFlag(object, "draw_vline", showVLine);
    readFlag(object, "draw_trend", showTrend);
    smaLength = clampIndicatorPeriod(smaLength);
    emaLength = clampIndicatorPeriod(emaLength);
    macdFast = clampIndicatorPeriod(macdFast);
    macdSlow = clampIndicatorPeriod(macdSlow);
    macdSignal = clampIndicatorPeriod(macdSignal);
    // The slow average stays above the fast one; the fast one gives up its top value to make room,
    // so what is read back is what the MACD dialog could have produced.
    if (macdFast >= macdSlow) {
        macdFast = std::min(macdFast, kMaxIndicatorPeriod - 1);
        macdSlow = macdFast + 1;
    }
    update();
}

void PriceChart::emitChanged()
{
    if (changedCallback)
        changedCallback();
}

void PriceChart::setTimeZone(const QTimeZone &newZone)
{
    zone = newZone;
    update();
}

void PriceChart::setSeries(QString newSymbol, CandleList newCandles, int style, QString newTimeframe)
{
    if (newSymbol != symbol || newTimeframe != timeframe) {
        viewStart = 0.0;
        viewEnd = 1.0;
        zoomSelecting = false;
    }
    // The same list (the store's buffer, unchanged since the chart last saw it) keeps every cached
    // series; any other list starts them afresh.
    const bool sameList = newSymbol == symbol && newTimeframe == timeframe &&
                          newCandles.constData() == candles.constData() &&
                          newCandles.size() == candles.size();
    if (!sameList)
        cache.clear();
    symbol = std::move(newSymbol);
    candles = std::move(newCandles);
    chartStyle = style;
    timeframe = std::move(newTimeframe);
    update();
}

void PriceChart::setViewWindow(double start, double end)
{
    viewStart = start;
    viewEnd = end;
    normalizeView();
    update();
}

void PriceChart::normalizeView()
{
    const ChartView view = normalizedView({viewStart, viewEnd});
    viewStart = view.start;
    viewEnd = view.end;
}

void PriceChart::endDrawingInteraction()
{
    draggingDrawing = false;
    selectedDrawing = -1;
    trendPreviewActive = false;
    if (panning) {
        panning = false;
        restoreToolCursor();
    }
}

// ---- geometry ------------------------------------------------------------------------------------

QRectF PriceChart::plotRect() const
{
    return chartPlotRect(size());
}

QRectF PriceChart::volumeRect(const QRectF &plot) const
{
    return chartVolumeRect(plot);
}

IndexRange PriceChart::currentRange() const
{
    return visibleIndexRange(candles.size(), {viewStart, viewEnd});
}

PriceRange PriceChart::currentPriceRange() const
{
    const IndexRange range = currentRange();
    if (candles.isEmpty())
        return candlePriceRange(candles, 0, -1);
    return candlePriceRange(candles, range.first, range.last);
}

QPair<qint64, qint64> PriceChart::visibleRange() const
{
    const IndexRange range = currentRange();
    return {range.first, range.last};
}

double PriceChart::xForIndex(const QRectF &rect, qint64 index, qint64 first, qint64 last)
{
    return ::xForIndex(rect, index, first, last);
}

double PriceChart::yForPrice(const QRectF &rect, double price, double low, double high)
{
    return ::yForPrice(rect, price, low, high);
}

qint64 PriceChart::indexAtX(double x) const
{
    return ::indexAtX(plotRect(), x, candles.size(), currentRange());
}

double PriceChart::priceAtY(const QRectF &rect, double y, double low, double high)
{
    return ::priceAtY(rect, y, low, high);
}

bool PriceChart::isSnapModifierHeld()
{
    return QApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
}

QDate PriceChart::candleDate(qint64 time) const
{
    return ::candleDate(time, zone);
}

QString PriceChart::timeAxisLabel(qint64 time) const
{
    return chartTimeLabel(time, timeframe, zone);
}

void PriceChart::panTo(double x)
{
    const QRectF plot = plotRect();
    if (plot.width() < 1.0)
        return;
    const ChartView view = pannedView({panStartViewStart, panStartViewEnd}, panStartX, x, plot);
    viewStart = view.start;
    viewEnd = view.end;
    normalizeView();
}

// ---- palette -------------------------------------------------------------------------------------

QColor PriceChart::backgroundColor() const
{
    return lightTheme ? QColor(0xff, 0xff, 0xff) : QColor(0x09, 0x0f, 0x11);
}

QColor PriceChart::frameColor() const
{
    return lightTheme ? QColor(0xd8, 0xe5, 0xf2) : QColor(0x20, 0x31, 0x37);
}

QColor PriceChart::gridLineColor() const
{
    return lightTheme ? QColor(0xe7, 0xee, 0xf6) : QColor(0x14, 0x21, 0x24);
}

QColor PriceChart::mutedTextColor() const
{
    return lightTheme ? QColor(0x4e, 0x61, 0x74) : QColor(0x8f, 0xb8, 0xad);
}

QColor PriceChart::overlayBoxFill() const
{
    return lightTheme ? QColor(255, 255, 255, 238) : QColor(12, 18, 20, 230);
}

QColor PriceChart::labelBoxFill() const
{
    return lightTheme ? QColor(255, 255, 255, 235) : QColor(9, 15, 17, 235);
}

QColor PriceChart::selectionFillColor() const
{
    return lightTheme ? QColor(0, 108, 180, 44) : QColor(32, 200, 120, 42);
}

QColor PriceChart::crosshairColor() const
{
    return lightTheme ? QColor(0x00, 0x6c, 0xb4) : QColor(0xf3, 0xb2, 0x4a);
}

QColor PriceChart::crosshairTextColor() const
{
    return lightTheme ? QColor(0x1a, 0x1a, 0x1a) : QColor(0xd8, 0xe6, 0xe3);
}

QColor PriceChart::zoomBandOutlineColor() const
{
    return lightTheme ? QColor(0x00, 0x6c, 0xb4) : QColor(0x20, 0xc8, 0x78);
}

// ---- indicators ----------------------------------------------------------------------------------

IndicatorSeries PriceChart::computeSma(int period) const
{
    return ::computeSma(candles, period);
}

IndicatorSeries PriceChart::computeEma(int period) const
{
    return ::computeEma(candles, period);
}

IndicatorSeries PriceChart::emaOfSeries(const IndicatorSeries &series, int period)
{
    return ::emaOfSeries(series, period);
}

IndicatorSeries PriceChart::computeMacdLine() const
{
    return ::computeMacdLine(candles, macdFast, macdSlow);
}

IndicatorSeries PriceChart::computeMacdSignal(const IndicatorSeries &macdLine) const
{
    return ::computeMacdSignal(macdLine, macdSignal);
}

IndicatorSeries PriceChart::vwapSeries() const
{
    return ::vwapSeries(candles, vwapSessionFlag, zone);
}

double PriceChart::lastFiniteValue(const IndicatorSeries &series)
{
    return ::lastFiniteValue(series);
}

void PriceChart::visiblePriceRange(double &low, double &high) const
{
    const PriceRange range = currentPriceRange();
    low = range.low;
    high = range.high;
}

void PriceChart::updateIndicatorSummary()
{
    if (candles.isEmpty())
        return;
    // The averages are prices and widen below 1; MACD takes the decimals of the last price.
    const auto price = [](double value) { return formatPriceFixed(value, 4); };
    const double lastPrice = candles.constLast().close;
    const auto number = [lastPrice](double value) { return formatMacdValue(value, lastPrice, 4); };
    QStringList parts;
    if (showSma)
        parts << QStringLiteral("SMA%1=%2").arg(smaLength).arg(price(lastFiniteValue(computeSma(smaLength))));
    if (showEma)
        parts << QStringLiteral("EMA%1=%2").arg(emaLength).arg(price(lastFiniteValue(computeEma(emaLength))));
    if (showVwap)
        parts << QStringLiteral("VWAP%1=%2")
                     .arg(vwapSessionFlag ? QStringLiteral("(session)") : QStringLiteral("(anchored)"))
                     .arg(price(lastFiniteValue(vwapSeries())));
    if (showMacd) {
        const IndicatorSeries line = computeMacdLine();
        parts << QStringLiteral("MACD%1/%2/%3=%4 signal=%5")
                     .arg(macdFast)
                     .arg(macdSlow)
                     .arg(macdSignal)
                     .arg(number(lastFiniteValue(line)))
                     .arg(number(lastFiniteValue(computeMacdSignal(line))));
    }
    if (!parts.isEmpty())
        emitStatus(QStringLiteral("Indicators %1 %2").arg(symbol, parts.join(QStringLiteral(" | "))));
}

void PriceChart::askIndicatorPeriod(const QString &title, int &period)
{
    bool ok = false;
    const int value = QInputDialog::getInt(this, title, QStringLiteral("Period"), period, kMinIndicatorPeriod,
                                           kMaxIndicatorPeriod, 1, &ok);
    if (ok)
        period = clampIndicatorPeriod(value);
}

void PriceChart::showMacdDialog()
{
    bool ok = false;
    // The fast box stops one below the top so that a slow period above it always exists.
    const int fast = QInputDialog::getInt(this, QStringLiteral("MACD"), QStringLiteral("Fast EMA"),
                                          std::min(macdFast, kMaxIndicatorPeriod - 1), kMinIndicatorPeriod,
                                          kMaxIndicatorPeriod - 1, 1, &ok);
    if (!ok)
        return;
    const int slow =
        QInputDialog::getInt(this, QStringLiteral("MACD"), QStringLiteral("Slow EMA"),
                             std::max(macdSlow, fast + 1), fast + 1, kMaxIndicatorPeriod, 1, &ok);
    if (!ok)
        return;
    const int signal = QInputDialog::getInt(this, QStringLiteral("MACD"), QStringLiteral("Signal EMA"),
                                            macdSignal, kMinIndicatorPeriod, kMaxIndicatorPeriod, 1, &ok);
    if (!ok)
        return;
    macdFast = std::min(clampIndicatorPeriod(fast), kMaxIndicatorPeriod - 1);
    macdSlow = std::max(clampIndicatorPeriod(slow), macdFast + 1);
    macdSignal = clampIndicatorPeriod(signal);
    update();
}

void PriceChart::releaseSeries()
{
    releasedData = candles.constData();
    releasedSize = candles.size();
    candles = CandleList();
}

void PriceChart::restoreSeries(CandleList written)
{
    // The list written in place keeps its buffer and size: only its last candle moved, and only
    // what depends on it is redone. Anything else is a new list.
    if (written.constData() == releasedData && written.size() == releasedSize && releasedSize > 0)
        cache.lastCandleChanged(written);
    else
        cache.clear();
    releasedData = nullptr;
    releasedSize = -1;
    candles = std::move(written);
    update();
}

void PriceChart::setDecimation(Decimation mode)
{
    decimation = mode;
    update();
}
