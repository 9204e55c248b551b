#include "news/news_filters.h"

#include <QTextDocument>

QList<NewsItem> filterNewsByDateAndKeyword(const QList<NewsItem> &items, const QString &keyword,
                                           const QDate &today, const QTimeZone &zone)
{
    const QDate yesterday = today.addDays(-1);
    const QString needle = keyword.trimmed();
    QList<NewsItem> kept;
    for (const NewsItem &item : items) {
        const QDate date = newsItemDate(item.publishedAt, zone);
        if (date.isValid() && date != today && date != yesterday)
            continue;
        if (!needle.isEmpty()) {
            const QString text = QStringLiteral("%1 %2 %3 %4 %5")
                                     .arg(item.title, item.summary, item.source, item.url, item.region);
            if (!text.contains(needle, Qt::CaseInsensitive))
                continue;
        }
        kept.append(item);
    }
    return kept;
}

QList<NewsItem> filterNewsByRegion(const QList<NewsItem> &items, const QString &regionKey, bool portuguese)
{
    QList<NewsItem> kept;
    for (const NewsItem &item : items) {
        if (!portuguese && item.region == QLatin1String("br"))
            continue;
        if (regionKey == QLatin1String("all") || item.region == regionKey)
            kept.append(item);
    }
    return kept;
}

QString formatNewsTime(const QString &text, const QTimeZone &zone)
{
    if (text.isEmpty())
        return QStringLiteral("--");
    const QDateTime iso = newsDateTimeIn(text, zone);
    return iso.isValid() ? iso.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : text;
}

QString newsHeadlineToolTip(const QString &title, const QString &summary)
{
    return plainTextToolTip(summary.isEmpty() ? title : QStringLiteral("%1\n\n%2").arg(title, summary));
}

QString plainTextToolTip(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

QUrl openableNewsUrl(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return QUrl();
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return QUrl();
    return url;
}
