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

// Qt's read buffer for a news reply: the limit and a margin. A body that fits comes in whole although
// nothing reads it before it has finished; a longer one fills the buffer past the limit, which is what
// tells it apart, and then waits there for the drop. Qt hands a body on in blocks (up to 128 KiB) and
// leaves the buffer short of full by up to one block when the next does not fit, so the margin is
// several blocks wide: with one block a chunked body could stall at the limit, neither too long nor done.
constexpr qint64 kNewsReadBufferBytes = kMaxNewsBodyBytes + 512 * 1024;

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
// when the reply failed, its body passed kMaxNewsBodyBytes or it had not finished `limitMs` after this
// call (a feed that sends a byte now and then never trips the silence limit). The reply is deleted
// either way; at the deadline it is dropped (providers/reply_deadline.h) before `done` hears of it.
//
// What is read is bounded, not only what is kept. A reply whose headers announce a length over the limit
// is given up as soon as they arrive, before its body is read. Qt's read buffer for the reply is kept at
// kNewsReadBufferBytes, so its network thread stops reading once that much waits to be read, however fast
// the link; a body at the limit still fits and finishes, and one past it (a chunked body announces no
// length) shows as more than the limit in the buffer. Either way the reply's signals are cut from
// `receiver` at once, and in a later turn (never inside one of the reply's own signals) it is dropped as
// other given-up requests are (providers/reply_drop.h) and `done` is told it failed.
// abort() is not used: an error status (404, 500) already delivered or on its way would make it a second
// error, which Qt reports on the console.
void awaitNewsReply(QNetworkReply *reply, QObject *receiver, int limitMs,
                    std::function<void(const std::optional<QByteArray> &)> done);
