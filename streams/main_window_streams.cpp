#include "shell/main_window.h"

// The streams and the book presets arrive with their own work; until then these members exist so the
// panels, the quote table and the wiring have something to call.
void MainWindow::applyBookPreset(const QString &presetKey)
{
    Q_UNUSED(presetKey);
}

void MainWindow::startBookStream() {}
void MainWindow::startTickerStream() {}

void MainWindow::appendQuoteTapeRow(const QString &symbol, double last, double changePercent,
                                    const QString &source, const QString &latencyText, const QString &status)
{
    Q_UNUSED(symbol);
    Q_UNUSED(last);
    Q_UNUSED(changePercent);
    Q_UNUSED(source);
    Q_UNUSED(latencyText);
    Q_UNUSED(status);
}

void MainWindow::showB3BookFallback(const QString &symbol)
{
    Q_UNUSED(symbol);
}

void MainWindow::showQuoteSnapshot(const QString &symbol)
{
    Q_UNUSED(symbol);
}

void MainWindow::updateBookPresetButtons() {}

void MainWindow::appendQuoteTapeRowFromWatchlist(const QString &symbol, const QString &source)
{
    Q_UNUSED(symbol);
    Q_UNUSED(source);
}

void MainWindow::onTickerSocketConnected() {}
void MainWindow::onTickerSocketDisconnected() {}
void MainWindow::onTickerSocketMessage(const QString &message)
{
    Q_UNUSED(message);
}
void MainWindow::onDepthSocketConnected() {}
void MainWindow::onDepthSocketDisconnected() {}
void MainWindow::onDepthSocketMessage(const QString &message)
{
    Q_UNUSED(message);
}
void MainWindow::onTradeSocketConnected() {}
void MainWindow::onTradeSocketDisconnected() {}
void MainWindow::onTradeSocketMessage(const QString &message)
{
    Q_UNUSED(message);
}
void MainWindow::onItickSocketConnected() {}
void MainWindow::onItickSocketDisconnected() {}
void MainWindow::onItickSocketError(QAbstractSocket::SocketError error)
{
    Q_UNUSED(error);
}
void MainWindow::onItickSocketMessage(const QString &message)
{
    Q_UNUSED(message);
}
void MainWindow::sendItickPing() {}
void MainWindow::onItickDepthTimeout() {}
void MainWindow::onItickRetryTimer() {}
