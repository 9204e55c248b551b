#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>

namespace {
// The alert history keeps this many rows in view however small the window: fewer reads as an empty
// pane, and the bottom tabs take their least height from it.
constexpr int kAlertHistoryRowsInView = 3;
// The chart tools' own floor; their texts may ask for more.
constexpr int kChartToolMinimumWidth = 58;
} // namespace

void MainWindow::fitControlsToTexts()
{
    // A combo measured once, at its first show, cuts the longer items of the other language.
    for (QComboBox *combo : {chartModeCombo, chartTimeframeCombo, moversScopeCombo, moversIntervalCombo,
                             moversSectorCombo, screenerScopeCombo, screenerAssetCombo, newsSourceCombo,
                             newsRegionCombo, portfolioCombo, portfolioCurrencyCombo})
        if (combo)
            combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    for (QPushButton *tool :
         {chartSelectButton, chartResetButton, chartHLineButton, chartVLineButton, chartTrendButton})
        holdWidthForText(tool, kChartToolMinimumWidth);

    if (alertHistoryTable)
        alertHistoryTable->setMinimumHeight(tableHeightForRows(alertHistoryTable, kAlertHistoryRowsInView));
}
