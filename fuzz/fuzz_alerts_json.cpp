// Arbitrary bytes as a stored or downloaded "alerts" payload (and as the settings file's two arrays).
#include "alerts/price_alert.h"

#include <QByteArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

namespace {

QString normalize(const QString &text)
{
    return text.trimmed().toUpper();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzcheck::inputBytes(data, size);
    const QJsonDocument document = QJsonDocument::fromJson(input);
    const QJsonValue value =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());

    const std::optional<AlertsPayload> read = readAlertsPayload(value, normalize);
    if (document.isArray()) {
        require(!read);
        const QList<PriceAlert> alerts = alertsFromJson(document.array(), normalize);
        for (const PriceAlert &alert : alerts)
            require(!alert.symbol.isEmpty() && alert.target > 0.0);
        // What was kept reads back unchanged.
        const QJsonArray written = alertsToJson(alerts);
        require(alertsToJson(alertsFromJson(written, normalize)) == written);
        const QList<AlertHistoryEntry> history = alertHistoryFromJson(document.array(), normalize);
        for (const AlertHistoryEntry &entry : history)
            require(!entry.timestamp.isEmpty() && !entry.symbol.isEmpty());
        const QJsonArray historyWritten = alertHistoryToJson(history);
        require(alertHistoryToJson(alertHistoryFromJson(historyWritten, normalize)) == historyWritten);
        for (const QJsonValue &element : document.array())
            (void)jsonInt64(element.toObject().value(QLatin1String("last_trigger_ms")));
        return 0;
    }
    if (!read)
        return 0;
    const QJsonObject payload = alertsPayload(read->alerts, read->history);
    const std::optional<AlertsPayload> again = readAlertsPayload(payload, normalize);
    require(again && again->alerts.size() == read->alerts.size() &&
            again->history.size() == read->history.size());
    require(alertsPayload(again->alerts, again->history) == payload);
    for (const PriceAlert &alert : read->alerts) {
        require(!alert.symbol.isEmpty() && alert.target > 0.0);
        require(!alertFires(alert, alert.symbol, 0.0, 0));
    }
    return 0;
}
