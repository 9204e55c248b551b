#include "shell/main_window.h"

// The portfolios arrive with their own work; until then the buttons do nothing and the stored
// portfolios are kept as read so that a save writes them back unchanged.
void MainWindow::refreshPortfolio() {}
void MainWindow::addPortfolioPosition() {}
void MainWindow::removeSelectedPosition() {}
void MainWindow::createPortfolio() {}
void MainWindow::renamePortfolio() {}
void MainWindow::deletePortfolio() {}

void MainWindow::addPortfolioCashFlow(const QString &type)
{
    Q_UNUSED(type);
}

void MainWindow::editPositionRow(int row)
{
    Q_UNUSED(row);
}

void MainWindow::onPortfolioCurrencyChanged(const QString &text)
{
    Q_UNUSED(text);
}

void MainWindow::onPortfolioSelected(const QString &text)
{
    Q_UNUSED(text);
}

void MainWindow::onTransactionsContextMenu(const QPoint &pos)
{
    Q_UNUSED(pos);
}

void MainWindow::loadPortfolios(const QJsonObject &portfolios, const QJsonArray &legacyPortfolio)
{
    portfoliosAsRead = portfolios;
    legacyPortfolioAsRead = legacyPortfolio;
}

QJsonObject MainWindow::portfoliosToJson() const
{
    return portfoliosAsRead;
}
