#include "bench/gui_benchmark_main.h"

#include "app/app_identity.h"
#include "app/endpoints.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {
// The offscreen platform warns on every re-polish of a tile and every raised message box; the figures
// matter here, not that.
void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg && (message.contains(QLatin1String("propagateSizeHints")) ||
                                 message.contains(QLatin1String("does not support raise()"))))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int runGuiBenchmarks(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/.cache")).toLocal8Bit());
    const QStringList keys = QProcessEnvironment::systemEnvironment().keys();
    for (const QString &key : keys) {
        if (key.startsWith(QLatin1String("MVX_")))
            qunsetenv(key.toLocal8Bit().constData());
    }
    for (const EndpointInfo &info : endpointTable()) {
        if (info.endpoint != Endpoint::Service)
            qputenv(info.envVar, "http://127.0.0.1:1");
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenWarnings);
    QApplication app(argc, argv);
    applyApplicationIdentity(app);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
