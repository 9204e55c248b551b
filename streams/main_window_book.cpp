#include "shell/formats.h"
#include "shell/main_window.h"
#include "streams/stream_messages.h"

#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTime>

namespace {
struct PresetText
{
    const char *key;
    const char *english;
    const char *portuguese;
};
const PresetText kPresetTexts[] = {{"raw", "Raw", "Bruto"},
                                   {"tight", "Tight", "Estreito"},
                                   {"normal", "Normal", "Normal"},
                                   {"wide", "Wide", "Amplo"}};

// The book's own cells, told apart from the quote snapshot's that the same tables hold in between.
constexpr int kBookItemType = QTableWidgetItem::UserType + 61;

const QFont &bookCellFont()
{
    static const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}
} // namespace

double MainWindow::bookStep() const
{
    return bookStepSpin ? bookStepSpin->value() : 0.0;
}

double MainWindow::defaultBookStep(const QString &preset) const
{
    // The selected row's price, not the book's: a preset follows what the user is looking at.
    return bookStepForPreset(preset, lastPriceForSymbol(selectedSymbol()));
}

double MainWindow::roundToBookStep(double price, bool isBid) const
{
    return roundToStep(price, bookStep(), isBid);
}

AggregatedLevels MainWindow::aggregateJsonLevels(const QJsonArray &levels, bool isBid) const
{
    return aggregateDepthArray(levels, isBid, bookStep());
}

AggregatedLevels MainWindow::aggregateLevels(const QList<BookLevel> &levels, bool isBid) const
{
    return aggregateBookLevels(levels, isBid, bookStep());
}

int MainWindow::countValidJsonLevels(const QJsonArray &levels)
{
    return countValidDepthEntries(levels);
}

bool MainWindow::hasFullJsonDepth(const QJsonArray &bids, const QJsonArray &asks)
{
    return hasFullDepthArrays(bids, asks);
}

bool MainWindow::hasFullDepth(const BookSnapshot &snapshot)
{
    return hasFullDepthSnapshot(snapshot);
}

double MainWindow::sumDepthQuantity(const QJsonArray &levels)
{
    return sumDepthQuantities(levels);
}

double MainWindow::sumLevelSizes(const QList<BookLevel> &levels)
{
    return sumBookLevelSizes(levels);
}

double MainWindow::firstLevelPrice(const QJsonArray &levels)
{
    return firstDepthPrice(levels);
}

QString MainWindow::bookStepSuffix() const
{
    return bookStepSuffixText(bookStep(), localizedText(QStringLiteral("Step"), QStringLiteral("Degrau")));
}

void MainWindow::applyBookPreset(const QString &presetKey)
{
    if (!bookStepSpin)
        return;
    bookPresetKey = presetKey;
    // A changed value runs the step handler at once: buttons, book stream, settings.
    bookStepSpin->setValue(defaultBookStep(presetKey));
    updateBookPresetButtons();
}

void MainWindow::updateBookPresetButtons()
{
    QString matched;
    bool chosenMatches = false;
    const double step = bookStep();
    for (QPushButton *button : std::as_const(bookPresetButtons)) {
        const QString key = button->property("bookPreset").toString();
        const bool checked = stepMatchesPreset(step, defaultBookStep(key));
        button->setChecked(checked);
        if (checked) {
            matched = key;
            chosenMatches = chosenMatches || key == bookPresetKey;
        }
        QString text = localizedText(QStringLiteral("Normal"), QStringLiteral("Normal"));
        for (const PresetText &preset : kPresetTexts) {
            if (key == QLatin1String(preset.key))
                text = localizedText(QString::fromUtf8(preset.english), QString::fromUtf8(preset.portuguese));
        }
        button->setText(text);
        button->setToolTip(
            QStringLiteral("%1 (%2)").arg(text, shortcutText(QStringLiteral("book_%1").arg(key))));
    }
    // Without a price for the selected symbol the presets cannot be told apart (tight, normal and wide all
    // give the least step), so a match says nothing about the user's choice: it stands. Below a price of
    // 0.0001 two presets can give one step; the one chosen stays chosen, so the next symbol gets its step.
    const QString selected = selectedSymbol();
    if (!selected.isEmpty() && lastPriceForSymbol(selected) > 0.0 && !chosenMatches)
        bookPresetKey = matched;
}

void MainWindow::followBookReferencePrice()
{
    // Which buttons match the step depends on the selected symbol's price: without one, tight, normal
    // and wide all give the least step. A price that came or moved is no choice of the user's: whatever
    // the buttons now show, the stored preset stays as chosen, and the next symbol gets its step.
    const QString chosen = bookPresetKey;
    updateBookPresetButtons();
    bookPresetKey = chosen;
}

void MainWindow::onBookStepChanged()
{
    updateBookPresetButtons();
    startBookStream();
    saveLocalSettings();
}

