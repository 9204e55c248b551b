#include "news/news_requests.h"

#include "providers/fetchers.h"
#include "providers/reply_deadline.h"
#include "providers/reply_drop.h"

#include <QNetworkReply>
#include <QPointer>

#include <memory>

namespace {

// `items` appended to the query `url` already has, encoded as urlWithQuery encodes them.
QUrl urlWithAppendedQuery(const QUrl &url, const QueryItems &items)
{
    const QString existing = url.query(QUrl::FullyEncoded);
    const QString added = urlWithQuery(QUrl(), items).query(QUrl::FullyEncoded);
    QUrl out = url;
    out.setQuery(existing.isEmpty() ? added : existing + QLatin1Char('&') + added, QUrl::StrictMode);
    return out;
}

QNetworkRequest newsRequest(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, kNewsUserAgent);
    return request;
}

} // namespace

std::optional<QUrl> siteNewsEndpoint(const QString &configuredEndpoint, const QString &defaultEndpoint)
{
    QString text = configuredEndpoint.trimmed();
    if (text.isEmpty())
        text = defaultEndpoint;
    const QUrl url(text, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

QNetworkRequest siteNewsRequest(const QUrl &endpoint, const SiteNewsQuery &query)
{
    QNetworkRequest request = newsRequest(urlWithAppendedQuery(
        endpoint,
        {{QStringLiteral("category"), query.region},
         {QStringLiteral("q"), query.keyword},
         {QStringLiteral("limit"), QStringLiteral("80")},
         {QStringLiteral("lang"), query.portuguese ? QStringLiteral("pt") : QStringLiteral("en")}}));
    // A line break would end the header and let the token's text write headers of its own.
    const QString token = query.token.trimmed();
    if (!token.isEmpty() && !token.contains(QLatin1Char('\n')) && !token.contains(QLatin1Char('\r')))
        request.setRawHeader("Authorization", QStringLiteral("Bearer %1").arg(token).toUtf8());
    return request;
}

QNetworkRequest newsApiRequest(const QString &base, const QString &symbol, const QString &apiKey)
{
    return newsRequest(urlWithQuery(QUrl(base + QStringLiteral("/v2/everything")),
                                    {{QStringLiteral("q"), symbol},
                                     {QStringLiteral("language"), QStringLiteral("en")},
                                     {QStringLiteral("sortBy"), QStringLiteral("publishedAt")},
                                     {QStringLiteral("pageSize"), QStringLiteral("50")},
                                     {QStringLiteral("apiKey"), apiKey.trimmed()}}));
}

QNetworkRequest publicRssRequest(const QString &base, const QString &symbol)
{
    return newsRequest(urlWithQuery(QUrl(base + QStringLiteral("/rss/2.0/headline")),
                                    {{QStringLiteral("s"), toYahooCryptoSymbol(symbol)},
                                     {QStringLiteral("region"), QStringLiteral("US")},
                                     {QStringLiteral("lang"), QStringLiteral("en-US")}}));
}

QString toYahooCryptoSymbol(const QString &symbol)
{
    if (symbol.size() > 4 && symbol.endsWith(QLatin1String("USDT")))
        return symbol.left(symbol.size() - 4) + QStringLiteral("-USD");
    return symbol;
}

std::optional<QByteArray> readNewsReplyBody(QNetworkReply *reply)
{
    // An aborted reply (transfer limit, size limit) reports an error and has nothing to read.
    if (reply->error() != QNetworkReply::NoError)
        return std::nullopt;
    const QByteArray body = reply->read(kMaxNewsBodyBytes + 1);
    if (body.size() > kMaxNewsBodyBytes)
        return std::nullopt;
    return body;
}

void awaitNewsReply(QNetworkReply *reply, QObject *receiver, int limitMs,
                    std::function<void(const std::optional<QByteArray> &)> hand)
{
    // A reply given up for its size may still meet its deadline before the drop's turn comes; whichever
    // comes first answers.
    const auto answered = std::make_shared<bool>(false);
    const auto done = [hand = std::move(hand), answered](const std::optional<QByteArray> &body) {
        if (*answered)
            return;
        *answered = true;
        hand(body);
    };
    // Set before the request leaves: Qt starts it in a later turn and takes the size along.
    reply->setReadBufferSize(kNewsReadBufferBytes);
    QObject::connect(reply, &QNetworkReply::finished, receiver, [reply, done] {
        reply->deleteLater();
        done(readNewsReplyBody(reply));
    });
    const auto giveUp = [reply, receiver, done] {
        // From here on neither a later signal of the reply nor its finish reaches `done`.
        QObject::disconnect(reply, nullptr, receiver, nullptr);
        QMetaObject::invokeMethod(
            receiver,
            [reply = QPointer<QNetworkReply>(reply), receiver, done] {
                dropReply(reply, receiver);
                done(std::nullopt);
            },
            Qt::QueuedConnection);
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, receiver, [reply, giveUp] {
        bool known = false;
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && announced > kMaxNewsBodyBytes)
            giveUp();
    });
    // Nothing reads the reply before it finishes, so what waits in its buffer is all it has brought.
    // Every arrival is announced by readyRead; progress reports come at intervals instead, and the last
    // one before the buffer fills may still be under the limit.
    QObject::connect(reply, &QIODevice::readyRead, receiver, [reply, giveUp] {
        if (reply->bytesAvailable() > kMaxNewsBodyBytes)
            giveUp();
    });
    armReplyDeadline(reply, receiver, limitMs, [done] { done(std::nullopt); });
}
