#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

// What reading a JSON file gave.
struct JsonFileRead
{
    bool exists = false; // something is at the path, readable or not
    bool opened = false; // the file could be opened for reading
    bool parsed = false; // its content is one JSON object
    QByteArray content;  // the bytes read (empty when not opened)
    QJsonObject object;  // the object; empty when the content is not a JSON object
};

// Reads `path` as one JSON object. A file that is not valid JSON, or whose document is not an object,
// reads as an empty object with `parsed` false.
JsonFileRead readJsonObjectFile(const QString &path);

// Writes `object` indented to `path` through a save file, so a failed write leaves the previous file
// whole. With `ownerOnly` the new file is readable and writable by its owner only, set before a byte of
// it is written. The parent directory is created first. False when anything failed.
bool writeJsonObjectFile(const QString &path, const QJsonObject &object, bool ownerOnly);

// Writes `content` to a new file beside `path` named "<name>.unreadable-<time>" (a counter is added when
// that name exists) and returns its path; empty when the copy could not be written. The copy is
// owner-only when `ownerOnly`.
QString preserveUnreadableFile(const QString &path, const QByteArray &content, const QDateTime &when,
                               bool ownerOnly);

// Moves what is at `path` (a file this user may not read, a directory) aside under the name
// preserveUnreadableFile would give a copy, and returns the new path; empty when it could not be moved.
// A rename needs no read permission, so a file nobody can copy can still be kept out of a writer's way.
QString moveUnreadableFileAside(const QString &path, const QDateTime &when);
