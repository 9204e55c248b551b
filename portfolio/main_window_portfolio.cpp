#include "portfolio/portfolio_valuation.h"
#include "shell/main_window.h"
#include "watchlist/market_table_item.h"
#include "watchlist/sorting_pause.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>

namespace {
const QList<PortfolioPosition> &noPositions()
{
    static const QList<PortfolioPosition> empty;
    return empty;
}

QTableWidgetItem *plainItem(const QString &text)
{
    return new QTableWidgetItem(text);
}

// Where the user is in a table: the selected row (by its column-0 text) and the scroll position. A
// rebuild drops both; the panel rebuilds on every quote, so both are put back after it.
class TablePlace
{
public:
    explicit TablePlace(QTableWidget *table)
        : m_table(table), m_vertical(table->verticalScrollBar()->value()),
          m_horizontal(table->horizontalScrollBar()->value())
    {
        const int row = table->currentRow();
        const QTableWidgetItem *item = row >= 0 ? table->item(row, 0) : nullptr;
        m_key = item ? item->text() : QString();
    }

    void restore() const
    {
        for (int row = 0; !m_key.isEmpty() && row < m_table->rowCount(); ++row) {
            const QTableWidgetItem *item = m_table->item(row, 0);
            if (item && item->text() == m_key) {
                m_table->setCurrentCell(row, 0);
                break;
            }
        }
        m_table->verticalScrollBar()->setValue(m_vertical);
        m_table->horizontalScrollBar()->setValue(m_horizontal);
    }

private:
    QTableWidget *m_table;
    QString m_key;
    int m_vertical;
    int m_horizontal;
};
} // namespace

void MainWindow::ensureDefaultPortfolio()
{
    if (activePortfolio.isEmpty())
        activePortfolio = defaultPortfolioName(isPortuguese());
    if (!portfolioPositions.contains(activePortfolio))
        portfolioPositions.insert(activePortfolio, {});
    if (!portfolioTransactions.contains(activePortfolio))
        portfolioTransactions.insert(activePortfolio, {});
    if (!portfolioBaseCurrency.contains(activePortfolio))
        portfolioBaseCurrency.insert(activePortfolio, QStringLiteral("BRL"));
}

const QList<PortfolioPosition> &MainWindow::activePositions() const
{
    const auto it = portfolioPositions.constFind(activePortfolio);
    return it == portfolioPositions.cend() ? noPositions() : it.value();
}

QList<PortfolioPosition> &MainWindow::activePositionsForEdit()
{
    ensureDefaultPortfolio();
    return portfolioPositions[activePortfolio];
}

int MainWindow::indexOfPosition(const QString &symbol) const
{
    return indexOfPositionIn(activePositions(), symbol);
}

QJsonArray MainWindow::positionsToJson(const QList<PortfolioPosition> &positions) const
{
    return ::positionsToJson(positions);
}

QList<PortfolioPosition> MainWindow::positionsFromJson(const QJsonArray &array) const
{
    return ::positionsFromJson(array, [this](const QString &text) { return normalizeSymbol(text); });
}

QJsonObject MainWindow::portfoliosToJson() const
{
    return ::portfoliosToJson(
        PortfolioSet{portfolioPositions, portfolioTransactions, portfolioBaseCurrency, activePortfolio});
}

void MainWindow::loadPortfolios(const QJsonObject &portfolios, const QJsonArray &legacyPortfolio)
{
    PortfolioSet set = ::portfoliosFromJson(portfolios, legacyPortfolio, defaultPortfolioName(isPortuguese()),
                                            [this](const QString &text) { return normalizeSymbol(text); });
    portfolioPositions = std::move(set.positions);
    portfolioTransactions = std::move(set.transactions);
    portfolioBaseCurrency = std::move(set.baseCurrency);
    activePortfolio = set.active;
    populatePortfolioCombo();
    refreshPortfolio();
}

bool MainWindow::applySyncPortfoliosPayload(const QJsonValue &payload)
{
    if (!isApplicablePortfoliosPayload(payload))
        return false;
    loadPortfolios(payload.toObject(), QJsonArray());
    ensureDefaultPortfolio();
    populatePortfolioCombo();
    refreshPortfolio();
    return true;
}

QString MainWindow::positionCurrency(const PortfolioPosition &position) const
{
    return tradingCurrency(position.symbol);
}

double MainWindow::convertCurrency(double amount, const QString &from, const QString &to, bool *ok) const
{
    return ::convertCurrency(amount, from, to, usdBrlRate, ok);
}

void MainWindow::setPositionCell(int row, int column, const QString &text, std::optional<double> sortValue)
{
    if (!positionsTable)
        return;
    auto *item = new MarketTableItem(text);
    if (sortValue)
        item->setData(Qt::UserRole, *sortValue);
    positionsTable->setItem(row, column, item);
}

void MainWindow::refreshPortfolioSoon()
{
    portfolioRefreshCall.request([this] { refreshPortfolio(); });
}

