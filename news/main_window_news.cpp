#include "app/endpoints.h"
#include "news/news_requests.h"
#include "providers/provider_catalogue.h"
#include "providers/reply_drop.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QNetworkReply>
#include <QTabWidget>
#include <QTableWidget>

namespace {
const QString kNewsApiKeyName = QStringLiteral("newsapi_api_key");
} // namespace

QString MainWindow::currentNewsSource() const
{
    const QString key = currentComboKey(newsSourceCombo);
    return key.isEmpty() ? QStringLiteral("auto") : key;
}

QString MainWindow::newsSourceLabel(const QString &key) const
{
    if (key == QLatin1String("murvex"))
        return QStringLiteral("Murvex JSON");
    if (key == QLatin1String("newsapi"))
        return QStringLiteral("NewsAPI");
    if (key == QLatin1String("public"))
        return localizedText(QStringLiteral("Public RSS"), QString::fromUtf8("RSS público"));
    return localizedText(QStringLiteral("Auto"), QString::fromUtf8("Automático"));
}

// The box serves twice: trimmed as the site feed's keyword, normalised as the symbol the other feeds are
// asked for.
QString MainWindow::newsQuerySymbol() const
{
    QString symbol = newsQueryEdit ? normalizeSymbol(newsQueryEdit->text()) : QString();
    if (symbol.isEmpty())
        symbol = selectedSymbol();
    if (symbol.isEmpty())
        symbol = QStringLiteral("AAPL");
    return symbol;
}

void MainWindow::refreshNews()
{
    if (!newsTable)
        return;
    // Every reply still on its way belongs to an older refresh from here on, and the one in flight is
    // not waited for: left open, a feed that never finishes would hold one of the host's few
    // connections for each refresh.
    ++newsGeneration;
    dropReply(newsReply, this);
    newsReply = nullptr;
    const QString symbol = newsQuerySymbol();
    const QString keyword = newsQueryEdit ? newsQueryEdit->text().trimmed() : QString();
    const QString source = currentNewsSource();
    if (source == QLatin1String("murvex")) {
        fetchSiteNews(keyword, symbol, false);
        return;
    }
    const QString newsKey = apiKeyFor(kNewsApiKeyName).trimmed();
    if (source == QLatin1String("newsapi") && !newsKey.isEmpty()) {
        fetchNewsApi(symbol, false);
        return;
    }
    if (source == QLatin1String("auto")) {
        const QStringList providers =
            providersFor(ProviderMarket::News, ProviderDataKind::News, {{kNewsApiKeyName, newsKey}});
        if (!providers.isEmpty() && providers.first() == QLatin1String("newsapi"))
            fetchNewsApi(symbol, true);
        else
            fetchSiteNews(keyword, symbol, true);
        return;
    }
    fetchPublicRssNews(symbol);
}

void MainWindow::sendNewsRequest(const QNetworkRequest &request,
                                 std::function<void(const std::optional<QByteArray> &)> done)
{
    QNetworkRequest limited = request;
    limited.setTransferTimeout(quoteTransferLimitMs); // the fetchers' limit: a stalled feed falls back
    // A refresh's feeds are asked one after another, so this is the refresh's only request in flight.
    newsReply = networkManager.get(limited);
    awaitNewsReply(newsReply, this, replyDeadlines.feedMs, std::move(done));
}

void MainWindow::fetchSiteNews(const QString &keyword, const QString &symbol, bool fallbackToRss)
{
    const QString configured = apiKeyFor(QStringLiteral("murvex_news_endpoint")).trimmed();
    // Until the maker's service has a real address the default feed is only a placeholder: nothing is
    // sent to it, and it answers as a failed feed would.
    if (configured.isEmpty() && !serviceEndpointConfigured()) {
        applySiteNews({}, keyword, symbol, fallbackToRss);
        return;
    }
    const std::optional<QUrl> endpoint = siteNewsEndpoint(configured, kDefaultNewsFeedUrl);
    if (!endpoint) {
        if (fallbackToRss)
            fetchPublicRssNews(symbol);
        return;
    }
    SiteNewsQuery query;
    query.region = currentNewsRegion();
    query.keyword = keyword;
    query.portuguese = isPortuguese();
    query.token = apiKeyFor(QStringLiteral("murvex_news_token"));
    const quint64 generation = newsGeneration;
    sendNewsRequest(siteNewsRequest(*endpoint, query), [this, generation, keyword, symbol, fallbackToRss](
                                                           const std::optional<QByteArray> &body) {
        onSiteNewsReply(body, generation, keyword, symbol, fallbackToRss);
    });
}

