#include "providers/provider_limits.h"
#include "providers/reply_cache.h"
#include "shell/main_window.h"

#include <QDateTime>

bool MainWindow::allowProviderRequest(const QString &key)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!providerGateAllows(now, providerLastRequestMs.value(key, 0), providerCooldownUntilMs.value(key, 0)))
        return false;
    providerLastRequestMs.insert(key, now);
    return true;
}

void MainWindow::setProviderCooldown(const QString &key, int seconds)
{
    providerCooldownUntilMs.insert(key, providerCooldownUntil(QDateTime::currentMSecsSinceEpoch(), seconds));
}

void MainWindow::clearProviderCooldown(const QString &key)
{
    providerCooldownUntilMs.remove(key);
}

QString MainWindow::alphaVantageCacheWritePath(const QString &symbol) const
{
    return cacheDir() + QStringLiteral("/alpha_vantage/") + alphaVantageCacheFileName(symbol);
}

QString MainWindow::alphaVantageCacheReadPath(const QString &symbol) const
{
    return resolveSettingsPath(QStringLiteral("data/cache/alpha_vantage/") +
                                   alphaVantageCacheFileName(symbol),
                               alphaVantageCacheWritePath(symbol));
}

void MainWindow::writeAlphaVantageCache(const QString &symbol, const QByteArray &body)
{
    // Kept byte for byte, unless the provider echoed a key in it: no key is stored outside the key file.
    const QString text = QString::fromUtf8(body);
    const QString redacted = redactedText(text);
    // A cache that cannot be written only means the next throttled attempt finds nothing fresh.
    writeReplyCacheFile(alphaVantageCacheWritePath(symbol), redacted == text ? body : redacted.toUtf8());
}

bool MainWindow::readCachedReply(const QString &symbol)
{
    const std::optional<QByteArray> body = readFreshReplyCacheFile(
        alphaVantageCacheReadPath(symbol), QDateTime::currentDateTime(), kAlphaVantageCacheFreshSeconds);
    return body && applyAlphaVantageQuote(symbol, *body);
}

bool MainWindow::applyAlphaVantageQuote(const QString &symbol, const QByteArray &body)
{
    const std::optional<CachedAlphaVantageQuote> quote = readAlphaVantageCachedQuote(body);
    if (!quote)
        return false;
    recordQuoteSample(symbol, quote->open, quote->high, quote->low, quote->price, quote->volume);
    applyPriceToLastCandle(symbol, quote->price);
    refreshRowFromCandles(symbol);
    updateQuoteRow(symbol, quote->price, quote->changePercent, QStringLiteral("Alpha Cache"),
                   QStringLiteral("cache"), QStringLiteral("cached/delayed"));
    return true;
}
