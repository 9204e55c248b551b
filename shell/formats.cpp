#include "shell/formats.h"

#include <cmath>

QString formatCompactNumber(double value)
{
    const double magnitude = std::fabs(value);
    double scaled = value;
    const char *suffix = "";
    if (magnitude >= 1000000000.0) {
        scaled = value / 1000000000.0;
        suffix = "B";
    } else if (magnitude >= 1000000.0) {
        scaled = value / 1000000.0;
        suffix = "M";
    } else if (magnitude >= 1000.0) {
        scaled = value / 1000.0;
        suffix = "K";
    }
    // QString::number never consults the locale.
    return QString::number(scaled, 'f', 2) + QLatin1String(suffix);
}

QString eventLogLine(const QString &timeText, const QString &text)
{
    // Multi-arg substitution runs in one pass, so placeholders inside the text survive.
    return QStringLiteral("[%1] %2").arg(timeText, text);
}
