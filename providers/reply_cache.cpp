#include "providers/reply_cache.h"

#include "settings/atomic_file.h"

#include "providers/json_readers.h"
#include "providers/reply_check.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <limits>

QString alphaVantageCacheFileName(const QString &symbol)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Z0-9_.-]"));
    QString name = symbol;
    name.replace(unsafe, QStringLiteral("_"));
    return name + QStringLiteral(".json");
}

bool writeReplyCacheFile(const QString &path, const QByteArray &body)
{
    return writeFileAtomically(path, body, false);
}

std::optional<QByteArray> readFreshReplyCacheFile(const QString &path, const QDateTime &now,
                                                  int maxAgeSeconds)
{
    const QFileInfo info(path);
    if (!info.isFile() || !isWithinSeconds(info.lastModified(), now, maxAgeSeconds))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<CachedAlphaVantageQuote> readAlphaVantageCachedQuote(const QByteArray &body)
{
    const QJsonObject global =
        QJsonDocument::fromJson(body).object().value(QLatin1String("Global Quote")).toObject();
    const auto field = [&global](const char *key) {
        return decimalFromJsonText(global.value(QLatin1String(key)));
    };
    CachedAlphaVantageQuote quote;
    quote.open = field("02. open");
    quote.high = field("03. high");
    quote.low = field("04. low");
    quote.price = field("05. price");
    quote.volume = field("06. volume");
    if (!(quote.price > 0.0))
        return std::nullopt;

    QString change = global.value(QLatin1String("10. change percent")).toString();
    change.remove(QLatin1Char('%'));
    bool ok = false;
    const double value = change.toDouble(&ok);
    quote.changePercent = ok && std::isfinite(value) ? value : std::numeric_limits<double>::quiet_NaN();
    return quote;
}
