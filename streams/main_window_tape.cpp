#include "app/endpoints.h"
#include "shell/formats.h"
#include "shell/main_window.h"
#include "streams/stream_messages.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"
#include "watchlist/symbol_rules.h"

#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QNetworkRequest>
#include <QTableWidget>
#include <QUrlQuery>

#include <cmath>
#include <limits>

namespace {
constexpr int kTapeRows = 200;
const QColor kBuyColour(QStringLiteral("#20c878"));
const QColor kSellColour(QStringLiteral("#f45d5d"));
const QColor kUnknownChangeColour(QStringLiteral("#f2c078"));

bool socketBusy(const QWebSocket &socket)
{
    const auto state = socket.state();
    return state == QAbstractSocket::ConnectedState || state == QAbstractSocket::ConnectingState ||
           state == QAbstractSocket::HostLookupState;
}
} // namespace

QString MainWindow::quoteTapeTitle(const QString &symbol, const QString &status) const
{
    QString title = localizedText(QStringLiteral("QUOTE TAPE"), QString::fromUtf8("FITA DE COTAÇÕES"));
    if (!symbol.isEmpty())
        title += QStringLiteral("  ") + symbol;
    if (!status.isEmpty())
        title += QStringLiteral("  ") + status;
    return title;
}

QString MainWindow::tapeSideLabel(const QString &key) const
{
    if (key == QLatin1String("buy"))
        return localizedText(QStringLiteral("Buy"), QStringLiteral("Compra"));
    if (key == QLatin1String("sell"))
        return localizedText(QStringLiteral("Sell"), QStringLiteral("Venda"));
    if (key == QLatin1String("quote"))
        return localizedText(QStringLiteral("Quote"), QString::fromUtf8("Cotação"));
    return localizedText(QStringLiteral("All"), QStringLiteral("Todos"));
}

QString MainWindow::tapeSideFilter() const
{
    if (!tapeSideCombo)
        return QStringLiteral("all");
    const QString key = tapeSideCombo->currentData().toString();
    return key.isEmpty() ? tapeSideCombo->currentText().toLower() : key;
}

bool MainWindow::tapeRowPassesFilter(const QString &side, double size) const
{
    if (tapeSideCombo) {
        const QString key = tapeSideFilter();
        if ((key == QLatin1String("buy") || key == QLatin1String("sell")) && side != tapeSideLabel(key))
            return false;
        if (key == QLatin1String("quote") && !side.startsWith(tapeSideLabel(key)))
            return false;
    }
    if (!tapeMinSizeSpin)
        return true;
    // Quote rows have no size: they pass only while no minimum is asked for.
    if (!std::isfinite(size))
        return tapeMinSizeSpin->value() <= 0.0;
    return size >= tapeMinSizeSpin->value();
}

void MainWindow::resetTapePanel(const QString &title)
{
    if (tapeTitleLabel)
        tapeTitleLabel->setText(title);
    if (tapeTable)
        tapeTable->setRowCount(0);
}

void MainWindow::setTapeItem(int row, int column, const QString &text, const QColor &colour,
                             std::optional<double> sortNumber)
{
    if (!tapeTable)
        return;
    MarketTableItem *item =
        sortNumber ? MarketTableItem::withNumber(text, *sortNumber) : new MarketTableItem(text);
    item->setForeground(QBrush(colour));
    tapeTable->setItem(row, column, item);
}

void MainWindow::insertTapeRow(const QString &timeText, double price, double size, const QString &side,
                               const QColor &colour)
{
    if (!tapeTable || !tapeRowPassesFilter(side, size))
        return;
    // Rows stay in arrival order, newest on top.
    tapeTable->setSortingEnabled(false);
    tapeTable->insertRow(0);
    setTapeItem(0, 0, timeText, colour);
    setTapeItem(0, 1, formatPrice(price), colour, price);
    if (std::isfinite(size))
        setTapeItem(0, 2, QString::number(size, 'f', 5), colour, size);
    else
        setTapeItem(0, 2, QStringLiteral("--"), colour);
    setTapeItem(0, 3, side, colour);
    while (tapeTable->rowCount() > kTapeRows)
        tapeTable->removeRow(tapeTable->rowCount() - 1);
}

void MainWindow::appendQuoteTapeRow(const QString &symbol, double last, double changePercent,
                                    const QString &source, const QString &latencyText, const QString &status)
{
    if (!tapeTable || symbol != tapeSymbol || symbol != selectedSymbol())
        return;
    if ((::classifySymbol(symbol) == QLatin1String("Crypto") && tradeStreamActive) || !std::isfinite(last))
        return;
    if (tapeTitleLabel)
        tapeTitleLabel->setText(quoteTapeTitle(
            symbol, localizedText(QStringLiteral("delayed fallback"), QStringLiteral("fallback com delay"))));
    QColor colour = kUnknownChangeColour;
    if (std::isfinite(changePercent))
        colour = changePercent >= 0.0 ? kBuyColour : kSellColour;
    QString sourceText = source;
    for (const QString &extra : {latencyText, status}) {
        if (!extra.isEmpty() && extra != QLatin1String("--"))
            sourceText += QLatin1Char(' ') + extra;
    }
    insertTapeRow(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")), last,
                  std::numeric_limits<double>::quiet_NaN(),
                  QStringLiteral("%1  %2").arg(tapeSideLabel(QStringLiteral("quote")), sourceText.trimmed()),
                  colour);
}

