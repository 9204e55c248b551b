#include "settings/config_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

static QString standardDirectory(QStandardPaths::StandardLocation location, const char *homeFallback)
{
    QString dir = QStandardPaths::writableLocation(location);
    if (dir.trimmed().isEmpty())
        dir = QDir::homePath() + QLatin1String(homeFallback);
    QDir().mkpath(dir);
    return dir;
}

QString configDirectoryPath()
{
    return standardDirectory(QStandardPaths::AppConfigLocation, "/.config/MURVEX_TERMINAL");
}

QString cacheDirectoryPath()
{
    return standardDirectory(QStandardPaths::CacheLocation, "/.cache/MURVEX_TERMINAL");
}

QString resolveSettingsPath(const QString &legacyPath, const QString &newPath)
{
    // QFileInfo::exists is true for directories too, as the rule wants.
    if (QFileInfo::exists(newPath) || !QFileInfo::exists(legacyPath))
        return newPath;
    return legacyPath;
}

void ensureParentDirectory(const QString &filePath)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
}
