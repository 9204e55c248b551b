#include "shell/formats.h"

#include <algorithm>
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

int priceDecimals(double price, int decimals)
{
    constexpr int finestDecimals = 8;
    if (!std::isfinite(price) || price <= 0.0 || price >= 1.0)
        return decimals;
    // Four significant digits means the price, scaled to the last decimal shown, rounds to at least
    // 1000; scaling instead of taking a logarithm keeps exact powers of ten (0.001) from landing a
    // decimal off.
    int shown = std::max(decimals, 0);
    double scaled = price * std::pow(10.0, shown);
    while (shown < finestDecimals && scaled < 999.5) {
        ++shown;
        scaled *= 10.0;
    }
    return std::max(shown, decimals);
}

QString formatPriceFixed(double price, int decimals)
{
    return QString::number(price, 'f', priceDecimals(price, decimals));
}

QString formatPrice(double price)
{
    return formatPriceFixed(price, price >= 1000.0 ? 2 : 4);
}

QString eventLogLine(const QString &timeText, const QString &text)
{
    // Multi-arg substitution runs in one pass, so placeholders inside the text survive.
    return QStringLiteral("[%1] %2").arg(timeText, text);
}
