#pragma once

#include "tests/support/fake_http_server.h"

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

// A loopback fake server standing in for every outside service: while the object lives, every
// MVX_*_URL variable of the endpoint table points at it (streams as ws://), so a window that starts its
// data cannot reach a real host. The variables get back the values they had when it goes.
class LoopbackServices
{
public:
    LoopbackServices();
    ~LoopbackServices();
    LoopbackServices(const LoopbackServices &) = delete;
    LoopbackServices &operator=(const LoopbackServices &) = delete;

    bool isRunning() const { return m_running; }
    FakeHttpServer &server() { return m_server; }

private:
    FakeHttpServer m_server;
    bool m_running = false;
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_saved; // variable, earlier value if it had one
};
