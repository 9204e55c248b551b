#include "shell/main_window.h"

void MainWindow::onAddPositionClicked()
{
    addPortfolioPosition();
}

void MainWindow::onRemovePositionClicked()
{
    removeSelectedPosition();
}

void MainWindow::onNewPortfolioClicked()
{
    createPortfolio();
}

void MainWindow::onRenamePortfolioClicked()
{
    renamePortfolio();
}

void MainWindow::onDeletePortfolioClicked()
{
    deletePortfolio();
}

void MainWindow::onAddCashFlowClicked()
{
    addPortfolioCashFlow(QStringLiteral("cash"));
}

void MainWindow::onAddDividendClicked()
{
    addPortfolioCashFlow(QStringLiteral("dividend"));
}

void MainWindow::onPositionDoubleClicked(int row, int column)
{
    Q_UNUSED(column);
    editPositionRow(row);
}
