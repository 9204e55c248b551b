#include "app/endpoints.h"
#include "providers/reply_deadline.h"
#include "shell/main_window.h"
#include "streams/stream_messages.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QLabel>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

namespace {
constexpr int kItickRetries = 3;
} // namespace

void MainWindow::startItickDepth(const QString &symbol)
{
    itickRetryTimer.stop();
    itickDepthTimer.stop();
    itickRetryCount = 0;
    itickSymbol = symbol;
    ++itickAttempt;
    level1Started = false;
    if (settings.itickApiKey.trimmed().isEmpty())
        startUsLevel1Fallback(symbol, QStringLiteral("iTick key missing"));
    else
        connectItickSocket(symbol);
}

void MainWindow::connectItickSocket(const QString &symbol)
{
    const QString key = settings.itickApiKey.trimmed();
    if (symbol.isEmpty() || symbol != selectedSymbol() || key.isEmpty())
        return;
    setupBookTables();
    const QString attemptText =
        itickRetryCount < 1 ? QString() : QStringLiteral("#%1").arg(itickRetryCount + 1);
    const QString status =
        QStringLiteral("iTick %1 %2")
            .arg(localizedText(QStringLiteral("connecting"), QStringLiteral("conectando")), attemptText)
            .trimmed();
    resetBookPanel(orderBookTitle(symbol, status));
    bookPending = true;
    bookLive = false;
    QNetworkRequest request(endpointUrl(Endpoint::ITick, QStringLiteral("/stock")));
    request.setRawHeader("token", key.toUtf8());
    reopenStream(itickSocket, itickLink, request);
    itickDepthTimer.start();
}

void MainWindow::onItickSocketConnected()
{
    if (!itickLink.isCurrent())
        return;
    itickRetryTimer.stop();
    sendItickSubscribe();
}

void MainWindow::sendItickSubscribe()
{
    const QString key = settings.itickApiKey.trimmed();
    if (key.isEmpty() || itickSymbol.isEmpty())
        return;
    itickSocket.sendTextMessage(QString::fromUtf8(itickAuthMessage(key)));
    itickSocket.sendTextMessage(QString::fromUtf8(itickSubscribeMessage(itickSymbol)));
    itickPingTimer.start();
    if (bookTitleLabel)
        bookTitleLabel->setText(orderBookTitle(itickSymbol, QStringLiteral("iTick Level 2")));
}

void MainWindow::sendItickPing()
{
    if (itickSocket.state() == QAbstractSocket::ConnectedState)
        itickSocket.sendTextMessage(QString::fromUtf8(itickPingMessage(QDateTime::currentMSecsSinceEpoch())));
}

void MainWindow::parseItickLevels(const QJsonArray &array, QList<BookLevel> &out)
{
    out = parseItickSide(array);
}

void MainWindow::onItickMessage(const QString &message)
{
    const ItickMessage parsed = parseItickMessage(message.toUtf8());
    if (parsed.symbol.isEmpty() || parsed.symbol != itickSymbol)
        return;
    if (parsed.type == QLatin1String("depth")) {
        itickDepthTimer.stop();
        const BookSnapshot snapshot = itickSnapshot(parsed.data);
        if (!hasFullDepth(snapshot)) {
            scheduleItickRetry(QStringLiteral("iTick depth below 5 levels"));
            return;
        }
        itickRetryCount = 0;
        itickRetryTimer.stop();
        bookPending = false;
        bookLive = true;
        updateBookMetrics(snapshot, localizedText(QStringLiteral("US: Level 2 (5 levels)  %1"),
                                                  QString::fromUtf8("EUA: Level 2 (5 níveis)  %1"))
                                        .arg(parsed.symbol));
    } else if (parsed.type == QLatin1String("quote")) {
        if (parsed.symbol == selectedSymbol() && bookTitleLabel)
            bookTitleLabel->setText(orderBookTitle(parsed.symbol, QStringLiteral("iTick quote/depth")));
    }
}

void MainWindow::scheduleItickRetry(const QString &reason)
{
    if (itickSymbol.isEmpty() || itickSymbol != selectedSymbol() || bookLive)
        return;
    itickDepthTimer.stop();
    itickPingTimer.stop();
    if (itickRetryCount < kItickRetries) {
        const int delay = itickRetryBaseMs << itickRetryCount;
        ++itickRetryCount;
        if (bookTitleLabel)
            bookTitleLabel->setText(
                orderBookTitle(itickSymbol, localizedText(QStringLiteral("iTick retry in %1 ms"),
                                                          QStringLiteral("nova tentativa iTick em %1 ms"))
                                                .arg(delay)));
        appendEventLog(localizedText(QStringLiteral("iTick retry %1/3 scheduled for %2"),
                                     QStringLiteral("Nova tentativa iTick %1/3 agendada para %2"))
                           .arg(itickRetryCount)
                           .arg(itickSymbol));
        itickRetryTimer.start(delay);
        return;
    }
    itickRetryTimer.stop();
    // One hand-over per attempt: later thin messages, errors or drops must not send a request each.
    if (!level1Started)
        startUsLevel1Fallback(itickSymbol, reason + QStringLiteral("; retries exhausted"));
}

void MainWindow::onItickRetryTimer()
{
    if (!itickSymbol.isEmpty() && itickSymbol == selectedSymbol() && !bookLive)
        connectItickSocket(itickSymbol);
}

void MainWindow::onItickDepthTimeout()
{
    if (!bookLive && !itickSymbol.isEmpty() && itickSymbol == selectedSymbol())
        scheduleItickRetry(QStringLiteral("iTick depth timeout"));
}

