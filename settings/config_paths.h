#pragma once

#include <QString>

// Where the terminal keeps its files. Each call recomputes the path and creates the directory, so a
// directory removed while the program runs is made again by the next write.

// The per-user configuration directory (falls back to ~/.config/MURVEX_TERMINAL).
QString configDirectoryPath();

// The per-user cache directory (falls back to ~/.cache/MURVEX_TERMINAL).
QString cacheDirectoryPath();

// Earlier versions kept their files in paths relative to where they were installed. The legacy path is
// read only while it exists and nothing exists at the new path; writers always use the new path. A
// relative legacy path is taken in the program's own directory, never in the working directory: a
// folder the terminal happens to be started from (an unpacked download, a shared folder) must not
// hand it keys, a news endpoint or an account session. Returns the path to open.
QString resolveSettingsPath(const QString &legacyPath, const QString &newPath);

// The directory relative legacy paths are taken in: the program's own directory unless set.
QString legacyBaseDirectory();
// Tests give each run a private program directory; an empty text goes back to the program's own.
void setLegacyBaseDirectory(const QString &directory);

// Creates the parent directory of a file about to be written; failure shows up when the file opens.
void ensureParentDirectory(const QString &filePath);
