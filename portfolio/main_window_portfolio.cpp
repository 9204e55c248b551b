#include "shell/main_window.h"

// Valuation arrives with the portfolio; until then a refresh leaves the page as built.
void MainWindow::refreshPortfolio() {}
