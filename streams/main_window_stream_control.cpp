#include "shell/main_window.h"

#include <QTableWidget>

void MainWindow::stopAllStreams()
{
    quotePollTimer.stop();
    moversTimer.stop();
    newsTimer.stop();
    usdBrlTimer.stop();
    itickPingTimer.stop();
    itickDepthTimer.stop();
    tickerSocket.close(QWebSocketProtocol::CloseCodeNormal, QString());
    depthSocket.close(QWebSocketProtocol::CloseCodeNormal, QString());
    itickSocket.close(QWebSocketProtocol::CloseCodeNormal, QString());
    tradeSocket.close(QWebSocketProtocol::CloseCodeNormal, QString());
    marketDataStarted = false;
    bookPending = false;
    tradeStreamActive = false;
}

void MainWindow::onBookStepChanged()
{
    updateBookPresetButtons();
    startBookStream();
    saveLocalSettings();
}

void MainWindow::onTapeClearClicked()
{
    if (tapeTable)
        tapeTable->setRowCount(0);
}

void MainWindow::onTapeFilterChanged()
{
    if (tapeTable)
        tapeTable->setRowCount(0);
    appendQuoteTapeRowFromWatchlist(tapeSymbol, QStringLiteral("Filter"));
}

void MainWindow::onItickPingTimer()
{
    sendItickPing();
}
