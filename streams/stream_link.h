#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// Tells the events of a socket's current connection from the tail of one the program closed itself.
// Every close of ours advances the generation; an open records the generation it belongs to. Until
// the next open, whatever the closed connection still reports (its disconnected signal above all)
// belongs to a past generation and must have no effect: our own close is never a drop.
class StreamLink
{
public:
    quint64 generation() const { return m_generation; }
    void closedByUs() { ++m_generation; }
    void opened()
    {
        m_openedAt = m_generation;
        m_connected = false;
    }
    void connected()
    {
        m_connected = true;
        m_upSince.start();
    }
    // Whether the current connection got through its handshake: a drop of such a connection is news,
    // a failed (re)connect is only the next step of the back-off.
    bool wasConnected() const { return m_connected; }
    // How long the current connection has been up since its handshake; -1 when it never got there.
    qint64 upForMs() const { return m_connected ? m_upSince.elapsed() : -1; }
    // True while the socket carries the connection opened last and not closed by us since.
    bool isCurrent() const { return m_openedAt == m_generation; }

private:
    quint64 m_generation = 0;
    quint64 m_openedAt = 0;
    bool m_connected = false;
    QElapsedTimer m_upSince;
};
