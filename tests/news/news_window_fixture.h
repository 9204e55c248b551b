#pragma once

#include "shell/main_window.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/loopback_services.h"
#include "tests/support/temp_home.h"
#include "tests/support/url_recorder.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <memory>

// The three news feeds' paths on the loopback server.
namespace NewsPath {
inline const QString site = QStringLiteral("/TERMINAL/NEWS.json");
inline const QString newsApi = QStringLiteral("/v2/everything");
inline const QString rss = QStringLiteral("/rss/2.0/headline");
} // namespace NewsPath

// A window whose every outside service is one loopback server, in a private home. The deferred data
// start is kept from running; the start-up quote requests are let end, then the quote table is emptied
// (so no symbol is selected), and the server and the status bar start clean.
class NewsWindow
{
public:
    NewsWindow()
    {
        QVERIFY(services.isRunning());
        window = std::make_unique<MainWindow>();
        window->marketDataStarted = true;
        QTRY_VERIFY(unfinishedRequests() == 0);
        window->quoteTable->setRowCount(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        server.clearRequests();
        window->statusBar()->clearMessage();
        window->eventConsole->clear();
    }
    ~NewsWindow() { window.reset(); }
    NewsWindow(const NewsWindow &) = delete;
    NewsWindow &operator=(const NewsWindow &) = delete;

    MainWindow &w() { return *window; }

    int unfinishedRequests() const
    {
        const auto replies = window->networkManager.findChildren<QNetworkReply *>();
        return int(std::count_if(replies.cbegin(), replies.cend(),
                                 [](const QNetworkReply *reply) { return !reply->isFinished(); }));
    }

    // What the three feeds answer from now on.
    void serveFeeds(const FakeReply &site, const FakeReply &newsApi, const FakeReply &rss)
    {
        server.setReply(NewsPath::site, site);
        server.setReply(NewsPath::newsApi, newsApi);
        server.setReply(NewsPath::rss, rss);
    }

    void setConfig(const QString &key, const QString &value) { window->settings.configValues[key] = value; }

    // Selects a source or region by key the way a user does, which starts a refresh.
    static void choose(QComboBox *combo, const QString &key) { combo->setCurrentIndex(combo->findData(key)); }

    // The news requests the server has seen, in order.
    QList<RecordedRequest> newsRequests() const
    {
        QList<RecordedRequest> out;
        for (const RecordedRequest &request : server.requests()) {
            if (request.path == NewsPath::site || request.path == NewsPath::newsApi ||
                request.path == NewsPath::rss || request.path.startsWith(QLatin1String("/custom")))
                out << request;
        }
        return out;
    }

    QStringList newsPaths() const
    {
        QStringList out;
        for (const RecordedRequest &request : newsRequests())
            out << request.path;
        return out;
    }

    QString status() const { return window->statusBar()->currentMessage(); }

    // Waits until the status line reports a filled table and every request has ended. Callers check
    // QTest::currentTestFailed() after it.
    void waitForTable()
    {
        QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(QLatin1String("News updated")) ||
                                     status().startsWith(QString::fromUtf8("Notícias atualizadas")),
                                 8000);
        QTRY_VERIFY(unfinishedRequests() == 0);
        QTest::qWait(50); // a fallback that would still start has had its turn
    }

    QString cell(int row, int column) const
    {
        const QTableWidgetItem *item = window->newsTable->item(row, column);
        return item ? item->text() : QStringLiteral("<none>");
    }

    QStringList column(int index) const
    {
        QStringList out;
        for (int row = 0; row < window->newsTable->rowCount(); ++row)
            out << cell(row, index);
        return out;
    }

    TempHome home;
    LoopbackServices services;
    FakeHttpServer &server = services.server();
    std::unique_ptr<MainWindow> window;
    UrlRecorder browser; // web links the window asked the desktop to open
};
