#include "shell/main_window.h"

// The streams and the book presets arrive with their own work; until then these members exist so the
// panels and the quote table have something to call.
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
