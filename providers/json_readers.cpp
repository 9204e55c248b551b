#include "providers/json_readers.h"

#include <cmath>
#include <limits>

double finiteJsonDouble(const QJsonValue &value)
{
    if (!value.isDouble())
        return 0.0;
    const double number = value.toDouble();
    return std::isfinite(number) ? number : 0.0;
}

double decimalFromText(const QString &text)
{
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0.0;
}

double decimalFromJsonText(const QJsonValue &value)
{
    return value.isString() ? decimalFromText(value.toString()) : 0.0;
}

qint64 jsonInteger(const QJsonValue &value)
{
    if (!value.isDouble())
        return 0;
    // Whole numbers beyond 2^53 keep their exact value through toInteger; anything else goes through
    // the double, and only when the cast is defined.
    const qint64 exact = value.toInteger(std::numeric_limits<qint64>::min());
    if (exact != std::numeric_limits<qint64>::min())
        return exact;
    const double number = std::trunc(value.toDouble());
    if (!std::isfinite(number) || number <= -9.2e18 || number >= 9.2e18)
        return 0;
    return static_cast<qint64>(number);
}
