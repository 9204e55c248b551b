#include "movers/movers_ranking.h"
#include "movers/movers_sources.h"
#include "providers/provider_catalogue.h"
#include "providers/reply_check.h"
#include "providers/reply_deadline.h"
#include "providers/reply_drop.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QComboBox>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

namespace {
// Keeps `reply` among the refresh's requests in flight; the ones already gone leave the list.
QNetworkReply *tracked(QList<QPointer<QNetworkReply>> &replies, QNetworkReply *reply)
{
    replies.removeAll(QPointer<QNetworkReply>());
    replies.append(reply);
    return reply;
}
} // namespace

QString MainWindow::moversScopeLabel(const QString &key) const
{
    if (key == QLatin1String("all"))
        return localizedText(QStringLiteral("All delayed"), QStringLiteral("Tudo com delay"));
    if (key == QLatin1String("b3"))
        return localizedText(QStringLiteral("B3 delayed"), QStringLiteral("B3 com delay"));
    if (key == QLatin1String("us"))
        return localizedText(QStringLiteral("US delayed"), QStringLiteral("EUA com delay"));
    if (key == QLatin1String("watchlist"))
        return localizedText(QStringLiteral("Watchlist"), QStringLiteral("Lista pessoal"));
    return QStringLiteral("Crypto 24h");
}

QStringList MainWindow::universeB3Symbols() const
{
    return ::universeB3Symbols(symbolUniverse);
}

QStringList MainWindow::universeUsSymbols() const
{
    return ::universeUsSymbols(symbolUniverse);
}

int MainWindow::brapiBatchCount(const QStringList &symbols)
{
    return ::brapiBatchCount(symbols);
}

int MainWindow::yahooBatchCount(const QStringList &symbols)
{
    return ::yahooBatchCount(symbols);
}

bool MainWindow::isEligibleUsdtPair(const QString &symbol)
{
    return ::isEligibleUsdtPair(symbol);
}

void MainWindow::refreshMarketMovers()
{
    ++moversGeneration;
    // The older refresh's answers would be thrown away on arrival: its requests end now instead of
    // holding connections to the hosts until they finish.
    for (const QPointer<QNetworkReply> &reply : std::as_const(moversReplies))
        dropReply(reply, this);
    moversReplies.clear();
    const QString scope = currentMoversScope();
    if (!moversScopeCombo || scope == QLatin1String("watchlist")) {
        loadWatchlistMoversNow();
        return;
    }
    const QStringList usProviders =
        providersFor(ProviderMarket::UsEquities, ProviderDataKind::Movers, effectiveApiKeys());
    const bool alphaFirst = !usProviders.isEmpty() && usProviders.first() == QLatin1String("alpha_vantage");

    if (scope == QLatin1String("b3")) {
        const QStringList b3 = universeB3Symbols();
        beginMoversBatch(scope, brapiBatchCount(b3));
        if (!b3.isEmpty())
            fetchBrapiQuotesBatched(b3, scope);
        else
            loadWatchlistMoversNow();
        return;
    }
    if (scope == QLatin1String("us")) {
        const QStringList us = universeUsSymbols();
        const int count = alphaFirst ? 1 : yahooBatchCount(us);
        beginMoversBatch(scope, count);
        if (alphaFirst)
            fetchAlphaTopMovers(scope, us);
        else if (count >= 1)
            fetchYahooMoversQuotes(us, scope);
        else
            loadWatchlistMoversNow();
        return;
    }
    if (scope == QLatin1String("all")) {
        const QStringList b3 = universeB3Symbols();
        const QStringList us = universeUsSymbols();
        const int usCount = alphaFirst ? 1 : yahooBatchCount(us);
        const int b3Count = brapiBatchCount(b3);
        beginMoversBatch(scope, b3Count + usCount);
        if (b3Count > 0)
            fetchBrapiQuotesBatched(b3, scope);
        if (alphaFirst)
            fetchAlphaTopMovers(scope, us);
        else if (usCount > 0)
            fetchYahooMoversQuotes(us, scope);
        if (b3Count + usCount == 0)
            loadMarketMovers(moversList, moversScopeLabel(scope) + QStringLiteral(" fallback"));
        return;
    }

    const quint64 generation = moversGeneration;
    awaitReply(tracked(moversReplies, networkManager.get(binanceMoversRequest(quoteTransferLimitMs))), this,
               replyDeadlines.feedMs,
               [this, generation](const ReplyAnswer &answer) { onBinanceMoversReply(answer, generation); });
}

