#pragma once

#include <QColor>

class QTableWidget;

// The snapshot's field, source and neutral value cells. The dark theme's pale greens would stand almost
// white on the light theme's white table, so the light theme has dark ones of its own.
struct SnapshotColours
{
    QColor label;   // field and source cells
    QColor neutral; // a value not coloured by its sign, or a signed value that is missing ("--")
};

SnapshotColours snapshotColours(bool light);

// Gives the cells of a filled snapshot table the colours of the theme now in force: a cell in the
// other theme's label or neutral colour takes this theme's; rising and falling values keep theirs.
void recolourSnapshotCells(QTableWidget *table, bool light);
