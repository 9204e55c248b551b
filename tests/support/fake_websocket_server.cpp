#include "tests/support/fake_websocket_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>
#include <QThread>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>
#include <functional>

namespace {
const char *const kStreamVariables[] = {"MVX_BINANCE_STREAM_URL", "MVX_ITICK_URL"};

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}
} // namespace

QByteArray FakeWebSocketServer::Handshake::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QByteArray();
}

FakeWebSocketServer::FakeWebSocketServer()
{
    m_server = new QWebSocketServer(QStringLiteral("fake"), QWebSocketServer::NonSecureMode, this);
    m_running = m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    connect(m_server, &QWebSocketServer::newConnection, this, [this]() { onNewConnection(); });
    for (const char *name : kStreamVariables) {
        m_saved.append({QByteArray(name), qEnvironmentVariableIsSet(name)
                                              ? std::optional<QByteArray>(qgetenv(name))
                                              : std::nullopt});
        qputenv(name, url().toUtf8());
    }
}

FakeWebSocketServer::~FakeWebSocketServer()
{
    for (const auto &[name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    for (const auto &client : std::as_const(m_clients)) {
        if (client.first)
            client.first->abort();
    }
}

QString FakeWebSocketServer::url() const
{
    return QStringLiteral("ws://127.0.0.1:%1").arg(m_port);
}

int FakeWebSocketServer::clientCount() const
{
    int count = 0;
    for (const auto &client : m_clients) {
        if (client.first && client.first->state() == QAbstractSocket::ConnectedState)
            ++count;
    }
    return count;
}

void FakeWebSocketServer::onNewConnection()
{
    while (QWebSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        const QNetworkRequest request = socket->request();
        Handshake handshake;
        handshake.path = request.url().path();
        handshake.streams =
            QUrlQuery(request.url()).queryItemValue(QStringLiteral("streams"), QUrl::FullyDecoded);
        for (const QByteArray &name : request.rawHeaderList())
            handshake.headers.append({name, request.rawHeader(name)});
        m_handshakes.append(handshake);
        m_clients.append({socket, handshake.streams});
        connect(socket, &QWebSocket::textMessageReceived, this, [this, socket](const QString &text) {
            m_received.append(text);
            const QString ac =
                QJsonDocument::fromJson(text.toUtf8()).object().value(QStringLiteral("ac")).toString();
            if (m_answers.contains(ac))
                socket->sendTextMessage(QString::fromUtf8(m_answers.value(ac)));
        });
        connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        // A close, not an abort: the handshake reply still reaches the client before the close.
        if (m_closeOnAccept)
            socket->close(QWebSocketProtocol::CloseCodeGoingAway);
    }
}

void FakeWebSocketServer::send(const QByteArray &text)
{
    for (const auto &client : std::as_const(m_clients)) {
        if (client.first && client.first->state() == QAbstractSocket::ConnectedState)
            client.first->sendTextMessage(QString::fromUtf8(text));
    }
}

void FakeWebSocketServer::sendToStream(const QString &stream, const QByteArray &text)
{
    for (const auto &client : std::as_const(m_clients)) {
        if (client.first && client.first->state() == QAbstractSocket::ConnectedState &&
            client.second.split(QLatin1Char('/')).contains(stream))
            client.first->sendTextMessage(QString::fromUtf8(text));
    }
}

void FakeWebSocketServer::dropClients()
{
    for (const auto &client : std::as_const(m_clients)) {
        if (client.first)
            client.first->abort();
    }
}

void FakeWebSocketServer::refuse()
{
    m_server->close();
}

bool FakeWebSocketServer::accept()
{
    return m_server->isListening() || m_server->listen(QHostAddress::LocalHost, m_port);
}

bool FakeWebSocketServer::waitForClients(int count, int timeoutMs)
{
    return waitFor([&]() { return clientCount() >= count; }, timeoutMs);
}

bool FakeWebSocketServer::waitForHandshakes(int count, int timeoutMs)
{
    return waitFor([&]() { return m_handshakes.size() >= count; }, timeoutMs);
}

bool FakeWebSocketServer::waitForReceived(int count, int timeoutMs)
{
    return waitFor([&]() { return m_received.size() >= count; }, timeoutMs);
}
