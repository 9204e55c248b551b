#include "settings/local_settings_file.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
QString acceptedString(const QJsonValue &value, const QString &current, const QStringList &accepted)
{
    if (!value.isString())
        return current;
    const QString text = value.toString();
    return accepted.contains(text) ? text : current;
}
} // namespace

QString acceptedLanguage(const QJsonValue &value, const QString &current)
{
    return acceptedString(value, current, {QStringLiteral("pt_BR"), QStringLiteral("en")});
}

QString acceptedTheme(const QJsonValue &value, const QString &current)
{
    return acceptedString(value, current, {QStringLiteral("mvx_light"), QStringLiteral("coffee_dark")});
}

QString acceptedChartMode(const QJsonValue &value, const QString &current)
{
    return acceptedString(value, current, {QStringLiteral("line"), QStringLiteral("candle")});
}

QString acceptedChartTimeframe(const QJsonValue &value, const QString &current, const QStringList &timeframes)
{
    return acceptedString(value, current, timeframes);
}

QString geometryToText(const QByteArray &geometry)
{
    return QString::fromLatin1(geometry.toBase64());
}

QByteArray geometryFromText(const QJsonValue &value)
{
    return QByteArray::fromBase64(value.toString().toLatin1());
}

QString hiddenColumnsText(const QSet<int> &columns)
{
    QList<int> sorted(columns.cbegin(), columns.cend());
    std::sort(sorted.begin(), sorted.end());
    QStringList parts;
    for (int column : sorted)
        parts << QString::number(column);
    return parts.join(QLatin1Char(','));
}

QList<int> positiveIntsFromJson(const QJsonArray &array)
{
    QList<int> values;
    for (const QJsonValue &value : array) {
        const int number = value.toInt(-1);
        if (number > 0)
            values << number;
    }
    return values;
}

QJsonArray intsToJsonArray(const QList<int> &values)
{
    QJsonArray array;
    for (int value : values)
        array.append(value);
    return array;
}

QJsonObject syncVersionsToJson(const QMap<QString, int> &versions)
{
    QJsonObject object;
    for (auto it = versions.constBegin(); it != versions.constEnd(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QMap<QString, int> syncVersionsFromJson(const QJsonObject &object)
{
    QMap<QString, int> versions;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const int version = it.value().toInt();
        if (version > 0)
            versions.insert(it.key(), version);
    }
    return versions;
}

QJsonObject authToJson(const LocalSettings &settings)
{
    QJsonObject auth;
    auth.insert(QStringLiteral("token"), settings.authToken);
    auth.insert(QStringLiteral("email"), settings.authEmail);
    auth.insert(QStringLiteral("first_name"), settings.authFirstName);
    auth.insert(QStringLiteral("token_expiration"), settings.authTokenExpiration);
    return auth;
}

void readAuthJson(const QJsonValue &value, LocalSettings &settings)
{
    const QJsonObject auth = value.toObject();
    settings.authToken = auth.value(QStringLiteral("token")).toString();
    settings.authEmail = auth.value(QStringLiteral("email")).toString();
    settings.authFirstName = auth.value(QStringLiteral("first_name")).toString();
    settings.authTokenExpiration = auth.value(QStringLiteral("token_expiration")).toString();
}

qint64 syncLastUnixFromJson(const QJsonValue &value)
{
    const double number = std::trunc(value.toDouble(0.0));
    if (!std::isfinite(number))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it would overflow the conversion.
    constexpr double limit = 9223372036854775808.0;
    if (number >= limit)
        return std::numeric_limits<qint64>::max();
    if (number < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(number);
}

QStringList mistypedUserDataKeys(const QJsonObject &object)
{
    static const QStringList arrays = {QStringLiteral("alerts"), QStringLiteral("alert_history"),
                                       QStringLiteral("portfolio")};
    static const QStringList objects = {QStringLiteral("portfolios"), QStringLiteral("drawings"),
                                        QStringLiteral("shortcuts")};
    QStringList keys;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (it.value().isNull()) // holds nothing that could be lost
            continue;
        if ((arrays.contains(it.key()) && !it.value().isArray()) ||
            (objects.contains(it.key()) && !it.value().isObject()))
            keys << it.key();
    }
    return keys;
}

double numberSetting(const QJsonValue &value)
{
    const double number = value.toDouble(0.0);
    return std::isfinite(number) ? number : 0.0;
}
