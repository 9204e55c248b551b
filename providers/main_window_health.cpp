#include "shell/main_window.h"

void MainWindow::showApiHealthDialog() {}
