#pragma once

#include <QHeaderView>
#include <QTableWidget>

// Sorting off for the life of the object, back on (and so re-sorted once) at its end. A sorted table
// moves a row as soon as a cell of the sort column changes, so a row index found before a batch of
// writes is only good while sorting is off; every writer that touches cells of a possibly sorted table
// by row index works under one of these. A table that was not sorting is left alone, and so is one
// that sorts with no column chosen: no write can move its rows, and turning sorting back on would
// re-sort it anyway and repaint the whole view for nothing, which on a streamed table means every tick.
class SortingPause
{
public:
    explicit SortingPause(QTableWidget *table)
        : m_table(table), m_wasSorting(table && table->isSortingEnabled() && hasSortColumn(table))
    {
        if (m_wasSorting)
            m_table->setSortingEnabled(false);
    }
    ~SortingPause()
    {
        if (m_wasSorting)
            m_table->setSortingEnabled(true);
    }
    SortingPause(const SortingPause &) = delete;
    SortingPause &operator=(const SortingPause &) = delete;

private:
    static bool hasSortColumn(const QTableWidget *table)
    {
        const int column = table->horizontalHeader()->sortIndicatorSection();
        return column >= 0 && column < table->columnCount();
    }

    QTableWidget *m_table;
    bool m_wasSorting;
};