void MainWindow::beginMoversBatch(const QString &scope, int count)
{
    pendingMoversScope = scope;
    moversList.clear();
    pendingMoversReplies = std::max(0, count);
}

void MainWindow::finishMoversBatch(const QString &scope)
{
    if (scope != pendingMoversScope)
        return;
    pendingMoversReplies = std::max(pendingMoversReplies - 1, 0);
    if (pendingMoversReplies != 0)
        return;
    if (moversList.isEmpty()) {
        if (scope == QLatin1String("b3") || scope == QLatin1String("all"))
            appendMoversFromQuoteTable(QStringLiteral("BR Equity"));
        if (scope == QLatin1String("us") || scope == QLatin1String("all"))
            appendMoversFromQuoteTable(QStringLiteral("US Equity"));
    }
    loadMarketMovers(moversList, moversScopeLabel(scope));
}

void MainWindow::fetchBrapiQuotesBatched(const QStringList &symbols, const QString &scope)
{
    const bool keyed = !settings.brapiToken.isEmpty();
    for (QStringList chunk : moversChunks(symbols, kBrapiMoversBatch)) {
        for (QString &symbol : chunk)
            symbol.remove(QStringLiteral(".SA"));
        requestBrapiQuoteBatch(chunk, scope, keyed);
    }
}

void MainWindow::requestBrapiQuoteBatch(const QStringList &chunk, const QString &scope, bool keyed)
{
    const quint64 generation = moversGeneration;
    const QString token = keyed ? settings.brapiToken : QString();
    awaitReply(
        tracked(moversReplies, networkManager.get(brapiMoversRequest(chunk, token, quoteTransferLimitMs))),
        this, replyDeadlines.feedMs, [this, chunk, scope, keyed, generation](const ReplyAnswer &answer) {
            onBrapiMoversReply(answer, chunk, scope, keyed, generation);
        });
}

void MainWindow::onBrapiMoversReply(const ReplyAnswer &answer, const QStringList &chunk, const QString &scope,
                                    bool keyed, quint64 generation)
{
    if (generation != moversGeneration)
        return;
    const MoversReply parsed = answer.failed ? MoversReply() : parseBrapiMovers(answer.body);
    if (parsed.resultCount == 0) {
        if (keyed) {
            requestBrapiQuoteBatch(chunk, scope, false);
            return;
        }
        QStringList yahooList;
        for (const QString &symbol : chunk)
            yahooList.append(symbol + QStringLiteral(".SA"));
        const int extra = yahooBatchCount(yahooList);
        pendingMoversReplies += extra;
        if (extra > 0)
            fetchYahooMoversQuotes(yahooList, scope);
        finishMoversBatch(scope);
        return;
    }
    for (const auto &[symbol, sector] : parsed.sectors)
        sectorBySymbol.insert(symbol, sector);
    moversList.append(parsed.entries);
    finishMoversBatch(scope);
}

void MainWindow::fetchYahooMoversQuotes(const QStringList &symbols, const QString &scope)
{
    const QList<QStringList> chunks = moversChunks(symbols, kYahooMoversBatch);
    if (chunks.isEmpty()) {
        finishMoversBatch(scope);
        return;
    }
    const quint64 generation = moversGeneration;
    for (const QStringList &chunk : chunks) {
        awaitReply(
            tracked(moversReplies, networkManager.get(yahooMoversRequest(chunk, quoteTransferLimitMs))), this,
            replyDeadlines.feedMs, [this, scope, generation](const ReplyAnswer &answer) {
                onYahooMoversReply(answer, scope, generation);
            });
    }
}

void MainWindow::onYahooMoversReply(const ReplyAnswer &answer, const QString &scope, quint64 generation)
{
    if (generation != moversGeneration)
        return;
    if (!answer.failed) {
        const MoversReply parsed = parseYahooMovers(answer.body);
        for (const auto &[symbol, sector] : parsed.sectors)
            sectorBySymbol.insert(symbol, sector);
        moversList.append(parsed.entries);
    }
    finishMoversBatch(scope);
}

void MainWindow::fetchAlphaTopMovers(const QString &scope, const QStringList &usSymbols)
{
    if (!settings.alphaVantageApiKey.isEmpty() &&
        QDateTime::currentMSecsSinceEpoch() >= alphaVantageCooldownUntilMs) {
        const quint64 generation = moversGeneration;
        awaitReply(tracked(moversReplies, networkManager.get(alphaTopMoversRequest(
                                              settings.alphaVantageApiKey, quoteTransferLimitMs))),
                   this, replyDeadlines.feedMs,
                   [this, scope, usSymbols, generation](const ReplyAnswer &answer) {
                       onAlphaMoversReply(answer, scope, usSymbols, generation);
                   });
        return;
    }
    const int extra = yahooBatchCount(usSymbols);
    pendingMoversReplies += extra;
    if (extra > 0)
        fetchYahooMoversQuotes(usSymbols, scope);
    finishMoversBatch(scope);
}

