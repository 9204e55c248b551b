#include "tests/support/loopback_services.h"

#include "app/endpoints.h"

#include <QtGlobal>

LoopbackServices::LoopbackServices()
{
    m_running = m_server.start();
    const QString http = m_server.baseUrl();
    QString ws = http;
    ws.replace(0, 4, QStringLiteral("ws"));
    for (const EndpointInfo &info : endpointTable()) {
        const bool stream = QByteArray(info.defaultUrl).startsWith("ws");
        m_variables << QByteArray(info.envVar);
        qputenv(info.envVar, (stream ? ws : http).toUtf8());
    }
}

LoopbackServices::~LoopbackServices()
{
    for (const QByteArray &name : m_variables)
        qunsetenv(name.constData());
}
