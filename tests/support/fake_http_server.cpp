#include "tests/support/fake_http_server.h"

#include <QDeadlineTimer>
#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

FakeReply FakeReply::json(const QByteArray &body, int status)
{
    FakeReply reply;
    reply.status = status;
    reply.body = body;
    reply.headers = {{"Content-Type", "application/json"}};
    return reply;
}

FakeReply FakeReply::text(const QByteArray &body, int status)
{
    FakeReply reply;
    reply.status = status;
    reply.body = body;
    reply.headers = {{"Content-Type", "text/plain"}};
    return reply;
}

FakeReply FakeReply::hanging()
{
    FakeReply reply;
    reply.hang = true;
    return reply;
}

FakeReply FakeReply::dripping(int everyMs)
{
    FakeReply reply;
    reply.dripEveryMs = everyMs;
    return reply;
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    }
    return {};
}

FakeHttpServer::FakeHttpServer()
{
    m_defaultReply = FakeReply::text("not found", 404);
}

FakeHttpServer::~FakeHttpServer()
{
    for (const auto &socket : std::as_const(m_heldSockets)) {
        if (socket)
            socket->abort();
    }
}

int FakeHttpServer::openHeldConnections() const
{
    int open = 0;
    for (const auto &socket : m_heldSockets) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            ++open;
    }
    return open;
}

bool FakeHttpServer::start()
{
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(QHostAddress::LocalHost, 0))
        return false;
    m_port = m_tcp->serverPort();
    bind(m_tcp);
    return true;
}

QString FakeHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void FakeHttpServer::setReply(const QString &path, const FakeReply &reply)
{
    m_replies.insert(path, reply);
}

void FakeHttpServer::enqueueReply(const QString &path, const FakeReply &reply)
{
    m_queued[path].enqueue(reply);
}

void FakeHttpServer::setRefuseConnections(bool refuse)
{
    if (!m_tcp)
        return;
    if (refuse) {
        m_tcp->close();
        // Kept-alive connections would otherwise still be served.
        const auto sockets = m_tcp->findChildren<QTcpSocket *>();
        for (QTcpSocket *socket : sockets)
            socket->abort();
    } else if (!m_tcp->isListening()) {
        m_tcp->listen(QHostAddress::LocalHost, m_port);
    }
}

QList<RecordedRequest> FakeHttpServer::requestsFor(const QString &path) const
{
    QList<RecordedRequest> matching;
    for (const auto &request : m_requests) {
        if (request.path == path)
            matching.append(request);
    }
    return matching;
}

bool FakeHttpServer::waitForRequests(int count, int timeoutMs)
{
    return QTest::qWaitFor([&]() { return m_requests.size() >= count; }, timeoutMs);
}

FakeReply FakeHttpServer::replyFor(const RecordedRequest &request)
{
    if (m_handler)
        return m_handler(request);
    auto queued = m_queued.find(request.path);
    if (queued != m_queued.end() && !queued->isEmpty())
        return queued->dequeue();
    auto standing = m_replies.constFind(request.path);
    if (standing != m_replies.constEnd())
        return *standing;
    return m_defaultReply;
}

bool FakeHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    RecordedRequest recorded;
    const QUrl url = request.url();
    recorded.method = QByteArray(QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(
                                     static_cast<int>(request.method())))
                          .toUpper();
    recorded.path = url.path(QUrl::FullyEncoded);
    recorded.query = url.query(QUrl::FullyEncoded);
    recorded.rawTarget =
        recorded.query.isEmpty() ? recorded.path : recorded.path + QLatin1Char('?') + recorded.query;
    recorded.headers = request.headers();
    recorded.body = request.body();
    m_requests.append(recorded);

    const FakeReply reply = replyFor(recorded);
    if (reply.hang) {
        m_heldSockets.append(socket);
        return true;
    }
    if (reply.drop) {
        socket->abort();
        return true;
    }
    if (reply.dripEveryMs > 0) {
        m_heldSockets.append(socket);
        writeReply(socket, reply);
        return true;
    }
    if (reply.delayMs > 0) {
        QPointer<QTcpSocket> guarded(socket);
        m_heldSockets.append(guarded);
        QTimer::singleShot(reply.delayMs, this, [guarded, reply]() {
            if (guarded)
                writeReply(guarded, reply);
        });
        return true;
    }
    writeReply(socket, reply);
    if (reply.announcedLength > reply.body.size())
        m_heldSockets.append(socket);
    return true;
}

void FakeHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    Q_UNUSED(request);
    writeReply(socket, m_defaultReply);
}

void FakeHttpServer::writeReply(QTcpSocket *socket, const FakeReply &reply)
{
    // Only the answer is written by hand; parsing requests is left to the HTTP server module.
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " Scripted\r\n";
    bool hasContentType = false;
    for (const auto &header : reply.headers) {
        if (header.first.compare("Content-Type", Qt::CaseInsensitive) == 0)
            hasContentType = true;
        out += header.first + ": " + header.second + "\r\n";
    }
    if (!hasContentType)
        out += "Content-Type: application/octet-stream\r\n";
    if (reply.dripEveryMs > 0) {
        // No length to run out and no last chunk: only the client can end it.
        out += "Transfer-Encoding: chunked\r\n\r\n";
        socket->write(out);
        auto *drip = new QTimer(socket);
        QObject::connect(drip, &QTimer::timeout, socket, [socket] {
            if (socket->state() == QAbstractSocket::ConnectedState)
                socket->write("1\r\n \r\n");
        });
        drip->start(reply.dripEveryMs);
        return;
    }
    if (reply.chunked) {
        out += "Transfer-Encoding: chunked\r\n\r\n";
        constexpr qsizetype kChunk = 1024 * 1024;
        for (qsizetype at = 0; at < reply.body.size(); at += kChunk) {
            const QByteArray chunk = reply.body.mid(at, kChunk);
            out += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
        }
        out += "0\r\n\r\n";
    } else {
        const qint64 length = reply.announcedLength >= 0 ? reply.announcedLength : reply.body.size();
        out += "Content-Length: " + QByteArray::number(length) + "\r\n\r\n";
        out += reply.body;
    }
    if (reply.lastByteDelayMs > 0 && !out.isEmpty()) {
        const QByteArray last = out.right(1);
        out.chop(1);
        QTimer::singleShot(reply.lastByteDelayMs, socket, [socket, last] { socket->write(last); });
    }
    socket->write(out);
}
