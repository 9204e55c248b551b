#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

class QWebSocket;
class QWebSocketServer;

// A loopback WebSocket service standing in for the Binance combined streams and iTick. While it
// lives, MVX_BINANCE_STREAM_URL and MVX_ITICK_URL point at it (ws://); the REST hosts stay where they
// were (the fake HTTP server). It records every handshake and every text message received, sends
// scripted frames, answers iTick's "ac" messages as scripted, and can drop its clients, refuse new
// ones (the port stays reserved), accept again, or accept each handshake and close at once, as a proxy
// or an overloaded edge does.
class FakeWebSocketServer : public QObject
{
public:
    struct Handshake
    {
        QString path;
        QString streams; // the "streams" query item, decoded
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray header(const QByteArray &name) const; // case-insensitive; empty when absent
    };

    FakeWebSocketServer();
    ~FakeWebSocketServer() override;
    FakeWebSocketServer(const FakeWebSocketServer &) = delete;
    FakeWebSocketServer &operator=(const FakeWebSocketServer &) = delete;

    bool isRunning() const { return m_running; }
    quint16 port() const { return m_port; }
    QString url() const; // "ws://127.0.0.1:<port>"

    const QList<Handshake> &handshakes() const { return m_handshakes; }
    const QStringList &received() const { return m_received; }
    int clientCount() const; // connected clients

    // Sends to every connected client, or to those whose "streams" contain `stream`.
    void send(const QByteArray &text);
    void sendToStream(const QString &stream, const QByteArray &text);
    // Each text message whose "ac" equals the key is answered with the text.
    void setAnswer(const QString &ac, const QByteArray &text) { m_answers.insert(ac, text); }

    void dropClients();
    void refuse();
    bool accept();
    // While on, every new client gets through its handshake (it is recorded) and is closed at once.
    void setCloseOnAccept(bool on) { m_closeOnAccept = on; }

    bool waitForClients(int count, int timeoutMs = 5000);
    bool waitForHandshakes(int count, int timeoutMs = 5000);
    bool waitForReceived(int count, int timeoutMs = 5000);

private:
    void onNewConnection();

    QWebSocketServer *m_server = nullptr;
    bool m_running = false;
    bool m_closeOnAccept = false;
    quint16 m_port = 0;
    QList<QPair<QPointer<QWebSocket>, QString>> m_clients; // client, its streams
    QList<Handshake> m_handshakes;
    QStringList m_received;
    QHash<QString, QByteArray> m_answers;
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_saved;
};
