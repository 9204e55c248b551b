#pragma once

#include "news/news_feed.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <QUrl>

// Keeps the items dated `today` or the day before (items whose date cannot be read pass) that contain
// `keyword` (trimmed, any case) in their title, summary, source, link or region. Order is kept.
QList<NewsItem> filterNewsByDateAndKeyword(const QList<NewsItem> &items, const QString &keyword,
                                           const QDate &today,
                                           const QTimeZone &zone = QTimeZone::systemTimeZone());

// Keeps the items of the region `regionKey` ("all" keeps every region). Brazilian items are shown only to
// a Portuguese reader, whatever the selection.
QList<NewsItem> filterNewsByRegion(const QList<NewsItem> &items, const QString &regionKey, bool portuguese);

// The time cell: "--" for no date, an ISO date and time as "yyyy-MM-dd HH:mm" in `zone`, any other text
// as the feed wrote it.
QString formatNewsTime(const QString &text, const QTimeZone &zone = QTimeZone::systemTimeZone());

// The headline's tooltip: the title, and the summary under it when there is one.
QString newsHeadlineToolTip(const QString &title, const QString &summary);

// A tooltip that shows `text` as written. Qt renders a tooltip that looks like markup as rich text, which
// would let a feed style it, hide parts of it or name images to load; such text is escaped instead.
QString plainTextToolTip(const QString &text);

// The link of a news row when it is one the browser may be asked to open: an http or https URL with a
// host. Anything else a feed can put there ("file:", "javascript:", a scheme that starts a program)
// gives an empty URL.
QUrl openableNewsUrl(const QString &text);
