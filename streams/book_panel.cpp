#include "app/startup_log.h"
#include "shell/formats.h"
#include "shell/layout_fence.h"
#include "shell/main_window.h"
#include "streams/column_fit.h"

#include <QAbstractItemView>
#include <QColor>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
struct BookPreset
{
    const char *key;
    const char *text;
};
const BookPreset kBookPresets[] = {
    {"raw", "Raw"}, {"tight", "Tight"}, {"normal", "Normal"}, {"wide", "Wide"}};

// What a card's style sheet puts around its text on each side: a 1 px border and 3 px of padding.
constexpr int kCardBorder = 1;
constexpr int kCardPadding = 3;

// Puts the book's cards in one row when every card, at an equal share of the row, has room for the
// widest value it is meant to show (a ten-character price: a sub-cent coin's eight decimals, or two
// decimals on a seven-digit price; no caption or imbalance is longer), and otherwise in two rows, BID
// and ASK above SPR and IMB. Only the row's width decides, never the values shown, and the columns
// share the width equally, so a value that grows or shrinks moves no card.
class BookCardArranger : public QObject
{
public:
    BookCardArranger(QWidget *row, QGridLayout *grid, const QList<QLabel *> &cards)
        : QObject(row), row(row), grid(grid), cards(cards)
    {
        row->installEventFilter(this);
        arrange();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A new width, or a new card font (a restyle asks the row for a new layout).
        if (watched == row && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
            arrange();
        return false;
    }

private:
    int columnsFor(int width) const
    {
        // Measured as the card measures its own text: the advance alone rounds a fraction of a pixel
        // down, and a card one pixel short takes that pixel from its neighbours.
        const QFontMetrics metrics(cards.constFirst()->font());
        const int card =
            metrics.size(0, QStringLiteral("0000000000")).width() + 2 * (kCardBorder + kCardPadding);
        const int count = static_cast<int>(cards.size());
        return count * card + (count - 1) * grid->horizontalSpacing() <= width ? count : (count + 1) / 2;
    }

    void arrange()
    {
        const int columns = columnsFor(row->width());
        if (columns == arrangedColumns)
            return;
        arrangedColumns = columns;
        for (QLabel *card : cards)
            grid->removeWidget(card);
        for (int index = 0; index < cards.size(); ++index)
            grid->addWidget(cards.at(index), index / columns, index % columns);
        for (int column = 0; column < cards.size(); ++column)
            grid->setColumnStretch(column, column < columns ? 1 : 0);
    }

    QWidget *row;
    QGridLayout *grid;
    QList<QLabel *> cards;
    int arrangedColumns = 0;
};
} // namespace

