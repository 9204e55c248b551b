#pragma once

#include <QList>

class QTableView;

// The widths of a table's columns but the last, which stretches over whatever the others leave of the
// `available` pixels. Every column first gets what its header needs, so no header is cut while the
// headers fit at all; the room left over goes to the columns whose contents want more, left to right.
// When even the headers do not fit, each column keeps its header's width and the table scrolls sideways
// rather than cutting a header.
QList<int> fitLeadingColumns(const QList<int> &headerWidths, const QList<int> &contentWidths, int available);

// Keeps a table's columns fitted to its width, as above, whenever its width, header texts or rows
// change. A column the user sizes by hand stays as sized until the header texts change (a new mode or
// language), which fits the table again.
void keepColumnsFitted(QTableView *table);
