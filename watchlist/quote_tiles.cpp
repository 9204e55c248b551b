#include "shell/main_window.h"
#include "watchlist/quote_columns.h"
#include "watchlist/quote_display.h"

#include <QGridLayout>
#include <QLabel>
#include <QStyle>
#include <QTableWidget>

#include <cmath>

namespace {
// Style sheets read the "direction" property only when the widget is polished again. Re-polishing
// resolves the whole window sheet for the widget, so it is done only when the direction changes.
void setDirection(QWidget *widget, const QString &direction)
{
    if (widget->property("direction").toString() == direction)
        return;
    widget->setProperty("direction", direction);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

QString cellText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QStringLiteral("--");
}
} // namespace

void MainWindow::updateQuoteTiles()
{
    if (quoteTileLabels.isEmpty() || !quoteTable)
        return;
    for (int i = 0; i < quoteTileLabels.size(); ++i) {
        QLabel *tile = quoteTileLabels.at(i);
        const QTableWidgetItem *symbolItem =
            i < quoteTable->rowCount() ? quoteTable->item(i, QuoteColumnSymbol) : nullptr;
        if (symbolItem) {
            const QString change = cellText(quoteTable, i, QuoteColumnChange);
            tile->setText(QStringLiteral("%1  %2  %3")
                              .arg(symbolItem->text(), cellText(quoteTable, i, QuoteColumnLast), change));
            tile->setToolTip(QStringLiteral("%1 | %2").arg(cellText(quoteTable, i, QuoteColumnSource),
                                                           cellText(quoteTable, i, QuoteColumnStatus)));
            // A change the cell cannot show ("--", or no cell) reads as 0: flat.
            setDirection(tile, changeDirection(tableNumber(i, QuoteColumnChange)));
        } else {
            tile->setText(QStringLiteral("--"));
            tile->setToolTip(QString());
            setDirection(tile, QStringLiteral("flat"));
        }
    }
}

void MainWindow::layoutQuoteTiles()
{
    if (!quoteTilesLayout)
        return;
    const int columns = quoteTileColumns(width());
    for (int i = 0; i < quoteTileLabels.size(); ++i) {
        QLabel *tile = quoteTileLabels.at(i);
        quoteTilesLayout->removeWidget(tile);
        quoteTilesLayout->addWidget(tile, i / columns, i % columns);
    }
}

void MainWindow::updateFxTicker(double rate, double changePercent)
{
    if (!fxTickerLabel || !std::isfinite(rate))
        return;
    usdBrlRate = rate;
    fxTickerLabel->setText(fxTickerText(rate, changePercent));
    if (std::isfinite(changePercent))
        setDirection(fxTickerLabel, changePercent >= 0.0 ? QStringLiteral("up") : QStringLiteral("down"));
    refreshPortfolio();
}

void MainWindow::onUsdBrlTickerTimer()
{
    pollQuote(QStringLiteral("BRL=X"));
}
