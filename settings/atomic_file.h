#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The one way the program rewrites a file: the bytes go to a temporary file beside `path` that replaces
// the old one only once everything is written, so a crash or a full disk never leaves half a file. With
// `ownerOnly` the file is readable and writable by its owner only, set before a byte of it is written.
// The parent directory is created first. False when anything failed; the previous file is then whole.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, bool ownerOnly);

// Whether `fileName` is a temporary file that the writer above left beside a file named `ownName` when the
// process was killed mid-write: `ownName` followed by "." and six random letters. Those letters always
// hold an upper-case one here, so that a user's own "local.json.backup" is never taken for one (the few
// leftovers whose letters all happen to be lower case stay).
bool isLeftoverTemporaryOf(const QString &fileName, const QString &ownName);

// Removes from `directory` (not its subdirectories) every file that is a leftover temporary of a file
// whose name `isOwnName` accepts; returns how many went.
int removeLeftoverTemporaries(const QString &directory,
                              const std::function<bool(const QString &)> &isOwnName);
