#include "shell/formats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    // The digits are counted on the price already rounded to four significant digits, by the same
    // correctly rounded conversion that writes the text: counted before rounding, 0.09995 (stored as
    // 0.0999499...) would get four decimals and read 0.0999, and 0.99996 would read 1.000 instead of
    // reading as 1 does. The exponent of "d.ddde-XX" is that of the rounded value.
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.3e", price);
    const char *exponentText = std::strchr(scientific, 'e');
    const int exponent = exponentText ? std::atoi(exponentText + 1) : 0;
    if (exponent >= 0)
        return decimals;
    return std::max(std::min(3 - exponent, finestDecimals), decimals);
}

QString formatPriceFixed(double price, int decimals)
{
    return QString::number(price, 'f', priceDecimals(price, decimals));
}

QString formatPrice(double price)
{
    return formatPriceFixed(price, price >= 1000.0 ? 2 : 4);
}

QString formatMacdValue(double value, double lastPrice, int decimals)
{
    return QString::number(value, 'f', priceDecimals(lastPrice, decimals));
}

QString eventLogLine(const QString &timeText, const QString &text)
{
    // Multi-arg substitution runs in one pass, so placeholders inside the text survive.
    return QStringLiteral("[%1] %2").arg(timeText, text);
}
