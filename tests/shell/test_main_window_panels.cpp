#include "chart/price_chart.h"
#include "movers/movers_mosaic.h"
#include "shell/main_window.h"
#include "tests/support/shown_text.h"
#include "tests/support/test_main.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>

#include <functional>

namespace {
QStringList headers(const QTableWidget *table)
{
    QStringList out;
    for (int column = 0; column < table->columnCount(); ++column)
        out << table->horizontalHeaderItem(column)->text();
    return out;
}

// The titles as the tabs show them, mnemonic marks taken.
QStringList tabTitles(const QTabWidget *tabs)
{
    return shownTabTexts(tabs);
}

QStringList comboItems(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) {
        const QString key = combo->itemData(i).toString();
        out << (key.isEmpty() ? combo->itemText(i) : combo->itemText(i) + QLatin1Char('=') + key);
    }
    return out;
}

// (row, column, row span, column span) of a widget in the grid layout of its parent.
QList<int> gridCell(const QWidget *widget)
{
    auto *grid = qobject_cast<QGridLayout *>(widget->parentWidget()->layout());
    if (!grid)
        return {};
    const int index = grid->indexOf(widget);
    if (index < 0)
        return {};
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    return {row, column, rowSpan, columnSpan};
}

// The widgets of a box layout, top to bottom, with their stretch factors.
QList<QPair<QWidget *, int>> boxContents(const QWidget *owner)
{
    QList<QPair<QWidget *, int>> out;
    auto *box = qobject_cast<QBoxLayout *>(owner->layout());
    for (int i = 0; box && i < box->count(); ++i)
        out.append({box->itemAt(i)->widget(), box->stretch(i)});
    return out;
}

void checkStandardTable(const QTableWidget *table, int rows = 0)
{
    QVERIFY(!table->verticalHeader()->isVisible());
    QVERIFY(table->horizontalHeader()->stretchLastSection());
    QCOMPARE(table->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(table->alternatingRowColors());
    QVERIFY(table->isSortingEnabled());
    QCOMPARE(table->rowCount(), rows);
}

QStringList startupStages(const QString &logPath)
{
    QStringList texts;
    for (const QByteArray &line : TempHome::readFile(logPath).split('\n')) {
        const int blank = line.indexOf(' ');
        if (blank > 0)
            texts << QString::fromUtf8(line.mid(blank + 1));
    }
    return texts;
}
} // namespace

