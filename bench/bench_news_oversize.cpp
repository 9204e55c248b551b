// How much of an oversized news reply is read before it is given up, and the memory that costs. A
// loopback server on its own thread offers a 400 MiB body as fast as the client takes it, announced by
// its length or chunked without one; the reply goes through the news size guard (awaitNewsReply).
//
//   bench_news_oversize --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
//
// Reported per reply: served_MiB, what the server got the client's side of the connection to take
// before it was closed (what Qt read plus what the kernel's socket buffers held), and peak_rss_MiB, the
// process's resident peak during the reply (the high-water mark is reset before each one). Wall time is
// from the request to the guard's answer.

#include "news/news_requests.h"
#include "providers/reply_deadline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <future>

namespace {

constexpr qint64 kOfferedBytes = qint64(400) * 1024 * 1024;
constexpr qint64 kPiece = 1024 * 1024;

// Serves every request with kOfferedBytes of blanks, writing a piece whenever the socket has little
// left to send, until the body is out or the client closes the connection.
class FloodServer : public QThread
{
public:
    explicit FloodServer(bool chunked) : m_chunked(chunked) {}

    quint16 startListening()
    {
        start();
        return m_port.get_future().get();
    }

    void resetCounters()
    {
        m_served = 0;
        m_closed = false;
    }
    qint64 served() const { return m_served; }
    bool closed() const { return m_closed; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                serve(socket);
        });
        m_port.set_value(server.serverPort());
        exec();
    }

private:
    void serve(QTcpSocket *socket)
    {
        auto *request = new QByteArray;
        auto *sent = new qint64(0);
        QObject::connect(socket, &QObject::destroyed, [request, sent] {
            delete request;
            delete sent;
        });
        const QByteArray blanks(kPiece, ' ');
        const auto pump = [this, socket, sent, blanks] {
            while (socket->bytesToWrite() < kPiece && *sent < kOfferedBytes) {
                if (m_chunked)
                    socket->write(QByteArray::number(kPiece, 16) + "\r\n" + blanks + "\r\n");
                else
                    socket->write(blanks);
                *sent += kPiece;
                if (m_chunked && *sent >= kOfferedBytes)
                    socket->write("0\r\n\r\n");
            }
        };
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, request, pump, this] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n"))
                return;
            request->clear();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n");
            socket->write(m_chunked ? QByteArray("Transfer-Encoding: chunked\r\n\r\n")
                                    : "Content-Length: " + QByteArray::number(kOfferedBytes) + "\r\n\r\n");
            pump();
        });
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this, pump](qint64 written) {
            m_served += written;
            pump();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            m_closed = true;
            socket->deleteLater();
        });
    }

    bool m_chunked;
    std::promise<quint16> m_port;
    std::atomic<qint64> m_served{0};
    std::atomic<bool> m_closed{false};
};

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void resetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void floodedReply(benchmark::State &state, bool chunked)
{
    FloodServer server(chunked);
    const quint16 port = server.startListening();
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/news").arg(port));
    double servedMiB = 0, peakMiB = 0;
    bool failedAsOversized = true;
    for (auto _ : state) {
        server.resetCounters();
        resetPeakRss();
        QObject receiver;
        QEventLoop loop;
        bool failed = false;
        awaitNewsReply(manager.get(QNetworkRequest(url)), &receiver, ReplyDeadlines().feedMs,
                       [&](const std::optional<QByteArray> &body) {
                           failed = !body;
                           loop.quit();
                       });
        loop.exec();
        state.PauseTiming();
        failedAsOversized = failedAsOversized && failed;
        QElapsedTimer closing;
        closing.start();
        while (!server.closed() && closing.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        servedMiB += double(server.served()) / (1024 * 1024);
        peakMiB += double(statusKiB("VmHWM:")) / 1024;
        state.ResumeTiming();
    }
    if (!failedAsOversized)
        state.SkipWithError("an oversized reply was not reported as failed");
    state.counters["served_MiB"] = benchmark::Counter(servedMiB, benchmark::Counter::kAvgIterations);
    state.counters["peak_rss_MiB"] = benchmark::Counter(peakMiB, benchmark::Counter::kAvgIterations);
    server.quit();
    server.wait();
}

void BM_OversizedNews_LengthAnnounced(benchmark::State &state)
{
    floodedReply(state, false);
}

void BM_OversizedNews_Chunked(benchmark::State &state)
{
    floodedReply(state, true);
}

BENCHMARK(BM_OversizedNews_LengthAnnounced)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OversizedNews_Chunked)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("limit %lld bytes, offered %lld bytes\n", static_cast<long long>(kMaxNewsBodyBytes),
                static_cast<long long>(kOfferedBytes));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
