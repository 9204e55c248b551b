#include "watchlist/quote_status.h"

#include <QHash>

namespace {
struct StatusText
{
    const char *key;
    const char *portuguese; // UTF-8
};

// Keys whose Portuguese text differs from the key, plus "stream", which reads the same in both.
const StatusText kStatusTexts[] = {
    {"pending", "pendente"},
    {"loading", "carregando"},
    {"free/delayed", "gratuito/com delay"},
    {"realtime", "tempo real"},
    {"stream", "stream"},
    {"ws connecting", "ws conectando"},
    {"ws disconnected", "ws desconectado"},
    {"brapi error", "erro BrAPI"},
    {"http error", "erro HTTP"},
    {"kline error", "erro kline"},
    {"no free data", "sem dado gratuito"},
    {"invalid free data", "dado gratuito inv\xc3\xa1lido"},
};

const QHash<QString, QString> &portugueseByKey()
{
    static const QHash<QString, QString> map = [] {
        QHash<QString, QString> out;
        for (const StatusText &entry : kStatusTexts)
            out.insert(QString::fromUtf8(entry.key), QString::fromUtf8(entry.portuguese));
        return out;
    }();
    return map;
}

const QHash<QString, QString> &keyByPortuguese()
{
    static const QHash<QString, QString> map = [] {
        QHash<QString, QString> out;
        for (const StatusText &entry : kStatusTexts)
            out.insert(QString::fromUtf8(entry.portuguese), QString::fromUtf8(entry.key));
        return out;
    }();
    return map;
}
} // namespace

QString quoteStatusText(const QString &key, bool portuguese)
{
    if (!portuguese)
        return key;
    return portugueseByKey().value(key, key);
}

QString quoteStatusKey(const QString &text)
{
    return keyByPortuguese().value(text, text);
}

QString quoteStatusForProvider(const QString &providerKey)
{
    if (providerKey.startsWith(QLatin1String("yahoo")) || providerKey == QLatin1String("brapi_public"))
        return QStringLiteral("free/delayed");
    return QStringLiteral("key/delayed");
}

bool quoteWantsChartHistory(const QString &providerKey)
{
    return providerKey.startsWith(QLatin1String("brapi"));
}

QString quoteLatencyText(qint64 latencyMs)
{
    return QStringLiteral("%1 ms").arg(latencyMs);
}

QString providerDisplayNameForTag(const QString &providerTag)
{
    const QString tag = providerTag.toLower();
    if (tag == QLatin1String("binance"))
        return QStringLiteral("Binance WS");
    if (tag == QLatin1String("brapi"))
        return QStringLiteral("BrAPI");
    if (tag == QLatin1String("alphavantage"))
        return QStringLiteral("Alpha Vantage");
    if (tag == QLatin1String("twelvedata"))
        return QStringLiteral("Twelve Data");
    if (tag == QLatin1String("fmp") || tag == QLatin1String("financialmodelingprep"))
        return QStringLiteral("Financial Modeling Prep");
    return QStringLiteral("Yahoo");
}