void MainWindow::refreshPortfolio()
{
    if (!positionsTable || !portfolioSummaryLabel)
        return;
    // The selectors are filled at start-up even when no settings file was read.
    if (portfolioCombo && portfolioCombo->count() == 0)
        populatePortfolioCombo();
    const QList<PortfolioPosition> positions = activePositionsForEdit();
    const QString base = portfolioBaseCurrency.value(activePortfolio, QStringLiteral("BRL"));
    const PortfolioValuation valuation =
        valuePortfolio(positions, portfolioTransactions.value(activePortfolio), base, usdBrlRate,
                       [this](const QString &symbol) { return lastPriceForSymbol(symbol); });

    // This runs on every quote: the row the user selected must still be the selected one afterwards,
    // or Remove and a double-click would act on another position.
    const TablePlace place(positionsTable);
    {
        SortingPause pause(positionsTable);
        const QSignalBlocker quiet(positionsTable);
        positionsTable->setRowCount(0);
        for (const PositionValuation &value : valuation.positions) {
            const int row = positionsTable->rowCount();
            positionsTable->insertRow(row);
            for (int column = 0; column < value.cells.size(); ++column) {
                const PortfolioCell &cell = value.cells.at(column);
                setPositionCell(row, column, cell.text, cell.sortValue);
                if (!cell.color.isEmpty())
                    positionsTable->item(row, column)->setForeground(QBrush(QColor(cell.color)));
            }
        }
    }
    place.restore();

    portfolioSummaryLabel->setText(portfolioSummaryText(base, valuation.totals, isPortuguese()));
    portfolioSummaryLabel->setStyleSheet(portfolioSummaryStyle(valuation.totals));

    const ShownTransactions &shown = shownTransactions;
    if (!shown.valid || shown.portfolio != activePortfolio || shown.language != settings.language ||
        shown.transactions != portfolioTransactions.value(activePortfolio))
        refreshPortfolioTransactions();
}

void MainWindow::refreshPortfolioTransactions()
{
    if (!transactionsTable)
        return;
    const QList<PortfolioTransaction> transactions = portfolioTransactions.value(activePortfolio);
    const TablePlace place(transactionsTable);
    {
        SortingPause pause(transactionsTable);
        const QSignalBlocker quiet(transactionsTable);
        transactionsTable->setRowCount(0);
        for (const PortfolioTransaction &transaction : transactions) {
            const TransactionRow shown = transactionRow(transaction, isPortuguese());
            const int row = transactionsTable->rowCount();
            transactionsTable->insertRow(row);
            transactionsTable->setItem(row, 0, plainItem(shown.time));
            transactionsTable->setItem(row, 1, plainItem(shown.typeText));
            transactionsTable->setItem(row, 2, plainItem(shown.symbol));
            auto *amount = MarketTableItem::withNumber(shown.amountText, shown.amount);
            if (!shown.amountColor.isEmpty())
                amount->setForeground(QBrush(QColor(shown.amountColor)));
            transactionsTable->setItem(row, 3, amount);
            transactionsTable->setItem(row, 4, plainItem(shown.currency));
            transactionsTable->setItem(row, 5, plainItem(shown.note));
        }
    }
    place.restore();
    shownTransactions = {true, activePortfolio, settings.language, transactions};
}

void MainWindow::populatePortfolioCombo()
{
    if (!portfolioCombo)
        return;
    ensureDefaultPortfolio();
    portfolioCombosRefilling = true;
    portfolioCombo->clear();
    portfolioCombo->addItems(portfolioPositions.keys());
    const int index = portfolioCombo->findText(activePortfolio, Qt::MatchExactly | Qt::MatchCaseSensitive);
    portfolioCombo->setCurrentIndex(index >= 0 ? index : 0);
    portfolioCombosRefilling = false;
    syncPortfolioCurrencyCombo();
}

void MainWindow::syncPortfolioCurrencyCombo()
{
    if (!portfolioCurrencyCombo)
        return;
    portfolioCombosRefilling = true;
    portfolioCurrencyCombo->setCurrentText(
        portfolioBaseCurrency.value(activePortfolio, QStringLiteral("BRL")));
    portfolioCombosRefilling = false;
}

void MainWindow::onPortfolioSelected(const QString &text)
{
    if (portfolioCombosRefilling || text.isEmpty())
        return;
    activePortfolio = text;
    // The totals use the new portfolio's currency: the selector shows it too, without writing it back.
    syncPortfolioCurrencyCombo();
    commitPortfolioChange();
}

void MainWindow::onPortfolioCurrencyChanged(const QString &text)
{
    if (portfolioCombosRefilling || text.isEmpty())
        return;
    ensureDefaultPortfolio();
    portfolioBaseCurrency.insert(activePortfolio, text);
    commitPortfolioChange();
}

void MainWindow::commitPortfolioChange()
{
    refreshPortfolio();
    saveLocalSettings();
}
