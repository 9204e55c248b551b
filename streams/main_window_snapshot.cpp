#include "chart/candle.h"
#include "shell/formats.h"
#include "shell/main_window.h"
#include "shell/themes.h"
#include "streams/snapshot_colours.h"
#include "watchlist/quote_columns.h"

#include <QFontDatabase>
#include <QLabel>
#include <QTableWidget>
#include <QTableWidgetItem>

#include <algorithm>
#include <cmath>

namespace {
QColor signColour(const QString &value, const QColor &neutral)
{
    if (value.startsWith(QLatin1Char('-')) && value != QLatin1String("--"))
        return QColor(QStringLiteral("#f45d5d"));
    if (value == QLatin1String("--"))
        return neutral;
    return QColor(QStringLiteral("#20c878"));
}
} // namespace

SnapshotColours snapshotColours(bool light)
{
    if (light)
        return {QColor(QStringLiteral("#4e6174")), QColor(QStringLiteral("#1a1a1a"))};
    return {QColor(QStringLiteral("#8fb8ad")), QColor(QStringLiteral("#d8e6e3"))};
}

void recolourSnapshotCells(QTableWidget *table, bool light)
{
    if (!table)
        return;
    const SnapshotColours from = snapshotColours(!light);
    const SnapshotColours to = snapshotColours(light);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            QTableWidgetItem *item = table->item(row, column);
            if (!item)
                continue;
            const QColor colour = item->foreground().color();
            if (colour == from.label)
                item->setForeground(to.label);
            else if (colour == from.neutral)
                item->setForeground(to.neutral);
        }
    }
}

QString MainWindow::tableText(int row, int column) const
{
    const QTableWidgetItem *item = quoteTable ? quoteTable->item(row, column) : nullptr;
    return item ? item->text() : QStringLiteral("--");
}

void MainWindow::setStatsItem(QTableWidget *table, int row, int column, const QString &text,
                              const QColor &colour)
{
    if (!table)
        return;
    auto *item = new QTableWidgetItem(text);
    item->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    item->setForeground(colour);
    table->setItem(row, column, item);
}

void MainWindow::addQuoteStatsRow(QTableWidget *table, const QString &field, const QString &value,
                                  const QString &source, bool neutral)
{
    if (!table)
        return;
    const int row = table->rowCount();
    table->insertRow(row);
    const SnapshotColours colours = snapshotColours(isLightThemeKey(settings.theme));
    setStatsItem(table, row, 0, field, colours.label);
    setStatsItem(table, row, 1, value, neutral ? colours.neutral : signColour(value, colours.neutral));
    setStatsItem(table, row, 2, source, colours.label);
}

void MainWindow::showQuoteSnapshot(const QString &symbol)
{
    setupSnapshotTables();
    bookPending = false;
    bookLive = false;
    if (bookTitleLabel)
        bookTitleLabel->setText(quoteSnapshotTitle(
            symbol, localizedText(QStringLiteral("delayed"), QStringLiteral("com delay"))));
    if (!askTable || !bidTable)
        return;
    askTable->setRowCount(0);
    bidTable->setRowCount(0);
    const int row = findSymbolRow(symbol);
    if (row < 0) {
        addQuoteStatsRow(askTable, QStringLiteral("Status"),
                         localizedText(QStringLiteral("No selected symbol"),
                                       QString::fromUtf8("Nenhum símbolo selecionado")),
                         QStringLiteral("--"), false);
        // No row, no prices: the previous symbol's tiles must not stand under this title.
        updateBookSummary(0.0, 0.0, 0.0, 0.0);
        return;
    }
    const QString source = tableText(row, QuoteColumnSource);
    bool lastOk = false;
    bool closeOk = false;
    double last = tableNumber(row, QuoteColumnLast, &lastOk);
    double close = tableNumber(row, QuoteColumnClose, &closeOk);
    updateBookSummary(closeOk ? close : 0.0, lastOk ? last : 0.0, 0.0, 0.0);

    auto quoteRow = [&](const QString &english, const QString &portuguese, int column, bool neutral) {
        addQuoteStatsRow(askTable, localizedText(english, portuguese), tableText(row, column), source,
                         neutral);
    };
    quoteRow(QStringLiteral("Last"), QString::fromUtf8("Último"), QuoteColumnLast, true);
    quoteRow(QStringLiteral("Change"), QString::fromUtf8("Variação"), QuoteColumnChange, false);
    quoteRow(QStringLiteral("Open"), QStringLiteral("Abertura"), QuoteColumnOpen, true);
    quoteRow(QStringLiteral("High"), QString::fromUtf8("Máxima"), QuoteColumnHigh, true);
    quoteRow(QStringLiteral("Low"), QString::fromUtf8("Mínima"), QuoteColumnLow, true);
    quoteRow(QStringLiteral("Close"), QStringLiteral("Fechamento"), QuoteColumnClose, true);

    const CandleList candles = candlesBySymbol.value(symbol);
    addQuoteStatsRow(bidTable, QStringLiteral("Volume"),
                     candles.isEmpty() ? QStringLiteral("--") : formatCompactNumber(candles.last().volume),
                     source, true);
    auto statsRow = [&](const QString &english, const QString &portuguese, int column) {
        addQuoteStatsRow(bidTable, localizedText(english, portuguese), tableText(row, column), source, true);
    };
    statsRow(QStringLiteral("Latency"), QString::fromUtf8("Latência"), QuoteColumnLatency);
    statsRow(QStringLiteral("Status"), QStringLiteral("Status"), QuoteColumnStatus);
    statsRow(QStringLiteral("Updated"), QStringLiteral("Atualizado"), QuoteColumnUpdated);
    addQuoteStatsRow(
        bidTable, QStringLiteral("Depth"),
        localizedText(QStringLiteral("Not in free feed"),
                      QString::fromUtf8("Não disponível no feed gratuito")),
        localizedText(QStringLiteral("Broker/feed needed"), QString::fromUtf8("Broker/feed necessário")),
        false);
}

void MainWindow::showSnapshotFallback(const QString &symbol, double price, double reference,
                                      const QString &title)
{
    if (!(price > 0.0) || !std::isfinite(price)) {
        showQuoteSnapshot(symbol);
        return;
    }
    if (!(reference > 0.0) || !std::isfinite(reference))
        reference = price;
    bookPending = false;
    bookLive = false;
    showQuoteSnapshot(symbol);
    updateBookSummary(std::min(reference, price), price, 0.0, 0.0);
    if (bookTitleLabel)
        bookTitleLabel->setText(QStringLiteral("%1  %2").arg(
            title, localizedText(QStringLiteral("snapshot fallback"), QStringLiteral("fallback snapshot"))));
}

void MainWindow::showB3BookFallback(const QString &symbol)
{
    const int row = findSymbolRow(symbol);
    if (row < 0) {
        showQuoteSnapshot(symbol);
        return;
    }
    bool lastOk = false;
    bool closeOk = false;
    const double last = tableNumber(row, QuoteColumnLast, &lastOk);
    double reference = tableNumber(row, QuoteColumnClose, &closeOk);
    if (!closeOk || !(reference > 0.0))
        reference = last;
    if (lastOk && last > 0.0)
        showSnapshotFallback(
            symbol, last, reference,
            quoteSnapshotTitle(symbol, localizedText(QStringLiteral("B3 no free Order Book"),
                                                     QStringLiteral("B3 sem livro gratuito"))));
    else
        showQuoteSnapshot(symbol);
}
