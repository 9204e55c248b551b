#include "app/endpoints.h"
#include "providers/reply_deadline.h"
#include "shell/main_window.h"
#include "streams/stream_messages.h"
#include "watchlist/quote_columns.h"
#include "watchlist/symbol_rules.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDoubleSpinBox>
#include <QJsonDocument>
#include <QLabel>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableWidget>
#include <QTime>
#include <QUrlQuery>

#include <cmath>

namespace {
const QLatin1String kCrypto("Crypto");
} // namespace

QNetworkRequest MainWindow::binanceStreamRequest(const QString &streamNames) const
{
    QUrl url = endpointUrl(Endpoint::BinanceStream, QStringLiteral("/stream"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("streams"), streamNames);
    url.setQuery(query);
    return QNetworkRequest(url);
}

void MainWindow::reapplyBookPreset()
{
    if (bookPresetKey.isEmpty() || !bookStepSpin)
        return;
    // Without a price there is no level to follow (a restart selects its first row before any quote):
    // the step stays as it is rather than collapsing to raw.
    if (!(lastPriceForSymbol(selectedSymbol()) > 0.0))
        return;
    // The stored preset is the user's choice. Following a price that makes two presets coincide (below
    // 0.0001 tight and normal can both give the least step) must not rewrite it, or the next symbol gets
    // the wrong one.
    const QString chosen = bookPresetKey;
    {
        const QSignalBlocker quiet(bookStepSpin);
        bookStepSpin->setValue(defaultBookStep(chosen));
    }
    updateBookPresetButtons();
    bookPresetKey = chosen;
}

void MainWindow::startBookStream()
{
    const QString symbol = selectedSymbol();
    reapplyBookPreset();
    followBookReferencePrice();
    if (symbol.isEmpty()) {
        bookSymbol.clear();
        closeStream(depthSocket, depthLink);
        closeStream(itickSocket, itickLink);
        startTradeStream(QString());
        bookPending = false;
        bookLive = false;
        resetBookPanel(orderBookTitle(QString(), QString()));
        return;
    }
    startTradeStream(symbol);
    const QString assetClass = ::classifySymbol(symbol);
    if (assetClass == QLatin1String("US Equity")) {
        bookSymbol = symbol;
        closeStream(depthSocket, depthLink);
        startItickDepth(symbol);
        return;
    }
    if (assetClass == QLatin1String("BR Equity")) {
        bookSymbol = symbol;
        closeStream(depthSocket, depthLink);
        closeStream(itickSocket, itickLink);
        showB3BookFallback(symbol);
        return;
    }
    if (assetClass != kCrypto) {
        bookSymbol = symbol;
        closeStream(depthSocket, depthLink);
        closeStream(itickSocket, itickLink);
        showQuoteSnapshot(symbol);
        return;
    }
    if (bookSymbol == symbol && depthSocket.state() == QAbstractSocket::ConnectedState)
        return;
    bookSymbol = symbol;
    closeStream(itickSocket, itickLink);
    setupBookTables();
    resetBookPanel(
        orderBookTitle(symbol, localizedText(QStringLiteral("connecting"), QStringLiteral("conectando"))));
    bookPending = true;
    bookLive = false;
    ++bookAttempt;
    depthStreamDelivered = false;
    requestBinanceDepthSnapshot(symbol);
    const QString name = binanceStreamName(symbol, QStringLiteral("@depth20@100ms"));
    if (name.isEmpty())
        closeStream(depthSocket, depthLink); // the REST snapshot is all such a pair gets
    else
        reopenStream(depthSocket, depthLink, binanceStreamRequest(name));
}

void MainWindow::startTickerStream()
{
    QStringList names;
    for (int row = 0; quoteTable && row < quoteTable->rowCount(); ++row) {
        const QTableWidgetItem *item = quoteTable->item(row, QuoteColumnSymbol);
        const QString symbol = item ? item->text() : QString();
        if (::classifySymbol(symbol) != kCrypto)
            continue;
        const QString name = binanceStreamName(symbol, QStringLiteral("@ticker"));
        if (!name.isEmpty()) {
            names << name;
        } else if (!unstreamableSymbolsNamed.contains(symbol)) {
            unstreamableSymbolsNamed.insert(symbol);
            appendEventLog(
                localizedText(QStringLiteral("%1 cannot join the Binance stream; it keeps HTTP quotes"),
                              QStringLiteral("%1 não entra no stream Binance; segue com cotações HTTP"))
                    .arg(symbol));
        }
    }
    if (names.isEmpty()) {
        closeStream(tickerSocket, tickerLink);
        return;
    }
    const QNetworkRequest request = binanceStreamRequest(names.join(QLatin1Char('/')));
    if (tickerSocket.request().url() == request.url() &&
        tickerSocket.state() == QAbstractSocket::ConnectedState)
        return;
    setCryptoRowsStatus(QStringLiteral("ws connecting"));
    reopenStream(tickerSocket, tickerLink, request);
}

void MainWindow::requestBinanceDepthSnapshot(const QString &symbol)
{
    QUrl url = endpointUrl(Endpoint::BinanceRest, QStringLiteral("/api/v3/depth"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("symbol"), symbol);
    query.addQueryItem(QStringLiteral("limit"), QStringLiteral("20"));
    url.setQuery(query);
    QNetworkRequest request(url);
    // A stalled host ends as a network error instead of leaving the book "connecting".
    request.setTransferTimeout(quoteTransferLimitMs);
    const quint64 attempt = bookAttempt;
    awaitReply(
        networkManager.get(request), this, replyDeadlines.quoteMs,
        [this, symbol, attempt](const ReplyAnswer &answer) { onBinanceDepthReply(answer, symbol, attempt); });
}

void MainWindow::onBinanceDepthReply(const ReplyAnswer &answer, const QString &symbol, quint64 attempt)
{
    const QByteArray &body = answer.body;
    const bool failed = answer.failed;
    // A reply of an earlier start, or one the stream has overtaken, would put older depth on the panel.
    if (symbol != bookSymbol || attempt != bookAttempt || depthStreamDelivered)
        return;
    if (failed) {
        bookPending = false;
        bookLive = false;
        showQuoteSnapshot(symbol);
        if (bookTitleLabel)
            bookTitleLabel->setText(
                quoteSnapshotTitle(symbol, localizedText(QStringLiteral("Binance depth unavailable"),
                                                         QString::fromUtf8("depth Binance indisponível"))));
        return;
    }
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    // The REST reply has no "a"/"b" spelling: only its own two arrays count.
    QJsonObject sides;
    sides.insert(QStringLiteral("asks"), object.value(QStringLiteral("asks")).toArray());
    sides.insert(QStringLiteral("bids"), object.value(QStringLiteral("bids")).toArray());
    showCryptoDepth(symbol, sides, QStringLiteral("snapshot"), false);
}

void MainWindow::onBinanceTicker(const QString &message)
{
    const BinanceTicker ticker = parseBinanceTicker(message.toUtf8());
    if (ticker.symbol.isEmpty() || !std::isfinite(ticker.price) || !(ticker.price > 0.0))
        return;
    applyPriceToLastCandle(ticker.symbol, ticker.price);
    updateQuoteRow(ticker.symbol, ticker.price, ticker.changePercent, QStringLiteral("Binance WS"),
                   QStringLiteral("stream"), QStringLiteral("realtime"));
}

void MainWindow::onBinanceDepth(const QString &message)
{
    const BinanceDepth depth = parseBinanceDepth(message.toUtf8());
    if (depth.symbol.isEmpty() || depth.symbol != bookSymbol)
        return;
    QJsonObject sides;
    sides.insert(QStringLiteral("asks"), depth.asks);
    sides.insert(QStringLiteral("bids"), depth.bids);
    showCryptoDepth(depth.symbol, sides, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    // Only a frame that filled the book outdates the REST snapshot; after a thin one the snapshot may
    // still be the first full depth the panel gets.
    if (bookLive)
        depthStreamDelivered = true;
}

void MainWindow::onTickerSocketConnected()
{
    if (!tickerLink.isCurrent())
        return;
    tickerLink.connected();
    statusBar()->showMessage(localizedText(QStringLiteral("Binance WebSocket connected."),
                                           QStringLiteral("WebSocket Binance conectado.")));
    appendEventLog(localizedText(QStringLiteral("Binance ticker stream connected"),
                                 QStringLiteral("Stream de tickers Binance conectado")));
}

void MainWindow::onTickerSocketDisconnected()
{
    if (!tickerLink.isCurrent())
        return;
    setCryptoRowsStatus(QStringLiteral("ws disconnected"));
    // A failed reconnect leaves the rows to the 15-second poll; a real drop refreshes them at once,
    // once per back-off step, so a host that keeps dropping cannot turn the stream into an HTTP burst.
    const StreamBackoff::Drop drop = scheduleStreamReconnect(tickerSocket, tickerLink);
    if (drop.refresh)
        refreshCryptoRestQuotes();
    if (tickerLink.wasConnected())
        appendEventLog(localizedText(QStringLiteral("Binance ticker stream disconnected"),
                                     QStringLiteral("Stream de tickers Binance desconectado")));
}

void MainWindow::onTickerSocketMessage(const QString &message)
{
    if (tickerLink.isCurrent())
        onBinanceTicker(message);
}

void MainWindow::onDepthSocketConnected()
{
    if (!depthLink.isCurrent())
        return;
    depthLink.connected();
    if (bookTitleLabel)
        bookTitleLabel->setText(
            orderBookTitle(bookSymbol, localizedText(QStringLiteral("live"), QStringLiteral("ao vivo"))));
    appendEventLog(localizedText(QStringLiteral("Order book stream connected: %1"),
                                 QStringLiteral("Stream do livro conectado: %1"))
                       .arg(bookSymbol));
}

void MainWindow::onDepthSocketDisconnected()
{
    if (!depthLink.isCurrent())
        return;
    if (!bookSymbol.isEmpty() && bookTitleLabel)
        bookTitleLabel->setText(orderBookTitle(
            bookSymbol, localizedText(QStringLiteral("disconnected"), QStringLiteral("desconectado"))));
    bookPending = false;
    if (!bookLive && !bookSymbol.isEmpty() && bookSymbol == selectedSymbol() &&
        ::classifySymbol(bookSymbol) == kCrypto)
        showQuoteSnapshot(bookSymbol);
    // A connect that failed leaves the book just as stale as a drop, so it is logged the same way.
    appendEventLog(localizedText(QStringLiteral("Order book stream disconnected"),
                                 QStringLiteral("Stream do livro desconectado")));
    scheduleStreamReconnect(depthSocket, depthLink);
}

void MainWindow::onDepthSocketMessage(const QString &message)
{
    if (depthLink.isCurrent())
        onBinanceDepth(message);
}

QTimer *MainWindow::reconnectTimerFor(const QWebSocket &socket)
{
    if (&socket == &tickerSocket)
        return &tickerReconnectTimer;
    if (&socket == &depthSocket)
        return &depthReconnectTimer;
    if (&socket == &tradeSocket)
        return &tradeReconnectTimer;
    return nullptr;
}

StreamBackoff *MainWindow::backoffFor(const QWebSocket &socket)
{
    if (&socket == &tickerSocket)
        return &tickerBackoff;
    if (&socket == &depthSocket)
        return &depthBackoff;
    if (&socket == &tradeSocket)
        return &tradeBackoff;
    return nullptr;
}

StreamBackoff::Drop MainWindow::scheduleStreamReconnect(QWebSocket &socket, const StreamLink &link)
{
    QTimer *timer = reconnectTimerFor(socket);
    StreamBackoff *backoff = backoffFor(socket);
    if (!timer || !backoff)
        return {};
    const StreamBackoff::Drop drop = backoff->dropped(QDeadlineTimer::current().deadline(), link.upForMs());
    timer->start(drop.delayMs);
    return drop;
}

void MainWindow::onStreamReconnectTimer(QWebSocket &socket)
{
    if (&socket == &tickerSocket) {
        startTickerStream();
    } else if (&socket == &depthSocket) {
        const QString name = binanceStreamName(bookSymbol, QStringLiteral("@depth20@100ms"));
        if (!name.isEmpty() && bookSymbol == selectedSymbol() && ::classifySymbol(bookSymbol) == kCrypto)
            reopenStream(depthSocket, depthLink, binanceStreamRequest(name));
    } else if (&socket == &tradeSocket) {
        const QString name = binanceStreamName(tapeSymbol, QStringLiteral("@trade"));
        if (tradeStreamActive && !name.isEmpty())
            reopenStream(tradeSocket, tradeLink, binanceStreamRequest(name));
    }
}
