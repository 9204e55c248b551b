#pragma once

#include <QString>
#include <QtGlobal>

// The Status column of the quote table holds a status key shown in the current language. Writers pass
// the English key; English shows the key itself. Keys without a Portuguese text ("key/delayed",
// "cached/delayed", "all providers failed", and any key this list does not know) read the same in
// both languages.

// The text a Status cell shows for `key`.
QString quoteStatusText(const QString &key, bool portuguese);

// The key behind a shown Status text: a Portuguese text gives its key, anything else (a key, an
// English text, an unknown text) comes back as it is. Lets the column be re-rendered in place when
// the language changes.
QString quoteStatusKey(const QString &text);

// The Status key of a quote answered by a provider of the catalogue: free public feeds (the Yahoo
// family and public brapi) are "free/delayed", every other provider "key/delayed".
QString quoteStatusForProvider(const QString &providerKey);

// Whether a quote from this provider, arriving without candles, should be followed by a quiet chart
// history request: brapi quotes carry no history of their own.
bool quoteWantsChartHistory(const QString &providerKey);

// "%1 ms" with the elapsed time of the request.
QString quoteLatencyText(qint64 latencyMs);

// The Source text of a row for a provider tag ("binance", "brapi", "alphavantage", ...), compared
// without case; unknown and empty tags read "Yahoo".
QString providerDisplayNameForTag(const QString &providerTag);
