#pragma once

#include <QList>

class QTableView;

// The widths of a table's columns, the last one included (it stretches over whatever the others leave
// of the `available` pixels; its width here is the least it may take). Every column first gets what its
// header needs, so no header is cut while the headers fit at all; the room left over goes to the columns
// whose contents want more, left to right. When even the headers do not fit, the columns give up the
// shortfall in proportion to what they can spare: first down to their contents; if that is not enough,
// the last column down to half its header whatever its contents; then every column so. Cells and
// headers so cut are elided, and the table shows a header's whole text as a tooltip. Only when even
// half the headers are too wide does the table scroll sideways.
// A negative header width marks a hidden column, which gets 0.
QList<int> fitColumns(const QList<int> &headerWidths, const QList<int> &contentWidths, int available);

// Keeps a table's columns fitted to its width, as above, whenever its width, header texts or rows
// change. A column the user sizes by hand stays as sized until the header texts change (a new mode or
// language), which fits the table again. Each header carries its text as a tooltip, for the narrow pane
// where it is elided.
void keepColumnsFitted(QTableView *table);
