#include "settings/hidden_columns.h"
#include "shell/main_window.h"

// The settings file, shortcuts, workspace and column presets are filled by their own
// work; until then these members exist so the menus and callers have something to call.
void MainWindow::saveLocalSettings() {}
void MainWindow::showShortcutsDialog() {}
void MainWindow::saveWorkspaceSnapshot() {}
void MainWindow::loadWorkspaceSnapshot() {}

void MainWindow::applyColumnPreset(const QString &presetKey)
{
    Q_UNUSED(presetKey);
}

void MainWindow::parseHiddenColumns(const QString &text)
{
    settings.hiddenColumns = parseHiddenColumnsText(text);
}
