#include "chart/price_chart.h"

#include <QJsonValue>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

PriceChart::PriceChart(QWidget *parent) : QWidget(parent)
{
    setMinimumHeight(260);
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
    return std::clamp(period, 1, 400);
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
    if (macdFast >= macdSlow)
        macdSlow = std::min(macdFast + 1, 400);
    update();
}

void PriceChart::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        setChartTool(SelectZoom);
        event->accept();
        return;
    }
    if (!resetZoomShortcut.isEmpty() &&
        QKeySequence(event->keyCombination()).matches(resetZoomShortcut) == QKeySequence::ExactMatch) {
        resetZoom();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PriceChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), lightTheme ? QColor(0xff, 0xff, 0xff) : QColor(0x09, 0x0f, 0x11));
    const QRectF plot = QRectF(rect().adjusted(18, 18, -18, -92));
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    painter.setPen(lightTheme ? QColor(0xd8, 0xe5, 0xf2) : QColor(0x20, 0x31, 0x37));
    painter.drawRect(plot);
}
