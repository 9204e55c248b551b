#include "chart/price_chart.h"
#include "providers/quote.h"
#include "shell/formats.h"
#include "shell/main_window.h"
#include "tests/support/test_main.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"
#include "watchlist/quote_display.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>

#include <cmath>
#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const int kTagRole = Qt::UserRole + 1; // which symbol a row's Asset cell was made for
const qint64 kFourHours = 4 * 3600;
const qint64 kBucketStart = 1700006400; // a multiple of four hours

// A freshly added watchlist row: the symbol, its class, "--" values, the default source, "pending".
// The Asset cell is never rewritten by a quote, so its tag tells whose row it is after any sort.
// A fresh window seeds the default watchlist; these tests build their own rows.
void clearSeededRows(MainWindow &window)
{
    window.quoteTable->setRowCount(0);
    window.updateQuoteTiles();
}

void addRow(MainWindow &window, const QString &symbol)
{
    QTableWidget *table = window.quoteTable;
    const bool sorting = table->isSortingEnabled();
    table->setSortingEnabled(false);
    const int row = table->rowCount();
    table->insertRow(row);
    window.setQuoteCell(row, QuoteColumnSymbol, symbol);
    auto *asset = new MarketTableItem(window.classifySymbol(symbol));
    asset->setData(kTagRole, symbol);
    table->setItem(row, QuoteColumnAsset, asset);
    for (int column = QuoteColumnOpen; column <= QuoteColumnMacd; ++column)
        window.setQuoteCell(row, column, QStringLiteral("--"));
    window.setQuoteCell(row, QuoteColumnSource, QStringLiteral("Yahoo"));
    window.setQuoteCell(row, QuoteColumnLatency, QStringLiteral("--"));
    window.setQuoteCell(row, QuoteColumnStatus, QStringLiteral("pending"));
    window.setQuoteCell(row, QuoteColumnUpdated, QStringLiteral("--"));
    table->setSortingEnabled(sorting);
}

// A table that keeps the order rows were added in until a test sorts it.
void keepInsertionOrder(MainWindow &window)
{
    window.quoteTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

QString cell(const MainWindow &window, const QString &symbol, int column)
{
    const int row = window.findSymbolRow(symbol);
    const QTableWidgetItem *item = row >= 0 ? window.quoteTable->item(row, column) : nullptr;
    return item ? item->text() : QStringLiteral("<none>");
}

QString changeColour(const MainWindow &window, const QString &symbol)
{
    const QTableWidgetItem *item = window.quoteTable->item(window.findSymbolRow(symbol), QuoteColumnChange);
    return item ? item->foreground().color().name() : QString();
}

// Hourly candles from `firstTime`, rising by one per hour from `price`.
CandleList hourlyCandles(int count, double price, qint64 firstTime)
{
    CandleList out;
    for (int i = 0; i < count; ++i) {
        const double open = price + i;
        out.append({firstTime + i * 3600, open, open + 2.0, open - 1.0, open + 1.0, 100.0 + i});
    }
    return out;
}

Quote makeQuote(const QString &symbol, double price, double change, const CandleList &candles = {},
                const QString &source = QStringLiteral("Test Feed"))
{
    Quote quote;
    quote.symbol = symbol;
    quote.source = source;
    quote.price = price;
    quote.changePercent = change;
    quote.open = price - 1.0;
    quote.high = price + 1.0;
    quote.low = price - 2.0;
    quote.prevClose = price - 0.5;
    quote.volume = 1000.0;
    quote.candles = candles;
    return quote;
}

QString expectedIndicator(double value)
{
    return std::isfinite(value) ? formatPrice(value) : QStringLiteral("--");
}

// MACD is no price: it keeps 4 decimals below 1 (2 from 1000 up).
QString expectedMacd(double value)
{
    return std::isfinite(value) ? QString::number(value, 'f', value >= 1000.0 ? 2 : 4) : QStringLiteral("--");
}

// What one row should show after its last quote; the candle-derived cells are read from the store.
struct Expected
{
    QString last;
    QString change;
    QString colour;
    QString source;
    QString latency;
    QString status; // key
};

// Every row holds its own symbol's cells: the Asset tag, the quote's cells, the candle cells and the
// tooltip all belong to the symbol in column 0. Returns what is wrong, or nothing.
QString rowProblem(const MainWindow &window, const QMap<QString, Expected> &expected)
{
    const QTableWidget *table = window.quoteTable;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString symbol = table->item(row, QuoteColumnSymbol)->text();
        const Expected e = expected.value(symbol);
        auto text = [&](int column) {
            const QTableWidgetItem *item = table->item(row, column);
            return item ? item->text() : QStringLiteral("<none>");
        };
        const CandleList candles = window.candlesBySymbol.value(symbol);
        QStringList want(QuoteColumnCount);
        want[QuoteColumnSymbol] = symbol;
        want[QuoteColumnAsset] = window.classifySymbol(symbol);
        for (int column = QuoteColumnOpen; column <= QuoteColumnMacd; ++column)
            want[column] = QStringLiteral("--");
        if (!candles.isEmpty()) {
            const Candle &c = candles.constLast();
            want[QuoteColumnOpen] = formatPrice(c.open);
            want[QuoteColumnHigh] = formatPrice(c.high);
            want[QuoteColumnLow] = formatPrice(c.low);
            want[QuoteColumnClose] = formatPrice(c.close);
            want[QuoteColumnSma] = expectedIndicator(MainWindow::latestSma(candles, 20));
            want[QuoteColumnEma] = expectedIndicator(MainWindow::latestEma(candles, 20));
            want[QuoteColumnVwap] = expectedIndicator(MainWindow::latestVwap(candles, false));
            want[QuoteColumnMacd] =
                expectedMacd(MainWindow::latestEma(candles, 12) - MainWindow::latestEma(candles, 26));
        }
        want[QuoteColumnLast] = e.last;
        want[QuoteColumnChange] = e.change;
        want[QuoteColumnSource] = e.source;
        want[QuoteColumnLatency] = e.latency;
        want[QuoteColumnStatus] = window.providerStatusText(e.status);
        for (int column = 0; column < QuoteColumnUpdated; ++column) {
            if (text(column) != want.at(column))
                return QStringLiteral("%1 column %2: %3, expected %4")
                    .arg(symbol)
                    .arg(column)
                    .arg(text(column), want.at(column));
        }
        if (table->item(row, QuoteColumnAsset)->data(kTagRole).toString() != symbol)
            return QStringLiteral("%1: Asset cell of another row").arg(symbol);
        const QString colour = table->item(row, QuoteColumnChange)->foreground().color().name();
        if (colour != e.colour)
            return QStringLiteral("%1: change colour %2, expected %3").arg(symbol, colour, e.colour);
        const QString tooltip = window.chartTooltipText(symbol);
        for (int column = 0; column < QuoteColumnCount; ++column) {
            if (table->item(row, column)->toolTip() != tooltip)
                return QStringLiteral("%1 column %2: tooltip of another row").arg(symbol).arg(column);
        }
    }
    return QString();
}

