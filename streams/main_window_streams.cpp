#include "shell/main_window.h"

// The streams and the book presets arrive with their own work; until then these members exist so the
// panels and the quote table have something to call.
void MainWindow::applyBookPreset(const QString &presetKey)
{
    Q_UNUSED(presetKey);
}

void MainWindow::startBookStream() {}
void MainWindow::startTickerStream() {}
