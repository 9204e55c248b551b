#pragma once

#include <QByteArray>
#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

// One headline as a feed gave it. Every field is text exactly as the feed wrote it (trimmed where the
// reader says so); nothing is parsed until it is shown or filtered.
struct NewsItem
{
    QString title;
    QString summary;     // only the site feed fills it
    QString source;      // the outlet's name
    QString publishedAt; // the feed's own date text
    QString url;
    QString region; // "br", "us" or "crypto" for the site feed; the selected region key for the others
};

// The site feed asks for 80 headlines; a feed that sends far more is cut here so that one reply cannot
// fill the table with tens of thousands of rows.
constexpr int kMaxSiteNewsItems = 200;
// The public RSS feed is read up to this many kept items.
constexpr int kMaxRssNewsItems = 80;

// The first usable value under `keys`, tried in order: a string that is not blank (trimmed), or any
// number (in 'g' form with 6 significant digits, 0 included). A number stops the search even when a
// later key holds a string; null, booleans, arrays, objects and blank strings are passed over.
QString firstStringOf(const QJsonObject &object, const QStringList &keys);

// A site-feed category ("Domestic", "Cripto", "usa", ...) as a region key; empty when it names none.
QString normalizeNewsRegion(const QString &category);

// The region of an outlet by its exact name: the known crypto outlets give "crypto", the known
// international ones "us", every other name (the empty one too) "br": the site is a Brazilian one.
QString newsRegionForSource(const QString &source);

// Appends the items of one array of the site feed. Each element needs a title and a date; `hint`, when
// not empty, is the region of the group the array stands under and wins over the item's category.
void parseSiteNewsItems(const QJsonArray &array, QList<NewsItem> &out, const QString &hint);

// The site feed in any of its shapes: a bare array; an object with "news", "data", "items" or "rows"
// arrays and region groups at the top; or, only when those give nothing, region groups under
// "groups". Reading order is kept and nothing is merged; at most kMaxSiteNewsItems are returned.
QList<NewsItem> parseSiteNewsFeed(const QByteArray &body);

// NewsAPI's "articles": every article with a title and a link, stamped with `region`. The service's
// "[Removed]" placeholders (a dummy link, the 1970 date) are dropped.
QList<NewsItem> parseNewsApiArticles(const QByteArray &body, const QString &region);

// The Yahoo Finance RSS headline feed, read as a stream: every complete <item> with a title, up to
// kMaxRssNewsItems. Broken XML ends the reading and keeps what came before it, so a cut-off feed still
// gives its complete items.
QList<NewsItem> parseYahooRss(const QByteArray &body, const QString &region);

// The calendar date of a feed's date text: an ISO 8601 date and time (seen in `zone`), else the first
// 19 characters as "yyyy-MM-dd HH:mm:ss", else the first 10 as "yyyy-MM-dd"; invalid otherwise (RFC 822
// dates included).
QDate newsItemDate(const QString &text, const QTimeZone &zone = QTimeZone::systemTimeZone());

// The text read as an ISO 8601 date and time and seen in `zone`; a text without "Z" or an offset is the
// feed's own wall clock and is kept as written. Invalid when the text is not one. Accepts what the feeds
// send: "Z" or a numeric offset, and any number of fractional digits.
QDateTime newsDateTimeIn(const QString &text, const QTimeZone &zone);
