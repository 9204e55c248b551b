#include "shell/main_window.h"

#include <limits>

// The chart's history, drawings and change handling arrive with the chart's own work.
void MainWindow::onChartChanged() {}
void MainWindow::refreshChart() {}

// Placeholders for the indicator functions, which are merged from the candle and indicator work:
// no value yet, so the indicator cells show "--".
double MainWindow::latestSma(const CandleList &, int)
{
    return std::numeric_limits<double>::quiet_NaN();
}

double MainWindow::latestEma(const CandleList &, int)
{
    return std::numeric_limits<double>::quiet_NaN();
}

double MainWindow::latestVwap(const CandleList &, bool)
{
    return std::numeric_limits<double>::quiet_NaN();
}
