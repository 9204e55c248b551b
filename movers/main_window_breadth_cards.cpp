#include "shell/main_window.h"

// The breadth cards follow the language and the theme once the movers' own work fills this in.
void MainWindow::setBreadthCardTitles() {}
