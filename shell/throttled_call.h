#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

// Runs a rebuild once for all the requests made before it runs, in a later turn of the event loop, and
// no sooner than a minimum interval after its previous run ended. Quotes that arrive one per turn (a stream
// spreads its frames over the second) would otherwise rebuild the whole list once per quote; a quote
// after a quiet spell is still shown in the next turn.
class ThrottledCall
{
public:
    explicit ThrottledCall(int minIntervalMs) : m_minIntervalMs(minIntervalMs)
    {
        m_timer.setSingleShot(true);
        // The interval is a quiet gap after a run ends: a rebuild that takes longer than the interval
        // must not be followed by the next one at once, or a stream keeps the window busy rebuilding.
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_call)
                m_call();
            m_sinceRun.start();
        });
    }
    ThrottledCall(const ThrottledCall &) = delete;
    ThrottledCall &operator=(const ThrottledCall &) = delete;

    // The latest `call` is the one that runs.
    void request(std::function<void()> call)
    {
        m_call = std::move(call);
        if (m_timer.isActive())
            return;
        qint64 wait = 0;
        if (m_sinceRun.isValid())
            wait = qMax<qint64>(0, m_minIntervalMs - m_sinceRun.elapsed());
        m_timer.start(int(wait));
    }

    bool isPending() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceRun;
    int m_minIntervalMs;
    std::function<void()> m_call;
};
