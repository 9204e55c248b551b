#include "settings/api_keys_dialog.h"
#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/modal_script.h"
#include "tests/support/test_main.h"
#include "watchlist/market_table_item.h"
#include "watchlist/quote_columns.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

namespace {
struct ScreenerWindow
{
    TempHome home;
    LoopbackServices services;
    MainWindow window;

    ScreenerWindow()
    {
        window.marketDataStarted = true;
        window.screenerTable->sortItems(0, Qt::AscendingOrder); // as a user who clicked the Symbol header
    }

    // Filters set without their signals, then one rebuild.
    void show(const QString &scope, const QString &asset, double minimum = 0.0,
              const QString &filter = QString())
    {
        window.populateScreenerScopeCombo(scope);
        window.populateScreenerAssetCombo(asset);
        window.screenerMinChangeSpin->blockSignals(true);
        window.screenerMinChangeSpin->setValue(minimum);
        window.screenerMinChangeSpin->blockSignals(false);
        window.screenerFilterEdit->blockSignals(true);
        window.screenerFilterEdit->setText(filter);
        window.screenerFilterEdit->blockSignals(false);
        window.rebuildScreener();
    }

    QStringList column(int col) const
    {
        QStringList out;
        for (int row = 0; row < window.screenerTable->rowCount(); ++row)
            out.append(window.screenerTable->item(row, col)->text());
        return out;
    }

    int rowOf(const QString &symbol) const { return static_cast<int>(column(0).indexOf(symbol)); }
    QString cell(const QString &symbol, int col) const
    {
        const int row = rowOf(symbol);
        return row >= 0 ? window.screenerTable->item(row, col)->text() : QString();
    }

    void snapshot(const QString &symbol, double price, double change, const QString &label = QString())
    {
        MoverEntry entry;
        entry.symbol = symbol;
        entry.price = price;
        entry.changePct = change;
        entry.volume = 2e6;
        window.moverSnapshots.insert(symbol, entry);
        if (!label.isEmpty())
            window.moverSourceLabels.insert(symbol, label);
    }
};
bool marketItemNumberOf(const QTableWidgetItem *item, double *value)
{
    return item && marketItemNumber(*item, value);
}
} // namespace

