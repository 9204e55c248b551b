#include "chart/price_chart.h"
#include "movers/movers_mosaic.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>

namespace {
void configureTimer(QTimer &timer, int intervalMs, bool singleShot)
{
    timer.setInterval(intervalMs);
    timer.setSingleShot(singleShot);
}
} // namespace

// Every widget, socket and timer reports to one member of the window, with the window as the context of
// the connection. The order follows the panels; each timer is configured right before it is connected.
void MainWindow::connectSignals()
{
    connect(addSymbolButton, &QPushButton::clicked, this, [this]() { onAddSymbolClicked(); });
    connect(refreshQuotesButton, &QPushButton::clicked, this, [this]() { onRefreshQuotesClicked(); });
    connect(moversRefreshButton, &QPushButton::clicked, this, [this]() { onMoversRefreshRequested(); });
    for (QComboBox *combo : {moversScopeCombo, moversIntervalCombo, moversSectorCombo})
        connect(combo, &QComboBox::currentTextChanged, this, [this]() { onMoversFilterChanged(); });
    for (QDoubleSpinBox *spin : {moversMinVolumeSpin, moversMinTurnoverSpin})
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this]() { onMoversFilterChanged(); });
    connect(screenerRefreshButton, &QPushButton::clicked, this, [this]() { onScreenerRefreshRequested(); });
    connect(portfolioAddPositionButton, &QPushButton::clicked, this, [this]() { onAddPositionClicked(); });
    connect(portfolioRemoveButton, &QPushButton::clicked, this, [this]() { onRemovePositionClicked(); });
    connect(portfolioNewButton, &QPushButton::clicked, this, [this]() { onNewPortfolioClicked(); });
    connect(portfolioRenameButton, &QPushButton::clicked, this, [this]() { onRenamePortfolioClicked(); });
    connect(portfolioDeleteButton, &QPushButton::clicked, this, [this]() { onDeletePortfolioClicked(); });
    connect(portfolioCashFlowButton, &QPushButton::clicked, this, [this]() { onAddCashFlowClicked(); });
    connect(portfolioDividendButton, &QPushButton::clicked, this, [this]() { onAddDividendClicked(); });
    connect(portfolioCurrencyCombo, &QComboBox::currentTextChanged, this,
            [this](const QString &text) { onPortfolioCurrencyChanged(text); });
    connect(transactionsTable, &QTableWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { onTransactionsContextMenu(pos); });
    connect(portfolioCombo, &QComboBox::currentTextChanged, this,
            [this](const QString &text) { onPortfolioSelected(text); });
    connect(positionsTable, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { onPositionDoubleClicked(row, column); });
    for (QComboBox *combo : {screenerScopeCombo, screenerAssetCombo})
        connect(combo, &QComboBox::currentTextChanged, this, [this]() { onScreenerFilterChanged(); });
    connect(screenerMinChangeSpin, &QDoubleSpinBox::valueChanged, this,
            [this]() { onScreenerFilterChanged(); });
    connect(screenerFilterEdit, &QLineEdit::textChanged, this, [this]() { onScreenerRefreshRequested(); });
    connect(screenerTable, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { onScreenerCellActivated(row, column); });
    connect(newsRefreshButton, &QPushButton::clicked, this, [this]() { onNewsRefreshRequested(); });
    connect(newsQueryEdit, &QLineEdit::returnPressed, this, [this]() { onNewsRefreshRequested(); });
    for (QComboBox *combo : {newsSourceCombo, newsRegionCombo})
        connect(combo, &QComboBox::currentTextChanged, this, [this]() { onNewsRefreshRequested(); });
    connect(newsTable, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { onNewsCellActivated(row, column); });
    QWidget *newsPage = nullptr;
    for (int index = 0; index < mainTabs->count(); ++index) {
        QWidget *page = mainTabs->widget(index);
        if (page == newsTable || page->isAncestorOf(newsTable))
            newsPage = page;
    }
    connect(mainTabs, &QTabWidget::currentChanged, this,
            [this, newsPage](int index) { onNewsTabShown(index, newsPage); });
    connect(bookStepSpin, &QDoubleSpinBox::valueChanged, this, [this]() { onBookStepChanged(); });
    connect(tapeClearButton, &QPushButton::clicked, this, [this]() { onTapeClearClicked(); });
    connect(tapeSideCombo, &QComboBox::currentTextChanged, this, [this]() { onTapeFilterChanged(); });
    connect(tapeMinSizeSpin, &QDoubleSpinBox::valueChanged, this, [this]() { onTapeFilterChanged(); });
    moversMosaic->setActivationCallback([this](const QString &symbol) { onMosaicTileActivated(symbol); });
    gainersTable->setContextMenuPolicy(Qt::CustomContextMenu);
    losersTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(gainersTable, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { onGainersDoubleClicked(row, column); });
    connect(losersTable, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int column) { onLosersDoubleClicked(row, column); });
    connect(gainersTable, &QTableWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { onGainersContextMenu(pos); });
    connect(losersTable, &QTableWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { onLosersContextMenu(pos); });
    connect(alertHistoryTable, &QTableWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { onAlertHistoryContextMenu(pos); });
    connect(chartSelectButton, &QPushButton::clicked, this, [this]() { onChartToolSelect(); });
    connect(chartResetButton, &QPushButton::clicked, this, [this]() { onChartResetZoom(); });
    connect(chartHLineButton, &QPushButton::clicked, this, [this]() { onChartToolHLine(); });
    connect(chartVLineButton, &QPushButton::clicked, this, [this]() { onChartToolVLine(); });
    connect(chartTrendButton, &QPushButton::clicked, this, [this]() { onChartToolTrend(); });
    priceChart->setDrawModeCallback([this](PriceChart::DrawMode mode) { onChartDrawModeChanged(mode); });
    connect(symbolInput, &QLineEdit::returnPressed, this, [this]() { onAddSymbolClicked(); });
    connect(symbolInput, &QLineEdit::textEdited, this,
            [this](const QString &text) { onSymbolSearchEdited(text); });
    connect(quoteTable, &QTableWidget::itemSelectionChanged, this, [this]() { onQuoteSelectionChanged(); });
    connect(quoteTable, &QTableWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { onWatchlistContextMenu(pos); });
    connect(quoteTable->horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint &pos) { onQuoteHeaderContextMenu(pos); });
    connect(chartModeCombo, &QComboBox::currentIndexChanged, this, [this]() { onChartModeChanged(); });
    connect(chartTimeframeCombo, &QComboBox::currentTextChanged, this,
            [this]() { onChartTimeframeChanged(); });

    connect(&tickerSocket, &QWebSocket::connected, this, [this]() { onTickerSocketConnected(); });
    connect(&tickerSocket, &QWebSocket::disconnected, this, [this]() { onTickerSocketDisconnected(); });
    connect(&tickerSocket, &QWebSocket::textMessageReceived, this,
            [this](const QString &message) { onTickerSocketMessage(message); });
    connect(&depthSocket, &QWebSocket::connected, this, [this]() { onDepthSocketConnected(); });
    connect(&depthSocket, &QWebSocket::disconnected, this, [this]() { onDepthSocketDisconnected(); });
    connect(&depthSocket, &QWebSocket::textMessageReceived, this,
            [this](const QString &message) { onDepthSocketMessage(message); });
    connect(&tradeSocket, &QWebSocket::connected, this, [this]() { onTradeSocketConnected(); });
    connect(&tradeSocket, &QWebSocket::disconnected, this, [this]() { onTradeSocketDisconnected(); });
    connect(&tradeSocket, &QWebSocket::textMessageReceived, this,
            [this](const QString &message) { onTradeSocketMessage(message); });
    connect(&itickSocket, &QWebSocket::connected, this, [this]() { onItickSocketConnected(); });
    connect(&itickSocket, &QWebSocket::disconnected, this, [this]() { onItickSocketDisconnected(); });
    connect(&itickSocket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this](QAbstractSocket::SocketError error) { onItickSocketError(error); });
    connect(&itickSocket, &QWebSocket::textMessageReceived, this,
            [this](const QString &message) { onItickSocketMessage(message); });

    configureTimer(quotePollTimer, 15000, false);
    connect(&quotePollTimer, &QTimer::timeout, this, [this]() { onQuotePollTimer(); });
    configureTimer(moversTimer, 60000, false);
    connect(&moversTimer, &QTimer::timeout, this, [this]() { onMoversRefreshRequested(); });
    configureTimer(newsTimer, 60000, false);
    connect(&newsTimer, &QTimer::timeout, this, [this]() { onNewsRefreshRequested(); });
    configureTimer(symbolSearchTimer, 350, true);
    connect(&symbolSearchTimer, &QTimer::timeout, this, [this]() { onSymbolSearchTimer(); });
    configureTimer(settingsSaveTimer, 450, true);
    connect(&settingsSaveTimer, &QTimer::timeout, this, [this]() { onSaveSettingsTimeout(); });
    connect(leftSplitter, &QSplitter::splitterMoved, this, [this]() { onSplitterMoved(); });
    connect(workspaceSplitter, &QSplitter::splitterMoved, this, [this]() { onSplitterMoved(); });
    configureTimer(usdBrlTimer, 60000, false);
    connect(&usdBrlTimer, &QTimer::timeout, this, [this]() { onUsdBrlTickerTimer(); });
    configureTimer(itickPingTimer, 30000, false);
    connect(&itickPingTimer, &QTimer::timeout, this, [this]() { onItickPingTimer(); });
    configureTimer(itickDepthTimer, 7000, true);
    connect(&itickDepthTimer, &QTimer::timeout, this, [this]() { onItickDepthTimeout(); });
    // Each retry starts this one with its own delay.
    itickRetryTimer.setSingleShot(true);
    connect(&itickRetryTimer, &QTimer::timeout, this, [this]() { onItickRetryTimer(); });
    // A dropped Binance stream comes back after its back-off; each start carries its own delay.
    tickerReconnectTimer.setSingleShot(true);
    connect(&tickerReconnectTimer, &QTimer::timeout, this,
            [this]() { onStreamReconnectTimer(tickerSocket); });
    depthReconnectTimer.setSingleShot(true);
    connect(&depthReconnectTimer, &QTimer::timeout, this, [this]() { onStreamReconnectTimer(depthSocket); });
    tradeReconnectTimer.setSingleShot(true);
    connect(&tradeReconnectTimer, &QTimer::timeout, this, [this]() { onStreamReconnectTimer(tradeSocket); });
}
