#include "providers/provider_catalogue.h"
#include "providers/provider_limits.h"
#include "providers/quote.h"
#include "providers/reply_deadline.h"
#include "providers/reply_drop.h"
#include "shell/main_window.h"

#include <QDateTime>
#include <QNetworkReply>

#include <optional>

namespace {

const QString kLoading = QStringLiteral("loading");
const QString kAllProvidersFailed = QStringLiteral("all providers failed");

bool isPerKeyGated(const QString &key)
{
    return key == QLatin1String("twelvedata") || key == QLatin1String("fmp");
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

void MainWindow::requestQuote(const QString &symbol)
{
    const int market = historySourceForClass(symbol);
    const QStringList providers = providersFor(market, ProviderDataKind::Quote, effectiveApiKeys());
    if (providers.isEmpty()) {
        requestYahooChart(symbol, true);
        return;
    }
    switch (market) {
    case ProviderMarket::UsEquities:
        fetchUsQuoteCascade(symbol, providers);
        break;
    case ProviderMarket::B3Equities:
        fetchB3QuoteCascade(symbol, providers);
        break;
    case ProviderMarket::Forex:
        fetchForexQuoteCascade(symbol, providers);
        break;
    default:
        fetchCryptoHttpQuote(symbol);
        break;
    }
}

void MainWindow::pollQuote(const QString &symbol)
{
    // Replacing the walk would start it over at the first provider: a walk longer than the beat (two
    // keyed providers that hang already take 20 s against the 15 s poll) would never reach the public
    // ones, and the row would stay "loading". The running walk answers for this beat.
    if (quoteWalkRunning(symbol))
        return;
    requestQuote(symbol);
}

bool MainWindow::quoteWalkRunning(const QString &symbol) const
{
    const AsyncProviderCascade *cascade = quoteCascades.value(symbol);
    return cascade && cascade->running;
}

int MainWindow::historySourceForClass(const QString &symbol) const
{
    return quoteMarketOfSymbol(symbol);
}

void MainWindow::fetchUsQuoteCascade(const QString &symbol, const QStringList &providerKeys)
{
    startQuoteCascade(ProviderMarket::UsEquities, symbol, providerKeys);
}

void MainWindow::fetchB3QuoteCascade(const QString &symbol, const QStringList &providerKeys)
{
    startQuoteCascade(ProviderMarket::B3Equities, symbol, providerKeys);
}

void MainWindow::fetchForexQuoteCascade(const QString &symbol, const QStringList &providerKeys)
{
    startQuoteCascade(ProviderMarket::Forex, symbol, providerKeys);
}

void MainWindow::fetchCryptoHttpQuote(const QString &symbol)
{
    startQuoteCascade(ProviderMarket::Crypto, symbol, {QStringLiteral("binance_public")});
}

void MainWindow::startQuoteCascade(int market, const QString &symbol, const QStringList &providerKeys)
{
    const quint64 generation = quoteGenerations.value(symbol, 0) + 1;
    quoteGenerations.insert(symbol, generation);
    // The replaced run must not start another attempt while it waits for its deferred deletion.
    if (AsyncProviderCascade *previous = quoteCascades.value(symbol)) {
        previous->cancel();
        previous->deleteLater();
    }
    abortQuoteAttempt(symbol);

    const auto [interval, range] = chartIntervalAndRange();
    const QuoteCascadeRun run{symbol, quoteFetchersFor(market, effectiveApiKeys(), interval, range),
                              generation};
    QStringList ordered;
    for (const QString &key : providerKeys) {
        if (run.fetchers.contains(key))
            ordered.append(key);
    }

    auto *cascade = new AsyncProviderCascade(this);
    quoteCascades.insert(symbol, cascade);
    quoteWalkPriceMarks.insert(symbol, quoteRowPriceWrites.value(symbol));
    // Crypto rows follow the ticker stream; an HTTP refresh must not mark them as loading.
    if (market != ProviderMarket::Crypto)
        setQuoteStatus(symbol, kLoading);

    const AsyncProviderStarter starter = [this, market, run](const QString &key,
                                                             AsyncProviderCompletion done) {
        switch (market) {
        case ProviderMarket::UsEquities:
            startUsQuoteAttempt(run, key, done);
            break;
        case ProviderMarket::B3Equities:
            startB3QuoteAttempt(run, key, done);
            break;
        case ProviderMarket::Forex:
            startForexQuoteAttempt(run, key, done);
            break;
        default:
            startCryptoQuoteAttempt(run, key, done);
            break;
        }
    };
    const AsyncProviderSuccess succeeded = [this, symbol, cascade](const QString &key) {
        onQuoteCascadeSucceeded(symbol, cascade, key);
    };
    const AsyncProviderFailure failed = [this, market, symbol, cascade](const QStringList &errors) {
        switch (market) {
        case ProviderMarket::UsEquities:
            onUsQuoteCascadeFailed(symbol, cascade, errors);
            break;
        case ProviderMarket::B3Equities:
            onB3QuoteCascadeFailed(symbol, cascade, errors);
            break;
        case ProviderMarket::Forex:
            onForexQuoteCascadeFailed(symbol, cascade, errors);
            break;
        default:
            onCryptoQuoteCascadeFailed(symbol, cascade, errors);
            break;
        }
    };
    cascade->start(ordered, starter, succeeded, failed, quoteAttemptLimitMs);
}

void MainWindow::startUsQuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                                     const AsyncProviderCompletion &done)
{
    if (providerKey == QLatin1String("alpha_vantage")) {
        const qint64 now = nowMs();
        switch (alphaVantageGate(now, alphaVantageLastCallMs, alphaVantageCooldownUntilMs)) {
        case AlphaVantageGate::Cooldown:
            done({false, true, QStringLiteral("cooldown")});
            return;
        case AlphaVantageGate::Throttled:
            // Within the spacing window a fresh cached reply serves the row instead of a call.
            if (readCachedReply(run.symbol))
                done({true, false, QString()});
            else
                done({false, true, QStringLiteral("local throttle")});
            return;
        case AlphaVantageGate::Open:
            // Stamped before sending: a call that then fails still used up the provider's quota.
            alphaVantageLastCallMs = now;
            break;
        }
    } else if (isPerKeyGated(providerKey) && !allowProviderRequest(providerKey)) {
        done({false, true, QStringLiteral("local throttle")});
        return;
    }
    sendQuoteAttempt(ProviderMarket::UsEquities, run, providerKey, providerSymbol(providerKey, run.symbol),
                     done);
}

void MainWindow::startB3QuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                                     const AsyncProviderCompletion &done)
{
    sendQuoteAttempt(ProviderMarket::B3Equities, run, providerKey, run.symbol, done);
}

