#include "bench/isolated_environment.h"

#include "app/endpoints.h"

#include <QProcessEnvironment>

#include <cstdio>

void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg && (message.contains(QLatin1String("propagateSizeHints")) ||
                                 message.contains(QLatin1String("does not support raise()"))))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

void isolateBenchProcess(const QString &homePath, bool keepService)
{
    qputenv("HOME", homePath.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (homePath + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (homePath + QStringLiteral("/.cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (homePath + QStringLiteral("/.local/share")).toLocal8Bit());
    const QStringList keys = QProcessEnvironment::systemEnvironment().keys();
    for (const QString &key : keys) {
        if (key.startsWith(QLatin1String("MVX_")))
            qunsetenv(key.toLocal8Bit().constData());
    }
    for (const EndpointInfo &info : endpointTable()) {
        if (!keepService || info.endpoint != Endpoint::Service)
            qputenv(info.envVar, "http://127.0.0.1:1");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenWarnings);
}
