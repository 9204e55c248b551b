#include "settings/atomic_file.h"

#include "settings/config_paths.h"

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
