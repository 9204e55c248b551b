#include "alerts/price_alert.h"

#include "shell/formats.h"

#include <algorithm>
#include <cmath>

QString alertConditionSign(bool above)
{
    return above ? QStringLiteral(">=") : QStringLiteral("<=");
}

QString alertConditionText(bool above, double target)
{
    return alertConditionSign(above) + QLatin1Char(' ') + formatPriceFixed(target, 4);
}

double alertTargetStart(double current)
{
    if (!std::isfinite(current) || current <= 0.0)
        return 0.0;
    return current < 1.0 ? formatPriceFixed(current, 4).toDouble() : current;
}

bool alertPriceHits(const PriceAlert &alert, double last)
{
    if (!std::isfinite(last) || last <= 0.0)
        return false;
    return alert.above ? last >= alert.target : alert.target >= last;
}

bool alertCoolingDown(const PriceAlert &alert, qint64 nowMs)
{
    if (!alert.repeating || alert.lastTriggerMs <= 0)
        return false;
    // Compared without subtracting: a far-past or far-future value must not overflow.
    return nowMs >= alert.lastTriggerMs && nowMs - alert.lastTriggerMs < kAlertCooldownMs;
}

bool alertFires(const PriceAlert &alert, const QString &symbol, double last, qint64 nowMs)
{
    if (!alert.repeating && alert.triggered)
        return false;
    if (alert.symbol != symbol)
        return false;
    return alertPriceHits(alert, last) && !alertCoolingDown(alert, nowMs);
}

qint64 jsonInt64(const QJsonValue &value)
{
    if (value.isString()) {
        bool ok = false;
        const qint64 parsed = value.toString().trimmed().toLongLong(&ok, 10);
        return ok ? parsed : 0;
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        // 2^63 itself is out of range; casting anything outside is undefined behaviour.
        constexpr double limit = 9223372036854775808.0;
        if (!std::isfinite(number) || number >= limit || number < -limit)
            return 0;
        return static_cast<qint64>(number);
    }
    return 0;
}

QJsonObject alertToJson(const PriceAlert &alert)
{
    return QJsonObject{{QStringLiteral("symbol"), alert.symbol},
                       {QStringLiteral("target"), alert.target},
                       {QStringLiteral("above"), alert.above},
                       {QStringLiteral("triggered"), alert.triggered},
                       {QStringLiteral("repeating"), alert.repeating},
                       {QStringLiteral("last_trigger_ms"), QString::number(alert.lastTriggerMs)}};
}

QJsonArray alertsToJson(const QList<PriceAlert> &alerts)
{
    QJsonArray array;
    for (const PriceAlert &alert : alerts)
        array.append(alertToJson(alert));
    return array;
}

namespace {

QString stringMember(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? value.toString() : QString();
}

double numberMember(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isDouble() ? value.toDouble() : 0.0;
}

bool boolMember(const QJsonObject &object, const char *key, bool fallback)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isBool() ? value.toBool() : fallback;
}

} // namespace

QList<PriceAlert> alertsFromJson(const QJsonArray &array, const SymbolNormalizer &normalize)
{
    QList<PriceAlert> alerts;
    for (const QJsonValue &element : array) {
        const QJsonObject object = element.toObject();
        PriceAlert alert;
        alert.symbol = normalize(stringMember(object, "symbol"));
        alert.target = numberMember(object, "target");
        alert.above = boolMember(object, "above", true);
        alert.triggered = boolMember(object, "triggered", false);
        alert.repeating = boolMember(object, "repeating", false);
        alert.lastTriggerMs = jsonInt64(object.value(QLatin1String("last_trigger_ms")));
        if (!alert.symbol.isEmpty() && alert.target > 0.0)
            alerts.append(alert);
    }
    return alerts;
}

QJsonObject alertHistoryEntryToJson(const AlertHistoryEntry &entry)
{
    return QJsonObject{
        {QStringLiteral("timestamp"), entry.timestamp}, {QStringLiteral("event"), entry.event},
        {QStringLiteral("symbol"), entry.symbol},       {QStringLiteral("condition"), entry.condition},
        {QStringLiteral("target"), entry.target},       {QStringLiteral("price"), entry.price},
        {QStringLiteral("status"), entry.status}};
}

QJsonArray alertHistoryToJson(const QList<AlertHistoryEntry> &history)
{
    QJsonArray array;
    for (const AlertHistoryEntry &entry : history)
        array.append(alertHistoryEntryToJson(entry));
    return array;
}

