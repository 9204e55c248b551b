#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QString>

// A reply's raw header pairs, name (as the server wrote it) to value.
using ProviderReplyHeaders = QHash<QByteArray, QByteArray>;

// What a provider's HTTP reply amounts to, before any fetcher reads it.
struct ProviderReplyCheck
{
    bool ok = false;          // the body holds a usable payload for this provider
    bool rateLimited = false; // HTTP 429, or the provider's own message speaks of a limit
    int retryAfterSec = 0;    // from Retry-After, whatever the status; 0 when absent or unusable
    QString message;          // why the reply is not usable; empty when ok
};

// Classifies one reply. `providerKey` is a catalogue key ("finnhub", "brapi_public") or a provider's
// display name ("Binance Public"); the payload test is chosen by lower-case words inside it. `httpStatus`
// is 0 when the reply carries none (network error, abort, time-out).
ProviderReplyCheck evaluateProviderReply(const QString &providerKey, int httpStatus,
                                         const ProviderReplyHeaders &headers, const QByteArray &body);

// Whole seconds from the Retry-After header (name in any case), trimmed and read as a decimal int. The
// date form, a negative number, a number beyond int and a missing header all give 0. Callers that turn
// it into milliseconds must widen it first.
int retryAfterSeconds(const ProviderReplyHeaders &headers);

// The first non-empty text among "Note", "Information", "Error Message", "message" and "error", at most
// 180 characters. A key the provider echoes back ("your API key as ...", "apikey=...") is replaced by
// "[redacted]": the text ends up in the event console.
QString providerApiMessage(const QJsonObject &object);

// True when both times are valid, the limit is not negative and `to` lies 0 to `limitSeconds` whole
// seconds after `from`.
bool isWithinSeconds(const QDateTime &from, const QDateTime &to, qint64 limitSeconds);
