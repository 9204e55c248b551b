#include "settings/atomic_file.h"
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

void MainWindow::removeLeftoverTemporaryFiles()
{
    const auto settingsFile = [](const QString &name) {
        return name == QLatin1String("config.txt") || name == QLatin1String("local.json") ||
               name == QLatin1String("workspace.default.json") ||
               name.startsWith(QLatin1String("local.json.unreadable-"));
    };
    const auto watchlistFile = [](const QString &name) {
        return name == QLatin1String("default.json") ||
               name.startsWith(QLatin1String("default.json.unreadable-"));
    };
    const auto cachedReply = [](const QString &name) { return name.endsWith(QLatin1String(".json")); };
    removeLeftoverTemporaries(configDir(), settingsFile);
    removeLeftoverTemporaries(configDir() + QStringLiteral("/watchlists"), watchlistFile);
    removeLeftoverTemporaries(cacheDir() + QStringLiteral("/alpha_vantage"), cachedReply);
}