// The screener table: scopes, filters, the values it takes from the rows, candles and movers snapshot,
// signals, sorting, keeping the user's place, coalesced rebuilds and activation.
class TestMainWindowScreener : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void universeCryptoListsPairsNotLoaded()
    {
        ScreenerWindow f;
        f.window.symbolUniverse = {"BTCUSDT", "ETHUSDT", "AAPL", "PETR4.SA", "SOLUSDT"};
        f.show("universe", "crypto");
        QStringList expected = {"BTCUSDT", "ETHUSDT", "SOLUSDT"};
        QCOMPARE(f.column(0), expected);
        const int sol = f.rowOf("SOLUSDT");
        if (f.window.findSymbolRow("SOLUSDT") < 0) {
            QCOMPARE(f.cell("SOLUSDT", 2), QStringLiteral("--"));
            QCOMPARE(f.cell("SOLUSDT", 3), QStringLiteral("--"));
            QCOMPARE(f.cell("SOLUSDT", 4), QStringLiteral("--"));
            QCOMPARE(f.cell("SOLUSDT", 7), QStringLiteral("Not loaded"));
            QCOMPARE(f.cell("SOLUSDT", 5), QStringLiteral("Binance"));
            QCOMPARE(f.cell("SOLUSDT", 6), f.window.providerDisplayName("SOLUSDT", QString()));
            QCOMPARE(f.window.screenerTable->item(sol, 3)->foreground().color(), QColor("#20c878"));
        }
    }

    // Until the user picks a sort, the rows come in symbol order, whatever the case of the letters.
    void rowsComeInSymbolOrderUntilTheUserSorts()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.marketDataStarted = true;
        window.symbolUniverse = {"cccx", "AAPL", "BBAS3.SA", "btcusdt"};
        window.populateScreenerScopeCombo("universe");
        window.rebuildScreener();
        QStringList shown;
        for (int row = 0; row < window.screenerTable->rowCount(); ++row)
            shown.append(window.screenerTable->item(row, 0)->text());
        QCOMPARE(shown, (QStringList{"AAPL", "BBAS3.SA", "btcusdt", "cccx"}));
    }

    void minimumChange_data()
    {
        QTest::addColumn<double>("minimum");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("2 keeps both directions") << 2.0 << QStringList{"DDD", "EEE"};
        QTest::newRow("-2 keeps falls only") << -2.0 << QStringList{"EEE"};
        QTest::newRow("0 keeps rows without a change")
            << 0.0 << QStringList{"CCC", "DDD", "EEE", "FFF", "NNN"};
    }

    void minimumChange()
    {
        QFETCH(double, minimum);
        QFETCH(QStringList, listed);
        ScreenerWindow f;
        f.window.symbolUniverse = {"CCC", "DDD", "EEE", "FFF", "NNN"};
        f.snapshot("CCC", 10, 1.9);
        f.snapshot("DDD", 10, 2.5);
        f.snapshot("EEE", 10, -3.1);
        f.snapshot("FFF", 10, -1.9);
        f.show("universe", "us", minimum);
        QCOMPARE(f.column(0), listed);
    }

    void valuesComeFromTheRowsThenTheSnapshot()
    {
        ScreenerWindow f;
        // AAPL has a quote; NVDA's Last still reads "--" and takes the snapshot's price and label.
        f.window.updateQuoteRow("AAPL", 210.5, -0.75, "Yahoo", "5 ms", "ok");
        f.snapshot("NVDA", 120.25, 3.5, "US delayed");
        f.snapshot("TSLA", 0.0, 1.0); // no usable price: stays "--"
        f.window.symbolUniverse = {"AAPL", "NVDA", "TSLA", "AAPL"};
        f.show("universe", "us");
        QCOMPARE(f.column(0), (QStringList{"AAPL", "NVDA", "TSLA"})); // a duplicate is listed once
        QCOMPARE(f.cell("AAPL", 2), QStringLiteral("210.5000"));
        QCOMPARE(f.cell("AAPL", 3), QStringLiteral("-0.75%"));
        QCOMPARE(f.cell("AAPL", 7), QStringLiteral("Down"));
        QCOMPARE(f.cell("AAPL", 6), QStringLiteral("Yahoo"));
        QCOMPARE(f.window.screenerTable->item(f.rowOf("AAPL"), 7)->foreground().color(), QColor("#f45d5d"));
        QCOMPARE(f.cell("NVDA", 2), QStringLiteral("120.2500"));
        QCOMPARE(f.cell("NVDA", 7), QStringLiteral("Strong up"));
        QCOMPARE(f.cell("NVDA", 4), QStringLiteral("2.00M"));
        QCOMPARE(f.cell("TSLA", 2), QStringLiteral("--"));
        QCOMPARE(f.cell("TSLA", 6), QStringLiteral("Movers snapshot"));
        QCOMPARE(f.cell("TSLA", 5), QStringLiteral("US"));
    }

    // The Price column keeps 4 decimals, from 1000 up too, and widens below 1 to four significant
    // digits, whether the row is written afresh or rewritten in place.
    void thePriceKeepsItsDigitsAtEveryScale_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("shown");
        QTest::newRow("below a cent") << "SHIBUSDT" << 0.00001234 << "0.00001234";
        QTest::newRow("equity") << "PETR4.SA" << 36.71 << "36.7100";
        QTest::newRow("from a thousand up") << "BTCUSDT" << 104532.18 << "104532.1800";
    }

    void thePriceKeepsItsDigitsAtEveryScale()
    {
        QFETCH(QString, symbol);
        QFETCH(double, price);
        QFETCH(QString, shown);
        ScreenerWindow f;
        if (f.window.findSymbolRow(symbol) < 0)
            f.window.addWatchlistRow(symbol, f.window.classifySymbol(symbol), "Yahoo", "pending", false);
        f.window.updateQuoteRow(symbol, price, 1.0, "Yahoo", "1 ms", "ok");
        f.show("watchlist", "all");
        QCOMPARE(f.cell(symbol, 2), shown);
        QTableWidgetItem *anchor = f.window.screenerTable->item(f.rowOf(symbol), 0);
        f.window.updateQuoteRow(symbol, price, -1.0, "Yahoo", "1 ms", "ok");
        f.window.rebuildScreener();
        QCOMPARE(f.window.screenerTable->item(f.rowOf(symbol), 0), anchor); // rewritten in place
        QCOMPARE(f.cell(symbol, 3), QStringLiteral("-1.00%"));
        QCOMPARE(f.cell(symbol, 2), shown);
    }

    void watchlistScopeAndTextFilter()
    {
        ScreenerWindow f;
        f.show("watchlist", "all", 0.0, "sa");
        for (const QString &symbol : f.column(0))
            QVERIFY(symbol.endsWith(".SA"));
        QVERIFY(f.column(0).contains("PETR4.SA"));
        f.show("watchlist", "br");
        QCOMPARE(f.column(0), (QStringList{"PETR4.SA", "VALE3.SA"}));
        QCOMPARE(f.cell("PETR4.SA", 1),
                 f.window.quoteTable->item(f.window.findSymbolRow("PETR4.SA"), 1)->text());
    }

    void changeSortsByNumber()
    {
        ScreenerWindow f;
        f.window.symbolUniverse = {"AAA", "BBB", "CCC", "DDD"};
        f.snapshot("AAA", 1, 1.2);
        f.snapshot("BBB", 1, -0.5);
        f.snapshot("CCC", 1, -3.1);
        f.window.screenerTable->sortItems(3, Qt::AscendingOrder);
        f.show("universe", "us");
        QStringList known = f.column(3);
        known.removeAll(QStringLiteral("--")); // DDD has none: it sorts by text among the rest
        QCOMPARE(known, (QStringList{"-3.10%", "-0.50%", "1.20%"}));
    }

    void aRebuildKeepsTheSelectionAndTheScrollPosition()
    {
        ScreenerWindow f;
        f.window.resize(1200, 800);
        f.window.show();
        f.window.mainTabs->setCurrentWidget(f.window.screenerTable->parentWidget());
        QStringList universe;
        for (int i = 0; i < 300; ++i)
            universe.append(QStringLiteral("S%1").arg(i, 3, 10, QLatin1Char('0')));
        f.window.symbolUniverse = universe;
        f.show("universe", "us");
        const int row = f.rowOf("S150");
        f.window.screenerTable->setCurrentCell(row, 0);
        f.window.screenerTable->verticalScrollBar()->setValue(120);
        const int scroll = f.window.screenerTable->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        f.window.symbolUniverse.prepend("A000"); // the row moves down by one
        f.window.rebuildScreener();
        QCOMPARE(f.window.screenerTable->item(f.window.screenerTable->currentRow(), 0)->text(),
                 QStringLiteral("S150"));
        QCOMPARE(f.window.screenerTable->verticalScrollBar()->value(), scroll);
    }

    void quotesInOneTurnShareOneRebuild()
    {
        ScreenerWindow f;
        int rebuilds = 0;
        connect(f.window.screenerTable->model(), &QAbstractItemModel::rowsInserted, &f.window,
                [&](const QModelIndex &, int first) { rebuilds += first == 0 ? 1 : 0; });
        f.window.updateQuoteRow("AAPL", 200.0, 1.0, "Yahoo", "1 ms", "ok");
        f.window.updateQuoteRow("NVDA", 100.0, 2.0, "Yahoo", "1 ms", "ok");
        f.window.refreshScreener();
        QCOMPARE(rebuilds, 0);
        QTRY_COMPARE(rebuilds, 1);
        QTest::qWait(20);
        QCOMPARE(rebuilds, 1);
        QCOMPARE(f.cell("NVDA", 3), QStringLiteral("2.00%"));
    }

    void aQuoteRewritesOnlyItsRowAndAMinimumCrossingRebuilds()
    {
        ScreenerWindow f;
        f.window.symbolUniverse = {"AAPL", "NVDA", "ZZZ"};
        f.snapshot("ZZZ", 5.0, 4.0, "US delayed");
        f.window.updateQuoteRow("AAPL", 200.0, 3.0, "Yahoo", "1 ms", "ok");
        f.window.updateQuoteRow("NVDA", 100.0, 2.5, "Yahoo", "1 ms", "ok");
        f.show("universe", "us", 2.0);
        QCOMPARE(f.column(0), (QStringList{"AAPL", "NVDA", "ZZZ"}));
        QTableWidgetItem *aaplSignal = f.window.screenerTable->item(f.rowOf("AAPL"), 7);

        // A new quote: the same row, new values.
        f.window.updateQuoteRow("AAPL", 201.0, -2.25, "Yahoo", "1 ms", "ok");
        f.window.rebuildScreener();
        QCOMPARE(f.window.screenerTable->item(f.rowOf("AAPL"), 7), aaplSignal);
        QCOMPARE(f.cell("AAPL", 2), QStringLiteral("201.0000"));
        QCOMPARE(f.cell("AAPL", 3), QStringLiteral("-2.25%"));
        QCOMPARE(f.cell("AAPL", 7), QStringLiteral("Strong down"));
        QCOMPARE(aaplSignal->foreground().color(), QColor("#f45d5d"));
        double number = 0.0;
        QVERIFY(marketItemNumberOf(f.window.screenerTable->item(f.rowOf("AAPL"), 3), &number));
        QCOMPARE(number, -2.25);

        // A snapshot entry that moves: rewritten in place too.
        MoverEntry zzz;
        zzz.symbol = "ZZZ";
        zzz.price = 6.0;
        zzz.changePct = 5.0;
        f.window.loadMarketMovers({zzz}, "US delayed");
        f.window.rebuildScreener();
        QCOMPARE(f.cell("ZZZ", 2), QStringLiteral("6.0000"));

        // Below the minimum now: the row leaves the list.
        f.window.updateQuoteRow("NVDA", 100.0, 1.0, "Yahoo", "1 ms", "ok");
        f.window.rebuildScreener();
        QCOMPARE(f.column(0), (QStringList{"AAPL", "ZZZ"}));
        f.window.updateQuoteRow("NVDA", 100.0, 2.0, "Yahoo", "1 ms", "ok");
        f.window.rebuildScreener();
        QCOMPARE(f.column(0), (QStringList{"AAPL", "NVDA", "ZZZ"}));
    }

    void aQuoteThatMovesItsWatchlistRowIsRewrittenInPlace()
    {
        ScreenerWindow f;
        f.window.updateQuoteRow("AAPL", 200.0, 1.0, "Yahoo", "1 ms", "ok");
        f.window.updateQuoteRow("NVDA", 100.0, 2.0, "Yahoo", "1 ms", "ok");
        f.window.quoteTable->setSortingEnabled(true);
        f.window.quoteTable->sortByColumn(QuoteColumnChange, Qt::AscendingOrder); // as a user would
        f.show("watchlist", "us");
        QCOMPARE(f.column(0), (QStringList{"AAPL", "NVDA"}));
        QTableWidgetItem *aaplChange = f.window.screenerTable->item(f.rowOf("AAPL"), 3);
        QTableWidgetItem *nvdaChange = f.window.screenerTable->item(f.rowOf("NVDA"), 3);

        const int aaplRow = f.window.findSymbolRow("AAPL");
        f.window.updateQuoteRow("AAPL", 210.0, 3.0, "Yahoo", "1 ms", "ok");
        QVERIFY(f.window.findSymbolRow("AAPL") != aaplRow); // the quote moved past NVDA
        f.window.rebuildScreener();

        // Rewritten in place: a full rebuild would have made new items.
        QCOMPARE(f.window.screenerTable->item(f.rowOf("AAPL"), 3), aaplChange);
        QCOMPARE(f.window.screenerTable->item(f.rowOf("NVDA"), 3), nvdaChange);
        QCOMPARE(f.cell("AAPL", 2), QStringLiteral("210.0000"));
        QCOMPARE(f.cell("AAPL", 3), QStringLiteral("3.00%"));
        QCOMPARE(f.cell("NVDA", 3), QStringLiteral("2.00%"));
    }

    // Rows that must move when the screener sorts by a numeric column: each keeps its own symbol's values.
    void quotesThatReorderASortedScreenerKeepTheirRows_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::newRow("change ascending") << 3 << Qt::AscendingOrder;
        QTest::newRow("change descending") << 3 << Qt::DescendingOrder;
        QTest::newRow("price ascending") << 2 << Qt::AscendingOrder;
    }

    void quotesThatReorderASortedScreenerKeepTheirRows()
    {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        ScreenerWindow f;
        // Every watchlist row quoted: a row without a number sorts by its text among the rest.
        const QStringList symbols{"AAPL", "NVDA", "PETR4.SA", "VALE3.SA", "BTCUSDT", "ETHUSDT", "BRL=X"};
        for (int i = 0; i < symbols.size(); ++i)
            f.window.updateQuoteRow(symbols[i], 10.0 + i, 1.0 + i, "Yahoo", "1 ms", "ok");
        f.window.screenerTable->sortItems(column, order);
        f.show("watchlist", "all");

        // The order turns around: every row has to move.
        QHash<QString, double> price;
        QHash<QString, double> change;
        for (int i = 0; i < symbols.size(); ++i) {
            price.insert(symbols[i], 50.0 - i);
            change.insert(symbols[i], -1.0 - i);
            f.window.updateQuoteRow(symbols[i], price[symbols[i]], change[symbols[i]], "Yahoo", "1 ms", "ok");
        }
        int sorts = 0;
        connect(f.window.screenerTable->model(), &QAbstractItemModel::layoutChanged, &f.window,
                [&] { ++sorts; });
        f.window.rebuildScreener();

        QCOMPARE(sorts, 1); // the table re-sorts once, not once per changed row
        QList<double> sortValues;
        for (int row = 0; row < f.window.screenerTable->rowCount(); ++row) {
            const QString symbol = f.window.screenerTable->item(row, 0)->text();
            QVERIFY2(price.contains(symbol), qPrintable(symbol));
            QCOMPARE(f.window.screenerTable->item(row, 2)->text(), QString::number(price[symbol], 'f', 4));
            QCOMPARE(f.window.screenerTable->item(row, 3)->text(),
                     QStringLiteral("%1%").arg(QString::number(change[symbol], 'f', 2)));
            sortValues.append(column == 2 ? price[symbol] : change[symbol]);
        }
        QCOMPARE(sortValues.size(), symbols.size());
        QList<double> sorted = sortValues;
        std::sort(sorted.begin(), sorted.end());
        if (order == Qt::DescendingOrder)
            std::reverse(sorted.begin(), sorted.end());
        QCOMPARE(sortValues, sorted);
    }

    void doubleClickAddsAUniverseSymbolAndOpensIt()
    {
        ScreenerWindow f;
        f.window.symbolUniverse = {"MSFT"};
        f.show("universe", "all");
        const int rows = f.window.quoteTable->rowCount();
        f.window.onScreenerCellActivated(f.rowOf("MSFT"), 4);
        QCOMPARE(f.window.quoteTable->rowCount(), rows + 1);
        QCOMPARE(f.window.selectedSymbol(), QStringLiteral("MSFT"));
        QCOMPARE(f.window.tapeSymbol, QStringLiteral("MSFT"));
        QVERIFY(TempHome::readFile(f.window.watchlistWritePath()).contains("MSFT"));

        // Already on the watchlist: selected, not added again.
        f.window.quoteTable->clearSelection();
        f.show("universe", "all");
        f.window.onScreenerCellActivated(f.rowOf("MSFT"), 0);
        QCOMPARE(f.window.quoteTable->rowCount(), rows + 1);
        QCOMPARE(f.window.selectedSymbol(), QStringLiteral("MSFT"));
        f.window.activateScreenerRow(-1);
        f.window.activateScreenerRow(10000);
    }

    void filtersPersistAcrossARestart()
    {
        TempHome home;
        LoopbackServices services;
        {
            MainWindow window;
            window.marketDataStarted = true;
            window.screenerScopeCombo->setCurrentIndex(window.screenerScopeCombo->findData("universe"));
            window.screenerAssetCombo->setCurrentIndex(window.screenerAssetCombo->findData("crypto"));
            window.screenerMinChangeSpin->setValue(1.5);
        }
        MainWindow restarted;
        restarted.marketDataStarted = true;
        QCOMPARE(restarted.currentScreenerScope(), QStringLiteral("universe"));
        QCOMPARE(restarted.currentScreenerAsset(), QStringLiteral("crypto"));
        QCOMPARE(restarted.screenerMinChangeSpin->value(), 1.5);
    }

    // A universe row known neither from the watchlist nor from the movers names its symbol's default
    // provider, which a brapi token changes for B3 symbols: saving the keys must rewrite it, although
    // no filter, row or snapshot entry changed.
    void savedKeysRenameTheDefaultSource_data()
    {
        QTest::addColumn<QString>("tokenBefore");
        QTest::addColumn<QString>("tokenSaved");
        QTest::addColumn<QString>("sourceBefore");
        QTest::addColumn<QString>("sourceAfter");
        QTest::newRow("token set") << QString() << "brapi-token-0123"
                                   << "Yahoo"
                                   << "BrAPI";
        QTest::newRow("token cleared") << "brapi-token-0123" << QString() << "BrAPI"
                                       << "Yahoo";
    }

    void savedKeysRenameTheDefaultSource()
    {
        QFETCH(QString, tokenBefore);
        QFETCH(QString, tokenSaved);
        QFETCH(QString, sourceBefore);
        QFETCH(QString, sourceAfter);
        ScreenerWindow f;
        f.window.settings.brapiToken = tokenBefore;
        f.window.symbolUniverse = {"ITUB4.SA", "AAPL"};
        QVERIFY(f.window.findSymbolRow("ITUB4.SA") < 0);
        f.show("universe", "all");
        QCOMPARE(f.cell("ITUB4.SA", 6), sourceBefore);

        NextWidget<ApiKeysDialog> keys([&tokenSaved](ApiKeysDialog *dialog) {
            dialog->fieldFor(QStringLiteral("brapi_token"))->setText(tokenSaved);
            dialog->buttonBox()->button(QDialogButtonBox::Save)->click();
        });
        f.window.showApiKeysDialog();
        QVERIFY(keys.seen);
        QCOMPARE(f.window.settings.brapiToken, tokenSaved);
        QTRY_COMPARE(f.cell("ITUB4.SA", 6), sourceAfter);
        QCOMPARE(f.cell("AAPL", 6),
                 f.window.quoteTable->item(f.window.findSymbolRow("AAPL"), QuoteColumnSource)->text());
    }

    void labels()
    {
        ScreenerWindow f;
        QCOMPARE(f.window.assetClassLabel("br"), QStringLiteral("Brazil"));
        QCOMPARE(f.window.assetClassLabel("whatever"), QStringLiteral("All assets"));
        QCOMPARE(f.window.sectorLabel("NOPE"), QStringLiteral("Unclassified"));
        f.window.settings.language = QStringLiteral("pt_BR");
        QCOMPARE(f.window.trendSignalLabel(0.1), QString::fromUtf8("Estável"));
        QCOMPARE(f.window.trendSignalLabel(-5), QStringLiteral("Baixa forte"));
        QCOMPARE(f.window.sectorLabel("NOPE"), QString::fromUtf8("Não classificado"));
    }
};

MVX_TEST_MAIN(TestMainWindowScreener)
#include "test_main_window_screener.moc"
