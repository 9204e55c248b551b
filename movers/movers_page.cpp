#include "app/startup_log.h"
#include "movers/movers_mosaic.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QCollator>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
QWidget *moversBox(QWidget *parent, QLabel *title, QTableWidget *table)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(title, 0);
    layout->addWidget(table, 0);
    return box;
}

QStringList moversHeaders(const MainWindow &window)
{
    return {window.localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
            window.localizedText(QStringLiteral("Last"), QString::fromUtf8("Último")),
            window.localizedText(QStringLiteral("Change"), QString::fromUtf8("Variação")),
            QStringLiteral("Volume"),
            window.localizedText(QStringLiteral("Turnover"), QStringLiteral("Giro")),
            window.localizedText(QStringLiteral("Sector"), QStringLiteral("Setor"))};
}
} // namespace

QWidget *MainWindow::buildMoversPage(QWidget *root)
{
    auto [page, pageLayout, header, grid] = makePanelPage(root);
    moversTitleLabel = new QLabel(
        localizedText(QStringLiteral("MARKET MOVERS"), QString::fromUtf8("OSCILAÇÕES DO MERCADO")), header);
    moversTitleLabel->setObjectName(QStringLiteral("panelTitle"));
    moversScopeCombo = new QComboBox(header);
    populateMoversScopeCombo(QStringLiteral("crypto"));
    moversIntervalCombo = new QComboBox(header);
    populateMoversIntervalCombo(QStringLiteral("hour"));
    moversSectorCombo = new QComboBox(header);
    populateMoversSectorCombo(QStringLiteral("all"));
    moversMinVolumeSpin = new QDoubleSpinBox(header);
    moversMinVolumeSpin->setRange(0.0, 1.0e12);
    moversMinVolumeSpin->setDecimals(0);
    moversMinVolumeSpin->setSingleStep(10000.0);
    moversMinVolumeSpin->setValue(0.0);
    // A typed minimum applies when editing finishes: each keystroke would refetch every movers batch.
    moversMinVolumeSpin->setKeyboardTracking(false);
    moversMinVolumeSpin->setPrefix(localizedText(QStringLiteral("Min Vol "), QString::fromUtf8("Vol Mín ")));
    moversMinTurnoverSpin = new QDoubleSpinBox(header);
    moversMinTurnoverSpin->setRange(0.0, 1.0e15);
    moversMinTurnoverSpin->setDecimals(0);
    moversMinTurnoverSpin->setSingleStep(100000.0);
    moversMinTurnoverSpin->setValue(0.0);
    moversMinTurnoverSpin->setKeyboardTracking(false);
    moversMinTurnoverSpin->setPrefix(
        localizedText(QStringLiteral("Min Turnover "), QString::fromUtf8("Giro mín ")));
    moversRefreshButton =
        new QPushButton(localizedText(QStringLiteral("Refresh"), QStringLiteral("Atualizar")), header);
    grid->addWidget(moversTitleLabel, 0, 0, 1, 2);
    grid->addWidget(moversScopeCombo, 0, 3);
    grid->addWidget(moversIntervalCombo, 0, 4);
    grid->addWidget(moversSectorCombo, 0, 5);
    grid->addWidget(moversMinVolumeSpin, 1, 0, 1, 2);
    grid->addWidget(moversMinTurnoverSpin, 1, 2, 1, 3);
    grid->addWidget(moversRefreshButton, 1, 5);
    grid->setColumnStretch(2, 1);

    auto *cardsRow = new QWidget(page);
    auto *cardsLayout = new QHBoxLayout(cardsRow);
    cardsLayout->setContentsMargins(0, 0, 0, 0);
    cardsLayout->setSpacing(4);
    breadthCards.clear();
    const QList<QPair<QString, QString>> captions = {
        {QStringLiteral("ADV / DEC"), QStringLiteral("ALTAS / BAIXAS")},
        {QStringLiteral("MEDIAN"), QStringLiteral("MEDIANA")},
        {QStringLiteral("BEST"), QStringLiteral("MAIOR ALTA")},
        {QStringLiteral("WORST"), QStringLiteral("MAIOR BAIXA")},
        {QStringLiteral("TURNOVER"), QStringLiteral("GIRO")}};
    for (const auto &caption : captions) {
        QLabel *card = createMetricCard(cardsRow, localizedText(caption.first, caption.second));
        breadthCards.append(card);
        cardsLayout->addWidget(card, 0);
    }

    moversMosaic = new MoversMosaic(page);
    gainersTable = createMoversTable(page);
    losersTable = createMoversTable(page);
    gainersTitleLabel =
        new QLabel(localizedText(QStringLiteral("TOP GAINERS"), QStringLiteral("MAIORES ALTAS")), page);
    gainersTitleLabel->setObjectName(QStringLiteral("subPanelTitle"));
    QWidget *gainersBox = moversBox(page, gainersTitleLabel, gainersTable);
    losersTitleLabel =
        new QLabel(localizedText(QStringLiteral("TOP LOSERS"), QStringLiteral("MAIORES BAIXAS")), page);
    losersTitleLabel->setObjectName(QStringLiteral("subPanelTitle"));
    QWidget *losersBox = moversBox(page, losersTitleLabel, losersTable);

    auto *moversSplitter = new QSplitter(Qt::Horizontal, page); // gainers left, losers right
    moversSplitter->addWidget(gainersBox);
    moversSplitter->addWidget(losersBox);
    moversSplitter->setStretchFactor(0, 1);
    moversSplitter->setStretchFactor(1, 1);

    pageLayout->addWidget(header, 0);
    pageLayout->addWidget(cardsRow, 0);
    pageLayout->addWidget(moversMosaic, 2);
    pageLayout->addWidget(moversSplitter, 3);
    writeStartupLog(QStringLiteral("MainWindow ctor: movers panel created"));
    return page;
}

