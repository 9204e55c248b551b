// Arbitrary bodies through the three news readers, the date reader, the filters and the link check.
// Whatever the input, every kept headline has what the table needs, the bounds hold, the filters only
// remove items and keep their order, and no link other than a web link is ever judged openable.
#include "news/news_feed.h"
#include "news/news_filters.h"

#include <QByteArray>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

namespace {

bool isTrimmed(const QString &text)
{
    return text == text.trimmed();
}

// `part` is `whole` with some items left out, the rest in their order.
bool isOrderedSubset(const QList<NewsItem> &part, const QList<NewsItem> &whole)
{
    qsizetype next = 0;
    for (const NewsItem &item : part) {
        while (next < whole.size() && (whole.at(next).title != item.title || whole.at(next).url != item.url))
            ++next;
        if (next == whole.size())
            return false;
        ++next;
    }
    return true;
}

bool rendersImageOrLink(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat() || format.isAnchor())
                return true;
        }
    }
    return false;
}

void checkCommon(const QList<NewsItem> &items)
{
    const QDate today(2025, 12, 10);
    for (const QString &keyword :
         {QString(), QStringLiteral("us"), items.isEmpty() ? QString() : items.first().title}) {
        const QList<NewsItem> kept = filterNewsByDateAndKeyword(items, keyword, today, QTimeZone(3600));
        require(isOrderedSubset(kept, items));
    }
    for (const char *region : {"all", "br", "us", "crypto"}) {
        require(isOrderedSubset(filterNewsByRegion(items, QString::fromLatin1(region), false), items));
        require(isOrderedSubset(filterNewsByRegion(items, QString::fromLatin1(region), true), items));
    }
    for (const NewsItem &item : items) {
        (void)newsItemDate(item.publishedAt, QTimeZone(-5 * 3600));
        require(!formatNewsTime(item.publishedAt, QTimeZone(0)).isEmpty());
        const QUrl url = openableNewsUrl(item.url);
        if (!url.isEmpty()) {
            const QString scheme = url.scheme();
            require(scheme == QLatin1String("http") || scheme == QLatin1String("https"));
            require(!url.host().isEmpty());
        }
        // A tooltip Qt would render as markup never turns the feed's text into an image or a link.
        const QString toolTip = newsHeadlineToolTip(item.title, item.summary);
        if (Qt::mightBeRichText(toolTip))
            require(!rendersImageOrLink(toolTip));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body = fuzzcheck::inputBytes(data, size);

    const QList<NewsItem> site = parseSiteNewsFeed(body);
    require(site.size() <= kMaxSiteNewsItems);
    for (const NewsItem &item : site) {
        require(!item.title.isEmpty() && !item.publishedAt.isEmpty());
        require(isTrimmed(item.title) && isTrimmed(item.publishedAt) && isTrimmed(item.url));
        require(item.region == QLatin1String("br") || item.region == QLatin1String("us") ||
                item.region == QLatin1String("crypto"));
    }
    checkCommon(site);

    const QList<NewsItem> articles = parseNewsApiArticles(body, QStringLiteral("us"));
    for (const NewsItem &item : articles) {
        // The source may be empty (the reply named its outlet ""): the table then shows the feed's label.
        require(!item.title.isEmpty() && !item.url.isEmpty());
        require(item.title.trimmed() != QLatin1String("[Removed]"));
        require(item.summary.isEmpty() && item.region == QLatin1String("us"));
    }
    checkCommon(articles);

    const QList<NewsItem> rss = parseYahooRss(body, QStringLiteral("crypto"));
    require(rss.size() <= kMaxRssNewsItems);
    for (const NewsItem &item : rss) {
        require(!item.title.isEmpty() && !item.source.isEmpty());
        require(isTrimmed(item.title) && isTrimmed(item.url) && isTrimmed(item.publishedAt));
        require(item.summary.isEmpty() && item.region == QLatin1String("crypto"));
    }
    checkCommon(rss);

    // The body as one date text and one link.
    const QString text = QString::fromUtf8(body.left(64));
    (void)newsItemDate(text, QTimeZone(14 * 3600));
    const QUrl url = openableNewsUrl(QString::fromUtf8(body));
    require(url.isEmpty() || url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
    return 0;
}
