#include "settings/hidden_columns.h"

#include <QStringList>

QSet<int> parseHiddenColumnsText(const QString &text)
{
    QSet<int> columns;
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        bool ok = false;
        const int column = part.trimmed().toInt(&ok, 10);
        if (ok && column >= 1 && column <= 15)
            columns.insert(column);
    }
    return columns;
}

QSet<int> hiddenColumnsForPreset(const QString &presetKey)
{
    QSet<int> visible;
    if (presetKey == QLatin1String("all"))
        for (int column = 0; column <= 15; ++column)
            visible.insert(column);
    else if (presetKey == QLatin1String("trading"))
        visible = {0, 1, 2, 3, 4, 5, 6, 7, 12, 13, 14, 15};
    else if (presetKey == QLatin1String("analytics"))
        visible = {0, 1, 6, 7, 8, 9, 10, 11, 12, 15};
    else
        visible = {0, 6, 7, 12, 14};
    QSet<int> hidden;
    for (int column = 1; column <= 15; ++column) {
        if (!visible.contains(column))
            hidden.insert(column);
    }
    return hidden;
}
