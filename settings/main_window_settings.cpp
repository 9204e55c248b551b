#include "settings/hidden_columns.h"
#include "shell/main_window.h"

// The shortcut keys, workspace and column presets are filled by their own work; until then these
// members exist so the menus and callers have something to call.
void MainWindow::showShortcutsDialog() {}
void MainWindow::saveWorkspaceSnapshot() {}
void MainWindow::loadWorkspaceSnapshot() {}
void MainWindow::applyConfiguredShortcuts() {}
void MainWindow::applyColumnVisibilityConfig() {}

void MainWindow::applyColumnPreset(const QString &presetKey)
{
    Q_UNUSED(presetKey);
}

void MainWindow::showColumnMenu(const QPoint &pos)
{
    Q_UNUSED(pos);
}

void MainWindow::onQuoteHeaderContextMenu(const QPoint &pos)
{
    showColumnMenu(pos);
}

void MainWindow::parseHiddenColumns(const QString &text)
{
    settings.hiddenColumns = parseHiddenColumnsText(text);
}
