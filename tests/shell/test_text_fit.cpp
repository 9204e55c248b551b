#include "chart/chart_model.h"
#include "chart/price_chart.h"
#include "shell/main_window.h"
#include "tests/support/control_parts.h"
#include "tests/support/cut_columns.h"
#include "tests/support/shown_window.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

namespace {
// Makes every tab page that holds `widget` the current one, so that it is laid out as a user sees it.
void bringToFront(QWidget *widget)
{
    for (QWidget *child = widget, *parent = widget->parentWidget(); parent;
         child = parent, parent = parent->parentWidget())
        if (auto *stack = qobject_cast<QStackedWidget *>(parent))
            stack->setCurrentWidget(child);
}

QList<QPair<const char *, QTableWidget *>> pageTables(const MainWindow &window)
{
    return {{"quotes", window.quoteTable},        {"alert history", window.alertHistoryTable},
            {"gainers", window.gainersTable},     {"losers", window.losersTable},
            {"screener", window.screenerTable},   {"news", window.newsTable},
            {"positions", window.positionsTable}, {"transactions", window.transactionsTable}};
}

QList<QPair<const char *, QComboBox *>> pageCombos(const MainWindow &window)
{
    return {{"chart mode", window.chartModeCombo},
            {"chart timeframe", window.chartTimeframeCombo},
            {"movers scope", window.moversScopeCombo},
            {"movers interval", window.moversIntervalCombo},
            {"movers sector", window.moversSectorCombo},
            {"screener scope", window.screenerScopeCombo},
            {"screener asset", window.screenerAssetCombo},
            {"news source", window.newsSourceCombo},
            {"news region", window.newsRegionCombo},
            {"portfolio", window.portfolioCombo},
            {"portfolio currency", window.portfolioCurrencyCombo}};
}

// The items a combo would cut once chosen: wider, in the combo's font, than the room for its text.
QStringList cutItems(const QComboBox *combo)
{
    const QRect field = comboBoxPart(combo, QStyle::SC_ComboBoxEditField);
    QStringList cut;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->fontMetrics().horizontalAdvance(combo->itemText(i)) > field.width())
            cut << QStringLiteral("\"%1\" in %2 px").arg(combo->itemText(i)).arg(field.width());
    return cut;
}

// One row of each kind a user meets first: a hit, a deposit, a headline and a quote.
void fillPageTables(MainWindow &window)
{
    PriceAlert alert;
    alert.symbol = QStringLiteral("BTCUSDT");
    alert.target = 104000.0;
    window.alerts.append(alert);
    window.appendAlertHistory(alert, QStringLiteral("Triggered"), 104250.5, QStringLiteral("Hit"));

    PortfolioTransaction deposit;
    deposit.timestamp = QStringLiteral("2026-12-11T08:15:42");
    deposit.type = QStringLiteral("cash_flow");
    deposit.amount = 1500.0;
    deposit.currency = QStringLiteral("BRL");
    deposit.note = QStringLiteral("Monthly deposit");
    window.portfolioTransactions[window.activePortfolio] = {deposit};
    window.refreshPortfolioTransactions();

    NewsItem headline;
    headline.title = QStringLiteral("Stocks rally as investors weigh the central bank's next move on rates");
    headline.source = QStringLiteral("Yahoo Finance");
    headline.publishedAt = QStringLiteral("Fri, 11 Dec 2026 08:15:42 +0000");
    headline.url =
        QStringLiteral("https://finance.yahoo.com/news/stocks-rally-investors-weigh-central-bank.html");
    headline.region = QStringLiteral("us");
    window.refreshNewsTable({headline}, QStringLiteral("Yahoo Finance"));

    Quote quote;
    quote.symbol = window.quoteTable->item(0, QuoteColumnSymbol)->text();
    quote.source = QStringLiteral("Yahoo");
    quote.price = 36.71;
    quote.changePercent = -1.25;
    quote.open = 37.0;
    quote.high = 37.4;
    quote.low = 36.5;
    quote.prevClose = 37.18;
    window.applyQuote(quote.symbol, QStringLiteral("yahoo"), quote, 1234);
}

void addThemeAndLanguageRows()
{
    QTest::addColumn<QString>("theme");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("switchWhileShown");
    for (const char *theme : {"coffee_dark", "mvx_light"})
        for (const char *language : {"en", "pt_BR"})
            for (bool whileShown : {false, true})
                QTest::addRow("%s %s %s", theme, language,
                              whileShown ? "switched while shown" : "before show")
                    << theme << language << whileShown;
}

// The shown window of the test row: its theme and language, chosen before the window first shows or
// from the menu once it is shown.
std::unique_ptr<ShownWindow> rowWindow()
{
    QFETCH(QString, theme);
    QFETCH(QString, language);
    QFETCH(bool, switchWhileShown);
    return std::make_unique<ShownWindow>(theme, language,
                                         switchWhileShown ? ShownWindow::Choice::WhileShown
                                                          : ShownWindow::Choice::BeforeShow);
}
} // namespace

class TestTextFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headersShowTheirLabels_data() { addThemeAndLanguageRows(); }

    // "Fechamento", "Preço médio", "Market Value": every header of the pages reads whole.
    void headersShowTheirLabels()
    {
        const std::unique_ptr<ShownWindow> shown = rowWindow();
        MainWindow &window = shown->window;
        QCOMPARE(window.size(), QSize(1320, 820));
        for (const auto &[name, table] : pageTables(window)) {
            bringToFront(table);
            QTRY_VERIFY2(cutHeaders(table, name).isEmpty(), qPrintable(cutHeaders(table, name).join("; ")));
        }
    }

    void cellsShowTheirValues_data() { addThemeAndLanguageRows(); }

    // "2026-12-11 08:15:42", "Fluxo de caixa", a status: once rows are in, no column cuts its values
    // while the stretching last one holds the table's spare room.
    void cellsShowTheirValues()
    {
        const std::unique_ptr<ShownWindow> shown = rowWindow();
        MainWindow &window = shown->window;
        fillPageTables(window);
        shown->settle();
        for (const auto &[name, table] : pageTables(window)) {
            bringToFront(table);
            QTRY_VERIFY2(cutValues(table, name).isEmpty(), qPrintable(cutValues(table, name).join("; ")));
        }
    }

    // A column the user widened keeps its width through a change of language; a hidden one that comes
    // back after the change is as wide as its new label.
    void widerAndHiddenColumnsAcrossALanguageChange()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QHeaderView *header = window.quoteTable->horizontalHeader();
        header->resizeSection(1, 333);
        window.applyColumnVisibilityChoice(5, false);
        header->resizeSection(4, 40); // narrowed by hand below its label
        window.setLanguage(QStringLiteral("pt_BR"));
        QTRY_VERIFY(header->sectionSize(4) >= header->sectionSizeHint(4));
        QCOMPARE(header->sectionSize(1), 333);
        window.applyColumnVisibilityChoice(5, true);
        QCOMPARE(window.quoteTable->horizontalHeaderItem(5)->text(), QStringLiteral("Fechamento"));
        QTRY_VERIFY2(cutHeaders(window.quoteTable, "quotes").isEmpty(),
                     qPrintable(cutHeaders(window.quoteTable, "quotes").join("; ")));
    }

    void boxesAndToolsShowTheirTexts_data() { addThemeAndLanguageRows(); }

    // "Todos os setores", "Todos os ativos": each box of the pages shows any of its items whole once
    // chosen, and each chart tool its whole label.
    void boxesAndToolsShowTheirTexts()
    {
        const std::unique_ptr<ShownWindow> shown = rowWindow();
        MainWindow &window = shown->window;
        QCOMPARE(window.size(), QSize(1320, 820));
        for (const auto &[name, combo] : pageCombos(window)) {
            bringToFront(combo);
            // Checked once the layout has settled, not after whatever later relayout happens to measure
            // the combo again.
            QCoreApplication::processEvents();
            QVERIFY2(cutItems(combo).isEmpty(),
                     qPrintable(QLatin1String(name) + QLatin1String(": ") + cutItems(combo).join(", ")));
            QVERIFY2(combo->width() >= combo->sizeHint().width(), name);
        }
        for (QPushButton *tool : {window.chartSelectButton, window.chartResetButton, window.chartHLineButton,
                                  window.chartVLineButton, window.chartTrendButton}) {
            QTRY_VERIFY2(tool->width() >= tool->sizeHint().width(),
                         qPrintable(QStringLiteral("%1: %2 < %3")
                                        .arg(tool->text())
                                        .arg(tool->width())
                                        .arg(tool->sizeHint().width())));
            QVERIFY(tool->width() >= 58);
        }
    }

    void defaultWindowShowsHistoryRowsAndAChart_data() { addThemeAndLanguageRows(); }

    // The bottom pane holds three rows of the alert history, and the chart keeps a plot that reads, in
    // the room the default window leaves the three panes.
    void defaultWindowShowsHistoryRowsAndAChart()
    {
        const std::unique_ptr<ShownWindow> shown = rowWindow();
        MainWindow &window = shown->window;
        QCOMPARE(window.size(), QSize(1320, 820));
        window.bottomTabs->setCurrentIndex(1);
        const int threeRows = 3 * window.alertHistoryTable->verticalHeader()->defaultSectionSize();
        QTRY_VERIFY2(window.alertHistoryTable->viewport()->height() >= threeRows,
                     qPrintable(QStringLiteral("%1 < %2")
                                    .arg(window.alertHistoryTable->viewport()->height())
                                    .arg(threeRows)));
        QVERIFY(chartPlotRect(window.priceChart->size()).height() >= kMinimumPlotHeight);

        // The starting sizes 360, 300, 130 still lead: the bottom pane gets at least its share of the
        // splitter and stays smaller than the quote table.
        const QList<int> sizes = window.leftSplitter->sizes();
        const int extent = sizes.at(0) + sizes.at(1) + sizes.at(2);
        QVERIFY2(sizes.at(2) * 790 >= extent * 130, qPrintable(QDebug::toString(sizes)));
        QVERIFY2(sizes.at(0) > sizes.at(2), qPrintable(QDebug::toString(sizes)));
    }

    // Where the splitter has room for them, the starting sizes hold in proportion.
    void aTallWindowKeepsTheStartingProportions()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.resize(1320, 1400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<int> sizes = window.leftSplitter->sizes();
        const double extent = sizes.at(0) + sizes.at(1) + sizes.at(2);
        const QList<int> starting = {360, 300, 130};
        for (int pane = 0; pane < 3; ++pane)
            QVERIFY2(qAbs(sizes.at(pane) - extent * starting.at(pane) / 790.0) <= 2,
                     qPrintable(QDebug::toString(sizes)));
    }
};

MVX_TEST_MAIN(TestTextFit)
#include "test_text_fit.moc"
