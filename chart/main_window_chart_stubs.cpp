#include "shell/main_window.h"

// The chart's history, drawings and change handling arrive with the chart's own work. Until the
// drawings land, the stored drawings object is kept as read and written back unchanged.
void MainWindow::onChartChanged() {}
void MainWindow::refreshChart() {}
void MainWindow::storeChartDrawings() {}

void MainWindow::requestBinanceKlines(const QString &symbol)
{
    Q_UNUSED(symbol);
}
