#pragma once

#include <QString>

// Volumes and turnover: 2 decimals after a B, M or K scale chosen by the absolute value before
// rounding (999999.999 gives "1000.00K"). Always C-locale digits, whatever the user's locale.
QString formatCompactNumber(double value);

// "[HH:mm:ss] text" with the text taken verbatim (a "%1" inside it stays as it is).
QString eventLogLine(const QString &timeText, const QString &text);
