#include "watchlist/quote_display.h"

#include <cmath>

QString formatQuotePrice(double value)
{
    return QString::number(value, 'f', value >= 1000.0 ? 2 : 4);
}

QString changeDirection(const QString &changeText)
{
    QString number = changeText;
    number.remove(QLatin1Char('%'));
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok)
        return QStringLiteral("flat");
    if (value > 0.0)
        return QStringLiteral("up");
    if (value < 0.0)
        return QStringLiteral("down");
    return QStringLiteral("flat");
}

int quoteTileColumns(int windowWidth)
{
    return windowWidth >= 1050 ? 4 : 2;
}

QString fxTickerText(double rate, double changePercent)
{
    const QString suffix = std::isfinite(changePercent)
                               ? QStringLiteral(" %1%").arg(QString::number(changePercent, 'f', 2))
                               : QString();
    return QStringLiteral("USD/BRL %1%2").arg(QString::number(rate, 'f', 4), suffix);
}
