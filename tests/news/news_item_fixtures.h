#pragma once

#include "news/news_feed.h"

#include <QStringList>
#include <QTextDocument>

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

// What a tooltip shows once Qt has rendered it: a tooltip label renders its text as markup exactly when
// Qt::mightBeRichText says so.
inline QString shownToolTip(const QString &toolTip)
{
    if (!Qt::mightBeRichText(toolTip))
        return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}
