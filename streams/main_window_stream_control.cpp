#include "shell/main_window.h"
#include "watchlist/symbol_rules.h"

#include <QLabel>
#include <QNetworkRequest>

void MainWindow::closeStream(QWebSocket &socket, StreamLink &link)
{
    link.closedByUs();
    // A planned close is no drop: whatever reconnect a drop had scheduled is off.
    if (QTimer *timer = reconnectTimerFor(socket))
        timer->stop();
    socket.close(QWebSocketProtocol::CloseCodeNormal, QString());
}

void MainWindow::reopenStream(QWebSocket &socket, StreamLink &link, const QNetworkRequest &request)
{
    closeStream(socket, link);
    socket.open(request);
    link.opened();
}

void MainWindow::stopAllStreams()
{
    quotePollTimer.stop();
    moversTimer.stop();
    newsTimer.stop();
    usdBrlTimer.stop();
    itickPingTimer.stop();
    itickDepthTimer.stop();
    tickerReconnectTimer.stop();
    depthReconnectTimer.stop();
    tradeReconnectTimer.stop();
    closeStream(tickerSocket, tickerLink);
    closeStream(depthSocket, depthLink);
    closeStream(itickSocket, itickLink);
    closeStream(tradeSocket, tradeLink);
    marketDataStarted = false;
    bookPending = false;
    tradeStreamActive = false;
    // Our own close is no drop, so no handler says it: without this a streamed book would keep its last
    // levels under a "live" title until the data start reopens it. Snapshot views stream nothing.
    const bool streamedBook = ::classifySymbol(bookSymbol) == QLatin1String("Crypto") || bookLive;
    if (!bookSymbol.isEmpty() && streamedBook && bookTitleLabel)
        bookTitleLabel->setText(orderBookTitle(
            bookSymbol, localizedText(QStringLiteral("disconnected"), QStringLiteral("desconectado"))));
}

void MainWindow::onItickPingTimer()
{
    sendItickPing();
}
