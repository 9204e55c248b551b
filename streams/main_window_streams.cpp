#include "shell/main_window.h"
#include "watchlist/symbol_rules.h"

#include <QDoubleSpinBox>
#include <QSignalBlocker>

void MainWindow::startBookStream()
{
    const QString symbol = selectedSymbol();
    if (symbol.isEmpty()) {
        bookSymbol.clear();
        closeStream(depthSocket, depthLink);
        closeStream(itickSocket, itickLink);
        startTradeStream(QString());
        bookPending = false;
        bookLive = false;
        resetBookPanel(orderBookTitle(QString(), QString()));
        return;
    }
    reapplyBookPreset();
    startTradeStream(symbol);
    const QString assetClass = ::classifySymbol(symbol);
    if (assetClass == QLatin1String("BR Equity")) {
        bookSymbol = symbol;
        closeStream(depthSocket, depthLink);
        closeStream(itickSocket, itickLink);
        showB3BookFallback(symbol);
    } else if (assetClass == QLatin1String("Forex")) {
        bookSymbol = symbol;
        closeStream(depthSocket, depthLink);
        closeStream(itickSocket, itickLink);
        showQuoteSnapshot(symbol);
    }
}

void MainWindow::reapplyBookPreset()
{
    if (bookPresetKey.isEmpty() || !bookStepSpin)
        return;
    // Without a price there is no level to follow (a restart selects its first row before any quote):
    // the step stays as it is rather than collapsing to raw.
    if (!(lastPriceForSymbol(selectedSymbol()) > 0.0))
        return;
    // The stored preset is the user's choice. Following a price that makes two presets coincide (a
    // tiny price rounds every preset to raw) must not rewrite it, or the next symbol gets the wrong one.
    const QString chosen = bookPresetKey;
    {
        const QSignalBlocker quiet(bookStepSpin);
        bookStepSpin->setValue(defaultBookStep(chosen));
    }
    updateBookPresetButtons();
    bookPresetKey = chosen;
}

void MainWindow::startTickerStream() {}

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
