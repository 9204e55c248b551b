#include "tests/support/temp_home.h"

#include "app/endpoints.h"
#include "settings/config_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {
const QList<QByteArray> kIsolatedVariables = {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"};
}

TempHome::TempHome()
{
    m_savedCwd = QDir::currentPath();
    for (const QByteArray &name : kIsolatedVariables) {
        m_hadEnv[name] = qEnvironmentVariableIsSet(name.constData());
        m_savedEnv[name] = qgetenv(name.constData());
    }
    const QString root = m_dir.path();
    QDir().mkpath(root + QStringLiteral("/.config"));
    QDir().mkpath(root + QStringLiteral("/.cache"));
    QDir().mkpath(root + QStringLiteral("/.local/share"));
    QDir().mkpath(root + QStringLiteral("/work"));
    QDir().mkpath(root + QStringLiteral("/app"));
    setLegacyBaseDirectory(root + QStringLiteral("/app"));
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/.config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/.cache")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/.local/share")));
    QDir::setCurrent(root + QStringLiteral("/work"));
}

TempHome::~TempHome()
{
    QDir::setCurrent(m_savedCwd);
    setLegacyBaseDirectory(QString());
    for (const QByteArray &name : kIsolatedVariables) {
        if (m_hadEnv.value(name))
            qputenv(name.constData(), m_savedEnv.value(name));
        else
            qunsetenv(name.constData());
    }
}

QString TempHome::workingDirectory() const
{
    return m_dir.path() + QStringLiteral("/work");
}

QString TempHome::applicationDirectory() const
{
    return m_dir.path() + QStringLiteral("/app");
}

QString TempHome::appConfigDir() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString TempHome::appCacheDir() const
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

QString TempHome::writeFile(const QString &relativePath, const QByteArray &contents) const
{
    const QString full = QDir(m_dir.path()).absoluteFilePath(relativePath);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
    return full;
}

QByteArray TempHome::readFile(const QString &absolutePath)
{
    QFile file(absolutePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void clearMurvexEnvironment()
{
    const QStringList keys = QProcessEnvironment::systemEnvironment().keys();
    for (const QString &key : keys) {
        if (key.startsWith(QLatin1String("MVX_")) && key != QLatin1String("MVX_REALDATA_DIR"))
            qunsetenv(key.toLocal8Bit().constData());
    }
    pointServicesAtNothing();
}

void pointServicesAtNothing()
{
    for (const EndpointInfo &info : endpointTable()) {
        // The maker's service already defaults to an address that is never sent to.
        if (info.endpoint == Endpoint::Service)
            continue;
        const bool stream = QByteArray(info.defaultUrl).startsWith("ws");
        qputenv(info.envVar, stream ? "ws://127.0.0.1:1" : "http://127.0.0.1:1");
    }
}

void useDefaultEndpoints()
{
    for (const EndpointInfo &info : endpointTable())
        qunsetenv(info.envVar);
}

QString realDataDirectory()
{
    const QString configured = qEnvironmentVariable("MVX_REALDATA_DIR");
    if (!configured.isEmpty() && QFileInfo(configured).isDir())
        return QFileInfo(configured).absoluteFilePath();
    return {};
}
