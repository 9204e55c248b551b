#pragma once

#include <QtGlobal>

#include <limits>

// How long a connection must have stayed up before its drop starts the back-off over. A handshake
// alone proves little: a proxy or an overloaded edge may accept and drop at once, and resetting on
// the handshake would reopen such a stream every first step for ever.
inline constexpr int kStreamSteadyMs = 10000;
// The first reconnect delay; each later step doubles it, up to 30 times this (2, 4, 8, 16, 32, 60 s).
inline constexpr int kStreamFirstReconnectMs = 2000;

// The delay before the n-th reconnect (n from 0) of a dropped stream.
int streamReconnectDelayMs(int attempt, int firstDelayMs = kStreamFirstReconnectMs);

// The reconnect back-off of one stream. Times are milliseconds on a monotonic clock, passed in so that
// a test drives them.
class StreamBackoff
{
public:
    struct Drop
    {
        int delayMs = 0;      // before the reconnect
        bool refresh = false; // this drop may fetch the stream's rows over HTTP
    };

    // Only tests change these.
    void setTiming(int firstDelayMs, int steadyMs)
    {
        m_firstDelayMs = firstDelayMs;
        m_steadyMs = steadyMs;
    }

    // A drop of the current connection, or a failed connect (`upForMs` below 0: no handshake). A
    // connection that stayed up for the steady time starts the steps over. The HTTP refresh is for a
    // connection that did get through its handshake, and at most once per step: a drop inside the
    // delay of the drop that last refreshed (a reopen forced before the step ran out) does not repeat it.
    Drop dropped(qint64 nowMs, qint64 upForMs);

    int step() const { return m_step; }

private:
    int m_firstDelayMs = kStreamFirstReconnectMs;
    int m_steadyMs = kStreamSteadyMs;
    int m_step = 0;
    qint64 m_refreshHeldUntilMs = std::numeric_limits<qint64>::min();
};
