#pragma once

#include <QList>

class QTableView;

// The widths of a table's columns, the last one included (it stretches over whatever the others leave
// of the `available` pixels; its width here is the least it may take). The values come first: every
// column gets what its contents need; a column with no contents gets half its header, which still says
// what it will hold. Then, while room is left, the headers get the rest of what they need, in column
// order: each header that can still fit whole is whole, and only one that cannot is elided, with the
// table showing its whole text as a tooltip. A value is never cut: when the values alone are wider
// than the room, the columns keep their value widths and the table scrolls sideways.
// A negative header width marks a hidden column, which gets 0.
QList<int> fitColumns(const QList<int> &headerWidths, const QList<int> &contentWidths, int available);

// Keeps a table's columns fitted to its width, as above, whenever its width, header texts, style or rows
// change, or a cell gets a value wider than its column's values were at the last fit (once per turn of
// the event loop, however many cells a frame rewrites); a narrower value leaves the columns as they are
// until the next such change, every value still whole. A column the user sizes by hand stays as sized
// until the header texts change (a new mode or language), which fits the table again. Each header
// carries its text as a tooltip, for the narrow pane where it is elided.
void keepColumnsFitted(QTableView *table);