// Adjacent rows are in the order the header shows.
bool sortedBy(const QTableWidget *table, int column, Qt::SortOrder order)
{
    for (int row = 0; row + 1 < table->rowCount(); ++row) {
        const QTableWidgetItem *a = table->item(row, column);
        const QTableWidgetItem *b = table->item(row + 1, column);
        if (order == Qt::AscendingOrder ? (*b < *a) : (*a < *b))
            return false;
    }
    return true;
}

struct Feed
{
    QString symbol;
    QString provider;
    int candles; // candles the quote carries
};

// One symbol of each market and each quote road: quotes with and without candles, free and keyed.
const QList<Feed> kFeeds = {{"AAPL", "finnhub", 0},          {"MSFT", "yahoo_us", 30},
                            {"PETR4.SA", "brapi_public", 0}, {"VALE3.SA", "brapi_keyed", 0},
                            {"EURUSD=X", "yahoo_fx", 0},     {"BTCUSDT", "binance_public", 40},
                            {"ETHUSDT", "binance_public", 0}};

// Two rounds of quotes whose changes reverse the order of the rows, with a missing change and, in
// the second round, a missing price.
const QList<double> kRoundPrices[2] = {{190.5, 1010.0, 38.5, 61.02, 1.0845, 65000.0, 3100.0},
                                       {185.25, 998.5, 40.1, 59.0, 1.09, 66000.5, kNaN}};
const QList<double> kRoundChanges[2] = {{1.0, -2.0, 3.0, kNaN, 0.5, -0.1, 2.2},
                                        {-3.0, 2.0, -1.0, 0.25, kNaN, 4.0, -0.5}};

QMap<QString, Expected> applyRound(MainWindow &window, int round)
{
    QMap<QString, Expected> expected;
    for (int i = 0; i < kFeeds.size(); ++i) {
        const Feed &feed = kFeeds.at(i);
        const double price = kRoundPrices[round].at(i);
        const double change = kRoundChanges[round].at(i);
        const QString source = QStringLiteral("Feed %1%2").arg(QChar('A' + i)).arg(round);
        const CandleList candles =
            feed.candles ? hourlyCandles(feed.candles, 50.0 * (i + 1) + round, kBucketStart) : CandleList();
        window.applyQuote(feed.symbol, feed.provider, makeQuote(feed.symbol, price, change, candles, source),
                          100 + 10 * i + round);
        const bool free = feed.provider.startsWith(QLatin1String("yahoo")) || feed.provider == "brapi_public";
        expected.insert(feed.symbol, {std::isfinite(price) ? formatPrice(price) : QStringLiteral("--"),
                                      formatChangePercent(change), changeColorName(change), source,
                                      QStringLiteral("%1 ms").arg(100 + 10 * i + round),
                                      free ? QStringLiteral("free/delayed") : QStringLiteral("key/delayed")});
    }
    return expected;
}
} // namespace

