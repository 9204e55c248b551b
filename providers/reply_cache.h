#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The on-disk cache of Alpha Vantage quote replies: one file per symbol holding the reply body as it
// came, shown while the provider's spacing forbids a new call.

// The file name of a symbol: every character other than A-Z, 0-9, "_", "." and "-" becomes "_" (lower
// case letters too), then ".json". BRK.B gives BRK.B.json, ^GSPC gives _GSPC.json.
QString alphaVantageCacheFileName(const QString &symbol);

// Stores `body` at `path`, creating the missing directories. The file is replaced in one step, so a
// reader never sees half a reply and a failed write leaves the earlier file whole. False on failure.
bool writeReplyCacheFile(const QString &path, const QByteArray &body);

// The file's contents when it exists, can be read and was last modified at most `maxAgeSeconds` before
// `now` (a time after `now` is not fresh); nothing otherwise.
std::optional<QByteArray> readFreshReplyCacheFile(const QString &path, const QDateTime &now,
                                                  int maxAgeSeconds);

// The quote inside a cached Alpha Vantage body ("Global Quote" with its values as texts).
struct CachedAlphaVantageQuote
{
    double open = 0.0;
    double high = 0.0;
    double low = 0.0;
    double price = 0.0;
    double volume = 0.0;
    double changePercent = 0.0; // NaN when "10. change percent" does not read as a number
};

// Open, high, low, price and volume read 0 when their text does not read as a number. Nothing when the
// price is not above 0.
std::optional<CachedAlphaVantageQuote> readAlphaVantageCachedQuote(const QByteArray &body);
