#include "shell/main_window.h"

#include <QPushButton>

// Each tooltip names the key its command has now, so an override made in the shortcut dialog shows at
// once and in the current language.
void MainWindow::updateChartToolTips()
{
    auto setTip = [](QPushButton *button, const QString &text) {
        if (button)
            button->setToolTip(text);
    };
    setTip(chartSelectButton, localizedText(QStringLiteral("Select (%1)"), QStringLiteral("Selecionar (%1)"))
                                  .arg(shortcutText(QStringLiteral("chart_select"))));
    setTip(chartResetButton, localizedText(QStringLiteral("Reset zoom to the latest candle (%1)"),
                                           QStringLiteral("Resetar zoom para o candle mais recente (%1)"))
                                 .arg(shortcutText(QStringLiteral("chart_reset"))));
    setTip(chartHLineButton,
           localizedText(QStringLiteral("Horizontal line (%1). Hold Ctrl to snap price to OHLC."),
                         QStringLiteral("Linha horizontal (%1). Segure Ctrl para encaixar no OHLC."))
               .arg(shortcutText(QStringLiteral("chart_hline"))));
    setTip(chartVLineButton,
           localizedText(QStringLiteral("Vertical line (%1). Time snaps to the nearest candle."),
                         QString::fromUtf8("Linha vertical (%1). O tempo encaixa no candle mais próximo."))
               .arg(shortcutText(QStringLiteral("chart_vline"))));
    setTip(chartTrendButton,
           localizedText(QStringLiteral("Trend line (%1). Hold Ctrl to snap prices to OHLC."),
                         QString::fromUtf8("Linha de tendência (%1). Segure Ctrl para encaixar no OHLC."))
               .arg(shortcutText(QStringLiteral("chart_trend"))));
}
