#include "shell/main_window.h"

void MainWindow::pullAccountSync() {}
void MainWindow::showSyncStatusDialog() {}
void MainWindow::logout() {}
