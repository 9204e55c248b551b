#include "shell/main_window.h"

// The chart's history, drawings and change handling arrive with the chart's own work.
void MainWindow::onChartChanged() {}
void MainWindow::refreshChart() {}
void MainWindow::requestBinanceKlines(const QString &symbol)
{
    Q_UNUSED(symbol);
}
