// TEMPORARY until the quote writers are merged; deleted at that merge.
#include "shell/main_window.h"
void MainWindow::applyQuote(const QString &, const QString &, const Quote &, qint64) {}
void MainWindow::updateQuoteRow(const QString &, double, double, const QString &, const QString &, const QString &) {}
void MainWindow::applyPriceToLastCandle(const QString &, double) {}
void MainWindow::setQuoteStatus(const QString &, const QString &) {}
void MainWindow::setQuoteLatency(const QString &, const QString &) {}
void MainWindow::writeQuoteOhlc(const QString &, int) {}
void MainWindow::setRowToolTip(const QString &) {}
