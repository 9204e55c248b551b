#include "shell/main_window.h"
#include "tests/streams/right_pane.h"
#include "tests/support/shown_window.h"
#include "tests/support/test_main.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>

#include <cstdlib>
#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

QStringList headers(const QTableWidget *table)
{
    QStringList out;
    for (int column = 0; column < table->columnCount(); ++column)
        out << table->horizontalHeaderItem(column)->text();
    return out;
}

QStringList cardTexts(const MainWindow &window)
{
    QStringList out;
    for (const QLabel *card : window.bookMetricCards)
        out << card->text();
    return out;
}

// Where a card draws its text: inside its frame, border and padding (a style sheet's box included).
QRect cardRoom(const QLabel *card)
{
    const int margin = card->margin();
    return card->contentsRect().adjusted(margin, margin, -margin, -margin);
}

// The font the code asks for a card: the system's fixed font, 9 pt, bold.
QFont askedCardFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    font.setBold(true);
    return font;
}

// What a card's caption and value need: in the font the card draws with, which the theme's size for
// every widget may have made larger than the one asked for, and in the one asked for.
QSize cardTextSize(const QLabel *card)
{
    return QFontMetrics(card->font())
        .size(0, card->text())
        .expandedTo(QFontMetrics(askedCardFont()).size(0, card->text()));
}

// The first card whose caption or value its own font cannot show whole inside it, described; empty
// when every card shows both whole.
QString cutCard(const MainWindow &window)
{
    for (const QLabel *card : window.bookMetricCards) {
        const QSize needed = cardTextSize(card);
        const QRect room = cardRoom(card);
        if (!card->isVisible() || needed.width() > room.width() || needed.height() > room.height())
            return QStringLiteral("\"%1\": %2 x %3 px of text in %4 x %5 px")
                .arg(QString(card->text()).replace(QLatin1Char('\n'), QLatin1String(" / ")))
                .arg(needed.width())
                .arg(needed.height())
                .arg(room.width())
                .arg(room.height());
    }
    return QString();
}

// Each card's place in the book panel, in the order the cards were made.
QList<QRect> cardPlaces(const MainWindow &window)
{
    QList<QRect> out;
    for (const QLabel *card : window.bookMetricCards)
        out << ShownWindow::rectIn(card, window.askCaptionLabel->parentWidget());
    return out;
}

// What the window did while a test fed it a frame: the paints each widget got, and the layout requests
// that reached each tab widget (a tab widget lays out and repaints everything it holds on each one).
class WindowActivity : public QObject
{
public:
    QHash<const QObject *, int> paints;
    QHash<const QObject *, int> layoutRequests;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        else if (event->type() == QEvent::LayoutRequest)
            ++layoutRequests[watched];
        return false;
    }
};

QStringList cellTexts(const QTableWidget *table)
{
    QStringList out;
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column)
            out << (table->item(row, column) ? table->item(row, column)->text() : QString());
    }
    return out;
}

QList<const QTableWidgetItem *> itemsOf(const QTableWidget *table)
{
    QList<const QTableWidgetItem *> out;
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column)
            out << table->item(row, column);
    }
    for (int column = 0; column < table->columnCount(); ++column)
        out << table->horizontalHeaderItem(column);
    return out;
}

// The rows of a table that its viewport shows from top to bottom.
int wholeRows(const QTableWidget *table)
{
    int count = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const int top = table->rowViewportPosition(row);
        if (top >= 0 && top + table->rowHeight(row) <= table->viewport()->height())
            ++count;
    }
    return count;
}
} // namespace

class TestBookPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void titles_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("tape");
        QTest::newRow("bare") << "en"
                              << ""
                              << ""
                              << "ORDER BOOK"
                              << "TIME & SALES";
        QTest::newRow("symbol") << "en"
                                << "BTCUSDT"
                                << ""
                                << "ORDER BOOK  BTCUSDT"
                                << "TIME & SALES  BTCUSDT";
        QTest::newRow("symbol and status") << "en"
                                           << "AAPL"
                                           << "live"
                                           << "ORDER BOOK  AAPL  live"
                                           << "TIME & SALES  AAPL  live";
        QTest::newRow("status without symbol") << "en"
                                               << ""
                                               << "waiting"
                                               << "ORDER BOOK  waiting"
                                               << "TIME & SALES  waiting";
        QTest::newRow("portuguese") << "pt_BR"
                                    << "PETR4.SA"
                                    << ""
                                    << "LIVRO DE OFERTAS  PETR4.SA"
                                    << QString::fromUtf8("NEGÓCIOS  PETR4.SA");
    }

    void titles()
    {
        QFETCH(QString, language);
        QFETCH(QString, symbol);
        QFETCH(QString, status);
        QFETCH(QString, book);
        QFETCH(QString, tape);
        TempHome home;
        MainWindow window;
        window.settings.language = language;
        QCOMPARE(window.orderBookTitle(symbol, status), book);
        QCOMPARE(window.timeAndSalesTitle(symbol, status), tape);
    }

    void bookPrice_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "--";
        QTest::newRow("negative") << -1.0 << "--";
        QTest::newRow("nan") << kNaN << "--";
        QTest::newRow("infinite") << kInf << "--";
        QTest::newRow("a thousand") << 1000.0 << "1000.00";
        QTest::newRow("below a thousand") << 999.5 << "999.5000";
        QTest::newRow("below one") << 0.5 << "0.5000";
        // Below 1 a price keeps four significant digits, up to 8 decimals, so a sub-cent coin, and
        // the spread between two of its prices, never read as zero.
        QTest::newRow("a cent") << 0.01 << "0.01000";
        QTest::newRow("sub-cent") << 0.00001234 << "0.00001234";
        QTest::newRow("sub-cent spread") << 0.00001237 - 0.00001234 << "0.00000003";
    }

    void bookPrice()
    {
        QFETCH(double, price);
        QFETCH(QString, text);
        QCOMPARE(MainWindow::formatBookPrice(price), text);
    }

    void summary_data()
    {
        QTest::addColumn<double>("bid");
        QTest::addColumn<double>("ask");
        QTest::addColumn<double>("bidVolume");
        QTest::addColumn<double>("askVolume");
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QString>("imbalanceColour");
        QTest::newRow("normal") << 100.0 << 100.5 << 3.0 << 1.0
                                << QStringList{"BID\n100.0000", "ASK\n100.5000", "SPR\n0.5000", "IMB\n50.0%"}
                                << "#20c878";
        QTest::newRow("ask heavy") << 2000.0 << 2001.0 << 1.0 << 3.0
                                   << QStringList{"BID\n2000.00", "ASK\n2001.00", "SPR\n1.0000",
                                                  "IMB\n-50.0%"}
                                   << "#f45d5d";
        QTest::newRow("crossed") << 10.0 << 9.0 << 1.0 << 1.0
                                 << QStringList{"BID\n10.0000", "ASK\n9.0000", "SPR\n--", "IMB\n0.0%"}
                                 << "#20c878";
        QTest::newRow("empty") << 0.0 << 0.0 << 0.0 << 0.0
                               << QStringList{"BID\n--", "ASK\n--", "SPR\n--", "IMB\n--"} << "#f45d5d";
    }

    void summary()
    {
        QFETCH(double, bid);
        QFETCH(double, ask);
        QFETCH(double, bidVolume);
        QFETCH(double, askVolume);
        QFETCH(QStringList, cards);
        QFETCH(QString, imbalanceColour);
        TempHome home;
        MainWindow window;
        window.updateBookSummary(bid, ask, bidVolume, askVolume);
        QCOMPARE(cardTexts(window), cards);
        QVERIFY(
            window.bookMetricCards.at(3)->styleSheet().contains(QStringLiteral("color:") + imbalanceColour));
        QVERIFY(window.bookMetricCards.at(0)->styleSheet().contains(QStringLiteral("color:#20c878")));
        QVERIFY(window.bookMetricCards.at(1)->styleSheet().contains(QStringLiteral("color:#f45d5d")));
    }

    void summaryInPortugueseAndLightTheme()
    {
        TempHome home;
        MainWindow window;
        window.settings.language = QStringLiteral("pt_BR");
        window.settings.theme = QStringLiteral("mvx_light");
        window.updateBookSummary(1.0, 2.0, 1.0, 1.0);
        QCOMPARE(cardTexts(window),
                 (QStringList{"COMPRA\n1.0000", "VENDA\n2.0000", "SPR\n1.0000", "DESB\n0.0%"}));
        QCOMPARE(window.bookMetricCards.at(2)->styleSheet(),
                 QStringLiteral("QLabel#bookMetric {background:#ffffff;border:1px solid "
                                "#d8e5f2;color:#1a1a1a;padding:3px;}"));
        window.settings.theme = QStringLiteral("coffee_dark");
        window.updateBookSummary(1.0, 2.0, 1.0, 1.0);
        QCOMPARE(window.bookMetricCards.at(2)->styleSheet(),
                 QStringLiteral("QLabel#bookMetric {background:#1a140d;border:1px solid "
                                "#3d3530;color:#d8e6e3;padding:3px;}"));
    }

    void resetEmptiesThePanelAndKeepsItsMode()
    {
        TempHome home;
        MainWindow window;
        window.setupSnapshotTables();
        window.bookPending = true;
        window.bookLive = true;
        window.updateBookSummary(100.0, 101.0, 2.0, 1.0);
        window.askTable->setRowCount(4);
        window.bidTable->setRowCount(4);
        window.resetBookPanel(window.orderBookTitle(QStringLiteral("AAPL"), QStringLiteral("reset")));
        QCOMPARE(window.bookTitleLabel->text(), QStringLiteral("ORDER BOOK  AAPL  reset"));
        QVERIFY(!window.bookPending);
        QVERIFY(!window.bookLive);
        QCOMPARE(cardTexts(window), (QStringList{"BID\n--", "ASK\n--", "SPR\n--", "IMB\n--"}));
        QCOMPARE(window.askTable->rowCount(), 0);
        QCOMPARE(window.bidTable->rowCount(), 0);
        QCOMPARE(window.askCaptionLabel->text(), QStringLiteral("QUOTE"));
        QCOMPARE(headers(window.askTable), (QStringList{"Field", "Value", "Source"}));
    }

    void tableModes_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("book");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("book en") << "en" << true << QStringList{"ASK", "BID"}
                                 << QStringList{"Price", "Size", "Total"};
        QTest::newRow("book pt") << "pt_BR" << true << QStringList{"VENDA", "COMPRA"}
                                 << QStringList{QString::fromUtf8("Preço"), "Tamanho", "Total"};
        QTest::newRow("snapshot en") << "en" << false << QStringList{"QUOTE", "STATS"}
                                     << QStringList{"Field", "Value", "Source"};
        QTest::newRow("snapshot pt") << "pt_BR" << false << QStringList{QString::fromUtf8("COTAÇÃO"), "DADOS"}
                                     << QStringList{"Campo", "Valor", "Fonte"};
    }

    void tableModes()
    {
        QFETCH(QString, language);
        QFETCH(bool, book);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, headers);
        TempHome home;
        MainWindow window;
        window.settings.language = language;
        window.askTable->setRowCount(2);
        if (book) {
            window.setupSnapshotTables();
            window.setupBookTables();
        } else {
            window.setupBookTables();
            window.setupSnapshotTables();
        }
        QCOMPARE((QStringList{window.askCaptionLabel->text(), window.bidCaptionLabel->text()}), captions);
        QCOMPARE(::headers(window.askTable), headers);
        QCOMPARE(::headers(window.bidTable), headers);
        QCOMPARE(window.askTable->rowCount(), 2); // rows are not touched
    }

    void valuesWholeAtTheDefaultSize_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("pane");
        for (const char *theme : {"coffee_dark", "mvx_light"}) {
            for (const char *language : {"en", "pt_BR"}) {
                // As the window starts, then filled by a quote, a SHIBUSDT-like depth and trades.
                for (const char *pane : {"snapshot", "book", "tape", "B3 quote", "SHIB depth", "trades"})
                    QTest::addRow("%s %s %s", theme, language, pane) << theme << language << pane;
            }
        }
    }

    // The book's side tables and the tape share a pane about 250 px wide at the default size. Every
    // value shows whole; a header is cut only where the values leave it no room, and says its text as
    // a tooltip; every column lies inside the pane or is reached whole by scrolling sideways.
    void valuesWholeAtTheDefaultSize()
    {
        QFETCH(QString, theme);
        QFETCH(QString, language);
        QFETCH(QString, pane);
        ShownWindow shown(theme, language);
        MainWindow &window = shown.window;
        QCOMPARE(window.size(), QSize(1320, 820));
        QList<QTableWidget *> tables{window.askTable, window.bidTable};
        if (pane == QLatin1String("tape") || pane == QLatin1String("trades")) {
            tables = {window.tapeTable};
            window.rightTabs->setCurrentIndex(1);
            if (pane == QLatin1String("trades"))
                QVERIFY(RightPane::fillTapeWithTrades(shown));
        } else if (pane == QLatin1String("B3 quote")) {
            QVERIFY(RightPane::showB3Snapshot(shown));
        } else if (pane == QLatin1String("SHIB depth")) {
            QVERIFY(RightPane::showShibDepth(shown));
        } else {
            window.rightTabs->setCurrentIndex(0);
            if (pane == QLatin1String("book"))
                window.setupBookTables();
            else
                window.setupSnapshotTables();
        }
        shown.settle();
        for (QTableWidget *table : tables) {
            QVERIFY(table->viewport()->width() > 0);
            QVERIFY2(ColumnChecks::cutValue(table).isEmpty(), qPrintable(ColumnChecks::cutValue(table)));
            QVERIFY2(ColumnChecks::headerCutWithRoom(table).isEmpty(),
                     qPrintable(ColumnChecks::headerCutWithRoom(table)));
            for (int column = 0; column < table->columnCount(); ++column)
                QVERIFY2(ColumnChecks::reachableWhole(table, column),
                         qPrintable(QStringLiteral("%1 at %2, %3 px wide, in %4 px")
                                        .arg(ColumnChecks::columnName(table, column))
                                        .arg(table->horizontalHeader()->sectionViewportPosition(column))
                                        .arg(table->horizontalHeader()->sectionSize(column))
                                        .arg(table->viewport()->width())));
        }
    }

    void cardsWholeAndSteady_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("pane"); // the right pane's width; 0: as the window starts
        QTest::addColumn<int>("rows"); // rows of cards; 0: whichever the font allows
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("tick");
        QTest::addColumn<QList<double>>("first");     // bid and ask of the first frame
        QTest::addColumn<QStringList>("firstPrices"); // bid, ask, spread
        QTest::addColumn<QList<double>>("later");     // of the second frame
        QTest::addColumn<QStringList>("laterPrices");
        struct Quote
        {
            QList<double> prices;
            QStringList texts;
        };
        const Quote sixDigits{{104532.18, 104532.19}, {"104532.18", "104532.19", "0.01000"}};
        const Quote subCent{{0.00001234, 0.00001237}, {"0.00001234", "0.00001237", "0.00000003"}};
        // Bitcoin crossing 100000: the prices gain a digit between two frames.
        const Quote fiveDigits{{99999.98, 99999.99}, {"99999.98", "99999.99", "0.01000"}};
        const Quote pastHundredThousand{{100000.01, 100000.02}, {"100000.01", "100000.02", "0.01000"}};
        const auto add = [](const char *name, const char *theme, const char *language, int pane, int rows,
                            const char *symbol, double tick, const Quote &first, const Quote &later) {
            QTest::newRow(name) << theme << language << pane << rows << symbol << tick << first.prices
                                << first.texts << later.prices << later.texts;
        };
        // The starting pane holds two cards a row, never four.
        for (const char *theme : {"coffee_dark", "mvx_light"}) {
            for (const char *language : {"en", "pt_BR"}) {
                add(qPrintable(QStringLiteral("%1 %2 six-digit price").arg(theme, language)), theme, language,
                    0, 2, "BTCUSDT", 0.01, sixDigits, sixDigits);
                add(qPrintable(QStringLiteral("%1 %2 sub-cent price").arg(theme, language)), theme, language,
                    0, 2, "SHIBUSDT", 0.00000001, subCent, subCent);
            }
        }
        // Widened by hand, through the widths where four cards start to fit, up to one that fits them.
        // Which row layout a width gets depends on the font; that the cards are whole and stay put
        // does not.
        for (int pane = 280; pane <= 335; pane += 5) {
            add(qPrintable(QStringLiteral("pane %1 sub-cent price").arg(pane)), "coffee_dark", "pt_BR", pane,
                0, "SHIBUSDT", 0.00000001, subCent, subCent);
            add(qPrintable(QStringLiteral("pane %1 bitcoin crossing 100000").arg(pane)), "coffee_dark", "en",
                pane, 0, "BTCUSDT", 0.01, fiveDigits, pastHundredThousand);
        }
        for (int pane : {360, 400, 460})
            add(qPrintable(QStringLiteral("pane %1 sub-cent price").arg(pane)), "coffee_dark", "pt_BR", pane,
                0, "SHIBUSDT", 0.00000001, subCent, subCent);
        add("pane 700 six-digit price", "coffee_dark", "en", 700, 1, "BTCUSDT", 0.01, sixDigits, sixDigits);
    }

    // Every card shows its caption and value whole in the card's font, the cards keep their order, a
    // value that changes length moves no card, and both side tables keep room for three rows.
    void cardsWholeAndSteady()
    {
        QFETCH(QString, theme);
        QFETCH(QString, language);
        QFETCH(int, pane);
        QFETCH(int, rows);
        QFETCH(QString, symbol);
        QFETCH(double, tick);
        QFETCH(QList<double>, first);
        QFETCH(QStringList, firstPrices);
        QFETCH(QList<double>, later);
        QFETCH(QStringList, laterPrices);
        ShownWindow shown(theme, language);
        MainWindow &window = shown.window;
        QCOMPARE(window.size(), QSize(1320, 820));
        if (pane > 0) {
            const QList<int> sizes = window.workspaceSplitter->sizes();
            window.workspaceSplitter->setSizes({sizes.at(0) + sizes.at(1) - pane, pane});
            shown.settle();
            QCOMPARE(window.rightTabs->width(), pane);
        }
        const QStringList captions = language == QLatin1String("pt_BR")
                                         ? QStringList{"COMPRA", "VENDA", "SPR", "DESB"}
                                         : QStringList{"BID", "ASK", "SPR", "IMB"};
        const auto expected = [&](const QStringList &prices, const QString &imbalance) {
            return QStringList{captions.at(0) + '\n' + prices.at(0), captions.at(1) + '\n' + prices.at(1),
                               captions.at(2) + '\n' + prices.at(2), captions.at(3) + '\n' + imbalance};
        };
        QWidget *panel = window.askCaptionLabel->parentWidget();

        // Bid sizes of 0.679 against asks of 1.321 make the longest imbalance a book usually shows.
        QVERIFY(RightPane::showDepth(
            shown, symbol, RightPane::depthFrame(symbol, first.at(0), first.at(1), tick, 0.679, 1.321)));
        QCOMPARE(cardTexts(window), expected(firstPrices, QStringLiteral("-32.1%")));
        QVERIFY2(cutCard(window).isEmpty(), qPrintable(cutCard(window)));
        const QList<QRect> places = cardPlaces(window);
        QSet<int> tops;
        for (int card = 0; card < places.size(); ++card) {
            QVERIFY2(panel->rect().contains(places.at(card)), qPrintable(captions.at(card)));
            tops << places.at(card).top();
            // Read left to right, top to bottom, the cards keep their order.
            if (card > 0) {
                const QRect before = places.at(card - 1);
                const QRect after = places.at(card);
                QVERIFY2(after.top() > before.top() ||
                             (after.top() == before.top() && after.left() > before.right()),
                         qPrintable(captions.at(card)));
            }
        }
        if (rows > 0)
            QCOMPARE(tops.size(), rows);
        // The cards of a row share it equally: a card wider than its neighbours took room its own value
        // needed, so a longer value in another card would take it back and move the cards.
        for (const QRect &place : places) {
            for (const QRect &other : places) {
                if (other.top() == place.top())
                    QVERIFY2(std::abs(other.width() - place.width()) <= 1,
                             qPrintable(
                                 QStringLiteral("%1 px beside %2 px").arg(place.width()).arg(other.width())));
            }
        }
        // Whole by room, in the face the cards ask for: the theme's size for every widget must not
        // win over it, and a smaller or thinner font must not make a value fit.
        for (const QLabel *card : window.bookMetricCards) {
            QCOMPARE(card->font().family(), askedCardFont().family());
            QVERIFY(card->font().bold());
            QCOMPARE(QFontInfo(card->font()).pixelSize(), QFontInfo(askedCardFont()).pixelSize());
        }
        QStringList widths;
        for (const QLabel *card : window.bookMetricCards)
            widths << QStringLiteral("%1 %2 px (room %3, text %4)")
                          .arg(card->text().section(QLatin1Char('\n'), 0, 0))
                          .arg(card->width())
                          .arg(cardRoom(card).width())
                          .arg(cardTextSize(card).width());
        qInfo("pane %d px, cards in %d rows, %d px font: %s; whole rows %d asks, %d bids",
              window.rightTabs->width(), static_cast<int>(tops.size()),
              QFontInfo(window.bookMetricCards.at(0)->font()).pixelSize(),
              qPrintable(widths.join(QStringLiteral(", "))), wholeRows(window.askTable),
              wholeRows(window.bidTable));

        window.onBinanceDepth(RightPane::depthFrame(symbol, later.at(0), later.at(1), tick, 1.05, 0.95));
        shown.settle();
        QCOMPARE(cardTexts(window), expected(laterPrices, QStringLiteral("5.0%")));
        QVERIFY2(cutCard(window).isEmpty(), qPrintable(cutCard(window)));
        QCOMPARE(cardPlaces(window), places);

        for (const QTableWidget *table : {window.askTable, window.bidTable}) {
            QVERIFY(panel->rect().contains(ShownWindow::rectIn(table, panel)));
            QVERIFY2(wholeRows(table) >= 3, qPrintable(QString::number(wholeRows(table))));
        }
    }

    // A depth frame that changes the bids' sizes rewrites those cells and the imbalance card, and
    // nothing else: the ask side, the headers and the cells' items stay as they are, and no relayout
    // leaves the book's panel for the window (whose tab widgets would repaint all they hold).
    void aDepthFrameRedoesOnlyWhatItChanged()
    {
        ShownWindow shown(QStringLiteral("coffee_dark"), QStringLiteral("en"));
        MainWindow &window = shown.window;
        const QString symbol = QStringLiteral("BTCUSDT");
        QVERIFY(RightPane::showDepth(shown, symbol,
                                     RightPane::depthFrame(symbol, 104532.18, 104532.19, 0.01, 0.5, 0.7)));
        const QList<const QTableWidgetItem *> asks = itemsOf(window.askTable);
        const QList<const QTableWidgetItem *> bids = itemsOf(window.bidTable);
        const QStringList askTexts = cellTexts(window.askTable);
        // The window's own start (its first quotes from the loopback services) may still lay out the
        // Terminal page meanwhile, which repaints the book too; such a frame tells nothing and the next
        // one is fed.
        bool quiet = false;
        for (int attempt = 1; attempt <= 5 && !quiet; ++attempt) {
            WindowActivity activity;
            QCoreApplication::instance()->installEventFilter(&activity);
            window.onBinanceDepth(
                RightPane::depthFrame(symbol, 104532.18, 104532.19, 0.01, 0.5 + 0.1 * attempt, 0.7));
            shown.settle();
            QCoreApplication::instance()->removeEventFilter(&activity);
            QCOMPARE(window.bidTable->item(0, 1)->text(), QString::number(0.5 + 0.1 * attempt, 'f', 5));
            QCOMPARE(activity.layoutRequests.value(window.rightTabs), 0);
            quiet = activity.layoutRequests.value(window.mainTabs) == 0;
            if (!quiet)
                continue;
            QVERIFY(activity.paints.value(window.bidTable->viewport()) > 0);
            QVERIFY(activity.paints.value(window.bookMetricCards.at(3)) > 0);
            QCOMPARE(activity.paints.value(window.askTable->viewport()), 0);
            for (const QTableWidget *table : {window.askTable, window.bidTable})
                QCOMPARE(activity.paints.value(table->horizontalHeader()->viewport()), 0);
            for (const QPushButton *button : window.bookPresetButtons)
                QCOMPARE(activity.paints.value(button), 0);
        }
        QVERIFY(quiet);
        QCOMPARE(itemsOf(window.askTable), asks);
        QCOMPARE(itemsOf(window.bidTable), bids);
        QCOMPARE(cellTexts(window.askTable), askTexts);
        QVERIFY2(ColumnChecks::cutValue(window.bidTable).isEmpty(),
                 qPrintable(ColumnChecks::cutValue(window.bidTable)));
    }

    void metricCard()
    {
        TempHome home;
        MainWindow window;
        QWidget parent;
        QLabel *card = window.createMetricCard(&parent, QStringLiteral("MEDIAN"));
        QCOMPARE(card->parent(), &parent);
        QCOMPARE(card->text(), QStringLiteral("MEDIAN\n--"));
        QCOMPARE(card->objectName(), QStringLiteral("bookMetric"));
        QCOMPARE(card->alignment(), Qt::AlignCenter);
        QCOMPARE(card->minimumHeight(), 38);
        QCOMPARE(card->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(card->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(card->font().pointSize(), 9);
        QVERIFY(card->font().bold());
        // What the card asks for, not what the machine's font matching makes of it: with some font
        // packages installed the match of the system's fixed font is not reported as fixed-pitch.
        QCOMPARE(card->font().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        QVERIFY(card->styleSheet().isEmpty()); // no card style until the first styling

        window.styleMetricCard(card, QStringLiteral("BEST"), QStringLiteral("AAPL 3.2%"),
                               QColor(32, 200, 120));
        QCOMPARE(card->text(), QStringLiteral("BEST\nAAPL 3.2%"));
        QVERIFY(card->styleSheet().contains(QStringLiteral("color:#20c878;")));
        window.styleMetricCard(nullptr, QStringLiteral("X"), QStringLiteral("Y"), QColor()); // ignored
    }
};

MVX_TEST_MAIN(TestBookPanel)
#include "test_book_panel.moc"
