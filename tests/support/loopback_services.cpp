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
        m_saved.append({QByteArray(info.envVar), qEnvironmentVariableIsSet(info.envVar)
                                                     ? std::optional<QByteArray>(qgetenv(info.envVar))
                                                     : std::nullopt});
        qputenv(info.envVar, (stream ? ws : http).toUtf8());
    }
}

LoopbackServices::~LoopbackServices()
{
    for (const auto &[name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}