void MainWindow::startForexQuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                                        const AsyncProviderCompletion &done)
{
    if (providerKey == QLatin1String("twelvedata") && !allowProviderRequest(providerKey)) {
        done({false, true, QStringLiteral("local throttle")});
        return;
    }
    sendQuoteAttempt(ProviderMarket::Forex, run, providerKey, providerSymbol(providerKey, run.symbol), done);
}

void MainWindow::startCryptoQuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                                         const AsyncProviderCompletion &done)
{
    sendQuoteAttempt(ProviderMarket::Crypto, run, providerKey, run.symbol, done);
}

void MainWindow::sendQuoteAttempt(int market, const QuoteCascadeRun &run, const QString &providerKey,
                                  const QString &requestSymbol, const AsyncProviderCompletion &done)
{
    const std::shared_ptr<const DataFetcher> fetcher = run.fetchers.value(providerKey);
    if (!fetcher) {
        done({false, false, QStringLiteral("fetcher unavailable")});
        return;
    }
    QNetworkRequest request = fetcher->buildRequest(requestSymbol);
    request.setTransferTimeout(quoteTransferLimitMs);
    const QuoteAttemptContext context{run.symbol, requestSymbol, providerKey,   fetcher,
                                      done,       nowMs(),       run.generation};
    // A walk runs one attempt at a time: one still in flight here was given up (its time ran out).
    abortQuoteAttempt(run.symbol);
    QNetworkReply *reply = networkManager.get(request);
    quoteAttemptReplies.insert(run.symbol, reply);
    awaitReply(reply, this, replyDeadlines.quoteMs,
               [this, market, reply = QPointer<QNetworkReply>(reply), context](const ReplyAnswer &answer) {
                   // Gone already when the deadline ended it; the slot then holds nothing either.
                   if (quoteAttemptReplies.value(context.symbol) == reply)
                       quoteAttemptReplies.remove(context.symbol);
                   switch (market) {
                   case ProviderMarket::UsEquities:
                       onUsQuoteAttemptReply(answer, context);
                       break;
                   case ProviderMarket::B3Equities:
                       onB3QuoteAttemptReply(answer, context);
                       break;
                   case ProviderMarket::Forex:
                       onForexQuoteAttemptReply(answer, context);
                       break;
                   default:
                       onCryptoQuoteAttemptReply(answer, context);
                       break;
                   }
               });
}

