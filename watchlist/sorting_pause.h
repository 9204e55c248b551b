#pragma once

#include <QTableWidget>

// Sorting off for the life of the object, back on (and so re-sorted once) at its end. A sorted table
// moves a row as soon as a cell of the sort column changes, so a row index found before a batch of
// writes is only good while sorting is off; every writer that touches cells of a possibly sorted table
// by row index works under one of these. A table that was not sorting is left alone.
class SortingPause
{
public:
    explicit SortingPause(QTableWidget *table)
        : m_table(table), m_wasSorting(table && table->isSortingEnabled())
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
    QTableWidget *m_table;
    bool m_wasSorting;
};
