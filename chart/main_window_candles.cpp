#include "chart/candle_store.h"
#include "chart/indicators.h"
#include "chart/price_chart.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QDateTime>

#include <cmath>

void MainWindow::recordQuoteSample(const QString &symbol, double open, double high, double low, double price,
                                   double volume)
{
    // A rejected sample must not leave an empty entry behind for a symbol that had none.
    if (!std::isfinite(price) || price <= 0.0)
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const auto heldFor = candleTimeframeBySymbol.constFind(symbol);
    const LastBarKind lastBar =
        lastBarKindFor(heldFor == candleTimeframeBySymbol.constEnd() ? nullptr : &*heldFor);
    writeCandleTail(symbol, [&](CandleList &candles) {
        ::recordQuoteSample(candles, open, high, low, price, volume, now, lastBar);
    });
}

void MainWindow::writeCandleTail(const QString &symbol, const std::function<void(CandleList &)> &write)
{
    // The chart shares the shown symbol's list; while it holds its share, writing the store's list
    // would first copy every candle. It lets go for the write and takes the list back after it.
    const bool shown = priceChart && priceChart->chartSymbol() == symbol;
    if (shown)
        priceChart->releaseSeries();
    write(candlesBySymbol[symbol]);
    if (shown)
        priceChart->restoreSeries(candlesBySymbol.value(symbol));
}

CandleList MainWindow::aggregateCandlesByHours(const CandleList &candles, int hours)
{
    return ::aggregateCandlesByHours(candles, hours);
}

QPair<QString, QString> MainWindow::chartIntervalAndRange() const
{
    return ::chartIntervalAndRange(chartTimeframeCombo ? chartTimeframeCombo->currentText()
                                                       : settings.chartTimeframe);
}

double MainWindow::latestSma(const CandleList &candles, int period)
{
    return ::latestSma(candles, period);
}

double MainWindow::latestEma(const CandleList &candles, int period)
{
    return ::latestEma(candles, period);
}

double MainWindow::latestVwap(const CandleList &candles, bool sessionReset)
{
    return ::latestVwap(candles, sessionReset);
}
