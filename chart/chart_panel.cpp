#include "app/startup_log.h"
#include "chart/price_chart.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void MainWindow::createChartSelectionCombos(QWidget *topBar)
{
    // Both live in the top bar's ownership until the chart toolbar lays them out.
    chartModeCombo = new QComboBox(topBar);
    chartModeCombo->addItem(QStringLiteral("Line"), QStringLiteral("line"));
    chartModeCombo->addItem(QStringLiteral("Candle"), QStringLiteral("candle"));

    // Each item's text is the timeframe key itself, the same in both languages.
    chartTimeframeCombo = new QComboBox(topBar);
    chartTimeframeCombo->addItems({QStringLiteral("1m"), QStringLiteral("5m"), QStringLiteral("15m"),
                                   QStringLiteral("30m"), QStringLiteral("1h"), QStringLiteral("4h"),
                                   QStringLiteral("1d"), QStringLiteral("1mo")});
}

QWidget *MainWindow::buildChartPanel(QWidget *root)
{
    priceChart = new PriceChart(root);
    priceChart->setStatusCallback([this](const QString &text) { onChartStatusMessage(text); });
    priceChart->setChangedCallback([this]() { onChartChanged(); });

    auto *chartPanel = new QWidget(root);
    auto *panelLayout = new QVBoxLayout(chartPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(4);
    auto *toolbar = new QWidget(chartPanel);
    toolbar->setObjectName(QStringLiteral("chartToolbar"));
    auto *grid = new QGridLayout(toolbar);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);

    chartTitleLabel =
        new QLabel(localizedText(QStringLiteral("Chart"), QString::fromUtf8("Gráfico")), toolbar);
    chartTitleLabel->setObjectName(QStringLiteral("panelTitle"));

    chartSelectButton =
        new QPushButton(localizedText(QStringLiteral("Select"), QStringLiteral("Selecionar")), toolbar);
    chartResetButton =
        new QPushButton(localizedText(QStringLiteral("Reset"), QStringLiteral("Resetar")), toolbar);
    chartHLineButton = new QPushButton(QStringLiteral("HLine"), toolbar);
    chartVLineButton = new QPushButton(QStringLiteral("VLine"), toolbar);
    chartTrendButton = new QPushButton(QStringLiteral("Trend"), toolbar);
    const QList<QPushButton *> tools = {chartSelectButton, chartResetButton, chartHLineButton,
                                        chartVLineButton, chartTrendButton};
    for (QPushButton *button : tools) {
        button->setObjectName(QStringLiteral("chartToolButton"));
        button->setMinimumWidth(58);
        button->setMaximumWidth(92);
    }
    writeStartupLog(QStringLiteral("MainWindow ctor: chart toolbar partially created"));

    chartSelectButton->setCheckable(true);
    chartSelectButton->setShortcut(QKeySequence(QStringLiteral("Alt+1")));
    chartSelectButton->setToolTip(
        localizedText(QStringLiteral("Select (Alt+1)"), QStringLiteral("Selecionar (Alt+1)")));
    chartResetButton->setShortcut(QKeySequence(QStringLiteral("Alt+0")));
    chartResetButton->setToolTip(
        localizedText(QStringLiteral("Reset zoom to the latest candle (Alt+0)"),
                      QStringLiteral("Resetar zoom para o candle mais recente (Alt+0)")));
    chartHLineButton->setCheckable(true);
    chartHLineButton->setShortcut(QKeySequence(QStringLiteral("Alt+2")));
    chartHLineButton->setToolTip(
        localizedText(QStringLiteral("Horizontal line (Alt+2). Hold Ctrl to snap price to OHLC."),
                      QStringLiteral("Linha horizontal (Alt+2). Segure Ctrl para encaixar no OHLC.")));
    chartVLineButton->setCheckable(true);
    chartVLineButton->setShortcut(QKeySequence(QStringLiteral("Alt+3")));
    chartVLineButton->setToolTip(
        localizedText(QStringLiteral("Vertical line (Alt+3). Time snaps to the nearest candle."),
                      QString::fromUtf8("Linha vertical (Alt+3). O tempo encaixa no candle mais próximo.")));
    chartTrendButton->setCheckable(true);
    chartTrendButton->setShortcut(QKeySequence(QStringLiteral("Alt+4")));
    chartTrendButton->setToolTip(
        localizedText(QStringLiteral("Trend line (Alt+4). Hold Ctrl to snap prices to OHLC."),
                      QString::fromUtf8("Linha de tendência (Alt+4). Segure Ctrl para encaixar no OHLC.")));
    chartSelectButton->setChecked(true);

    grid->addWidget(chartTitleLabel, 0, 0, 1, 1);
    grid->addWidget(chartModeCombo, 0, 1, 1, 1);
    grid->addWidget(chartTimeframeCombo, 0, 2, 1, 1);
    grid->addWidget(chartSelectButton, 1, 0, 1, 2);
    grid->addWidget(chartResetButton, 1, 2, 1, 2);
    grid->addWidget(chartHLineButton, 1, 4, 1, 1);
    grid->addWidget(chartVLineButton, 1, 5, 1, 1);
    grid->addWidget(chartTrendButton, 1, 6, 1, 2);
    grid->setColumnStretch(3, 1);

    panelLayout->addWidget(toolbar, 0);
    panelLayout->addWidget(priceChart, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: chart panel created"));
    return chartPanel;
}

void MainWindow::onChartStatusMessage(const QString &text)
{
    appendEventLog(text);
}
