#include "settings/api_keys.h"

#include "app/endpoints.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {
const QString kAlphaVantageKey = QStringLiteral("alpha_vantage_api_key");
const QString kItickKey = QStringLiteral("itick_api_key");
const QString kBrapiKey = QStringLiteral("brapi_token");
const QString kHiddenColumnsKey = QStringLiteral("hidden_columns");

// Sample files once shipped these in place of real keys; they must never override a real one.
const QString kBrapiPlaceholder = QStringLiteral("YOUR_BRAPI_TOKEN_HERE");
const QString kAlphaVantagePlaceholder = QStringLiteral("YOUR_ALPHA_VANTAGE_KEY_HERE");
} // namespace

const char kKeyFileHeader[] = "# MURVEX_TERMINAL local keys. Do not commit this file.";

QList<ApiKeySpec> apiKeyCatalog()
{
    return {
        {kAlphaVantageKey, QStringLiteral("Alpha Vantage"),
         QStringLiteral("US quotes, movers and fundamentals")},
        {kItickKey, QStringLiteral("iTick"), QStringLiteral("US Level 2 stock depth, quote and tick stream")},
        {kBrapiKey, QStringLiteral("BrAPI"), QStringLiteral("B3 quotes, fundamentals and broader coverage")},
        {QStringLiteral("polygon_api_key"), QStringLiteral("Polygon.io"),
         QStringLiteral("US stocks, options, forex and crypto")},
        {QStringLiteral("finnhub_api_key"), QStringLiteral("Finnhub"),
         QStringLiteral("US/Global quotes, news and fundamentals")},
        {QStringLiteral("twelvedata_api_key"), QStringLiteral("Twelve Data"),
         QStringLiteral("Global stocks, forex and crypto")},
        {QStringLiteral("iex_cloud_api_key"), QStringLiteral("IEX Cloud"), QStringLiteral("US market data")},
        {QStringLiteral("financial_modeling_prep_api_key"), QStringLiteral("Financial Modeling Prep"),
         QStringLiteral("Fundamentals, screeners and statements")},
        {QStringLiteral("tiingo_api_key"), QStringLiteral("Tiingo"), QStringLiteral("US prices and news")},
        {QStringLiteral("eodhd_api_key"), QStringLiteral("EODHD"),
         QStringLiteral("End-of-day and fundamentals")},
        {QStringLiteral("marketstack_api_key"), QStringLiteral("Marketstack"),
         QStringLiteral("End-of-day/global equities")},
        {QStringLiteral("murvex_news_endpoint"), QStringLiteral("Murvex News JSON"),
         QStringLiteral("Optional override for ") + kDefaultNewsFeedUrl.toString()},
        {QStringLiteral("murvex_news_token"), QStringLiteral("Murvex News Token"),
         QStringLiteral("Optional bearer token for Murvex news endpoint")},
        {QStringLiteral("newsapi_api_key"), QStringLiteral("NewsAPI"), QStringLiteral("News panel")},
        {QStringLiteral("binance_api_key"), QStringLiteral("Binance API Key"),
         QStringLiteral("Optional account/private endpoints")},
        {QStringLiteral("binance_api_secret"), QStringLiteral("Binance API Secret"),
         QStringLiteral("Optional account/private endpoints")},
    };
}

QList<KeyFileEntry> parseKeyFileText(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QList<KeyFileEntry> entries;
    // A file saved by a common editor may start with a byte-order mark, which is not blank to trimming
    // and would make the first key unknown.
    const QStringList lines = (text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text).split(lineEnd);
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        entries.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return entries;
}

void applyEnvironmentApiKeys(LocalSettings &settings, const QProcessEnvironment &environment)
{
    const auto take = [&environment](const char *name, QString &field) {
        const QString value = environment.value(QString::fromLatin1(name));
        if (!value.isEmpty())
            field = value;
    };
    take("MVX_ALPHA_VANTAGE_API_KEY", settings.alphaVantageApiKey);
    take("MVX_BRAPI_TOKEN", settings.brapiToken);
    take("MVX_ITICK_API_KEY", settings.itickApiKey);
}

std::optional<QString> applyKeyFileEntries(LocalSettings &settings, const QList<KeyFileEntry> &entries)
{
    std::optional<QString> hiddenColumns;
    for (const KeyFileEntry &entry : entries) {
        const QString &key = entry.key;
        const QString &value = entry.value;
        if (key == kBrapiKey) {
            if (!value.isEmpty() && value != kBrapiPlaceholder)
                settings.brapiToken = value;
        } else if (key == kAlphaVantageKey) {
            if (!value.isEmpty() && value != kAlphaVantagePlaceholder)
                settings.alphaVantageApiKey = value;
        } else if (key == kItickKey) {
            settings.itickApiKey = value;
        } else if (key == kHiddenColumnsKey) {
            hiddenColumns = value;
        } else if (!value.isEmpty()) {
            settings.configValues.insert(key, value);
        }
    }
    return hiddenColumns;
}

bool containsLineBreak(const QString &value)
{
    for (const QChar c : value) {
        switch (c.unicode()) {
        case 0x000A: // line feed
        case 0x000B: // vertical tab
        case 0x000C: // form feed
        case 0x000D: // carriage return
        case 0x0085: // next line
        case 0x2028: // line separator
        case 0x2029: // paragraph separator
            return true;
        default:
            break;
        }
    }
    return false;
}

QString keyFileText(const LocalSettings &settings)
{
    QString text = QString::fromLatin1(kKeyFileHeader) + QLatin1Char('\n');
    for (const ApiKeySpec &keySpec : apiKeyCatalog()) {
        const QString value = apiKeyValue(settings, keySpec.configKey);
        if (containsLineBreak(value))
            continue;
        text += keySpec.configKey + QLatin1Char('=') + value + QLatin1Char('\n');
    }
    return text;
}

QString apiKeyValue(const LocalSettings &settings, const QString &key)
{
    if (key == kAlphaVantageKey)
        return settings.alphaVantageApiKey;
    if (key == kItickKey)
        return settings.itickApiKey;
    if (key == kBrapiKey)
        return settings.brapiToken;
    return settings.configValues.value(key);
}

QMap<QString, QString> effectiveApiKeyValues(const LocalSettings &settings)
{
    QMap<QString, QString> keys = settings.configValues;
    keys.insert(kBrapiKey, settings.brapiToken);
    keys.insert(kAlphaVantageKey, settings.alphaVantageApiKey);
    keys.insert(kItickKey, settings.itickApiKey);
    return keys;
}

void setApiKeyValue(LocalSettings &settings, const QString &key, const QString &value)
{
    if (key == kAlphaVantageKey)
        settings.alphaVantageApiKey = value;
    else if (key == kItickKey)
        settings.itickApiKey = value;
    else if (key == kBrapiKey)
        settings.brapiToken = value;
    else if (value.isEmpty())
        settings.configValues.remove(key);
    else
        settings.configValues.insert(key, value);
}

QString redactSecrets(const QString &text, const QStringList &secrets)
{
    constexpr int kMinimumSecretLength = 8;
    QStringList forms;
    for (const QString &secret : secrets) {
        const QString trimmed = secret.trimmed();
        for (const QString &form : {secret, trimmed, QString::fromLatin1(QUrl::toPercentEncoding(trimmed))}) {
            if (form.size() >= kMinimumSecretLength && !forms.contains(form))
                forms.append(form);
        }
    }
    // A secret that contains another must go first, or the shorter one would leave its ends behind.
    std::stable_sort(forms.begin(), forms.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QString result = text;
    for (const QString &form : forms)
        result.replace(form, QStringLiteral("***"));
    return result;
}
