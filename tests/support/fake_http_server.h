#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QTcpServer>
#include <QUrl>

#include <functional>

// One scripted answer of the fake server.
struct FakeReply
{
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers; // e.g. {"Retry-After", "30"}
    QByteArray body;
    int delayMs = 0;   // answer after this long
    bool hang = false; // never answer: the client has to give up by itself
    bool drop = false; // close the connection without answering
    // Sent as Content-Length instead of the body's size. A length beyond the body leaves the rest never
    // sent: the connection is held open after the body, as for a hanging reply.
    qint64 announcedLength = -1;
    bool chunked = false;    // the body in chunks, with no length announced
    int lastByteDelayMs = 0; // the reply's last byte comes this long after the rest
    // The body drips: after the headers (chunked, no length) one byte comes this often, and the body
    // never ends. The connection is held like a hanging reply's.
    int dripEveryMs = 0;

    static FakeReply json(const QByteArray &body, int status = 200);
    static FakeReply text(const QByteArray &body, int status = 200);
    static FakeReply hanging();
    static FakeReply dripping(int everyMs);
};

// One request as the server received it.
struct RecordedRequest
{
    QByteArray method;
    QString path;      // percent-encoded as sent
    QString query;     // percent-encoded as sent, items in the order sent, no leading "?"
    QString rawTarget; // path plus "?" plus query when there is one
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QByteArray header(const QByteArray &name) const; // case-insensitive; empty when absent
};

// A loopback HTTP server for tests. Replies are scripted per path (the query is ignored when
// matching): a queue of one-shot replies is served first, then the path's standing reply, then the
// default (404). Every request is recorded. It can refuse connections (the port stays reserved, the
// listener closes) and accept again on the same port.
class FakeHttpServer : public QAbstractHttpServer
{
public:
    FakeHttpServer();
    ~FakeHttpServer() override;

    bool start(); // on 127.0.0.1, a free port
    quint16 port() const { return m_port; }
    QString baseUrl() const; // "http://127.0.0.1:<port>"

    void setReply(const QString &path, const FakeReply &reply);
    void enqueueReply(const QString &path, const FakeReply &reply);
    void setDefaultReply(const FakeReply &reply) { m_defaultReply = reply; }
    // Decides every reply itself when set (scripted replies are then ignored).
    void setHandler(std::function<FakeReply(const RecordedRequest &)> handler)
    {
        m_handler = std::move(handler);
    }

    void setRefuseConnections(bool refuse);

    const QList<RecordedRequest> &requests() const { return m_requests; }
    QList<RecordedRequest> requestsFor(const QString &path) const;
    void clearRequests() { m_requests.clear(); }
    // Connections of hanging, delayed or dripping replies that the client has not closed yet.
    int openHeldConnections() const;
    // Spins the event loop until `count` requests have arrived in all (false on timeout).
    bool waitForRequests(int count, int timeoutMs = 5000);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    FakeReply replyFor(const RecordedRequest &request);
    static void writeReply(QTcpSocket *socket, const FakeReply &reply);

    QTcpServer *m_tcp = nullptr;
    quint16 m_port = 0;
    QHash<QString, FakeReply> m_replies;
    QHash<QString, QQueue<FakeReply>> m_queued;
    FakeReply m_defaultReply;
    std::function<FakeReply(const RecordedRequest &)> m_handler;
    QList<RecordedRequest> m_requests;
    QList<QPointer<QTcpSocket>> m_heldSockets;
};
