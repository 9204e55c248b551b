#pragma once

#include "shell/main_window.h"
#include "tests/streams/column_checks.h"
#include "tests/support/shown_window.h"

#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>

// The narrow pane beside the chart, filled through the roads the live data takes.
namespace RightPane {

inline QString tradeFrame(const QByteArray &price, const QByteArray &quantity, bool buyerMaker)
{
    return QString::fromUtf8(
        "{\"stream\":\"btcusdt@trade\",\"data\":{\"e\":\"trade\",\"s\":\"BTCUSDT\",\"p\":\"" + price +
        "\",\"q\":\"" + quantity + "\",\"T\":1592591955765,\"m\":" + (buyerMaker ? "true" : "false") + "}}");
}

// Selects BTCUSDT (of the starting watchlist), shows the tape and feeds it trades through the trade
// socket's handler (five- and six-digit prices, sizes the tape shows with five decimals) until it is full
// enough to show its vertical scroll bar.
inline bool fillTapeWithTrades(ShownWindow &shown)
{
    MainWindow &window = shown.window;
    const int row = window.findSymbolRow(QStringLiteral("BTCUSDT"));
    if (row < 0)
        return false;
    window.quoteTable->setCurrentCell(row, 0);
    window.rightTabs->setCurrentIndex(1);
    shown.settle();
    const QList<QByteArray> prices = {"104250.50000000", "99875.25000000", "104249.99000000"};
    const QList<QByteArray> sizes = {"0.01234000", "1.50000000", "0.00012000"};
    for (int trade = 0; trade < 60 && !window.tapeTable->verticalScrollBar()->isVisible(); ++trade) {
        window.onBinanceTrade(tradeFrame(prices.at(trade % 3), sizes.at(trade % 3), trade % 2 == 1));
        shown.settle();
    }
    return window.tapeTable->verticalScrollBar()->isVisible();
}

// A SHIBUSDT-like depth frame: eight-decimal prices, sizes near a hundred million, so the totals
// run to hundreds of millions.
inline QString shibDepthFrame()
{
    QByteArray bids;
    QByteArray asks;
    for (int level = 0; level < 10; ++level) {
        const QByteArray comma = level ? "," : "";
        bids += comma + "[\"0.0000" + QByteArray::number(1234 - level) + "00\",\"" +
                QByteArray::number(98765432 + level * 1000) + ".12\"]";
        asks += comma + "[\"0.0000" + QByteArray::number(1235 + level) + "00\",\"" +
                QByteArray::number(87654321 + level * 1000) + ".12\"]";
    }
    return QString::fromUtf8(
        "{\"stream\":\"shibusdt@depth20@100ms\",\"data\":{\"lastUpdateId\":1,\"bids\":[" + bids +
        "],\"asks\":[" + asks + "]}}");
}

// A depth frame of ten levels a side for a crypto pair, each side a tick apart from its best price
// outward, every bid of one size and every ask of another (so the book's imbalance is set by the two).
inline QString depthFrame(const QString &symbol, double bestBid, double bestAsk, double tick, double bidSize,
                          double askSize)
{
    QByteArray bids;
    QByteArray asks;
    for (int level = 0; level < 10; ++level) {
        const QByteArray comma = level ? "," : "";
        bids += comma + "[\"" + QByteArray::number(bestBid - level * tick, 'f', 8) + "\",\"" +
                QByteArray::number(bidSize, 'f', 8) + "\"]";
        asks += comma + "[\"" + QByteArray::number(bestAsk + level * tick, 'f', 8) + "\",\"" +
                QByteArray::number(askSize, 'f', 8) + "\"]";
    }
    return QString::fromUtf8("{\"stream\":\"" + symbol.toLower().toUtf8() +
                             "@depth20@100ms\",\"data\":{\"lastUpdateId\":1,\"bids\":[" + bids +
                             "],\"asks\":[" + asks + "]}}");
}

// Selects a crypto pair, adding it to the watchlist when it has no row, shows the book and feeds its
// depth stream's handler one frame; true when the book went live with ten rows a side.
inline bool showDepth(ShownWindow &shown, const QString &symbol, const QString &frame)
{
    MainWindow &window = shown.window;
    if (window.findSymbolRow(symbol) < 0)
        window.addWatchlistRow(symbol, QStringLiteral("Crypto"), QStringLiteral("Binance"),
                               QStringLiteral("pending"), false);
    window.quoteTable->setCurrentCell(window.findSymbolRow(symbol), 0);
    window.rightTabs->setCurrentIndex(0);
    shown.settle();
    window.onBinanceDepth(frame);
    shown.settle();
    return window.bookLive && window.askTable->rowCount() == 10 && window.bidTable->rowCount() == 10;
}

// Adds SHIBUSDT to the watchlist, selects it and feeds its depth stream's handler one full frame.
inline bool showShibDepth(ShownWindow &shown)
{
    return showDepth(shown, QStringLiteral("SHIBUSDT"), shibDepthFrame());
}

// Selects PETR4.SA (of the starting watchlist) and gives it a quote, which the book shows as its
// snapshot, an "Updated" time among its rows.
inline bool showB3Snapshot(ShownWindow &shown)
{
    MainWindow &window = shown.window;
    const int row = window.findSymbolRow(QStringLiteral("PETR4.SA"));
    if (row < 0)
        return false;
    window.quoteTable->setCurrentCell(row, 0);
    window.rightTabs->setCurrentIndex(0);
    window.updateQuoteRow(QStringLiteral("PETR4.SA"), 36.71, -1.25, QStringLiteral("brapi"),
                          QStringLiteral("120 ms"), QStringLiteral("delayed"));
    shown.settle();
    return !window.bookLive && window.bidTable->rowCount() == 5;
}

} // namespace RightPane
