#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkReply;
class QObject;

// The agent every news request introduces itself with.
inline const QByteArray kNewsUserAgent = QByteArrayLiteral("MURVEX_TERMINAL/0.1 Qt");

// A news reply larger than this is treated as failed: no headline list needs it, and reading it whole
// would let one feed take the window's memory.
constexpr qint64 kMaxNewsBodyBytes = 4 * 1024 * 1024;

// What the site feed request is asked for.
struct SiteNewsQuery
{
    QString region;  // "all", "br", "us" or "crypto"
    QString keyword; // sent even when empty
    bool portuguese = false;
    QString token; // sent as a bearer token when not blank
};

// The site feed's address: `configuredEndpoint` (trimmed) when set, else `defaultEndpoint`. Only an http
// or https URL with a host is usable; anything else gives nothing.
std::optional<QUrl> siteNewsEndpoint(const QString &configuredEndpoint, const QString &defaultEndpoint);

// The site feed request: the endpoint's own query kept, then "category", "q", "limit" (80) and "lang"
// ("pt" or "en"), each key and value fully percent-encoded; the bearer token only when there is one.
QNetworkRequest siteNewsRequest(const QUrl &endpoint, const SiteNewsQuery &query);

// NewsAPI's "/v2/everything" under `base` for `symbol`, newest first, 50 articles in English.
QNetworkRequest newsApiRequest(const QString &base, const QString &symbol, const QString &apiKey);

// Yahoo Finance's RSS headline feed under `base` for `symbol` as the feed names it.
QNetworkRequest publicRssRequest(const QString &base, const QString &symbol);

// The RSS feed's name for a symbol: a Binance pair quoted in USDT becomes its "-USD" pair ("BTCUSDT" to
// "BTC-USD"); every other symbol, and "USDT" itself, stays as it is.
QString toYahooCryptoSymbol(const QString &symbol);

// Reads a finished news reply: its body, or nothing when the reply failed or its body is over
// kMaxNewsBodyBytes.
std::optional<QByteArray> readNewsReplyBody(QNetworkReply *reply);

// Hands what a news reply brought to `done`, once, and only while `receiver` lives: its body, or nothing
// when the reply failed or its body passed kMaxNewsBodyBytes. The reply is deleted either way.
//
// A body past the limit is not read to its end: as soon as the reply reports more than the limit, its
// signals are cut from `receiver`, and in a later turn (never inside the reply's own progress signal) it
// is dropped as other given-up requests are (providers/reply_drop.h) and `done` is told it failed.
// abort() is not used: an error status (404, 500) already delivered or on its way would make it a second
// error, which Qt reports on the console.
void awaitNewsReply(QNetworkReply *reply, QObject *receiver,
                    std::function<void(const std::optional<QByteArray> &)> done);
