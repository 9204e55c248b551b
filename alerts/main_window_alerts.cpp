#include "shell/formats.h"
#include "shell/main_window.h"
#include "watchlist/sorting_pause.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>

qint64 MainWindow::alertNowMs() const
{
    return alertClock ? alertClock() : QDateTime::currentMSecsSinceEpoch();
}

void MainWindow::soundAlertBeep()
{
    if (alertBeep)
        alertBeep();
    else
        QApplication::beep();
}

void MainWindow::checkAlerts(const QString &symbol, double last)
{
    // By index, checked each round: the steps below show boxes and write the console, and nothing they
    // do may leave this loop holding a reference into a list that changed.
    for (int i = 0; i < alerts.size(); ++i) {
        const qint64 nowMs = alertNowMs();
        if (!alertFires(alerts.at(i), symbol, last, nowMs))
            continue;
        PriceAlert &alert = alerts[i];
        alert.lastTriggerMs = nowMs;
        if (!alert.repeating)
            alert.triggered = true;
        const PriceAlert fired = alert;

        soundAlertBeep();
        flashQuoteRow(symbol);
        showAlertPopup(fired, last);
        appendAlertHistory(fired, QStringLiteral("Triggered"), last, QStringLiteral("Hit"));
        // The file holds the whole history, so writing it on every hit grew with the history; hits are
        // written together shortly after, like other bursts of changes, and a close writes at once.
        if (!settingsSaveTimer.isActive())
            settingsSaveTimer.start();
        const QString suffix = fired.repeating
                                   ? localizedText(QStringLiteral(" repeat"), QStringLiteral(" repetido"))
                                   : QString();
        appendEventLog(
            localizedText(QStringLiteral("ALERT HIT: %1 last %2 target %3%4"),
                          QString::fromUtf8("ALERTA DISPARADO: %1 último %2 alvo %3%4"))
                .arg(fired.symbol, formatPriceFixed(last, 4), formatPriceFixed(fired.target, 4), suffix));
    }
}

namespace {

void paintRow(QTableWidget *table, int row, const QBrush &brush)
{
    SortingPause pause(table);
    for (int column = 0; column < table->columnCount(); ++column) {
        if (QTableWidgetItem *item = table->item(row, column))
            item->setBackground(brush);
    }
}

} // namespace

void MainWindow::flashQuoteRow(const QString &symbol)
{
    const int row = findSymbolRow(symbol);
    if (row < 0)
        return;
    paintRow(quoteTable, row, QBrush(QColor(QStringLiteral("#5a4808"))));
    QTimer::singleShot(rowFlashMs, this, [this, symbol]() { onClearRowFlash(symbol); });
}

void MainWindow::onClearRowFlash(const QString &symbol)
{
    // The row may have moved or gone since the flash began.
    const int row = findSymbolRow(symbol);
    if (row < 0)
        return;
    paintRow(quoteTable, row, QBrush(Qt::transparent));
}

void MainWindow::showAlertPopup(const PriceAlert &alert, double last)
{
    QString text = localizedText(QStringLiteral("%1 alert triggered.\n\nLast: %2\nCondition: %3 %4"),
                                 QString::fromUtf8("Alerta de %1 disparado.\n\nÚltimo: %2\nCondição: %3 %4"))
                       .arg(alert.symbol, formatPriceFixed(last, 4), alertConditionSign(alert.above),
                            formatPriceFixed(alert.target, 4));
    if (alert.repeating)
        text += QStringLiteral("\nMode: Repeat");

    // A repeating rule fires every minute for as long as the price stays beyond it: one box per rule,
    // brought up again with the latest hit, instead of a new box a minute.
    QPointer<QDialog> *openBox = nullptr;
    if (alert.repeating) {
        openBox = &repeatingAlertBoxes[alertPopupKey(alert)];
        // A box the user just closed is hidden and waits for deletion: that one is gone.
        auto *box = qobject_cast<QMessageBox *>(openBox->data());
        if (box && box->isVisible()) {
            box->setText(text);
            box->show();
            box->raise();
            box->activateWindow();
            return;
        }
    }

    auto *box = new QMessageBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setStandardButtons(QMessageBox::Ok);
    box->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box->setModal(false);
    box->setWindowModality(Qt::NonModal);
    // A symbol can come from another machine's sync: it is shown as written, never as markup.
    box->setTextFormat(Qt::PlainText);
    box->setWindowTitle(
        localizedText(QStringLiteral("Price Alert - %1"), QString::fromUtf8("Alerta de preço - %1"))
            .arg(alert.symbol));
    box->setText(text);
    if (openBox)
        *openBox = box;
    box->show();
    box->raise();
    box->activateWindow();
}

void MainWindow::loadAlerts(const QJsonArray &array)
{
    alerts = alertsFromJson(array, [this](const QString &text) { return normalizeSymbol(text); });
}

QJsonArray MainWindow::alertsToJsonArray() const
{
    return alertsToJson(alerts);
}