QWidget *MainWindow::buildBookPanel(QWidget *root)
{
    bookTitleLabel = new QLabel(orderBookTitle(QString(), QString()), root);
    bookTitleLabel->setObjectName(QStringLiteral("panelTitle"));
    bookTitleLabel->setWordWrap(true);
    askTable = createBookSideTable(root);
    bidTable = createBookSideTable(root);

    auto *bookPanel = new QWidget;
    bookPanel->setMinimumWidth(240);
    auto *panelLayout = new QVBoxLayout(bookPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(6);

    auto *metricRow = new QWidget(bookPanel);
    auto *metricLayout = new QGridLayout(metricRow);
    metricLayout->setContentsMargins(0, 0, 0, 0);
    metricLayout->setSpacing(4);
    bookMetricCards.clear();
    for (const char *caption : {"BID", "ASK", "SPR", "IMB"})
        bookMetricCards.append(createMetricCard(metricRow, QString::fromLatin1(caption)));
    new BookCardArranger(metricRow, metricLayout, bookMetricCards);

    auto *presetRow = new QWidget(bookPanel);
    auto *presetGrid = new QGridLayout(presetRow);
    presetGrid->setContentsMargins(0, 0, 0, 0);
    presetGrid->setSpacing(4);
    bookStepLabel = new QLabel(localizedText(QStringLiteral("Step"), QStringLiteral("Degrau")), presetRow);
    presetGrid->addWidget(bookStepLabel, 0, 0);
    bookStepSpin = new QDoubleSpinBox(presetRow);
    // As fine as the finest preset step: a coin priced below a cent gets steps of a few 0.00000001.
    bookStepSpin->setDecimals(kBookStepDecimals);
    bookStepSpin->setRange(0.0, 1000000.0);
    bookStepSpin->setSingleStep(0.01);
    bookStepSpin->setSpecialValueText(QStringLiteral("Raw"));
    bookStepSpin->setValue(0.0);
    // A typed step applies when editing ends: each keystroke would otherwise restart the book stream
    // and rewrite the settings file.
    bookStepSpin->setKeyboardTracking(false);
    presetGrid->addWidget(bookStepSpin, 0, 1, 1, 3);

    // A rebuilt panel must not leave the previous build's window-wide shortcuts behind.
    qDeleteAll(bookPresetShortcuts);
    bookPresetShortcuts.clear();
    bookPresetButtons.clear();
    int column = 0;
    for (const BookPreset &preset : kBookPresets) {
        const QString key = QString::fromLatin1(preset.key);
        auto *button = new QPushButton(QString::fromLatin1(preset.text), presetRow);
        button->setObjectName(QStringLiteral("bookPresetButton"));
        button->setProperty("bookPreset", key);
        button->setCheckable(true);
        button->setMinimumWidth(0);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QPushButton::clicked, this, [this, key]() { onBookPresetTriggered(key); });
        bookPresetButtons.append(button);
        presetGrid->addWidget(button, 1, column);

        // No key until the shortcut configuration assigns one.
        auto *shortcut = new QShortcut(this);
        connect(shortcut, &QShortcut::activated, this, [this, key]() { onBookPresetTriggered(key); });
        bookPresetShortcuts.append(shortcut);
        presetGrid->setColumnStretch(column, 1);
        ++column;
    }

    askCaptionLabel = new QLabel(localizedText(QStringLiteral("ASK"), QStringLiteral("VENDA")), bookPanel);
    bidCaptionLabel = new QLabel(localizedText(QStringLiteral("BID"), QStringLiteral("COMPRA")), bookPanel);

    panelLayout->addWidget(bookTitleLabel, 0);
    panelLayout->addWidget(presetRow, 0);
    panelLayout->addWidget(metricRow, 0);
    panelLayout->addWidget(askCaptionLabel, 0);
    panelLayout->addWidget(askTable, 1);
    panelLayout->addWidget(bidCaptionLabel, 0);
    panelLayout->addWidget(bidTable, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: book panel created"));
    // Ten depth frames a second rewrite the cards' and the title's texts: without the fence each would
    // lay out and repaint the whole window (see LayoutFence).
    return new LayoutFence(bookPanel, root);
}

QTableWidget *MainWindow::createBookSideTable(QWidget *parent)
{
    auto *table = new QTableWidget(0, 3, parent);
    table->setHorizontalHeaderLabels({localizedText(QStringLiteral("Price"), QString::fromUtf8("Preço")),
                                      localizedText(QStringLiteral("Size"), QStringLiteral("Tamanho")),
                                      QStringLiteral("Total")});
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    // The pane is narrow: Qt's 100 px per column would push the third header out of sight.
    keepColumnsFitted(table);
    return table;
}

void MainWindow::setupBookTables()
{
    if (askCaptionLabel)
        askCaptionLabel->setText(localizedText(QStringLiteral("ASK"), QStringLiteral("VENDA")));
    if (bidCaptionLabel)
        bidCaptionLabel->setText(localizedText(QStringLiteral("BID"), QStringLiteral("COMPRA")));
    const QStringList headers = {localizedText(QStringLiteral("Price"), QString::fromUtf8("Preço")),
                                 localizedText(QStringLiteral("Size"), QStringLiteral("Tamanho")),
                                 QStringLiteral("Total")};
    for (QTableWidget *table : {askTable, bidTable}) {
        if (!table)
            continue;
        table->setColumnCount(3);
        table->setHorizontalHeaderLabels(headers);
    }
}

void MainWindow::setupSnapshotTables()
{
    if (askCaptionLabel)
        askCaptionLabel->setText(localizedText(QStringLiteral("QUOTE"), QString::fromUtf8("COTAÇÃO")));
    if (bidCaptionLabel)
        bidCaptionLabel->setText(localizedText(QStringLiteral("STATS"), QStringLiteral("DADOS")));
    const QStringList headers = {localizedText(QStringLiteral("Field"), QStringLiteral("Campo")),
                                 localizedText(QStringLiteral("Value"), QStringLiteral("Valor")),
                                 localizedText(QStringLiteral("Source"), QStringLiteral("Fonte"))};
    for (QTableWidget *table : {askTable, bidTable}) {
        if (!table)
            continue;
        table->setColumnCount(3);
        table->setHorizontalHeaderLabels(headers);
    }
}

QLabel *MainWindow::createMetricCard(QWidget *parent, const QString &caption)
{
    auto *card = new QLabel(QStringLiteral("%1\n--").arg(caption), parent);
    card->setObjectName(QStringLiteral("bookMetric"));
    card->setAlignment(Qt::AlignCenter);
    card->setMinimumHeight(38);
    card->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    font.setBold(true);
    card->setFont(font);
    return card;
}

void MainWindow::styleMetricCard(QLabel *card, const QString &caption, const QString &value,
                                 const QColor &accent)
{
    if (!card)
        return;
    const bool light = settings.theme == QLatin1String("mvx_light");
    const QString text = caption + QLatin1Char('\n') + value;
    if (card->text() != text)
        card->setText(text);
    // The book's card arranger counts on this border and padding (kCardBorder, kCardPadding).
    const QString sheet =
        QStringLiteral("QLabel#bookMetric {background:%1;border:1px solid %2;color:%3;padding:3px;}")
            .arg(light ? QStringLiteral("#ffffff") : QStringLiteral("#1a140d"),
                 light ? QStringLiteral("#d8e5f2") : QStringLiteral("#3d3530"), accent.name());
    // The book restyles four cards on every depth message; a sheet set again would be parsed again.
    if (card->styleSheet() != sheet)
        card->setStyleSheet(sheet);
}

void MainWindow::restyleMetricCard(QLabel *card, const QString &caption, const QColor &accent)
{
    if (!card)
        return;
    const QStringList parts = card->text().split(QLatin1Char('\n'));
    styleMetricCard(card, caption, parts.size() > 1 ? parts.at(1) : QStringLiteral("--"), accent);
}

void MainWindow::updateBookMetricCards()
{
    if (bookMetricCards.size() < 4)
        return;
    const bool light = settings.theme == QLatin1String("mvx_light");
    const QColor green(QStringLiteral("#20c878"));
    restyleMetricCard(bookMetricCards.at(0), localizedText(QStringLiteral("BID"), QStringLiteral("COMPRA")),
                      green);
    restyleMetricCard(bookMetricCards.at(1), localizedText(QStringLiteral("ASK"), QStringLiteral("VENDA")),
                      QColor(QStringLiteral("#f45d5d")));
    restyleMetricCard(bookMetricCards.at(2), QStringLiteral("SPR"),
                      QColor(light ? QStringLiteral("#1a1a1a") : QStringLiteral("#d8e6e3")));
    restyleMetricCard(bookMetricCards.at(3), localizedText(QStringLiteral("IMB"), QStringLiteral("DESB")),
                      green);
}

QString MainWindow::formatBookPrice(double price)
{
    if (!std::isfinite(price) || price <= 0.0)
        return QStringLiteral("--");
    return formatPrice(price);
}

void MainWindow::updateBookSummary(double bestBid, double bestAsk, double bidVolume, double askVolume)
{
    if (bookMetricCards.size() < 4)
        return;
    const bool valid = bestBid > 0.0 && bestAsk > 0.0;
    const double spread = valid ? std::max(0.0, bestAsk - bestBid) : 0.0;
    const double volume = bidVolume + askVolume;
    const double imbalance =
        volume > 0.0 ? (bidVolume - askVolume) / volume * 100.0 : std::numeric_limits<double>::quiet_NaN();
    const QColor green(QStringLiteral("#20c878"));
    const QColor red(QStringLiteral("#f45d5d"));
    const bool light = settings.theme == QLatin1String("mvx_light");
    styleMetricCard(bookMetricCards.at(0), localizedText(QStringLiteral("BID"), QStringLiteral("COMPRA")),
                    formatBookPrice(bestBid), green);
    styleMetricCard(bookMetricCards.at(1), localizedText(QStringLiteral("ASK"), QStringLiteral("VENDA")),
                    formatBookPrice(bestAsk), red);
    styleMetricCard(bookMetricCards.at(2), QStringLiteral("SPR"),
                    valid ? formatBookPrice(spread) : QStringLiteral("--"),
                    QColor(light ? QStringLiteral("#1a1a1a") : QStringLiteral("#d8e6e3")));
    styleMetricCard(bookMetricCards.at(3), localizedText(QStringLiteral("IMB"), QStringLiteral("DESB")),
                    std::isfinite(imbalance) ? QStringLiteral("%1%").arg(QString::number(imbalance, 'f', 1))
                                             : QStringLiteral("--"),
                    imbalance >= 0.0 ? green : red);
}

void MainWindow::resetBookPanel(const QString &title)
{
    if (bookTitleLabel)
        bookTitleLabel->setText(title);
    bookPending = false;
    bookLive = false;
    updateBookSummary(0.0, 0.0, 0.0, 0.0);
    if (askTable)
        askTable->setRowCount(0);
    if (bidTable)
        bidTable->setRowCount(0);
}

QString MainWindow::orderBookTitle(const QString &symbol, const QString &status) const
{
    QString title = localizedText(QStringLiteral("ORDER BOOK"), QStringLiteral("LIVRO DE OFERTAS"));
    if (!symbol.isEmpty())
        title += QStringLiteral("  ") + symbol;
    if (!status.isEmpty())
        title += QStringLiteral("  ") + status;
    return title;
}

QString MainWindow::quoteSnapshotTitle(const QString &symbol, const QString &status) const
{
    QString title = localizedText(QStringLiteral("QUOTE SNAPSHOT"), QString::fromUtf8("COTAÇÃO"));
    if (!symbol.isEmpty())
        title += QStringLiteral("  ") + symbol;
    if (!status.isEmpty())
        title += QStringLiteral("  ") + status;
    return title;
}

void MainWindow::onBookPresetTriggered(const QString &presetKey)
{
    applyBookPreset(presetKey);
}
