#include "tests/streams/right_pane.h"
#include "tests/streams/stream_window_fixture.h"
#include "tests/support/control_parts.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/shown_window.h"
#include "tests/support/test_main.h"

#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>

#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

void setSide(MainWindow &window, const QString &key)
{
    const QSignalBlocker quiet(window.tapeSideCombo);
    window.tapeSideCombo->setCurrentIndex(window.tapeSideCombo->findData(key));
}

void setMinimum(MainWindow &window, double minimum)
{
    const QSignalBlocker quiet(window.tapeMinSizeSpin);
    window.tapeMinSizeSpin->setValue(minimum);
}

QByteArray tradeFrame(const QByteArray &symbol, const QByteArray &price, const QByteArray &quantity,
                      const QByteArray &extra = ",\"T\":1592591955765,\"m\":false")
{
    return "{\"stream\":\"" + symbol.toLower() + "@trade\",\"data\":{\"e\":\"trade\",\"s\":\"" + symbol +
           "\",\"p\":" + price + ",\"q\":" + quantity + extra + "}}";
}

// A window whose tape follows BTCUSDT's trades (the trade socket itself goes nowhere).
struct TradeTape : StreamWindow
{
    TradeTape()
    {
        addRow(QStringLiteral("BTCUSDT"));
        select(QStringLiteral("BTCUSDT"));
    }
    QStringList row(int index) const
    {
        QStringList out;
        for (int column = 0; column < 4; ++column)
            out << window.tapeTable->item(index, column)->text();
        return out;
    }
};
} // namespace

