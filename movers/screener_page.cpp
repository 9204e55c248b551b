#include "app/startup_log.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QWidget *MainWindow::buildScreenerPage(QWidget *root)
{
    auto [page, pageLayout, header, grid] = makePanelPage(root);
    screenerTitleLabel =
        new QLabel(localizedText(QStringLiteral("SCREENER"), QStringLiteral("RASTREADOR")), header);
    screenerTitleLabel->setObjectName(QStringLiteral("panelTitle"));
    screenerScopeCombo = new QComboBox(header);
    populateScreenerScopeCombo(QStringLiteral("watchlist"));
    screenerAssetCombo = new QComboBox(header);
    populateScreenerAssetCombo(QStringLiteral("all"));
    screenerFilterEdit = new QLineEdit(header);
    screenerFilterEdit->setClearButtonEnabled(true);
    screenerFilterEdit->setPlaceholderText(
        localizedText(QStringLiteral("Filter symbol"), QString::fromUtf8("Filtrar símbolo")));
    screenerMinChangeSpin = new QDoubleSpinBox(header);
    screenerMinChangeSpin->setRange(-1000.0, 1000.0);
    screenerMinChangeSpin->setDecimals(2);
    screenerMinChangeSpin->setSingleStep(0.25);
    screenerMinChangeSpin->setValue(0.0);
    // A typed minimum applies when editing finishes, not once per keystroke (each one saves the settings).
    screenerMinChangeSpin->setKeyboardTracking(false);
    screenerMinChangeSpin->setSuffix(QStringLiteral("%"));
    screenerMinChangeSpin->setPrefix(
        localizedText(QStringLiteral("Min Change "), QString::fromUtf8("Variação min ")));
    screenerRefreshButton =
        new QPushButton(localizedText(QStringLiteral("Refresh"), QStringLiteral("Atualizar")), header);
    grid->addWidget(screenerTitleLabel, 0, 0);
    grid->addWidget(screenerScopeCombo, 0, 1);
    grid->addWidget(screenerAssetCombo, 0, 2);
    grid->addWidget(screenerFilterEdit, 0, 3);
    grid->addWidget(screenerMinChangeSpin, 1, 0, 1, 3);
    grid->addWidget(screenerRefreshButton, 1, 3);
    grid->setColumnStretch(3, 1);

    screenerTable = new QTableWidget(0, 8, page);
    // Rows come in symbol order, case aside; the header's own default would sort every rebuild by the
    // symbol's raw text, descending, until the user picks a column.
    screenerTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    applyStandardTableSettings(screenerTable);
    retranslateScreenerHeaders();

    pageLayout->addWidget(header, 0);
    pageLayout->addWidget(screenerTable, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: screener panel created"));
    return page;
}

void MainWindow::retranslateScreenerHeaders()
{
    if (!screenerTable)
        return;
    screenerTable->setHorizontalHeaderLabels(
        {localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
         localizedText(QStringLiteral("Asset"), QStringLiteral("Ativo")),
         localizedText(QStringLiteral("Last"), QString::fromUtf8("Último")),
         localizedText(QStringLiteral("Change"), QString::fromUtf8("Variação")), QStringLiteral("Volume"),
         localizedText(QStringLiteral("Market"), QStringLiteral("Mercado")),
         localizedText(QStringLiteral("Source"), QStringLiteral("Fonte")),
         localizedText(QStringLiteral("Signal"), QStringLiteral("Sinal"))});
}

void MainWindow::populateScreenerAssetCombo(const QString &preferredKey)
{
    refillKeyedCombo(
        screenerAssetCombo,
        {{QStringLiteral("all"),
          localizedText(QStringLiteral("All assets"), QStringLiteral("Todos os ativos"))},
         {QStringLiteral("br"), localizedText(QStringLiteral("Brazil"), QStringLiteral("Brasil"))},
         {QStringLiteral("us"), localizedText(QStringLiteral("US"), QStringLiteral("EUA"))},
         {QStringLiteral("crypto"), QStringLiteral("Crypto")},
         {QStringLiteral("forex"), QStringLiteral("Forex")}},
        preferredKey);
}

void MainWindow::populateScreenerScopeCombo(const QString &preferredKey)
{
    refillKeyedCombo(
        screenerScopeCombo,
        {{QStringLiteral("watchlist"), localizedText(QStringLiteral("Watchlist"), QStringLiteral("Lista"))},
         {QStringLiteral("universe"),
          localizedText(QStringLiteral("Full universe"), QStringLiteral("Universo completo"))}},
        preferredKey);
}
