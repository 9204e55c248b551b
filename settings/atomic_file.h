#pragma once

#include <QByteArray>
#include <QString>

// The one way the program rewrites a file: the bytes go to a temporary file beside `path` that replaces
// the old one only once everything is written, so a crash or a full disk never leaves half a file. With
// `ownerOnly` the file is readable and writable by its owner only, set before a byte of it is written.
// The parent directory is created first. False when anything failed; the previous file is then whole.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, bool ownerOnly);
