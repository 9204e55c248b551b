#include "chart/candle_store.h"
#include "providers/yahoo_chart_reply.h"
#include "shell/main_window.h"
#include "watchlist/sorting_pause.h"

#include <QComboBox>
#include <QTableWidget>

#include <cmath>

void MainWindow::refreshRowFromCandles(const QString &symbol)
{
    {
        // The open to close cells and the indicator cells are written under one pause, so a table sorted
        // by any of them cannot move the row between the two writes.
        SortingPause pause(quoteTable);
        const int row = findSymbolRow(symbol);
        if (row >= 0) {
            writeQuoteOhlc(symbol, row);
            updateIndicatorColumns(symbol, row);
        }
    }
    setRowToolTip(symbol);
}

void MainWindow::parseYahooChart(const QString &symbol, const QByteArray &body, qint64 latencyMs,
                                 bool asQuote)
{
    const YahooChartReading reading = readYahooChartReply(body);
    if (!reading.hasResult) {
        if (asQuote) {
            setQuoteStatus(symbol, QStringLiteral("no free data"));
            appendEventLog(localizedText(QStringLiteral("No free data response for: %1"),
                                         QStringLiteral("Sem resposta de dados gratuitos para: %1"))
                               .arg(symbol));
        }
        return;
    }
    if (!std::isfinite(reading.price)) {
        if (asQuote) {
            setQuoteStatus(symbol, QStringLiteral("invalid free data"));
            appendEventLog(localizedText(QStringLiteral("Invalid free data response for: %1"),
                                         QString::fromUtf8("Resposta de dados gratuitos inválida para: %1"))
                               .arg(symbol));
        }
        return;
    }

    if (symbol == QLatin1String("BRL=X"))
        updateFxTicker(reading.price, reading.changePercent);
    // A symbol without a row keeps no candles: one that was removed must not come back.
    if (findSymbolRow(symbol) < 0)
        return;
    const QString timeframe =
        chartTimeframeCombo ? chartTimeframeCombo->currentText() : settings.chartTimeframe;
    const CandleList candles = historyCandlesForTimeframe(reading.candles, timeframe);
    if (!candles.isEmpty()) {
        candlesBySymbol.insert(symbol, candles);
        candleTimeframeBySymbol.insert(symbol, timeframe);
    }
    refreshRowFromCandles(symbol);
    applyPriceToLastCandle(symbol, reading.price);
    if (asQuote) {
        updateQuoteRow(symbol, reading.price, reading.changePercent, QStringLiteral("Yahoo"),
                       QStringLiteral("%1 ms").arg(latencyMs), QStringLiteral("free/delayed"));
    } else if (symbol == selectedSymbol()) {
        refreshChart();
    }
}

CandleList MainWindow::yahooChartCandles(const QJsonArray &timestamps, const QJsonArray &opens,
                                         const QJsonArray &highs, const QJsonArray &lows,
                                         const QJsonArray &closes, const QJsonArray &volumes)
{
    return ::yahooChartCandles(timestamps, opens, highs, lows, closes, volumes);
}
