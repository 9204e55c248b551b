#pragma once

#include "news/news_feed.h"

#include <QStringList>

// A headline with only the fields a test names.
inline NewsItem newsItem(const QString &title, const QString &region, const QString &url = QString(),
                         const QString &source = QString(), const QString &publishedAt = QString(),
                         const QString &summary = QString())
{
    NewsItem out;
    out.title = title;
    out.region = region;
    out.url = url;
    out.source = source;
    out.publishedAt = publishedAt;
    out.summary = summary;
    return out;
}

// The titles in order, joined by "|".
inline QString newsTitles(const QList<NewsItem> &items)
{
    QStringList out;
    for (const NewsItem &item : items)
        out << item.title;
    return out.join(QLatin1Char('|'));
}
