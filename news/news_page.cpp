#include "app/startup_log.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QWidget *MainWindow::buildNewsPage(QWidget *root)
{
    auto [page, pageLayout, header, grid] = makePanelPage(root);
    newsTitleLabel = new QLabel(
        localizedText(QStringLiteral("MARKET NEWS"), QString::fromUtf8("NOTÍCIAS DO MERCADO")), header);
    newsTitleLabel->setObjectName(QStringLiteral("panelTitle"));
    newsQueryEdit = new QLineEdit(header);
    newsQueryEdit->setClearButtonEnabled(true);
    newsQueryEdit->setPlaceholderText(
        localizedText(QStringLiteral("Ticker or keyword: AAPL, PETR4.SA, BTCUSDT"),
                      QStringLiteral("Ticker ou palavra-chave: AAPL, PETR4.SA, BTCUSDT")));
    newsSourceCombo = new QComboBox(header);
    populateNewsSourceCombo(QStringLiteral("auto"));
    newsRegionCombo = new QComboBox(header);
    populateNewsRegionCombo(QStringLiteral("all"));
    newsRefreshButton =
        new QPushButton(localizedText(QStringLiteral("Refresh"), QStringLiteral("Atualizar")), header);
    grid->addWidget(newsTitleLabel, 0, 0);
    grid->addWidget(newsQueryEdit, 0, 1, 1, 3);
    grid->addWidget(newsSourceCombo, 1, 1, 1, 2);
    grid->addWidget(newsRegionCombo, 1, 0);
    grid->addWidget(newsRefreshButton, 1, 3);
    grid->setColumnStretch(1, 1);

    newsTable = new QTableWidget(0, 5, page);
    applyStandardTableSettings(newsTable);
    retranslateNewsHeaders();

    pageLayout->addWidget(header, 0);
    pageLayout->addWidget(newsTable, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: news panel created"));
    return page;
}

void MainWindow::populateNewsSourceCombo(const QString &preferredKey)
{
    refillKeyedCombo(
        newsSourceCombo,
        {{QStringLiteral("auto"), localizedText(QStringLiteral("Auto"), QString::fromUtf8("Automático"))},
         {QStringLiteral("murvex"), QStringLiteral("Murvex JSON")},
         {QStringLiteral("public"),
          localizedText(QStringLiteral("Public RSS"), QString::fromUtf8("RSS público"))},
         {QStringLiteral("newsapi"), QStringLiteral("NewsAPI")}},
        preferredKey);
}

void MainWindow::populateNewsRegionCombo(const QString &preferredKey)
{
    QList<KeyedItem> items = {
        {QStringLiteral("all"), localizedText(QStringLiteral("All"), QStringLiteral("Todas"))}};
    // Brazilian headlines are offered only to a Portuguese reader.
    if (isPortuguese())
        items.append(
            {QStringLiteral("br"), localizedText(QStringLiteral("Brazil"), QStringLiteral("Brasil"))});
    items.append({QStringLiteral("us"), localizedText(QStringLiteral("US"), QStringLiteral("Americanas"))});
    items.append({QStringLiteral("crypto"), QStringLiteral("Crypto")});
    refillKeyedCombo(newsRegionCombo, items, preferredKey);
}

void MainWindow::retranslateNewsHeaders()
{
    if (!newsTable)
        return;
    newsTable->setHorizontalHeaderLabels(
        {localizedText(QStringLiteral("Time"), QString::fromUtf8("Horário")),
         localizedText(QStringLiteral("Category"), QStringLiteral("Categoria")),
         localizedText(QStringLiteral("Source"), QStringLiteral("Fonte")),
         localizedText(QStringLiteral("Headline"), QStringLiteral("Manchete")), QStringLiteral("Link")});
}
