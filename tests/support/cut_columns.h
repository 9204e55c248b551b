#pragma once

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QStringList>
#include <QTableView>

#include <functional>

// The shown columns of `table` narrower than `needed` says they must be, as
// "name column (label): width < needed"; the last column is left out unless `withLast`.
inline QStringList narrowerColumns(const QTableView *table, const char *name,
                                   const std::function<int(int column)> &needed, bool withLast)
{
    QStringList narrow;
    const QHeaderView *header = table->horizontalHeader();
    const int end = withLast ? header->count() : header->count() - 1;
    for (int column = 0; column < end; ++column) {
        if (header->isSectionHidden(column))
            continue;
        const int width = needed(column);
        if (header->sectionSize(column) < width)
            narrow << QStringLiteral("%1 %2 (%3): %4 < %5")
                          .arg(QLatin1String(name))
                          .arg(column)
                          .arg(table->model()->headerData(column, Qt::Horizontal).toString())
                          .arg(header->sectionSize(column))
                          .arg(width);
    }
    return narrow;
}

// Columns whose label the header would cut.
inline QStringList cutHeaders(const QTableView *table, const char *name)
{
    const QHeaderView *header = table->horizontalHeader();
    return narrowerColumns(
        table, name, [header](int column) { return header->sectionSizeHint(column); }, true);
}

// Columns, but the stretching last, that cut what their cells hold: narrower than the view's own size
// hint for them. One long text (a headline) may be held to half the table, its tooltip saying the rest.
inline QStringList cutValues(const QTableView *table, const char *name)
{
    const int half = table->viewport()->width() / 2;
    return narrowerColumns(
        table, name,
        [table, half](int column) {
            return qMin(static_cast<const QAbstractItemView *>(table)->sizeHintForColumn(column), half);
        },
        false);
}
