#include "shell/main_window.h"

// The settings file, key dialog, shortcuts, workspace and column presets are filled by their own
// work; until then these members exist so the menus and callers have something to call.
void MainWindow::saveLocalSettings() {}
void MainWindow::showApiKeysDialog() {}
void MainWindow::showShortcutsDialog() {}
void MainWindow::saveWorkspaceSnapshot() {}
void MainWindow::loadWorkspaceSnapshot() {}

void MainWindow::applyColumnPreset(const QString &presetKey)
{
    Q_UNUSED(presetKey);
}
