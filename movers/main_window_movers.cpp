#include "shell/main_window.h"

#include <QComboBox>

// The scope picks where the movers come from; "watchlist" means the quote table's own rows, which
// every quote-row update then re-ranks.
QString MainWindow::currentMoversScope() const
{
    if (!moversScopeCombo)
        return QStringLiteral("crypto");
    const QString key = moversScopeCombo->currentData().toString();
    return key.isEmpty() ? moversScopeCombo->currentText() : key;
}

// The movers lists and the screener rebuild arrive with their own work; until then their tables stay
// as built.
void MainWindow::loadWatchlistMovers() {}
void MainWindow::refreshScreener() {}

// The movers arrive with their own work; until then the movers tables stay as built.
void MainWindow::refreshMarketMovers() {}
