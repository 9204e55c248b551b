#pragma once

#include "chart/candle.h"

#include <QJsonObject>
#include <QKeySequence>
#include <QString>
#include <QWidget>

#include <functional>

// The price chart of the chart panel. It reports to the window only through the three callbacks;
// for now it keeps its tool, view, theme and indicator settings and paints its empty frame.
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

    void setLightTheme(bool light);
    void setStatusCallback(std::function<void(const QString &)> callback);
    void setDrawModeCallback(std::function<void(DrawMode)> callback);
    void setChangedCallback(std::function<void()> callback);
    void setResetZoomShortcut(const QKeySequence &sequence);

    void setChartTool(DrawMode mode);
    void resetZoom();

    int smaPeriod() const { return smaLength; }
    int emaPeriod() const { return emaLength; }
    int macdFastPeriod() const { return macdFast; }
    int macdSlowPeriod() const { return macdSlow; }
    bool vwapSessionReset() const { return vwapSessionFlag; }

    QJsonObject indicatorSettingsToJson() const;
    void applyIndicatorSettings(const QJsonObject &object);

    static int clampIndicatorPeriod(int period);
    static QString drawModeName(DrawMode mode);

    DrawMode chartTool() const { return drawMode; }
    bool isLightTheme() const { return lightTheme; }
    QKeySequence resetZoomKeys() const { return resetZoomShortcut; }
    double visibleStart() const { return viewStart; }
    double visibleEnd() const { return viewEnd; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void emitStatus(const QString &text);

    QString symbol;
    CandleList candles;
    int chartStyle = 0;
    QString timeframe = QStringLiteral("1m");
    double viewStart = 0.0;
    double viewEnd = 1.0;
    bool zoomSelecting = false;
    qint64 hoverIndex = -1;
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
    DrawMode drawMode = SelectZoom;
    bool trendPreviewActive = false;
    bool draggingDrawing = false;
    bool panning = false;
    bool lightTheme = false;
    QKeySequence resetZoomShortcut{QStringLiteral("Alt+0")};
    std::function<void(const QString &)> statusCallback;
    std::function<void(DrawMode)> drawModeCallback;
    std::function<void()> changedCallback;
};
