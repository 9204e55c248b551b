#include "providers/reply_drop.h"

#include <QNetworkReply>

void dropReply(QNetworkReply *reply, const QObject *receiver)
{
    if (!reply)
        return;
    if (receiver)
        QObject::disconnect(reply, nullptr, receiver, nullptr);
    if (reply->isFinished())
        reply->deleteLater();
    else
        delete reply;
}