class TestTape : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsTheNewestTwoHundredRows()
    {
        StreamWindow f;
        for (int i = 1; i <= 201; ++i)
            f.window.insertTapeRow(QStringLiteral("10:00:00"), i, 1.0, QStringLiteral("Buy"),
                                   QColor(Qt::green));
        QCOMPARE(f.window.tapeTable->rowCount(), 200);
        QCOMPARE(f.window.tapeTable->item(0, 1)->text(), QStringLiteral("201.0000"));
        QCOMPARE(f.window.tapeTable->item(199, 1)->text(), QStringLiteral("2.0000"));
        QVERIFY(!f.window.tapeTable->isSortingEnabled());
    }

    void filter_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("side");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<QString>("rowSide");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("passes");
        QTest::newRow("all lets a buy through") << "en"
                                                << "all" << 0.0 << "Buy" << 1.0 << true;
        QTest::newRow("all lets a quote row through") << "en"
                                                      << "all" << 0.0 << "Quote  Yahoo" << kNaN << true;
        QTest::newRow("sell hides a buy") << "en"
                                          << "sell" << 0.0 << "Buy" << 1.0 << false;
        QTest::newRow("sell hides a quote row") << "en"
                                                << "sell" << 0.0 << "Quote  Yahoo" << kNaN << false;
        QTest::newRow("sell shows a sell") << "en"
                                           << "sell" << 0.0 << "Sell" << 1.0 << true;
        QTest::newRow("buy hides a sell") << "en"
                                          << "buy" << 0.0 << "Sell" << 1.0 << false;
        QTest::newRow("buy compares the whole text") << "en"
                                                     << "buy" << 0.0 << "Buy " << 1.0 << false;
        QTest::newRow("quote shows a quote row") << "en"
                                                 << "quote" << 0.0 << "Quote  Yahoo" << kNaN << true;
        QTest::newRow("quote hides a trade") << "en"
                                             << "quote" << 0.0 << "Buy" << 1.0 << false;
        QTest::newRow("quote is case-sensitive") << "en"
                                                 << "quote" << 0.0 << "quote  Yahoo" << kNaN << false;
        QTest::newRow("portuguese buy label") << "pt_BR"
                                              << "buy" << 0.0 << "Compra" << 1.0 << true;
        QTest::newRow("english label in portuguese") << "pt_BR"
                                                     << "buy" << 0.0 << "Buy" << 1.0 << false;
        QTest::newRow("size equal to the minimum shows") << "en"
                                                         << "all" << 0.5 << "Buy" << 0.5 << true;
        QTest::newRow("size below the minimum hides") << "en"
                                                      << "all" << 0.5 << "Buy" << 0.4999 << false;
        QTest::newRow("a minimum hides quote rows") << "en"
                                                    << "all" << 0.000001 << "Quote  Yahoo" << kNaN << false;
    }

    void filter()
    {
        QFETCH(QString, language);
        QFETCH(QString, side);
        QFETCH(double, minimum);
        QFETCH(QString, rowSide);
        QFETCH(double, size);
        QFETCH(bool, passes);
        StreamWindow f;
        f.window.settings.language = language;
        f.window.populateTapeFilterCombo(side);
        setMinimum(f.window, minimum);
        QCOMPARE(f.window.tapeSideFilter(), side);
        QCOMPARE(f.window.tapeRowPassesFilter(rowSide, size), passes);
    }

    void quoteRowsFollowTheSelectedEquity()
    {
        StreamWindow f;
        f.addRow(QStringLiteral("AAPL"));
        f.addRow(QStringLiteral("MSFT"));
        f.select(QStringLiteral("AAPL"));
        QCOMPARE(f.tapeTitle(), QStringLiteral("QUOTE TAPE  AAPL  delayed fallback"));
        QCOMPARE(f.window.tapeTable->rowCount(), 0); // no price in the row yet
        f.quote(QStringLiteral("AAPL"), 187.5, 1.2);
        f.quote(QStringLiteral("MSFT"), 400.0, 1.0); // not the tape's symbol
        f.quote(QStringLiteral("AAPL"), 187.25, -0.4);
        QCOMPARE(f.window.tapeTable->rowCount(), 2);
        QCOMPARE(StreamWindow::column(f.window.tapeTable, 1), (QStringList{"187.2500", "187.5000"}));
        QCOMPARE(StreamWindow::column(f.window.tapeTable, 2), (QStringList{"--", "--"}));
        QCOMPARE(StreamWindow::column(f.window.tapeTable, 3).at(0),
                 QStringLiteral("Quote  brapi 120 ms delayed"));
        QCOMPARE(StreamWindow::colours(f.window.tapeTable, 0), (QStringList{"#f45d5d", "#20c878"}));
        // Reselecting builds the one row the quote table holds, in the colour of an unknown change.
        f.select(QStringLiteral("MSFT"));
        QCOMPARE(f.window.tapeTable->rowCount(), 1);
        QCOMPARE(StreamWindow::colours(f.window.tapeTable, 1), QStringList{"#f2c078"});
        QCOMPARE(f.window.tapeTable->item(0, 1)->data(Qt::UserRole).toDouble(), 400.0);
    }

    void filterChangeRebuildsOneRow_data()
    {
        QTest::addColumn<QString>("source"); // the row's Source cell; "<none>" removes it
        QTest::addColumn<QString>("side");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<QStringList>("sides");
        QTest::newRow("source kept") << "brapi"
                                     << "quote" << 0.0 << QStringList{"Quote  brapi 120 ms delayed"};
        QTest::newRow("empty source says Filter")
            << ""
            << "all" << 0.0 << QStringList{"Quote  Filter 120 ms delayed"};
        QTest::newRow("missing source says Filter")
            << "<none>"
            << "all" << 0.0 << QStringList{"Quote  Filter 120 ms delayed"};
        QTest::newRow("sell filter shows nothing") << "brapi"
                                                   << "sell" << 0.0 << QStringList{};
        QTest::newRow("a minimum shows nothing") << "brapi"
                                                 << "all" << 1.0 << QStringList{};
    }

    void filterChangeRebuildsOneRow()
    {
        QFETCH(QString, source);
        QFETCH(QString, side);
        QFETCH(double, minimum);
        QFETCH(QStringList, sides);
        StreamWindow f;
        f.addRow(QStringLiteral("AAPL"));
        f.select(QStringLiteral("AAPL"));
        f.quote(QStringLiteral("AAPL"), 187.5, 1.2);
        f.quote(QStringLiteral("AAPL"), 187.6, 1.2);
        const int row = f.window.findSymbolRow(QStringLiteral("AAPL"));
        if (source == QLatin1String("<none>"))
            delete f.window.quoteTable->takeItem(row, QuoteColumnSource);
        else
            f.window.quoteTable->item(row, QuoteColumnSource)->setText(source);
        setMinimum(f.window, minimum);
        setSide(f.window, side);
        f.window.onTapeFilterChanged();
        QCOMPARE(StreamWindow::column(f.window.tapeTable, 3), sides);
    }

    void clearEmptiesWithoutAddingARow()
    {
        StreamWindow f;
        f.addRow(QStringLiteral("AAPL"));
        f.select(QStringLiteral("AAPL"));
        f.quote(QStringLiteral("AAPL"), 187.5, 1.2);
        f.window.tapeClearButton->click();
        QCOMPARE(f.window.tapeTable->rowCount(), 0);
    }

    void cryptoTapeState()
    {
        TradeTape f;
        QVERIFY(f.window.tradeStreamActive);
        QCOMPARE(f.tapeTitle(), QStringLiteral("TIME & SALES  BTCUSDT  connecting"));
        f.window.onBinanceTrade(QString::fromUtf8(tradeFrame("BTCUSDT", "\"100\"", "\"1\"")));
        // Selecting it again while the socket is still busy neither reopens nor empties the tape.
        f.window.startTradeStream(QStringLiteral("BTCUSDT"));
        QCOMPARE(f.window.tapeTable->rowCount(), 1);
        // Quotes of a crypto tape with live trades add no rows.
        f.quote(QStringLiteral("BTCUSDT"), 101.0, 1.0);
        QCOMPARE(f.window.tapeTable->rowCount(), 1);
        f.window.onTapeFilterChanged();
        QCOMPARE(f.window.tapeTable->rowCount(), 0);

        f.window.quoteTable->setCurrentCell(-1, -1);
        f.window.startBookStream();
        QVERIFY(!f.window.tradeStreamActive);
        QCOMPARE(f.tapeTitle(), QStringLiteral("TIME & SALES  select ticker"));
        f.window.onBinanceTrade(QString::fromUtf8(tradeFrame("BTCUSDT", "\"100\"", "\"1\"")));
        QCOMPARE(f.window.tapeTable->rowCount(), 0);
    }

    void trades_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("row"); // empty: no row; "<now>" as the time: the arrival time
        QTest::addColumn<QString>("colour");
        const QString recordedTime = QDateTime::fromMSecsSinceEpoch(1592591955765).toString("HH:mm:ss");
        QTest::newRow("buy") << tradeFrame("BTCUSDT", "\"9302.00000000\"", "\"0.00101900\"")
                             << QStringList{recordedTime, "9302.00", "0.00102", "Buy"} << "#20c878";
        QTest::newRow("buyer is maker: sell")
            << tradeFrame("BTCUSDT", "\"99.5\"", "\"2\"", ",\"T\":1592591955765,\"m\":true")
            << QStringList{recordedTime, "99.5000", "2.00000", "Sell"} << "#f45d5d";
        QTest::newRow("missing m is a buy")
            << tradeFrame("BTCUSDT", "\"99.5\"", "\"2\"", ",\"T\":1592591955765")
            << QStringList{recordedTime, "99.5000", "2.00000", "Buy"} << "#20c878";
        QTest::newRow("missing T is stamped on arrival")
            << tradeFrame("BTCUSDT", "\"99.5\"", "\"2\"", "")
            << QStringList{"<now>", "99.5000", "2.00000", "Buy"} << "#20c878";
        // A fraction of a millisecond would be the epoch itself, not a trade time.
        QTest::newRow("T under one millisecond is stamped on arrival")
            << tradeFrame("BTCUSDT", "\"99.5\"", "\"2\"", ",\"T\":0.59")
            << QStringList{"<now>", "99.5000", "2.00000", "Buy"} << "#20c878";
        QTest::newRow("below a cent keeps four digits")
            << tradeFrame("BTCUSDT", "\"0.00001234\"", "\"2\"")
            << QStringList{recordedTime, "0.00001234", "2.00000", "Buy"} << "#20c878";
        QTest::newRow("odd quantity shows --")
            << tradeFrame("BTCUSDT", "\"99.5\"", "\"lots\"")
            << QStringList{recordedTime, "99.5000", "--", "Buy"} << "#20c878";
        QTest::newRow("zero price dropped") << tradeFrame("BTCUSDT", "\"0\"", "\"2\"") << QStringList{} << "";
        QTest::newRow("negative price dropped")
            << tradeFrame("BTCUSDT", "\"-3\"", "\"2\"") << QStringList{} << "";
        QTest::newRow("infinite price dropped")
            << tradeFrame("BTCUSDT", "\"inf\"", "\"2\"") << QStringList{} << "";
        QTest::newRow("number price dropped")
            << tradeFrame("BTCUSDT", "99.5", "\"2\"") << QStringList{} << "";
        QTest::newRow("another symbol") << tradeFrame("ETHUSDT", "\"99.5\"", "\"2\"") << QStringList{} << "";
        QTest::newRow("lower-case symbol")
            << tradeFrame("btcusdt", "\"99.5\"", "\"2\"") << QStringList{} << "";
        QTest::newRow("not JSON") << QByteArray("{\"data\":") << QStringList{} << "";
        QTest::newRow("no data") << QByteArray("{\"s\":\"BTCUSDT\",\"p\":\"1\",\"q\":\"1\"}") << QStringList{}
                                 << "";
    }

    void trades()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, row);
        QFETCH(QString, colour);
        TradeTape f;
        const QString before = QTime::currentTime().toString("HH:mm:ss");
        f.window.onBinanceTrade(QString::fromUtf8(frame));
        const QString after = QTime::currentTime().toString("HH:mm:ss");
        if (row.isEmpty()) {
            QCOMPARE(f.window.tapeTable->rowCount(), 0);
            return;
        }
        QCOMPARE(f.window.tapeTable->rowCount(), 1);
        QStringList got = f.row(0);
        if (row.at(0) == QLatin1String("<now>")) {
            QVERIFY(got.at(0) == before || got.at(0) == after);
            got[0] = QStringLiteral("<now>");
        }
        QCOMPARE(got, row);
        QCOMPARE(StreamWindow::colours(f.window.tapeTable, 3), QStringList{colour});
    }

    void recordedTradeFrame()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("no recorded replies beside the checkout");
        TradeTape f;
        f.window.onBinanceTrade(QString::fromUtf8(
            recordedBody(QStringLiteral("binance/ws_combined_trade_btcusdt_2020-06-19_live.json"))));
        QCOMPARE(f.row(0), (QStringList{QDateTime::fromMSecsSinceEpoch(1592591955765).toString("HH:mm:ss"),
                                        "9302.00", "0.00102", "Buy"}));
    }

    void languageSwitch()
    {
        StreamWindow f;
        f.window.populateTapeFilterCombo(QStringLiteral("sell"));
        f.window.setLanguage(QStringLiteral("pt_BR"));
        QCOMPARE(f.window.tapeSideFilter(), QStringLiteral("sell"));
        QCOMPARE(f.window.tapeSideCombo->currentText(), QStringLiteral("Venda"));
        QCOMPARE(f.window.tapeTable->horizontalHeaderItem(3)->text(), QStringLiteral("Lado/Fonte"));
        QCOMPARE(f.window.tapeClearButton->text(), QStringLiteral("Limpar"));
        QCOMPARE(f.window.tapeMinSizeSpin->prefix(), QString::fromUtf8("Mín "));
        QCOMPARE(f.window.tapeMinSizeSpin->text(), QString::fromUtf8("Mín 0.000000"));
        QVERIFY(f.window.tapeRowPassesFilter(QStringLiteral("Venda"), 1.0));
        QVERIFY(!f.window.tapeRowPassesFilter(QStringLiteral("Sell"), 1.0));
        f.window.setLanguage(QStringLiteral("en"));
        QCOMPARE(f.window.tapeMinSizeSpin->prefix(), QStringLiteral("Min "));
    }

    void headerAtTheDefaultSize_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("preset"); // empty: the panes as the window first lays them out
        for (const char *theme : {"coffee_dark", "mvx_light"}) {
            for (const char *language : {"en", "pt_BR"}) {
                for (const char *preset : {"", "balanced"})
                    QTest::addRow("%s %s %s", theme, language, *preset ? preset : "first layout")
                        << theme << language << preset;
            }
        }
    }

    // Every control of the tape's header whole, inside the pane and clear of the others, however
    // narrow the pane beside the chart starts.
    void headerAtTheDefaultSize()
    {
        QFETCH(QString, theme);
        QFETCH(QString, language);
        QFETCH(QString, preset);
        ShownWindow shown(theme, language);
        MainWindow &window = shown.window;
        QCOMPARE(window.size(), QSize(1320, 820));
        if (!preset.isEmpty())
            window.applyLayoutPreset(preset);
        window.rightTabs->setCurrentIndex(1);
        shown.settle();

        QWidget *page = window.rightTabs->currentWidget();
        QVERIFY(page->isAncestorOf(window.tapeMinSizeSpin));
        QVERIFY(window.rightTabs->rect().contains(ShownWindow::rectIn(page, window.rightTabs)));
        const QList<QWidget *> controls = {window.tapeSideCombo, window.tapeMinSizeSpin,
                                           window.tapeClearButton};
        for (int i = 0; i < controls.size(); ++i) {
            const QRect rect = ShownWindow::rectIn(controls.at(i), page);
            QVERIFY2(page->rect().contains(rect),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 in %6x%7")
                                    .arg(controls.at(i)->metaObject()->className())
                                    .arg(rect.x())
                                    .arg(rect.y())
                                    .arg(rect.width())
                                    .arg(rect.height())
                                    .arg(page->width())
                                    .arg(page->height())));
            for (int j = i + 1; j < controls.size(); ++j)
                QVERIFY(!rect.intersects(ShownWindow::rectIn(controls.at(j), page)));
        }

        QComboBox *combo = window.tapeSideCombo;
        QVERIFY(combo->width() >= combo->minimumSizeHint().width());
        const QRect comboText = comboBoxPart(combo, QStyle::SC_ComboBoxEditField);
        QVERIFY2(comboText.width() >= combo->fontMetrics().horizontalAdvance(combo->currentText()),
                 qPrintable(combo->currentText()));

        QDoubleSpinBox *spin = window.tapeMinSizeSpin;
        QVERIFY(spin->width() >= spin->minimumSizeHint().width());
        QCOMPARE(spin->text(), spin->prefix() + QStringLiteral("0.000000"));
        const QRect spinText = spinBoxPart(spin, QStyle::SC_SpinBoxEditField);
        QVERIFY2(spinText.width() >= spin->fontMetrics().horizontalAdvance(spin->text()),
                 qPrintable(QStringLiteral("%1 in %2 px").arg(spin->text()).arg(spinText.width())));

        QPushButton *clear = window.tapeClearButton;
        QVERIFY(clear->width() >= clear->minimumSizeHint().width());
        QStyleOptionButton buttonOption;
        buttonOption.initFrom(clear);
        buttonOption.text = clear->text();
        const QRect clearText =
            clear->style()->subElementRect(QStyle::SE_PushButtonContents, &buttonOption, clear);
        QVERIFY2(clearText.width() >= clear->fontMetrics().horizontalAdvance(clear->text()),
                 qPrintable(clear->text()));
    }

    void tradesWholeAtTheDefaultSize_data() { headerAtTheDefaultSize_data(); }

    // A full tape at the default size (its vertical scroll bar takes some of the narrow pane): the time,
    // price and size of every trade show whole side by side without scrolling; the side shows whole
    // too, beside them or reached by scrolling sideways. Headers give way first.
    void tradesWholeAtTheDefaultSize()
    {
        QFETCH(QString, theme);
        QFETCH(QString, language);
        QFETCH(QString, preset);
        ShownWindow shown(theme, language);
        MainWindow &window = shown.window;
        QCOMPARE(window.size(), QSize(1320, 820));
        QVERIFY(RightPane::fillTapeWithTrades(shown));
        if (!preset.isEmpty()) {
            window.applyLayoutPreset(preset);
            shown.settle();
        }
        QTableWidget *tape = window.tapeTable;
        const QHeaderView *header = tape->horizontalHeader();
        QVERIFY2(ColumnChecks::cutValue(tape).isEmpty(), qPrintable(ColumnChecks::cutValue(tape)));
        QVERIFY2(ColumnChecks::headerCutWithRoom(tape).isEmpty(),
                 qPrintable(ColumnChecks::headerCutWithRoom(tape)));
        for (int column = 0; column < 3; ++column)
            QVERIFY2(header->sectionPosition(column) + header->sectionSize(column) <=
                         tape->viewport()->width(),
                     qPrintable(ColumnChecks::columnName(tape, column)));
        QVERIFY(ColumnChecks::reachableWhole(tape, 3));
    }
};

MVX_TEST_MAIN(TestTape)
#include "test_tape.moc"
