#pragma once

#include <QTableWidgetItem>

// A table cell that sorts by the number it carries under Qt::UserRole when both cells carry one, and by
// its text otherwise. A number that is not finite (or not a number at all) counts as absent: NaN would
// compare false both ways and break the strict ordering the table's sort relies on.
class MarketTableItem : public QTableWidgetItem
{
public:
    explicit MarketTableItem(const QString &text, int type = 0);

    // A cell showing `text` and sorting by `value`.
    static MarketTableItem *withNumber(const QString &text, double value);

    bool operator<(const QTableWidgetItem &other) const override;
};

// The finite number a cell carries under Qt::UserRole; false when it carries none.
bool marketItemNumber(const QTableWidgetItem &item, double *value);
