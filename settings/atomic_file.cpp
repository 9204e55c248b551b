#include "settings/atomic_file.h"

#include "settings/config_paths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

bool writeFileAtomically(const QString &path, const QByteArray &bytes, bool ownerOnly)
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

bool isLeftoverTemporaryOf(const QString &fileName, const QString &ownName)
{
    constexpr int kRandomLetters = 6;
    if (ownName.isEmpty() || fileName.size() != ownName.size() + 1 + kRandomLetters ||
        !fileName.startsWith(ownName) || fileName.at(ownName.size()) != QLatin1Char('.'))
        return false;
    bool upper = false;
    for (int i = ownName.size() + 1; i < fileName.size(); ++i) {
        const char16_t c = fileName.at(i).unicode();
        const bool isUpper = c >= u'A' && c <= u'Z';
        if (!isUpper && !(c >= u'a' && c <= u'z'))
            return false;
        upper = upper || isUpper;
    }
    return upper;
}

int removeLeftoverTemporaries(const QString &directory, const std::function<bool(const QString &)> &isOwnName)
{
    int removed = 0;
    const QDir dir(directory);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        // The name the temporary stands beside is everything before its last dot.
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot <= 0)
            continue;
        const QString ownName = name.left(dot);
        if (isOwnName(ownName) && isLeftoverTemporaryOf(name, ownName) && QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}
