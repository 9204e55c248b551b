#include "shell/main_window.h"

// Layout presets and monitor moves arrive with the panels they rearrange.
void MainWindow::applyLayoutPreset(const QString &presetKey)
{
    Q_UNUSED(presetKey);
}

void MainWindow::moveToNextMonitor() {}
