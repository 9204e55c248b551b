#pragma once

#include <QJsonValue>
#include <QString>
#include <QtGlobal>

// Small readers shared by the fetchers and the reply check. Each one turns whatever a provider sent
// into a finite value, so no infinity or not-a-number ever leaves a parser.

// The value when it is a finite JSON number, else 0.
double finiteJsonDouble(const QJsonValue &value);

// Text read as a decimal number (surrounding blanks allowed); 0 when it does not parse or is not finite
// ("inf", "nan" and the like).
double decimalFromText(const QString &text);

// The value when it is a JSON string holding a decimal number, else 0 (a JSON number is not text).
double decimalFromJsonText(const QJsonValue &value);

// A JSON number as a whole number, the fraction dropped; 0 when it is not a number or lies outside
// the 64-bit range.
qint64 jsonInteger(const QJsonValue &value);
