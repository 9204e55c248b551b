#include "portfolio/portfolio_model.h"

#include <QSet>

#include <cmath>

namespace {
bool sameAmount(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

QString stringOr(const QJsonValue &value, const QString &fallback)
{
    return value.isString() ? value.toString() : fallback;
}

// A number that JSON cannot hold (an infinity that slipped in) would be written as null and read back
// as 0: it is written as 0 at once, so the file says what the next start will see.
double storableNumber(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

// `wanted` when it is free, else the first free "<wanted> (n)" from 2 up.
QString freePortfolioName(const QString &wanted, const std::function<bool(const QString &)> &taken)
{
    if (!taken(wanted))
        return wanted;
    for (int n = 2;; ++n) {
        const QString name = QStringLiteral("%1 (%2)").arg(wanted).arg(n);
        if (!taken(name))
            return name;
    }
}

QString itemName(const QJsonValue &item)
{
    return item.toObject().value(QStringLiteral("name")).toString().trimmed();
}
} // namespace

bool PortfolioPosition::operator==(const PortfolioPosition &other) const
{
    return symbol == other.symbol && sameAmount(quantity, other.quantity) &&
           sameAmount(averagePrice, other.averagePrice);
}

bool PortfolioTransaction::operator==(const PortfolioTransaction &other) const
{
    return timestamp == other.timestamp && type == other.type && symbol == other.symbol &&
           sameAmount(amount, other.amount) && currency == other.currency && note == other.note;
}

QString defaultPortfolioName(bool portuguese)
{
    return portuguese ? QStringLiteral("Principal") : QStringLiteral("Main");
}

QJsonArray positionsToJson(const QList<PortfolioPosition> &positions)
{
    QJsonArray array;
    for (const PortfolioPosition &position : positions)
        array.append(QJsonObject{{QStringLiteral("symbol"), position.symbol},
                                 {QStringLiteral("quantity"), storableNumber(position.quantity)},
                                 {QStringLiteral("average_price"), storableNumber(position.averagePrice)}});
    return array;
}

QList<PortfolioPosition> positionsFromJson(const QJsonArray &array, const SymbolNormalizer &normalize)
{
    QList<PortfolioPosition> positions;
    for (const QJsonValue &element : array) {
        const QJsonObject object = element.toObject();
        PortfolioPosition position;
        position.symbol = normalize(object.value(QStringLiteral("symbol")).toString());
        if (position.symbol.isEmpty())
            continue;
        position.quantity = object.value(QStringLiteral("quantity")).toDouble(0.0);
        position.averagePrice = object.value(QStringLiteral("average_price")).toDouble(0.0);
        positions.append(position);
    }
    return positions;
}

QJsonArray transactionsToJson(const QList<PortfolioTransaction> &transactions)
{
    QJsonArray array;
    for (const PortfolioTransaction &transaction : transactions)
        array.append(QJsonObject{{QStringLiteral("timestamp"), transaction.timestamp},
                                 {QStringLiteral("type"), transaction.type},
                                 {QStringLiteral("symbol"), transaction.symbol},
                                 {QStringLiteral("amount"), storableNumber(transaction.amount)},
                                 {QStringLiteral("currency"), transaction.currency},
                                 {QStringLiteral("note"), transaction.note}});
    return array;
}

QList<PortfolioTransaction> transactionsFromJson(const QJsonArray &array)
{
    QList<PortfolioTransaction> transactions;
    for (const QJsonValue &element : array) {
        const QJsonObject object = element.toObject();
        PortfolioTransaction transaction;
        transaction.timestamp = object.value(QStringLiteral("timestamp")).toString();
        transaction.type = object.value(QStringLiteral("type")).toString();
        transaction.symbol = object.value(QStringLiteral("symbol")).toString();
        transaction.amount = object.value(QStringLiteral("amount")).toDouble(0.0);
        transaction.currency = stringOr(object.value(QStringLiteral("currency")), QStringLiteral("BRL"));
        transaction.note = object.value(QStringLiteral("note")).toString();
        transactions.append(transaction);
    }
    return transactions;
}

QJsonObject portfoliosToJson(const PortfolioSet &set)
{
    QJsonArray items;
    for (auto it = set.positions.cbegin(); it != set.positions.cend(); ++it) {
        items.append(QJsonObject{
            {QStringLiteral("name"), it.key()},
            {QStringLiteral("positions"), positionsToJson(it.value())},
            {QStringLiteral("base_currency"), set.baseCurrency.value(it.key(), QStringLiteral("BRL"))},
            {QStringLiteral("transactions"), transactionsToJson(set.transactions.value(it.key()))}});
    }
    return QJsonObject{{QStringLiteral("active"), set.active}, {QStringLiteral("items"), items}};
}

PortfolioSet portfoliosFromJson(const QJsonObject &object, const QJsonArray &legacyPositions,
                                const QString &defaultName, const SymbolNormalizer &normalize)
{
    PortfolioSet set;
    const QJsonArray items = object.value(QStringLiteral("items")).toArray();
    // Names equal once trimmed (typed apart, or merged from two machines) would replace each other and
    // the next save would drop the earlier one for good. A repeat takes a free suffix instead, one no
    // item of the file names, so that every item keeps its own.
    QSet<QString> named;
    for (const QJsonValue &element : items)
        named.insert(itemName(element));
    for (const QJsonValue &element : items) {
        const QJsonObject item = element.toObject();
        QString name = itemName(element);
        if (name.isEmpty())
            continue;
        if (set.positions.contains(name)) {
            name = freePortfolioName(name, [&](const QString &candidate) {
                return named.contains(candidate) || set.positions.contains(candidate);
            });
        }
        set.positions.insert(name,
                             positionsFromJson(item.value(QStringLiteral("positions")).toArray(), normalize));
        set.baseCurrency.insert(name,
                                stringOr(item.value(QStringLiteral("base_currency")), QStringLiteral("BRL")));
        set.transactions.insert(name,
                                transactionsFromJson(item.value(QStringLiteral("transactions")).toArray()));
    }
    set.active = object.value(QStringLiteral("active")).toString();

    const QList<PortfolioPosition> legacy = positionsFromJson(legacyPositions, normalize);
    if (set.positions.isEmpty()) {
        set.active = defaultName;
        set.positions.insert(defaultName, legacy);
    } else if (!legacy.isEmpty()) {
        // A file written while the older array was still carried beside the new form: the array's
        // positions are the user's too, and the next save no longer writes the array.
        bool held = false;
        for (const QList<PortfolioPosition> &positions : std::as_const(set.positions))
            held = held || positions == legacy;
        if (!held) {
            const QString name = freePortfolioName(
                defaultName, [&](const QString &candidate) { return set.positions.contains(candidate); });
            set.positions.insert(name, legacy);
            set.transactions.insert(name, {});
            set.baseCurrency.insert(name, QStringLiteral("BRL"));
        }
    }
    if (!set.positions.contains(set.active))
        set.active = set.positions.firstKey();
    return set;
}

bool isApplicablePortfoliosPayload(const QJsonValue &payload)
{
    return payload.isObject() && payload.toObject().value(QStringLiteral("items")).isArray();
}

int indexOfPositionIn(const QList<PortfolioPosition> &positions, const QString &symbol)
{
    for (int index = 0; index < positions.size(); ++index) {
        if (positions.at(index).symbol == symbol)
            return index;
    }
    return -1;
}