void MainWindow::makeBookItem(QTableWidget *table, int row, int column, const QString &text, bool isBid)
{
    if (!table)
        return;
    // A depth frame comes ten times a second and changes a few of the cells: the book's own cell is
    // rewritten in place, text alone (its side's colour and font never change), so that the table
    // repaints those cells alone instead of laying out and repainting every row. A cell of another kind
    // (the quote snapshot's) is replaced.
    QTableWidgetItem *item = table->item(row, column);
    if (item && item->type() == kBookItemType) {
        item->setText(text); // Qt tells the view nothing when the text is the same
        return;
    }
    item = new QTableWidgetItem(text, kBookItemType);
    item->setFont(bookCellFont());
    item->setForeground(QColor(isBid ? QStringLiteral("#20c878") : QStringLiteral("#f45d5d")));
    table->setItem(row, column, item);
}

void MainWindow::fillBookRows(QTableWidget *table, const AggregatedLevels &levels, bool isBid,
                              int sizeDecimals)
{
    if (!table)
        return;
    // Rows are added or dropped at the end only when the number of levels changes; the rows kept are
    // rewritten in place (as if emptied and filled again, without the relayout and repaint of it all).
    const int rows = static_cast<int>(levels.size());
    if (table->rowCount() != rows)
        table->setRowCount(rows);
    double total = 0.0;
    for (int row = 0; row < rows; ++row) {
        const AggregatedLevel &level = levels.at(row);
        total += level.size;
        makeBookItem(table, row, 0, formatPrice(level.price), isBid);
        makeBookItem(table, row, 1, QString::number(level.size, 'f', sizeDecimals), isBid);
        makeBookItem(table, row, 2, QString::number(total, 'f', sizeDecimals), isBid);
    }
}

void MainWindow::fillBookSide(QTableWidget *table, const QJsonArray &levels, bool isBid)
{
    fillBookRows(table, aggregateJsonLevels(levels, isBid), isBid, 5);
}

void MainWindow::fillBookSideLevels(QTableWidget *table, const QList<BookLevel> &levels, bool isBid)
{
    fillBookRows(table, aggregateLevels(levels, isBid), isBid, 4);
}

void MainWindow::updateBookMetrics(const BookSnapshot &snapshot, const QString &label)
{
    setupBookTables();
    bookLive = true;
    bookPending = false;
    const double bidVolume = sumLevelSizes(snapshot.bids);
    const double askVolume = sumLevelSizes(snapshot.asks);
    updateBookSummary(snapshot.bestBid, snapshot.bestAsk, bidVolume, askVolume);
    if (bookTitleLabel) {
        const double mid = snapshot.bestBid > 0.0 && snapshot.bestAsk > 0.0
                               ? (snapshot.bestBid + snapshot.bestAsk) / 2.0
                               : 0.0;
        const double volume = bidVolume + askVolume;
        const double imbalance = volume > 0.0 ? (bidVolume - askVolume) / volume * 100.0 : 0.0;
        // Put together piece by piece: a label or value holding "%1" must stay as it is.
        bookTitleLabel->setText(label + QStringLiteral("  Spread ") + formatPriceFixed(snapshot.spread, 4) +
                                QStringLiteral("  Mid ") + formatPriceFixed(mid, 4) + QStringLiteral("  ") +
                                localizedText(QStringLiteral("Imb"), QStringLiteral("Desb")) +
                                QLatin1Char(' ') + QString::number(imbalance, 'f', 1) + QLatin1Char('%') +
                                bookStepSuffix());
    }
    fillBookSideLevels(askTable, snapshot.asks, false);
    fillBookSideLevels(bidTable, snapshot.bids, true);
}

void MainWindow::showCryptoDepth(const QString &symbol, const QJsonObject &depth, const QString &status,
                                 bool withStep)
{
    QJsonArray bids;
    QJsonArray asks;
    depthSides(depth, &bids, &asks);
    bookPending = false;
    bookLive = hasFullJsonDepth(bids, asks);
    if (!bookLive) {
        showQuoteSnapshot(symbol);
        if (bookTitleLabel)
            bookTitleLabel->setText(
                quoteSnapshotTitle(symbol, localizedText(QStringLiteral("Binance depth insufficient"),
                                                         QStringLiteral("depth Binance insuficiente"))));
        return;
    }
    updateBookSummary(firstLevelPrice(bids), firstLevelPrice(asks), sumDepthQuantity(bids),
                      sumDepthQuantity(asks));
    setupBookTables();
    fillBookSide(askTable, asks, false);
    fillBookSide(bidTable, bids, true);
    if (bookTitleLabel)
        bookTitleLabel->setText(orderBookTitle(symbol, status) + (withStep ? bookStepSuffix() : QString()));
}

void MainWindow::retranslateStreamPanels()
{
    if (bookStepLabel)
        bookStepLabel->setText(localizedText(QStringLiteral("Step"), QStringLiteral("Degrau")));
    if (bookStepSpin)
        bookStepSpin->setSpecialValueText(localizedText(QStringLiteral("Raw"), QStringLiteral("Bruto")));
    updateBookPresetButtons();
    if (bookLive)
        setupBookTables();
    else
        setupSnapshotTables();
    updateBookMetricCards();
    populateTapeFilterCombo(QString());
    setTapeHeaders();
    if (tapeClearButton)
        tapeClearButton->setText(localizedText(QStringLiteral("Clear"), QStringLiteral("Limpar")));
}
