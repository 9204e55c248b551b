#include "settings/json_file.h"

#include "settings/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

JsonFileRead readJsonObjectFile(const QString &path)
{
    JsonFileRead read;
    read.exists = QFileInfo::exists(path);
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
    return writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented), ownerOnly);
}

namespace {
QString unusedAsideName(const QString &path, const QDateTime &when)
{
    const QString base = QFileInfo(path).absoluteFilePath() + QStringLiteral(".unreadable-") +
                         when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}
} // namespace

QString preserveUnreadableFile(const QString &path, const QByteArray &content, const QDateTime &when,
                               bool ownerOnly)
{
    const QString copy = unusedAsideName(path, when);
    return writeFileAtomically(copy, content, ownerOnly) ? copy : QString();
}

QString moveUnreadableFileAside(const QString &path, const QDateTime &when)
{
    const QString aside = unusedAsideName(path, when);
    // QFile::rename falls back to copying when renaming fails, which an unreadable file defeats anyway;
    // QDir::rename is the plain rename, for files and directories alike.
    return QDir().rename(path, aside) ? aside : QString();
}