QTableWidget *MainWindow::createMoversTable(QWidget *parent)
{
    auto *table = new QTableWidget(0, 6, parent);
    // Rows come ranked by change, largest move first; the header's own default would sort every load by
    // symbol, descending, until the user picks a column.
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    applyStandardTableSettings(table);
    table->setHorizontalHeaderLabels(moversHeaders(*this));
    return table;
}

void MainWindow::retranslateMoversTables()
{
    for (QTableWidget *table : {gainersTable, losersTable}) {
        if (table)
            table->setHorizontalHeaderLabels(moversHeaders(*this));
    }
}

void MainWindow::populateMoversScopeCombo(const QString &preferredKey)
{
    refillKeyedCombo(
        moversScopeCombo,
        {{QStringLiteral("all"),
          localizedText(QStringLiteral("All delayed"), QStringLiteral("Tudo com delay"))},
         {QStringLiteral("b3"), localizedText(QStringLiteral("B3 delayed"), QStringLiteral("B3 com delay"))},
         {QStringLiteral("us"), localizedText(QStringLiteral("US delayed"), QStringLiteral("EUA com delay"))},
         {QStringLiteral("crypto"), QStringLiteral("Crypto 24h")},
         {QStringLiteral("watchlist"),
          localizedText(QStringLiteral("Watchlist"), QStringLiteral("Lista pessoal"))}},
        preferredKey);
}

void MainWindow::populateMoversIntervalCombo(const QString &preferredKey)
{
    refillKeyedCombo(
        moversIntervalCombo,
        {{QStringLiteral("hour"), localizedText(QStringLiteral("Hour"), QStringLiteral("Hora"))},
         {QStringLiteral("day"), localizedText(QStringLiteral("Day"), QStringLiteral("Dia"))},
         {QStringLiteral("week"), localizedText(QStringLiteral("Week"), QStringLiteral("Semana"))},
         {QStringLiteral("month"), localizedText(QStringLiteral("Month"), QString::fromUtf8("Mês"))}},
        preferredKey);
}

void MainWindow::populateMoversSectorCombo(const QString &preferredKey)
{
    QStringList sectors;
    for (const QString &sector : sectorBySymbol) {
        if (!sectors.contains(sector))
            sectors.append(sector);
    }
    std::stable_sort(sectors.begin(), sectors.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QList<KeyedItem> items = {{QStringLiteral("all"), localizedText(QStringLiteral("All sectors"),
                                                                    QStringLiteral("Todos os setores"))}};
    for (const QString &sector : sectors)
        items.append({sector, sector});
    // Every movers load asks for a refill; one that would change nothing is skipped.
    if (moversSectorCombo && moversSectorCombo->count() == items.size() &&
        (preferredKey.isEmpty() || preferredKey == moversSectorCombo->currentData().toString())) {
        bool same = true;
        for (int i = 0; i < moversSectorCombo->count() && same; ++i)
            same = moversSectorCombo->itemData(i).toString() == items.at(i).key &&
                   moversSectorCombo->itemText(i) == items.at(i).label;
        if (same)
            return;
    }
    refillKeyedCombo(moversSectorCombo, items, preferredKey);
}
