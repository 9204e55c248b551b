#include "bench/gui_benchmark_main.h"

#include "app/app_identity.h"
#include "bench/isolated_environment.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

int runGuiBenchmarks(int argc, char **argv)
{
    QTemporaryDir home;
    isolateBenchProcess(home.path(), true);
    QApplication app(argc, argv);
    applyApplicationIdentity(app);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