void MainWindow::appendQuoteTapeRowFromWatchlist(const QString &symbol, const QString &source)
{
    const int row = findSymbolRow(symbol);
    if (row < 0)
        return;
    const QTableWidgetItem *lastItem = quoteTable->item(row, QuoteColumnLast);
    double price = 0.0;
    if (!lastItem || lastItem->text() == QLatin1String("--") || !marketItemNumber(*lastItem, &price) ||
        !(price > 0.0))
        return;
    const QTableWidgetItem *sourceItem = quoteTable->item(row, QuoteColumnSource);
    const QTableWidgetItem *latencyItem = quoteTable->item(row, QuoteColumnLatency);
    const QTableWidgetItem *statusItem = quoteTable->item(row, QuoteColumnStatus);
    appendQuoteTapeRow(symbol, price, std::numeric_limits<double>::quiet_NaN(),
                       sourceItem && !sourceItem->text().isEmpty() ? sourceItem->text() : source,
                       latencyItem ? latencyItem->text() : QStringLiteral("--"),
                       statusItem ? statusItem->text() : QStringLiteral("delayed"));
}

void MainWindow::onTapeClearClicked()
{
    if (tapeTable)
        tapeTable->setRowCount(0);
}

void MainWindow::onTapeFilterChanged()
{
    if (tapeTable)
        tapeTable->setRowCount(0);
    appendQuoteTapeRowFromWatchlist(tapeSymbol, QStringLiteral("Filter"));
}

void MainWindow::startTradeStream(const QString &symbol)
{
    if (symbol.isEmpty()) {
        tapeSymbol.clear();
        tradeStreamActive = false;
        closeStream(tradeSocket, tradeLink);
        resetTapePanel(timeAndSalesTitle(QString(), localizedText(QStringLiteral("select ticker"),
                                                                  QStringLiteral("selecione um ticker"))));
        return;
    }
    const QString streamName = binanceStreamName(symbol, QStringLiteral("@trade"));
    // A pair whose name cannot travel in a stream address has no trade feed: it gets quote rows.
    if (::classifySymbol(symbol) != QLatin1String("Crypto") || streamName.isEmpty()) {
        tapeSymbol = symbol;
        tradeStreamActive = false;
        closeStream(tradeSocket, tradeLink);
        resetTapePanel(quoteTapeTitle(
            symbol, localizedText(QStringLiteral("delayed fallback"), QStringLiteral("fallback com delay"))));
        appendQuoteTapeRowFromWatchlist(
            symbol, localizedText(QStringLiteral("Selected"), QStringLiteral("Selecionado")));
        return;
    }
    if (tapeSymbol == symbol && socketBusy(tradeSocket))
        return;
    tapeSymbol = symbol;
    tradeStreamActive = true;
    resetTapePanel(
        timeAndSalesTitle(symbol, localizedText(QStringLiteral("connecting"), QStringLiteral("conectando"))));
    QUrl url = endpointUrl(Endpoint::BinanceStream, QStringLiteral("/stream"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("streams"), streamName);
    url.setQuery(query);
    reopenStream(tradeSocket, tradeLink, QNetworkRequest(url));
}

void MainWindow::onTradeSocketConnected()
{
    if (!tradeLink.isCurrent())
        return;
    tradeLink.connected();
    if (tapeTitleLabel)
        tapeTitleLabel->setText(
            timeAndSalesTitle(tapeSymbol, localizedText(QStringLiteral("live"), QStringLiteral("ao vivo"))));
    appendEventLog(localizedText(QStringLiteral("Trade tape stream connected: %1"),
                                 QStringLiteral("Stream de negócios conectado: %1"))
                       .arg(tapeSymbol));
}

void MainWindow::onTradeSocketDisconnected()
{
    if (!tradeLink.isCurrent())
        return;
    if (tradeStreamActive && tapeTitleLabel && !tapeSymbol.isEmpty())
        tapeTitleLabel->setText(timeAndSalesTitle(
            tapeSymbol, localizedText(QStringLiteral("disconnected"), QStringLiteral("desconectado"))));
    if (tradeStreamActive && !tapeSymbol.isEmpty())
        scheduleStreamReconnect(tradeSocket, tradeLink);
}

void MainWindow::onTradeSocketMessage(const QString &message)
{
    if (tradeLink.isCurrent())
        onBinanceTrade(message);
}

void MainWindow::onBinanceTrade(const QString &message)
{
    if (!tradeStreamActive)
        return;
    const BinanceTrade trade = parseBinanceTrade(message.toUtf8());
    if (trade.symbol.isEmpty() || trade.symbol != tapeSymbol || !tapeTable)
        return;
    if (!std::isfinite(trade.price) || !(trade.price > 0.0))
        return;
    // A trade without its own time is stamped on arrival rather than at the epoch.
    const QDateTime time =
        trade.hasTime ? QDateTime::fromMSecsSinceEpoch(trade.timeMs) : QDateTime::currentDateTime();
    const bool sell = trade.buyerMaker;
    insertTapeRow(time.toString(QStringLiteral("HH:mm:ss")), trade.price, trade.quantity,
                  tapeSideLabel(sell ? QStringLiteral("sell") : QStringLiteral("buy")),
                  sell ? kSellColour : kBuyColour);
}