void MainWindow::onUsQuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context)
{
    handleQuoteAttemptReply(ProviderMarket::UsEquities, answer, context);
}

void MainWindow::onB3QuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context)
{
    handleQuoteAttemptReply(ProviderMarket::B3Equities, answer, context);
}

void MainWindow::onForexQuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context)
{
    handleQuoteAttemptReply(ProviderMarket::Forex, answer, context);
}

void MainWindow::onCryptoQuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context)
{
    handleQuoteAttemptReply(ProviderMarket::Crypto, answer, context);
}

void MainWindow::handleQuoteAttemptReply(int market, const ReplyAnswer &answer,
                                         const QuoteAttemptContext &context)
{
    const qint64 now = nowMs();
    const qint64 latencyMs = now - context.startMs;
    const QByteArray &body = answer.body;
    ProviderReplyCheck check =
        evaluateProviderReply(context.providerKey, answer.status, answer.headers, body);
    if (answer.timedOut)
        check.message = QStringLiteral("timeout");

    // A newer request for the symbol has replaced this run.
    if (quoteGenerations.value(context.symbol, 0) != context.generation)
        return;

    std::optional<Quote> quote;
    if (check.ok)
        quote = context.fetcher->parseReply(context.providerSymbol, body);
    const QuoteAttemptVerdict verdict =
        quoteAttemptVerdict(market, context.providerKey, check, quote.has_value());

    // What the provider said about its limits holds whether or not this attempt still counts.
    if (verdict.startAlphaVantageCooldown)
        alphaVantageCooldownUntilMs = alphaVantageCooldownUntil(now, check.retryAfterSec);
    if (verdict.startProviderCooldown)
        setProviderCooldown(context.providerKey, check.retryAfterSec);

    // An attempt the cascade gave up on (its time ran out, the run moved on or ended) must not write a
    // row the next provider, or the failure, has written since.
    const AsyncProviderCascade *cascade = quoteCascades.value(context.symbol);
    if (!cascade || !cascade->running || cascade->currentProvider() != context.providerKey)
        return;

    if (verdict.applyQuote)
        applyQuote(context.symbol, context.providerKey, *quote, latencyMs);
    if (verdict.writeAlphaVantageCache)
        writeAlphaVantageCache(context.symbol, body);
    if (verdict.clearProviderCooldown)
        clearProviderCooldown(context.providerKey);
    context.done(verdict.result);
}

bool MainWindow::releaseQuoteCascade(const QString &symbol, AsyncProviderCascade *cascade)
{
    cascade->deleteLater();
    if (quoteCascades.value(symbol) != cascade)
        return false;
    quoteCascades.remove(symbol);
    // A walk that ended on a timeout, or on a local answer after one, leaves that attempt in flight.
    abortQuoteAttempt(symbol);
    return true;
}

