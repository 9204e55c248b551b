#pragma once

#include "providers/provider_coverage.h"

#include <QColor>
#include <QJsonObject>
#include <QMap>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>

#include <functional>
#include <optional>

// How one coverage row's provider answered its probes.
struct ProviderHealth
{
    QString status = QStringLiteral("not tested"); // "not tested", "testing", "ok", "rate limited", "error",
                                                   // "skipped: no key" or "not implemented"
    qint64 latencyMs = -1;                         // -1: not measured
    QString lastSuccess;                           // local time "yyyy-MM-dd HH:mm:ss"
    QString lastError;                             // never holds a key
    qint64 attempts = 0;
    qint64 successes = 0;
    qint64 failures = 0;
};

using ProviderHealthMap = QMap<QString, ProviderHealth>;

// The stored "api_health" object: one member per record, each with exactly "state", "latency_ms",
// "last_success", "last_error", "attempts", "successes" and "failures".
QJsonObject providerHealthJson(const ProviderHealthMap &records);

// Every member becomes a record, whatever its name (unknown ones are kept to be written back). Missing
// numbers read as 0, a member that is no object as a default record with zero latency. A record stored
// while its probe was pending ("testing") reads as "not tested": no probe survives a restart.
ProviderHealthMap providerHealthFromJson(const QJsonObject &object);

QColor healthStateColour(const QString &state, bool light);

// The fixed probe of a row, on the endpoint table's hosts, or nothing when the row has no probe or its
// credential is missing. `credential` gives a key name's configured value; `newsEndpoint` is the
// configured news feed ("murvex_news_endpoint"), probed only when it is an http or https URL with a host.
std::optional<QNetworkRequest> healthCheckRequest(const ProviderCoverageRow &row,
                                                  const std::function<QString(const QString &)> &credential);

// The last-error text of a failed probe without a check message: the kind of network failure only,
// never the reply's own error string (which carries the probe URL, and with it the key).
QString healthNetworkErrorText(QNetworkReply::NetworkError error);
