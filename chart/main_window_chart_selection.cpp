#include "chart/price_chart.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QPushButton>

QString MainWindow::currentChartMode() const
{
    if (!chartModeCombo)
        return settings.chartMode;
    const QString key = chartModeCombo->currentData().toString();
    if (key == QLatin1String("candle") || key == QLatin1String("line"))
        return key;
    return chartModeCombo->currentIndex() == 1 ? QStringLiteral("candle") : QStringLiteral("line");
}

void MainWindow::storeChartSelection()
{
    if (chartModeCombo)
        settings.chartMode = currentChartMode();
    if (chartTimeframeCombo)
        settings.chartTimeframe = chartTimeframeCombo->currentText();
}

void MainWindow::onChartToolSelect()
{
    if (priceChart)
        priceChart->setChartTool(PriceChart::SelectZoom);
}

void MainWindow::onChartResetZoom()
{
    if (priceChart)
        priceChart->resetZoom();
}

void MainWindow::onChartToolHLine()
{
    if (priceChart)
        priceChart->setChartTool(PriceChart::HorizontalLine);
}

void MainWindow::onChartToolVLine()
{
    if (priceChart)
        priceChart->setChartTool(PriceChart::VerticalLine);
}

void MainWindow::onChartToolTrend()
{
    if (priceChart)
        priceChart->setChartTool(PriceChart::TrendLine);
}

void MainWindow::onChartDrawModeChanged(int mode)
{
    QPushButton *const buttons[] = {chartSelectButton, chartHLineButton, chartVLineButton, chartTrendButton};
    for (int index = 0; index < 4; ++index) {
        if (buttons[index])
            buttons[index]->setChecked(index == mode);
    }
}

void MainWindow::onChartModeChanged()
{
    storeChartSelection();
    refreshChart();
    saveLocalSettings();
}

void MainWindow::onChartTimeframeChanged()
{
    storeChartSelection();
    refreshAllQuotes();
    refreshChart();
    saveLocalSettings();
}
