#include "settings/config_paths.h"
#include "shell/main_window.h"

QString MainWindow::configDir() const
{
    return configDirectoryPath();
}

QString MainWindow::cacheDir() const
{
    return cacheDirectoryPath();
}

QString MainWindow::resolveSettingsPath(const QString &legacyPath, const QString &newPath) const
{
    return ::resolveSettingsPath(legacyPath, newPath);
}

QString MainWindow::configFileWritePath() const
{
    return configDir() + QStringLiteral("/config.txt");
}

QString MainWindow::configFilePath() const
{
    return resolveSettingsPath(QStringLiteral("config.txt"), configFileWritePath());
}

QString MainWindow::localSettingsWritePath() const
{
    return configDir() + QStringLiteral("/local.json");
}

QString MainWindow::localSettingsReadPath() const
{
    return resolveSettingsPath(QStringLiteral("data/settings/local.json"), localSettingsWritePath());
}

QString MainWindow::workspaceSnapshotWritePath() const
{
    return configDir() + QStringLiteral("/workspace.default.json");
}

QString MainWindow::workspaceSnapshotReadPath() const
{
    return resolveSettingsPath(QStringLiteral("data/settings/workspace.default.json"),
                               workspaceSnapshotWritePath());
}
