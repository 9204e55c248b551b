#include "streams/stream_backoff.h"

#include <algorithm>

int streamReconnectDelayMs(int attempt, int firstDelayMs)
{
    const qint64 cap = qint64(firstDelayMs) * 30;
    if (attempt < 0)
        attempt = 0;
    if (attempt >= 5)
        return int(cap);
    return int(std::min(cap, qint64(firstDelayMs) << attempt));
}

StreamBackoff::Drop StreamBackoff::dropped(qint64 nowMs, qint64 upForMs)
{
    if (upForMs >= m_steadyMs) {
        m_step = 0;
        m_refreshHeldUntilMs = std::numeric_limits<qint64>::min();
    }
    Drop drop;
    drop.delayMs = streamReconnectDelayMs(m_step, m_firstDelayMs);
    // Past the last step the delay stays where it is; the count need not grow without end.
    m_step = std::min(m_step + 1, 5);
    if (upForMs >= 0 && nowMs >= m_refreshHeldUntilMs) {
        drop.refresh = true;
        m_refreshHeldUntilMs = nowMs + drop.delayMs;
    }
    return drop;
}