class TestMainWindowQuotes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quoteForEachMarket_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("provider");
        QTest::addColumn<int>("candleCount");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("change");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("changeText");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("statusEn");
        QTest::addColumn<QString>("statusPt");
        QTest::addColumn<int>("storedCandles");
        const QString free = QStringLiteral("free/delayed");
        const QString freePt = QStringLiteral("gratuito/com delay");
        const QString keyed = QStringLiteral("key/delayed");
        QTest::newRow("US, keyed, no candles: one live sample")
            << "AAPL"
            << "finnhub" << 0 << 190.125 << 1.5 << "190.1250"
            << "1.50%"
            << "#20c878" << keyed << keyed << 1;
        QTest::newRow("US, Yahoo with history, a thousand shows 2 decimals")
            << "MSFT"
            << "yahoo_us" << 30 << 1000.0 << -0.25 << "1000.00"
            << "-0.25%"
            << "#f45d5d" << free << freePt << 30;
        QTest::newRow("B3, public brapi, zero change is green")
            << "PETR4.SA"
            << "brapi_public" << 0 << 999.99 << 0.0 << "999.9900"
            << "0.00%"
            << "#20c878" << free << freePt << 1;
        QTest::newRow("B3, keyed brapi, unknown change is neutral")
            << "VALE3.SA"
            << "brapi_keyed" << 0 << 61.02 << kNaN << "61.0200"
            << "--"
            << "#d8e6e3" << keyed << keyed << 1;
        QTest::newRow("forex, Yahoo") << "EURUSD=X"
                                      << "yahoo_fx" << 0 << 1.0845 << 0.12 << "1.0845"
                                      << "0.12%"
                                      << "#20c878" << free << freePt << 1;
        QTest::newRow("crypto, Binance with history is keyed")
            << "BTCUSDT"
            << "binance_public" << 40 << 65000.5 << 2.5 << "65000.50"
            << "2.50%"
            << "#20c878" << keyed << keyed << 40;
        QTest::newRow("crypto, price not a number") << "ETHUSDT"
                                                    << "binance_public" << 0 << kNaN << kNaN << "--"
                                                    << "--"
                                                    << "#d8e6e3" << keyed << keyed << 0;
    }

    void quoteForEachMarket()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, provider);
        QFETCH(int, candleCount);
        QFETCH(double, price);
        QFETCH(double, change);
        QFETCH(QString, last);
        QFETCH(QString, changeText);
        QFETCH(QString, colour);
        QFETCH(QString, statusEn);
        QFETCH(QString, statusPt);
        QFETCH(int, storedCandles);

        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        keepInsertionOrder(window);
        addRow(window, symbol);
        addRow(window, QStringLiteral("NVDA"));
        const CandleList history = hourlyCandles(candleCount, 100.0, kBucketStart);
        window.applyQuote(symbol, provider, makeQuote(symbol, price, change, history), 321);

        QCOMPARE(cell(window, symbol, QuoteColumnLast), last);
        QCOMPARE(cell(window, symbol, QuoteColumnChange), changeText);
        QCOMPARE(changeColour(window, symbol), colour);
        QCOMPARE(cell(window, symbol, QuoteColumnSource), QStringLiteral("Test Feed"));
        QCOMPARE(cell(window, symbol, QuoteColumnLatency), QStringLiteral("321 ms"));
        QCOMPARE(cell(window, symbol, QuoteColumnStatus), statusEn);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(cell(window, symbol, QuoteColumnUpdated))
                    .hasMatch());
        QCOMPARE(window.lastPriceForSymbol(symbol), std::isfinite(price) ? price : 0.0);
        // The other row is left alone.
        QCOMPARE(cell(window, QStringLiteral("NVDA"), QuoteColumnLast), QStringLiteral("--"));
        QCOMPARE(cell(window, QStringLiteral("NVDA"), QuoteColumnStatus), QStringLiteral("pending"));

        const CandleList stored = window.candlesBySymbol.value(symbol);
        QCOMPARE(stored.size(), storedCandles);
        // A rejected price leaves no empty series behind.
        QCOMPARE(window.candlesBySymbol.contains(symbol), storedCandles > 0);
        if (storedCandles > 0) {
            const Candle &c = stored.constLast();
            QCOMPARE(c.close, price);
            if (candleCount > 0)
                QCOMPARE(c.time, history.constLast().time);
            // Open to Close describe the series' last candle.
            QCOMPARE(cell(window, symbol, QuoteColumnOpen), formatPrice(c.open));
            QCOMPARE(cell(window, symbol, QuoteColumnHigh), formatPrice(c.high));
            QCOMPARE(cell(window, symbol, QuoteColumnLow), formatPrice(c.low));
            QCOMPARE(cell(window, symbol, QuoteColumnClose), formatPrice(c.close));
            QCOMPARE(cell(window, symbol, QuoteColumnSma),
                     expectedIndicator(MainWindow::latestSma(stored, 20)));
            QCOMPARE(cell(window, symbol, QuoteColumnEma),
                     expectedIndicator(MainWindow::latestEma(stored, 20)));
            QCOMPARE(cell(window, symbol, QuoteColumnVwap),
                     expectedIndicator(MainWindow::latestVwap(stored, false)));
            QCOMPARE(cell(window, symbol, QuoteColumnMacd),
                     expectedMacd(MainWindow::latestEma(stored, 12) - MainWindow::latestEma(stored, 26)));
        } else {
            for (int column = QuoteColumnOpen; column <= QuoteColumnMacd; ++column) {
                if (column != QuoteColumnLast && column != QuoteColumnChange)
                    QCOMPARE(cell(window, symbol, column), QStringLiteral("--"));
            }
            QCOMPARE(window.chartTooltipText(symbol), symbol + QStringLiteral("\nNo OHLC data yet"));
        }
        const int row = window.findSymbolRow(symbol);
        for (int column = 0; column < QuoteColumnCount; ++column)
            QCOMPARE(window.quoteTable->item(row, column)->toolTip(), window.chartTooltipText(symbol));

        // The first tile mirrors the first row.
        QCOMPARE(window.quoteTileLabels.at(0)->text(),
                 QStringLiteral("%1  %2  %3").arg(symbol, last, changeText));

        // The status follows the language, both when re-rendered and when written afresh.
        window.setLanguage(QStringLiteral("pt_BR"));
        QCOMPARE(cell(window, symbol, QuoteColumnStatus), statusPt);
        QCOMPARE(cell(window, QStringLiteral("NVDA"), QuoteColumnStatus), QStringLiteral("pendente"));
        window.applyQuote(symbol, provider, makeQuote(symbol, price, change, history), 321);
        QCOMPARE(cell(window, symbol, QuoteColumnStatus), statusPt);
        window.setLanguage(QStringLiteral("en"));
        QCOMPARE(cell(window, symbol, QuoteColumnStatus), statusEn);
        QCOMPARE(cell(window, QStringLiteral("NVDA"), QuoteColumnStatus), QStringLiteral("pending"));
    }

    // A quote's high and low are the day's (24 hours' for a crypto pair): they widen a bar that spans
    // the day, never a minute's.
    void quoteDayRangeOnlyWidensADayBar_data()
    {
        QTest::addColumn<QString>("heldTimeframe"); // empty: the series the quotes built
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("low");
        QTest::newRow("1m keeps its range") << "1m" << 66300.0 << 66322.08 << 66290.5;
        QTest::newRow("1m stretched by the price above") << "1m" << 66400.0 << 66400.0 << 66290.5;
        QTest::newRow("1m stretched by the price below") << "1m" << 66200.0 << 66322.08 << 66200.0;
        QTest::newRow("4h keeps its range") << "4h" << 66300.0 << 66322.08 << 66290.5;
        QTest::newRow("1d takes the day's range") << "1d" << 66300.0 << 68000.0 << 65100.0;
        QTest::newRow("1mo takes the day's range") << "1mo" << 66300.0 << 68000.0 << 65100.0;
        QTest::newRow("the quotes' own bar takes the day's range") << "" << 66300.0 << 68000.0 << 65100.0;
    }

    void quoteDayRangeOnlyWidensADayBar()
    {
        QFETCH(QString, heldTimeframe);
        QFETCH(double, price);
        QFETCH(double, high);
        QFETCH(double, low);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        const QString symbol = QStringLiteral("BTCUSDT");
        addRow(window, symbol);
        const Candle last{kBucketStart + 60, 66300.0, 66322.08, 66290.5, 66310.0, 12.5};
        if (!heldTimeframe.isEmpty()) {
            window.candlesBySymbol.insert(symbol, CandleList{{kBucketStart, 66250.0, 66301.0, 66240.0, 66300.0, 9.0},
                                                             last});
            window.candleTimeframeBySymbol.insert(symbol, heldTimeframe);
        } else {
            window.candlesBySymbol.insert(symbol, CandleList{last});
        }
        Quote quote = makeQuote(symbol, price, 1.2);
        quote.high = 68000.0;
        quote.low = 65100.0;
        quote.volume = 25000.0;
        window.applyQuote(symbol, QStringLiteral("binance"), quote, 5);

        const Candle bar = window.candlesBySymbol.value(symbol).constLast();
        QCOMPARE(bar.high, high);
        QCOMPARE(bar.low, low);
        QCOMPARE(bar.close, price);
        QCOMPARE(bar.open, last.open);
        QCOMPARE(cell(window, symbol, QuoteColumnHigh), formatPrice(high));
        QCOMPARE(cell(window, symbol, QuoteColumnLow), formatPrice(low));
    }

    // A symbol without a row (removed, or never added) keeps nothing: not even candles, which would
    // otherwise come back with the row when the symbol is added again.
    void quoteWithoutRowWritesNothing()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("AAPL"));
        window.applyQuote(
            QStringLiteral("NFLX"), QStringLiteral("yahoo_us"),
            makeQuote(QStringLiteral("NFLX"), 600.0, 1.0, hourlyCandles(5, 590.0, kBucketStart)), 7);
        QCOMPARE(window.quoteTable->rowCount(), 1);
        QCOMPARE(window.findSymbolRow(QStringLiteral("NFLX")), -1);
        QVERIFY(!window.candlesBySymbol.contains(QStringLiteral("NFLX")));
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnLast), QStringLiteral("--"));
        QCOMPARE(window.quoteTileLabels.at(0)->text(), QStringLiteral("--")); // no row update, no fan-out

        // The USD/BRL rate needs no row of its own.
        window.applyQuote(QStringLiteral("BRL=X"), QStringLiteral("yahoo_fx"),
                          makeQuote(QStringLiteral("BRL=X"), 5.4321, -0.5), 9);
        QCOMPARE(window.quoteTable->rowCount(), 1);
        QCOMPARE(window.usdBrlRate, 5.4321);
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL 5.4321 -0.50%"));
        QCOMPARE(window.fxTickerLabel->property("direction").toString(), QStringLiteral("down"));
        QVERIFY(!window.candlesBySymbol.contains(QStringLiteral("BRL=X")));

        // A missing rate leaves the ticker and the rate as they were.
        window.applyQuote(QStringLiteral("BRL=X"), QStringLiteral("yahoo_fx"),
                          makeQuote(QStringLiteral("BRL=X"), kNaN, 1.0), 9);
        QCOMPARE(window.usdBrlRate, 5.4321);
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL 5.4321 -0.50%"));
    }

    void candlesFoldForTheTimeframe_data()
    {
        QTest::addColumn<QString>("timeframe");
        QTest::addColumn<qint64>("firstTime");
        QTest::addColumn<int>("stored");
        QTest::addColumn<qint64>("lastTime");
        // 30 hourly candles from one hour into a 4-hour bucket: 3 + 4 * 6 + 3.
        QTest::newRow("4h merges") << "4h" << kBucketStart + 3600 << 8 << kBucketStart + 7 * kFourHours;
        QTest::newRow("1h keeps the reply") << "1h" << kBucketStart + 3600 << 30 << kBucketStart + 30 * 3600;
        QTest::newRow("4h in milliseconds")
            << "4h" << (kBucketStart + 3600) * 1000 << 8 << kBucketStart + 7 * kFourHours;
    }

    void candlesFoldForTheTimeframe()
    {
        QFETCH(QString, timeframe);
        QFETCH(qint64, firstTime);
        QFETCH(int, stored);
        QFETCH(qint64, lastTime);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("MSFT"));
        window.chartTimeframeCombo->setCurrentText(timeframe);
        CandleList history = hourlyCandles(30, 100.0, 0);
        const bool millis = firstTime >= kCandleMillisecondThreshold;
        for (Candle &c : history)
            c.time = millis ? firstTime + (c.time * 1000) : firstTime + c.time;
        window.applyQuote(QStringLiteral("MSFT"), QStringLiteral("yahoo_us"),
                          makeQuote(QStringLiteral("MSFT"), 131.5, 0.3, history), 12);

        const CandleList candles = window.candlesBySymbol.value(QStringLiteral("MSFT"));
        QCOMPARE(candles.size(), stored);
        QCOMPARE(candles.constLast().time, lastTime);
        double volume = 0.0;
        for (const Candle &c : candles) {
            if (timeframe == QLatin1String("4h"))
                QCOMPARE(c.time % kFourHours, qint64(0));
            volume += c.volume;
        }
        QCOMPARE(volume, 30 * 100.0 + 29 * 30 / 2.0);
        QCOMPARE(candles.constLast().close, 131.5);
        // The row's Close and tooltip describe the folded last candle.
        QCOMPARE(cell(window, QStringLiteral("MSFT"), QuoteColumnClose), QStringLiteral("131.5000"));
        QVERIFY(
            window.chartTooltipText(QStringLiteral("MSFT")).startsWith(QStringLiteral("MSFT  ") + timeframe));
    }

    void liveSampleKeepsGrowingTheLastCandle()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("PETR4.SA"));
        window.applyQuote(QStringLiteral("PETR4.SA"), QStringLiteral("brapi_public"),
                          makeQuote(QStringLiteral("PETR4.SA"), 38.0, 0.1), 30);
        window.applyQuote(QStringLiteral("PETR4.SA"), QStringLiteral("brapi_public"),
                          makeQuote(QStringLiteral("PETR4.SA"), 41.0, 0.2), 30);
        window.applyQuote(QStringLiteral("PETR4.SA"), QStringLiteral("brapi_public"),
                          makeQuote(QStringLiteral("PETR4.SA"), 35.0, -0.3), 30);
        const CandleList candles = window.candlesBySymbol.value(QStringLiteral("PETR4.SA"));
        QCOMPARE(candles.size(), 1);
        QCOMPARE(candles.constLast().close, 35.0);
        QVERIFY(candles.constLast().high >= 41.0);
        QVERIFY(candles.constLast().low <= 35.0);
        QCOMPARE(cell(window, QStringLiteral("PETR4.SA"), QuoteColumnHigh),
                 formatPrice(candles.constLast().high));
        QCOMPARE(changeColour(window, QStringLiteral("PETR4.SA")), QStringLiteral("#f45d5d"));
    }

    // A coin below a cent shows four significant digits in every price cell, the tile and the row's
    // tooltip; prices from 1 up read exactly as they always did.
    void pricesShowTheirDigitsAtEveryScale_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("shown");   // Open to Close, Last, SMA, EMA and VWAP
        QTest::addColumn<QString>("tooltip"); // each of the tooltip's four prices
        QTest::newRow("below a cent") << "SHIBUSDT" << 0.00001234 << "0.00001234"
                                      << "0.00001234";
        QTest::newRow("cents") << "DOGEUSDT" << 0.01234 << "0.01234"
                               << "0.01234";
        QTest::newRow("equity") << "PETR4.SA" << 36.71 << "36.7100"
                                << "36.7100";
        QTest::newRow("just below a thousand") << "MSFT" << 999.5 << "999.5000"
                                               << "999.5000";
        QTest::newRow("from a thousand up") << "BTCUSDT" << 104532.18 << "104532.18"
                                            << "104532.1800";
    }

    void pricesShowTheirDigitsAtEveryScale()
    {
        QFETCH(QString, symbol);
        QFETCH(double, price);
        QFETCH(QString, shown);
        QFETCH(QString, tooltip);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, symbol);
        // A flat history: every candle price and every average is the quote's price.
        CandleList history;
        for (int i = 0; i < 30; ++i)
            history.append({kBucketStart + i * 3600, price, price, price, price, 100.0});
        window.applyQuote(symbol, QStringLiteral("binance_public"), makeQuote(symbol, price, 0.5, history),
                          5);

        for (int column : {QuoteColumnOpen, QuoteColumnHigh, QuoteColumnLow, QuoteColumnClose,
                           QuoteColumnLast, QuoteColumnSma, QuoteColumnEma, QuoteColumnVwap})
            QCOMPARE(cell(window, symbol, column), shown);
        const QString tip = window.quoteTable->item(window.findSymbolRow(symbol), QuoteColumnLast)->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("\nOpen: %1\nHigh: %1\nLow: %1\nClose: %1\n").arg(tooltip)),
                 qPrintable(tip));
        QCOMPARE(window.quoteTileLabels.at(0)->text(), QStringLiteral("%1  %2  0.50%").arg(symbol, shown));
    }

    void sortingKeepsRowsTogether_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        const QStringList names = {"Symbol", "Asset",   "Open",   "High",   "Low",  "Close",
                                   "Last",   "Change",  "SMA",    "EMA",    "VWAP", "MACD",
                                   "Source", "Latency", "Status", "Updated"};
        for (int column = 0; column < QuoteColumnCount; ++column) {
            QTest::addRow("%s ascending", qPrintable(names.at(column))) << column << int(Qt::AscendingOrder);
            QTest::addRow("%s descending", qPrintable(names.at(column)))
                << column << int(Qt::DescendingOrder);
        }
    }

    // Quotes arrive while the table is sorted by any column; every row keeps its own cells, the
    // Change colour lands on the symbol's own cell, and the table stays sorted.
    void sortingKeepsRowsTogether()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        const auto sortOrder = Qt::SortOrder(order);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        keepInsertionOrder(window);
        for (const Feed &feed : kFeeds)
            addRow(window, feed.symbol);
        QMap<QString, Expected> expected = applyRound(window, 0);
        window.quoteTable->sortByColumn(column, sortOrder);
        QString problem = rowProblem(window, expected);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        expected = applyRound(window, 1);
        problem = rowProblem(window, expected);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(window.quoteTable->isSortingEnabled());
        QCOMPARE(window.quoteTable->horizontalHeader()->sortIndicatorSection(), column);
        QVERIFY(sortedBy(window.quoteTable, column, sortOrder));

        // Re-rendering the Status column in place keeps rows whole too.
        window.setLanguage(QStringLiteral("pt_BR"));
        problem = rowProblem(window, expected);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(sortedBy(window.quoteTable, column, sortOrder));
    }

    // With no sort column chosen a quote cannot move a row, so it must not make the view lay out and
    // repaint every row either: on a streamed watchlist that happens on every tick.
    void quoteInUnsortedTableKeepsLayout()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        keepInsertionOrder(window);
        QStringList order;
        for (const Feed &feed : kFeeds) {
            addRow(window, feed.symbol);
            order << feed.symbol;
        }
        QSignalSpy layouts(window.quoteTable->model(), &QAbstractItemModel::layoutChanged);
        const QMap<QString, Expected> expected = applyRound(window, 0);
        const QString problem = rowProblem(window, expected);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(layouts.count(), 0);
        QVERIFY(window.quoteTable->isSortingEnabled());
        QStringList shown;
        for (int row = 0; row < window.quoteTable->rowCount(); ++row)
            shown << window.quoteTable->item(row, QuoteColumnSymbol)->text();
        QCOMPARE(shown, order);
    }

    void statusColumnRetranslatesWhileSortedByIt_data()
    {
        QTest::addColumn<int>("order");
        QTest::newRow("ascending") << int(Qt::AscendingOrder);
        QTest::newRow("descending") << int(Qt::DescendingOrder);
    }

    // The English and Portuguese texts sort differently, so a re-worded cell moves its row.
    void statusColumnRetranslatesWhileSortedByIt()
    {
        QFETCH(int, order);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        const QList<QPair<QString, QString>> statuses = {
            {"AAPL", "http error"},      {"MSFT", "loading"},         {"PETR4.SA", "pending"},
            {"BTCUSDT", "realtime"},     {"EURUSD=X", "key/delayed"}, {"ETHUSDT", "ws disconnected"},
            {"VALE3.SA", "no free data"}};
        for (const auto &entry : statuses) {
            addRow(window, entry.first);
            window.setQuoteStatus(entry.first, entry.second);
        }
        window.quoteTable->sortByColumn(QuoteColumnStatus, Qt::SortOrder(order));
        for (const QString &language :
             {QStringLiteral("pt_BR"), QStringLiteral("en"), QStringLiteral("pt_BR")}) {
            window.setLanguage(language);
            for (const auto &entry : statuses)
                QCOMPARE(cell(window, entry.first, QuoteColumnStatus),
                         window.providerStatusText(entry.second));
            QVERIFY(sortedBy(window.quoteTable, QuoteColumnStatus, Qt::SortOrder(order)));
        }
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnStatus), QStringLiteral("erro HTTP"));
        QCOMPARE(cell(window, QStringLiteral("EURUSD=X"), QuoteColumnStatus), QStringLiteral("key/delayed"));
    }

    void cryptoRowsStatus_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("shown");
        QTest::newRow("english") << "en"
                                 << "ws connecting";
        QTest::newRow("portuguese") << "pt_BR"
                                    << "ws conectando";
    }

    // Written while the table sorts by Status, each crypto row moves as it is written: every one of
    // them must still get the status, and no other row.
    void cryptoRowsStatus()
    {
        QFETCH(QString, language);
        QFETCH(QString, shown);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        window.setLanguage(language);
        const QStringList crypto = {"BTCUSDT", "ETHUSDT", "SOLUSDT", "XRPBUSD"};
        for (const QString &symbol : crypto)
            addRow(window, symbol);
        addRow(window, QStringLiteral("AAPL"));
        addRow(window, QStringLiteral("PETR4.SA"));
        window.setQuoteStatus(QStringLiteral("AAPL"), QStringLiteral("realtime"));
        window.quoteTable->sortByColumn(QuoteColumnStatus, Qt::AscendingOrder);

        window.setCryptoRowsStatus(QStringLiteral("ws connecting"));
        for (const QString &symbol : crypto)
            QCOMPARE(cell(window, symbol, QuoteColumnStatus), shown);
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnStatus),
                 window.providerStatusText("realtime"));
        QCOMPARE(cell(window, QStringLiteral("PETR4.SA"), QuoteColumnStatus),
                 window.providerStatusText("pending"));
        QVERIFY(window.quoteTable->isSortingEnabled());
        QVERIFY(sortedBy(window.quoteTable, QuoteColumnStatus, Qt::AscendingOrder));
    }

    void writersIgnoreMissingRows()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("AAPL"));
        window.setQuoteStatus(QStringLiteral("MSFT"), QStringLiteral("loading"));
        window.setQuoteLatency(QStringLiteral("MSFT"), QStringLiteral("5 ms"));
        window.setRowToolTip(QStringLiteral("MSFT"));
        window.updateQuoteRow(QStringLiteral("MSFT"), 10.0, 1.0, QStringLiteral("Yahoo"),
                              QStringLiteral("1 ms"), QStringLiteral("free/delayed"));
        window.setQuoteCell(5, QuoteColumnStatus, QStringLiteral("loading"));
        window.setQuoteNumberCell(0, QuoteColumnCount, QStringLiteral("1"), 1.0);
        window.colorQuoteRow(-1, 1.0);
        QCOMPARE(window.quoteTable->rowCount(), 1);
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnStatus), QStringLiteral("pending"));
        QCOMPARE(window.quoteTileLabels.at(0)->text(), QStringLiteral("--")); // no row update, no refresh

        window.setQuoteStatus(QStringLiteral("AAPL"), QString::fromUtf8("carregando")); // a shown text
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnStatus), QStringLiteral("loading"));
        window.setQuoteLatency(QStringLiteral("AAPL"), QStringLiteral("cache"));
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnLatency), QStringLiteral("cache"));
    }

    void symbolCellIsBoldFixedWidth()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("AAPL"));
        const QFont font = window.quoteTable->item(0, QuoteColumnSymbol)->font();
        QVERIFY(font.bold());
        QCOMPARE(font.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        QVERIFY(!window.quoteTable->item(0, QuoteColumnSource)->font().bold());
    }

    void tableNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<double>("number");
        QTest::addColumn<bool>("ok");
        QTest::newRow("number cell") << "1.50%" << QVariant(1.5) << 1.5 << true;
        QTest::newRow("sort value wins over the text")
            << "12.3457" << QVariant(12.345678) << 12.345678 << true;
        QTest::newRow("dash text") << "--" << QVariant() << 0.0 << false;
        QTest::newRow("change as text") << "1.50%" << QVariant() << 1.5 << true;
        QTest::newRow("plain text") << "Yahoo" << QVariant() << 0.0 << false;
        // A sort value that is not a number is no number for the readers either.
        QTest::newRow("NaN sort value") << "--" << QVariant(kNaN) << 0.0 << false;
    }

    void tableNumber()
    {
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        QFETCH(double, number);
        QFETCH(bool, ok);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("AAPL"));
        auto *item = new MarketTableItem(text);
        if (value.isValid())
            item->setData(Qt::UserRole, value);
        window.quoteTable->setItem(0, QuoteColumnChange, item);
        bool parsed = !ok;
        QCOMPARE(window.tableNumber(0, QuoteColumnChange, &parsed), number);
        QCOMPARE(parsed, ok);
        QCOMPARE(window.tableNumber(0, QuoteColumnChange), number);
    }

    void tableNumberOfAMissingCell()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        bool ok = true;
        QCOMPARE(window.tableNumber(0, QuoteColumnLast, &ok), 0.0);
        QVERIFY(!ok);
    }

    // Readers take the price the cell stores, not the rounded text it shows.
    void lastPriceReadsTheStoredNumber_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("shown");
        QTest::newRow("more decimals than shown") << 12.345678 << "12.3457";
        QTest::newRow("below a cent, more digits than shown") << 0.00001234567 << "0.00001235";
        QTest::newRow("two decimals from 1000 up") << 1234.5678 << "1234.57";
        QTest::newRow("negative") << -37.63127 << "-37.6313";
    }

    void lastPriceReadsTheStoredNumber()
    {
        QFETCH(double, price);
        QFETCH(QString, shown);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("AAPL"));
        QCOMPARE(window.lastPriceForSymbol(QStringLiteral("AAPL")), 0.0); // "--"
        window.updateQuoteRow(QStringLiteral("AAPL"), price, 1.0, QStringLiteral("Yahoo"),
                              QStringLiteral("1 ms"), QStringLiteral("free/delayed"));
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnLast), shown);
        QCOMPARE(window.lastPriceForSymbol(QStringLiteral("AAPL")), price);
        QCOMPARE(window.lastPriceForSymbol(QStringLiteral("MSFT")), 0.0);
        // A missing price replaces the old one: a reader sees no price rather than a stale one.
        window.updateQuoteRow(QStringLiteral("AAPL"), kNaN, kNaN, QStringLiteral("Yahoo"),
                              QStringLiteral("1 ms"), QStringLiteral("free/delayed"));
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnLast), QStringLiteral("--"));
        QCOMPARE(window.lastPriceForSymbol(QStringLiteral("AAPL")), 0.0);
        bool ok = true;
        window.tableNumber(window.findSymbolRow(QStringLiteral("AAPL")), QuoteColumnLast, &ok);
        QVERIFY(!ok);
    }

    void lastPriceOfACellWithoutANumberReadsItsText()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        addRow(window, QStringLiteral("AAPL"));
        window.quoteTable->setItem(0, QuoteColumnLast, new MarketTableItem(QStringLiteral("12.5")));
        QCOMPARE(window.lastPriceForSymbol(QStringLiteral("AAPL")), 12.5);
    }

    void displayNameOfAGivenTag_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("name");
        QTest::newRow("binance") << "binance"
                                 << "Binance WS";
        QTest::newRow("brapi upper case") << "BRAPI"
                                          << "BrAPI";
        QTest::newRow("unknown") << "finnhub"
                                 << "Yahoo";
    }

    void displayNameOfAGivenTag()
    {
        QFETCH(QString, tag);
        QFETCH(QString, name);
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        QCOMPARE(window.providerDisplayName(QStringLiteral("BTCUSDT"), tag), name);
    }

    // Providers may echo the caller's key back in their texts; none of it may reach the table, its
    // tooltips or the tiles.
    void keysNeverReachTheTable()
    {
        TempHome home;
        MainWindow window;
        clearSeededRows(window);
        const QString secret = QStringLiteral("AVSECRET12345");
        window.setApiKey(QStringLiteral("alpha_vantage_api_key"), secret);
        keepInsertionOrder(window);
        addRow(window, QStringLiteral("AAPL"));
        window.applyQuote(QStringLiteral("AAPL"), QStringLiteral("alpha_vantage"),
                          makeQuote(QStringLiteral("AAPL"), 190.0, 1.0, {}, "Alpha Vantage apikey=" + secret),
                          40);
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnSource),
                 QStringLiteral("Alpha Vantage apikey=***"));
        window.updateQuoteRow(QStringLiteral("AAPL"), 190.0, 1.0, "Alpha " + secret,
                              "https://127.0.0.1/query?apikey=" + secret, "rejected " + secret);
        window.setQuoteStatus(QStringLiteral("AAPL"), "HTTP 401 " + secret);
        window.setQuoteLatency(QStringLiteral("AAPL"), "apikey=" + secret);
        window.updateQuoteTiles();
        for (int column = 0; column < QuoteColumnCount; ++column) {
            const QTableWidgetItem *item = window.quoteTable->item(0, column);
            QVERIFY2(!item->text().contains(secret), qPrintable(QString::number(column)));
            QVERIFY(!item->toolTip().contains(secret));
        }
        QVERIFY(!window.quoteTileLabels.at(0)->toolTip().contains(secret));
        QVERIFY(!window.quoteTileLabels.at(0)->text().contains(secret));
        QCOMPARE(cell(window, QStringLiteral("AAPL"), QuoteColumnStatus), QStringLiteral("HTTP 401 ***"));
    }
};

MVX_TEST_MAIN(TestMainWindowQuotes)
#include "test_main_window_quotes.moc"
