#include "app/startup_log.h"
#include "news/news_filters.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"
#include "watchlist/market_table_item.h"
#include "watchlist/sorting_pause.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
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
    // Headlines come in the feed's order, which no column gives back (RSS times are RFC 822 texts):
    // sortable on a header click, but unsorted until then, instead of the header's own default of the
    // first column, descending.
    newsTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    applyStandardTableSettings(newsTable);
    retranslateNewsHeaders();

    pageLayout->addWidget(header, 0);
    pageLayout->addWidget(newsTable, 1);
    writeStartupLog(QStringLiteral("MainWindow ctor: news panel created"));
    return page;
}

void MainWindow::populateNewsSourceCombo(const QString &preferredKey)
{
    QList<KeyedItem> items;
    for (const char *key : {"auto", "murvex", "public", "newsapi"})
        items.append({QString::fromLatin1(key), newsSourceLabel(QString::fromLatin1(key))});
    refillKeyedCombo(newsSourceCombo, items, preferredKey);
}

void MainWindow::populateNewsRegionCombo(const QString &preferredKey)
{
    QList<KeyedItem> items = {{QStringLiteral("all"), newsRegionLabel(QStringLiteral("all"))}};
    // Brazilian headlines are offered only to a Portuguese reader.
    if (isPortuguese())
        items.append({QStringLiteral("br"), newsRegionLabel(QStringLiteral("br"))});
    items.append({QStringLiteral("us"), newsRegionLabel(QStringLiteral("us"))});
    items.append({QStringLiteral("crypto"), newsRegionLabel(QStringLiteral("crypto"))});
    refillKeyedCombo(newsRegionCombo, items, preferredKey);
}

QString MainWindow::currentNewsRegion() const
{
    const QString key = currentComboKey(newsRegionCombo);
    return key.isEmpty() ? QStringLiteral("all") : key;
}

QString MainWindow::newsRegionLabel(const QString &key) const
{
    if (key == QLatin1String("br"))
        return localizedText(QStringLiteral("Brazil"), QStringLiteral("Brasil"));
    if (key == QLatin1String("us"))
        return localizedText(QStringLiteral("US"), QStringLiteral("Americanas"));
    if (key == QLatin1String("crypto"))
        return QStringLiteral("Crypto");
    return localizedText(QStringLiteral("All"), QStringLiteral("Todas"));
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

QList<NewsItem> MainWindow::filterNewsByDateAndKeyword(const QList<NewsItem> &items,
                                                       const QString &keyword) const
{
    return ::filterNewsByDateAndKeyword(items, keyword, QDate::currentDate());
}

QList<NewsItem> MainWindow::filterNewsByRegion(const QList<NewsItem> &items) const
{
    return ::filterNewsByRegion(items, currentNewsRegion(), isPortuguese());
}

QString MainWindow::formatNewsTime(const QString &text) const
{
    return ::formatNewsTime(text);
}

void MainWindow::refreshNewsTable(const QList<NewsItem> &items, const QString &sourceLabel)
{
    if (!newsTable)
        return;
    {
        // Rows are written by index; the user's sort order applies again once they are all in.
        const SortingPause pause(newsTable);
        newsTable->setRowCount(0);
        for (const NewsItem &item : items) {
            const int row = newsTable->rowCount();
            newsTable->insertRow(row);
            setNewsCell(row, 0, formatNewsTime(item.publishedAt), QString(), QString());
            setNewsCell(row, 1, newsRegionLabel(item.region.isEmpty() ? QStringLiteral("all") : item.region),
                        QString(), QString());
            setNewsCell(row, 2, item.source.isEmpty() ? sourceLabel : item.source, QString(), QString());
            setNewsCell(row, 3, item.title, QString(), item.summary);
            setNewsCell(row, 4, item.url.isEmpty() ? QStringLiteral("--") : item.url, item.url, QString());
        }
    }
    statusBar()->showMessage(localizedText(QStringLiteral("News updated: %1 (%2 headlines)"),
                                           QString::fromUtf8("Notícias atualizadas: %1 (%2 manchetes)"))
                                 .arg(sourceLabel)
                                 .arg(items.size()),
                             0);
}

void MainWindow::setNewsCell(int row, int column, const QString &text, const QString &userRoleText,
                             const QString &summary)
{
    auto *item = new MarketTableItem(text);
    if (!userRoleText.isEmpty())
        item->setData(Qt::UserRole, userRoleText);
    if (column == 3)
        item->setToolTip(newsHeadlineToolTip(text, summary));
    newsTable->setItem(row, column, item);
}

void MainWindow::openNewsLink(int row)
{
    if (!newsTable || row < 0 || row >= newsTable->rowCount())
        return;
    QString link;
    for (int column = 0; column < newsTable->columnCount() && link.isEmpty(); ++column) {
        if (const QTableWidgetItem *item = newsTable->item(row, column))
            link = item->data(Qt::UserRole).toString();
    }
    if (link.isEmpty())
        return;
    const QUrl url = openableNewsUrl(link);
    if (url.isEmpty()) {
        // A feed's link may name a local file or a program's own scheme; only web pages are opened.
        statusBar()->showMessage(
            localizedText(QStringLiteral("Only web links (http, https) are opened"),
                          QString::fromUtf8("Só links da web (http, https) são abertos")),
            0);
        return;
    }
    QDesktopServices::openUrl(url);
}