void MainWindow::onAlphaMoversReply(const ReplyAnswer &answer, const QString &scope,
                                    const QStringList &usSymbols, quint64 generation)
{
    if (generation != moversGeneration)
        return;
    const QByteArray &body = answer.body;
    const ProviderReplyCheck check =
        evaluateProviderReply(QStringLiteral("alpha_vantage"), answer.status, answer.headers, body);
    if (check.rateLimited) {
        alphaVantageCooldownUntilMs = QDateTime::currentMSecsSinceEpoch() +
                                      static_cast<qint64>(std::max(60, check.retryAfterSec)) * 1000;
    }
    const qsizetype before = moversList.size();
    if (check.ok) {
        const QJsonObject root = QJsonDocument::fromJson(body).object();
        appendAlphaMovers(root.value(QLatin1String("top_gainers")).toArray());
        appendAlphaMovers(root.value(QLatin1String("top_losers")).toArray());
    }
    if (moversList.size() == before) {
        const int extra = yahooBatchCount(usSymbols);
        pendingMoversReplies += extra;
        if (extra > 0)
            fetchYahooMoversQuotes(usSymbols, scope);
    }
    finishMoversBatch(scope);
}

void MainWindow::appendAlphaMovers(const QJsonArray &array)
{
    moversList.append(parseAlphaMoversArray(array));
}

void MainWindow::onBinanceMoversReply(const ReplyAnswer &answer, quint64 generation)
{
    if (generation != moversGeneration)
        return;
    const QByteArray &body = answer.body;
    if (answer.failed) {
        appendEventLog(
            localizedText(QStringLiteral("Market movers error: Binance 24h request failed"),
                          QString::fromUtf8("Erro nas oscilações: falha na requisição Binance 24h")));
        loadWatchlistMoversNow();
        return;
    }
    loadMarketMovers(parseBinanceMovers(body), moversScopeLabel(QStringLiteral("crypto")));
}

void MainWindow::loadWatchlistMovers()
{
    // Quotes arrive one by one; the list is rebuilt once for all that arrived meanwhile.
    const quint64 generation = moversGeneration;
    watchlistMoversCall.request([this, generation] {
        // By the time the throttle lets it run, the scope may have changed: a refresh since then has
        // loaded its own list (the watchlist's too, quotes included), and a combo refilled by the
        // settings or a workspace starts none, so the scope itself is asked again.
        if (generation != moversGeneration ||
            (moversScopeCombo && currentMoversScope() != QLatin1String("watchlist")))
            return;
        loadWatchlistMoversNow();
    });
}

void MainWindow::loadWatchlistMoversNow()
{
    const QString label = QStringLiteral("%1 %2").arg(moversScopeLabel(QStringLiteral("watchlist")),
                                                      currentMoversIntervalLabel());
    loadMarketMovers(moversFromQuoteTable(QString()), label);
}

QList<MoverEntry> MainWindow::moversFromQuoteTable(const QString &assetClass) const
{
    QList<MoverEntry> entries;
    if (!quoteTable)
        return entries;
    for (int row = 0; row < quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
        if (!item)
            continue;
        const QString symbol = item->text();
        if (!assetClass.isEmpty() && classifySymbol(symbol) != assetClass)
            continue;
        bool priceOk = false;
        bool changeOk = false;
        MoverEntry entry;
        entry.symbol = symbol;
        entry.price = tableNumber(row, QuoteColumnLast, &priceOk);
        entry.changePct = tableNumber(row, QuoteColumnChange, &changeOk);
        const CandleList series = candlesBySymbol.value(symbol);
        entry.volume = series.isEmpty() ? 0.0 : series.last().volume;
        // Set here, the turnover keeps the turnover rule from reading a coin count as dollars.
        entry.turnover = candleVolumeTurnover(entry.price, entry.volume);
        if (changeOk)
            entry.changePct = localSeriesChange(symbol, entry.changePct);
        if (priceOk && changeOk && isUsableMover(entry))
            entries.append(entry);
    }
    return entries;
}

int MainWindow::appendMoversFromQuoteTable(const QString &assetClass)
{
    const QList<MoverEntry> entries = moversFromQuoteTable(assetClass);
    moversList.append(entries);
    return static_cast<int>(entries.size());
}
