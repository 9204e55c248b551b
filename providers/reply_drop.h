#pragma once

class QNetworkReply;
class QObject;

// Ends a request nobody waits for any more: the reply's connections to `receiver` are cut now, and an
// unfinished reply is deleted at once, which closes its connection to the host.
//
// abort() is not used. A reply whose network error is already queued for delivery, or was delivered
// while its finish is still queued, has an error set (or about to be) before it counts as finished;
// abort() then has Qt record a second error, which it reports on stderr as "Internal problem, this
// method must only be called once". Deleting the reply drops whatever it had queued without a word.
// A finished reply may still be emitting its own signals, so it is only scheduled for deletion.
//
// Callers must not be inside one of the reply's own signals; the request maps of the window hand out
// replies whose finished handler has not begun (each handler takes its reply out of the map first).
void dropReply(QNetworkReply *reply, const QObject *receiver);
