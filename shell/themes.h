#pragma once

#include <QString>

// The two looks of the window. "mvx_light" (exactly) is the light theme; every other key shows the dark
// one, "coffee_dark".
bool isLightThemeKey(const QString &key);
QString normalizedThemeKey(const QString &key);

// The whole style sheet of a theme, read once from the program's resources.
QString themeStyleSheet(bool light);
