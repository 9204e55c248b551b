#include "news/news_feed.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QSet>
#include <QXmlStreamReader>

namespace {

// Field names of the site feed, Portuguese first: the feed is written for Brazilian readers and the
// English names are its later additions.
const QStringList &titleKeys()
{
    static const QStringList keys = {QStringLiteral("Titulo"), QStringLiteral("title"),
                                     QStringLiteral("headline")};
    return keys;
}
const QStringList &summaryKeys()
{
    static const QStringList keys = {QStringLiteral("Texto"), QStringLiteral("text"),
                                     QStringLiteral("description")};
    return keys;
}
const QStringList &sourceKeys()
{
    static const QStringList keys = {QStringLiteral("Fonte"), QStringLiteral("source")};
    return keys;
}
const QStringList &dateKeys()
{
    static const QStringList keys = {QStringLiteral("Data"), QStringLiteral("date"),
                                     QStringLiteral("published_at"), QStringLiteral("publishedAt")};
    return keys;
}
const QStringList &linkKeys()
{
    static const QStringList keys = {QStringLiteral("Link"), QStringLiteral("link"), QStringLiteral("url")};
    return keys;
}
const QStringList &categoryKeys()
{
    static const QStringList keys = {QStringLiteral("category"), QStringLiteral("Categoria")};
    return keys;
}

struct RegionGroup
{
    const char *key;
    const char *region;
    bool insideGroups; // also read under "groups"
};

// The region groups in reading order. "domestic" and "international" are older names the feed uses only
// at the top level.
constexpr RegionGroup kRegionGroups[] = {
    {"domestic", "br", false},      {"br", "br", true}, {"brazil", "br", true},
    {"international", "us", false}, {"us", "us", true}, {"american", "us", true},
    {"crypto", "crypto", true},
};

void readGroups(const QJsonObject &object, bool insideGroups, QList<NewsItem> &out)
{
    for (const RegionGroup &group : kRegionGroups) {
        if (insideGroups && !group.insideGroups)
            continue;
        const QJsonValue value = object.value(QLatin1String(group.key));
        if (value.isArray())
            parseSiteNewsItems(value.toArray(), out, QString::fromLatin1(group.region));
    }
}

// "[Removed]" is what NewsAPI leaves of an article its publisher withdrew: a dummy link and the 1970 date.
bool isRemovedArticle(const NewsItem &item)
{
    return item.title.trimmed() == QLatin1String("[Removed]");
}

} // namespace

QString firstStringOf(const QJsonObject &object, const QStringList &keys)
{
    for (const QString &key : keys) {
        const QJsonValue value = object.value(key);
        if (value.isString()) {
            const QString text = value.toString().trimmed();
            if (!text.isEmpty())
                return text;
        } else if (value.isDouble()) {
            return QString::number(value.toDouble(), 'g', 6);
        }
    }
    return QString();
}

QString normalizeNewsRegion(const QString &category)
{
    const QString text = category.trimmed().toLower();
    if (text == QLatin1String("domestic") || text == QLatin1String("brazil") ||
        text == QLatin1String("brasil"))
        return QStringLiteral("br");
    if (text == QLatin1String("international") || text == QLatin1String("american") ||
        text == QLatin1String("america") || text == QLatin1String("usa"))
        return QStringLiteral("us");
    if (text == QLatin1String("crypto") || text == QLatin1String("cripto"))
        return QStringLiteral("crypto");
    if (text == QLatin1String("br") || text == QLatin1String("us"))
        return text;
    return QString();
}

QString newsRegionForSource(const QString &source)
{
    static const QSet<QString> cryptoOutlets = {QStringLiteral("BeInCrypto"), QStringLiteral("Criptofacil"),
                                                QStringLiteral("Ethereum Foundation"),
                                                QStringLiteral("Cointelegraph"), QStringLiteral("Coindesk")};
    static const QSet<QString> usOutlets = {QStringLiteral("Reuters"),       QStringLiteral("CNBC"),
                                            QStringLiteral("Yahoo Finance"), QStringLiteral("FIN TIME"),
                                            QStringLiteral("WSJ"),           QStringLiteral("THE BLOCK")};
    if (cryptoOutlets.contains(source))
        return QStringLiteral("crypto");
    if (usOutlets.contains(source))
        return QStringLiteral("us");
    return QStringLiteral("br");
}

