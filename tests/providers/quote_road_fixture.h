#pragma once

#include "app/endpoints.h"
#include "providers/quote.h"
#include "shell/main_window.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/loopback_services.h"
#include "tests/support/temp_home.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <memory>

// A window whose every web service is one loopback fake server, in a private home. Nothing a test
// does can leave the machine: each endpoint variable names the fake server while the fixture lives.
// The window starts as the program does (default watchlist, first row selected and asked for); the
// fixture lets that first request end, then hands the test an empty table, an empty console and a
// server that has recorded nothing. The deferred data start is kept from running.
class QuoteRoad
{
public:
    explicit QuoteRoad(int attemptLimitMs = 11000, int transferLimitMs = 10000)
    {
        QVERIFY(services.isRunning());
        window = std::make_unique<MainWindow>();
        window->marketDataStarted = true;
        QTRY_VERIFY(window->quoteCascades.isEmpty() && unfinishedRequests() == 0);
        window->quoteTable->setRowCount(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        server.clearRequests();
        window->eventConsole->clear();
        window->quoteAttemptLimitMs = attemptLimitMs;
        window->quoteTransferLimitMs = transferLimitMs;
    }

    ~QuoteRoad() { window.reset(); }

    // Choosing a timeframe refreshes every quote; the test starts once that refresh has ended.
    void setTimeframe(const QString &text)
    {
        window->chartTimeframeCombo->setCurrentText(text);
        QTRY_VERIFY(window->quoteCascades.isEmpty() && unfinishedRequests() == 0);
        server.clearRequests();
    }

    int unfinishedRequests() const
    {
        const auto replies = window->networkManager.findChildren<QNetworkReply *>();
        return int(std::count_if(replies.cbegin(), replies.cend(),
                                 [](const QNetworkReply *reply) { return !reply->isFinished(); }));
    }

    QuoteRoad(const QuoteRoad &) = delete;
    QuoteRoad &operator=(const QuoteRoad &) = delete;

    MainWindow &w() { return *window; }

    // A freshly added watchlist row: the symbol, "--" values and "pending".
    void addRow(const QString &symbol)
    {
        QTableWidget *table = window->quoteTable;
        const bool sorting = table->isSortingEnabled();
        table->setSortingEnabled(false);
        const int row = table->rowCount();
        table->insertRow(row);
        window->setQuoteCell(row, QuoteColumnSymbol, symbol);
        window->setQuoteCell(row, QuoteColumnAsset, window->classifySymbol(symbol));
        for (int column = QuoteColumnOpen; column <= QuoteColumnMacd; ++column)
            window->setQuoteCell(row, column, QStringLiteral("--"));
        window->setQuoteCell(row, QuoteColumnSource, QStringLiteral("--"));
        window->setQuoteCell(row, QuoteColumnLatency, QStringLiteral("--"));
        window->setQuoteCell(row, QuoteColumnStatus, QStringLiteral("pending"));
        window->setQuoteCell(row, QuoteColumnUpdated, QStringLiteral("--"));
        table->setSortingEnabled(sorting);
    }

    QString cell(const QString &symbol, int column) const
    {
        const int row = window->findSymbolRow(symbol);
        const QTableWidgetItem *item = row >= 0 ? window->quoteTable->item(row, column) : nullptr;
        return item ? item->text() : QStringLiteral("<none>");
    }

    QString status(const QString &symbol) const { return cell(symbol, QuoteColumnStatus); }
    bool walkRunning(const QString &symbol) const
    {
        const AsyncProviderCascade *cascade = window->quoteCascades.value(symbol);
        return cascade && cascade->running;
    }
    QString source(const QString &symbol) const { return cell(symbol, QuoteColumnSource); }
    QString console() const { return window->eventConsole->toPlainText(); }

    // The paths the server was asked for, in order.
    QStringList paths() const
    {
        QStringList out;
        for (const RecordedRequest &request : server.requests())
            out << request.path;
        return out;
    }

    // Lets deferred deletions and queued replies run.
    static void settle(int ms = 50) { QTest::qWait(ms); }

    TempHome home;
    LoopbackServices services;
    FakeHttpServer &server = services.server();
    std::unique_ptr<MainWindow> window;
};

// Request paths of each provider for the symbols the tests use.
namespace RoadPath {
inline const QString finnhub = QStringLiteral("/api/v1/quote");
inline const QString twelve = QStringLiteral("/quote");
inline const QString alpha = QStringLiteral("/query");
inline const QString binance = QStringLiteral("/api/v3/ticker/24hr");
inline QString fmp(const QString &symbol)
{
    return QStringLiteral("/api/v3/quote/") + symbol;
}
inline QString yahoo(const QString &encodedSymbol)
{
    return QStringLiteral("/v8/finance/chart/") + encodedSymbol;
}
inline QString brapi(const QString &ticker)
{
    return QStringLiteral("/api/quote/") + ticker;
}
} // namespace RoadPath

// Small replies each provider accepts as a quote.
namespace RoadReply {
inline QByteArray yahoo(double price, double previousClose = 0)
{
    QByteArray meta = "{\"regularMarketPrice\":" + QByteArray::number(price, 'f', 4);
    if (previousClose > 0)
        meta += ",\"previousClose\":" + QByteArray::number(previousClose, 'f', 4);
    meta += "}";
    const QByteArray p = QByteArray::number(price, 'f', 4);
    return "{\"chart\":{\"result\":[{\"meta\":" + meta +
           ",\"timestamp\":[1700000000,1700003600],"
           "\"indicators\":{\"quote\":[{\"open\":[" +
           p + "," + p + "],\"high\":[" + p + "," + p + "],\"low\":[" + p + "," + p + "],\"close\":[" + p +
           "," + p + "],\"volume\":[10,20]}]}}],\"error\":null}}";
}
inline QByteArray finnhub(double price)
{
    return "{\"c\":" + QByteArray::number(price) +
           ",\"d\":1,\"dp\":0.5,\"h\":1,\"l\":1,\"o\":1,\"pc\":1,\"t\":1}";
}
inline QByteArray twelve(const QByteArray &symbol, double price)
{
    return "{\"symbol\":\"" + symbol + "\",\"close\":\"" + QByteArray::number(price) +
           "\",\"percent_change\":\"0.25\",\"open\":\"1\",\"high\":\"1\",\"low\":\"1\",\"previous_close\":"
           "\"1\"}";
}
inline QByteArray fmp(double price)
{
    return "[{\"symbol\":\"AAPL\",\"price\":" + QByteArray::number(price) + ",\"changesPercentage\":1.0}]";
}
inline QByteArray alpha(double price)
{
    return "{\"Global Quote\":{\"01. symbol\":\"AAPL\",\"02. open\":\"1\",\"03. high\":\"2\",\"04. "
           "low\":\"1\","
           "\"05. price\":\"" +
           QByteArray::number(price) +
           "\",\"06. volume\":\"100\","
           "\"10. change percent\":\"1.5%\"}}";
}
inline QByteArray brapi(double price)
{
    return "{\"results\":[{\"symbol\":\"PETR4\",\"regularMarketPrice\":" + QByteArray::number(price) +
           ",\"regularMarketChangePercent\":1.1,\"historicalDataPrice\":[]}]}";
}
inline QByteArray binance(double price)
{
    return "{\"symbol\":\"BTCUSDT\",\"lastPrice\":\"" + QByteArray::number(price) +
           "\",\"priceChangePercent\":\"2.0\",\"openPrice\":\"1\",\"highPrice\":\"1\",\"lowPrice\":\"1\","
           "\"volume\":\"5\"}";
}
} // namespace RoadReply