void MainWindow::onItickSocketDisconnected()
{
    if (!itickLink.isCurrent())
        return;
    itickPingTimer.stop();
    if (itickSymbol.isEmpty() || itickSymbol != selectedSymbol())
        return;
    if (bookLive) {
        // The depth on the panel has stopped moving; the title must not keep calling it live.
        if (bookTitleLabel)
            bookTitleLabel->setText(orderBookTitle(
                itickSymbol, localizedText(QStringLiteral("disconnected"), QStringLiteral("desconectado"))));
        return;
    }
    scheduleItickRetry(QStringLiteral("iTick disconnected"));
}

void MainWindow::onItickSocketError(QAbstractSocket::SocketError error)
{
    Q_UNUSED(error);
    if (!itickLink.isCurrent())
        return;
    if (!bookLive && !itickSymbol.isEmpty() && itickSymbol == selectedSymbol())
        scheduleItickRetry(QStringLiteral("iTick error"));
}

void MainWindow::onItickSocketMessage(const QString &message)
{
    if (itickLink.isCurrent())
        onItickMessage(message);
}

void MainWindow::startUsLevel1Fallback(const QString &symbol, const QString &reason)
{
    if (symbol.isEmpty() || symbol != selectedSymbol())
        return;
    level1Started = true;
    bookPending = false;
    bookLive = false;
    if (!settings.configValues.value(QStringLiteral("finnhub_api_key")).trimmed().isEmpty()) {
        requestFinnhubLevel1Quote(symbol, reason);
        return;
    }
    if (!settings.alphaVantageApiKey.trimmed().isEmpty()) {
        requestAlphaLevel1Quote(symbol, reason);
        return;
    }
    showQuoteSnapshot(symbol);
    if (bookTitleLabel)
        bookTitleLabel->setText(
            quoteSnapshotTitle(symbol, localizedText(QStringLiteral("US Level 1 fallback snapshot (%1)"),
                                                     QStringLiteral("EUA Level 1 fallback (%1)"))
                                           .arg(reason)));
}

bool MainWindow::level1ReplyIsCurrent(const QString &symbol, quint64 attempt) const
{
    // A late answer must not replace a live book or a newer attempt's view.
    return symbol == selectedSymbol() && attempt == itickAttempt && !bookLive;
}

void MainWindow::requestFinnhubLevel1Quote(const QString &symbol, const QString &reason)
{
    QUrl url = endpointUrl(Endpoint::Finnhub, QStringLiteral("/api/v1/quote"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("symbol"), symbol);
    query.addQueryItem(QStringLiteral("token"),
                       settings.configValues.value(QStringLiteral("finnhub_api_key")).trimmed());
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setTransferTimeout(quoteTransferLimitMs);
    const quint64 attempt = itickAttempt;
    awaitReply(networkManager.get(request), this, replyDeadlines.quoteMs,
               [this, symbol, reason, attempt](const ReplyAnswer &answer) {
                   onFinnhubLevel1Reply(answer, symbol, reason, attempt);
               });
}

void MainWindow::onFinnhubLevel1Reply(const ReplyAnswer &answer, const QString &symbol, const QString &reason,
                                      quint64 attempt)
{
    const QByteArray &body = answer.body;
    const bool failed = answer.failed;
    if (!level1ReplyIsCurrent(symbol, attempt))
        return;
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const double price = object.value(QStringLiteral("c")).toDouble(0.0);
    if (failed || !std::isfinite(price) || !(price > 0.0)) {
        requestAlphaLevel1Quote(symbol, reason);
        return;
    }
    showSnapshotFallback(symbol, price, object.value(QStringLiteral("pc")).toDouble(0.0),
                         localizedText(QStringLiteral("US: Level 1 Finnhub fallback (%1)"),
                                       QStringLiteral("EUA: Level 1 Finnhub fallback (%1)"))
                             .arg(reason));
}

void MainWindow::requestAlphaLevel1Quote(const QString &symbol, const QString &reason)
{
    const QString key = settings.alphaVantageApiKey.trimmed();
    if (key.isEmpty()) {
        showQuoteSnapshot(symbol);
        return;
    }
    QUrl url = endpointUrl(Endpoint::AlphaVantage, QStringLiteral("/query"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("function"), QStringLiteral("GLOBAL_QUOTE"));
    query.addQueryItem(QStringLiteral("symbol"), symbol);
    query.addQueryItem(QStringLiteral("apikey"), key);
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setTransferTimeout(quoteTransferLimitMs);
    const quint64 attempt = itickAttempt;
    awaitReply(networkManager.get(request), this, replyDeadlines.quoteMs,
               [this, symbol, reason, attempt](const ReplyAnswer &answer) {
                   onAlphaLevel1Reply(answer, symbol, reason, attempt);
               });
}

void MainWindow::onAlphaLevel1Reply(const ReplyAnswer &answer, const QString &symbol, const QString &reason,
                                    quint64 attempt)
{
    const QByteArray &body = answer.body;
    const bool failed = answer.failed;
    if (!level1ReplyIsCurrent(symbol, attempt))
        return;
    const QJsonObject quote =
        QJsonDocument::fromJson(body).object().value(QStringLiteral("Global Quote")).toObject();
    const double price = depthItemNumber(quote.value(QStringLiteral("05. price")));
    const double change = depthItemNumber(quote.value(QStringLiteral("09. change")));
    if (failed || !(price > 0.0)) {
        showQuoteSnapshot(symbol);
        return;
    }
    showSnapshotFallback(symbol, price, price - change,
                         localizedText(QStringLiteral("US: Level 1 Alpha fallback (%1)"),
                                       QStringLiteral("EUA: Level 1 Alpha fallback (%1)"))
                             .arg(reason));
}
