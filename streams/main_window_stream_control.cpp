#include "shell/main_window.h"

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
}

void MainWindow::onItickPingTimer()
{
    sendItickPing();
}
