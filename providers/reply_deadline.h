#pragma once

#include "providers/reply_check.h"

#include <QByteArray>
#include <QNetworkReply>

#include <functional>

class QObject;

// What a request is given for its whole answer, by what the answer carries. Qt's transfer timeout only
// fires on silence: a host that sends a byte now and then and never ends would hold the request, and
// one of the few connections Qt keeps per host, for ever. Only tests shorten these.
struct ReplyDeadlines
{
    int quoteMs = 10000;      // a quote, a provider probe, a book snapshot, a symbol search
    int historyMs = 20000;    // a candle history
    int feedMs = 20000;       // a news feed, a movers list (a few MiB at most)
    int symbolListMs = 90000; // an exchange's whole symbol list, tens of MiB
};

// What a request brought: a finished reply's status, headers and body, or a failure with nothing read
// when its deadline ended it first.
struct ReplyAnswer
{
    bool failed = true; // a network or HTTP error, or the deadline
    bool timedOut = false;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    ProviderReplyHeaders headers;
    QByteArray body; // empty when the reply was aborted (silence limit) or timed out

    static ReplyAnswer timeout();
};

// Every raw header pair of a reply, names as the server wrote them (a name sent twice keeps its later
// value); none for no reply. What the reply checks read.
ProviderReplyHeaders readReplyHeaders(const QNetworkReply *reply);

// Reads a finished reply; the reply itself is left to the caller.
ReplyAnswer readReplyAnswer(QNetworkReply *reply);

// Gives `reply` until `limitMs` from now to finish. When it has not by then, its signals to `receiver`
// are cut, it is dropped like any request nobody waits for (providers/reply_drop.h), which closes its
// connection, and only then `expired` runs, once, in place of the finished handlers. Nothing happens
// once the reply or `receiver` is gone, nor for a finished reply. The wait is a timer of its own, never
// one of the reply's signals, so dropping the reply there is safe.
void armReplyDeadline(QNetworkReply *reply, QObject *receiver, int limitMs, std::function<void()> expired);

// The one way a request's answer is awaited: `done` runs once while `receiver` lives, with the finished
// reply's answer, or with ReplyAnswer::timeout() after the deadline ended the reply. The reply is
// deleted either way, so `done` must not keep it.
void awaitReply(QNetworkReply *reply, QObject *receiver, int limitMs,
                std::function<void(const ReplyAnswer &)> done);