void MainWindow::fetchNewsApi(const QString &symbol, bool fallbackToSite)
{
    const quint64 generation = newsGeneration;
    sendNewsRequest(newsApiRequest(endpointBase(Endpoint::NewsApi), symbol, apiKeyFor(kNewsApiKeyName)),
                    [this, generation, symbol, fallbackToSite](const std::optional<QByteArray> &body) {
                        onNewsApiReply(body, generation, symbol, fallbackToSite);
                    });
}

void MainWindow::fetchPublicRssNews(const QString &symbol)
{
    const quint64 generation = newsGeneration;
    sendNewsRequest(publicRssRequest(endpointBase(Endpoint::YahooRss), symbol),
                    [this, generation, symbol](const std::optional<QByteArray> &body) {
                        onPublicRssReply(body, generation, symbol);
                    });
}

void MainWindow::onSiteNewsReply(const std::optional<QByteArray> &body, quint64 generation,
                                 const QString &keyword, const QString &symbol, bool fallbackToRss)
{
    if (generation != newsGeneration)
        return;
    applySiteNews(body ? parseSiteNewsFeed(*body) : QList<NewsItem>(), keyword, symbol, fallbackToRss);
}

// Whether the feed gave anything is judged before the filters: items the filters remove never send the
// refresh on to RSS.
void MainWindow::applySiteNews(const QList<NewsItem> &items, const QString &keyword, const QString &symbol,
                               bool fallbackToRss)
{
    if (items.isEmpty() && fallbackToRss) {
        fetchPublicRssNews(symbol);
        return;
    }
    refreshNewsTable(filterNewsByRegion(filterNewsByDateAndKeyword(items, keyword)),
                     QStringLiteral("Murvex JSON"));
}

void MainWindow::onNewsApiReply(const std::optional<QByteArray> &body, quint64 generation,
                                const QString &symbol, bool fallbackToSite)
{
    if (generation != newsGeneration)
        return;
    const QList<NewsItem> items = body ? parseNewsApiArticles(*body, currentNewsRegion()) : QList<NewsItem>();
    if (items.isEmpty() && fallbackToSite) {
        const QString keyword = newsQueryEdit ? newsQueryEdit->text().trimmed() : QString();
        fetchSiteNews(keyword, symbol, true);
        return;
    }
    // NewsAPI already answered for the symbol and the newest first: no filter of ours applies.
    refreshNewsTable(items, QStringLiteral("NewsAPI"));
}

void MainWindow::onPublicRssReply(const std::optional<QByteArray> &body, quint64 generation,
                                  const QString &symbol)
{
    if (generation != newsGeneration)
        return;
    if (!body) {
        refreshNewsTable(
            {}, localizedText(QStringLiteral("Public RSS error"), QString::fromUtf8("Erro no RSS público")));
        return;
    }
    const QString publicLabel = localizedText(QStringLiteral("Public RSS"), QString::fromUtf8("RSS público"));
    QList<NewsItem> items = parseYahooRss(*body, currentNewsRegion());
    if (items.isEmpty()) {
        NewsItem placeholder;
        placeholder.title = localizedText(QStringLiteral("No public headlines returned for %1"),
                                          QString::fromUtf8("Nenhuma manchete pública retornou para %1"))
                                .arg(symbol);
        placeholder.source = publicLabel;
        placeholder.region = currentNewsRegion();
        items.append(placeholder);
    }
    refreshNewsTable(filterNewsByRegion(items), publicLabel);
}

void MainWindow::onNewsRefreshRequested()
{
    refreshNews();
}

void MainWindow::onNewsCellActivated(int row, int column)
{
    Q_UNUSED(column);
    openNewsLink(row);
}

void MainWindow::onNewsTabShown(int index, QWidget *newsPage)
{
    if (!mainTabs || !newsPage || mainTabs->widget(index) != newsPage)
        return;
    if (newsTable && newsTable->rowCount() == 0)
        refreshNews();
}
