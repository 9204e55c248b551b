#include "watchlist/market_table_item.h"

#include <cmath>

MarketTableItem::MarketTableItem(const QString &text, int type) : QTableWidgetItem(text, type) {}

MarketTableItem *MarketTableItem::withNumber(const QString &text, double value)
{
    auto *item = new MarketTableItem(text);
    item->setData(Qt::UserRole, value);
    return item;
}

bool marketItemNumber(const QTableWidgetItem &item, double *value)
{
    const QVariant data = item.data(Qt::UserRole);
    if (!data.isValid())
        return false;
    bool ok = false;
    const double number = data.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return false;
    if (value)
        *value = number;
    return true;
}

bool MarketTableItem::operator<(const QTableWidgetItem &other) const
{
    double mine = 0.0;
    double theirs = 0.0;
    if (marketItemNumber(*this, &mine) && marketItemNumber(other, &theirs))
        return mine < theirs;
    return text() < other.text();
}
