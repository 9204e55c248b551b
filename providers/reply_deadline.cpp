#include "providers/reply_deadline.h"

#include "providers/reply_drop.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>

ReplyAnswer ReplyAnswer::timeout()
{
    ReplyAnswer answer;
    answer.timedOut = true;
    answer.error = QNetworkReply::TimeoutError;
    return answer;
}

ProviderReplyHeaders readReplyHeaders(const QNetworkReply *reply)
{
    ProviderReplyHeaders headers;
    if (!reply)
        return headers;
    for (const auto &pair : reply->rawHeaderPairs())
        headers.insert(pair.first, pair.second);
    return headers;
}

ReplyAnswer readReplyAnswer(QNetworkReply *reply)
{
    ReplyAnswer answer;
    answer.error = reply->error();
    answer.failed = answer.error != QNetworkReply::NoError;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.headers = readReplyHeaders(reply);
    // An aborted reply (the silence limit) is closed and has no body to read.
    if (reply->isOpen())
        answer.body = reply->readAll();
    return answer;
}

void armReplyDeadline(QNetworkReply *reply, QObject *receiver, int limitMs, std::function<void()> expired)
{
    if (!reply)
        return;
    // The timer's context is the reply: dropped or deleted before the deadline, it takes the timer along.
    QTimer::singleShot(std::max(limitMs, 1), reply,
                       [reply, receiver = QPointer<QObject>(receiver), expired = std::move(expired)] {
                           if (!receiver || reply->isFinished())
                               return;
                           dropReply(reply, receiver);
                           expired();
                       });
}

void awaitReply(QNetworkReply *reply, QObject *receiver, int limitMs,
                std::function<void(const ReplyAnswer &)> done)
{
    QObject::connect(reply, &QNetworkReply::finished, receiver, [reply, done] {
        reply->deleteLater();
        done(readReplyAnswer(reply));
    });
    armReplyDeadline(reply, receiver, limitMs, [done] { done(ReplyAnswer::timeout()); });
}
