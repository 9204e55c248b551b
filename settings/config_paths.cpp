#include "settings/config_paths.h"

#include <QCoreApplication>
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

namespace {
QString &legacyBaseOverride()
{
    static QString directory;
    return directory;
}
} // namespace

QString legacyBaseDirectory()
{
    const QString &set = legacyBaseOverride();
    return set.isEmpty() ? QCoreApplication::applicationDirPath() : set;
}

void setLegacyBaseDirectory(const QString &directory)
{
    legacyBaseOverride() = directory;
}

QString resolveSettingsPath(const QString &legacyPath, const QString &newPath)
{
    const QString legacy =
        QDir::isRelativePath(legacyPath) ? QDir(legacyBaseDirectory()).filePath(legacyPath) : legacyPath;
    // QFileInfo::exists is true for directories too, as the rule wants.
    if (QFileInfo::exists(newPath) || !QFileInfo::exists(legacy))
        return newPath;
    return legacy;
}

void ensureParentDirectory(const QString &filePath)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
}
