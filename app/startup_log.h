#pragma once

#include <QString>

// Appends "<UTC ISO time with ms> <message>" to startup.log in the configuration directory.
// Usable before the window exists and without it; silent on every failure, because it is the one
// trace left when construction dies early and must never be the reason it does.
void writeStartupLog(const QString &message);

// The directory writeStartupLog writes into (computed here, not borrowed from the settings code,
// so the log depends on nothing the window builds).
QString startupLogDirectory();