void MainWindow::abortQuoteAttempt(const QString &symbol)
{
    dropReply(quoteAttemptReplies.take(symbol), this);
}

void MainWindow::forgetSymbolRequests(const QString &symbol)
{
    // A late reply of any earlier request finds its generation outdated and writes nothing.
    quoteGenerations.insert(symbol, quoteGenerations.value(symbol, 0) + 1);
    klineGenerations.insert(symbol, klineGenerations.value(symbol, 0) + 1);
    if (AsyncProviderCascade *cascade = quoteCascades.take(symbol)) {
        cascade->cancel();
        cascade->deleteLater();
    }
    quoteWalkPriceMarks.remove(symbol);
    quoteRowPriceWrites.remove(symbol);
    abortQuoteAttempt(symbol);
    const QList<QPointer<QNetworkReply>> charts = chartRequestReplies.values(symbol);
    chartRequestReplies.remove(symbol);
    klineReplies.remove(symbol);
    for (const QPointer<QNetworkReply> &reply : charts)
        dropReply(reply, this);
}

void MainWindow::onQuoteCascadeSucceeded(const QString &symbol, AsyncProviderCascade *cascade,
                                         const QString &providerKey)
{
    Q_UNUSED(providerKey);
    // The row was written inside the attempt that succeeded.
    releaseQuoteCascade(symbol, cascade);
}

namespace {
// A price that reached the row while the walk ran (from the ticker stream, say) is newer than
// anything the failed walk could have shown: its status stays beside it.
bool rowPricedDuringWalk(const MainWindow &window, const QString &symbol)
{
    return window.quoteRowPriceWrites.value(symbol) != window.quoteWalkPriceMarks.value(symbol);
}

void reportQuoteCascadeFailure(MainWindow &window, int market, const QString &symbol,
                               const QStringList &errors)
{
    if (!rowPricedDuringWalk(window, symbol))
        window.setQuoteStatus(symbol, kAllProvidersFailed);
    const QPair<QString, QString> texts = quoteCascadeFailureTexts(market);
    // Provider messages end up in these lines, and a provider may echo the caller's key.
    window.appendEventLog(window.redactedText(
        window.localizedText(texts.first, texts.second).arg(symbol, errors.join(QStringLiteral(" | ")))));
}
} // namespace

void MainWindow::onUsQuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                        const QStringList &errors)
{
    if (releaseQuoteCascade(symbol, cascade))
        reportQuoteCascadeFailure(*this, ProviderMarket::UsEquities, symbol, errors);
}

void MainWindow::onB3QuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                        const QStringList &errors)
{
    if (releaseQuoteCascade(symbol, cascade))
        reportQuoteCascadeFailure(*this, ProviderMarket::B3Equities, symbol, errors);
}

void MainWindow::onForexQuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                           const QStringList &errors)
{
    if (releaseQuoteCascade(symbol, cascade))
        reportQuoteCascadeFailure(*this, ProviderMarket::Forex, symbol, errors);
}

void MainWindow::onCryptoQuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                            const QStringList &errors)
{
    Q_UNUSED(errors);
    // While the ticker stream is up the row is live anyway; the HTTP failure is not news.
    if (releaseQuoteCascade(symbol, cascade) && tickerSocket.state() != QAbstractSocket::ConnectedState &&
        !rowPricedDuringWalk(*this, symbol))
        setQuoteStatus(symbol, kAllProvidersFailed);
}

ProviderReplyHeaders MainWindow::replyHeaders(const QNetworkReply *reply)
{
    return readReplyHeaders(reply);
}

QString MainWindow::providerSymbol(const QString &providerKey, const QString &symbol) const
{
    return quoteProviderSymbol(providerKey, symbol);
}

QString MainWindow::defaultProviderForSymbol(const QString &symbol) const
{
    return defaultProviderTag(symbol, settings.brapiToken);
}
