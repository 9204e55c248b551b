#include "chart/price_chart.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

namespace {
constexpr qsizetype kMinInteractiveCandles = 3;

// The pressed key with its modifiers as a one-key sequence.
QKeySequence pressedSequence(const QKeyEvent *event)
{
    return QKeySequence(event->keyCombination());
}
} // namespace

void PriceChart::restoreToolCursor()
{
    setCursor(drawMode == SelectZoom ? Qt::ArrowCursor : Qt::CrossCursor);
}

bool PriceChart::event(QEvent *event)
{
    // The reset key is also the toolbar button's shortcut. Claiming it here while the chart has the
    // focus means one press resets once: the chart's own key handling acts, the shortcut does not.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!resetZoomShortcut.isEmpty() &&
            pressedSequence(key).matches(resetZoomShortcut) == QKeySequence::ExactMatch) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void PriceChart::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        setChartTool(SelectZoom);
        event->accept();
        return;
    }
    if (!resetZoomShortcut.isEmpty() &&
        pressedSequence(event).matches(resetZoomShortcut) == QKeySequence::ExactMatch) {
        resetZoom();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PriceChart::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (candles.size() < kMinInteractiveCandles)
        return;
    const QPointF position = event->position();
    const Qt::MouseButton button = event->button();
    if (drawMode == TrendLine && button == Qt::LeftButton) {
        setTrendPreview(position);
        return;
    }
    if (drawMode != SelectZoom && button == Qt::LeftButton) {
        addDrawingAt(position);
        return;
    }
    if (button != Qt::LeftButton && button != Qt::MiddleButton)
        return;
    if (button == Qt::LeftButton && !event->modifiers().testFlag(Qt::ShiftModifier)) {
        selectedDrawing = drawingAt(position);
        if (selectedDrawing >= 0 && !drawings.at(selectedDrawing).locked) {
            draggingDrawing = true;
            lastDragPos = position;
            return;
        }
    }
    if (button == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier)) {
        // A band on a plot without width could not map back to a view.
        if (!isUsablePlot(plotRect()))
            return;
        zoomSelecting = true;
        zoomStartX = zoomEndX = position.x();
        update();
        return;
    }
    panning = true;
    panStartX = position.x();
    panStartViewStart = viewStart;
    panStartViewEnd = viewEnd;
    setCursor(Qt::ClosedHandCursor);
}

void PriceChart::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF position = event->position();
    if (trendPreviewActive) {
        trendPreviewEnd = position;
    } else if (panning) {
        panTo(position.x());
    } else if (draggingDrawing && selectedDrawing >= 0) {
        moveDrawing(selectedDrawing, position, lastDragPos);
        lastDragPos = position;
    } else if (zoomSelecting) {
        zoomEndX = position.x();
    } else {
        // Hovering repaints only when the crosshair moves to another candle.
        const qint64 index = indexAtX(position.x());
        if (index == hoverIndex)
            return;
        hoverIndex = index;
    }
    update();
}

void PriceChart::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF position = event->position();
    if (trendPreviewActive && event->button() == Qt::LeftButton) {
        addTrendDrawing(position);
        return;
    }
    if (panning) {
        panning = false;
        restoreToolCursor();
        return;
    }
    if (draggingDrawing) {
        draggingDrawing = false;
        selectedDrawing = -1;
        emitChanged();
        return;
    }
    if (event->button() != Qt::LeftButton || !zoomSelecting)
        return;
    zoomSelecting = false;
    zoomEndX = position.x();
    const ChartView view = bandZoomedView({viewStart, viewEnd}, zoomStartX, zoomEndX, plotRect());
    viewStart = view.start;
    viewEnd = view.end;
    update();
}

void PriceChart::wheelEvent(QWheelEvent *event)
{
    const QRectF plot = plotRect();
    if (candles.size() < kMinInteractiveCandles || plot.width() < 1.0) {
        event->ignore();
        return;
    }
    const bool zoomOut = event->angleDelta().y() < 1;
    const ChartView view = wheelZoomedView({viewStart, viewEnd}, event->position().x(), zoomOut, plot);
    viewStart = view.start;
    viewEnd = view.end;
    update();
    event->accept();
}

