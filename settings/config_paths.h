#pragma once

#include <QString>

// Where the terminal keeps its files. Each call recomputes the path and creates the directory, so a
// directory removed while the program runs is made again by the next write.

// The per-user configuration directory (falls back to ~/.config/MURVEX_TERMINAL).
QString configDirectoryPath();

// The per-user cache directory (falls back to ~/.cache/MURVEX_TERMINAL).
QString cacheDirectoryPath();

// Earlier versions kept their files relative to the working directory. The legacy path is read only
// while it exists and nothing exists at the new path; writers always use the new path.
QString resolveSettingsPath(const QString &legacyPath, const QString &newPath);

// Creates the parent directory of a file about to be written; failure shows up when the file opens.
void ensureParentDirectory(const QString &filePath);
