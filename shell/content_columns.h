#pragma once

#include <QList>

class QTableView;

// The widths a page table's columns take once its rows are filled: each shown column is at least as wide
// as its header label, and each but the last (which stretches over whatever the others leave) as wide as
// its contents need, so a time or a status is never cut beside an empty stretching column. Columns only ever widen
// here: a column the user made wider stays so. One long text (a headline) would otherwise push every
// other column out of view, so contents count for at most half the `available` width; such a cell is
// elided and its item carries the whole text as a tooltip.
// `current`, `headers` and `contents` are per column; a negative header width marks a hidden column,
// which keeps its width.
QList<int> widenedColumnWidths(const QList<int> &current, const QList<int> &headers,
                               const QList<int> &contents, int available);

// Keeps a page table's columns as wide as `widenedColumnWidths` asks whenever rows arrive, cells change,
// the header texts change, a hidden column is shown or the table is resized or restyled. A column the user drags keeps its width
// until the header texts change (a language switch), which widens it again where it cuts its texts.
void keepColumnsWideForContents(QTableView *table);
