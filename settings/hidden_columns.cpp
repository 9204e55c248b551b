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
