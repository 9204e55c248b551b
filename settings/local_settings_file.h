#pragma once

#include "settings/local_settings.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// Readers and writers of single keys of the local settings file. A reader given a value of the wrong
// type, or a value outside the ones it accepts, keeps what it is given as the current value.

// "pt_BR" or "en", exactly; anything else keeps `current`.
QString acceptedLanguage(const QJsonValue &value, const QString &current);
// "mvx_light" or "coffee_dark", exactly; anything else keeps `current`.
QString acceptedTheme(const QJsonValue &value, const QString &current);
// "line" or "candle", exactly; anything else keeps `current`.
QString acceptedChartMode(const QJsonValue &value, const QString &current);
// One of `timeframes` (the chart's items), compared exactly; anything else keeps `current`.
QString acceptedChartTimeframe(const QJsonValue &value, const QString &current,
                               const QStringList &timeframes);

// The window geometry blob as stored: standard Base64 of the toolkit's bytes, and back from a stored
// string's Latin-1 bytes (empty when the value is no string or decodes to nothing).
QString geometryToText(const QByteArray &geometry);
QByteArray geometryFromText(const QJsonValue &value);

// The hidden columns ascending, joined by "," ("" for none).
QString hiddenColumnsText(const QSet<int> &columns);

// The values above 0 of an array, in order; anything that is not a whole number in int range is
// dropped. And a list of integers as a JSON array of numbers.
QList<int> positiveIntsFromJson(const QJsonArray &array);
QJsonArray intsToJsonArray(const QList<int> &values);

// Sync versions: namespace to last known version. Reading keeps only members whose integer value is
// above 0.
QJsonObject syncVersionsToJson(const QMap<QString, int> &versions);
QMap<QString, int> syncVersionsFromJson(const QJsonObject &object);

// The account session under "auth": "token", "email", "first_name", "token_expiration". Reading sets all
// four fields, "" for each member that is missing (or when "auth" itself is missing).
QJsonObject authToJson(const LocalSettings &settings);
void readAuthJson(const QJsonValue &value, LocalSettings &settings);

// "sync_last_unix": a number truncated toward zero, 0 when missing; a number beyond the 64-bit range is
// held at the nearest end rather than overflowing.
qint64 syncLastUnixFromJson(const QJsonValue &value);

// The members holding the user's own records whose value has a type their readers cannot take: "alerts",
// "alert_history" and the legacy "portfolio" that are not arrays, "portfolios", "drawings" and "shortcuts"
// that are not objects. Read as their neutral value they would be saved back empty. A missing or null
// member is fine. In file order of the keys.
QStringList mistypedUserDataKeys(const QJsonObject &object);

// A number setting ("book_step", the movers and screener minimums): the number, 0 when missing, not a
// number or not finite.
double numberSetting(const QJsonValue &value);
