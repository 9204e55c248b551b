#include "app/startup_log.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"
#include "streams/column_fit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QWidget *MainWindow::buildTapePage(QWidget *root)
{
    auto [page, pageLayout, header, grid] = makePanelPage(root);
    tapeTitleLabel = new QLabel(timeAndSalesTitle(QString(), QString()), header);
    tapeTitleLabel->setObjectName(QStringLiteral("panelTitle"));
    // A symbol and status make the title longer than the narrow pane is wide: it wraps as the book's does.
    tapeTitleLabel->setWordWrap(true);
    tapeSideCombo = new QComboBox(header);
    populateTapeFilterCombo(QStringLiteral("all"));
    tapeMinSizeSpin = new QDoubleSpinBox(header);
    tapeMinSizeSpin->setDecimals(6); // before the range, so the range is not rounded to 2 decimals
    tapeMinSizeSpin->setRange(0.0, 1.0e9);
    tapeMinSizeSpin->setSingleStep(1.0);
    tapeMinSizeSpin->setValue(0.0);
    tapeMinSizeSpin->setPrefix(localizedText(QStringLiteral("Min "), QString::fromUtf8("Mín ")));
    tapeClearButton =
        new QPushButton(localizedText(QStringLiteral("Clear"), QStringLiteral("Limpar")), header);
    // The pane beside the chart starts about 250 px wide: the side filter, the size box (wide enough for
    // all six decimals) and Clear do not fit one row there, so the size box takes a row of its own.
    grid->addWidget(tapeTitleLabel, 0, 0, 1, 3);
    grid->addWidget(tapeSideCombo, 1, 0, 1, 2);
    grid->addWidget(tapeClearButton, 1, 2);
    grid->addWidget(tapeMinSizeSpin, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    // New trades are inserted at the top, so the tape is never sorted and never selected.
    tapeTable = new QTableWidget(0, 4, page);
    tapeTable->verticalHeader()->setVisible(false);
    tapeTable->horizontalHeader()->setStretchLastSection(true);
    tapeTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    tapeTable->setSelectionMode(QAbstractItemView::NoSelection);
    tapeTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tapeTable->setAlternatingRowColors(true);
    tapeTable->setSortingEnabled(false);
    setTapeHeaders();
    // The pane is narrow: Qt's even 100 px columns would push the last headers out of view.
    keepColumnsFitted(tapeTable);

    pageLayout->addWidget(header, 0);
    pageLayout->addWidget(tapeTable, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: tape panel created"));
    return page;
}

QString MainWindow::timeAndSalesTitle(const QString &symbol, const QString &status) const
{
    QString title = localizedText(QStringLiteral("TIME & SALES"), QString::fromUtf8("NEGÓCIOS"));
    if (!symbol.isEmpty())
        title += QStringLiteral("  ") + symbol;
    if (!status.isEmpty())
        title += QStringLiteral("  ") + status;
    return title;
}

void MainWindow::populateTapeFilterCombo(const QString &preferredKey)
{
    refillKeyedCombo(
        tapeSideCombo,
        {{QStringLiteral("all"), localizedText(QStringLiteral("All"), QStringLiteral("Todos"))},
         {QStringLiteral("buy"), localizedText(QStringLiteral("Buy"), QStringLiteral("Compra"))},
         {QStringLiteral("sell"), localizedText(QStringLiteral("Sell"), QStringLiteral("Venda"))},
         {QStringLiteral("quote"), localizedText(QStringLiteral("Quote"), QString::fromUtf8("Cotação"))}},
        preferredKey);
}

void MainWindow::setTapeHeaders()
{
    if (!tapeTable)
        return;
    tapeTable->setHorizontalHeaderLabels(
        {localizedText(QStringLiteral("Time"), QString::fromUtf8("Horário")),
         localizedText(QStringLiteral("Price"), QString::fromUtf8("Preço")),
         localizedText(QStringLiteral("Size"), QStringLiteral("Tamanho")),
         localizedText(QStringLiteral("Side/Source"), QStringLiteral("Lado/Fonte"))});
}
