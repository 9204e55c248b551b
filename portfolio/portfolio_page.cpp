#include "app/startup_log.h"
#include "shell/content_columns.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// The portfolio tables keep the style's plain rows; their columns widen to their contents.
QTableWidget *portfolioTable(int columns, QWidget *parent)
{
    auto *table = new QTableWidget(0, columns, parent);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Sortable on a header click, but shown in the order the user entered things until then: the
    // header's own default would sort every rebuild by the first column, descending.
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setSortingEnabled(true);
    keepColumnsWideForContents(table);
    return table;
}
} // namespace

QWidget *MainWindow::buildPortfolioPage(QWidget *root)
{
    auto [page, pageLayout, header, grid] = makePanelPage(root, -1);
    portfolioTitleLabel = new QLabel(
        localizedText(QStringLiteral("PORTFOLIO / P&L"), QStringLiteral("CARTEIRA / RESULTADO")), header);
    portfolioTitleLabel->setObjectName(QStringLiteral("panelTitle"));
    portfolioSummaryLabel = new QLabel(QStringLiteral("--"), header);
    // The summary carries the base currency as stored, which a synced file may fill with anything.
    portfolioSummaryLabel->setTextFormat(Qt::PlainText);
    portfolioCombo = new QComboBox(header);
    portfolioNewButton =
        new QPushButton(localizedText(QStringLiteral("New"), QStringLiteral("Nova")), header);
    portfolioRenameButton =
        new QPushButton(localizedText(QStringLiteral("Rename"), QStringLiteral("Renomear")), header);
    portfolioDeleteButton =
        new QPushButton(localizedText(QStringLiteral("Delete"), QStringLiteral("Excluir")), header);
    portfolioCurrencyCombo = new QComboBox(header);
    portfolioCurrencyCombo->addItems({QStringLiteral("BRL"), QStringLiteral("USD")});
    portfolioCashFlowButton =
        new QPushButton(localizedText(QStringLiteral("Cash flow"), QStringLiteral("Fluxo de caixa")), header);
    portfolioDividendButton =
        new QPushButton(localizedText(QStringLiteral("Dividend"), QStringLiteral("Dividendo")), header);
    portfolioAddPositionButton = new QPushButton(
        localizedText(QStringLiteral("Add position"), QString::fromUtf8("Adicionar posição")), header);
    portfolioRemoveButton =
        new QPushButton(localizedText(QStringLiteral("Remove"), QStringLiteral("Remover")), header);
    grid->addWidget(portfolioTitleLabel, 0, 0);
    grid->addWidget(portfolioSummaryLabel, 0, 1, 1, 2);
    grid->addWidget(portfolioCombo, 1, 0);
    grid->addWidget(portfolioNewButton, 1, 1);
    grid->addWidget(portfolioRenameButton, 1, 2);
    grid->addWidget(portfolioDeleteButton, 1, 3);
    grid->addWidget(portfolioCurrencyCombo, 2, 0);
    grid->addWidget(portfolioCashFlowButton, 2, 1);
    grid->addWidget(portfolioDividendButton, 2, 2);
    grid->addWidget(portfolioAddPositionButton, 3, 1, 1, 2);
    grid->addWidget(portfolioRemoveButton, 3, 3);
    grid->setColumnStretch(1, 1);

    portfolioTabs = new QTabWidget(page);
    positionsTable = portfolioTable(7, portfolioTabs);
    transactionsTable = portfolioTable(6, portfolioTabs);
    transactionsTable->setContextMenuPolicy(Qt::CustomContextMenu);
    setPortfolioTableHeaders();
    portfolioTabs->addTab(positionsTable,
                          localizedText(QStringLiteral("Positions"), QString::fromUtf8("Posições")));
    portfolioTabs->addTab(transactionsTable,
                          withLiteralAmpersands(localizedText(QStringLiteral("Cash & dividends"),
                                                              QStringLiteral("Caixa e dividendos"))));

    pageLayout->addWidget(header, 0);
    pageLayout->addWidget(portfolioTabs, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: portfolio panel created"));
    return page;
}

void MainWindow::setPortfolioTableHeaders()
{
    if (positionsTable)
        positionsTable->setHorizontalHeaderLabels(
            {localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
             localizedText(QStringLiteral("Quantity"), QStringLiteral("Quantidade")),
             localizedText(QStringLiteral("Avg Price"), QString::fromUtf8("Preço médio")),
             localizedText(QStringLiteral("Last"), QString::fromUtf8("Último")),
             localizedText(QStringLiteral("Market Value"), QStringLiteral("Valor atual")),
             localizedText(QStringLiteral("P&L"), QStringLiteral("Resultado")), QStringLiteral("P&L %")});
    if (transactionsTable)
        transactionsTable->setHorizontalHeaderLabels(
            {localizedText(QStringLiteral("Time"), QString::fromUtf8("Horário")),
             localizedText(QStringLiteral("Type"), QStringLiteral("Tipo")),
             localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
             localizedText(QStringLiteral("Amount"), QStringLiteral("Valor")),
             localizedText(QStringLiteral("Currency"), QStringLiteral("Moeda")),
             localizedText(QStringLiteral("Note"), QString::fromUtf8("Observação"))});
}