void parseSiteNewsItems(const QJsonArray &array, QList<NewsItem> &out, const QString &hint)
{
    for (const QJsonValue &element : array) {
        if (out.size() >= kMaxSiteNewsItems)
            return;
        const QJsonObject object = element.toObject();
        NewsItem item;
        item.title = firstStringOf(object, titleKeys());
        item.summary = firstStringOf(object, summaryKeys());
        item.source = firstStringOf(object, sourceKeys());
        item.publishedAt = firstStringOf(object, dateKeys());
        item.url = firstStringOf(object, linkKeys());
        const QString categoryRegion = normalizeNewsRegion(firstStringOf(object, categoryKeys()));
        if (!hint.isEmpty())
            item.region = hint;
        else if (!categoryRegion.isEmpty())
            item.region = categoryRegion;
        else
            item.region = newsRegionForSource(item.source);
        if (!item.title.isEmpty() && !item.publishedAt.isEmpty())
            out.append(item);
    }
}

QList<NewsItem> parseSiteNewsFeed(const QByteArray &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    QList<NewsItem> items;
    if (document.isArray()) {
        parseSiteNewsItems(document.array(), items, QString());
        return items;
    }
    const QJsonObject root = document.object();
    for (const char *key : {"news", "data", "items", "rows"}) {
        const QJsonValue value = root.value(QLatin1String(key));
        if (value.isArray())
            parseSiteNewsItems(value.toArray(), items, QString());
    }
    readGroups(root, false, items);
    if (items.isEmpty())
        readGroups(root.value(QLatin1String("groups")).toObject(), true, items);
    return items;
}

QList<NewsItem> parseNewsApiArticles(const QByteArray &body, const QString &region)
{
    const QJsonArray articles =
        QJsonDocument::fromJson(body).object().value(QLatin1String("articles")).toArray();
    QList<NewsItem> items;
    for (const QJsonValue &element : articles) {
        const QJsonObject article = element.toObject();
        NewsItem item;
        item.title = article.value(QLatin1String("title")).toString();
        item.url = article.value(QLatin1String("url")).toString();
        item.publishedAt = article.value(QLatin1String("publishedAt")).toString();
        const QJsonValue name =
            article.value(QLatin1String("source")).toObject().value(QLatin1String("name"));
        item.source = name.isString() ? name.toString() : QStringLiteral("NewsAPI");
        item.region = region;
        if (!item.title.isEmpty() && !item.url.isEmpty() && !isRemovedArticle(item))
            items.append(item);
    }
    return items;
}

QList<NewsItem> parseYahooRss(const QByteArray &body, const QString &region)
{
    QXmlStreamReader reader(body);
    QList<NewsItem> items;
    NewsItem current;
    bool inItem = false;
    while (!reader.atEnd() && !reader.hasError()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = reader.name();
            if (name == QLatin1String("item")) {
                current = NewsItem();
                inItem = true;
                continue;
            }
            if (!inItem)
                continue; // the channel's own title, link and image
            QString *field = nullptr;
            if (name == QLatin1String("title"))
                field = &current.title;
            else if (name == QLatin1String("link"))
                field = &current.url;
            else if (name == QLatin1String("pubDate"))
                field = &current.publishedAt;
            else if (name == QLatin1String("source"))
                field = &current.source;
            if (field)
                *field = reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).trimmed();
            else
                reader.skipCurrentElement();
        } else if (token == QXmlStreamReader::EndElement && inItem &&
                   reader.name() == QLatin1String("item")) {
            inItem = false;
            if (current.source.isEmpty())
                current.source = QStringLiteral("Yahoo Finance");
            current.region = region;
            if (!current.title.isEmpty())
                items.append(current);
            if (items.size() >= kMaxRssNewsItems)
                break;
        }
    }
    return items;
}

QDateTime newsDateTimeIn(const QString &text, const QTimeZone &zone)
{
    const QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!parsed.isValid())
        return parsed;
    // A text without "Z" or an offset parses as local time: it keeps its own wall-clock time.
    return parsed.timeSpec() == Qt::LocalTime ? parsed : parsed.toTimeZone(zone);
}

QDate newsItemDate(const QString &text, const QTimeZone &zone)
{
    if (text.isEmpty())
        return QDate();
    const QDateTime iso = newsDateTimeIn(text, zone);
    if (iso.isValid())
        return iso.date();
    // "yyyy-MM-dd HH:mm:ss" with anything after it names the date of its first ten characters, as does a
    // bare "yyyy-MM-dd": both read the date alone, apart from any clock, so a wall-clock time that the
    // local zone skips still names its date.
    return QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
}
