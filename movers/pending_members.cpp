#include "shell/main_window.h"

#include <QLabel>
#include <QStringListModel>

// Members other subsystems own and build in their own work; these minimal bodies keep the movers
// working until theirs land.

void MainWindow::restyleMetricCard(QLabel *card, const QString &caption, const QColor &accent)
{
    if (!card)
        return;
    const QStringList parts = card->text().split(QLatin1Char('\n'));
    styleMetricCard(card, caption, parts.size() > 1 ? parts.at(1) : QStringLiteral("--"), accent);
}

void MainWindow::startTradeStream(const QString &symbol)
{
    tapeSymbol = symbol;
}

void MainWindow::refreshCompleterModel()
{
    if (completerModel)
        completerModel->setStringList(symbolUniverse);
}
