#include "account/account_request.h"

#include "app/endpoints.h"
#include "providers/reply_drop.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

bool accountUrlAllowed(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}

QString clippedText(const QString &text, int limit)
{
    return text.left(limit);
}

bool waitForReplyInLocalLoop(QNetworkReply *reply, int limitMs, QEventLoop **loopOut)
{
    if (reply->isFinished())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setInterval(limitMs);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (loopOut)
        *loopOut = &loop;
    timer.start();
    loop.exec(QEventLoop::AllEvents);
    if (loopOut)
        *loopOut = nullptr;
    return reply->isFinished();
}

AccountResponse performAccountRequest(QNetworkAccessManager &manager, const AccountRequest &request,
                                      const AccountWait &wait, int limitMs, const QString &timeoutText)
{
    AccountResponse response;
    const QUrl url(request.url);
    // The placeholder service address never resolves anyway; refusing here keeps e-mail and password
    // off the wire altogether. A scheme that would carry them in the clear is refused the same way.
    if (!serviceEndpointConfigured() || !accountUrlAllowed(url)) {
        response.failed = true;
        return response;
    }
    QNetworkRequest networkRequest(url);
    networkRequest.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("MURVEX_TERMINAL/0.1 Qt"));
    networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::SameOriginRedirectPolicy);
    if (!request.token.isEmpty())
        networkRequest.setRawHeader(QByteArrayLiteral("Authorization"),
                                    QByteArrayLiteral("Bearer ") + request.token.toUtf8());

    QNetworkReply *reply =
        request.method == "GET"
            ? manager.get(networkRequest)
            : manager.post(networkRequest, QJsonDocument(request.body).toJson(QJsonDocument::Compact));
    const bool finished = wait ? wait(reply, limitMs) : waitForReplyInLocalLoop(reply, limitMs);
    if (!finished || !reply->isFinished()) {
        // Abandoned: dropped rather than aborted, as an error already queued would make abort()
        // report a second one on stderr.
        dropReply(reply, nullptr);
        response.failed = true;
        response.timedOut = true;
        response.errorText = timeoutText;
        return response;
    }
    response.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    const QNetworkReply::NetworkError error = reply->error();
    reply->deleteLater();
    if (error != QNetworkReply::NoError) {
        response.failed = true;
        response.errorText = clippedText(QString::fromUtf8(body), 240);
    }
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (document.isObject())
        response.result = document.object();
    return response;
}
