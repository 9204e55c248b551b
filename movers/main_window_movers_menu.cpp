#include "shell/main_window.h"
#include "watchlist/quote_columns.h"
#include "watchlist/symbol_rules.h"

#include <QMenu>
#include <QStatusBar>
#include <QTableWidget>

void MainWindow::showMoversMenu(QTableWidget *table, const QPoint &pos)
{
    if (!table)
        return;
    const int row = table->rowAt(pos.y());
    if (row < 0)
        return;
    table->selectRow(row);
    const QTableWidgetItem *item = table->item(row, 0);
    if (!item)
        return;
    // Read before the menu runs: a movers load while it is open replaces every row of the table.
    const QString text = item->text();
    const QString symbol = normalizeSymbol(text);

    QMenu menu(this);
    QAction *openChart =
        menu.addAction(localizedText(QStringLiteral("Open chart"), QString::fromUtf8("Abrir gráfico")));
    QAction *addSelect = menu.addAction(localizedText(QStringLiteral("Add/select watchlist"),
                                                      QStringLiteral("Adicionar/selecionar watchlist")));
    QAction *createAlert =
        menu.addAction(localizedText(QStringLiteral("Create alert"), QStringLiteral("Criar alerta")));
    QAction *chosen = menu.exec(table->viewport()->mapToGlobal(pos));
    if (!chosen)
        return;

    if (!addMoverToWatchlist(text))
        return;
    if (chosen == openChart) {
        refreshChart();
        startBookStream();
    } else if (chosen == createAlert) {
        showCreateAlertDialog(symbol);
    } else if (chosen == addSelect) {
        statusBar()->showMessage(
            localizedText(QStringLiteral("Mover ready: %1"), QString::fromUtf8("Oscilação pronta: %1"))
                .arg(symbol));
    }
}

bool MainWindow::addMoverToWatchlist(const QString &text)
{
    const QString symbol = normalizeSymbol(text);
    if (symbol.isEmpty() || !quoteTable)
        return false;
    // The movers readers already drop such symbols; a tile or row reaching here with one is refused as
    // the symbol box refuses it.
    if (!isAcceptableSymbol(text, symbol)) {
        logRefusedSymbol();
        return false;
    }
    const int row = findSymbolRow(symbol);
    if (row >= 0) {
        quoteTable->selectRow(row);
        appendEventLog(localizedText(QStringLiteral("Market mover selected: %1"),
                                     QString::fromUtf8("Ativo das oscilações selecionado: %1"))
                           .arg(symbol));
        return true;
    }
    addWatchlistRow(symbol, classifySymbol(symbol), providerDisplayName(symbol, QString()),
                    QStringLiteral("pending"), true);
    refreshSymbolQuote(symbol);
    saveWatchlist();
    refreshScreener();
    // Through the universe's own merge, so its membership set and order stay in step: a symbol appended
    // behind the set's back was offered twice once a search returned it.
    mergeIntoUniverse({symbol});
    appendEventLog(localizedText(QStringLiteral("Market mover added to watchlist: %1"),
                                 QString::fromUtf8("Ativo das oscilações adicionado à lista: %1"))
                       .arg(symbol));
    return true;
}
