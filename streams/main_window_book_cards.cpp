#include "shell/main_window.h"

// The book's metric cards follow the language and the theme once the book's own work fills this in.
void MainWindow::updateBookMetricCards() {}
