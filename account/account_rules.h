#pragma once

#include "settings/local_settings.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QMap>
#include <QString>
#include <QStringList>

// The five namespaces of an account sync, in upload order.
const QStringList &syncNamespaces();

// The user's message for a sign-in error code; an unknown code, or none, gives the general failure.
QString authErrorText(const QString &code, bool portuguese);
bool isAuthErrorCode(const QString &code);

// Applies a sign-in reply to the session fields. False, with `errorCode` set to the reply's "error",
// when "ok" is not true (the session untouched) or when no token is held afterwards.
bool applyAuthReplyTo(LocalSettings &settings, const QJsonObject &reply, QString *errorCode);

// Whether the service said the stored session is no good (as opposed to not answering at all): HTTP
// 401 or 403, or "ok" false with "invalid_or_expired_token".
bool sessionRejected(int httpStatus, const QJsonObject &reply);

// Numbers from the service, held inside the target range before conversion (a plain cast of a double
// outside it is undefined behaviour); not a number gives 0.
int clampedInt32(const QJsonValue &value);
qint64 clampedInt64(const QJsonValue &value);

// Version bookkeeping over a pulled or pushed "items" object.
void recordVersions(QMap<QString, int> &versions, const QJsonObject &items);
QStringList newerNamespaces(const QMap<QString, int> &versions, const QJsonObject &items);
QJsonObject expectedVersions(const QMap<QString, int> &versions, const QStringList &names, bool allZero);
// The versions the pull reported, for the upload after the user chose to keep the local state.
QJsonObject pulledVersions(const QJsonObject &items);
// The pulled items of namespaces this build does not know (another build's "drawings", say). They are
// never applied nor uploaded, so recording their versions is all a sync can do with them; without it
// every later sync would ask about them again.
QJsonObject unknownNamespaceItems(const QJsonObject &items);

// Why a pulled namespace cannot be applied, or empty when it can: an item without a "payload" object,
// or a "watchlists" payload without a "symbols" array (applied, it would replace the user's list with
// the defaults).
QString unusableSyncItemReason(const QString &name, const QJsonValue &item);

// The message of a failed pull: the service's code when it is known, else the transport's text cut to
// 160 characters, else the general failure.
QString syncPullErrorText(const QString &code, const QString &transportError, bool portuguese);

// "1023 B", "1.5 KB", "5120.0 MB".
QString formatByteSize(qint64 bytes);
