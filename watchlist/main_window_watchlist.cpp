#include "shell/main_window.h"

// The symbol universe, the classification file and the watchlist file are filled by their own work;
// until then these members exist so the panels have something to call.
void MainWindow::setupCompleter() {}
void MainWindow::loadSymbolClassifications() {}
void MainWindow::saveWatchlist() {}

// The quote refreshes arrive with the running terminal; until then nothing is refreshed.
void MainWindow::refreshAllQuotes() {}
