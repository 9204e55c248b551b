#pragma once

#include "shell/main_window.h"

#include <QHash>
#include <QString>

// The quote walks a window started per symbol since a point in time. Every walk raises its symbol's
// generation, so the window's own generation counters are the record; this only takes differences.
class QuoteRequestLog
{
public:
    enum class From
    {
        Now,
        Construction
    };

    explicit QuoteRequestLog(const MainWindow &window, From from = From::Now) : m_window(window)
    {
        if (from == From::Now)
            restart();
    }

    void restart() { m_start = m_window.quoteGenerations; }

    // Symbol to walks started since the snapshot; symbols with none are absent.
    QHash<QString, int> counts() const
    {
        QHash<QString, int> out;
        for (auto it = m_window.quoteGenerations.cbegin(); it != m_window.quoteGenerations.cend(); ++it) {
            const int started = static_cast<int>(it.value() - m_start.value(it.key(), 0));
            if (started > 0)
                out.insert(it.key(), started);
        }
        return out;
    }

    int count(const QString &symbol) const { return counts().value(symbol); }

private:
    const MainWindow &m_window;
    QMap<QString, quint64> m_start;
};
