#include "settings/json_file.h"

#include "settings/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

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
    return writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented), ownerOnly);
}

QString preserveUnreadableFile(const QString &path, const QByteArray &content, const QDateTime &when,
                               bool ownerOnly)
{
    const QString base = QFileInfo(path).absoluteFilePath() + QStringLiteral(".unreadable-") +
                         when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = base;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = base + QLatin1Char('-') + QString::number(n);
    return writeFileAtomically(copy, content, ownerOnly) ? copy : QString();
}
