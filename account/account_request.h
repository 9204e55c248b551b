#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

// How an account request waits for its reply: true when the reply finished within `limitMs`, false
// when the wait gave up (time-out, or the window abandoning the wait). The program waits in a local
// event loop; tests hand in waits of their own.
using AccountWait = std::function<bool(QNetworkReply *reply, int limitMs)>;

struct AccountRequest
{
    QString url;
    QByteArray method; // "GET" exactly sends a GET; anything else a POST with the body
    QJsonObject body;
    QString token; // bearer token; empty sends no Authorization header
};

struct AccountResponse
{
    int httpStatus = 0;
    bool failed = false;   // the exchange failed: errorText below holds what the caller shows
    bool timedOut = false; // the wait gave up before the reply finished
    QString errorText;
    QJsonObject result; // the body as a JSON object, empty when it is not one
};

// The one exchange with the account service. Passwords and tokens travel only over https, or plain
// http to a loopback host; any other address fails at once as a connection failure, as does the
// unconfigured service address. Redirects are followed only within the same origin.
AccountResponse performAccountRequest(QNetworkAccessManager &manager, const AccountRequest &request,
                                      const AccountWait &wait, int limitMs, const QString &timeoutText);

// Whether a request carrying credentials may go to this address.
bool accountUrlAllowed(const QUrl &url);

// The first `limit` characters of a text (a service's error page, a transport error).
QString clippedText(const QString &text, int limit);

// Waits for the reply in a local event loop with a single-shot timer; `loopOut`, when given, points at
// the running loop so that the caller can end the wait early (which counts as a time-out).
bool waitForReplyInLocalLoop(QNetworkReply *reply, int limitMs, class QEventLoop **loopOut = nullptr);