void PriceChart::leaveEvent(QEvent *)
{
    hoverIndex = -1;
    update();
}

void PriceChart::contextMenuEvent(QContextMenuEvent *event)
{
    const int hit = drawingAt(event->pos());
    if (hit >= 0) {
        showDrawingMenu(hit, event->globalPos());
        return;
    }
    showChartMenu(event->globalPos());
}

void PriceChart::showChartMenu(const QPoint &globalPos)
{
    const QPointer<PriceChart> self(this);
    QMenu menu(this);
    QAction *reset = menu.addAction(QStringLiteral("Reset zoom to latest"));
    menu.addSeparator();
    QMenu *indicators = menu.addMenu(QStringLiteral("Indicators"));
    const auto checkable = [](QMenu *owner, const QString &text, bool checked) {
        QAction *action = owner->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        return action;
    };
    QAction *sma = checkable(indicators, QStringLiteral("SMA %1").arg(smaLength), showSma);
    QAction *ema = checkable(indicators, QStringLiteral("EMA %1").arg(emaLength), showEma);
    QAction *vwap = checkable(indicators, QStringLiteral("VWAP"), showVwap);
    QAction *macd = checkable(
        indicators, QStringLiteral("MACD %1/%2/%3").arg(macdFast).arg(macdSlow).arg(macdSignal), showMacd);
    indicators->addSeparator();
    QAction *configureSma = indicators->addAction(QStringLiteral("Configure SMA"));
    QAction *configureEma = indicators->addAction(QStringLiteral("Configure EMA"));
    QAction *session = checkable(indicators, QStringLiteral("VWAP session reset"), vwapSessionFlag);
    QAction *configureMacd = indicators->addAction(QStringLiteral("Configure MACD"));
    QMenu *drawingsMenu = menu.addMenu(QStringLiteral("Drawings"));
    QAction *hline = checkable(drawingsMenu, QStringLiteral("Show HLine"), showHLine);
    QAction *vline = checkable(drawingsMenu, QStringLiteral("Show VLine"), showVLine);
    QAction *trend = checkable(drawingsMenu, QStringLiteral("Show Trend"), showTrend);
    menu.addSeparator();
    QAction *clear = menu.addAction(QStringLiteral("Clear schemes"));

    QAction *chosen = menu.exec(globalPos);
    if (!self || !chosen)
        return;
    if (chosen == clear) {
        clearSchemes();
        return;
    }
    if (chosen == reset)
        resetZoom();
    else if (chosen == sma)
        showSma = !showSma;
    else if (chosen == ema)
        showEma = !showEma;
    else if (chosen == vwap)
        showVwap = !showVwap;
    else if (chosen == macd)
        showMacd = !showMacd;
    else if (chosen == configureSma)
        askIndicatorPeriod(QStringLiteral("SMA period"), smaLength);
    else if (chosen == configureEma)
        askIndicatorPeriod(QStringLiteral("EMA period"), emaLength);
    else if (chosen == session)
        vwapSessionFlag = !vwapSessionFlag;
    else if (chosen == configureMacd)
        showMacdDialog();
    else if (chosen == hline)
        showHLine = !showHLine;
    else if (chosen == vline)
        showVLine = !showVLine;
    else if (chosen == trend)
        showTrend = !showTrend;
    if (!self)
        return;
    updateIndicatorSummary();
    emitChanged();
    update();
}

void PriceChart::clearSchemes()
{
    const QPointer<PriceChart> self(this);
    const auto answer =
        QMessageBox::question(this, QStringLiteral("Clear chart schemes"),
                              QStringLiteral("Remove all indicators and drawings for this chart?"),
                              QMessageBox::Yes | QMessageBox::No);
    if (!self || answer != QMessageBox::Yes)
        return;
    showSma = showEma = showVwap = showMacd = false;
    smaLength = 20;
    emaLength = 20;
    macdFast = 12;
    macdSlow = 26;
    macdSignal = 9;
    vwapSessionFlag = false;
    showHLine = showVLine = showTrend = true;
    drawings.clear();
    ++drawingsGeneration;
    endDrawingInteraction();
    emitChanged();
    update();
}
