#include "portfolio/portfolio_valuation.h"
#include "shell/main_window.h"
#include "shell/price_box.h"

#include <QDateTime>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTableWidget>

#include <algorithm>

// Every dialog and menu below runs its own event loop, during which quotes keep rebuilding the tables
// and a sync may replace the portfolios: nothing found before one opens (a row, a list, an index) is
// used after it closes. Positions are found again by symbol, transactions by the texts of their row.

namespace {
QString cellText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table ? table->item(row, column) : nullptr;
    return item ? item->text() : QString();
}

bool hasCell(const QTableWidget *table, int row, int column)
{
    return table && row >= 0 && table->item(row, column);
}
} // namespace

void MainWindow::informPortfolio(const QString &text)
{
    QMessageBox box(QMessageBox::Information, appTitle(), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool MainWindow::confirmPortfolio(const QString &text)
{
    // Names and amounts are the user's own text: shown as written, never read as markup.
    QMessageBox box(QMessageBox::Question, appTitle(), text, QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

void MainWindow::createPortfolio()
{
    bool ok = false;
    const QString name =
        QInputDialog::getText(
            this, localizedText(QStringLiteral("New portfolio"), QStringLiteral("Nova carteira")),
            localizedText(QStringLiteral("Name"), QStringLiteral("Nome")), QLineEdit::Normal, QString(), &ok)
            .trimmed();
    if (!ok || name.isEmpty())
        return;
    if (portfolioPositions.contains(name)) {
        informPortfolio(localizedText(QStringLiteral("A portfolio with this name already exists."),
                                      QString::fromUtf8("Já existe uma carteira com esse nome.")));
        return;
    }
    portfolioPositions.insert(name, {});
    portfolioTransactions.insert(name, {});
    portfolioBaseCurrency.insert(name, QStringLiteral("BRL"));
    activePortfolio = name;
    populatePortfolioCombo();
    commitPortfolioChange();
}

void MainWindow::renamePortfolio()
{
    ensureDefaultPortfolio();
    const QString current = activePortfolio;
    bool ok = false;
    const QString name =
        QInputDialog::getText(
            this, localizedText(QStringLiteral("Rename portfolio"), QStringLiteral("Renomear carteira")),
            localizedText(QStringLiteral("Name"), QStringLiteral("Nome")), QLineEdit::Normal, current, &ok)
            .trimmed();
    if (!ok || name.isEmpty() || name == current)
        return;
    if (portfolioPositions.contains(name)) {
        informPortfolio(localizedText(QStringLiteral("A portfolio with this name already exists."),
                                      QString::fromUtf8("Já existe uma carteira com esse nome.")));
        return;
    }
    // The portfolio the dialog named may have gone meanwhile (a sync replaced the set): nothing to rename.
    if (!portfolioPositions.contains(current))
        return;
    const QList<PortfolioPosition> positions = portfolioPositions.take(current);
    const QList<PortfolioTransaction> transactions = portfolioTransactions.take(current);
    QString currency = portfolioBaseCurrency.take(current);
    if (currency.isEmpty())
        currency = QStringLiteral("BRL");
    portfolioPositions.insert(name, positions);
    portfolioTransactions.insert(name, transactions);
    portfolioBaseCurrency.insert(name, currency);
    activePortfolio = name;
    populatePortfolioCombo();
    commitPortfolioChange();
}

void MainWindow::deletePortfolio()
{
    ensureDefaultPortfolio();
    if (portfolioPositions.size() <= 1) {
        informPortfolio(localizedText(QStringLiteral("At least one portfolio must remain."),
                                      QString::fromUtf8("É necessário manter ao menos uma carteira.")));
        return;
    }
    const QString name = activePortfolio;
    if (!confirmPortfolio(localizedText(QStringLiteral("Delete portfolio '%1' and all its positions?"),
                                        QString::fromUtf8("Excluir a carteira '%1' e todas as posições?"))
                              .arg(name)))
        return;
    // Only the portfolio the question named goes, and never the last one.
    if (!portfolioPositions.contains(name) || portfolioPositions.size() <= 1)
        return;
    portfolioPositions.remove(name);
    portfolioTransactions.remove(name);
    portfolioBaseCurrency.remove(name);
    activePortfolio = portfolioPositions.firstKey();
    populatePortfolioCombo();
    commitPortfolioChange();
}

void MainWindow::addPortfolioPosition()
{
    bool ok = false;
    const QString typed = QInputDialog::getText(
        this, localizedText(QStringLiteral("Add position"), QString::fromUtf8("Adicionar posição")),
        localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")), QLineEdit::Normal,
        selectedSymbol(), &ok);
    if (!ok)
        return;
    const QString symbol = normalizeSymbol(typed);
    if (symbol.isEmpty())
        return;
    activePositionsForEdit();
    const int existing = indexOfPosition(symbol);
    const PortfolioPosition before = existing >= 0 ? activePositions().at(existing) : PortfolioPosition{};
    const double quantity = QInputDialog::getDouble(
        this, localizedText(QStringLiteral("Position quantity"), QString::fromUtf8("Quantidade da posição")),
        localizedText(QStringLiteral("Quantity"), QStringLiteral("Quantidade")),
        existing >= 0 ? before.quantity : 0.0, -1e12, 1e12, 8, &ok, Qt::WindowFlags(), 1.0);
    if (!ok)
        return;
    const double startPrice = existing >= 0 ? before.averagePrice : lastPriceForSymbol(symbol);
    const double averagePrice = askPrice(
        this, localizedText(QStringLiteral("Average price"), QString::fromUtf8("Preço médio")),
        localizedText(QStringLiteral("Average price"), QString::fromUtf8("Preço médio")),
        std::max(0.0, startPrice), 0.0, 1e15, 8, &ok);
    if (!ok)
        return;

    // Found again: the dialogs may have outlived the list they started from.
    QList<PortfolioPosition> &positions = activePositionsForEdit();
    const PortfolioPosition position{symbol, quantity, averagePrice};
    const int index = indexOfPositionIn(positions, symbol);
    if (index >= 0)
        positions[index] = position;
    else
        positions.append(position);

    if (findSymbolRow(symbol) < 0) {
        addWatchlistRow(symbol, classifySymbol(symbol), providerDisplayName(symbol, QString()),
                        QStringLiteral("pending"), false);
        saveWatchlist();
        refreshSymbolQuote(symbol);
    }
    commitPortfolioChange();
}

void MainWindow::addPortfolioCashFlow(const QString &type)
{
    ensureDefaultPortfolio();
    const bool dividend = type == QLatin1String("dividend");
    const QString dividendTitle =
        localizedText(QStringLiteral("Add dividend"), QStringLiteral("Adicionar dividendo"));
    bool ok = false;
    QString symbol;
    if (dividend) {
        symbol = normalizeSymbol(QInputDialog::getText(
            this, dividendTitle, localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
            QLineEdit::Normal, selectedSymbol(), &ok));
        if (!ok || symbol.isEmpty())
            return;
    }
    const double amount = QInputDialog::getDouble(
        this,
        dividend ? dividendTitle
                 : localizedText(QStringLiteral("Add cash flow"), QStringLiteral("Adicionar fluxo de caixa")),
        dividend ? localizedText(QStringLiteral("Net amount"), QString::fromUtf8("Valor líquido"))
                 : localizedText(QStringLiteral("Amount (negative for withdrawal)"),
                                 QStringLiteral("Valor (negativo para retirada)")),
        0.0, -1e15, 1e15, 2, &ok, Qt::WindowFlags(), 1.0);
    if (!ok || amount == 0.0)
        return;
    const QString currency =
        QInputDialog::getItem(this, localizedText(QStringLiteral("Currency"), QStringLiteral("Moeda")),
                              localizedText(QStringLiteral("Currency"), QStringLiteral("Moeda")),
                              {QStringLiteral("BRL"), QStringLiteral("USD")}, 0, false, &ok);
    if (!ok)
        return;
    const QString note = QInputDialog::getText(
        this,
        localizedText(QStringLiteral("Transaction note"), QString::fromUtf8("Observação do lançamento")),
        localizedText(QStringLiteral("Optional note"), QString::fromUtf8("Observação opcional")),
        QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;

    ensureDefaultPortfolio();
    PortfolioTransaction transaction;
    transaction.timestamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    transaction.type = type;
    transaction.symbol = symbol;
    transaction.amount = amount;
    transaction.currency = currency;
    transaction.note = note.trimmed();
    portfolioTransactions[activePortfolio].append(transaction);
    commitPortfolioChange();
}

void MainWindow::removeSelectedPosition()
{
    if (!positionsTable)
        return;
    const int row = positionsTable->currentRow();
    if (!hasCell(positionsTable, row, 0))
        return;
    const int index = indexOfPosition(cellText(positionsTable, row, 0));
    if (index < 0)
        return;
    activePositionsForEdit().removeAt(index);
    commitPortfolioChange();
}

void MainWindow::editPositionRow(int row)
{
    if (!hasCell(positionsTable, row, 0))
        return;
    const QString symbol = cellText(positionsTable, row, 0);
    const QString portfolio = activePortfolio;
    const int index = indexOfPosition(symbol);
    if (index < 0)
        return;
    const PortfolioPosition before = activePositions().at(index);
    bool ok = false;
    const double quantity = QInputDialog::getDouble(
        this, localizedText(QStringLiteral("Edit quantity"), QStringLiteral("Editar quantidade")),
        localizedText(QStringLiteral("Quantity"), QStringLiteral("Quantidade")), before.quantity, -1e12, 1e12,
        8, &ok, Qt::WindowFlags(), 1.0);
    if (!ok)
        return;
    const double averagePrice = askPrice(
        this, localizedText(QStringLiteral("Edit average price"), QString::fromUtf8("Editar preço médio")),
        localizedText(QStringLiteral("Average price"), QString::fromUtf8("Preço médio")), before.averagePrice,
        0.0, 1e15, 8, &ok);
    if (!ok)
        return;
    // The position is looked up again in the portfolio the dialogs were opened for; when it has gone
    // meanwhile, nothing is stored.
    if (activePortfolio != portfolio)
        return;
    const int now = indexOfPosition(symbol);
    if (now < 0)
        return;
    PortfolioPosition &position = activePositionsForEdit()[now];
    position.quantity = quantity;
    position.averagePrice = averagePrice;
    commitPortfolioChange();
}

void MainWindow::onTransactionsContextMenu(const QPoint &pos)
{
    if (!transactionsTable)
        return;
    const int row = transactionsTable->rowAt(pos.y());
    if (row < 0)
        return;
    // The row's texts are the key: read now, before the menu's own event loop lets a rebuild move rows.
    // Every column counts: two flows of one second and amount may differ only in currency or note.
    TransactionRow shown;
    shown.time = cellText(transactionsTable, row, 0);
    shown.typeText = cellText(transactionsTable, row, 1);
    shown.symbol = cellText(transactionsTable, row, 2);
    shown.amountText = cellText(transactionsTable, row, 3);
    shown.currency = cellText(transactionsTable, row, 4);
    shown.note = cellText(transactionsTable, row, 5);
    const bool portuguese = isPortuguese();
    const QString portfolio = activePortfolio;

    QMenu menu(transactionsTable);
    QAction *remove = menu.addAction(
        localizedText(QStringLiteral("Delete transaction"), QString::fromUtf8("Excluir lançamento")));
    if (menu.exec(transactionsTable->viewport()->mapToGlobal(pos)) != remove)
        return;
    if (!confirmPortfolio(localizedText(QStringLiteral("Delete %1 transaction of %2?"),
                                        QString::fromUtf8("Excluir lançamento %1 de %2?"))
                              .arg(shown.typeText, shown.amountText)))
        return;
    if (activePortfolio == portfolio) {
        QList<PortfolioTransaction> &transactions = portfolioTransactions[activePortfolio];
        const int index = indexOfTransactionRow(transactions, shown, portuguese);
        if (index >= 0)
            transactions.removeAt(index);
    }
    commitPortfolioChange();
}
