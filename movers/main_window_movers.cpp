#include "shell/main_window.h"

// The screener rebuild arrives with the screener; until then its table stays as built.
void MainWindow::refreshScreener() {}

// The movers arrive with their own work; until then the movers tables stay as built.
void MainWindow::refreshMarketMovers() {}