class TestMainWindowPanels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startupLogHasEveryPanelStageInOrder()
    {
        TempHome home;
        {
            MainWindow window;
        }
        const QStringList expected = {"enter",
                                      "before menu setup",
                                      "after menu setup",
                                      "root layout created",
                                      "top layout created",
                                      "brand created",
                                      "before setupCompleter",
                                      "after setupCompleter",
                                      "before loadSymbolClassifications",
                                      "after loadSymbolClassifications",
                                      "top bar created",
                                      "table created",
                                      "chart toolbar partially created",
                                      "chart panel created",
                                      "book panel created",
                                      "movers panel created",
                                      "screener panel created",
                                      "news panel created",
                                      "portfolio panel created",
                                      "tape panel created",
                                      "right tabs created",
                                      "central widget set",
                                      "before signal connects"};
        QStringList prefixed;
        for (const QString &stage : expected)
            prefixed << QStringLiteral("MainWindow ctor: ") + stage;
        const QStringList texts = startupStages(home.appConfigDir() + QStringLiteral("/startup.log"));
        QVERIFY(texts.size() >= prefixed.size());
        QCOMPARE(texts.mid(0, prefixed.size()), prefixed);
    }

    void topBar()
    {
        TempHome home;
        MainWindow window;
        QWidget *topBar = window.symbolInput->parentWidget();
        QCOMPARE(topBar->layout()->spacing(), 8);
        auto *brand = topBar->findChild<QWidget *>(QStringLiteral("terminalBrand"));
        QVERIFY(brand);
        QCOMPARE(brand->layout()->contentsMargins(), QMargins(0, 0, 10, 0));
        QCOMPARE(brand->layout()->spacing(), 2);
        auto *logo = brand->findChild<QLabel *>(QStringLiteral("brandLogo"));
        QVERIFY(logo);
        QVERIFY(!logo->pixmap().isNull());
        QVERIFY(logo->pixmap().width() <= 34 && logo->pixmap().height() <= 34);
        auto *title = brand->findChild<QLabel *>(QStringLiteral("terminalTitle"));
        QCOMPARE(title->text(), QStringLiteral("Murvex"));
        QCOMPARE(title->alignment(), Qt::AlignCenter);

        QVERIFY(window.symbolInput->isClearButtonEnabled());
        QCOMPARE(window.fxTickerLabel->text(), QStringLiteral("USD/BRL --"));
        QCOMPARE(window.fxTickerLabel->objectName(), QStringLiteral("fxTicker"));
        QCOMPARE(window.fxTickerLabel->minimumWidth(), 118);
        QCOMPARE(window.fxTickerLabel->alignment(), Qt::AlignCenter);
        QCOMPARE(window.fxTickerLabel->parentWidget(), topBar);

        QCOMPARE(gridCell(brand), (QList<int>{0, 0, 2, 1}));
        QCOMPARE(gridCell(window.symbolInput), (QList<int>{0, 1, 1, 3}));
        QCOMPARE(gridCell(window.fxTickerLabel), (QList<int>{1, 1, 1, 1}));
        QCOMPARE(gridCell(window.addSymbolButton), (QList<int>{1, 2, 1, 1}));
        QCOMPARE(gridCell(window.refreshQuotesButton), (QList<int>{1, 3, 1, 1}));
        auto *grid = static_cast<QGridLayout *>(topBar->layout());
        QCOMPARE(grid->columnStretch(1), 1);
        QCOMPARE(grid->columnStretch(0) + grid->columnStretch(2) + grid->columnStretch(3), 0);
    }

    void quoteTable()
    {
        TempHome home;
        MainWindow window;
        QTableWidget *table = window.quoteTable;
        QCOMPARE(table->columnCount(), 16);
        QCOMPARE(headers(table),
                 (QStringList{"Symbol", "Asset", "Open", "High", "Low", "Close", "Last", "Change", "SMA20",
                              "EMA20", "VWAP", "MACD", "Source", "Latency", "Status", "Updated"}));
        checkStandardTable(table, 7); // the initial loading seeds the default watchlist
        QCOMPARE(table->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!table->dragEnabled());
        QVERIFY(!table->acceptDrops());
        QVERIFY(!table->viewport()->acceptDrops());
        QVERIFY(!table->showDropIndicator());
        QCOMPARE(table->dragDropMode(), QAbstractItemView::NoDragDrop);
        QCOMPARE(table->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(table->horizontalHeader()->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void chartPanel()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(comboItems(window.chartModeCombo), (QStringList{"Line=line", "Candle=candle"}));
        QCOMPARE(comboItems(window.chartTimeframeCombo),
                 (QStringList{"1m", "5m", "15m", "30m", "1h", "4h", "1d", "1mo"}));
        QCOMPARE(window.chartModeCombo->currentIndex(), 0);
        QCOMPARE(window.chartTimeframeCombo->currentText(), QStringLiteral("1m"));

        QWidget *toolbar = window.chartTitleLabel->parentWidget();
        QCOMPARE(toolbar->objectName(), QStringLiteral("chartToolbar"));
        QCOMPARE(toolbar->layout()->spacing(), 6);
        QCOMPARE(window.chartTitleLabel->objectName(), QStringLiteral("panelTitle"));
        QCOMPARE(window.chartTitleLabel->text(), QStringLiteral("Chart"));
        QCOMPARE(window.chartModeCombo->parentWidget(), toolbar); // moved in by the toolbar's layout

        struct Tool
        {
            QPushButton *button;
            const char *text;
            bool checkable;
            const char *keys;
            QList<int> cell;
        };
        const QList<Tool> tools = {{window.chartSelectButton, "Select", true, "Alt+1", {1, 0, 1, 2}},
                                   {window.chartResetButton, "Reset", false, "Alt+0", {1, 2, 1, 2}},
                                   {window.chartHLineButton, "HLine", true, "Alt+2", {1, 4, 1, 1}},
                                   {window.chartVLineButton, "VLine", true, "Alt+3", {1, 5, 1, 1}},
                                   {window.chartTrendButton, "Trend", true, "Alt+4", {1, 6, 1, 2}}};
        for (const Tool &tool : tools) {
            QCOMPARE(tool.button->text(), QString::fromLatin1(tool.text));
            QCOMPARE(tool.button->objectName(), QStringLiteral("chartToolButton"));
            // The theme's narrow rule for the tools (48 px of content, padding and border around it)
            // replaces the 58 px set at construction.
            QCOMPARE(tool.button->minimumWidth(), 48 + 2 * 8 + 2 * 1);
            QCOMPARE(tool.button->maximumWidth(), 92);
            QCOMPARE(tool.button->isCheckable(), tool.checkable);
            QCOMPARE(tool.button->shortcut(), QKeySequence(QString::fromLatin1(tool.keys)));
            QVERIFY(tool.button->toolTip().contains(QString::fromLatin1(tool.keys)));
            QCOMPARE(gridCell(tool.button), tool.cell);
        }
        QVERIFY(window.chartSelectButton->isChecked());
        for (QPushButton *other : {window.chartHLineButton, window.chartVLineButton, window.chartTrendButton})
            QVERIFY(!other->isChecked());
        QCOMPARE(window.chartResetButton->toolTip(),
                 QStringLiteral("Reset zoom to the latest candle (Alt+0)"));
        QCOMPARE(gridCell(window.chartTitleLabel), (QList<int>{0, 0, 1, 1}));
        QCOMPARE(gridCell(window.chartModeCombo), (QList<int>{0, 1, 1, 1}));
        QCOMPARE(gridCell(window.chartTimeframeCombo), (QList<int>{0, 2, 1, 1}));
        QCOMPARE(static_cast<QGridLayout *>(toolbar->layout())->columnStretch(3), 1);

        QWidget *panel = toolbar->parentWidget();
        const auto contents = boxContents(panel);
        QCOMPARE(contents.size(), 2);
        QCOMPARE(contents.at(0), (QPair<QWidget *, int>(toolbar, 0)));
        QCOMPARE(contents.at(1), (QPair<QWidget *, int>(window.priceChart, 1)));
        QCOMPARE(panel->layout()->spacing(), 4);

        QCOMPARE(window.priceChart->minimumHeight(), chartMinimumHeight());
        QVERIFY(window.priceChart->hasMouseTracking());
        QCOMPARE(window.priceChart->focusPolicy(), Qt::StrongFocus);
    }

    void chartStatusReachesTheConsole()
    {
        TempHome home;
        MainWindow window;
        window.priceChart->setChartTool(PriceChart::TrendLine);
        QVERIFY(window.eventConsole->toPlainText().endsWith(QStringLiteral("Chart tool: Trend line")));
        window.priceChart->resetZoom();
        QVERIFY(window.eventConsole->toPlainText().endsWith(QStringLiteral("Chart zoom reset")));
    }

    void bookPanel()
    {
        TempHome home;
        MainWindow window;
        // The first row is selected at construction and the book follows it; without a selection the
        // title is the bare heading.
        window.quoteTable->setCurrentCell(-1, -1);
        window.startBookStream();
        QCOMPARE(window.bookTitleLabel->text(), QStringLiteral("ORDER BOOK"));
        QCOMPARE(window.bookTitleLabel->objectName(), QStringLiteral("panelTitle"));
        QVERIFY(window.bookTitleLabel->wordWrap());
        QWidget *panel = window.askCaptionLabel->parentWidget();
        QCOMPARE(panel->minimumWidth(), 240);
        QCOMPARE(panel->layout()->spacing(), 6);

        QCOMPARE(window.bookMetricCards.size(), 4);
        const QStringList captions = {"BID", "ASK", "SPR", "IMB"};
        for (int i = 0; i < 4; ++i) {
            QLabel *card = window.bookMetricCards.at(i);
            QCOMPARE(card->text(), captions.at(i) + QStringLiteral("\n--"));
            QCOMPARE(card->objectName(), QStringLiteral("bookMetric"));
        }
        QWidget *metricRow = window.bookMetricCards.at(0)->parentWidget();
        QCOMPARE(metricRow->layout()->spacing(), 4);

        QCOMPARE(window.bookStepLabel->text(), QStringLiteral("Step"));
        QDoubleSpinBox *step = window.bookStepSpin;
        QCOMPARE(step->minimum(), 0.0);
        QCOMPARE(step->maximum(), 1000000.0);
        QCOMPARE(step->decimals(), 8);
        QCOMPARE(step->singleStep(), 0.01);
        QCOMPARE(step->value(), 0.0);
        QCOMPARE(step->specialValueText(), QStringLiteral("Raw"));
        QCOMPARE(step->text(), QStringLiteral("Raw"));
        QCOMPARE(gridCell(window.bookStepLabel), (QList<int>{0, 0, 1, 1}));
        QCOMPARE(gridCell(step), (QList<int>{0, 1, 1, 3}));

        const QStringList keys = {"raw", "tight", "normal", "wide"};
        const QStringList texts = {"Raw", "Tight", "Normal", "Wide"};
        QCOMPARE(window.bookPresetButtons.size(), 4);
        QCOMPARE(window.bookPresetShortcuts.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QPushButton *button = window.bookPresetButtons.at(i);
            QCOMPARE(button->text(), texts.at(i));
            QCOMPARE(button->property("bookPreset").toString(), keys.at(i));
            QCOMPARE(button->objectName(), QStringLiteral("bookPresetButton"));
            QVERIFY(button->isCheckable());
            // Step 0 is raw's alone: without a price the others give the least step.
            QCOMPARE(button->isChecked(), i == 0);
            QCOMPARE(button->minimumWidth(), 0 + 2 * 4 + 2 * 1); // the theme's 0 rule plus padding and border
            QCOMPARE(button->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
            QCOMPARE(button->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
            QCOMPARE(gridCell(button), (QList<int>{1, i, 1, 1}));
            // The shortcut configuration gives each its key at start: Ctrl+1 to Ctrl+4.
            QCOMPARE(window.bookPresetShortcuts.at(i)->key(),
                     QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1)));
            QCOMPARE(window.bookPresetShortcuts.at(i)->parent(), &window);
        }

        // Built as the book's sides; the start-up retranslation shows the quote snapshot until depth arrives.
        QCOMPARE(window.askCaptionLabel->text(), QStringLiteral("QUOTE"));
        QCOMPARE(window.bidCaptionLabel->text(), QStringLiteral("STATS"));
        window.bookLive = true;
        window.retranslateUi();
        QCOMPARE(window.askCaptionLabel->text(), QStringLiteral("ASK"));
        QCOMPARE(window.bidCaptionLabel->text(), QStringLiteral("BID"));
        window.bookLive = false;
        window.retranslateUi();
        const auto contents = boxContents(panel);
        const QList<QPair<QWidget *, int>> expected = {
            {window.bookTitleLabel, 0},  {step->parentWidget(), 0}, {metricRow, 0},
            {window.askCaptionLabel, 0}, {window.askTable, 1},      {window.bidCaptionLabel, 0},
            {window.bidTable, 1}};
        QCOMPARE(contents, expected);
        for (QTableWidget *side : {window.askTable, window.bidTable}) {
            QCOMPARE(headers(side), (QStringList{"Field", "Value", "Source"}));
            QCOMPARE(side->selectionMode(), QAbstractItemView::NoSelection);
            QVERIFY(!side->isSortingEnabled());
            QVERIFY(side->alternatingRowColors());
            QCOMPARE(side->editTriggers(), QAbstractItemView::NoEditTriggers);
        }
    }

    void moversPage()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.moversTitleLabel->text(), QStringLiteral("MARKET MOVERS"));
        QCOMPARE(window.moversTitleLabel->objectName(), QStringLiteral("panelTitle"));
        QCOMPARE(comboItems(window.moversScopeCombo),
                 (QStringList{"All delayed=all", "B3 delayed=b3", "US delayed=us", "Crypto 24h=crypto",
                              "Watchlist=watchlist"}));
        QCOMPARE(window.moversScopeCombo->currentData().toString(), QStringLiteral("crypto"));
        QCOMPARE(comboItems(window.moversIntervalCombo),
                 (QStringList{"Hour=hour", "Day=day", "Week=week", "Month=month"}));
        QCOMPARE(window.moversIntervalCombo->currentData().toString(), QStringLiteral("hour"));
        QCOMPARE(comboItems(window.moversSectorCombo), (QStringList{"All sectors=all"}));
        QCOMPARE(window.moversMinVolumeSpin->maximum(), 1e12);
        QCOMPARE(window.moversMinVolumeSpin->decimals(), 0);
        QCOMPARE(window.moversMinVolumeSpin->singleStep(), 10000.0);
        QCOMPARE(window.moversMinVolumeSpin->prefix(), QStringLiteral("Min Vol "));
        QCOMPARE(window.moversMinTurnoverSpin->maximum(), 1e15);
        QCOMPARE(window.moversMinTurnoverSpin->singleStep(), 100000.0);
        QCOMPARE(window.moversMinTurnoverSpin->prefix(), QStringLiteral("Min Turnover "));
        QCOMPARE(gridCell(window.moversTitleLabel), (QList<int>{0, 0, 1, 2}));
        QCOMPARE(gridCell(window.moversScopeCombo), (QList<int>{0, 3, 1, 1}));
        QCOMPARE(gridCell(window.moversIntervalCombo), (QList<int>{0, 4, 1, 1}));
        QCOMPARE(gridCell(window.moversSectorCombo), (QList<int>{0, 5, 1, 1}));
        QCOMPARE(gridCell(window.moversMinVolumeSpin), (QList<int>{1, 0, 1, 2}));
        QCOMPARE(gridCell(window.moversMinTurnoverSpin), (QList<int>{1, 2, 1, 3}));
        QCOMPARE(gridCell(window.moversRefreshButton), (QList<int>{1, 5, 1, 1}));
        QCOMPARE(
            static_cast<QGridLayout *>(window.moversTitleLabel->parentWidget()->layout())->columnStretch(2),
            1);

        QCOMPARE(window.breadthCards.size(), 5);
        const QStringList captions = {"ADV / DEC", "MEDIAN", "BEST", "WORST", "TURNOVER"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(window.breadthCards.at(i)->text(), captions.at(i) + QStringLiteral("\n--"));
        QCOMPARE(window.moversMosaic->minimumHeight(), 210);
        QVERIFY(window.moversMosaic->hasMouseTracking());

        for (QTableWidget *table : {window.gainersTable, window.losersTable}) {
            checkStandardTable(table);
            QCOMPARE(headers(table),
                     (QStringList{"Symbol", "Last", "Change", "Volume", "Turnover", "Sector"}));
        }
        QCOMPARE(window.gainersTitleLabel->text(), QStringLiteral("TOP GAINERS"));
        QCOMPARE(window.losersTitleLabel->text(), QStringLiteral("TOP LOSERS"));
        QCOMPARE(window.gainersTitleLabel->objectName(), QStringLiteral("subPanelTitle"));
        QCOMPARE(window.losersTitleLabel->objectName(), QStringLiteral("subPanelTitle"));

        // Header, cards, mosaic (2) and the gainers-beside-losers splitter (3), gainers on the left.
        QWidget *page = window.moversMosaic->parentWidget();
        const auto contents = boxContents(page);
        QCOMPARE(contents.size(), 4);
        QCOMPARE(contents.at(0).first, window.moversTitleLabel->parentWidget());
        QCOMPARE(contents.at(1).first, window.breadthCards.at(0)->parentWidget());
        QCOMPARE(contents.at(2), (QPair<QWidget *, int>(window.moversMosaic, 2)));
        auto *splitter = qobject_cast<QSplitter *>(contents.at(3).first);
        QVERIFY(splitter);
        QCOMPARE(contents.at(3).second, 3);
        QCOMPARE(splitter->orientation(), Qt::Horizontal);
        QCOMPARE(splitter->count(), 2);
        QVERIFY(splitter->widget(0)->isAncestorOf(window.gainersTable));
        QVERIFY(splitter->widget(1)->isAncestorOf(window.losersTable));
    }

    void screenerNewsPortfolioAndTapePages()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(comboItems(window.screenerScopeCombo),
                 (QStringList{"Watchlist=watchlist", "Full universe=universe"}));
        QCOMPARE(comboItems(window.screenerAssetCombo),
                 (QStringList{"All assets=all", "Brazil=br", "US=us", "Crypto=crypto", "Forex=forex"}));
        QCOMPARE(window.screenerMinChangeSpin->minimum(), -1000.0);
        QCOMPARE(window.screenerMinChangeSpin->maximum(), 1000.0);
        QCOMPARE(window.screenerMinChangeSpin->singleStep(), 0.25);
        QCOMPARE(window.screenerMinChangeSpin->suffix(), QStringLiteral("%"));
        QCOMPARE(window.screenerMinChangeSpin->prefix(), QStringLiteral("Min Change "));
        QVERIFY(window.screenerFilterEdit->isClearButtonEnabled());
        QCOMPARE(gridCell(window.screenerFilterEdit), (QList<int>{0, 3, 1, 1}));
        QCOMPARE(gridCell(window.screenerMinChangeSpin), (QList<int>{1, 0, 1, 3}));
        checkStandardTable(window.screenerTable);
        QCOMPARE(headers(window.screenerTable),
                 (QStringList{"Symbol", "Asset", "Last", "Change", "Volume", "Market", "Source", "Signal"}));

        QCOMPARE(comboItems(window.newsSourceCombo),
                 (QStringList{"Auto=auto", "Murvex JSON=murvex", "Public RSS=public", "NewsAPI=newsapi"}));
        QCOMPARE(comboItems(window.newsRegionCombo), (QStringList{"All=all", "US=us", "Crypto=crypto"}));
        QCOMPARE(gridCell(window.newsQueryEdit), (QList<int>{0, 1, 1, 3}));
        QCOMPARE(gridCell(window.newsSourceCombo), (QList<int>{1, 1, 1, 2}));
        QCOMPARE(gridCell(window.newsRegionCombo), (QList<int>{1, 0, 1, 1}));
        QCOMPARE(gridCell(window.newsRefreshButton), (QList<int>{1, 3, 1, 1}));
        checkStandardTable(window.newsTable);
        QCOMPARE(headers(window.newsTable), (QStringList{"Time", "Category", "Source", "Headline", "Link"}));

        // Without a settings file the default portfolio exists from the start and the selector lists it.
        QCOMPARE(window.portfolioSummaryLabel->text(),
                 QStringLiteral("BRL Market 0.00 | P&L 0.00 | Cash 0.00 | Div 0.00"));
        QCOMPARE(window.portfolioSummaryLabel->textFormat(), Qt::PlainText);
        QCOMPARE(comboItems(window.portfolioCombo), (QStringList{"Main"}));
        QCOMPARE(gridCell(window.portfolioTitleLabel), (QList<int>{0, 0, 1, 1}));
        QCOMPARE(gridCell(window.portfolioSummaryLabel), (QList<int>{0, 1, 1, 2}));
        QCOMPARE(gridCell(window.portfolioCombo), (QList<int>{1, 0, 1, 1}));
        QCOMPARE(gridCell(window.portfolioNewButton), (QList<int>{1, 1, 1, 1}));
        QCOMPARE(gridCell(window.portfolioRenameButton), (QList<int>{1, 2, 1, 1}));
        QCOMPARE(gridCell(window.portfolioDeleteButton), (QList<int>{1, 3, 1, 1}));
        QCOMPARE(gridCell(window.portfolioCashFlowButton), (QList<int>{2, 1, 1, 1}));
        QCOMPARE(gridCell(window.portfolioDividendButton), (QList<int>{2, 2, 1, 1}));
        QCOMPARE(comboItems(window.portfolioCurrencyCombo), (QStringList{"BRL", "USD"}));
        QCOMPARE(window.portfolioCurrencyCombo->currentText(), QStringLiteral("BRL"));
        QCOMPARE(gridCell(window.portfolioAddPositionButton), (QList<int>{3, 1, 1, 2}));
        QCOMPARE(gridCell(window.portfolioRemoveButton), (QList<int>{3, 3, 1, 1}));
        QCOMPARE(gridCell(window.portfolioCurrencyCombo), (QList<int>{2, 0, 1, 1}));
        QCOMPARE(window.positionsTable->columnCount(), 7);
        QCOMPARE(window.transactionsTable->columnCount(), 6);
        QVERIFY(!window.positionsTable->alternatingRowColors());
        QVERIFY(window.positionsTable->isSortingEnabled());
        QCOMPARE(window.transactionsTable->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(window.portfolioTabs->widget(0), window.positionsTable);
        QCOMPARE(window.portfolioTabs->widget(1), window.transactionsTable);

        // The tape follows the row selected at construction; without a selection it asks for one.
        window.quoteTable->setCurrentCell(-1, -1);
        window.startBookStream();
        QCOMPARE(window.tapeTitleLabel->text(), QStringLiteral("TIME & SALES  select ticker"));
        QCOMPARE(comboItems(window.tapeSideCombo),
                 (QStringList{"All=all", "Buy=buy", "Sell=sell", "Quote=quote"}));
        QCOMPARE(window.tapeMinSizeSpin->decimals(), 6);
        QCOMPARE(window.tapeMinSizeSpin->maximum(), 1e9);
        QCOMPARE(window.tapeMinSizeSpin->prefix(), QStringLiteral("Min "));
        QCOMPARE(gridCell(window.tapeTitleLabel), (QList<int>{0, 0, 1, 3}));
        QCOMPARE(window.tapeTable->selectionMode(), QAbstractItemView::NoSelection);
        QVERIFY(!window.tapeTable->isSortingEnabled());
        QCOMPARE(headers(window.tapeTable), (QStringList{"Time", "Price", "Size", "Side/Source"}));
    }

    void frame()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.centralWidget(), window.mainTabs->parentWidget());
        const auto rootContents = boxContents(window.centralWidget());
        QCOMPARE(rootContents.size(), 2);
        QCOMPARE(rootContents.at(0).first, window.symbolInput->parentWidget());
        QCOMPARE(rootContents.at(1), (QPair<QWidget *, int>(window.mainTabs, 1)));
        QCOMPARE(window.centralWidget()->layout()->contentsMargins(), QMargins(12, 10, 12, 10));

        QCOMPARE(window.mainTabs->objectName(), QStringLiteral("mainTabs"));
        QCOMPARE(tabTitles(window.mainTabs),
                 (QStringList{"Terminal", "Movers", "Screener", "News", "Portfolio"}));
        QVERIFY(window.mainTabs->widget(1)->isAncestorOf(window.moversMosaic));
        QVERIFY(window.mainTabs->widget(2)->isAncestorOf(window.screenerTable));
        QVERIFY(window.mainTabs->widget(3)->isAncestorOf(window.newsTable));
        QVERIFY(window.mainTabs->widget(4)->isAncestorOf(window.portfolioTabs));

        const auto terminal = boxContents(window.mainTabs->widget(0));
        QCOMPARE(terminal.size(), 2);
        QCOMPARE(terminal.at(0), (QPair<QWidget *, int>(window.quoteTilesBar, 0)));
        QCOMPARE(terminal.at(1), (QPair<QWidget *, int>(window.workspaceSplitter, 1)));

        QCOMPARE(window.quoteTilesBar->objectName(), QStringLiteral("quoteTilesBar"));
        QCOMPARE(window.quoteTilesLayout->contentsMargins(), QMargins(0, 4, 0, 4));
        QCOMPARE(window.quoteTileLabels.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QLabel *tile = window.quoteTileLabels.at(i);
            QCOMPARE(tile->text(), QStringLiteral("--"));
            QCOMPARE(tile->objectName(), QStringLiteral("quoteTile"));
            QCOMPARE(gridCell(tile), (QList<int>{0, i, 1, 1}));
            QCOMPARE(tile->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        }

        QSplitter *workspace = window.workspaceSplitter;
        QCOMPARE(workspace->orientation(), Qt::Horizontal);
        QCOMPARE(workspace->count(), 2);
        QCOMPARE(workspace->widget(0), window.leftSplitter);
        QCOMPARE(workspace->widget(1), window.rightTabs);
        QVERIFY(!workspace->childrenCollapsible());

        QSplitter *left = window.leftSplitter;
        QCOMPARE(left->orientation(), Qt::Vertical);
        QCOMPARE(left->count(), 3);
        QCOMPARE(left->widget(0), window.quoteTable);
        QVERIFY(left->widget(1)->isAncestorOf(window.priceChart));
        QCOMPARE(left->widget(2), window.bottomTabs);
        QVERIFY(!left->childrenCollapsible());
        // The first layout follows the initial sizes 360, 300, 130 (scaled to the room there is), not
        // the stretch factors, which would favour the chart.
        window.resize(1320, 1400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<int> sizes = left->sizes();
        QVERIFY2(sizes.at(0) > sizes.at(1) && sizes.at(1) > sizes.at(2), qPrintable(QDebug::toString(sizes)));
        QVERIFY(qAbs(double(sizes.at(0)) / sizes.at(2) - 360.0 / 130.0) < 0.05);

        QCOMPARE(window.rightTabs->minimumWidth(), 250);
        QCOMPARE(tabTitles(window.rightTabs), (QStringList{"Book", "Tape"}));
        QVERIFY(window.rightTabs->widget(0)->isAncestorOf(window.bookTitleLabel));
        QVERIFY(window.rightTabs->widget(1)->isAncestorOf(window.tapeTable));

        QCOMPARE(window.bottomTabs->objectName(), QStringLiteral("bottomTabs"));
        // Its least height comes from the alert history's rows, not from a fixed figure.
        QCOMPARE(window.bottomTabs->minimumHeight(), 0);
        QVERIFY(window.alertHistoryTable->minimumHeight() >=
                3 * window.alertHistoryTable->verticalHeader()->defaultSectionSize());
        QCOMPARE(tabTitles(window.bottomTabs), (QStringList{"Terminal", "History"}));
        QVERIFY(window.bottomTabs->widget(0)->isAncestorOf(window.eventConsole));
        QVERIFY(window.bottomTabs->widget(1)->isAncestorOf(window.alertHistoryTable));

        QCOMPARE(window.eventConsole->objectName(), QStringLiteral("eventConsole"));
        QVERIFY(window.eventConsole->isReadOnly());
        QCOMPARE(window.eventConsole->maximumBlockCount(), 300);
        checkStandardTable(window.alertHistoryTable);
        QCOMPARE(window.alertHistoryTable->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(headers(window.alertHistoryTable),
                 (QStringList{"Time", "Event", "Symbol", "Condition", "Target", "Price", "Status"}));
    }

    void consoleKeepsTheLast300Lines()
    {
        TempHome home;
        MainWindow window;
        for (int i = 1; i <= 301; ++i)
            window.appendEventLog(QStringLiteral("line %1").arg(i));
        QCOMPARE(window.eventConsole->blockCount(), 300);
        QVERIFY(window.eventConsole->document()->firstBlock().text().endsWith(QStringLiteral(" line 2")));
        QVERIFY(window.eventConsole->document()->lastBlock().text().endsWith(QStringLiteral(" line 301")));
    }

    // Shown on screen, each panel sits where the frame puts it.
    void shownPanelsSitInPlace()
    {
        TempHome home;
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto at = [&window](const QWidget *widget) {
            return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        };
        QVERIFY(at(window.symbolInput).bottom() < at(window.mainTabs).top());
        QVERIFY(at(window.quoteTilesBar).bottom() < at(window.quoteTable).top());
        QVERIFY(at(window.quoteTable).bottom() < at(window.priceChart).top());
        QVERIFY(at(window.priceChart).bottom() < at(window.bottomTabs).top());
        QVERIFY(at(window.quoteTable).right() < at(window.rightTabs).left());
        QVERIFY(at(window.rightTabs).top() >= at(window.quoteTilesBar).bottom());
        QVERIFY(at(window.rightTabs).width() >= 250);
        QVERIFY(at(window.quoteTable).height() > at(window.bottomTabs).height());
        for (int i = 1; i < 4; ++i)
            QVERIFY(at(window.quoteTileLabels.at(i - 1)).right() < at(window.quoteTileLabels.at(i)).left());
    }

    // Texts set at construction come in the language of the moment; the panels are rebuilt here after
    // switching the language in the settings block, as the constructor would build them in Portuguese.
    void constructionTextsInBothLanguages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("en") << "en"
                            << QStringList{"Search ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL",
                                           "Add",
                                           "Refresh",
                                           "Chart",
                                           "Select",
                                           "Reset",
                                           "Select (Alt+1)",
                                           "Step",
                                           "ASK",
                                           "BID",
                                           "ORDER BOOK",
                                           "Price|Size|Total",
                                           "MARKET MOVERS",
                                           "Min Vol ",
                                           "Min Turnover ",
                                           "ADV / DEC\n--",
                                           "TOP GAINERS",
                                           "TOP LOSERS",
                                           "Crypto 24h|Hour|All sectors",
                                           "Symbol|Last|Change|Volume|Turnover|Sector",
                                           "SCREENER",
                                           "Min Change ",
                                           "Filter symbol",
                                           "Watchlist|All assets",
                                           "MARKET NEWS",
                                           "Ticker or keyword: AAPL, PETR4.SA, BTCUSDT",
                                           "Auto|All",
                                           "Time|Category|Source|Headline|Link",
                                           "PORTFOLIO / P&L",
                                           "New|Rename|Delete|Cash flow|Dividend|Add position|Remove",
                                           "Positions|Cash & dividends",
                                           "Symbol|Quantity|Avg Price|Last|Market Value|P&L|P&L %",
                                           "Time|Type|Symbol|Amount|Currency|Note",
                                           "TIME & SALES",
                                           "Min ",
                                           "Clear",
                                           "All",
                                           "Time|Price|Size|Side/Source",
                                           "Book|Tape",
                                           "Terminal|History",
                                           "Time|Event|Symbol|Condition|Target|Price|Status",
                                           "Terminal|Movers|Screener|News|Portfolio"};
        QTest::newRow("pt_BR") << "pt_BR"
                               << QStringList{
                                      "Buscar ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL",
                                      "Adicionar",
                                      "Atualizar",
                                      QString::fromUtf8("Gráfico"),
                                      "Selecionar",
                                      "Resetar",
                                      "Selecionar (Alt+1)",
                                      "Degrau",
                                      "VENDA",
                                      "COMPRA",
                                      "LIVRO DE OFERTAS",
                                      QString::fromUtf8("Preço|Tamanho|Total"),
                                      QString::fromUtf8("OSCILAÇÕES DO MERCADO"),
                                      QString::fromUtf8("Vol Mín "),
                                      QString::fromUtf8("Giro mín "),
                                      "ALTAS / BAIXAS\n--",
                                      "MAIORES ALTAS",
                                      "MAIORES BAIXAS",
                                      "Crypto 24h|Hora|Todos os setores",
                                      QString::fromUtf8("Símbolo|Último|Variação|Volume|Giro|Setor"),
                                      "RASTREADOR",
                                      QString::fromUtf8("Variação min "),
                                      QString::fromUtf8("Filtrar símbolo"),
                                      "Lista|Todos os ativos",
                                      QString::fromUtf8("NOTÍCIAS DO MERCADO"),
                                      "Ticker ou palavra-chave: AAPL, PETR4.SA, BTCUSDT",
                                      QString::fromUtf8("Automático|Todas"),
                                      QString::fromUtf8("Horário|Categoria|Fonte|Manchete|Link"),
                                      "CARTEIRA / RESULTADO",
                                      QString::fromUtf8("Nova|Renomear|Excluir|Fluxo de caixa|Dividendo|"
                                                        "Adicionar posição|Remover"),
                                      QString::fromUtf8("Posições|Caixa e dividendos"),
                                      QString::fromUtf8("Símbolo|Quantidade|Preço médio|Último|Valor atual|"
                                                        "Resultado|P&L %"),
                                      QString::fromUtf8("Horário|Tipo|Símbolo|Valor|Moeda|Observação"),
                                      QString::fromUtf8("NEGÓCIOS"),
                                      QString::fromUtf8("Mín "),
                                      "Limpar",
                                      "Todos",
                                      QString::fromUtf8("Horário|Preço|Tamanho|Lado/Fonte"),
                                      "Livro|Fita",
                                      QString::fromUtf8("Terminal|Histórico"),
                                      QString::fromUtf8("Horário|Evento|Símbolo|Condição|Alvo|Preço|Status"),
                                      QString::fromUtf8("Terminal|Oscilações|Rastreador|Notícias|Carteira")};
    }

    void constructionTextsInBothLanguages()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        TempHome home;
        MainWindow window;
        window.settings.language = language;
        window.buildPanels();
        const QString bar = QStringLiteral("|");
        const QStringList actual = {
            window.symbolInput->placeholderText(),
            window.addSymbolButton->text(),
            window.refreshQuotesButton->text(),
            window.chartTitleLabel->text(),
            window.chartSelectButton->text(),
            window.chartResetButton->text(),
            window.chartSelectButton->toolTip(),
            window.bookStepLabel->text(),
            window.askCaptionLabel->text(),
            window.bidCaptionLabel->text(),
            window.bookTitleLabel->text(),
            headers(window.askTable).join(bar),
            window.moversTitleLabel->text(),
            window.moversMinVolumeSpin->prefix(),
            window.moversMinTurnoverSpin->prefix(),
            window.breadthCards.at(0)->text(),
            window.gainersTitleLabel->text(),
            window.losersTitleLabel->text(),
            QStringList{window.moversScopeCombo->currentText(), window.moversIntervalCombo->currentText(),
                        window.moversSectorCombo->currentText()}
                .join(bar),
            headers(window.gainersTable).join(bar),
            window.screenerTitleLabel->text(),
            window.screenerMinChangeSpin->prefix(),
            window.screenerFilterEdit->placeholderText(),
            QStringList{window.screenerScopeCombo->currentText(), window.screenerAssetCombo->currentText()}
                .join(bar),
            window.newsTitleLabel->text(),
            window.newsQueryEdit->placeholderText(),
            QStringList{window.newsSourceCombo->currentText(), window.newsRegionCombo->currentText()}.join(
                bar),
            headers(window.newsTable).join(bar),
            window.portfolioTitleLabel->text(),
            QStringList{window.portfolioNewButton->text(), window.portfolioRenameButton->text(),
                        window.portfolioDeleteButton->text(), window.portfolioCashFlowButton->text(),
                        window.portfolioDividendButton->text(), window.portfolioAddPositionButton->text(),
                        window.portfolioRemoveButton->text()}
                .join(bar),
            tabTitles(window.portfolioTabs).join(bar),
            headers(window.positionsTable).join(bar),
            headers(window.transactionsTable).join(bar),
            window.tapeTitleLabel->text(),
            window.tapeMinSizeSpin->prefix(),
            window.tapeClearButton->text(),
            window.tapeSideCombo->currentText(),
            headers(window.tapeTable).join(bar),
            tabTitles(window.rightTabs).join(bar),
            tabTitles(window.bottomTabs).join(bar),
            headers(window.alertHistoryTable).join(bar),
            tabTitles(window.mainTabs).join(bar)};
        QCOMPARE(actual.size(), texts.size());
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(actual.at(i), texts.at(i));
        // Fixed in both languages: the brand, the chart's line tools, the timeframes, the book captions of
        // the metric cards and the step box's special text.
        QCOMPARE(window.centralWidget()->findChild<QLabel *>(QStringLiteral("terminalTitle"))->text(),
                 QStringLiteral("Murvex"));
        QCOMPARE(window.chartHLineButton->text(), QStringLiteral("HLine"));
        QCOMPARE(window.chartTrendButton->text(), QStringLiteral("Trend"));
        QCOMPARE(window.chartTimeframeCombo->itemText(6), QStringLiteral("1d"));
        QCOMPARE(window.bookMetricCards.at(3)->text(), QStringLiteral("IMB\n--"));
        QCOMPARE(window.bookStepSpin->specialValueText(), QStringLiteral("Raw"));
        QCOMPARE(window.quoteTable->horizontalHeaderItem(0)->text(), QStringLiteral("Symbol"));
        // A rebuild leaves one shortcut per preset, not one per build.
        QCOMPARE(window.findChildren<QShortcut *>(QString(), Qt::FindDirectChildrenOnly).size(), 4);
    }

    void newsRegionOffersBrazilOnlyInPortuguese()
    {
        TempHome home;
        MainWindow window;
        window.settings.language = QStringLiteral("pt_BR");
        window.populateNewsRegionCombo(QStringLiteral("br"));
        QCOMPARE(comboItems(window.newsRegionCombo),
                 (QStringList{"Todas=all", "Brasil=br", "Americanas=us", "Crypto=crypto"}));
        QCOMPARE(window.newsRegionCombo->currentData().toString(), QStringLiteral("br"));
        window.settings.language = QStringLiteral("en");
        window.populateNewsRegionCombo(QString());
        QCOMPARE(comboItems(window.newsRegionCombo), (QStringList{"All=all", "US=us", "Crypto=crypto"}));
        QCOMPARE(window.newsRegionCombo->currentData().toString(), QStringLiteral("all"));
    }

    void sectorComboListsEachSectorOnceSortedWithoutCase()
    {
        TempHome home;
        MainWindow window;
        window.sectorBySymbol = {{"PETR4.SA", "Energy"},
                                 {"VALE3.SA", "materials"},
                                 {"AAPL", "Technology"},
                                 {"MSFT", "Technology"},
                                 {"XOM", "Energy"}};
        window.populateMoversSectorCombo(QStringLiteral("Technology"));
        QCOMPARE(comboItems(window.moversSectorCombo),
                 (QStringList{"All sectors=all", "Energy=Energy", "materials=materials",
                              "Technology=Technology"}));
        QCOMPARE(window.moversSectorCombo->currentText(), QStringLiteral("Technology"));
        window.sectorBySymbol.clear();
        window.populateMoversSectorCombo(QString()); // the kept sector is gone: back to all
        QCOMPARE(window.moversSectorCombo->currentData().toString(), QStringLiteral("all"));
    }
};

MVX_TEST_MAIN(TestMainWindowPanels)
#include "test_main_window_panels.moc"
