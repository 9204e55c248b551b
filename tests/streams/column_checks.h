#pragma once

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

// What a fitted table must show, judged by what the view itself asks for: every value whole, and a
// header cut only where the values leave it no room.
namespace ColumnChecks {

// What the view itself asks for a column's values (its size hint), through the base class where the
// call is public; an empty table has none.
inline int valueWidth(const QTableView *table, int column)
{
    if (table->model()->rowCount() == 0)
        return 0;
    return static_cast<const QAbstractItemView *>(table)->sizeHintForColumn(column);
}

inline QString columnName(const QTableView *table, int column)
{
    return table->model()->headerData(column, Qt::Horizontal).toString();
}

// The first column narrower than its values, described; empty when every value shows whole.
inline QString cutValue(const QTableView *table)
{
    const QHeaderView *header = table->horizontalHeader();
    for (int column = 0; column < header->count(); ++column) {
        if (header->sectionSize(column) < valueWidth(table, column))
            return QStringLiteral("%1: %2 px for values of %3 px")
                .arg(columnName(table, column))
                .arg(header->sectionSize(column))
                .arg(valueWidth(table, column));
    }
    return QString();
}

// The first header cut though the table had room for it whole beside every value and every other
// header; empty when none is. A cut header must also say its whole text as a tooltip.
inline QString headerCutWithRoom(const QTableView *table)
{
    const QHeaderView *header = table->horizontalHeader();
    int wholeWidth = 0; // every column as wide as the wider of its values and its header
    for (int column = 0; column < header->count(); ++column)
        wholeWidth += std::max(valueWidth(table, column), header->sectionSizeHint(column));
    for (int column = 0; column < header->count(); ++column) {
        if (header->sectionSize(column) >= header->sectionSizeHint(column))
            continue;
        const QString text = columnName(table, column);
        if (table->model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString() != text)
            return QStringLiteral("%1 is cut without its tooltip").arg(text);
        if (wholeWidth <= table->viewport()->width())
            return QStringLiteral("%1 is cut: %2 px of %3, though all needs %4 of %5 px")
                .arg(text)
                .arg(header->sectionSize(column))
                .arg(header->sectionSizeHint(column))
                .arg(wholeWidth)
                .arg(table->viewport()->width());
    }
    return QString();
}

// Whether a column lies whole inside the viewport as the table is scrolled now.
inline bool insideViewport(const QTableView *table, int column)
{
    const QHeaderView *header = table->horizontalHeader();
    const int left = header->sectionViewportPosition(column);
    return left >= 0 && left + header->sectionSize(column) <= table->viewport()->width();
}

// Whether a column can be seen whole: inside the viewport, or at some point of the sideways scroll
// (the scroll bar is left where it was).
inline bool reachableWhole(QTableView *table, int column)
{
    if (insideViewport(table, column))
        return true;
    QScrollBar *bar = table->horizontalScrollBar();
    if (!bar->isVisible() || table->horizontalHeader()->length() <= table->viewport()->width())
        return false;
    const int before = bar->value();
    bool reached = false;
    for (int value = bar->minimum(); value <= bar->maximum() && !reached; ++value) {
        bar->setValue(value);
        reached = insideViewport(table, column);
    }
    bar->setValue(before);
    return reached;
}

} // namespace ColumnChecks
