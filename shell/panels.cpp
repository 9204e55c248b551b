#include "app/startup_log.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

// Builds every panel in its fixed order; each subsystem builds its own and the frame places them.
void MainWindow::buildPanels()
{
    QWidget *root = buildRootWidget();
    QWidget *topBar = buildTopBar(root);
    buildQuoteTable(root);
    QWidget *chartPanel = buildChartPanel(root);
    QWidget *bookPanel = buildBookPanel(root);
    QWidget *moversPage = buildMoversPage(root);
    QWidget *screenerPage = buildScreenerPage(root);
    QWidget *newsPage = buildNewsPage(root);
    QWidget *portfolioPage = buildPortfolioPage(root);
    QWidget *tapePage = buildTapePage(root);
    buildRightTabs(root, bookPanel, tapePage);
    buildCentralArea(root, topBar, chartPanel, moversPage, screenerPage, newsPage, portfolioPage);
}

QWidget *MainWindow::buildRootWidget()
{
    auto *root = new QWidget(this);
    auto *layout = new QVBoxLayout(root);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(10);
    writeStartupLog(QStringLiteral("MainWindow ctor: root layout created"));
    return root;
}

void MainWindow::buildRightTabs(QWidget *root, QWidget *bookPanel, QWidget *tapePage)
{
    rightTabs = new QTabWidget(root);
    rightTabs->setMinimumWidth(250);
    rightTabs->addTab(bookPanel, localizedText(QStringLiteral("Book"), QStringLiteral("Livro")));
    rightTabs->addTab(tapePage, localizedText(QStringLiteral("Tape"), QStringLiteral("Fita")));
    writeStartupLog(QStringLiteral("MainWindow ctor: right tabs created"));
}

void MainWindow::buildCentralArea(QWidget *root, QWidget *topBar, QWidget *chartPanel, QWidget *moversPage,
                                  QWidget *screenerPage, QWidget *newsPage, QWidget *portfolioPage)
{
    eventConsole = new QPlainTextEdit(root);
    eventConsole->setObjectName(QStringLiteral("eventConsole"));
    eventConsole->setReadOnly(true);
    eventConsole->setMaximumBlockCount(300);
    auto *consolePage = new QWidget(root);
    auto *consoleLayout = new QVBoxLayout(consolePage);
    consoleLayout->setContentsMargins(0, 0, 0, 0);
    consoleLayout->setSpacing(0);
    consoleLayout->addWidget(eventConsole, 0);

    auto *historyPage = new QWidget(root);
    auto *historyLayout = new QVBoxLayout(historyPage);
    historyLayout->setContentsMargins(0, 0, 0, 0);
    historyLayout->setSpacing(0);
    alertHistoryTable = new QTableWidget(0, 7, historyPage);
    applyStandardTableSettings(alertHistoryTable);
    alertHistoryTable->setContextMenuPolicy(Qt::CustomContextMenu);
    alertHistoryTable->setHorizontalHeaderLabels(
        {localizedText(QStringLiteral("Time"), QString::fromUtf8("Horário")),
         localizedText(QStringLiteral("Event"), QStringLiteral("Evento")),
         localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
         localizedText(QStringLiteral("Condition"), QString::fromUtf8("Condição")),
         localizedText(QStringLiteral("Target"), QStringLiteral("Alvo")),
         localizedText(QStringLiteral("Price"), QString::fromUtf8("Preço")), QStringLiteral("Status")});
    historyLayout->addWidget(alertHistoryTable, 1);

    bottomTabs = new QTabWidget(root);
    bottomTabs->setObjectName(QStringLiteral("bottomTabs"));
    // No fixed least height: the alert history's least height (rows it keeps in view, set with the
    // theme) decides it, so a small window cannot squeeze the pane down to its tab bar.
    bottomTabs->addTab(consolePage, QStringLiteral("Terminal"));
    bottomTabs->addTab(historyPage, localizedText(QStringLiteral("History"), QString::fromUtf8("Histórico")));

    leftSplitter = new QSplitter(Qt::Vertical, root);
    leftSplitter->addWidget(quoteTable);
    leftSplitter->addWidget(chartPanel);
    leftSplitter->addWidget(bottomTabs);
    leftSplitter->setStretchFactor(0, 4);
    leftSplitter->setStretchFactor(1, 3);
    leftSplitter->setStretchFactor(2, 1);
    leftSplitter->setChildrenCollapsible(false);
    leftSplitter->setSizes({360, 300, 130});

    workspaceSplitter = new QSplitter(Qt::Horizontal, root);
    workspaceSplitter->addWidget(leftSplitter);
    workspaceSplitter->addWidget(rightTabs);
    workspaceSplitter->setStretchFactor(0, 4);
    workspaceSplitter->setStretchFactor(1, 1);
    workspaceSplitter->setChildrenCollapsible(false);

    auto *terminalPage = new QWidget(root);
    auto *terminalLayout = new QVBoxLayout(terminalPage);
    terminalLayout->setContentsMargins(0, 0, 0, 0);
    terminalLayout->setSpacing(0);
    quoteTilesBar = new QWidget(terminalPage);
    quoteTilesBar->setObjectName(QStringLiteral("quoteTilesBar"));
    quoteTilesLayout = new QGridLayout(quoteTilesBar);
    quoteTilesLayout->setContentsMargins(0, 4, 0, 4);
    quoteTilesLayout->setSpacing(4);
    quoteTileLabels.clear();
    for (int i = 0; i < 4; ++i) {
        auto *tile = new QLabel(QStringLiteral("--"), quoteTilesBar);
        tile->setObjectName(QStringLiteral("quoteTile"));
        tile->setAlignment(Qt::AlignCenter);
        tile->setMinimumWidth(0);
        tile->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        quoteTileLabels.append(tile);
        quoteTilesLayout->addWidget(tile, 0, i);
    }
    terminalLayout->addWidget(quoteTilesBar, 0);
    terminalLayout->addWidget(workspaceSplitter, 1);

    mainTabs = new QTabWidget(root);
    mainTabs->setObjectName(QStringLiteral("mainTabs"));
    mainTabs->addTab(terminalPage, QStringLiteral("Terminal"));
    mainTabs->addTab(moversPage, localizedText(QStringLiteral("Movers"), QString::fromUtf8("Oscilações")));
    mainTabs->addTab(screenerPage, localizedText(QStringLiteral("Screener"), QStringLiteral("Rastreador")));
    mainTabs->addTab(newsPage, localizedText(QStringLiteral("News"), QString::fromUtf8("Notícias")));
    mainTabs->addTab(portfolioPage, localizedText(QStringLiteral("Portfolio"), QStringLiteral("Carteira")));

    auto *rootLayout = static_cast<QVBoxLayout *>(root->layout());
    rootLayout->addWidget(topBar, 0);
    rootLayout->addWidget(mainTabs, 1);
    setCentralWidget(root);
    writeStartupLog(QStringLiteral("MainWindow ctor: central widget set"));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (quoteTable) {
        if (watched == quoteTable && event->type() == QEvent::KeyPress) {
            if (handleQuoteTableKey(static_cast<QKeyEvent *>(event)))
                return true;
        } else if (watched == quoteTable->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                                         event->type() == QEvent::MouseButtonRelease)) {
            if (handleQuoteTableMouse(static_cast<QMouseEvent *>(event)))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutQuoteTiles();
}