QList<AlertHistoryEntry> alertHistoryFromJson(const QJsonArray &array, const SymbolNormalizer &normalize)
{
    QList<AlertHistoryEntry> history;
    for (const QJsonValue &element : array) {
        const QJsonObject object = element.toObject();
        AlertHistoryEntry entry;
        entry.timestamp = stringMember(object, "timestamp");
        entry.event = stringMember(object, "event");
        entry.symbol = normalize(stringMember(object, "symbol"));
        entry.condition = stringMember(object, "condition");
        entry.target = numberMember(object, "target");
        entry.price = numberMember(object, "price");
        entry.status = stringMember(object, "status");
        if (!entry.timestamp.isEmpty() && !entry.symbol.isEmpty())
            history.append(entry);
    }
    return history;
}

AlertHistoryEntry makeAlertHistoryEntry(const PriceAlert &alert, const QString &event, double price,
                                        const QString &status, const QString &timestamp)
{
    AlertHistoryEntry entry;
    entry.timestamp = timestamp;
    entry.event = event;
    entry.symbol = alert.symbol;
    entry.condition = alertConditionText(alert.above, alert.target);
    entry.target = alert.target;
    entry.price = price;
    entry.status =
        alert.repeating && status == QLatin1String("Active") ? QStringLiteral("Active / Repeat") : status;
    return entry;
}

QString alertHistoryColorName(const QString &word)
{
    if (word == QLatin1String("Triggered") || word == QLatin1String("Hit"))
        return QStringLiteral("#f45d5d");
    if (word == QLatin1String("Removed") || word == QLatin1String("Inactive"))
        return QStringLiteral("#9aa0a6");
    if (word == QLatin1String("Armed") || word == QLatin1String("Rearmed") ||
        word == QLatin1String("Active") || word == QLatin1String("Active / Repeat"))
        return QStringLiteral("#20c878");
    return QString();
}

QList<AlertHistoryCell> alertHistoryCells(const AlertHistoryEntry &entry)
{
    return {{entry.timestamp, std::nullopt},
            {entry.event, std::nullopt},
            {entry.symbol, std::nullopt},
            {entry.condition, std::nullopt},
            {formatPriceFixed(entry.target, 4), entry.target},
            {entry.price > 0.0 ? formatPriceFixed(entry.price, 4) : QStringLiteral("--"), entry.price},
            {entry.status, std::nullopt}};
}

QString alertPopupKey(const PriceAlert &alert)
{
    return QStringLiteral("%1\n%2\n%3")
        .arg(alert.symbol, alertConditionSign(alert.above), QString::number(alert.target, 'g', 17));
}

AlertRowKey alertRowKey(const QString &symbolText, const QString &conditionText, double target,
                        const SymbolNormalizer &normalize)
{
    AlertRowKey key;
    key.symbol = normalize(symbolText);
    key.above = conditionText.trimmed().startsWith(QLatin1String(">="));
    key.target = target;
    return key;
}

int findMatchingAlert(const QList<PriceAlert> &alerts, const AlertRowKey &key)
{
    for (int i = 0; i < alerts.size(); ++i) {
        const PriceAlert &alert = alerts.at(i);
        // A sub-cent coin's alerts can lie a few hundred-millionths apart, so the margin shrinks with
        // the price below 1 and one alert is never taken for its neighbour.
        if (alert.symbol == key.symbol && alert.above == key.above &&
            std::fabs(alert.target - key.target) < 1e-6 * std::min(1.0, std::fabs(key.target)))
            return i;
    }
    return -1;
}

QJsonObject alertsPayload(const QList<PriceAlert> &alerts, const QList<AlertHistoryEntry> &history)
{
    return QJsonObject{{QStringLiteral("alerts"), alertsToJson(alerts)},
                       {QStringLiteral("history"), alertHistoryToJson(history)}};
}

std::optional<AlertsPayload> readAlertsPayload(const QJsonValue &payload, const SymbolNormalizer &normalize)
{
    if (!payload.isObject())
        return std::nullopt;
    const QJsonObject object = payload.toObject();
    const bool hasAlerts = object.contains(QLatin1String("alerts"));
    const bool hasHistory = object.contains(QLatin1String("history"));
    if (!hasAlerts && !hasHistory)
        return std::nullopt;
    if ((hasAlerts && !object.value(QLatin1String("alerts")).isArray()) ||
        (hasHistory && !object.value(QLatin1String("history")).isArray()))
        return std::nullopt;
    AlertsPayload read;
    read.alerts = alertsFromJson(object.value(QLatin1String("alerts")).toArray(), normalize);
    read.history = alertHistoryFromJson(object.value(QLatin1String("history")).toArray(), normalize);
    return read;
}
