// Time from process start to the first paint of the terminal's window, beside a bare QMainWindow built
// with the same toolkit. The driver starts itself as a child process many times, so the figure
// includes loading the program and the toolkit, and reports the median of each.
//
//   bench_startup [runs]            driver (default 15 runs per kind)
//   bench_startup --child murvex    one start of the terminal's window
//   bench_startup --child bare      one start of an empty QMainWindow

#include "app/app_identity.h"
#include "app/endpoints.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
class FirstPaintWatcher : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            std::printf("painted\n");
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

int runChild(int argc, char **argv, bool murvex)
{
    QApplication app(argc, argv);
    applyApplicationIdentity(app);
    FirstPaintWatcher watcher;
    std::unique_ptr<QMainWindow> window;
    if (murvex)
        window = std::make_unique<MainWindow>();
    else
        window = std::make_unique<QMainWindow>();
    window->installEventFilter(&watcher);
    window->show();
    return app.exec();
}

double medianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    if (n == 0)
        return 0.0;
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2.0;
}

QList<double> measure(const QString &program, const QString &kind, int runs)
{
    QList<double> samples;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/.cache"));
        // The window asks for its first row's quote while it starts: keep that on this machine.
        for (const EndpointInfo &info : endpointTable())
            env.insert(QString::fromLatin1(info.envVar), QStringLiteral("http://127.0.0.1:1"));
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(home.path());
        QElapsedTimer clock;
        clock.start();
        child.start(program, {QStringLiteral("--child"), kind});
        double paintedAt = -1;
        while (child.state() != QProcess::NotRunning || child.bytesAvailable() > 0) {
            if (child.canReadLine() || child.waitForReadyRead(10000)) {
                if (child.readLine().startsWith("painted")) {
                    paintedAt = clock.nsecsElapsed() / 1e6;
                    break;
                }
            } else {
                break;
            }
        }
        child.waitForFinished(10000);
        if (paintedAt >= 0)
            samples.append(paintedAt);
    }
    return samples;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv, QByteArray(argv[2]) == "murvex");

    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;
    const QString self = QCoreApplication::applicationFilePath();
    // Interleave nothing: warm the file cache once for each kind first.
    measure(self, QStringLiteral("bare"), 1);
    measure(self, QStringLiteral("murvex"), 1);
    const QList<double> bare = measure(self, QStringLiteral("bare"), runs);
    const QList<double> murvex = measure(self, QStringLiteral("murvex"), runs);
    std::printf("start to first paint, median of %d runs\n", runs);
    std::printf("  bare QMainWindow : %8.2f ms (%lld samples)\n", medianOf(bare),
                static_cast<long long>(bare.size()));
    std::printf("  Murvex MainWindow: %8.2f ms (%lld samples)\n", medianOf(murvex),
                static_cast<long long>(murvex.size()));
    return bare.isEmpty() || murvex.isEmpty() ? 1 : 0;
}
