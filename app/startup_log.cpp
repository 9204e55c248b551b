#include "app/startup_log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

QString startupLogDirectory()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (dir.trimmed().isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.config/MURVEX_TERMINAL");
    return dir;
}

void writeStartupLog(const QString &message)
{
    const QString dir = startupLogDirectory();
    QDir().mkpath(dir);
    // Append-only by design: the one file of the program that is never rewritten, so QSaveFile's
    // replace-the-whole-file model does not apply.
    QFile file(dir + QStringLiteral("/startup.log"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    const QString stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    QTextStream out(&file);
    out << stamp << ' ' << message << '\n';
}
