#include "app/endpoints.h"
#include "providers/fetchers.h"
#include "providers/provider_catalogue.h"
#include "providers/reply_deadline.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QNetworkReply>

namespace {
// The direct requests outside the fetchers introduce themselves with their own agent.
const QByteArray kDirectUserAgent = QByteArrayLiteral("MURVEX_TERMINAL/0.1 Qt");
} // namespace

void MainWindow::requestYahooChart(const QString &symbol, bool asQuote)
{
    const qint64 startMs = QDateTime::currentMSecsSinceEpoch();
    if (asQuote)
        setQuoteStatus(symbol, QStringLiteral("loading"));

    // Encoded like the fetchers' paths: no character of a symbol may end the segment or add a query.
    // A symbol that cannot be a segment gets an empty URL, which the network layer refuses unsent.
    QUrl url;
    if (const std::optional<QString> segment = encodedPathSegment(symbol)) {
        const auto [interval, range] = chartIntervalAndRange();
        url = urlWithQuery(endpointUrl(Endpoint::Yahoo, QStringLiteral("/v8/finance/chart/") + *segment),
                           {{QStringLiteral("interval"), interval},
                            {QStringLiteral("range"), range},
                            {QStringLiteral("includePrePost"), QStringLiteral("false")}});
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, kDirectUserAgent);
    // Like every quote request: a stalled host must not leave the row loading for ever.
    request.setTransferTimeout(quoteTransferLimitMs);

    const QString timeframe =
        chartTimeframeCombo ? chartTimeframeCombo->currentText() : settings.chartTimeframe;
    QNetworkReply *reply = networkManager.get(request);
    chartRequestReplies.insert(symbol, reply);
    // The one reply serves as a quote or as a candle history, and is given that one's time.
    awaitReply(reply, this, asQuote ? replyDeadlines.quoteMs : replyDeadlines.historyMs,
               [this, reply = QPointer<QNetworkReply>(reply), symbol, startMs, asQuote,
                timeframe](const ReplyAnswer &answer) {
                   chartRequestReplies.remove(symbol, reply);
                   onYahooChartReply(answer, symbol, startMs, asQuote, timeframe);
               });
}

void MainWindow::onYahooChartReply(const ReplyAnswer &answer, const QString &symbol, qint64 startMs,
                                   bool asQuote, const QString &timeframe)
{
    const qint64 latencyMs = QDateTime::currentMSecsSinceEpoch() - startMs;
    const QByteArray &body = answer.body;
    const bool failed = answer.failed;

    // Candles of a timeframe the user has left would replace the series the chart now shows.
    const QString currentTimeframe =
        chartTimeframeCombo ? chartTimeframeCombo->currentText() : settings.chartTimeframe;
    if (timeframe != currentTimeframe)
        return;

    if (!failed) {
        parseYahooChart(symbol, body, latencyMs, asQuote);
        return;
    }
    if (!asQuote)
        return;
    // The reply's own error text names the URL; only the symbol is reported.
    setQuoteStatus(symbol, QStringLiteral("http error"));
    setQuoteLatency(symbol, QStringLiteral("%1 ms").arg(latencyMs));
    appendEventLog(
        localizedText(QStringLiteral("Yahoo quote error: %1"), QString::fromUtf8("Erro de cotação Yahoo: %1"))
            .arg(symbol));
}

void MainWindow::requestChartHistory(const QString &symbol)
{
    const QStringList providers =
        providersFor(historySourceForClass(symbol), ProviderDataKind::History, effectiveApiKeys());
    if (providers.isEmpty())
        return;
    const QString &first = providers.first();
    if (first == QLatin1String("binance_public"))
        requestBinanceKlines(symbol);
    else if (first == QLatin1String("yahoo_us") || first == QLatin1String("yahoo_b3") ||
             first == QLatin1String("yahoo_fx"))
        requestYahooChart(symbol, false);
    // B3 history comes with the brapi quote itself.
}
