#pragma once

#include <QList>
#include <QString>

class QComboBox;
class QTableWidget;

// One entry of a selection combo: the key is stored as the item's data and never shown, the label is
// the text of the current language.
struct KeyedItem
{
    QString key;
    QString label;
};

// The key of the combo's current item (its item data), empty when there is no combo or no selection.
QString currentComboKey(const QComboBox *combo);

// Rebuilds a keyed combo without emitting any change: clears it, adds `items` in order and selects the
// item whose key equals `preferredKey` exactly, or, when `preferredKey` is empty, the key that was
// selected before the rebuild; falls back to the first item when the key is not offered.
void refillKeyedCombo(QComboBox *combo, const QList<KeyedItem> &items, const QString &preferredKey);

// The look most tables of the window share: no row numbers, the last column stretching, columns the
// user can resize and that widen to their contents, whole-row selection, no in-place editing,
// alternating rows, sortable.
void applyStandardTableSettings(QTableWidget *table);

class QTableView;
class QWidget;

// The height at which a table shows its header and `rows` rows of the default row height inside its
// frame, as the current style sizes them. A horizontal scroll bar, when the columns are wider than the
// table, takes its height from the rows: reserving it always would cost every small window a row.
int tableHeightForRows(const QTableView *table, int rows);

// Holds a control at least as wide as its size hint (text, icon and the style's padding) and at least
// `floor`. A plain minimum width would let a tight layout squeeze a longer text and cut it. A style sheet
// replaces a widget's minimum width when it polishes it, so the control is polished here first and the
// call belongs after every change of text or theme.
void holdWidthForText(QWidget *control, int floor = 0);

// Tab and button texts read a single '&' as a keyboard mnemonic and hide it; doubling every '&' makes
// the character show as written ("Cash & dividends").
QString withLiteralAmpersands(const QString &text);

class QGridLayout;
class QVBoxLayout;

// The frame every page of the window shares: a column without margins whose first row is a header
// grid for the page's title and controls. The caller adds the header to the column when it is filled.
struct PanelPage
{
    QWidget *page;
    QVBoxLayout *layout;
    QWidget *header;
    QGridLayout *grid;
};
PanelPage makePanelPage(QWidget *parent, int headerSpacing = 6);
