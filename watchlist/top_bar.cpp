#include "app/startup_log.h"
#include "shell/content_columns.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QAbstractItemView>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QWidget *MainWindow::buildTopBar(QWidget *root)
{
    auto *topBar = new QWidget(root);
    auto *grid = new QGridLayout(topBar);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    writeStartupLog(QStringLiteral("MainWindow ctor: top layout created"));

    auto *brand = new QWidget(topBar);
    brand->setObjectName(QStringLiteral("terminalBrand"));
    auto *brandLayout = new QVBoxLayout(brand);
    brandLayout->setContentsMargins(0, 0, 10, 0);
    brandLayout->setSpacing(2);
    auto *logo = new QLabel(brand);
    logo->setObjectName(QStringLiteral("brandLogo"));
    logo->setAlignment(Qt::AlignCenter);
    logo->setPixmap(QPixmap(QStringLiteral(":/icons/icons/murvex_terminal.png"))
                        .scaled(34, 34, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto *title = new QLabel(QStringLiteral("Murvex"), brand);
    title->setObjectName(QStringLiteral("terminalTitle"));
    title->setAlignment(Qt::AlignCenter);
    brandLayout->addWidget(logo, 0);
    brandLayout->addWidget(title, 0);
    writeStartupLog(QStringLiteral("MainWindow ctor: brand created"));

    symbolInput = new QLineEdit(topBar);
    symbolInput->setPlaceholderText(
        localizedText(QStringLiteral("Search ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL"),
                      QStringLiteral("Buscar ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL")));
    symbolInput->setClearButtonEnabled(true);
    writeStartupLog(QStringLiteral("MainWindow ctor: before setupCompleter"));
    setupCompleter();
    writeStartupLog(QStringLiteral("MainWindow ctor: after setupCompleter"));
    writeStartupLog(QStringLiteral("MainWindow ctor: before loadSymbolClassifications"));
    loadSymbolClassifications();
    writeStartupLog(QStringLiteral("MainWindow ctor: after loadSymbolClassifications"));

    createChartSelectionCombos(topBar);

    addSymbolButton =
        new QPushButton(localizedText(QStringLiteral("Add"), QStringLiteral("Adicionar")), topBar);
    refreshQuotesButton =
        new QPushButton(localizedText(QStringLiteral("Refresh"), QStringLiteral("Atualizar")), topBar);

    fxTickerLabel = new QLabel(QStringLiteral("USD/BRL --"), topBar);
    fxTickerLabel->setObjectName(QStringLiteral("fxTicker"));
    fxTickerLabel->setAlignment(Qt::AlignCenter);
    fxTickerLabel->setMinimumWidth(118);

    grid->addWidget(brand, 0, 0, 2, 1);
    grid->addWidget(symbolInput, 0, 1, 1, 3);
    grid->addWidget(fxTickerLabel, 1, 1, 1, 1);
    grid->addWidget(addSymbolButton, 1, 2, 1, 1);
    grid->addWidget(refreshQuotesButton, 1, 3, 1, 1);
    grid->setColumnStretch(1, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: top bar created"));
    return topBar;
}

void MainWindow::buildQuoteTable(QWidget *root)
{
    quoteTable = new QTableWidget(0, QuoteColumnCount, root);
    // The language switch re-labels these; at construction they are the English ones.
    quoteTable->setHorizontalHeaderLabels(
        {QStringLiteral("Symbol"), QStringLiteral("Asset"), QStringLiteral("Open"), QStringLiteral("High"),
         QStringLiteral("Low"), QStringLiteral("Close"), QStringLiteral("Last"), QStringLiteral("Change"),
         QStringLiteral("SMA20"), QStringLiteral("EMA20"), QStringLiteral("VWAP"), QStringLiteral("MACD"),
         QStringLiteral("Source"), QStringLiteral("Latency"), QStringLiteral("Status"),
         QStringLiteral("Updated")});
    quoteTable->verticalHeader()->setVisible(false);
    quoteTable->horizontalHeader()->setStretchLastSection(true);
    quoteTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    quoteTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    quoteTable->setAlternatingRowColors(true);
    quoteTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No sort column until the user clicks a header: restoring sorting after a row is written must keep
    // the rows in the order the watchlist gives them.
    quoteTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    quoteTable->setSortingEnabled(true);
    // Rows are moved by the window's own drag handling, never by the view's drag and drop.
    quoteTable->setDragEnabled(false);
    quoteTable->setAcceptDrops(false);
    quoteTable->viewport()->setAcceptDrops(false);
    quoteTable->setDropIndicatorShown(false);
    quoteTable->setDragDropMode(QAbstractItemView::NoDragDrop);
    quoteTable->setContextMenuPolicy(Qt::CustomContextMenu);
    quoteTable->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    keepColumnsWideForContents(quoteTable);
    quoteTable->installEventFilter(this);
    quoteTable->viewport()->installEventFilter(this);
    writeStartupLog(QStringLiteral("MainWindow ctor: table created"));
}
