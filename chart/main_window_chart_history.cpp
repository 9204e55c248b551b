#include "app/endpoints.h"
#include "chart/candle_store.h"
#include "chart/price_chart.h"
#include "providers/fetchers.h"
#include "providers/reply_deadline.h"
#include "providers/reply_drop.h"
#include "shell/main_window.h"
#include "watchlist/quote_columns.h"

#include <QComboBox>
#include <QDateTime>
#include <QNetworkReply>
#include <QTableWidget>

QString MainWindow::currentChartTimeframe() const
{
    return chartTimeframeCombo ? chartTimeframeCombo->currentText() : settings.chartTimeframe;
}

QString MainWindow::binanceKlineInterval() const
{
    return ::binanceKlineInterval(currentChartTimeframe());
}

void MainWindow::requestBinanceKlines(const QString &symbol)
{
    const qint64 startMs = QDateTime::currentMSecsSinceEpoch();
    const QString interval = binanceKlineInterval();
    // Each request supersedes the symbol's earlier ones: replies finish in any order, and only the
    // newest may write the series.
    const quint64 generation = klineGenerations.value(symbol, 0) + 1;
    klineGenerations.insert(symbol, generation);

    const QUrl url = urlWithQuery(endpointUrl(Endpoint::BinanceRest, QStringLiteral("/api/v3/klines")),
                                  {{QStringLiteral("symbol"), symbol},
                                   {QStringLiteral("interval"), interval},
                                   {QStringLiteral("limit"), QStringLiteral("180")}});
    QNetworkRequest request(url);
    // Like every other request: a stalled host must not hold the reply open for ever.
    request.setTransferTimeout(quoteTransferLimitMs);
    // The earlier request's candles would be thrown away on arrival: it ends now instead of holding a
    // connection to the exchange until it finishes.
    if (const QPointer<QNetworkReply> earlier = klineReplies.take(symbol)) {
        chartRequestReplies.remove(symbol, earlier);
        dropReply(earlier, this);
    }
    QNetworkReply *reply = networkManager.get(request);
    // Registered with the other chart requests, so that the row's removal ends it.
    chartRequestReplies.insert(symbol, reply);
    klineReplies.insert(symbol, reply);
    awaitReply(reply, this, replyDeadlines.historyMs,
               [this, reply = QPointer<QNetworkReply>(reply), symbol, startMs, generation,
                interval](const ReplyAnswer &answer) {
                   chartRequestReplies.remove(symbol, reply);
                   if (klineReplies.value(symbol) == reply)
                       klineReplies.remove(symbol);
                   onBinanceKlinesReply(answer, symbol, startMs, generation, interval);
               });
}

void MainWindow::onBinanceKlinesReply(const ReplyAnswer &answer, const QString &symbol, qint64 startMs,
                                      quint64 generation, const QString &interval)
{
    const qint64 elapsedMs = QDateTime::currentMSecsSinceEpoch() - startMs;
    const QByteArray &body = answer.body;
    const bool failed = answer.failed;

    // A newer request for the symbol, another timeframe on the chart, or a symbol no longer watched:
    // this reply describes nothing the window shows.
    if (klineGenerations.value(symbol, 0) != generation || interval != binanceKlineInterval() ||
        findSymbolRow(symbol) < 0)
        return;

    if (failed) {
        // The reply's own error text names the URL; only the symbol is reported.
        setQuoteStatus(symbol, QStringLiteral("kline error"));
        appendEventLog(localizedText(QStringLiteral("Binance kline error: %1"),
                                     QStringLiteral("Erro de kline Binance: %1"))
                           .arg(symbol));
        return;
    }
    const CandleList candles = parseBinanceKlines(body);
    if (candles.isEmpty())
        return;
    candlesBySymbol.insert(symbol, candles);
    candleTimeframeBySymbol.insert(symbol, currentChartTimeframe());
    setQuoteLatency(symbol, QStringLiteral("%1 ms").arg(elapsedMs));
    refreshRowFromCandles(symbol);
    if (symbol == selectedSymbol())
        refreshChart();
}

QString MainWindow::chartDrawingsKey(const QString &symbol, const QString &timeframe)
{
    if (symbol.isEmpty())
        return QString();
    return symbol + QLatin1Char('|') + timeframe;
}

void MainWindow::storeChartDrawings()
{
    if (currentDrawingsKey.isEmpty() || !priceChart)
        return;
    // Only keys that have drawings are kept: an entry for every symbol and timeframe ever shown
    // would grow the settings file for nothing.
    const QJsonArray drawings = priceChart->drawingsToJson();
    if (drawings.isEmpty())
        chartDrawings.remove(currentDrawingsKey);
    else
        chartDrawings.insert(currentDrawingsKey, drawings);
}

void MainWindow::refreshChart()
{
    if (!priceChart)
        return;
    const QString symbol = selectedSymbol();
    const QString timeframe = currentChartTimeframe();
    const int style = currentChartMode() == QLatin1String("candle") ? 1 : 0;
    const QString key = chartDrawingsKey(symbol, timeframe);
    // Drawings change only through the chart's changed callback, which stores them; this runs on every
    // quote, so it stores them only when the chart leaves their symbol or timeframe.
    const bool keyChanged = key != currentDrawingsKey;
    if (keyChanged)
        storeChartDrawings();
    priceChart->setSeries(symbol, candlesBySymbol.value(symbol), style, timeframe);
    // The same key keeps the drawings on screen: reloading them would end a drag or an edit that is
    // under way while quotes arrive.
    if (keyChanged) {
        priceChart->loadDrawings(chartDrawings.value(key).toArray());
        currentDrawingsKey = key;
    }
}

void MainWindow::onChartChanged()
{
    storeChartDrawings();
    // Every table's headers, not only the SMA and EMA titles that carry the chart's periods: this also
    // refreshes the portfolio, which a chart change made without any quote would otherwise leave stale.
    retranslateTables();
    refreshAllIndicatorColumns();
    refreshScreener();
    saveLocalSettings();
}
