#include "settings/json_file.h"

#include "settings/config_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

namespace {
bool writeBytes(const QString &path, const QByteArray &bytes, bool ownerOnly)
{
    ensureParentDirectory(path);
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok && ownerOnly)
        ok = file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ok = ok && file.write(bytes) == bytes.size() && file.commit();
    if (!ok)
        file.cancelWriting();
    return ok;
}
} // namespace

JsonFileRead readJsonObjectFile(const QString &path)
{
    JsonFileRead read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return read;
    read.opened = true;
    read.content = file.readAll();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(read.content, &error);
    if (error.error == QJsonParseError::NoError && document.isObject()) {
        read.parsed = true;
        read.object = document.object();
    }
    return read;
}

bool writeJsonObjectFile(const QString &path, const QJsonObject &object, bool ownerOnly)
{
    return writeBytes(path, QJsonDocument(object).toJson(QJsonDocument::Indented), ownerOnly);
}

QString preserveUnreadableFile(const QString &path, const QByteArray &content, const QDateTime &when,
                               bool ownerOnly)
{
    const QString base = QFileInfo(path).absoluteFilePath() + QStringLiteral(".unreadable-") +
                         when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = base;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = base + QLatin1Char('-') + QString::number(n);
    return writeBytes(copy, content, ownerOnly) ? copy : QString();
}
